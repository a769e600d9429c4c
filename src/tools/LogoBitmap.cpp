#include "tools/LogoBitmap.h"

#include "instruction/Exchange.h"

#include <algorithm>

namespace quillory {
namespace {

std::uint8_t ReverseBits(std::uint8_t b) {
    std::uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
        r = std::uint8_t((r << 1) | ((b >> i) & 1));
    return r;
}

} // namespace

bool CLogoBitmap::IsPrinted(int x, int y) const {
    if (x < 0 || x >= kWidth || y < 0 || y >= kHeight)
        return false;
    return !(m_bits[std::size_t(y * kRowBytes + x / 8)] & (0x80 >> (x % 8)));
}

bool CLogoBitmap::Toggle(int x, int y) {
    if (x < 0 || x >= kWidth || y < 0 || y >= kHeight)
        return false;
    m_bits[std::size_t(y * kRowBytes + x / 8)] ^= std::uint8_t(0x80 >> (x % 8));
    return true;
}

void CLogoBitmap::Invert() {
    for (auto& b : m_bits)
        b = std::uint8_t(~b);
}

void CLogoBitmap::MoveLeft() {
    for (int row = 0; row < kHeight; ++row) {
        std::uint8_t* r = &m_bits[std::size_t(row * kRowBytes)];
        for (int i = 0; i < kRowBytes - 1; ++i)
            r[i] = std::uint8_t((r[i] << 1) | (r[i + 1] >> 7));
        r[kRowBytes - 1] = std::uint8_t((r[kRowBytes - 1] << 1) | 1);
    }
}

void CLogoBitmap::MoveRight() {
    for (int row = 0; row < kHeight; ++row) {
        std::uint8_t* r = &m_bits[std::size_t(row * kRowBytes)];
        for (int i = kRowBytes - 1; i > 0; --i)
            r[i] = std::uint8_t((r[i] >> 1) | ((r[i - 1] & 1) << 7));
        r[0] = std::uint8_t((r[0] >> 1) | 0x80);
    }
}

void CLogoBitmap::MoveUp() {
    std::copy(m_bits.begin() + kRowBytes, m_bits.end(), m_bits.begin());
    std::fill(m_bits.end() - kRowBytes, m_bits.end(), std::uint8_t(0xFF));
}

void CLogoBitmap::MoveDown() {
    std::copy_backward(m_bits.begin(), m_bits.end() - kRowBytes, m_bits.end());
    std::fill(m_bits.begin(), m_bits.begin() + kRowBytes, std::uint8_t(0xFF));
}

void CLogoBitmap::MirrorHorizontally() {
    for (int row = 0; row < kHeight; ++row) {
        std::uint8_t* r = &m_bits[std::size_t(row * kRowBytes)];
        for (int i = 0; i < kRowBytes / 2; ++i) {
            const std::uint8_t left = ReverseBits(r[i]);
            r[i] = ReverseBits(r[kRowBytes - 1 - i]);
            r[kRowBytes - 1 - i] = left;
        }
    }
}

void CLogoBitmap::MirrorVertically() {
    for (int row = 0; row < kHeight / 2; ++row)
        std::swap_ranges(m_bits.begin() + row * kRowBytes, m_bits.begin() + (row + 1) * kRowBytes,
                         m_bits.begin() + (kHeight - 1 - row) * kRowBytes);
}

QByteArray LogoStreamHeader() {
    return QByteArrayLiteral("~WN11@DownLogo,512~");
}
QByteArray LogoStreamTrailer() {
    return QByteArrayLiteral("~JR~");
}

QByteArray LogoPayload(const CLogoBitmap& bitmap) {
    QByteArray payload(CLogoBitmap::kBytes, '\0');
    for (int i = 0; i < CLogoBitmap::kBytes; ++i)
        payload[i] = char(~bitmap.Bytes()[std::size_t(i)]);
    return payload;
}

QByteArray LogoStream(const CLogoBitmap& bitmap) {
    return LogoStreamHeader() + LogoPayload(bitmap) + LogoStreamTrailer();
}

bool ParseLogoStream(const QByteArray& stream, CLogoBitmap& bitmap) {
    const QByteArray header = LogoStreamHeader();
    if (stream.size() != header.size() + CLogoBitmap::kBytes + LogoStreamTrailer().size() ||
        !stream.startsWith(header) || !stream.endsWith(LogoStreamTrailer()))
        return false;
    std::array<std::uint8_t, CLogoBitmap::kBytes> bytes{};
    for (int i = 0; i < CLogoBitmap::kBytes; ++i)
        bytes[std::size_t(i)] = std::uint8_t(~static_cast<unsigned char>(stream[header.size() + i]));
    bitmap.SetBytes(bytes);
    return true;
}

int DownloadLogo(const tagPORTINFO& port, const CLogoBitmap& bitmap) {
    return RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        x.Write(LogoStreamHeader());
        x.Write(LogoPayload(bitmap));
        x.Write(LogoStreamTrailer());
    });
}

} // namespace quillory
