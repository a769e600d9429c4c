#include "tools/imaging/PictureDecode.h"

#include "tools/imaging/CxImage.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace {
constexpr int kLogoWidth = 128;
constexpr int kLogoHeight = 32;
constexpr int kLogoBytes = kLogoWidth / 8 * kLogoHeight;
constexpr int kBmpPixelOffset = 62; // file header, information header and the two-colour palette
} // namespace

extern "C" int quillory_picture_to_logo_bits(const unsigned char* picture, unsigned long long size,
                                             unsigned char* bits, int bitsSize) {
    using quillory::CxImage;
    if (!picture || !bits || bitsSize != kLogoBytes || size > std::numeric_limits<std::uint32_t>::max())
        return 0;
    CxImage image(CxImage::CXIMAGE_FORMAT_UNKNOWN);
    if (!image.Decode(picture, std::uint32_t(size), CxImage::CXIMAGE_FORMAT_BMP) || !image.Threshold(128) ||
        !image.Resample(kLogoWidth, kLogoHeight, 1))
        return 0;
    std::uint8_t* encoded = nullptr;
    std::int32_t encodedSize = 0;
    if (!image.Encode(encoded, encodedSize, CxImage::CXIMAGE_FORMAT_BMP))
        return 0;
    const std::unique_ptr<std::uint8_t, void (*)(void*)> owner(encoded, &CxImage::FreeMemory);
    if (encodedSize < kBmpPixelOffset + kLogoBytes)
        return 0;
    std::copy_n(encoded + kBmpPixelOffset, kLogoBytes, bits);
    return 1;
}
