#pragma once

#include <csignal>
#include <sys/resource.h>

namespace quillory::test {

// Limits the size of files this process may write, so that a write fails as on a full disk
// (works whatever the user's rights). Restored on Release or destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { Release(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    void Release() {
        if (m_released)
            return;
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
        m_released = true;
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_released = false;
};

} // namespace quillory::test
