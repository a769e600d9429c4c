#pragma once

#include "settings/PrintSettings.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace quillory {

// The real-time clock of the print settings (VKLZ and VKLE), shared by the settings screens and
// the command line so both send the same text.

// Whether a language's settings can set the printer's clock.
[[nodiscard]] bool HasClock(int instructionIndex);
// What the language's clock text ends with: ",M" on VKLZ, nothing on VKLE.
[[nodiscard]] QString ClockSuffix(int instructionIndex);
// The clock text of a language for a time: "%m,%d,%Y,%H,%M,%S" and the suffix.
[[nodiscard]] QString LanguageClockText(int instructionIndex, const QDateTime& time);

// A record that sets the clock gets the clock text of time; any other record stays as it is. A
// clock command never goes out without its time.
void FillClockText(SettingsRecord& record, const QDateTime& time);
// Makes the record set the clock to time as an entered time (SetClockMethod 1); false for a
// language without a clock.
bool SetClockTo(SettingsRecord& record, const QDateTime& time);

// The time given on the command line: "YYYY-MM-DD HH:MM:SS", a real date and time of day, in
// local time; nothing for any other text.
[[nodiscard]] std::optional<QDateTime> ParseClockOption(const QString& text);

} // namespace quillory
