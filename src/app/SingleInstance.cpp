#include "app/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace quillory {

CSingleInstanceLock::CSingleInstanceLock() = default;
CSingleInstanceLock::~CSingleInstanceLock() = default;

QString CSingleInstanceLock::LockFilePath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    return folder + QStringLiteral("/ZORV_Quillory");
}

bool CSingleInstanceLock::TryLock() {
    m_lock = std::make_unique<QLockFile>(LockFilePath());
    // Never stale by age (a long-running copy keeps its lock); a lock whose process is gone is
    // still recognised by its PID and taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    return m_lock->error() != QLockFile::LockFailedError;
}

} // namespace quillory
