#pragma once

#include "app/InputFile.h"
#include "eeprom/EepromFile.h"

#include <QString>

namespace quillory {

// An EEPROM file as it was read for a command language: readable, within its bound, and holding
// every line of the language's layout, or why not.
struct EepromFileVerdict {
    InputFileProblem file = InputFileProblem::None;
    QString reason; // the system's, when the file could not be opened or read
    EepromLineCount lines;
    QByteArray bytes;
    [[nodiscard]] bool Ok() const { return file == InputFileProblem::None && lines.Complete(); }
};

// Reads the file and counts its lines in the layout of the language (0 VKLZ, 1 VKLE, 2 VKLT,
// 3 VKLA, 4 VKLC).
[[nodiscard]] EepromFileVerdict ReadEepromFile(const QString& path, int instructionIndex);

// Why a file was refused, naming it (empty for an accepted file): the file problem, none of the
// language's lines ("EepromFileForeign"), or some of them ("EepromFileIncomplete", with how many
// were found of how many).
[[nodiscard]] QString EepromFileVerdictText(const EepromFileVerdict& verdict, const QString& path,
                                            int instructionIndex, int languageIndex);

} // namespace quillory
