#include "port/StreamPort.h"
#include "port/backends/Backends.h"
#include "port/backends/FdPort.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillory {
namespace {

// How long the connection attempt may take; the exchange time-outs are set only after Open.
constexpr int kConnectTimeoutMs = 3000;
// A printer that hung up with data unread answers the half-close with a reset; a printer that
// took everything closes its side. Both come at once from a printer that is there; the wait for
// them follows the caller's write time-out (short for commands, longer for a file), within these.
constexpr int kMinResetGraceMs = 30;
constexpr int kMaxResetGraceMs = 1000;

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Connects a non-blocking socket to one resolved address within the deadline; the socket, or -1
// with the reason in *error.
int ConnectOne(const addrinfo& address, const QDeadlineTimer& deadline, int* error) {
    const int fd =
        ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return fd;
    if (errno != EINPROGRESS) {
        *error = errno;
        ::close(fd);
        return -1;
    }
    pollfd entry{fd, POLLOUT, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            *error = ready == 0 ? ETIMEDOUT : errno;
            ::close(fd);
            return -1;
        }
        break;
    }
    int result = 0;
    socklen_t length = sizeof result;
    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length);
    if (result != 0) {
        *error = result;
        ::close(fd);
        return -1;
    }
    return fd;
}

// TCP on a plain non-blocking socket, driven by the shared waiting rules.
class NetBackend final : public CStreamPort {
public:
    ~NetBackend() override { Drop(); }

    void Open(tagPORTINFO info) override {
        const QString address = PortText(info.netAddress).trimmed();
        if (address.isEmpty() || info.netPort <= 0 || info.netPort > 65535)
            throw CommunicationException(COMM_BAD_PARAMETER, QStringLiteral("no network address or port"));
        Drop();
        m_peer = QStringLiteral("%1:%2").arg(address).arg(info.netPort);

        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const int lookup = ::getaddrinfo(address.toLocal8Bit().constData(),
                                         QByteArray::number(info.netPort).constData(), &hints, &found);
        if (lookup != 0)
            throw CommunicationException(
                COMM_OPEN_FAILED,
                QStringLiteral("%1: %2").arg(m_peer, QString::fromLocal8Bit(gai_strerror(lookup))));
        const QDeadlineTimer deadline(kConnectTimeoutMs);
        int error = ETIMEDOUT;
        for (const addrinfo* one = found; one && m_fd < 0 && !deadline.hasExpired(); one = one->ai_next)
            m_fd = ConnectOne(*one, deadline, &error);
        ::freeaddrinfo(found);
        if (m_fd < 0)
            throw CommunicationException(COMM_OPEN_FAILED,
                                         QStringLiteral("%1: %2").arg(m_peer, ErrorText(error)));
        const int on = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }

    void Close() override {
        if (m_fd < 0)
            return;
        const bool dropped = m_wrote && (PeerHungUp() || PeerDroppedData());
        Drop();
        if (dropped)
            throw CommunicationException(
                COMM_FAILED,
                QStringLiteral("%1: the printer closed the connection before taking everything").arg(m_peer));
    }

    void Abort() override { Drop(); }

protected:
    qint64 ReceiveSome(std::uint8_t* into, qint64 max, int waitMs) override {
        try {
            const qint64 n = ReceiveFromFd(m_fd, into, max, waitMs);
            if (n == kClosed)
                m_peerClosed = true;
            return n;
        } catch (const CommunicationException& e) {
            throw CommunicationException(COMM_FAILED, QStringLiteral("%1: %2").arg(m_peer, e.Detail()));
        }
    }

    qint64 SendSome(const std::uint8_t* data, qint64 length, int waitMs) override {
        // The kernel would take the first bytes after the printer hung up and lose them.
        if (m_peerClosed)
            throw CommunicationException(COMM_FAILED,
                                         QStringLiteral("%1: the printer closed the connection").arg(m_peer));
        m_wrote = true;
        for (bool waited = false;; waited = true) {
            const ssize_t n = ::send(m_fd, data, std::size_t(length), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0)
                return n;
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                throw CommunicationException(COMM_FAILED,
                                             QStringLiteral("%1: %2").arg(m_peer, ErrorText(errno)));
            if (waited)
                return 0;
            pollfd entry{m_fd, POLLOUT, 0};
            const int ready = ::poll(&entry, 1, std::max(0, waitMs));
            if (ready <= 0)
                return 0;
        }
    }

    [[nodiscard]] QString Describe() const override { return m_peer; }

    void RequireOpen() const override {
        if (m_fd < 0)
            throw CommunicationException(COMM_FAILED, QStringLiteral("connection is not open"));
    }

private:
    // Everything written has left our buffers, but a printer that hung up with data unread
    // answers with a reset, which only shows once we look. Half-close and give the reset a short
    // moment to arrive; a printer that simply keeps the line open costs that moment only.
    bool PeerDroppedData() {
        ::shutdown(m_fd, SHUT_WR);
        pollfd events{m_fd, POLLIN | POLLRDHUP, 0};
        const int grace = WriteTimeoutMs() > 0
                              ? std::clamp(WriteTimeoutMs(), kMinResetGraceMs, kMaxResetGraceMs)
                              : kMaxResetGraceMs / 10;
        ::poll(&events, 1, grace);
        int error = SocketError();
        if (error == 0 && (events.revents & (POLLIN | POLLERR | POLLHUP))) {
            char byte = 0;
            if (::recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0)
                error = errno;
        }
        // A printer that closed before the last bytes reached it has not acknowledged them (nor
        // our end of data), and answers them with a reset a moment later. One that took
        // everything acknowledged it all before it closed.
        if (error == 0 && (events.revents & (POLLRDHUP | POLLHUP))) {
            const QDeadlineTimer settle(kMinResetGraceMs);
            while (error == 0 && Unacknowledged() > 0) {
                if (settle.hasExpired())
                    return true;
                pollfd wait{m_fd, POLLIN, 0};
                ::poll(&wait, 1, 2);
                error = SocketError();
                char byte = 0;
                if (error == 0 && ::recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0 && errno != EAGAIN &&
                    errno != EWOULDBLOCK)
                    error = errno;
            }
        }
        return error == ECONNRESET || error == EPIPE;
    }

    int SocketError() const {
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length);
        return error;
    }

    // Bytes sent (the end of data included) that the other side has not acknowledged.
    int Unacknowledged() const {
        int pending = 0;
        return ::ioctl(m_fd, SIOCOUTQ, &pending) == 0 ? pending : 0;
    }

    // A printer closes its side only when the host does; one that has already gone dropped the
    // connection while we were sending, and may not have taken everything.
    bool PeerHungUp() {
        if (m_peerClosed)
            return true;
        pollfd events{m_fd, POLLIN, 0};
        if (::poll(&events, 1, 0) <= 0 || !(events.revents & (POLLIN | POLLHUP)))
            return false;
        // A reset is reported once only; taking it for anything but a hang-up would lose it.
        char byte = 0;
        const ssize_t n = ::recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
    }

    void Drop() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_wrote = false;
        m_peerClosed = false;
        ResetStream();
    }

    int m_fd = -1;
    QString m_peer;
    bool m_wrote = false;
    bool m_peerClosed = false;
};

class InvalidBackend final : public CCommunicationProtocol {
public:
    void Open(tagPORTINFO info) override {
        throw CommunicationException(COMM_BAD_PARAMETER,
                                     QStringLiteral("unknown port type %1").arg(info.portType));
    }
    void Read(std::uint8_t*, int, int* count) override {
        if (count)
            *count = 0;
        throw CommunicationException(COMM_BAD_PARAMETER,
                                     QStringLiteral("the port description names no known port type"));
    }
    void Write(const std::uint8_t*, int, int* count) override {
        if (count)
            *count = 0;
        throw CommunicationException(COMM_BAD_PARAMETER,
                                     QStringLiteral("the port description names no known port type"));
    }
    void SetTimeouts(int, int) override {}
    void Close() override {}
};

} // namespace

std::unique_ptr<CCommunicationProtocol> MakeNetBackend() {
    return std::make_unique<NetBackend>();
}
std::unique_ptr<CCommunicationProtocol> MakeInvalidBackend() {
    return std::make_unique<InvalidBackend>();
}

} // namespace quillory
