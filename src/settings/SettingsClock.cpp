#include "settings/SettingsClock.h"

#include "settings/SettingsScreenRules.h"

namespace quillory {

bool HasClock(int instructionIndex) {
    return instructionIndex == 0 || instructionIndex == 1;
}

QString ClockSuffix(int instructionIndex) {
    return instructionIndex == 0 ? QStringLiteral(",M") : QString();
}

QString LanguageClockText(int instructionIndex, const QDateTime& time) {
    return ClockText(time, ClockSuffix(instructionIndex));
}

void FillClockText(SettingsRecord& record, const QDateTime& time) {
    std::visit(
        [&](auto& r) {
            if constexpr (requires { r.SetClock; }) {
                if (r.SetClock != 0)
                    r.ClockText = LanguageClockText(InstructionIndexOf(record), time);
            }
        },
        record);
}

bool SetClockTo(SettingsRecord& record, const QDateTime& time) {
    return std::visit(
        [&](auto& r) {
            if constexpr (requires { r.SetClock; }) {
                r.SetClock = 1;
                r.SetClockMethod = 1;
                r.ClockText = LanguageClockText(InstructionIndexOf(record), time);
                return true;
            }
            return false;
        },
        record);
}

std::optional<QDateTime> ParseClockOption(const QString& text) {
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    if (text.size() != format.size())
        return std::nullopt;
    QDateTime time = QDateTime::fromString(text, format);
    // Round trip: Qt accepts some texts it would not write (and a time a clock change skips).
    if (!time.isValid() || time.toString(format) != text)
        return std::nullopt;
    return time;
}

} // namespace quillory
