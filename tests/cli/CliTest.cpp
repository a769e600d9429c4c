#include "CliRun.h"
#include "app/AppSettings.h"
#include "cli/CommandGroups.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

using namespace quillory;
using namespace quillory::test;

TEST(Cli, UsageErrorsExitWith64) {
    TempEnvironment env;
    const std::vector<std::vector<const char*>> wrong = {
        {},
        {"frobnicate"},
        {"--port", "net:127.0.0.1", "port-string"},
        {"--lang", "VKLQ", "port-string"},
        {"send"},
        {"usb"},
        {"port-string", "extra"},
    };
    for (const auto& args : wrong) {
        const CliRun run = RunInProcess(args);
        EXPECT_EQ(run.status, 64) << (args.empty() ? "(nothing)" : args[0]);
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_EQ(RunInProcess({"--help"}).status, 0);
}

TEST(Cli, PortStringFromOptionsOrFromTheSavedSettings) {
    TempEnvironment env;
    EXPECT_EQ(RunInProcess({"--port", "com:COM2", "--lang", "vkla", "port-string"}).out,
              "VKLA,COM,2,9600,8,0,0,1\n");
    // Global options may follow the command.
    EXPECT_EQ(RunInProcess({"port-string", "--lang", "VKLE", "--port", "lpt:LPT3"}).out, "VKLE,LPT,3\n");

    InitUserSettings();
    tagPORTINFO saved = MakePortInfo(PORT_NET);
    SetPortText(saved.netAddress, "127.0.0.1");
    saved.netPort = 9101;
    WritePortInfo(saved);
    WriteInstruction(INSTRUCTION_VKLT);
    EXPECT_EQ(RunInProcess({"port-string"}).out, "VKLT,NET,127.0.0.1,9101\n");
    EXPECT_EQ(RunInProcess({"--lang", "VKLC", "port-string"}).out, "VKLC,NET,127.0.0.1,9101\n");
}

TEST(CliSend, DeliversFilesByteForByte) {
    TempEnvironment env;
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    QByteArray big(16 * 1024 * 1024, '\0');
    std::uint32_t state = 12345;
    for (char& c : big) {
        state = state * 1103515245u + 12345u;
        c = char(state >> 24);
    }
    int connections = 0;
    for (const QByteArray& content : {QByteArray(), QByteArray("\x1B"), big}) {
        printer.ClearLog();
        const QString path = env.Path(QStringLiteral("file-%1.bin").arg(content.size()));
        WriteFileBytes(path, content);
        const CliRun run = RunProgram(env, {"--port", NetPortAddress(printer.TcpPort()), "send", path});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(run.err.empty()) << run.err;
        ASSERT_TRUE(printer.WaitForBytes(content.size(), 20000)) << content.size();
        EXPECT_TRUE(printer.ReceivedBytes() == content) << "size " << content.size();
        // The printer counts a connection on its own thread, possibly after the program ended.
        ++connections;
        QDeadlineTimer deadline(5000);
        while (printer.ConnectionCount() < connections && !deadline.hasExpired())
            QThread::msleep(5);
        EXPECT_EQ(printer.ConnectionCount(), connections);
    }
}

TEST(CliSend, FailuresHaveTheirOwnExitStatus) {
    TempEnvironment env;
    // A port nobody listens on.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const std::uint16_t deadPort = closed.serverPort();
    closed.close();
    const QString file = env.Path("label.prn");
    WriteFileBytes(file, "^XA^FDhello^FS^XZ\r\n");

    CliRun run = RunProgram(env, {"--port", NetPortAddress(deadPort), "send", file});
    EXPECT_EQ(run.status, 11);
    EXPECT_NE(run.err.find("The port could not be opened."), std::string::npos) << run.err;

    run = RunProgram(env, {"--port", NetPortAddress(deadPort), "send", env.Path("no-such-file.prn")});
    EXPECT_EQ(run.status, 65);
    EXPECT_NE(run.err.find("no-such-file.prn"), std::string::npos) << run.err;

    // A printer that drops the connection part way: the send failed and must not say otherwise.
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    sim::Faults faults;
    faults.closeAfterBytes = 1000;
    printer.SetFaults(faults);
    const QString big = env.Path("big.bin");
    WriteFileBytes(big, QByteArray(16 * 1024 * 1024, 'A'));
    run = RunProgram(env, {"--port", NetPortAddress(printer.TcpPort()), "send", big});
    EXPECT_EQ(run.status, 13) << run.err;
    EXPECT_EQ(printer.ReceivedBytes().size(), 1000);
}
