#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace quillory {

// Refuses a second running copy of the program: a lock file named ZORV_Quillory in the user's
// runtime folder, held for the life of the process and released by the system at exit.
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

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace quillory
