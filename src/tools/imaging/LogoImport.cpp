#include "tools/imaging/LogoImport.h"

#include "tools/imaging/CxImage.h"

#include <QFile>

#include <memory>

namespace quillory {
namespace {
// Picture files larger than this are not logos anyone means to convert.
constexpr qint64 kMaxPictureBytes = 64LL * 1024 * 1024;
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

bool PictureFileToLogo(const QString& path, CLogoBitmap& bitmap, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.size() > kMaxPictureBytes) {
        if (error)
            *error = QStringLiteral("the picture file is too large");
        return false;
    }
    if (!PictureToLogo(file.readAll(), bitmap)) {
        if (error)
            *error = QStringLiteral("not a picture that can be read");
        return false;
    }
    return true;
}

} // namespace quillory
