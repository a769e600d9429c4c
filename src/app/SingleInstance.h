#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace quillory {

// An absolute folder that exists, belongs to this user and that the user may write in.
[[nodiscard]] bool IsUsableRuntimeFolder(const QString& folder);

// Refuses a second running copy of the program: a lock file named ZORV_Quillory in the user's
// runtime folder (XDG_RUNTIME_DIR), or in a folder of the user's cache for this machine when that
// is unset or unusable; held for the life of the process and released by the system at exit.
class CSingleInstanceLock {
public:
    CSingleInstanceLock();
    ~CSingleInstanceLock();
    CSingleInstanceLock(const CSingleInstanceLock&) = delete;
    CSingleInstanceLock& operator=(const CSingleInstanceLock&) = delete;

    // True when this process holds the lock; false when another instance holds it. A lock that
    // cannot be created at all (no runtime folder) lets start-up continue.
    [[nodiscard]] bool TryLock();
    [[nodiscard]] static QString LockFilePath();
    // The folder of the lock file: XDG_RUNTIME_DIR when usable, else
    // $XDG_CACHE_HOME/Quillory/HOST (~/.cache/Quillory/HOST), created with access for the user only.
    [[nodiscard]] static QString LockFolder();

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace quillory
