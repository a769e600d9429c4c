#include "port/backends/FdPort.h"

#include "port/backends/Backends.h"

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

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

int OpenNode(const QString& path, int flags) {
    const QByteArray native = path.toLocal8Bit();
    for (;;) {
        const int fd = ::open(native.constData(), flags | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            return fd;
        if (errno == EINTR)
            continue;
        const int error = errno;
        throw CommunicationException(CodeForOpenError(error),
                                     QStringLiteral("%1: %2").arg(path, ErrnoText(error)));
    }
}

void WriteAllToFd(int fd, const std::uint8_t* data, int length, int writeTimeoutMs) {
    if (length <= 0)
        return;
    if (!data)
        throw CommunicationException(COMM_BAD_PARAMETER, QStringLiteral("no data to write"));
    SigpipeBlock sigpipe;
    const int timeout = std::max(1, writeTimeoutMs);
    QDeadlineTimer deadline(timeout);
    bool waitedForRoom = false;
    int sent = 0;
    while (sent < length) {
        const ssize_t n = ::write(fd, data + sent, std::size_t(length - sent));
        if (n > 0) {
            sent += int(n);
            deadline.setRemainingTime(timeout);
            waitedForRoom = false;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            throw CommunicationException(COMM_FAILED, QStringLiteral("write: %1").arg(ErrnoText(errno)));
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            throw CommunicationException(COMM_FAILED,
                                         QStringLiteral("write timed out after %1 ms (%2 of %3 bytes sent)")
                                             .arg(timeout)
                                             .arg(sent)
                                             .arg(length));
        // Some drivers report "ready" from poll at once while still refusing data; pace the retries.
        if (waitedForRoom)
            QThread::msleep(std::min<qint64>(remaining, 5));
        const short events = PollFor(fd, POLLOUT, int(std::min<qint64>(remaining, 100)));
        if ((events & (POLLERR | POLLHUP | POLLNVAL)) && !(events & POLLOUT))
            throw CommunicationException(COMM_FAILED, QStringLiteral("the device went away during a write"));
        waitedForRoom = events != 0;
    }
}

int ReadCollectedFromFd(int fd, std::uint8_t* buffer, int capacity, int readTimeoutMs) {
    if (!buffer || capacity <= 0)
        return 0;
    const QDeadlineTimer firstByte(std::max(0, readTimeoutMs));
    int got = 0;
    while (got < capacity) {
        const int wait = got > 0 ? kInterByteGapMs : int(std::max<qint64>(0, firstByte.remainingTime()));
        const short events = PollFor(fd, POLLIN, wait);
        if (events == 0)
            break;
        const ssize_t n = ::read(fd, buffer + got, std::size_t(capacity - got));
        if (n > 0) {
            got += int(n);
            continue;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Woken without data: keep waiting for the rest of the time-out, pacing the retries.
            if (got > 0 || firstByte.hasExpired())
                break;
            QThread::msleep(1);
            continue;
        }
        if (got > 0)
            break;
        if (n == 0)
            throw CommunicationException(COMM_FAILED, QStringLiteral("the device closed the connection"));
        throw CommunicationException(COMM_FAILED, QStringLiteral("read: %1").arg(ErrnoText(errno)));
    }
    return got;
}

} // namespace quillory
