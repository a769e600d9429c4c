// Whole operations through each real port kind to the virtual printer: a serial line on a
// pseudo-terminal, a CUPS queue whose socket backend points at the printer, and the search.
#include "app/AppSettings.h"
#include "instruction/VKLZInstruction.h"
#include "port/backends/Backends.h"
#include "sim/VirtualPrinter.h"
#include "support/CupsServer.h"
#include "support/TestEnvironment.h"

#include <QThread>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

tagPORTINFO SerialPort(const QString& device, int baud, int parity) {
    tagPORTINFO port = MakePortInfo(PORT_COM);
    SetPortText(port.comName, device);
    port.baudRate = baud;
    port.dataBits = 8;
    port.parity = parity;
    return port;
}

} // namespace

TEST(VirtualPrinterPorts, SettingsAndEepromOverASerialLine) {
    TempEnvironment env;
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    const QString device = printer.StartPty();
    ASSERT_FALSE(device.isEmpty());
    ASSERT_LE(device.size(), 19) << "the serial name field holds 19 characters";
    // Pseudo-terminals take 8 data bits with no or odd parity.
    for (const auto& [baud, parity] : {std::pair{9600, 0}, {115200, 1}, {38400, 0}}) {
        CVKLZInstruction vklz;
        const tagPORTINFO port = SerialPort(device, baud, parity);
        ASSERT_EQ(vklz.ReadSettings(port), 0) << baud;
        EXPECT_EQ(vklz.GetSettings().DPI, 203);
        VKLZSettings s = vklz.GetSettings();
        s.PaperWidth = 608 + parity;
        vklz.SetSettings(s);
        ASSERT_EQ(vklz.ApplySettings(port), 0);
        ASSERT_EQ(vklz.ReadSettings(port), 0);
        EXPECT_EQ(vklz.GetSettings().PaperWidth, 608 + parity) << baud;
    }
    CVKLZInstruction vklz;
    ASSERT_EQ(vklz.BackupEeprom(SerialPort(device, 115200, 0)), 0);
    EXPECT_EQ(vklz.GetEepromImage()[0x47], printer.EepromWord(0x47));
}

TEST(VirtualPrinterPorts, ACupsQueueDeliversTheBytesUnchanged) {
    if (!CupsServer::Installed())
        GTEST_SKIP() << "cupsd is not installed";
    TempEnvironment env;
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    CupsServer cups;
    ASSERT_TRUE(cups.IsRunning()) << cups.ErrorText().toStdString();
    ASSERT_TRUE(cups.AddQueue("Label_Room", QString("socket://127.0.0.1:%1").arg(printer.TcpPort())))
        << cups.ErrorText().toStdString();
    EXPECT_TRUE(ListDriverPrinters().contains("Label_Room"));

    tagPORTINFO port = MakePortInfo(PORT_DRIVER);
    SetPortText(port.driverName, "Label_Room");
    CVKLZInstruction vklz;
    VKLZSettings s;
    s.PaperWidth = 832;
    s.TearPaperPosition = -5;
    vklz.SetSettings(s);
    ASSERT_EQ(vklz.ApplySettings(port), 0);
    QByteArray expected;
    for (const QByteArray& command : VklzApplyCommands(s))
        expected += command;
    ASSERT_TRUE(printer.WaitForBytes(expected.size(), 30000));
    EXPECT_EQ(printer.ReceivedBytes(), expected);
    // The printer applied them like any other connection.
    for (int i = 0; i < 200 && printer.EepromWord(0x47) != 832; ++i)
        QThread::msleep(10);
    EXPECT_EQ(printer.EepromWord(0x47), 832);
}

TEST(VirtualPrinterPorts, BothSearchModesFindThePrinterOnLoopback) {
    TempEnvironment env;
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    const std::uint16_t responder = printer.StartSearchResponder(0);
    ASSERT_NE(responder, 0);
    const QByteArray saved = qgetenv("QUILLORY_SEARCH_TARGETS");
    qputenv("QUILLORY_SEARCH_TARGETS", "127.0.0.1:" + QByteArray::number(responder));
    const QStringList snmp = SearchNetworkPrinters(2);
    const QStringList dnssd = SearchNetworkPrinters(3);
    qputenv("QUILLORY_SEARCH_TARGETS", saved);
    EXPECT_EQ(snmp, QStringList{"127.0.0.1"});
    EXPECT_EQ(dnssd, QStringList{"127.0.0.1"});

    char buffer[kListBufferSize];
    qputenv("QUILLORY_SEARCH_TARGETS", "127.0.0.1:" + QByteArray::number(responder));
    auto connection = CreateBackend(MakePortInfo(PORT_NET));
    EXPECT_EQ(connection->SearchNet(buffer, 2), 1);
    qputenv("QUILLORY_SEARCH_TARGETS", saved);
    EXPECT_STREQ(buffer, "127.0.0.1@");
}
