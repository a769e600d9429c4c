#pragma once

#include <QImage>

#include <cstdint>

namespace quillory {

// A picture as the logo conversion drives it: decode a file held in memory, reduce it to two
// colours at a threshold, scale it with nearest-dot sampling and encode it as a one-bit BMP.
// Backed by Qt's image reader, so every format it reads (BMP, JPEG, PNG, TIFF, ICO ...) loads.
class CxImage {
public:
    enum ImageType { CXIMAGE_FORMAT_UNKNOWN = 0, CXIMAGE_FORMAT_BMP = 1 };

    explicit CxImage(int imageType = CXIMAGE_FORMAT_UNKNOWN);

    // Whatever the type asked for, the data is decoded by its content.
    bool Decode(const std::uint8_t* buffer, std::uint32_t size, int imageType);
    // Two colours: palette index 0 black (grey level below the threshold), index 1 white.
    // Transparent parts count as white.
    bool Threshold(int level);
    // Nearest-dot resampling (mode 1) to the new size.
    bool Resample(int newWidth, int newHeight, int mode = 1);
    // A complete one-bit BMP file: 14-byte file header, 40-byte information header, two palette
    // entries, then the rows bottom-up, each padded to 4 bytes. The caller frees it with FreeMemory.
    bool Encode(std::uint8_t*& buffer, std::int32_t& size, int imageType);
    static void FreeMemory(void* memory);
    void DestroyFrames() {}
    void Destroy() { m_image = QImage(); }

    [[nodiscard]] bool IsValid() const { return !m_image.isNull(); }
    [[nodiscard]] int Width() const { return m_image.width(); }
    [[nodiscard]] int Height() const { return m_image.height(); }

private:
    QImage m_image;
};

} // namespace quillory
