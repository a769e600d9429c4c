#include "cli/PortAddress.h"
#include "port/PortAbilities.h"

#include <gtest/gtest.h>

using namespace quillory;
using quillory::cli::ParsePortAddress;

namespace {

tagPORTINFO Parse(const QString& text) {
    const auto parsed = ParsePortAddress(text);
    EXPECT_TRUE(parsed.port.has_value()) << text.toStdString() << ": " << parsed.error.toStdString();
    return parsed.port.value_or(MakePortInfo(0));
}

} // namespace

TEST(PortAddress, NetworkAddresses) {
    tagPORTINFO net = Parse("net:127.0.0.1:9100");
    tagPORTINFO expected = MakePortInfo(PORT_NET);
    SetPortText(expected.netAddress, "127.0.0.1");
    expected.netPort = 9100;
    EXPECT_TRUE(net == expected);
    net = Parse("NET:printer.local:1");
    EXPECT_EQ(PortText(net.netAddress), "printer.local");
    EXPECT_EQ(net.netPort, 1);
    EXPECT_EQ(PortText(Parse("net:[::1]:65535").netAddress), "::1");
}

TEST(PortAddress, SerialPortsWithTheirDefaults) {
    tagPORTINFO com = Parse("com:COM3");
    tagPORTINFO expected = MakePortInfo(PORT_COM);
    SetPortText(expected.comName, "COM3");
    expected.baudRate = 9600;
    expected.dataBits = 8;
    expected.flowControl = 1;
    EXPECT_TRUE(com == expected);
    com = Parse("com:ttyUSB0:115200:7:2:4:2");
    EXPECT_EQ(PortText(com.comName), "ttyUSB0");
    EXPECT_EQ(com.baudRate, 115200);
    EXPECT_EQ(com.dataBits, 7);
    EXPECT_EQ(com.stopBits, 2);
    EXPECT_EQ(com.parity, 4);
    EXPECT_EQ(com.flowControl, 2);
    com = Parse("com:pts/3:19200:8");
    EXPECT_EQ(PortText(com.comName), "pts/3");
    EXPECT_EQ(com.baudRate, 19200);
    EXPECT_EQ(com.flowControl, 1);
}

TEST(PortAddress, SerialPathsOfAnyLengthWithColons) {
    const QString byPath = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0";
    tagPORTINFO com = Parse("com:" + byPath);
    EXPECT_EQ(SerialPortName(com), byPath);
    EXPECT_EQ(com.baudRate, 9600);
    com = Parse("com:" + byPath + ":115200:7");
    EXPECT_EQ(SerialPortName(com), byPath);
    EXPECT_EQ(com.baudRate, 115200);
    EXPECT_EQ(com.dataBits, 7);
    EXPECT_EQ(com.flowControl, 1);
    EXPECT_EQ(PortAddressText(com), "com:" + byPath);
    // The defaults of com: are those a first run saves.
    EXPECT_EQ(Parse("com:ttyS0").flowControl, 1);
    // A setting out of range is named with its value.
    const cli::ParsedPortAddress bad = ParsePortAddress(u"com:ttyS0:96000000");
    EXPECT_FALSE(bad.port);
    EXPECT_TRUE(bad.error.contains("baud rate")) << bad.error.toStdString();
    EXPECT_TRUE(bad.error.contains("96000000")) << bad.error.toStdString();
    EXPECT_FALSE(ParsePortAddress(QString("com:/dev/") + QString(300, 'x')).port);
}

TEST(PortAddress, OtherKinds) {
    EXPECT_EQ(PortText(Parse("lpt:LPT2").lptName), "LPT2");
    EXPECT_EQ(Parse("lpt:LPT2").portType, PORT_LPT);
    const tagPORTINFO usb = Parse("usb:KMT-5200A:rev 2");
    EXPECT_EQ(usb.portType, PORT_USBCLASS);
    EXPECT_EQ(PortText(usb.usbClassName), "KMT-5200A:rev 2");
    // Numbered as "usb list" shows them (QXUSB-1 is index 0).
    const tagPORTINFO api = Parse("usbapi:2");
    EXPECT_EQ(api.portType, PORT_USBAPI);
    EXPECT_EQ(api.usbApiId, 1);
    const tagPORTINFO driver = Parse("driver:Label_Queue");
    EXPECT_EQ(driver.portType, PORT_DRIVER);
    EXPECT_EQ(PortText(driver.driverName), "Label_Queue");
}

TEST(PortAddress, BadFormsAreRefusedWithAReason) {
    const char* const bad[] = {
        "",
        "net",
        "serial:COM1",
        "net:127.0.0.1",
        "net::9100",
        "net:127.0.0.1:0",
        "net:127.0.0.1:65536",
        "net:127.0.0.1:+80",
        "net:127.0.0.1:80x",
        "net:a host:80",
        "com:",
        "com:COM1:0",
        "com:COM1:9600:9",
        "com:COM1:9600:8:3",
        "com:COM1:9600:8:0:5",
        "com:COM1:9600:8:0:0:3",
        "com:COM1:9600:8:0:0:1:7",
        "com:COM1::8",
        "com:"
        "COM4567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890"
        "1234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890"
        "12345678901234567890123456789012345678901234567890123456789012345678901",
        "lpt:",
        "usb: ",
        "usbapi:0",
        "usbapi:-1",
        "usbapi:x",
        "driver:",
    };
    for (const char* text : bad) {
        const auto parsed = ParsePortAddress(QString::fromUtf8(text));
        EXPECT_FALSE(parsed.port.has_value()) << text;
        EXPECT_FALSE(parsed.error.isEmpty()) << text;
    }
    EXPECT_TRUE(ParsePortAddress(QString(259, 'h') + ":1").error.isEmpty() == false); // no kind "hhh..."
    EXPECT_FALSE(ParsePortAddress(QStringLiteral("driver:") + QString(260, 'q')).port.has_value());
    EXPECT_TRUE(ParsePortAddress(QStringLiteral("driver:") + QString(259, 'q')).port.has_value());
}
