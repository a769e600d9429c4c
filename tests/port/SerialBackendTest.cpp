#include "port/backends/Backends.h"

#include "BackendTestSupport.h"
#include "support/PtyPair.h"

#include <QElapsedTimer>

#include <termios.h>

using namespace quillory;
using namespace quillory::test;

namespace {

tagPORTINFO SerialInfo(const QString& name, int baud = 9600, int bits = 8, int stop = 0, int parity = 0,
                       int flow = 0) {
    tagPORTINFO info = MakePortInfo(PORT_COM);
    SetPortText(info.comName, name);
    info.baudRate = baud;
    info.dataBits = bits;
    info.stopBits = stop;
    info.parity = parity;
    info.flowControl = flow;
    return info;
}

struct LineRow {
    int baud, bits, stop, parity, flow;
    speed_t speed;
};

class SerialLines : public ::testing::TestWithParam<LineRow> {};

} // namespace

TEST(SerialNames, PortNamesMapToDeviceNodes) {
    EXPECT_EQ(SerialDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(SerialDevicePath("com12"), "/dev/ttyS11");
    EXPECT_EQ(SerialDevicePath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(SerialDevicePath("pts/3"), "/dev/pts/3");
    EXPECT_EQ(SerialDevicePath("/dev/pts/7"), "/dev/pts/7");
    EXPECT_EQ(SerialDevicePath("COMx"), "/dev/COMx"); // not a numbered name: a node like any other
    for (const char* impossible : {"", "   ", "COM0", "../etc/passwd", "pts/../../etc/shadow"})
        EXPECT_TRUE(SerialDevicePath(impossible).isEmpty()) << impossible;
}

TEST(SerialNames, SystemPortsAreNamedAsTheDescriptionWantsThem) {
    for (const QString& name : SystemSerialPortNames()) {
        EXPECT_FALSE(name.startsWith("/dev/")) << name.toStdString();
        EXPECT_FALSE(SerialDevicePath(name).isEmpty()) << name.toStdString();
    }
}

TEST(SerialSettings, ImpossibleSettingsAreRefusedWithAReason) {
    struct Row {
        int baud, bits, stop, parity, flow;
        const char* reason;
    };
    const Row rows[] = {
        {0, 8, 0, 0, 0, "baud"},       {9600, 9, 0, 0, 0, "data bits"}, {9600, 4, 0, 0, 0, "data bits"},
        {9600, 8, 1, 0, 0, "1.5"},     {9600, 8, 3, 0, 0, "stop-bit"},  {9600, 8, 0, 5, 0, "parity"},
        {9600, 8, 0, -1, 0, "parity"}, {9600, 8, 0, 0, 3, "flow"},
    };
    for (const Row& row : rows) {
        const auto result =
            SerialLineSettingsOf(SerialInfo("ttyS0", row.baud, row.bits, row.stop, row.parity, row.flow));
        ASSERT_TRUE(std::holds_alternative<QString>(result)) << row.reason;
        EXPECT_TRUE(std::get<QString>(result).contains(row.reason))
            << std::get<QString>(result).toStdString();

        // Open refuses it the same way, before touching any device.
        QString detail;
        auto port = MakeSerialBackend();
        EXPECT_EQ(
            CodeOf(
                [&] { port->Open(SerialInfo("ttyS0", row.baud, row.bits, row.stop, row.parity, row.flow)); },
                &detail),
            COMM_BAD_PARAMETER);
        EXPECT_TRUE(detail.contains(row.reason)) << detail.toStdString();
    }
}

TEST_P(SerialLines, ExchangesBytesAndSetsTheLine) {
    const LineRow row = GetParam();
    PtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    auto port = MakeSerialBackend();
    port->Open(SerialInfo(pty.SlavePath(), row.baud, row.bits, row.stop, row.parity, row.flow));
    port->SetTimeouts(1000, 1000);

    const termios line = pty.SlaveSettings();
    EXPECT_EQ(cfgetospeed(&line), row.speed);
    EXPECT_EQ((line.c_cflag & CSTOPB) != 0, row.stop == 2);
    EXPECT_EQ((line.c_cflag & CRTSCTS) != 0, row.flow == 1);
    EXPECT_EQ((line.c_iflag & IXON) != 0, row.flow == 2);

    // XON and XOFF would be taken as flow control on a software-controlled line.
    const QByteArray command = row.flow == 2 ? QByteArray("~WN01@version~\r\n") : AllByteValues();
    WriteAll(*port, command);
    EXPECT_EQ(pty.ReadMaster(command.size()), command);

    const QByteArray reply = row.flow == 2 ? QByteArray("V1.02\r\n") : AllByteValues();
    ASSERT_TRUE(pty.WriteMaster(reply));
    EXPECT_EQ(ReadOnce(*port), reply);
    port->Close();
}

INSTANTIATE_TEST_SUITE_P(
    Pty, SerialLines,
    ::testing::Values(LineRow{9600, 8, 0, 0, 0, B9600}, LineRow{115200, 8, 2, 1, 1, B115200},
                      LineRow{2400, 8, 0, 3, 2, B2400}, LineRow{57600, 8, 2, 4, 0, B57600},
                      LineRow{19200, 8, 0, 1, 1, B19200}, LineRow{38400, 8, 2, 0, 2, B38400}));

// A pseudo-terminal has no real line: some kernels ignore a character size or parity it cannot
// do, others refuse it. Whatever the driver answers, Open must agree with it and never claim a
// setting the driver refused.
TEST(SerialBackend, SettingTheDriverRefusesIsABadParameter) {
    PtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    termios wanted = pty.SlaveSettings();
    wanted.c_cflag = (wanted.c_cflag & ~CSIZE) | CS7 | PARENB;
    wanted.c_cflag &= ~PARODD;
    const bool refused = ::tcsetattr(pty.SlaveFd(), TCSANOW, &wanted) != 0;

    auto port = MakeSerialBackend();
    QString detail;
    const int code = CodeOf([&] { port->Open(SerialInfo(pty.SlavePath(), 9600, 7, 0, 2, 0)); }, &detail);
    if (refused) {
        EXPECT_EQ(code, COMM_BAD_PARAMETER);
        EXPECT_TRUE(detail.contains("line settings refused")) << detail.toStdString();
    } else {
        EXPECT_EQ(code, 0) << detail.toStdString();
    }
}

TEST(SerialBackend, ReadWaitsForTheFirstByteThenTakesWhatFollowsClosely) {
    PtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    auto port = MakeSerialBackend();
    port->Open(SerialInfo(pty.SlavePath()));

    port->SetTimeouts(150, 1000);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ReadOnce(*port), QByteArray()); // nothing came: count 0, no error
    EXPECT_GE(clock.elapsed(), 140);

    // Capacity bounds one read; the rest waits for the next.
    const QByteArray reply(100, 'r');
    ASSERT_TRUE(pty.WriteMaster(reply));
    EXPECT_EQ(ReadOnce(*port, 40), reply.left(40));
    EXPECT_EQ(ReadOnce(*port), reply.mid(40));
}

TEST(SerialBackend, StalledWriteAndHangUpAreCommunicationFailures) {
    PtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    auto port = MakeSerialBackend();
    port->Open(SerialInfo(pty.SlavePath()));
    port->SetTimeouts(100, 200);
    port->SetTiming({.replyTimeoutMs = 2000, .replyGapMs = 5, .stallLimitMs = 300});

    // Nobody drains the master: the line fills up and the write gives up after the stall limit.
    const QByteArray big(4 << 20, 'x');
    QString detail;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(CodeOf([&] { WriteAll(*port, big); }, &detail), COMM_FAILED);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(detail.contains("took no data for 300 ms")) << detail.toStdString();
    port->Close();

    port->Open(SerialInfo(pty.SlavePath()));
    pty.CloseMaster();
    EXPECT_EQ(CodeOf([&] { ReadOnce(*port); }), COMM_FAILED);
}

TEST(SerialBackend, OpenFailuresCarryTheirCodes) {
    auto port = MakeSerialBackend();
    QString detail;
    EXPECT_EQ(CodeOf([&] { port->Open(SerialInfo("ttyQuilloryMissing9")); }, &detail), COMM_OPEN_FAILED);
    EXPECT_TRUE(detail.contains("/dev/ttyQuilloryMissing9")) << detail.toStdString();
    EXPECT_EQ(CodeOf([&] { port->Open(SerialInfo("")); }), COMM_BAD_PARAMETER);
    EXPECT_EQ(CodeOf([&] { port->Open(SerialInfo("COM0")); }), COMM_BAD_PARAMETER);

    // Not open: closing is harmless, reading and writing fail.
    port->Close();
    EXPECT_EQ(CodeOf([&] { ReadOnce(*port); }), COMM_FAILED);
    EXPECT_EQ(CodeOf([&] { WriteAll(*port, "x"); }), COMM_FAILED);
}

TEST(SerialBackend, DeviceWithoutPermissionIsAccessDenied) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    PtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    EXPECT_EXIT(ExitWithCodeAsNobody([&] { MakeSerialBackend()->Open(SerialInfo(pty.SlavePath())); }),
                ::testing::ExitedWithCode(COMM_ACCESS_DENIED), "");
}
