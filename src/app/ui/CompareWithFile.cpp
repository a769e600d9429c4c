#include "app/ui/CompareWithFile.h"

#include "app/ui/Activity.h"
#include "app/ui/FileDialogs.h"

#include <QPushButton>

namespace quillory {

void CompareReadWithFile(QWidget* screen, const QPushButton* button, const std::optional<Configuration>& read,
                         const QString& filter, int languageIndex) {
    const COperation op(screen, button);
    // The screen's values may be edited or loaded from a file; only a read says what the printer holds.
    if (!read) {
        op.Failed("CompareNotRead", languageIndex);
        return;
    }
    const QString snapshots =
        FileFilter(QStringLiteral("Snapshot (%1)").arg(QLatin1String(kSnapshotManifest)),
                   QLatin1String(kSnapshotManifest));
    const QString path = AskOpenFileName(screen, filter + QStringLiteral(";;") + snapshots);
    if (path.isEmpty())
        return;
    const ComparisonReport report = CompareWithSource(*read, path, languageIndex);
    if (report.compared)
        op.SucceededWith(report.text);
    else
        op.FailedWith(report.text);
}

} // namespace quillory
