#pragma once

#include "fleet/Configuration.h"

#include <QString>

#include <optional>

class QPushButton;
class QWidget;

namespace quillory {

// The "Compare with file" button of the print-settings and EEPROM screens.
inline constexpr int kCompareWithFileId = 1701;

// Asks for a settings file, an EEPROM file or a snapshot's manifest and shows how it differs from
// what the screen last read from the printer; read is empty when nothing was read yet. Nothing on
// the screen changes, whatever the file holds.
void CompareReadWithFile(QWidget* screen, const QPushButton* button, const std::optional<Configuration>& read,
                         const QString& filter, int languageIndex);

} // namespace quillory
