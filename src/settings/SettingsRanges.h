#pragma once

#include "settings/PrintSettings.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <span>
#include <vector>

namespace quillory {

// Which values the print-settings screens allow for each field of each language, as the screens
// hold them once filled from a printer or a file. The same table bounds what the command line
// sends: a settings file with a value outside it is refused there, and clamped (with a message)
// when a screen loads it. Lists run from 0 to their number of entries minus 1.

enum class SettingRangeRule : std::uint8_t {
    Plain,
    // VKLA offsets arrive as unsigned 16-bit words: 55537..65535 stand for -9999..-1, and the range
    // applies to the number they stand for.
    VklaOffset,
    // VKLE gap: the minimum is 16 at 203 dots per inch and 18 at the other resolutions.
    GapByDpi,
};

struct SettingRange {
    const char* key;
    int minimum;
    int maximum;
    SettingRangeRule rule = SettingRangeRule::Plain;
};

// The rows of a language (0 VKLZ, 1 VKLE, 2 VKLT, 3 VKLA, 4 VKLC) in record order. DPI has none
// (any other resolution becomes 203 wherever a record is loaded), nor has VKLE's BitData, which the
// screen always sets to 8.
[[nodiscard]] std::span<const SettingRange> SettingRanges(int instructionIndex);
[[nodiscard]] const SettingRange* FindSettingRange(int instructionIndex, const QString& key);

// The limits of a row for a record's resolution.
struct SettingLimits {
    int minimum;
    int maximum;
};
[[nodiscard]] SettingLimits RangeLimits(const SettingRange& range, int dpi);
// The number a value stands for under a row's rule (VKLA offsets in their signed form).
[[nodiscard]] int RangeValue(const SettingRange& range, int value);

// One field outside its range: the value as the record held it, what it stands for, the limits,
// and the nearest allowed value.
struct SettingViolation {
    QString key;
    int value;
    int shown;
    int minimum;
    int maximum;
    int clamped;
};

[[nodiscard]] std::vector<SettingViolation> FindRangeViolations(const SettingsRecord& record);
// Brings every value outside its range to its nearest limit; returns what was changed.
std::vector<SettingViolation> ClampToRanges(SettingsRecord& record);

// "PrintDarkness: 150 changed to 30 (allowed 0 to 30)" for each change, one per line.
[[nodiscard]] QString ClampedLines(const std::vector<SettingViolation>& changes, int languageIndex);
// "PrintDarkness=150 lies outside the allowed range 0 to 30" for the command line.
[[nodiscard]] QString ViolationText(const SettingViolation& violation, const QString& path,
                                    int languageIndex);

} // namespace quillory
