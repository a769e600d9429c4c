// The waiting rules every byte-stream backend shares, against a scripted line whose bytes arrive
// and leave on a clock.
#include "port/StreamPort.h"

#include "BackendTestSupport.h"

#include <QElapsedTimer>
#include <QThread>

#include <deque>

using namespace quillory;
using namespace quillory::test;

namespace {

// Incoming bytes become available at given times (ms after the line was made); outgoing bytes
// are taken at most `takeEvery` bytes per call, or none while `stalled`.
class ScriptedLine final : public CStreamPort {
public:
    struct Arrival {
        qint64 atMs;
        QByteArray bytes;
    };

    ScriptedLine() { m_clock.start(); }
    void Open(tagPORTINFO) override { m_open = true; }
    void Close() override {
        m_open = false;
        ResetStream();
    }

    void Arrive(qint64 atMs, const QByteArray& bytes) { m_arrivals.push_back({atMs, bytes}); }
    void SetLineGap(int ms) { m_lineGap = ms; }

    qint64 takePerCall = 1 << 30;
    qint64 stalledUntilMs = 0;
    bool closedByPeer = false;
    QByteArray taken;

protected:
    qint64 ReceiveSome(std::uint8_t* into, qint64 max, int waitMs) override {
        const qint64 deadline = m_clock.elapsed() + waitMs;
        for (;;) {
            if (!m_arrivals.empty() && m_arrivals.front().atMs <= m_clock.elapsed()) {
                QByteArray& next = m_arrivals.front().bytes;
                const qint64 n = std::min<qint64>(max, next.size());
                std::memcpy(into, next.constData(), std::size_t(n));
                next.remove(0, n);
                if (next.isEmpty())
                    m_arrivals.pop_front();
                return n;
            }
            if (m_arrivals.empty() && closedByPeer)
                return kClosed;
            if (m_clock.elapsed() >= deadline)
                return 0;
            QThread::msleep(1);
        }
    }
    qint64 SendSome(const std::uint8_t* data, qint64 length, int waitMs) override {
        if (m_clock.elapsed() < stalledUntilMs) {
            QThread::msleep(std::max(1, std::min<int>(waitMs, int(stalledUntilMs - m_clock.elapsed()))));
            if (m_clock.elapsed() < stalledUntilMs)
                return 0;
        }
        const qint64 n = std::min(length, takePerCall);
        taken.append(reinterpret_cast<const char*>(data), n);
        return n;
    }
    [[nodiscard]] int LineGapMs() const override { return m_lineGap; }
    [[nodiscard]] QString Describe() const override { return QStringLiteral("scripted line"); }
    void RequireOpen() const override {
        if (!m_open)
            throw CommunicationException(COMM_FAILED, QStringLiteral("not open"));
    }

private:
    QElapsedTimer m_clock;
    std::deque<Arrival> m_arrivals;
    int m_lineGap = 0;
    bool m_open = false;
};

QByteArray ReadWithin(CCommunicationProtocol& port, int capacity, int waitMs) {
    QByteArray buffer(capacity, '\0');
    const int n = port.ReadWithin(reinterpret_cast<std::uint8_t*>(buffer.data()), capacity, waitMs);
    return buffer.left(n);
}

PortTiming Timing(int replyGap, int stallLimit = 30000) {
    return {.replyTimeoutMs = 2000, .replyGapMs = replyGap, .stallLimitMs = stallLimit};
}

} // namespace

TEST(StreamPort, AReplyEndsAtTheGapAndTheLineSetsTheShortestGap) {
    ScriptedLine line;
    line.Open({});
    line.SetTiming(Timing(20));
    // "0a" at 0, "3f\r\n" 10 ms later: one reply; "ff" 80 ms later is the next one.
    line.Arrive(0, "0a");
    line.Arrive(10, "3f\r\n");
    line.Arrive(90, "ff");
    EXPECT_EQ(ReadWithin(line, 64, 500), QByteArray("0a3f\r\n"));
    EXPECT_EQ(ReadWithin(line, 64, 500), QByteArray("ff"));

    // A slow serial line: bytes 30 ms apart belong together once the line's gap is longer.
    ScriptedLine slow;
    slow.Open({});
    slow.SetTiming(Timing(5));
    slow.SetLineGap(45);
    for (int i = 0; i < 4; ++i)
        slow.Arrive(30 * i, QByteArray(1, "12\r\n"[i]));
    EXPECT_EQ(slow.ReplyGapMs(), 45);
    EXPECT_EQ(ReadWithin(slow, 64, 500), QByteArray("12\r\n"));
}

TEST(StreamPort, TheFirstByteIsAwaitedAsLongAsAskedAndCapacityBoundsAReply) {
    ScriptedLine line;
    line.Open({});
    line.SetTiming(Timing(5));
    line.Arrive(150, "late");
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ReadWithin(line, 64, 50), QByteArray()); // the short wait of a drain misses it
    EXPECT_GE(clock.elapsed(), 45);
    EXPECT_EQ(ReadWithin(line, 64, 1000), QByteArray("late")); // an awaited reply does not
    line.Arrive(0, QByteArray(100, 'x'));
    EXPECT_EQ(ReadWithin(line, 64, 100).size(), 64);
    EXPECT_EQ(ReadWithin(line, 64, 100).size(), 36);

    line.closedByPeer = true;
    QString detail;
    EXPECT_EQ(CodeOf([&] { ReadWithin(line, 64, 100); }, &detail), COMM_FAILED);
    EXPECT_TRUE(detail.contains("scripted line")) << detail.toStdString();
}

TEST(StreamPort, WritesWaitWhileTheLineMovesAndFailOnlyAfterTheStallLimit) {
    ScriptedLine line;
    line.Open({});
    line.SetTimeouts(30, 30); // the shortest waits: a pause of 150 ms must not end the write
    line.SetTiming(Timing(5, 400));
    line.stalledUntilMs = 150;
    const QByteArray job(5000, 'j');
    WriteAll(line, job);
    EXPECT_EQ(line.taken, job);

    ScriptedLine stuck;
    stuck.Open({});
    stuck.SetTiming(Timing(5, 200));
    stuck.takePerCall = 1000;
    stuck.stalledUntilMs = 1 << 30;
    QString detail;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(CodeOf([&] { WriteAll(stuck, QByteArray(3000, 'x')); }, &detail), COMM_FAILED);
    EXPECT_GE(clock.elapsed(), 190);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(detail.contains("took no data for 200 ms (0 of 3000 bytes sent)")) << detail.toStdString();
}

TEST(StreamPort, WhatThePrinterSendsDuringAStalledWriteIsKeptToABound) {
    ScriptedLine line;
    line.Open({});
    line.SetTiming(Timing(5, 5000));
    line.stalledUntilMs = 300;
    line.Arrive(0, "status\r\n");
    line.Arrive(0, QByteArray(CStreamPort::kHeldLimit * 3, 'n'));
    WriteAll(line, "job");
    // The first bytes were kept for the next read; the flood beyond the bound was dropped.
    EXPECT_EQ(ReadWithin(line, 8, 0), QByteArray("status\r\n"));
    qint64 kept = 0;
    for (QByteArray chunk = ReadWithin(line, 1 << 20, 0); !chunk.isEmpty();
         chunk = ReadWithin(line, 1 << 20, 0))
        kept += chunk.size();
    EXPECT_LE(kept, CStreamPort::kHeldLimit * 3);
    EXPECT_GE(kept, CStreamPort::kHeldLimit - 8);
}

TEST(StreamPort, DiscardDropsWhatHasArrivedAndGivesUpOnAnEndlessTalker) {
    ScriptedLine line;
    line.Open({});
    line.SetTiming(Timing(5));
    line.Arrive(0, "old reply");
    line.Arrive(200, "new");
    EXPECT_EQ(line.DiscardInput(), 9);
    EXPECT_EQ(ReadWithin(line, 64, 1000), QByteArray("new"));

    for (int i = 0; i < 600; ++i)
        line.Arrive(0, QByteArray(16 * 1024, 'z'));
    EXPECT_EQ(CodeOf([&] { (void)line.DiscardInput(); }), COMM_FAILED);
}

TEST(PortTiming, SerialGapIsThreeAndAHalfCharactersRoundedUp) {
    EXPECT_EQ(SerialGapMs(1200, 8, false, 1), 30); // 29.2 ms
    EXPECT_EQ(SerialGapMs(2400, 8, false, 1), 15);
    EXPECT_EQ(SerialGapMs(9600, 8, false, 1), 4);
    EXPECT_EQ(SerialGapMs(115200, 8, false, 1), 1);
    EXPECT_EQ(SerialGapMs(2400, 7, true, 2), 17); // 11 bits per character
    EXPECT_EQ(SerialGapMs(0, 8, false, 1), 0);
    EXPECT_EQ(SerialGapMs(-9600, 8, false, 1), 0);
}

TEST(PortTiming, EveryConnectionGetsTheTimingOfTheSource) {
    SetPortTimingSource(
        [] { return PortTiming{.replyTimeoutMs = 1234, .replyGapMs = 7, .stallLimitMs = 999}; });
    CCommunicationFactory factory;
    CCommunicationProtocol* connection = factory.CreateFacory(MakePortInfo(PORT_NET));
    EXPECT_EQ(connection->Timing().replyTimeoutMs, 1234);
    EXPECT_EQ(connection->Timing().replyGapMs, 7);
    EXPECT_EQ(connection->Timing().stallLimitMs, 999);
    SetPortTimingSource({});
    EXPECT_EQ(factory.CreateFacory(MakePortInfo(PORT_NET))->Timing().replyTimeoutMs,
              PortTiming{}.replyTimeoutMs);
}
