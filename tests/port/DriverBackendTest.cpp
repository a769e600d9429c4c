#include "port/backends/Backends.h"

#include "BackendTestSupport.h"
#include "support/CupsServer.h"

#include <QElapsedTimer>

#include <cups/cups.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

using namespace quillory;
using namespace quillory::test;

namespace {

// The printer behind a queue: a loopback TCP listener that keeps everything each connection
// sends until the sender closes.
class RawPrinter {
public:
    RawPrinter() {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(m_listener, 4);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~RawPrinter() { ::close(m_listener); }
    [[nodiscard]] QString Uri() const { return QStringLiteral("socket://127.0.0.1:%1").arg(m_port); }

    // The bytes of the next job, or what came before timeoutMs passed.
    QByteArray NextJob(int timeoutMs) {
        QByteArray bytes;
        pollfd entry{m_listener, POLLIN, 0};
        if (::poll(&entry, 1, timeoutMs) <= 0)
            return bytes;
        const int fd = ::accept(m_listener, nullptr, nullptr);
        QElapsedTimer clock;
        clock.start();
        char chunk[4096];
        while (clock.elapsed() < timeoutMs) {
            pollfd data{fd, POLLIN, 0};
            if (::poll(&data, 1, 100) <= 0)
                continue;
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                break;
            bytes.append(chunk, n);
        }
        ::close(fd);
        return bytes;
    }

private:
    int m_listener = -1;
    int m_port = 0;
};

tagPORTINFO DriverInfo(const QString& queue) {
    tagPORTINFO info = MakePortInfo(PORT_DRIVER);
    SetPortText(info.driverName, queue);
    return info;
}

class DriverPort : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CupsServer::Installed())
            GTEST_SKIP() << "cupsd is not installed; the driver port is tested where it is (CI installs it)";
        server = std::make_unique<CupsServer>();
        ASSERT_TRUE(server->IsRunning()) << server->ErrorText().toStdString();
    }
    std::unique_ptr<CupsServer> server;
};

} // namespace

TEST_F(DriverPort, RawJobReachesThePrinterByteForByte) {
    RawPrinter printer;
    ASSERT_TRUE(server->AddQueue("Label", printer.Uri())) << server->ErrorText().toStdString();

    QByteArray job;
    for (int i = 0; i < 64; ++i)
        job += AllByteValues();
    auto port = MakeDriverBackend();
    port->Open(DriverInfo("Label"));
    port->SetTimeouts(30, 5000);
    WriteAll(*port, job.left(1000));
    WriteAll(*port, job.mid(1000));
    EXPECT_EQ(ReadOnce(*port), QByteArray()); // a queue never answers
    port->Close();
    port->Close();
    const QByteArray received = printer.NextJob(60000);
    EXPECT_EQ(received.size(), job.size());
    EXPECT_TRUE(received == job);
}

TEST_F(DriverPort, OpenWithoutWritingSendsNothing) {
    RawPrinter printer;
    ASSERT_TRUE(server->AddQueue("Label", printer.Uri())) << server->ErrorText().toStdString();
    {
        auto port = MakeDriverBackend();
        port->Open(DriverInfo("Label")); // proving the port
        port->Close();
    }
    auto port = MakeDriverBackend();
    port->Open(DriverInfo("Label"));
    WriteAll(*port, "second");
    port->Close();
    EXPECT_EQ(printer.NextJob(60000), QByteArray("second"));
}

TEST_F(DriverPort, QueueFailuresCarryTheirCodes) {
    RawPrinter printer;
    ASSERT_TRUE(server->AddQueue("Rejecting", printer.Uri())) << server->ErrorText().toStdString();
    ASSERT_TRUE(server->RunTool("cupsreject", {"Rejecting"})) << server->ErrorText().toStdString();
    ASSERT_TRUE(server->AddQueue("Denied", printer.Uri(), {},
                                 {"-u", QStringLiteral("deny:%1").arg(QString::fromUtf8(cupsUser()))}))
        << server->ErrorText().toStdString();

    auto port = MakeDriverBackend();
    QString detail;
    EXPECT_EQ(CodeOf([&] { port->Open(DriverInfo("NoSuchQueue")); }, &detail), COMM_OPEN_FAILED)
        << detail.toStdString();
    EXPECT_TRUE(detail.contains("NoSuchQueue")) << detail.toStdString();
    EXPECT_EQ(CodeOf([&] { port->Open(DriverInfo("Rejecting")); }), COMM_QUEUE_BUSY);
    EXPECT_EQ(CodeOf([&] { port->Open(DriverInfo("Denied")); }, &detail), COMM_ACCESS_DENIED)
        << detail.toStdString();
    EXPECT_EQ(CodeOf([&] { port->Open(DriverInfo("")); }), COMM_BAD_PARAMETER);
    port->Close();
    EXPECT_EQ(CodeOf([&] { WriteAll(*port, "x"); }), COMM_FAILED); // not open
}

TEST_F(DriverPort, OnlyLocalQueuesOfOurDriverFamilyAreListed) {
    EXPECT_TRUE(ListDriverPrinters().isEmpty());
    ASSERT_TRUE(server->AddQueue("Bravo", "socket://127.0.0.1:9")) << server->ErrorText().toStdString();
    ASSERT_TRUE(server->AddQueue("Alpha", "socket://127.0.0.1:9")) << server->ErrorText().toStdString();
    ASSERT_TRUE(server->AddQueue("Lower", "socket://127.0.0.1:9", server->PpdWithNickName("kmt-Lower Case")));
    ASSERT_TRUE(
        server->AddQueue("Other", "socket://127.0.0.1:9", server->PpdWithNickName("Other Label Printer")));
    ASSERT_TRUE(server->AddQueue("Short", "socket://127.0.0.1:9", server->PpdWithNickName("KMT")));
    EXPECT_EQ(ListDriverPrinters(), QStringList({"Alpha", "Bravo"}));
}

TEST(DriverPortService, NoPrintServiceIsUnavailable) {
    const QByteArray saved = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", "127.0.0.1:1");
    cupsSetServer(nullptr);
    auto port = MakeDriverBackend();
    QString detail;
    EXPECT_EQ(CodeOf([&] { port->Open(DriverInfo("Label")); }, &detail), COMM_UNAVAILABLE);
    EXPECT_TRUE(detail.contains("127.0.0.1")) << detail.toStdString();
    EXPECT_EQ(CodeOf([] { (void)ListDriverPrinters(); }), COMM_UNAVAILABLE);
    qputenv("CUPS_SERVER", saved);
    cupsSetServer(nullptr);
}
