// The fault options of quillory-printer-sim: their texts, the usage errors for bad ones, and the
// program behaving as they say.
#include "sim/FaultOptions.h"
#include "SimClients.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>

using namespace quillory::sim;
using namespace quillory::sim::test;

TEST(FaultOptionTexts, GoodTextsSetTheirFields) {
    Faults f;
    EXPECT_EQ(ParseLatencyOption("40", f), "");
    EXPECT_EQ(f.latencyMs, 40);
    EXPECT_EQ(f.jitterMs, 0);
    EXPECT_EQ(ParseLatencyOption("1000:250", f), "");
    EXPECT_EQ(f.latencyMs, 1000);
    EXPECT_EQ(f.jitterMs, 250);
    EXPECT_EQ(ParseLatencyOption("0:0", f), "");
    EXPECT_EQ(f.latencyMs, 0);

    EXPECT_EQ(ParseReadRateOption("436907:262144", f), ""); // 256 KiB every 0.6 s
    EXPECT_EQ(f.readRate, 436907);
    EXPECT_EQ(f.readBurst, 262144);
    EXPECT_EQ(ParseReadRateOption("960", f), "");
    EXPECT_EQ(f.readRate, 960);
    EXPECT_EQ(f.readBurst, 0);

    EXPECT_EQ(ParseStallOption("400@65536", f), "");
    EXPECT_EQ(ParseStallOption("50@0", f), "");
    ASSERT_EQ(f.stalls.size(), 2u);
    EXPECT_EQ(f.stalls[0].ms, 400);
    EXPECT_EQ(f.stalls[0].offset, 65536);
    EXPECT_EQ(f.stalls[1].offset, 0);

    EXPECT_EQ(ParseIgnoreWritesOption("12,1c", 256, f), "");
    EXPECT_EQ(ParseIgnoreWritesOption("FF", 256, f), "");
    EXPECT_EQ(ParseIgnoreWritesOption("7D", 126, f), "");
    EXPECT_EQ(f.ignoreWrites, (std::vector<int>{0x12, 0x1C, 0xFF, 0x7D}));
}

TEST(FaultOptionTexts, BadTextsSayWhatIsWrongAndChangeNothing) {
    const char* latencies[] = {"", "-5", "5:", ":5", "5:x", "abc", "4.5", "5:-1", "99999999", "+5", "5:6:7"};
    for (const char* text : latencies) {
        Faults f;
        const std::string error = ParseLatencyOption(text, f);
        EXPECT_NE(error.find("--latency"), std::string::npos) << text;
        EXPECT_EQ(f.latencyMs, 0) << text;
        EXPECT_EQ(f.jitterMs, 0) << text;
    }
    for (const char* text : {"", "0", "960:0", "x", "960:", "-1", ":5", "1e3"}) {
        Faults f;
        EXPECT_NE(ParseReadRateOption(text, f).find("--read-rate"), std::string::npos) << text;
        EXPECT_EQ(f.readRate, 0) << text;
    }
    for (const char* text : {"", "400", "@5", "400@", "0@5", "x@5", "400@-1", "400@5@6", "400:5"}) {
        Faults f;
        EXPECT_NE(ParseStallOption(text, f).find("--stall"), std::string::npos) << text;
        EXPECT_TRUE(f.stalls.empty()) << text;
    }
    for (const char* text : {"", "12,", ",12", "g1", "123", "0x12", "12;13", "-1", "100"}) {
        Faults f;
        EXPECT_NE(ParseIgnoreWritesOption(text, 256, f).find("--ignore-writes"), std::string::npos) << text;
        EXPECT_TRUE(f.ignoreWrites.empty()) << text;
    }
    Faults f;
    EXPECT_NE(ParseIgnoreWritesOption("12,7e", 126, f).find("00 to 7d"), std::string::npos);
    EXPECT_TRUE(f.ignoreWrites.empty());
}

namespace {

QString Program() {
    return quillory::test::BuildProgramFolder() + "/quillory-printer-sim";
}

// A running quillory-printer-sim on a free TCP port, stopped at the end.
class RunningSim {
public:
    explicit RunningSim(QStringList args) {
        args << "--port"
             << "0";
        m_process.start(Program(), args);
        if (!m_process.waitForStarted(5000))
            return;
        for (int i = 0; i < 20 && !m_process.canReadLine(); ++i)
            m_process.waitForReadyRead(500);
        const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
        if (line.startsWith("tcp 127.0.0.1:"))
            m_port = std::uint16_t(line.section(':', 1).toUInt());
    }
    ~RunningSim() {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_process.processId()), SIGTERM);
            m_process.waitForFinished(5000);
        }
    }
    [[nodiscard]] std::uint16_t Port() const { return m_port; }

private:
    QProcess m_process;
    std::uint16_t m_port = 0;
};

} // namespace

TEST(FaultOptionsProgram, BadValuesAreUsageErrorsNamingTheOption) {
    const QList<QStringList> cases = {
        {"--latency", "x"},  {"--latency", "5:-1"},     {"--baud", "-1"},
        {"--baud", "fast"},  {"--read-rate", "0"},      {"--read-rate", "960:x"},
        {"--stall", "400"},  {"--stall", "0@5"},        {"--huge-reply", "-1"},
        {"--trickle", "-4"}, {"--ignore-writes", "zz"}, {"--lang", "vkla", "--ignore-writes", "12,7e"},
        {"--delay", "-1"},
    };
    for (const QStringList& args : cases) {
        QProcess sim;
        sim.start(Program(), args);
        ASSERT_TRUE(sim.waitForFinished(5000));
        EXPECT_EQ(sim.exitCode(), 64) << args.join(' ').toStdString();
        const QString error = QString::fromUtf8(sim.readAllStandardError());
        const QString option = args[args.size() >= 4 ? 2 : 0].section('=', 0, 0);
        EXPECT_TRUE(error.contains(option)) << args.join(' ').toStdString() << ": " << error.toStdString();
    }
}

TEST(FaultOptionsProgram, TheProgramBehavesAsItsOptionsSay) {
    {
        RunningSim sim({"--latency", "120:0", "--stall", "50@0", "--ignore-writes", "12,1c", "--baud",
                        "115200", "--read-rate", "436907:262144", "--huge-reply", "6"});
        ASSERT_NE(sim.Port(), 0);
        TcpClient client(sim.Port());
        const double sent = NowMs();
        ASSERT_TRUE(client.Send("~WN00@eep,w,12,0019\r\n~WN00@eep,r,12,0,15~\r\n"));
        const QByteArray got = client.Receive(12);
        EXPECT_EQ(got.left(6), HexWordReply(15)); // the write was ignored
        EXPECT_EQ(got.size(), 12);
        EXPECT_GE(client.arrivals.ArrivalMs(0) - sent, 170); // the stall, then the latency
    }
    {
        RunningSim sim({"--trickle", "4"});
        ASSERT_NE(sim.Port(), 0);
        TcpClient client(sim.Port());
        EXPECT_GE(client.ReceiveFor(300).size(), 10);
    }
    {
        RunningSim sim({"--endless", "--delay", "10"});
        ASSERT_NE(sim.Port(), 0);
        TcpClient client(sim.Port());
        ASSERT_TRUE(client.Send("~WN01@version~\r\n"));
        const QByteArray got = client.ReceiveFor(200);
        EXPECT_GT(got.size(), 1000);
        EXPECT_FALSE(got.contains("FV"));
    }
}

// An option without a word in the manual page is an option nobody finds.
TEST(FaultOptionsProgram, TheManualPageCoversEveryOption) {
    QProcess sim;
    sim.start(Program(), {"--help"});
    ASSERT_TRUE(sim.waitForFinished(5000));
    const QString help = QString::fromUtf8(sim.readAllStandardOutput());
    const QString manual =
        QString::fromUtf8(quillory::test::ReadFileBytes(QStringLiteral(QUILLORY_TEST_SOURCE_DIR) +
                                                        "/resources/man/quillory-printer-sim.1"))
            .remove(QStringLiteral("\\f"))
            .remove(QStringLiteral("\\"));
    ASSERT_FALSE(manual.isEmpty());
    QStringList options;
    for (const QRegularExpressionMatch& match : QRegularExpression("(--[a-z][a-z-]*)").globalMatch(help))
        options << match.captured(1);
    options.removeDuplicates();
    options.removeAll("--help");
    EXPECT_GE(options.size(), 18);
    for (const QString& option : options)
        EXPECT_TRUE(manual.contains(option)) << option.toStdString();
}
