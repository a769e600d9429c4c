#pragma once

#include <QByteArrayView>
#include <QStringView>

namespace quillory {

// Base-10 conversion in the manner of the C runtime's atoi: leading blanks and one sign are
// accepted, conversion stops at the first non-digit, text without leading digits gives 0.
// Out-of-range values are clamped instead of overflowing.
[[nodiscard]] int ParseLeadingInt(QStringView text);
[[nodiscard]] int ParseLeadingInt(QByteArrayView text);

// The value of a hexadecimal digit (either case), -1 for any other character.
[[nodiscard]] int HexDigit(char c);

// Hexadecimal conversion of the leading hex digits (no prefix, no sign); anything else stops it.
// Values beyond 32 bits are clamped to 0xFFFFFFFF.
[[nodiscard]] unsigned ParseLeadingHex(QByteArrayView text);

} // namespace quillory
