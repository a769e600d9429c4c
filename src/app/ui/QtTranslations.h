#pragma once

#include <QString>

namespace quillory {

// Qt's own texts (message-box buttons, file dialogs, context menus) in the chosen language: the
// base translations of the system's Qt for Simplified and Traditional Chinese, none (English)
// for any other language index. Switching replaces the translation installed before.

// The translation file of a language index ("qtbase_zh_CN"), empty for English.
[[nodiscard]] QString QtTranslationName(int languageIndex);
// Installs the translation of a language index; false when it should have one and the file was
// not found (Qt then speaks English). Needs the application object.
bool UseQtTranslations(int languageIndex);

} // namespace quillory
