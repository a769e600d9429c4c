#include "tools/imaging/LogoImport.h"

#include "tools/imaging/CxImage.h"

#include "app/AppSettings.h"

#include <memory>

namespace quillory {
namespace {
constexpr int kBmpPixelOffset = 62;
} // namespace

bool PictureToLogo(const QByteArray& pictureBytes, CLogoBitmap& bitmap) {
    CxImage image(CxImage::CXIMAGE_FORMAT_UNKNOWN);
    if (!image.Decode(reinterpret_cast<const std::uint8_t*>(pictureBytes.constData()),
                      std::uint32_t(pictureBytes.size()), CxImage::CXIMAGE_FORMAT_BMP) ||
        !image.Threshold(128) || !image.Resample(CLogoBitmap::kWidth, CLogoBitmap::kHeight, 1))
        return false;
    std::uint8_t* encoded = nullptr;
    std::int32_t size = 0;
    if (!image.Encode(encoded, size, CxImage::CXIMAGE_FORMAT_BMP))
        return false;
    const std::unique_ptr<std::uint8_t, void (*)(void*)> owner(encoded, &CxImage::FreeMemory);
    if (size < kBmpPixelOffset + CLogoBitmap::kBytes)
        return false;
    std::array<std::uint8_t, CLogoBitmap::kBytes> bytes{};
    std::copy_n(encoded + kBmpPixelOffset, CLogoBitmap::kBytes, bytes.begin());
    CLogoBitmap converted;
    converted.SetBytes(bytes);
    converted.MirrorVertically(); // BMP rows run bottom-up
    bitmap = converted;
    return true;
}

PictureImport ImportPictureFile(const QString& path, CLogoBitmap& bitmap) {
    PictureImport result;
    const InputFileData file = ReadInputFile(path, InputFileKind::Picture);
    result.file = file.problem;
    result.converted = file.Ok() && PictureToLogo(file.bytes, bitmap);
    return result;
}

bool IsLogoFileName(const QString& path) {
    return path.endsWith(QStringLiteral(".logo"), Qt::CaseInsensitive);
}

LogoFileImport ImportLogoOrPicture(const QString& path, CLogoBitmap& bitmap) {
    LogoFileImport result;
    result.kind = IsLogoFileName(path) ? InputFileKind::LogoFile : InputFileKind::Picture;
    const InputFileData file = ReadInputFile(path, result.kind);
    result.file = file.problem;
    result.reason = file.reason;
    if (file.Ok()) {
        CLogoBitmap read;
        result.converted = result.kind == InputFileKind::LogoFile ? ParseLogoStream(file.bytes, read)
                                                                  : PictureToLogo(file.bytes, read);
        if (result.converted)
            bitmap = read;
    }
    return result;
}

QString LogoContentProblem(const LogoFileImport& import, const QString& path) {
    return import.kind == InputFileKind::LogoFile
               ? QStringLiteral("%1: not a logo file (%2 bytes starting with \"%3\" expected)")
                     .arg(path)
                     .arg(LogoStream(CLogoBitmap()).size())
                     .arg(QString::fromLatin1(LogoStreamHeader()))
               : QStringLiteral("%1: not a complete picture that can be read").arg(path);
}

bool LogoOrPictureToLogo(const QString& path, CLogoBitmap& bitmap, QString& why, int language) {
    const LogoFileImport result = ImportLogoOrPicture(path, bitmap);
    if (result.file != InputFileProblem::None)
        why = InputFileProblemText(result.file, path, result.kind, language);
    else if (!result.converted)
        why = LogoContentProblem(result, path);
    return result.converted;
}

bool PictureFileToLogo(const QString& path, CLogoBitmap& bitmap, QString* error) {
    const PictureImport result = ImportPictureFile(path, bitmap);
    if (error && result.file != InputFileProblem::None)
        *error = InputFileProblemText(result.file, path, InputFileKind::Picture, LANGUAGE_ENGLISH);
    else if (error && !result.converted)
        *error = QStringLiteral("not a complete picture that can be read");
    return result.converted;
}

} // namespace quillory
