#pragma once

#include "instruction/BackupFiles.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace quillory {

// Lets the operator choose one of the kept backups, listed by their time, newest first (and
// preselected). The chosen backup's path, or nullopt when cancelled. A single backup is taken
// without asking.
[[nodiscard]] std::optional<QString> ChooseBackup(const std::vector<BackupEntry>& backups, int language,
                                                  QWidget* parent);
// The lines the chooser lists.
[[nodiscard]] QStringList BackupChoiceTexts(const std::vector<BackupEntry>& backups, int language);

// Test hook: while set, the hook chooses (returns an index into backups, or -1 to cancel).
using BackupChooserHook = std::function<int(const QStringList& choices)>;
BackupChooserHook SetBackupChooserHook(BackupChooserHook hook);

} // namespace quillory
