#pragma once

#include "port/PortInfo.h"

#include <QByteArray>

#include <array>
#include <cstdint>

namespace quillory {

// The 128 x 32 dot display logo: 32 rows of 16 bytes, top row first, the leftmost dot in the most
// significant bit. In the editor a 1 bit is a blank dot and a 0 bit a printed one.
class CLogoBitmap {
public:
    static constexpr int kWidth = 128;
    static constexpr int kHeight = 32;
    static constexpr int kRowBytes = 16;
    static constexpr int kBytes = kRowBytes * kHeight;

    CLogoBitmap() { m_bits.fill(0xFF); }

    [[nodiscard]] bool IsPrinted(int x, int y) const;
    // Toggles one dot; dots outside the grid are ignored. Returns false for those.
    bool Toggle(int x, int y);

    void Invert();
    void MoveLeft();
    void MoveRight();
    void MoveUp();
    void MoveDown();
    void MirrorHorizontally();
    void MirrorVertically();

    [[nodiscard]] const std::array<std::uint8_t, kBytes>& Bytes() const { return m_bits; }
    void SetBytes(const std::array<std::uint8_t, kBytes>& bytes) { m_bits = bytes; }
    bool operator==(const CLogoBitmap&) const = default;

private:
    std::array<std::uint8_t, kBytes> m_bits;
};

// The stream that the download sends and a .logo file holds (535 bytes): "~WN11@DownLogo,512~",
// the bitmap with every byte inverted (1 = printed), "~JR~".
[[nodiscard]] QByteArray LogoStreamHeader();
[[nodiscard]] QByteArray LogoStreamTrailer();
[[nodiscard]] QByteArray LogoPayload(const CLogoBitmap& bitmap);
[[nodiscard]] QByteArray LogoStream(const CLogoBitmap& bitmap);
// Reads a .logo file's bytes back; false when they are not a logo stream.
[[nodiscard]] bool ParseLogoStream(const QByteArray& stream, CLogoBitmap& bitmap);

// Sends the stream as three writes (header, bitmap, trailer) with time-outs (30, 30).
int DownloadLogo(const tagPORTINFO& port, const CLogoBitmap& bitmap);

} // namespace quillory
