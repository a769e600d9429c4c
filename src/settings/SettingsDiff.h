#pragma once

#include "settings/PrintSettings.h"

#include <QString>

#include <vector>

namespace quillory {

// One field that two configurations of the same command language hold differently.
struct FieldDifference {
    QString key;     // settings-file key, or an EEPROM parameter's address and bits ("1C:0-2")
    QString caption; // the screen's caption where there is one ("Print darkness"), else empty
    QString left;    // the values as the screen shows them ("100.099 mm (800 dots)", "Mirror (1)")
    QString right;
    // False for a field the printer is never sent (the resolution, the display unit of most
    // languages, EEPROM entries WriteEeprom leaves out): writing cannot change it and reading back
    // cannot verify it.
    bool written = true;
};

// The outcome of comparing two configurations. Configurations of different command languages are
// not comparable: their fields mean different things.
struct Comparison {
    bool comparable = true;
    int leftInstruction = -1;
    int rightInstruction = -1;
    std::vector<FieldDifference> differences; // in record or entry order

    [[nodiscard]] bool Equal() const { return comparable && differences.empty(); }
    // Whether any difference lies in a field the printer is sent.
    [[nodiscard]] bool WrittenDiffer() const;
};

// Field by field, in record order. The firmware version and the clock fields are left out: they
// describe the printer and the moment, not its configuration. Lengths are shown in each record's
// own display unit, list values with their entry in the language index's (0, 1, 2) texts; the
// comparison itself is of the stored values.
[[nodiscard]] Comparison CompareSettings(const SettingsRecord& left, const SettingsRecord& right,
                                         int languageIndex = 2);

// Whether ApplySettings sends a field of a language (the resolution never; the display unit only
// on VKLA).
[[nodiscard]] bool SettingsFieldWritten(int instructionIndex, const QString& key);

// A record value as the settings screen shows it, given the record it belongs to.
[[nodiscard]] QString SettingsValueText(const SettingsRecord& record, const QString& key);

} // namespace quillory
