#pragma once

#include "eeprom/EepromFile.h"
#include "settings/SettingsDiff.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <span>
#include <vector>

namespace quillory {

// What an EEPROM comparison compares: the parameter array of a language and the texts the image
// carries besides its words.
struct EepromValues {
    int instructionIndex = -1;
    std::vector<int> parameters; // DecodeParameters order
    QByteArray idText;           // VKLA printer name (its text entry)
    PrinterNameTexts names;      // VKLC, VKLE, VKLT, VKLZ
};

// The values of a whole image (as GetEepromImage gives it) with its texts.
[[nodiscard]] EepromValues EepromValuesOfImage(int instructionIndex, std::span<const std::uint16_t> image,
                                               const QByteArray& idText = {},
                                               const PrinterNameTexts& names = {});
// The values of an EEPROM file's bytes, read the way LoadEepromFile reads them (the caller checks
// the file first). Words the file lacks are 0.
[[nodiscard]] EepromValues EepromValuesOfFile(int instructionIndex, QByteArrayView bytes);

// Parameter by parameter in entry order, with the EEPROM page captions and list entries of the
// language index (0, 1, 2) as the screens show them. Entries WriteEeprom never sends, and the
// name texts of the four "~WN" languages (never written by it either), are marked not written.
[[nodiscard]] Comparison CompareEeprom(const EepromValues& left, const EepromValues& right,
                                       int languageIndex);

// "1C:0-2" for a bit field, "1D&0040" for a VKLA mask, "IDText" for the VKLA printer name.
[[nodiscard]] QString EepromParameterKey(int instructionIndex, int entry);

} // namespace quillory
