// quillory-cli send to printers that read slowly, in bursts or not for a while: the file arrives
// byte for byte as long as the printer makes progress, and a printer that stops for longer than
// the stall limit ends the send with a failure in bounded time.
#include "../cli/CliRun.h"

#include "app/AppSettings.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

QByteArray Pattern(qsizetype size, std::uint32_t seed) {
    QByteArray bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return bytes;
}

} // namespace

#ifdef QUILLORY_SLOW_TIMING
TEST(SlowReaderSend, EightMegabytesToAPrinterThatReadsInBursts) {
    TempEnvironment env;
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    // 256 KiB every 0.6 s: the printer leaves the line idle far longer than the shortest waits.
    printer.SetFaults({.readRate = 436907, .readBurst = 262144});
    const QByteArray file = Pattern(8 * 1000 * 1000, 7);
    WriteFileBytes(env.Path("firmware.bin"), file);
    const CliRun run =
        RunProgram(env, {"--port", NetPortAddress(printer.TcpPort()), "send", env.Path("firmware.bin")});
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(printer.WaitForBytes(file.size(), 30000));
    EXPECT_TRUE(printer.ReceivedBytes() == file);
}

TEST(SlowReaderSend, SixtyFourKilobytesOverASerialLineToA960BytePerSecondReader) {
    TempEnvironment env;
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    const QString device = printer.StartPty();
    ASSERT_FALSE(device.isEmpty());
    printer.SetFaults({.readRate = 960});
    const QByteArray file = Pattern(64 * 1024, 11);
    WriteFileBytes(env.Path("fonts.bin"), file);
    QElapsedTimer clock;
    clock.start();
    const CliRun run =
        RunProgram(env, {"--port", QStringLiteral("com:%1:9600").arg(device), "send", env.Path("fonts.bin")});
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(printer.WaitForBytes(file.size(), 30000));
    EXPECT_TRUE(printer.ReceivedBytes() == file);
    EXPECT_GE(clock.elapsed(), 60000) << "the reader's pace was kept";
}
#else
TEST(SlowReaderSend, APrinterThatStopsReadingLongerThanTheStallLimitEndsTheSend) {
    TempEnvironment env;
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    // Loopback buffers hold megabytes; the printer stops after 1 MB for far longer than the limit.
    printer.SetFaults({.stalls = {{60000, 1000000}}});
    WriteFileBytes(env.Path("big.bin"), Pattern(64 * 1024 * 1024, 3));
    QElapsedTimer clock;
    clock.start();
    const CliRun run = RunProgram(env, {"--port", NetPortAddress(printer.TcpPort()), "--stall-limit", "1500",
                                        "send", env.Path("big.bin")});
    EXPECT_EQ(run.status, 13) << run.err;
    EXPECT_NE(run.err.find("took no data for 1500 ms"), std::string::npos) << run.err;
    EXPECT_LT(clock.elapsed(), 20000);

    // A pause shorter than the limit is waited out.
    printer.Stop();
    sim::VirtualPrinter patient(INSTRUCTION_VKLZ);
    ASSERT_TRUE(patient.StartTcp(0));
    patient.SetLogInMemory(false);
    patient.SetFaults({.stalls = {{1200, 500000}}});
    WriteFileBytes(env.Path("mid.bin"), Pattern(16 * 1024 * 1024, 5));
    const CliRun waited = RunProgram(env, {"--port", NetPortAddress(patient.TcpPort()), "--stall-limit",
                                           "3000", "send", env.Path("mid.bin")});
    EXPECT_EQ(waited.status, 0) << waited.err;
    EXPECT_TRUE(patient.WaitForBytes(16 * 1024 * 1024, 20000));
}
#endif
