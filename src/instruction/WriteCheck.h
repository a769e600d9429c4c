#pragma once

#include "instruction/InstructionProtocol.h"
#include "settings/SettingsDiff.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quillory {

// What reading the values back after a write found: the fields the printer was sent and now
// holds differently (left: written, right: read back).
struct WriteCheck {
    int code = 0; // the read back failed with this code; nothing was compared
    std::vector<FieldDifference> differences;
    QStringList notVerifiable; // written, but the language cannot read them back
    [[nodiscard]] bool Verified() const { return code == 0 && differences.empty(); }
};

// The check of a settings write: written against what was read back, in the screen texts of
// languageIndex. Fields the printer is never sent are not compared; the clock is not verifiable.
[[nodiscard]] WriteCheck CheckSettings(const SettingsRecord& written, const SettingsRecord& readBack,
                                       int languageIndex);

// Reads the print settings back into a fresh object of the language and compares them with the
// record written holds (what its last ApplySettings sent); readBack, when given, receives what
// was read.
[[nodiscard]] WriteCheck CheckSettingsWrite(const CInstructionProtocol& written, const tagPORTINFO& port,
                                            int languageIndex, SettingsRecord* readBack = nullptr);
// Reads the whole EEPROM back, without touching the backups, and compares it with what written's
// last WriteEeprom sent.
[[nodiscard]] WriteCheck CheckEepromWrite(const CInstructionProtocol& written, const tagPORTINFO& port,
                                          int languageIndex);

// Applies object's settings after keeping the printer's current settings as the newest settings
// backup. lastRead is what was last read from the printer (a screen keeps it); without it they are
// read now where the port can read. Nothing is sent when they cannot be read or kept: the read's
// code, or COMM_CREATE_FILE. A port that can only send has nothing to keep (*kept is false then).
int ApplySettingsKeepingBackup(CInstructionProtocol& object, const tagPORTINFO& port,
                               const std::optional<SettingsRecord>& lastRead, bool* kept = nullptr);

// Loads a settings backup into object after checking it (only a whole settings file of the language
// that holds values the screens allow); an explanation in *why when refused.
bool LoadSettingsBackup(CInstructionProtocol& object, const QString& path, int languageIndex, QString* why);

// The outcome as the operator reads it: "... applied and verified", or each field with both values,
// and the fields that could not be checked.
[[nodiscard]] QString WriteCheckText(const WriteCheck& check, int languageIndex);

} // namespace quillory
