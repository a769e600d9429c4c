// The virtual printer's timing as a plain client sees it, over TCP and the pseudo-terminal: late
// replies in order, serial-line pacing both ways, slow and bursty reading that leaves bytes in the
// kernel, and stalls. Lower bounds are strict (the printer may never be early); upper bounds are
// generous, as the machine running the tests may be loaded.
#include "SimClients.h"
#include "sim/PrinterModel.h"
#include "sim/VirtualPrinter.h"

#include <QThread>

#include <gtest/gtest.h>

#include <memory>

using namespace quillory::sim;
using namespace quillory::sim::test;

namespace {

constexpr double kGenerousMs = 2500;

enum class Transport { Tcp, Pty };

class Timing : public ::testing::TestWithParam<Transport> {
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
    // The number of bytes the printer has read by now, and a time no earlier than that reading.
    std::pair<qsizetype, double> ReadSoFar() const {
        const qsizetype n = printer.ReceivedBytes().size();
        return {n, NowMs()};
    }

    VirtualPrinter printer{SIM_VKLZ};
    QString ptyPath;
};

std::string TransportName(const ::testing::TestParamInfo<Transport>& info) {
    return info.param == Transport::Tcp ? "Tcp" : "Pty";
}

} // namespace

TEST_P(Timing, EveryReplyWaitsItsLatencyAndTheOlderDelayStillCounts) {
    Faults faults;
    faults.latencyMs = 100;
    faults.replyDelayMs = 30; // the older field adds to the latency
    printer.SetFaults(faults);
    auto client = Connect();
    for (int round = 0; round < 4; ++round) {
        const qsizetype before = client->arrivals.Bytes().size();
        const double sent = NowMs();
        ASSERT_TRUE(client->Send(WordReads(0x18, 1)));
        ASSERT_EQ(client->Receive(before + 6).mid(before), HexWordReply(0x0008)) << round;
        const double took = client->arrivals.ArrivalMs(before) - sent;
        EXPECT_GE(took, 130) << round;
        EXPECT_LT(took, 130 + kGenerousMs) << round;
    }
}

TEST_P(Timing, JitteredPipelinedRepliesKeepTheirOrderAndCostOneLatency) {
    for (int a = 0; a < 256; ++a)
        printer.SetEepromWord(a, std::uint16_t(0x1000 + a * 7));
    QByteArray expected;
    for (int a = 0; a < 256; ++a)
        expected += HexWordReply(0x1000 + unsigned(a) * 7);
    Faults faults;
    faults.latencyMs = 60;
    faults.jitterMs = 50;
    printer.SetFaults(faults);
    auto client = Connect();
    const double sent = NowMs();
    ASSERT_TRUE(client->Send(WordReads(0, 256)));
    EXPECT_EQ(client->Receive(expected.size(), 8000), expected);
    EXPECT_GE(client->arrivals.ArrivalMs(0) - sent, 10);
    // 256 latencies in a row would take 15 s.
    EXPECT_LT(client->arrivals.ArrivalMs(expected.size() - 1) - sent, 110 + kGenerousMs);
}

TEST_P(Timing, JitterSpreadsTheLatencyAndNeverGoesBelowZero) {
    Faults faults;
    faults.latencyMs = 40;
    faults.jitterMs = 40;
    printer.SetFaults(faults);
    auto client = Connect();
    double shortest = 1e9;
    double longest = 0;
    for (int round = 0; round < 16; ++round) {
        const qsizetype before = client->arrivals.Bytes().size();
        const double sent = NowMs();
        ASSERT_TRUE(client->Send(WordReads(0x18, 1)));
        ASSERT_EQ(client->Receive(before + 6).size(), before + 6);
        const double took = client->arrivals.ArrivalMs(before) - sent;
        shortest = std::min(shortest, took);
        longest = std::max(longest, took);
    }
    EXPECT_GE(shortest, 0);
    EXPECT_LT(longest, 80 + kGenerousMs);
    // Sixteen uniform draws from 0..80 ms all within 15 ms of each other are next to impossible.
    EXPECT_GT(longest - shortest, 15);
}

TEST_P(Timing, FaultsChangeWhileAClientStaysConnected) {
    auto client = Connect();
    ASSERT_TRUE(client->Send(WordReads(0x18, 1)));
    ASSERT_EQ(client->Receive(6), HexWordReply(8));
    Faults faults;
    faults.latencyMs = 150;
    printer.SetFaults(faults);
    double sent = NowMs();
    ASSERT_TRUE(client->Send(WordReads(0x18, 1)));
    ASSERT_EQ(client->Receive(12).size(), 12);
    EXPECT_GE(client->arrivals.ArrivalMs(6) - sent, 150);
    printer.SetFaults({});
    sent = NowMs();
    ASSERT_TRUE(client->Send(WordReads(0x18, 1)));
    ASSERT_EQ(client->Receive(18).size(), 18);
    EXPECT_LT(client->arrivals.ArrivalMs(12) - sent, 140);
}

TEST_P(Timing, BaudRatePacesEveryByteOfTheReplies) {
    Faults faults;
    faults.baud = 9600;
    faults.hugeReplyBytes = 594; // 600 bytes in all: 0.625 s on the line
    printer.SetFaults(faults);
    auto client = Connect();
    const double sent = NowMs();
    ASSERT_TRUE(client->Send(WordReads(0x18, 1)));
    const QByteArray got = client->Receive(600, 5000);
    ASSERT_EQ(got.size(), 600);
    EXPECT_EQ(got.left(6), HexWordReply(8));
    const double byteMs = 10.0 * 1000 / 9600;
    for (qsizetype k = 0; k < got.size(); ++k)
        ASSERT_GE(client->arrivals.ArrivalMs(k) - sent, double(k) * byteMs) << "byte " << k;
    EXPECT_LT(client->arrivals.ArrivalMs(599) - sent, 625 + kGenerousMs);
}

TEST_P(Timing, APauseInsideEachReplyComesAfterItsFirstBytes) {
    Faults faults;
    faults.pauseInReplyMs = 400;
    faults.pauseAfterBytes = 3;
    printer.SetFaults(faults);
    auto client = Connect();
    for (int round = 0; round < 2; ++round) {
        const qsizetype before = client->arrivals.Bytes().size();
        ASSERT_TRUE(client->Send(WordReads(0x18, 1)));
        ASSERT_EQ(client->Receive(before + 6).mid(before), HexWordReply(0x0008)) << round;
        const double pause = client->arrivals.ArrivalMs(before + 3) - client->arrivals.ArrivalMs(before + 2);
        EXPECT_GE(pause, 400) << round;
        EXPECT_LT(pause, 400 + kGenerousMs) << round;
        EXPECT_LT(client->arrivals.ArrivalMs(before + 2) - client->arrivals.ArrivalMs(before), 300) << round;
    }
    // A reply no longer than the pause point goes out whole.
    faults.pauseAfterBytes = 6;
    printer.SetFaults(faults);
    const double sent = NowMs();
    ASSERT_TRUE(client->Send(WordReads(0x18, 1)));
    ASSERT_EQ(client->Receive(18).size(), 18);
    EXPECT_LT(client->arrivals.ArrivalMs(17) - sent, 300);
}

TEST_P(Timing, BaudRatePacesReading) {
    Faults faults;
    faults.baud = 9600;
    printer.SetFaults(faults);
    auto client = Connect();
    const double sent = NowMs();
    ASSERT_TRUE(client->Send(QByteArray(600, 'x'))); // label data: no reply
    QThread::msleep(250);
    const auto [early, at] = ReadSoFar();
    EXPECT_LE(double(early), 1 + (at - sent) * 0.96);
    EXPECT_GT(early, 0);
    ASSERT_TRUE(printer.WaitForBytes(600, 5000));
    const double done = NowMs();
    EXPECT_GE(done - sent, 599 / 0.96);
    EXPECT_LT(done - sent, 625 + kGenerousMs);
}

TEST_P(Timing, ASlowReaderLeavesWhatItHasNotReadInTheKernel) {
    Faults faults;
    faults.readRate = 960;
    printer.SetFaults(faults);
    auto client = Connect();
    const double sent = NowMs();
    // However much is offered, the kernel takes only what its buffers hold: the printer does not
    // empty them into memory, so the client's writes block as with flow control.
    const qsizetype offered = 64 * 1024 * 1024;
    qsizetype accepted = 0;
    const QByteArray block(1024 * 1024, 'x');
    for (int i = 0; i < 64; ++i) {
        const qsizetype n = client->Offer(block);
        ASSERT_GE(n, 0);
        accepted += n;
        if (n < block.size())
            break;
    }
    EXPECT_LT(accepted, offered);
    QThread::msleep(300);
    const auto [read, at] = ReadSoFar();
    // Smooth reading: 10 ms worth at a time, 960 bytes a second.
    EXPECT_LE(double(read), 10 + (at - sent) * 0.96);
    EXPECT_GT(read, 0);
    EXPECT_LT(read, accepted);
}

TEST_P(Timing, AReaderOf960BytesASecondReadsSmoothly) {
    Faults faults;
    faults.readRate = 960;
    printer.SetFaults(faults);
    auto client = Connect();
    const double sent = NowMs();
    ASSERT_TRUE(client->Send(QByteArray(600, 'x')));
    double lastChange = sent;
    double longestPause = 0;
    qsizetype seen = 0;
    while (seen < 600 && NowMs() - sent < 5000) {
        QThread::msleep(2);
        const auto [n, at] = ReadSoFar();
        EXPECT_LE(double(n), 10 + (at - sent) * 0.96);
        if (n != seen) {
            longestPause = std::max(longestPause, NowMs() - lastChange);
            lastChange = NowMs();
            seen = n;
        }
    }
    ASSERT_EQ(seen, 600);
    EXPECT_GE(NowMs() - sent, (600 - 10) / 0.96);
    EXPECT_LT(longestPause, 250); // small bursts, about every 10 ms
}

TEST_P(Timing, AReaderInBurstsTakesAWholeBurstThenPauses) {
    Faults faults;
    faults.readRate = 100000;
    faults.readBurst = 20000; // 20000 bytes every 0.2 s
    printer.SetFaults(faults);
    auto client = Connect();
    const double sent = NowMs();
    const QByteArray data(100000, 'x');
    qsizetype offered = 0;
    std::vector<std::pair<double, qsizetype>> plateaus; // when each count was first seen
    while (NowMs() - sent < 6000) {
        if (offered < data.size()) {
            const qsizetype n = client->Offer(QByteArrayView(data).sliced(offered));
            ASSERT_GE(n, 0);
            offered += n;
        }
        const auto [n, at] = ReadSoFar();
        // Never more than a burst plus the rate since the start.
        ASSERT_LE(double(n), 20000 + (at - sent) * 100);
        if (plateaus.empty() || plateaus.back().second != n)
            plateaus.push_back({NowMs(), n});
        if (n == data.size())
            break;
        QThread::msleep(2);
    }
    ASSERT_EQ(plateaus.back().second, data.size());
    EXPECT_GE(plateaus.back().first - sent, 800);
    // Between the bursts the reader takes nothing for most of 0.2 s.
    int longPauses = 0;
    for (std::size_t i = 1; i < plateaus.size(); ++i) {
        if (plateaus[i].first - plateaus[i - 1].first >= 120)
            ++longPauses;
    }
    EXPECT_GE(longPauses, 3);
}

TEST_P(Timing, TheReaderStallsAtEachOffsetOnEveryConnection) {
    Faults faults;
    faults.stalls = {{300, 1000}, {200, 1500}};
    printer.SetFaults(faults);
    for (int round = 0; round < 2; ++round) {
        printer.ClearLog();
        auto client = Connect();
        const double sent = NowMs();
        ASSERT_TRUE(client->Send(QByteArray(2000, 'x')));
        ASSERT_TRUE(printer.WaitForBytes(1000, 3000));
        const auto [atStall, when] = ReadSoFar();
        if (when - sent < 280) {
            EXPECT_EQ(atStall, 1000) << round;
        }
        ASSERT_TRUE(printer.WaitForBytes(2000, 5000)) << round;
        const double done = NowMs();
        EXPECT_GE(done - sent, 500) << round;
        EXPECT_LT(done - sent, 500 + kGenerousMs) << round;
        EXPECT_EQ(printer.ReceivedBytes(), QByteArray(2000, 'x'));
        client.reset();
        EXPECT_TRUE(WaitForPtyHangUp(printer));
    }
}

INSTANTIATE_TEST_SUITE_P(Transports, Timing, ::testing::Values(Transport::Tcp, Transport::Pty),
                         TransportName);
