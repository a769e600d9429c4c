#pragma once

#include <QStringList>

namespace quillory {

// Start-up and shut-down of the desktop program.
class CQuilloryApp {
public:
    // Runs the program; returns the process exit status. A second copy returns 0 at once.
    int Run(int argc, char** argv);

    // What the command line asks for. New options get a field here, a declaration in
    // ParseCommandLine and their effect in Run.
    struct Options {
        bool showHelp = false;
        bool showVersion = false;
        bool demo = false; // run on the built-in virtual printer
        QString error;     // a usage error, shown instead of starting
        QString helpText;
    };
    [[nodiscard]] static Options ParseCommandLine(const QStringList& arguments);
};

} // namespace quillory
