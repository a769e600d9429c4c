#include "eeprom/EepromFileCheck.h"

#include "app/LanguageTexts.h"
#include "port/PortInfo.h"

namespace quillory {

EepromFileVerdict ReadEepromFile(const QString& path, int instructionIndex) {
    EepromFileVerdict verdict;
    InputFileData file = ReadInputFile(path, InputFileKind::EepromFile);
    verdict.file = file.problem;
    verdict.reason = file.reason;
    if (!file.Ok())
        return verdict;
    verdict.lines = instructionIndex == 3 ? CountVklaEepromLines(file.bytes) : CountWnEepromLines(file.bytes);
    verdict.bytes = std::move(file.bytes);
    return verdict;
}

QString EepromFileVerdictText(const EepromFileVerdict& verdict, const QString& path, int instructionIndex,
                              int languageIndex) {
    if (verdict.file != InputFileProblem::None)
        return InputFileProblemText(verdict.file, path, InputFileKind::EepromFile, languageIndex,
                                    verdict.reason);
    if (verdict.lines.Complete())
        return {};
    const QString language = InstructionName(instructionIndex);
    if (verdict.lines.found == 0)
        return FormatMessageText("EepromFileForeign", languageIndex, {path, language});
    return FormatMessageText(
        "EepromFileIncomplete", languageIndex,
        {path, language, QString::number(verdict.lines.found), QString::number(verdict.lines.expected)});
}

} // namespace quillory
