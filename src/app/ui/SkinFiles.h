#pragma once

#include <QString>

namespace quillory {

// Path of a picture in the skin folder.
[[nodiscard]] QString SkinFile(const QString& name);
// The skin folder itself.
[[nodiscard]] QString SkinFolder();

} // namespace quillory
