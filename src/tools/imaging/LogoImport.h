#pragma once

#include "app/InputFile.h"
#include "tools/LogoBitmap.h"

#include <QByteArray>
#include <QString>

namespace quillory {

// Turns a picture file's bytes into the logo: decoded, two colours at grey level 128, nearest-dot
// resampled to 128 x 32. Returns false (and leaves bitmap as it was) when the picture cannot be read.
[[nodiscard]] bool PictureToLogo(const QByteArray& pictureBytes, CLogoBitmap& bitmap);
// Reads a picture file (bounded, regular files only) and converts it: file says why the file was
// refused, converted whether it became the logo.
struct PictureImport {
    InputFileProblem file = InputFileProblem::None;
    bool converted = false;
};
[[nodiscard]] PictureImport ImportPictureFile(const QString& path, CLogoBitmap& bitmap);
// The same with a one-line English reason on failure.
[[nodiscard]] bool PictureFileToLogo(const QString& path, CLogoBitmap& bitmap, QString* error = nullptr);

} // namespace quillory
