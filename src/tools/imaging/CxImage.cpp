#include "tools/imaging/CxImage.h"

#include "tools/imaging/PictureCheck.h"

#include <QBuffer>
#include <QImageReader>

#include <cstdlib>
#include <cstring>

namespace quillory {
namespace {

void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// Pictures of absurd size would exhaust memory before anything is shown.
constexpr qint64 kMaxPixels = 64LL * 1024 * 1024;

} // namespace

CxImage::CxImage(int) {}

bool CxImage::Decode(const std::uint8_t* buffer, std::uint32_t size, int) {
    m_image = QImage();
    if (!buffer || size == 0)
        return false;
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(buffer), qsizetype(size));
    // A decoder fills in what a cut file lacks; such a picture is not the one in the file.
    if (!PictureStructureIsSound(data))
        return false;
    QBuffer device(&data);
    device.open(QIODevice::ReadOnly);
    QImageReader reader(&device);
    const QSize dimensions = reader.size();
    if (dimensions.isValid() && qint64(dimensions.width()) * dimensions.height() > kMaxPixels)
        return false;
    m_image = reader.read();
    return !m_image.isNull();
}

bool CxImage::Threshold(int level) {
    if (m_image.isNull())
        return false;
    const QImage source = m_image.convertToFormat(QImage::Format_ARGB32);
    QImage mono(source.size(), QImage::Format_Indexed8);
    mono.setColorCount(2);
    mono.setColor(0, qRgb(0, 0, 0));
    mono.setColor(1, qRgb(255, 255, 255));
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* out = mono.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            const int alpha = qAlpha(in[x]);
            // Blend onto white so transparent parts are blank.
            const int grey = (qGray(in[x]) * alpha + 255 * (255 - alpha)) / 255;
            out[x] = grey < level ? 0 : 1;
        }
    }
    m_image = mono;
    return true;
}

bool CxImage::Resample(int newWidth, int newHeight, int) {
    if (m_image.isNull() || newWidth <= 0 || newHeight <= 0)
        return false;
    // Nearest-dot sampling by hand: it keeps the two-colour palette and samples exactly.
    const QImage source = m_image.format() == QImage::Format_Indexed8
                              ? m_image
                              : m_image.convertToFormat(QImage::Format_ARGB32);
    QImage target(newWidth, newHeight, source.format());
    if (target.isNull())
        return false;
    target.setColorTable(source.colorTable());
    const int depth = source.depth() / 8;
    for (int y = 0; y < newHeight; ++y) {
        const uchar* in = source.constScanLine(int(qint64(y) * source.height() / newHeight));
        uchar* out = target.scanLine(y);
        for (int x = 0; x < newWidth; ++x) {
            const int sx = int(qint64(x) * source.width() / newWidth);
            std::memcpy(out + x * depth, in + sx * depth, std::size_t(depth));
        }
    }
    m_image = target;
    return true;
}

bool CxImage::Encode(std::uint8_t*& buffer, std::int32_t& size, int) {
    buffer = nullptr;
    size = 0;
    if (m_image.isNull())
        return false;
    const QImage image =
        m_image.format() == QImage::Format_Indexed8 && m_image.colorCount() == 2 ? m_image : QImage();
    if (image.isNull())
        return false;
    const int width = image.width();
    const int height = image.height();
    const int rowBytes = ((width + 31) / 32) * 4;
    const std::uint32_t dataOffset = 14 + 40 + 8;
    const std::uint32_t total = dataOffset + std::uint32_t(rowBytes) * std::uint32_t(height);
    auto* out = static_cast<std::uint8_t*>(std::calloc(total, 1));
    if (!out)
        return false;
    out[0] = 'B';
    out[1] = 'M';
    Put32(out + 2, total);
    Put32(out + 10, dataOffset);
    Put32(out + 14, 40);
    Put32(out + 18, std::uint32_t(width));
    Put32(out + 22, std::uint32_t(height));
    Put16(out + 26, 1);
    Put16(out + 28, 1);
    Put32(out + 34, std::uint32_t(rowBytes) * std::uint32_t(height));
    Put32(out + 46, 2);
    // Palette: index 0 black, index 1 white (blue, green, red, reserved).
    std::memset(out + 58, 0xFF, 3);
    for (int y = 0; y < height; ++y) {
        const uchar* in = image.constScanLine(height - 1 - y);
        std::uint8_t* row = out + dataOffset + std::size_t(y) * std::size_t(rowBytes);
        for (int x = 0; x < width; ++x) {
            if (in[x])
                row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
        }
    }
    buffer = out;
    size = std::int32_t(total);
    return true;
}

void CxImage::FreeMemory(void* memory) {
    std::free(memory);
}

} // namespace quillory
