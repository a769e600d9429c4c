#pragma once

namespace quillory {

// Shows the user guide of the current language through the desktop. Always reports success:
// a missing guide or handler is the desktop's to report.
bool OpenHelp();

} // namespace quillory
