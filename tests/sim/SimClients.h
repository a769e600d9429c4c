#pragma once

// Plain clients of the virtual printer for timing tests: a TCP socket and the slave of its
// pseudo-terminal, driven from the test thread, recording when each piece of a reply arrived.
#include "sim/VirtualPrinter.h"

#include <QByteArray>
#include <QString>
#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <limits>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace quillory::sim::test {

inline double NowMs() {
    static const auto epoch = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - epoch).count();
}

// What came, piece by piece, with the time each piece arrived.
class Arrivals {
public:
    void Add(const QByteArray& piece) {
        if (piece.isEmpty())
            return;
        m_bytes += piece;
        m_ends.push_back({m_bytes.size(), NowMs()});
    }
    [[nodiscard]] const QByteArray& Bytes() const { return m_bytes; }
    // When byte index had arrived (-1: not yet).
    [[nodiscard]] double ArrivalMs(qsizetype index) const {
        for (const auto& [end, at] : m_ends) {
            if (index < end)
                return at;
        }
        return -1;
    }

private:
    QByteArray m_bytes;
    std::vector<std::pair<qsizetype, double>> m_ends;
};

// A descriptor-level client: reads and writes without any buffering of its own, so that what the
// kernel takes and what the printer leaves unread can be seen.
class FdClient {
public:
    FdClient() = default;
    FdClient(const FdClient&) = delete;
    FdClient& operator=(const FdClient&) = delete;
    ~FdClient() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    [[nodiscard]] bool IsOpen() const { return m_fd >= 0; }
    [[nodiscard]] int Descriptor() const { return m_fd; }

    // Writes everything, waiting while the kernel is full; false when the peer has gone.
    bool Send(QByteArrayView bytes, int waitMs = 5000) {
        qsizetype done = 0;
        const double deadline = NowMs() + waitMs;
        while (done < bytes.size()) {
            const qsizetype n = Offer(bytes.sliced(done));
            if (n < 0)
                return false;
            done += n;
            if (done < bytes.size()) {
                if (NowMs() > deadline)
                    return false;
                pollfd fd{m_fd, POLLOUT, 0};
                ::poll(&fd, 1, 20);
            }
        }
        return true;
    }
    // Writes what the kernel takes at once; -1 when the peer has gone.
    qsizetype Offer(QByteArrayView bytes) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = m_socket ? ::send(m_fd, bytes.data() + done, std::size_t(bytes.size() - done),
                                                MSG_NOSIGNAL | MSG_DONTWAIT)
                                       : ::write(m_fd, bytes.data() + done, std::size_t(bytes.size() - done));
            if (n > 0) {
                done += n;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            return -1;
        }
        return done;
    }
    // Collects until count bytes came or waitMs passed.
    QByteArray Receive(qsizetype count, int waitMs = 3000) {
        const double deadline = NowMs() + waitMs;
        while (arrivals.Bytes().size() < count) {
            const double left = deadline - NowMs();
            if (left <= 0)
                break;
            pollfd fd{m_fd, POLLIN, 0};
            if (::poll(&fd, 1, int(left) + 1) <= 0)
                continue;
            char buffer[65536];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                break;
            if (n > 0)
                arrivals.Add(QByteArray(buffer, n));
        }
        return arrivals.Bytes();
    }
    // Collects whatever comes for waitMs.
    QByteArray ReceiveFor(int waitMs) { return Receive(std::numeric_limits<qsizetype>::max(), waitMs); }

    Arrivals arrivals;

protected:
    void Adopt(int fd, bool socket) {
        m_fd = fd;
        m_socket = socket;
        if (m_fd >= 0)
            ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    }

private:
    int m_fd = -1;
    bool m_socket = false;
};

class TcpClient : public FdClient {
public:
    explicit TcpClient(std::uint16_t port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            Adopt(fd, true);
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
};

class PtyClient : public FdClient {
public:
    explicit PtyClient(const QString& path) {
        const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd >= 0) {
            termios settings{};
            tcgetattr(fd, &settings);
            cfmakeraw(&settings);
            tcsetattr(fd, TCSANOW, &settings);
        }
        Adopt(fd, false);
    }
};

// Waits until the printer has seen the last client of its pseudo-terminal leave, so that the next
// client starts a connection of its own.
inline bool WaitForPtyHangUp(const VirtualPrinter& printer, int waitMs = 5000) {
    const double deadline = NowMs() + waitMs;
    while (printer.PtyClientPresent() && NowMs() < deadline)
        QThread::msleep(2);
    return !printer.PtyClientPresent();
}

// The ~WN word read ("~WN00@eep,r,AA~") of each address, one after another.
inline QByteArray WordReads(int first, int count) {
    QByteArray out;
    for (int a = first; a < first + count; ++a)
        out += "~WN00@eep,r," + QByteArray::number(a, 16).rightJustified(2, '0') + '~';
    return out;
}

inline QByteArray HexWordReply(unsigned value) {
    return QByteArray::number(value, 16).rightJustified(4, '0') + "\r\n";
}

} // namespace quillory::sim::test
