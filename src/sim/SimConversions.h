#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <optional>

// Number parsing and the conversions between command arguments and EEPROM fields. The printer
// takes a command only when its numbers are well formed, as a firmware would.
namespace quillory::sim {

// Decimal integer with an optional sign; blanks around it are allowed, nothing else.
[[nodiscard]] std::optional<int> ParseDecimalInt(QByteArrayView text);
// Decimal number with an optional fraction ("1.5").
[[nodiscard]] std::optional<double> ParseDecimalNumber(QByteArrayView text);
// 1..maxDigits hexadecimal digits, either case, nothing else.
[[nodiscard]] std::optional<unsigned> ParseHexDigits(QByteArrayView text, int maxDigits);

// Print speed in inches per second to the speed word (millimetres per second).
[[nodiscard]] std::uint16_t SpeedWordFromInches(double inchesPerSecond);
// VKLC speed levels 0..5 to the speed word; nothing for other levels.
[[nodiscard]] std::optional<std::uint16_t> VklcSpeedWord(int level);
// VKLE and VKLT darkness positions 0..15 to the darkness byte; nothing for other positions.
[[nodiscard]] std::optional<std::uint8_t> DarknessByteFromPosition(int position);
// VKLC "TONE" (-100..200, -99 meaning the lightest) to the darkness byte.
[[nodiscard]] std::optional<std::uint8_t> DarknessByteFromTone(int tone);
// A signed adjustment of -127..127 in one byte: negative values are stored as 128 minus the value.
[[nodiscard]] std::optional<std::uint8_t> SignedByteFromAdjustment(int value);
// A signed value in a word as 16-bit two's complement.
[[nodiscard]] std::optional<std::uint16_t> WordFromSigned(int value);

// A VKLT length: "24 dot", "3 mm" or "0.5" (inches), in dots at the given resolution.
[[nodiscard]] std::optional<int> ParseVkltLength(QByteArrayView text, int dpi);

} // namespace quillory::sim
