#include "app/ui/BackupChooser.h"

#include "app/LanguageTexts.h"

#include <QInputDialog>

namespace quillory {
namespace {

BackupChooserHook gHook;

} // namespace

QStringList BackupChoiceTexts(const std::vector<BackupEntry>& backups, int language) {
    QStringList texts;
    for (std::size_t i = 0; i < backups.size(); ++i) {
        const QString time = BackupTimeText(backups[i].time);
        texts << (i == 0 ? FormatMessageText("BackupNewest", language, {time}) : time);
    }
    return texts;
}

std::optional<QString> ChooseBackup(const std::vector<BackupEntry>& backups, int language, QWidget* parent) {
    if (backups.empty())
        return std::nullopt;
    if (backups.size() == 1)
        return backups.front().path;
    const QStringList choices = BackupChoiceTexts(backups, language);
    int chosen = -1;
    if (gHook) {
        chosen = gHook(choices);
    } else {
        bool ok = false;
        const QString item =
            QInputDialog::getItem(parent, QStringLiteral("Quillory"),
                                  GetMessageText("RestoreChooseBackup", language), choices, 0, false, &ok);
        chosen = ok ? int(choices.indexOf(item)) : -1;
    }
    if (chosen < 0 || chosen >= int(backups.size()))
        return std::nullopt;
    return backups[std::size_t(chosen)].path;
}

BackupChooserHook SetBackupChooserHook(BackupChooserHook hook) {
    std::swap(gHook, hook);
    return hook;
}

} // namespace quillory
