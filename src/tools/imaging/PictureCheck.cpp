#include "tools/imaging/PictureCheck.h"

#include <cstdint>

namespace quillory {
namespace {

std::uint32_t U16(QByteArrayView d, qsizetype at) {
    return std::uint32_t(std::uint8_t(d[at])) | std::uint32_t(std::uint8_t(d[at + 1])) << 8;
}
std::uint32_t U32(QByteArrayView d, qsizetype at) {
    return U16(d, at) | U16(d, at + 2) << 16;
}
std::uint32_t BigU32(QByteArrayView d, qsizetype at) {
    return std::uint32_t(std::uint8_t(d[at])) << 24 | std::uint32_t(std::uint8_t(d[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(d[at + 2])) << 8 | std::uint32_t(std::uint8_t(d[at + 3]));
}

bool SoundBmp(QByteArrayView d) {
    constexpr qsizetype kFileHeader = 14;
    if (d.size() < kFileHeader + 12)
        return false;
    const qint64 size = d.size();
    const qint64 pixels = U32(d, 10);
    const qint64 infoSize = U32(d, 14);
    if (infoSize != 12 && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 64 &&
        infoSize != 108 && infoSize != 124)
        return false;
    if (kFileHeader + infoSize > size || pixels < kFileHeader + infoSize || pixels >= size)
        return false;
    qint64 width = 0;
    qint64 height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) {
        width = U16(d, 18);
        height = U16(d, 20);
        bits = U16(d, 24);
    } else {
        width = std::int32_t(U32(d, 18));
        height = std::int32_t(U32(d, 22));
        bits = U16(d, 28);
        compression = U32(d, 30);
    }
    if (height < 0)
        height = -height; // top-down rows
    if (width <= 0 || height <= 0)
        return false;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    // Uncompressed rows (plain or with colour masks) have a known size; run-length data does not,
    // but must at least start inside the file, which was checked.
    if (compression == 0 || compression == 3 || compression == 6) {
        const qint64 rowBytes = (width * bits + 31) / 32 * 4;
        if (rowBytes > size || pixels + rowBytes * height > size)
            return false;
    }
    return true;
}

bool SoundPng(QByteArrayView d) {
    static const QByteArrayView signature("\x89PNG\r\n\x1a\n", 8);
    qsizetype at = signature.size();
    bool first = true;
    while (at + 12 <= d.size()) {
        const qint64 length = BigU32(d, at);
        const QByteArrayView type = d.sliced(at + 4, 4);
        if (length > d.size() - at - 12)
            return false;
        if (first && type != "IHDR")
            return false;
        first = false;
        if (type == "IEND")
            return true;
        at += 12 + qsizetype(length);
    }
    return false;
}

bool SoundJpeg(QByteArrayView d) {
    // A cut file lacks its end-of-image marker; anything after the marker is ignored by decoders.
    return d.size() > 4 && d.lastIndexOf(QByteArrayView("\xFF\xD9", 2)) >= 2;
}

bool SoundGif(QByteArrayView d) {
    // The trailer byte ends every complete file (some writers pad it with zero bytes).
    while (!d.isEmpty() && d.back() == '\0')
        d.chop(1);
    return d.size() > 13 && d.endsWith(';');
}

bool SoundIco(QByteArrayView d) {
    if (d.size() < 6)
        return false;
    const qint64 count = U16(d, 4);
    if (count == 0 || 6 + 16 * count > d.size())
        return false;
    for (qint64 i = 0; i < count; ++i) {
        const qsizetype entry = qsizetype(6 + 16 * i);
        const qint64 bytes = U32(d, entry + 8);
        const qint64 offset = U32(d, entry + 12);
        if (bytes == 0 || offset < 6 + 16 * count || offset + bytes > d.size())
            return false;
    }
    return true;
}

} // namespace

bool PictureStructureIsSound(QByteArrayView d) {
    if (d.startsWith("BM"))
        return SoundBmp(d);
    if (d.startsWith(QByteArrayView("\x89PNG\r\n\x1a\n", 8)))
        return SoundPng(d);
    if (d.startsWith(QByteArrayView("\xFF\xD8\xFF", 3)))
        return SoundJpeg(d);
    if (d.startsWith("GIF87a") || d.startsWith("GIF89a"))
        return SoundGif(d);
    if (d.startsWith(QByteArrayView("\0\0\1\0", 4)))
        return SoundIco(d);
    return true;
}

} // namespace quillory
