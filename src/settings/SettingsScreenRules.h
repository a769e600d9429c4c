#pragma once

#include <QDateTime>
#include <QString>

namespace quillory {

// How the print-settings screens turn record values into what they show and back. Kept apart
// from the widgets so the rules are tested without a window.

// VKLA stores its speed as a letter code, 'C' (67) for list position 0 up to 'L' (76) for 9.
inline constexpr int kVklaSpeedPositions = 10;
[[nodiscard]] constexpr int VklaSpeedCode(int position) {
    return 'C' + position;
}
// The list position of a speed code: 'C' or below gives 0, above 'K' gives 9.
[[nodiscard]] constexpr int VklaSpeedPosition(int code) {
    if (code <= 'C')
        return 0;
    if (code > 'K')
        return kVklaSpeedPositions - 1;
    return code - 'C';
}

// VKLA offsets arrive as unsigned 16-bit words: 55537..65535 stand for -9999..-1.
[[nodiscard]] constexpr int VklaOffsetShown(int value) {
    return value >= 55537 && value <= 65535 ? value - 65536 : value;
}

// The unit of the measurement field for a position of the unit list: VKLA lists millimetres,
// inches, dots; the other languages dots, inches, millimetres (the field's own order).
[[nodiscard]] constexpr int FieldUnitOfPosition(int position, bool reversedList) {
    return reversedList ? 2 - position : position;
}

// The clock text sent to the printer: "%m,%d,%Y,%H,%M,%S" followed by suffix (",M" on VKLZ).
[[nodiscard]] QString ClockText(const QDateTime& time, const QString& suffix);

} // namespace quillory
