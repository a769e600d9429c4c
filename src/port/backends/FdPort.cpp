#include "port/backends/FdPort.h"

#include "port/backends/Backends.h"

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillory {
namespace {

struct OpenErrorRow {
    int error;
    tagCOMMUNICATIONEXCEPTION code;
};
// Anything not listed is an open failure (1).
constexpr OpenErrorRow kOpenErrors[] = {
    {EACCES, COMM_ACCESS_DENIED},       {EPERM, COMM_ACCESS_DENIED},  {EROFS, COMM_ACCESS_DENIED},
    {ENAMETOOLONG, COMM_BAD_PARAMETER}, {EISDIR, COMM_BAD_PARAMETER},
};

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A write to a pipe whose reader went away raises SIGPIPE, which would end the program. Block it
// on this thread for the duration of a write and swallow the one the write raised.
class SigpipeBlock {
public:
    SigpipeBlock() {
        sigemptyset(&m_set);
        sigaddset(&m_set, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_set, &m_old);
    }
    ~SigpipeBlock() {
        sigset_t pending;
        sigpending(&pending);
        if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
            const timespec zero{};
            while (sigtimedwait(&m_set, nullptr, &zero) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;

private:
    sigset_t m_set{};
    sigset_t m_old{};
    bool m_wasPending = false;
};

// poll(2) for one event; returns revents, 0 on time-out. Throws code 3 on failure.
short PollFor(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, std::max(0, timeoutMs));
        if (ready >= 0)
            return ready == 0 ? short(0) : entry.revents;
        if (errno != EINTR)
            throw CommunicationException(COMM_FAILED, QStringLiteral("poll: %1").arg(ErrnoText(errno)));
    }
}

} // namespace

QString MapPortName(const QString& name, const QString& prefix, const QString& numberedBase) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (trimmed.startsWith(prefix, Qt::CaseInsensitive) && trimmed.size() > prefix.size()) {
        bool isNumber = false;
        const int number = trimmed.mid(prefix.size()).toInt(&isNumber, 10);
        if (isNumber && trimmed.mid(prefix.size()).front().isDigit())
            return number >= 1 ? numberedBase + QString::number(number - 1) : QString();
    }
    if (trimmed.startsWith(QLatin1Char('/')))
        return trimmed;
    if (trimmed.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return {};
    return QStringLiteral("/dev/") + trimmed;
}

tagCOMMUNICATIONEXCEPTION CodeForOpenError(int error) {
    for (const OpenErrorRow& row : kOpenErrors) {
        if (row.error == error)
            return row.code;
    }
    return COMM_OPEN_FAILED;
}

QString AccessHintForGroup(const QString& group) {
    if (group.isEmpty())
        return {};
    return QStringLiteral("add yourself to the group %1 and log in again").arg(group);
}

QString AccessHint(const QString& path) {
    struct stat node {};
    constexpr mode_t groupReadWrite = S_IRGRP | S_IWGRP;
    if (::stat(path.toLocal8Bit().constData(), &node) != 0 ||
        (node.st_mode & groupReadWrite) != groupReadWrite)
        return {};
    if (node.st_gid == ::getegid())
        return {};
    std::vector<gid_t> groups(std::size_t(std::max(0, ::getgroups(0, nullptr))));
    groups.resize(std::size_t(std::max(0, ::getgroups(int(groups.size()), groups.data()))));
    if (std::find(groups.begin(), groups.end(), node.st_gid) != groups.end())
        return {};
    const group* owner = ::getgrgid(node.st_gid);
    return owner ? AccessHintForGroup(QString::fromLocal8Bit(owner->gr_name)) : QString();
}

int OpenNode(const QString& path, int flags) {
    const QByteArray native = path.toLocal8Bit();
    for (;;) {
        const int fd = ::open(native.constData(), flags | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            return fd;
        if (errno == EINTR)
            continue;
        const int error = errno;
        QString why = ErrnoText(error);
        if (error == EACCES || error == EPERM) {
            if (const QString hint = AccessHint(path); !hint.isEmpty())
                why += QStringLiteral(", ") + hint;
        }
        throw CommunicationException(CodeForOpenError(error), QStringLiteral("%1: %2").arg(path, why));
    }
}

qint64 ReceiveFromFd(int fd, std::uint8_t* into, qint64 max, int waitMs) {
    if (max <= 0)
        return 0;
    const short events = PollFor(fd, POLLIN, waitMs);
    if (events == 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(fd, into, std::size_t(max));
        if (n > 0)
            return n;
        if (n == 0)
            return -1;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0; // woken without data
        if (errno == ECONNRESET)
            throw CommunicationException(COMM_FAILED, QStringLiteral("the connection was reset"));
        throw CommunicationException(COMM_FAILED, QStringLiteral("read: %1").arg(ErrnoText(errno)));
    }
}

qint64 SendToFd(int fd, const std::uint8_t* data, qint64 length, int waitMs) {
    if (length <= 0)
        return 0;
    SigpipeBlock sigpipe;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const ssize_t n = ::write(fd, data, std::size_t(length));
        if (n > 0)
            return n;
        if (n < 0 && errno == EINTR) {
            --attempt;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            if (errno == EPIPE || errno == ECONNRESET)
                throw CommunicationException(
                    COMM_FAILED, QStringLiteral("the printer closed the connection during a write"));
            throw CommunicationException(COMM_FAILED, QStringLiteral("write: %1").arg(ErrnoText(errno)));
        }
        if (attempt == 1)
            break;
        const short events = PollFor(fd, POLLOUT, waitMs);
        if ((events & (POLLERR | POLLHUP | POLLNVAL)) && !(events & POLLOUT))
            throw CommunicationException(COMM_FAILED, QStringLiteral("the device went away during a write"));
        if (events == 0)
            return 0;
    }
    // Some drivers report room at once while still refusing data; pace the retries.
    QThread::msleep(std::min(waitMs, 5));
    return 0;
}

CFdStreamPort::~CFdStreamPort() {
    CFdStreamPort::Close();
}

void CFdStreamPort::Close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    ResetStream();
}

void CFdStreamPort::OpenPath(const QString& path, int flags) {
    Close();
    m_fd = OpenNode(path, flags);
    m_path = path;
}

qint64 CFdStreamPort::ReceiveSome(std::uint8_t* into, qint64 max, int waitMs) {
    try {
        return ReceiveFromFd(m_fd, into, max, waitMs);
    } catch (const CommunicationException& e) {
        throw CommunicationException(tagCOMMUNICATIONEXCEPTION(e.GetErrorCode()),
                                     QStringLiteral("%1: %2").arg(m_path, e.Detail()));
    }
}

qint64 CFdStreamPort::SendSome(const std::uint8_t* data, qint64 length, int waitMs) {
    try {
        return SendToFd(m_fd, data, length, waitMs);
    } catch (const CommunicationException& e) {
        throw CommunicationException(tagCOMMUNICATIONEXCEPTION(e.GetErrorCode()),
                                     QStringLiteral("%1: %2").arg(m_path, e.Detail()));
    }
}

void CFdStreamPort::RequireOpen() const {
    if (m_fd < 0)
        throw CommunicationException(COMM_FAILED, QStringLiteral("the port is not open"));
}

} // namespace quillory
