#include "tools/DebugExchange.h"
#include "support/ScriptedPrinter.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace quillory;
using namespace quillory::test;

namespace {
const tagPORTINFO kPort = MakePortInfo(PORT_NET);
}

TEST(DebugExchange, AnEmptySendStillWaitsForAReply) {
    ScriptedPrinter printer;
    QElapsedTimer timer;
    timer.start();
    const DebugReply reply = RunDebugExchange(kPort, {});
    EXPECT_GE(timer.elapsed(), 100);
    EXPECT_EQ(reply.code, 0);
    EXPECT_TRUE(reply.bytes.isEmpty());
    EXPECT_TRUE(printer.Writes().isEmpty());
    const QStringList events = printer.Events();
    EXPECT_EQ(events.mid(0, 3), QStringList({"open", "timeouts 30 30", "timeouts 1 30"}));
    EXPECT_EQ(events.last(), "close");
}

TEST(DebugExchange, RepliesAreKeptToTheirFirst1024BytesAndFirstZero) {
    ScriptedPrinter printer([](const QByteArray&) { return QByteArray(3000, 'r'); });
    DebugReply reply = RunDebugExchange(kPort, "x");
    EXPECT_EQ(reply.bytes, QByteArray(1024, 'r'));
    ScriptedPrinter zero([](const QByteArray&) { return QByteArray("ab\0cd", 5); });
    reply = RunDebugExchange(kPort, "x");
    EXPECT_EQ(reply.bytes, QByteArray("ab"));
}

TEST(DebugExchange, RepeatedSendStopsOnRequestAfterAtLeastOneSend) {
    ScriptedPrinter printer;
    std::atomic<bool> stop{true};
    int counted = 0;
    EXPECT_EQ(RepeatFileSend(kPort, "FILE", 10, stop, [&](int n) { counted = n; }), 0);
    EXPECT_EQ(counted, 1);

    stop = false;
    std::atomic<int> sends{0};
    std::thread worker([&] { RepeatFileSend(kPort, "FILE", 5, stop, [&](int n) { sends = n; }); });
    while (sends < 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stop = true;
    worker.join();
    EXPECT_GE(sends.load(), 3);
    EXPECT_EQ(printer.Writes().size(), 1 + sends.load());
}

TEST(DebugExchange, CountsOnlyBytesThatWentOutAndEndsEarlyOnCancel) {
    ScriptedPrinter printer;
    std::atomic<bool> cancel{true};
    QElapsedTimer timer;
    timer.start();
    DebugReply reply = RunDebugExchange(kPort, "abc", {}, &cancel);
    EXPECT_LT(timer.elapsed(), 100);
    EXPECT_EQ(reply.code, 0);
    EXPECT_EQ(reply.sent, 3);
    EXPECT_EQ(printer.Written(), QByteArray("abc"));
    EXPECT_EQ(printer.Events().last(), "close");

    printer.FailOnWrite(2); // the next write, counted over the printer's life
    reply = RunDebugExchange(kPort, "abc");
    EXPECT_EQ(reply.code, 3);
    EXPECT_EQ(reply.sent, 0);
}
