#include "port/backends/Backends.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace quillory {
namespace {

// How long the connection attempt may take; the exchange time-outs are set only after Open.
constexpr int kConnectTimeoutMs = 3000;

class NetBackend final : public CCommunicationProtocol {
public:
    void Open(tagPORTINFO info) override {
        const QString address = PortText(info.netAddress).trimmed();
        if (address.isEmpty() || info.netPort <= 0 || info.netPort > 65535)
            throw CommunicationException(COMM_BAD_PARAMETER, QStringLiteral("no network address or port"));
        Close();
        m_wrote = false;
        m_socket.connectToHost(address, quint16(info.netPort));
        if (!m_socket.waitForConnected(kConnectTimeoutMs)) {
            const QString why = m_socket.errorString();
            m_socket.abort();
            throw CommunicationException(COMM_OPEN_FAILED,
                                         QStringLiteral("%1:%2: %3").arg(address).arg(info.netPort).arg(why));
        }
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }

    void Read(std::uint8_t* buffer, int capacity, int* count) override {
        int got = 0;
        if (count)
            *count = 0;
        if (!buffer || capacity <= 0)
            return;
        RequireOpen();
        if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(m_readTimeout)) {
            if (m_socket.state() != QAbstractSocket::ConnectedState && m_socket.bytesAvailable() == 0)
                throw CommunicationException(COMM_FAILED, QStringLiteral("connection closed by the printer"));
            return; // nothing came within the read time-out
        }
        while (got < capacity) {
            const qint64 n = m_socket.read(reinterpret_cast<char*>(buffer) + got, capacity - got);
            if (n < 0)
                throw CommunicationException(COMM_FAILED, m_socket.errorString());
            got += int(n);
            if (got >= capacity)
                break;
            if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(kInterByteGapMs))
                break;
        }
        if (count)
            *count = got;
    }

    void Write(const std::uint8_t* data, int length, int* count) override {
        if (count)
            *count = 0;
        RequireOpen();
        if (length <= 0)
            return;
        if (!data)
            throw CommunicationException(COMM_BAD_PARAMETER, QStringLiteral("no data to write"));
        const char* bytes = reinterpret_cast<const char*>(data);
        qint64 queued = 0;
        while (queued < length) {
            m_wrote = true;
            const qint64 n = m_socket.write(bytes + queued, length - queued);
            if (n < 0)
                throw CommunicationException(COMM_FAILED, m_socket.errorString());
            queued += n;
        }
        // Every wait must make progress within the write time-out.
        while (m_socket.bytesToWrite() > 0) {
            if (!m_socket.waitForBytesWritten(m_writeTimeout))
                throw CommunicationException(COMM_FAILED, m_socket.state() == QAbstractSocket::ConnectedState
                                                              ? QStringLiteral("write timed out")
                                                              : m_socket.errorString());
        }
        if (count)
            *count = length;
    }

    void SetTimeouts(int readTimeout, int writeTimeout) override {
        m_readTimeout = qMax(0, readTimeout);
        m_writeTimeout = qMax(1, writeTimeout);
    }

    void Close() override {
        if (m_socket.state() == QAbstractSocket::ConnectedState && m_wrote) {
            m_wrote = false;
            if (PeerDroppedData()) {
                m_socket.abort();
                throw CommunicationException(
                    COMM_FAILED,
                    QStringLiteral("the printer closed the connection before taking everything"));
            }
        }
        if (m_socket.state() == QAbstractSocket::ConnectedState) {
            m_socket.disconnectFromHost(); // lets queued bytes go out first
            if (m_socket.state() != QAbstractSocket::UnconnectedState)
                m_socket.waitForDisconnected(1000);
        }
        // Also drops what a peer that hung up left unread, so a new Open starts clean.
        m_socket.abort();
    }

private:
    // Everything written has left our buffers, but a printer that hung up with data unread
    // answers with a reset, which only shows once we look. Half-close and give the reset a short
    // moment to arrive; a printer that simply keeps the line open costs that moment only.
    bool PeerDroppedData() {
        const qintptr fd = m_socket.socketDescriptor();
        if (fd < 0)
            return false;
        ::shutdown(int(fd), SHUT_WR);
        pollfd events{int(fd), POLLIN, 0};
        ::poll(&events, 1, std::min(m_writeTimeout, kResetGraceMs));
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(int(fd), SOL_SOCKET, SO_ERROR, &error, &length);
        if (error == 0 && (events.revents & (POLLIN | POLLERR | POLLHUP))) {
            char byte = 0;
            if (::recv(int(fd), &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0)
                error = errno;
        }
        return error == ECONNRESET || error == EPIPE;
    }

    void RequireOpen() {
        if (m_socket.state() != QAbstractSocket::ConnectedState && m_socket.bytesAvailable() == 0)
            throw CommunicationException(COMM_FAILED, QStringLiteral("connection is not open"));
    }

    QTcpSocket m_socket;
    int m_readTimeout = kDefaultReadTimeoutMs;
    int m_writeTimeout = kDefaultWriteTimeoutMs;
    bool m_wrote = false;
    static constexpr int kResetGraceMs = 100;
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
