// The faults that send what no reply check may accept: endless junk, replies followed by a huge
// tail, a byte every few milliseconds whatever is asked, junk of the right length. Junk holds no
// hexadecimal digit, no line end and no "FV", so no run of it reads as a value or a version.
#include "SimClients.h"
#include "sim/PrinterModel.h"
#include "sim/VirtualPrinter.h"

#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

using namespace quillory::sim;
using namespace quillory::sim::test;

namespace {

bool IsJunk(QByteArrayView bytes) {
    for (const char c : bytes) {
        if (std::isxdigit(static_cast<unsigned char>(c)) || c == '\r' || c == '\n')
            return false;
    }
    return !bytes.contains("FV");
}

// Resident memory of this process (client and printer), in bytes.
qint64 ResidentBytes() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

enum class Transport { Tcp, Pty };

class Junk : public ::testing::TestWithParam<Transport> {
protected:
    void SetUp() override {
        ASSERT_TRUE(printer.StartTcp(0));
        ptyPath = printer.StartPty();
        ASSERT_FALSE(ptyPath.isEmpty());
    }
    std::unique_ptr<FdClient> Connect() {
        std::unique_ptr<FdClient> client;
        if (GetParam() == Transport::Tcp)
            client = std::make_unique<TcpClient>(printer.TcpPort());
        else
            client = std::make_unique<PtyClient>(ptyPath);
        EXPECT_TRUE(client->IsOpen());
        return client;
    }
    // After a fault, the printer answers a new client properly again.
    void ExpectWellAgain() {
        printer.SetFaults({});
        EXPECT_TRUE(WaitForPtyHangUp(printer));
        auto client = Connect();
        ASSERT_TRUE(client->Send(WordReads(0x18, 1)));
        EXPECT_EQ(client->Receive(6, 2000), HexWordReply(8));
        EXPECT_TRUE(client->ReceiveFor(50).size() == 6);
    }

    VirtualPrinter printer{SIM_VKLE};
    QString ptyPath;
};

std::string TransportName(const ::testing::TestParamInfo<Transport>& info) {
    return info.param == Transport::Tcp ? "Tcp" : "Pty";
}

} // namespace

TEST(JunkBytes, NoRunOfJunkReadsAsAReply) {
    QByteArray stream;
    for (qint64 i = 0; i < 1000; ++i)
        stream += JunkByte(i);
    EXPECT_TRUE(IsJunk(stream));
}

TEST_P(Junk, EndlessStartsWithTheFirstRequestAndTakesTheWholeLine) {
    Faults faults;
    faults.endless = true;
    printer.SetFaults(faults);
    {
        auto client = Connect();
        EXPECT_TRUE(client->ReceiveFor(150).isEmpty());
        ASSERT_TRUE(client->Send("~WN01@version~\r\n"));
        const QByteArray got = client->ReceiveFor(300);
        EXPECT_GT(got.size(), 10000);
        EXPECT_TRUE(IsJunk(got));
    }
    {
        faults.baud = 9600;
        printer.SetFaults(faults);
        EXPECT_TRUE(WaitForPtyHangUp(printer));
        auto client = Connect();
        const double sent = NowMs();
        ASSERT_TRUE(client->Send(WordReads(0x18, 1)));
        const QByteArray got = client->ReceiveFor(500);
        EXPECT_LE(double(got.size()), 1 + (NowMs() - sent) * 0.96);
        EXPECT_GT(got.size(), 100);
        EXPECT_TRUE(IsJunk(got));
    }
    ExpectWellAgain();
}

TEST_P(Junk, EveryReplyIsFollowedByAHugeTail) {
    Faults faults;
    faults.hugeReplyBytes = 200000;
    printer.SetFaults(faults);
    auto client = Connect();
    ASSERT_TRUE(client->Send(WordReads(0x18, 1) + WordReads(0x5A, 1)));
    const QByteArray got = client->Receive(2 * 200006, 8000);
    ASSERT_EQ(got.size(), 2 * 200006);
    EXPECT_EQ(got.left(6), HexWordReply(0x0008));
    EXPECT_TRUE(IsJunk(got.mid(6, 200000)));
    EXPECT_EQ(got.mid(200006, 6), HexWordReply(800));
    EXPECT_TRUE(IsJunk(got.mid(200012)));
    EXPECT_TRUE(client->ReceiveFor(50).size() == got.size());
    client.reset();
    ExpectWellAgain();
}

TEST_P(Junk, TrickleSendsAByteEveryFewMillisecondsAndRepliesStayWhole) {
    Faults faults;
    faults.trickleMs = 4;
    printer.SetFaults(faults);
    const double start = NowMs();
    auto client = Connect();
    const QByteArray quiet = client->ReceiveFor(400);
    EXPECT_LE(double(quiet.size()), (NowMs() - start) / 4 + 1);
    EXPECT_GE(quiet.size(), 20);
    EXPECT_TRUE(IsJunk(quiet));

    ASSERT_TRUE(client->Send(WordReads(0x18, 1)));
    QByteArray got = client->ReceiveFor(200).mid(quiet.size());
    const qsizetype reply = got.indexOf(HexWordReply(8));
    ASSERT_GE(reply, 0) << got.constData();
    got.remove(reply, 6);
    EXPECT_TRUE(IsJunk(got));
    client.reset();
    ExpectWellAgain();
}

TEST_P(Junk, GarbageHasTheLengthOfEachReplyAndSilenceSendsNothing) {
    Faults faults;
    faults.garbage = true;
    printer.SetFaults(faults);
    {
        auto client = Connect();
        ASSERT_TRUE(client->Send(WordReads(0, 256)));
        const QByteArray got = client->Receive(1536, 3000);
        EXPECT_EQ(got.size(), 1536);
        EXPECT_TRUE(IsJunk(got));
        EXPECT_EQ(client->ReceiveFor(50).size(), 1536);
    }
    faults = {};
    faults.silent = true;
    faults.trickleMs = 4;
    faults.hugeReplyBytes = 1000;
    printer.SetFaults(faults);
    EXPECT_TRUE(WaitForPtyHangUp(printer));
    {
        auto client = Connect();
        ASSERT_TRUE(client->Send(WordReads(0, 16)));
        EXPECT_TRUE(client->ReceiveFor(200).isEmpty());
    }
    ExpectWellAgain();
}

INSTANTIATE_TEST_SUITE_P(Transports, Junk, ::testing::Values(Transport::Tcp, Transport::Pty), TransportName);

TEST(JunkMemory, MemoryStaysFlatUnderFloodsBothWays) {
    VirtualPrinter printer(SIM_VKLZ);
    printer.SetLogInMemory(false);
    ASSERT_TRUE(printer.StartTcp(0));
    const qint64 before = ResidentBytes();
    ASSERT_GT(before, 0);
    {
        // 128 MiB in: read and passed over, never kept.
        TcpClient client(printer.TcpPort());
        const QByteArray block(1024 * 1024, 'x');
        for (int i = 0; i < 128; ++i)
            ASSERT_TRUE(client.Send(block));
        ASSERT_TRUE(printer.WaitForBytes(128 * 1024 * 1024, 20000));
        EXPECT_TRUE(printer.ReceivedBytes().isEmpty());
    }
    {
        // Endless junk to a client that reads slowly, and replies that pile up behind it.
        Faults faults;
        faults.hugeReplyBytes = qint64(1) << 30;
        printer.SetFaults(faults);
        TcpClient client(printer.TcpPort());
        for (int i = 0; i < 50; ++i) {
            ASSERT_GE(client.Offer(WordReads(0, 256)), 0);
            char buffer[4096];
            [[maybe_unused]] const ssize_t n = ::read(client.Descriptor(), buffer, sizeof buffer);
            QThread::msleep(10);
        }
    }
    EXPECT_LT(ResidentBytes() - before, 48 * 1024 * 1024);
}

TEST(JunkWhileConnected, TrickleSetOnAQuietConnectionStartsAtOnce) {
    VirtualPrinter printer(SIM_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    TcpClient client(printer.TcpPort());
    EXPECT_TRUE(client.ReceiveFor(100).isEmpty());
    Faults faults;
    faults.trickleMs = 5;
    printer.SetFaults(faults);
    EXPECT_GE(client.ReceiveFor(300).size(), 10);
    printer.SetFaults({});
    const qsizetype stopped = client.ReceiveFor(50).size();
    EXPECT_LE(client.ReceiveFor(200).size(), stopped + 1);
}
