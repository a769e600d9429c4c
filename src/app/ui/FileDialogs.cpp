#include "app/ui/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace quillory {
namespace {

FileDialogHook gHook;
// Dialogs without a starting folder open where the last one ended.
QString gLastFolder;

QString Ask(QWidget* parent, const FileDialogRequest& request) {
    if (gHook)
        return gHook(request);
    QFileDialog dialog(parent, QString(), request.directory.isEmpty() ? gLastFolder : request.directory,
                       request.filter);
    const bool save = request.kind == FileDialogRequest::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    gLastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

} // namespace

QString FileFilter(const QString& description, const QString& pattern) {
    // Qt takes the patterns from the last parenthesised group, so a description that already
    // names its pattern loses that group; "*.*" would hide files without an extension here.
    static const QRegularExpression trailingGroup(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QString label = description;
    label.remove(trailingGroup);
    const QString qtPattern = pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
    return QStringLiteral("%1 (%2)").arg(label, qtPattern);
}

QString AskOpenFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                        const QString& directory) {
    return Ask(parent, {FileDialogRequest::Open, filter, defaultSuffix, directory});
}

QString AskSaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                        const QString& directory) {
    return Ask(parent, {FileDialogRequest::Save, filter, defaultSuffix, directory});
}

FileDialogHook SetFileDialogHook(FileDialogHook hook) {
    std::swap(gHook, hook);
    return hook;
}

} // namespace quillory
