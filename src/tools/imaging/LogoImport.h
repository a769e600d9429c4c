#pragma once

#include "tools/LogoBitmap.h"

#include <QByteArray>
#include <QString>

namespace quillory {

// Turns a picture file's bytes into the logo: decoded, two colours at grey level 128, nearest-dot
// resampled to 128 x 32. Returns false (and leaves bitmap as it was) when the picture cannot be read.
[[nodiscard]] bool PictureToLogo(const QByteArray& pictureBytes, CLogoBitmap& bitmap);
// Reads the file first; error receives a one-line reason on failure.
[[nodiscard]] bool PictureFileToLogo(const QString& path, CLogoBitmap& bitmap, QString* error = nullptr);

} // namespace quillory
