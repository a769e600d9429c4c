#pragma once

#include "app/InputFile.h"
#include "tools/LogoBitmap.h"

#include <QByteArray>
#include <QString>

namespace quillory {

// The picture decoder (see PictureDecode.h): registered by a program that links it, else loaded
// from the module the first time a picture is converted.
void SetPictureDecoder(int (*decode)(const unsigned char*, unsigned long long, unsigned char*, int));
// Why pictures cannot be converted at all (the module is missing or broken); empty when they can.
[[nodiscard]] QString PictureDecoderProblem();

// Turns a picture file's bytes into the logo: decoded, two colours at grey level 128, nearest-dot
// resampled to 128 x 32. Returns false (and leaves bitmap as it was) when the picture cannot be read.
[[nodiscard]] bool PictureToLogo(const QByteArray& pictureBytes, CLogoBitmap& bitmap);
// Reads a picture file (bounded, regular files only) and converts it: file says why the file was
// refused, converted whether it became the logo.
struct PictureImport {
    InputFileProblem file = InputFileProblem::None;
    QString reason; // the system's reason when the file could not be opened or read
    bool converted = false;
};
[[nodiscard]] PictureImport ImportPictureFile(const QString& path, CLogoBitmap& bitmap);
// A .logo file as the logo page saves it (by its name), or else a picture; each kind of file
// within its own bound. file tells which kind was read.
struct LogoFileImport {
    InputFileKind kind = InputFileKind::Picture;
    InputFileProblem file = InputFileProblem::None;
    QString reason; // the system's reason when the file could not be opened or read
    bool converted = false;
};
[[nodiscard]] bool IsLogoFileName(const QString& path);
[[nodiscard]] LogoFileImport ImportLogoOrPicture(const QString& path, CLogoBitmap& bitmap);
// What is wrong with the content of a file that was read but not converted, naming the path.
[[nodiscard]] QString LogoContentProblem(const LogoFileImport& import, const QString& path);
// The same with the reason on failure: the file's problem in the given screen language (English
// for the command line), or the path and what is wrong with its content.
[[nodiscard]] bool LogoOrPictureToLogo(const QString& path, CLogoBitmap& bitmap, QString& why, int language);
// The same with a one-line English reason on failure.
[[nodiscard]] bool PictureFileToLogo(const QString& path, CLogoBitmap& bitmap, QString* error = nullptr);

} // namespace quillory
