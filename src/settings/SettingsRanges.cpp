#include "settings/SettingsRanges.h"

#include "app/LanguageTexts.h"
#include "settings/SettingsScreenRules.h"

#include <algorithm>
#include <array>

namespace quillory {
namespace {

using Rule = SettingRangeRule;

// Ranges of the filled screens; list sizes are those of the screens' lists (the language files
// must offer exactly as many entries, which a test checks).
constexpr std::array<SettingRange, 15> kVklz{{
    {"Unit", 0, 2},
    {"PrintType", 0, 1},
    {"PaperType", 0, 2},
    {"PaperHeight", 0, 65535},
    {"PaperWidth", 0, 65535},
    {"PrintDrection", 0, 1},
    {"PrintSpeed", 0, 4},
    {"PrintDarkness", 0, 30},
    {"OutPaperType", 0, 3},
    {"TearPaperPosition", -120, 120},
    {"HoriPrintPositionOffset", -9999, 9999},
    {"VertPrintPositionOffset", -120, 120},
    {"MirrorPrint", 0, 1},
    {"SetClock", 0, 1},
    {"SetClockMethod", 0, 1},
}};

constexpr std::array<SettingRange, 13> kVkle{{
    {"Unit", 0, 2},
    {"PrintType", 0, 1},
    {"PaperType", 0, 2},
    {"PaperHeight", 0, 65535},
    {"PaperWidth", 0, 65535},
    {"GapHeight", 16, 240, Rule::GapByDpi},
    {"PrintDrection", 0, 1},
    {"PrintSpeed", 0, 4},
    {"PrintDarkness", 0, 15},
    {"OutPaperType", 0, 3},
    {"CodePage", 0, 18},
    {"SetClock", 0, 1},
    {"SetClockMethod", 0, 1},
}};

constexpr std::array<SettingRange, 16> kVklt{{
    {"Unit", 0, 2},
    {"PrintType", 0, 1},
    {"PaperType", 0, 2},
    {"PaperHeight", 0, 65535},
    {"PaperWidth", 0, 65535},
    {"GapHeight", 0, 65535},
    {"PrintSpeed", 0, 4},
    {"PrintDarkness", 0, 65535},
    {"OutPaperType", 0, 3},
    {"PrintDrection", 0, 1},
    {"MirrorPrint", 0, 1},
    {"TearPaperPosition", -120, 120},
    {"HoriPrintPositionOffset", 0, 9999},
    {"VertPrintPositionOffset", 0, 9999},
    {"CodePage", 0, 47},
    {"PrintAffterError", 0, 1},
}};

constexpr std::array<SettingRange, 13> kVkla{{
    {"Unit", 0, 2},
    {"PrintType", 0, 1},
    {"PaperType", 0, 2},
    {"PaperHeight", 1, 9999},
    {"GapHeight", 1, 9999},
    {"PrintSpeed", VklaSpeedCode(0), VklaSpeedCode(kVklaSpeedPositions - 1)},
    {"PrintDarkness", 0, 30},
    {"OutPaperType", 0, 3},
    {"PrintAffterError", 0, 1},
    {"CheckPaperType", 0, 3},
    {"TearPaperPosition", -99, 99, Rule::VklaOffset},
    {"HoriPrintPositionOffset", -99, 99, Rule::VklaOffset},
    {"VertPrintPositionOffset", -999, 999, Rule::VklaOffset},
}};

constexpr std::array<SettingRange, 6> kVklc{{
    {"Unit", 0, 2},
    {"PaperType", 0, 2},
    {"PaperHeight", 0, 65535},
    {"PaperWidth", 0, 65535},
    {"PrintSpeed", 0, 5},
    {"PrintDarkness", 0, 65535},
}};

int FieldValue(const SettingsRecord& record, const char* key) {
    for (const auto& [name, value] : SettingsFields(record)) {
        if (name == QLatin1String(key))
            return value.toInt();
    }
    return 0;
}

int Dpi(const SettingsRecord& record) {
    return std::visit([](const auto& r) { return r.DPI; }, record);
}

} // namespace

std::span<const SettingRange> SettingRanges(int instructionIndex) {
    switch (instructionIndex) {
    case 0:
        return kVklz;
    case 1:
        return kVkle;
    case 2:
        return kVklt;
    case 3:
        return kVkla;
    case 4:
        return kVklc;
    default:
        return {};
    }
}

const SettingRange* FindSettingRange(int instructionIndex, const QString& key) {
    for (const SettingRange& range : SettingRanges(instructionIndex)) {
        if (key == QLatin1String(range.key))
            return &range;
    }
    return nullptr;
}

SettingLimits RangeLimits(const SettingRange& range, int dpi) {
    if (range.rule == Rule::GapByDpi)
        return {dpi == 203 ? 16 : 18, range.maximum};
    return {range.minimum, range.maximum};
}

int RangeValue(const SettingRange& range, int value) {
    return range.rule == Rule::VklaOffset ? VklaOffsetShown(value) : value;
}

std::vector<SettingViolation> FindRangeViolations(const SettingsRecord& record) {
    std::vector<SettingViolation> violations;
    const int dpi = Dpi(record);
    for (const SettingRange& range : SettingRanges(InstructionIndexOf(record))) {
        const int value = FieldValue(record, range.key);
        const int shown = RangeValue(range, value);
        const SettingLimits limits = RangeLimits(range, dpi);
        if (shown < limits.minimum || shown > limits.maximum)
            violations.push_back({QLatin1String(range.key), value, shown, limits.minimum, limits.maximum,
                                  std::clamp(shown, limits.minimum, limits.maximum)});
    }
    return violations;
}

std::vector<SettingViolation> ClampToRanges(SettingsRecord& record) {
    const std::vector<SettingViolation> changes = FindRangeViolations(record);
    for (const SettingViolation& change : changes)
        SetSettingsField(record, change.key, change.clamped);
    return changes;
}

QString ClampedLines(const std::vector<SettingViolation>& changes, int languageIndex) {
    QStringList lines;
    for (const SettingViolation& c : changes)
        lines << FormatMessageText("SettingClampedLine", languageIndex,
                                   {c.key, QString::number(c.shown), QString::number(c.clamped),
                                    QString::number(c.minimum), QString::number(c.maximum)});
    return lines.join(u'\n');
}

QString ViolationText(const SettingViolation& v, const QString& path, int languageIndex) {
    QString value = QString::number(v.value);
    if (v.shown != v.value)
        value += QStringLiteral(" (%1)").arg(v.shown);
    return FormatMessageText("SettingOutOfRange", languageIndex,
                             {path, v.key, value, QString::number(v.minimum), QString::number(v.maximum)});
}

} // namespace quillory
