#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>

#include <unistd.h>

namespace quillory {

CSingleInstanceLock::CSingleInstanceLock() = default;
CSingleInstanceLock::~CSingleInstanceLock() = default;

bool IsUsableRuntimeFolder(const QString& folder) {
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return false;
    const QFileInfo info(folder);
    // Somebody else's folder (XDG_RUNTIME_DIR kept across su, say) is not ours to lock in.
    return info.isDir() && info.isWritable() && info.isExecutable() && info.ownerId() == ::geteuid();
}

QString CSingleInstanceLock::LockFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (IsUsableRuntimeFolder(runtime))
        return runtime;
    // The user's own cache folder, never the shared /tmp: there one user's running copy would
    // make another user's start end at once. The host name keeps a home folder shared between
    // machines from locking a copy out on another machine.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QString host = QSysInfo::machineHostName();
    host.replace(QLatin1Char('/'), QLatin1Char('_'));
    return cache + QStringLiteral("/Quillory/") + (host.isEmpty() ? QStringLiteral("localhost") : host);
}

QString CSingleInstanceLock::LockFilePath() {
    return LockFolder() + QStringLiteral("/ZORV_Quillory");
}

bool CSingleInstanceLock::TryLock() {
    const QString folder = LockFolder();
    if (!QFileInfo(folder).isDir() && QDir().mkpath(folder))
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_lock = std::make_unique<QLockFile>(folder + QStringLiteral("/ZORV_Quillory"));
    // Never stale by age (a long-running copy keeps its lock); a lock whose process is gone is
    // still recognised by its PID and taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    return m_lock->error() != QLockFile::LockFailedError;
}

} // namespace quillory
