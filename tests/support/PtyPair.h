#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace quillory::test {

// A pseudo-terminal pair standing in for a serial line: the code under test opens SlavePath(),
// the test plays the printer on the master side. The slave is raw (no echo, no line editing,
// no newline translation) so bytes pass unchanged, and this object keeps it open so the master
// does not see a hang-up when the code under test closes its side.
class PtyPair {
public:
    PtyPair() {
        char name[128] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
            m_master = m_slave = -1;
            return;
        }
        m_slavePath = QString::fromLocal8Bit(name);
        termios raw{};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
        ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    }
    ~PtyPair() {
        CloseMaster();
        if (m_slave >= 0)
            ::close(m_slave);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    [[nodiscard]] bool IsValid() const { return m_master >= 0; }
    // e.g. /dev/pts/5
    [[nodiscard]] QString SlavePath() const { return m_slavePath; }
    [[nodiscard]] int MasterFd() const { return m_master; }
    // The slave side held by this object; its line settings are the ones the code under test set.
    [[nodiscard]] int SlaveFd() const { return m_slave; }

    [[nodiscard]] termios SlaveSettings() const {
        termios settings{};
        ::tcgetattr(m_slave, &settings);
        return settings;
    }

    // Writes all bytes to the master within timeoutMs; returns whether they all went.
    bool WriteMaster(const QByteArray& bytes, int timeoutMs = 2000) {
        const QDeadlineTimer deadline(timeoutMs);
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.constData() + sent, std::size_t(bytes.size() - sent));
            if (n > 0) {
                sent += n;
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            if (deadline.hasExpired())
                return false;
            pollfd entry{m_master, POLLOUT, 0};
            ::poll(&entry, 1, int(std::max<qint64>(1, deadline.remainingTime())));
        }
        return true;
    }

    // Reads from the master until `wanted` bytes came or timeoutMs passed; returns what came.
    QByteArray ReadMaster(qsizetype wanted, int timeoutMs = 2000) {
        QByteArray bytes;
        const QDeadlineTimer deadline(timeoutMs);
        char chunk[4096];
        while (bytes.size() < wanted) {
            const ssize_t n = ::read(m_master, chunk,
                                     std::min<std::size_t>(sizeof chunk, std::size_t(wanted - bytes.size())));
            if (n > 0) {
                bytes.append(chunk, n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
            if (deadline.hasExpired())
                break;
            pollfd entry{m_master, POLLIN, 0};
            ::poll(&entry, 1, int(std::max<qint64>(1, deadline.remainingTime())));
        }
        return bytes;
    }

    // Hangs up the line: the slave side then sees the device go away.
    void CloseMaster() {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

} // namespace quillory::test
