#include "app/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

namespace quillory {
namespace {

QMutex gOverrideMutex;
QString gProgramOverride;
QString gResourceOverride;

QString Override(const QString& value) {
    QMutexLocker lock(&gOverrideMutex);
    return value;
}

bool HasResources(const QString& folder) {
    return !folder.isEmpty() && !FindChildCaseInsensitive(folder, QStringLiteral("Language")).isEmpty();
}

} // namespace

void SetProgramFolderOverride(const QString& folder) {
    QMutexLocker lock(&gOverrideMutex);
    gProgramOverride = folder;
}

void SetResourceFolderOverride(const QString& folder) {
    QMutexLocker lock(&gOverrideMutex);
    gResourceOverride = folder;
}

QString ProgramFolder() {
    if (const QString o = Override(gProgramOverride); !o.isEmpty())
        return QDir::cleanPath(o);
    if (const QString env = qEnvironmentVariable("QUILLORY_PROGRAM_DIR"); !env.isEmpty())
        return QDir::cleanPath(env);
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

QString ResourceFolder() {
    if (const QString o = Override(gResourceOverride); !o.isEmpty())
        return QDir::cleanPath(o);
    if (const QString env = qEnvironmentVariable("QUILLORY_RESOURCE_DIR"); !env.isEmpty())
        return QDir::cleanPath(env);
    const QString program = ProgramFolder();
    if (HasResources(program))
        return program;
    const QString relocated = QDir::cleanPath(program + QStringLiteral("/../share/quillory"));
    if (HasResources(relocated))
        return relocated;
    return QStringLiteral(QUILLORY_INSTALL_DATADIR);
}

QString FindChildCaseInsensitive(const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (dir.exists(name))
        return name;
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

QString ResourcePath(const QString& relative) {
    const QString root = ResourceFolder();
    const qsizetype slash = relative.indexOf(QLatin1Char('/'));
    const QString first = slash < 0 ? relative : relative.left(slash);
    QString found = FindChildCaseInsensitive(root, first);
    if (found.isEmpty())
        found = first;
    return root + QLatin1Char('/') + found + (slash < 0 ? QString() : relative.mid(slash));
}

QString UserConfigFolder() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    return QDir::homePath() + QStringLiteral("/.config");
}

QString EepromBackupFolder() {
    QString folder = qEnvironmentVariable("QUILLORY_EEPBAK_DIR");
    if (folder.isEmpty()) {
        // A portable program folder keeps its backups beside it; an installed program never writes
        // into its binary folder, so its backups go to the user's data folder.
        const QString program = ProgramFolder();
        const QString beside = program + QStringLiteral("/EEPbak");
        if (QFileInfo(beside).isDir() || (HasResources(program) && QFileInfo(program).isWritable())) {
            folder = beside;
        } else {
            QString data = qEnvironmentVariable("XDG_DATA_HOME");
            if (data.isEmpty() || !QDir::isAbsolutePath(data))
                data = QDir::homePath() + QStringLiteral("/.local/share");
            folder = data + QStringLiteral("/Quillory/EEPbak");
        }
    }
    if (!QDir().mkpath(folder))
        return {};
    return QDir::cleanPath(folder);
}

} // namespace quillory
