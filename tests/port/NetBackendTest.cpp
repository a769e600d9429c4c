#include "port/backends/Backends.h"

#include "BackendTestSupport.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

using namespace quillory;
using namespace quillory::test;

namespace {

// A TCP printer on 127.0.0.1 that runs one script on the first connection it accepts.
class LoopbackPeer {
public:
    using Script = std::function<void(int fd)>;
    explicit LoopbackPeer(Script script) {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(m_listener, 1);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this, script = std::move(script)] {
            pollfd entry{m_listener, POLLIN, 0};
            if (::poll(&entry, 1, 10000) <= 0)
                return;
            const int fd = ::accept(m_listener, nullptr, nullptr);
            if (fd < 0)
                return;
            script(fd);
            ::close(fd);
        });
    }
    ~LoopbackPeer() {
        m_thread.join();
        ::close(m_listener);
    }
    [[nodiscard]] int Port() const { return m_port; }

    static QByteArray Receive(int fd, qsizetype wanted) {
        QByteArray bytes;
        char chunk[4096];
        while (bytes.size() < wanted) {
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, 5000) <= 0)
                break;
            const ssize_t n =
                ::recv(fd, chunk, std::min<std::size_t>(sizeof chunk, std::size_t(wanted - bytes.size())), 0);
            if (n <= 0)
                break;
            bytes.append(chunk, n);
        }
        return bytes;
    }
    static void Send(int fd, const QByteArray& bytes) {
        ::send(fd, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL);
    }

private:
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
};

tagPORTINFO NetInfo(const QString& address, int port) {
    tagPORTINFO info = MakePortInfo(PORT_NET);
    SetPortText(info.netAddress, address);
    info.netPort = port;
    return info;
}

int ClosedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd); // bound, never listening: connections are refused
    return ntohs(address.sin_port);
}

} // namespace

TEST(NetBackend, ExchangesEveryByteValue) {
    QByteArray received;
    LoopbackPeer peer([&](int fd) {
        received = LoopbackPeer::Receive(fd, 256);
        LoopbackPeer::Send(fd, AllByteValues());
        LoopbackPeer::Receive(fd, 1); // until the client closes
    });
    auto port = MakeNetBackend();
    port->Open(NetInfo("127.0.0.1", peer.Port()));
    port->SetTimeouts(2000, 1000);
    WriteAll(*port, AllByteValues());
    EXPECT_EQ(ReadOnce(*port), AllByteValues());
    port->Close();
    port->Close();
    EXPECT_EQ(received, AllByteValues());
}

TEST(NetBackend, ReadTimesOutWithNothingAndStopsAtAGap) {
    LoopbackPeer peer([](int fd) {
        LoopbackPeer::Receive(fd, 1);
        LoopbackPeer::Send(fd, "first");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        LoopbackPeer::Send(fd, "second");
        LoopbackPeer::Receive(fd, 1);
    });
    auto port = MakeNetBackend();
    port->Open(NetInfo("127.0.0.1", peer.Port()));
    port->SetTimeouts(100, 1000);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ReadOnce(*port), QByteArray());
    EXPECT_GE(clock.elapsed(), 90);

    port->SetTimeouts(1000, 1000);
    WriteAll(*port, "?");
    EXPECT_EQ(ReadOnce(*port), QByteArray("first"));
    EXPECT_EQ(ReadOnce(*port), QByteArray("second"));
}

TEST(NetBackend, PeerClosingMidReplyIsACommunicationFailure) {
    LoopbackPeer peer([](int fd) {
        LoopbackPeer::Receive(fd, 3);
        LoopbackPeer::Send(fd, "par"); // then hangs up
    });
    auto port = MakeNetBackend();
    port->Open(NetInfo("127.0.0.1", peer.Port()));
    port->SetTimeouts(1000, 1000);
    WriteAll(*port, "cmd");
    EXPECT_EQ(ReadOnce(*port), QByteArray("par"));
    QString detail;
    EXPECT_EQ(CodeOf([&] { ReadOnce(*port); }, &detail), COMM_FAILED);
    EXPECT_FALSE(detail.isEmpty());
    EXPECT_EQ(CodeOf([&] { WriteAll(*port, "more"); }), COMM_FAILED);
}

TEST(NetBackend, StalledPeerTimesTheWriteOut) {
    LoopbackPeer peer([](int fd) {
        int small = 4096;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // reads nothing
    });
    auto port = MakeNetBackend();
    port->Open(NetInfo("127.0.0.1", peer.Port()));
    port->SetTimeouts(100, 200);
    port->SetTiming({.replyTimeoutMs = 2000, .replyGapMs = 5, .stallLimitMs = 300});
    QString detail;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(CodeOf([&] { WriteAll(*port, QByteArray(64 << 20, 'x')); }, &detail), COMM_FAILED);
    EXPECT_LT(clock.elapsed(), 1400);
    EXPECT_TRUE(detail.contains("took no data for 300 ms")) << detail.toStdString();
    port->Close();
}

TEST(NetBackend, OpenFailuresCarryTheirCodes) {
    auto port = MakeNetBackend();
    QString detail;
    const int closed = ClosedLoopbackPort();
    EXPECT_EQ(CodeOf([&] { port->Open(NetInfo("127.0.0.1", closed)); }, &detail), COMM_OPEN_FAILED);
    EXPECT_TRUE(detail.contains(QString::number(closed))) << detail.toStdString();
    EXPECT_EQ(CodeOf([&] { port->Open(NetInfo("", 9100)); }), COMM_BAD_PARAMETER);
    EXPECT_EQ(CodeOf([&] { port->Open(NetInfo("127.0.0.1", 0)); }), COMM_BAD_PARAMETER);
    EXPECT_EQ(CodeOf([&] { port->Open(NetInfo("127.0.0.1", 70000)); }), COMM_BAD_PARAMETER);
    EXPECT_EQ(CodeOf([&] { ReadOnce(*port); }), COMM_FAILED); // not open
}

TEST(NetBackend, ReopeningStartsWithoutTheLastPeersLeftovers) {
    LoopbackPeer stale([](int fd) { LoopbackPeer::Send(fd, "stale reply"); });
    auto port = MakeNetBackend();
    port->Open(NetInfo("127.0.0.1", stale.Port()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the reply arrives, the peer hangs up

    LoopbackPeer fresh([](int fd) {
        LoopbackPeer::Receive(fd, 1);
        LoopbackPeer::Send(fd, "fresh");
        LoopbackPeer::Receive(fd, 1);
    });
    port->Open(NetInfo("127.0.0.1", fresh.Port()));
    port->SetTimeouts(1000, 1000);
    WriteAll(*port, "?");
    EXPECT_EQ(ReadOnce(*port), QByteArray("fresh"));
    port->Close(); // before the peer, which waits for it to hang up
}
