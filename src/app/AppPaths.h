#pragma once

#include <QString>

namespace quillory {

// The program folder is the folder of the running executable. Tests and the demo mode may point
// it elsewhere through QUILLORY_PROGRAM_DIR.
[[nodiscard]] QString ProgramFolder();

// Where Language/, skin/, Guide/, Sample/ and Driver/ live: the program folder when it holds them
// (build tree, portable layout), otherwise the installed share folder. QUILLORY_RESOURCE_DIR wins.
[[nodiscard]] QString ResourceFolder();

// Path of a resource below ResourceFolder(); the first component is matched case-insensitively
// because the language folder is spelled both "Language" and "language".
[[nodiscard]] QString ResourcePath(const QString& relative);

// $XDG_CONFIG_HOME (default ~/.config): the roaming application-data folder.
[[nodiscard]] QString UserConfigFolder();

// Folder of the EEPROM backups: beside the program in a portable layout, otherwise
// $XDG_DATA_HOME/Quillory/EEPbak. QUILLORY_EEPBAK_DIR wins. Created when missing; returns an
// empty string when no folder could be created.
[[nodiscard]] QString EepromBackupFolder();

// Test hooks; an empty string removes the override.
void SetProgramFolderOverride(const QString& folder);
void SetResourceFolderOverride(const QString& folder);

// Finds an existing child of folder whose name matches case-insensitively (exact match first).
[[nodiscard]] QString FindChildCaseInsensitive(const QString& folder, const QString& name);

} // namespace quillory
