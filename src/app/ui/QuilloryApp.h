#pragma once

namespace quillory {

// Start-up and shut-down of the desktop program.
class CQuilloryApp {
public:
    // Runs the program; returns the process exit status. A second copy returns 0 at once.
    int Run(int argc, char** argv);
};

} // namespace quillory
