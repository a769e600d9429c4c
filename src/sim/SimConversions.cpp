#include "sim/SimConversions.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quillory::sim {
namespace {

QByteArrayView Trimmed(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.sliced(begin, end - begin);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The darkness byte that reads back as each position 0..15 (position 14 has no byte of its own and
// gets the lightest byte of 15).
constexpr std::array<std::uint8_t, 16> kDarknessBytes = {0, 1,  2,  3,  4,  5,  6,  7,
                                                         9, 13, 15, 16, 17, 19, 21, 22};
// One speed word inside each of the six VKLC speed bands.
constexpr std::array<std::uint16_t, 6> kVklcSpeedWords = {25, 51, 76, 102, 127, 152};

} // namespace

std::optional<int> ParseDecimalInt(QByteArrayView text) {
    text = Trimmed(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i >= text.size() || text.size() - i > 9)
        return std::nullopt;
    int value = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i]))
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

std::optional<double> ParseDecimalNumber(QByteArrayView text) {
    text = Trimmed(text);
    const qsizetype dot = text.indexOf('.');
    if (dot < 0) {
        const auto whole = ParseDecimalInt(text);
        return whole ? std::optional<double>(*whole) : std::nullopt;
    }
    const QByteArrayView fraction = text.sliced(dot + 1);
    const QByteArrayView integral = text.first(dot);
    const bool negative = !integral.isEmpty() && integral[0] == '-';
    std::optional<int> whole = integral.isEmpty() || integral == "-" || integral == "+"
                                   ? std::optional<int>(0)
                                   : ParseDecimalInt(integral);
    if (!whole || fraction.isEmpty() || fraction.size() > 6)
        return std::nullopt;
    double part = 0;
    double scale = 1;
    for (const char c : fraction) {
        if (!IsDigit(c))
            return std::nullopt;
        part = part * 10 + (c - '0');
        scale *= 10;
    }
    const double magnitude = std::abs(double(*whole)) + part / scale;
    return negative ? -magnitude : magnitude;
}

std::optional<unsigned> ParseHexDigits(QByteArrayView text, int maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits || maxDigits > 8)
        return std::nullopt;
    unsigned value = 0;
    for (const char c : text) {
        int digit = -1;
        if (IsDigit(c))
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + unsigned(digit);
    }
    return value;
}

std::uint16_t SpeedWordFromInches(double inchesPerSecond) {
    const double word = std::round(inchesPerSecond * 25.4);
    return std::uint16_t(std::clamp(word, 0.0, 65535.0));
}

std::optional<std::uint16_t> VklcSpeedWord(int level) {
    if (level < 0 || level >= int(kVklcSpeedWords.size()))
        return std::nullopt;
    return kVklcSpeedWords[std::size_t(level)];
}

std::optional<std::uint8_t> DarknessByteFromPosition(int position) {
    if (position < 0 || position >= int(kDarknessBytes.size()))
        return std::nullopt;
    return kDarknessBytes[std::size_t(position)];
}

std::optional<std::uint8_t> DarknessByteFromTone(int tone) {
    if (tone < -100 || tone > 200)
        return std::nullopt;
    if (tone == -99)
        return std::uint8_t(0);
    return std::uint8_t((tone + 100) / 10);
}

std::optional<std::uint8_t> SignedByteFromAdjustment(int value) {
    if (value < -127 || value > 127)
        return std::nullopt;
    return std::uint8_t(value < 0 ? 128 - value : value);
}

std::optional<std::uint16_t> WordFromSigned(int value) {
    if (value < -32768 || value > 65535)
        return std::nullopt;
    return std::uint16_t(value & 0xFFFF);
}

std::optional<int> ParseVkltLength(QByteArrayView text, int dpi) {
    text = Trimmed(text);
    double factor = dpi; // no unit: inches
    if (text.endsWith("dot")) {
        factor = 1;
        text.chop(3);
    } else if (text.endsWith("mm")) {
        factor = dpi / 25.4;
        text.chop(2);
    }
    const auto number = ParseDecimalNumber(text);
    if (!number)
        return std::nullopt;
    const double dots = std::round(*number * factor);
    if (dots < -32768 || dots > 65535)
        return std::nullopt;
    return int(dots);
}

} // namespace quillory::sim
