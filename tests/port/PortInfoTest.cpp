#include "port/PortInfo.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace quillory;

namespace {

tagPORTINFO Com(const QString& name) {
    tagPORTINFO info = MakePortInfo(PORT_COM);
    SetPortText(info.comName, name);
    info.baudRate = 9600;
    info.dataBits = 8;
    info.flowControl = 1;
    return info;
}

} // namespace

TEST(PortInfo, BuildersStartFromAnAllZeroRecord) {
    const tagPORTINFO info = MakePortInfo(PORT_NET);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
    EXPECT_EQ(info.portType, PORT_NET);
    for (std::size_t i = sizeof info.portType; i < sizeof info; ++i)
        ASSERT_EQ(bytes[i], 0) << "byte " << i;
}

TEST(PortInfo, TextFieldsAreUtf16AndCutToFit) {
    tagPORTINFO info = MakePortInfo(PORT_COM);
    SetPortText(info.comName, "COM3");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
    // Little-endian UTF-16 at offset 4.
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(bytes + 4), 10), QByteArray("C\0O\0M\0"
                                                                                   "3\0\0\0",
                                                                                   10));

    SetPortText(info.comName, QString(25, 'x'));
    EXPECT_EQ(PortText(info.comName), QString(19, 'x'));
    EXPECT_EQ(info.comName[19], u'\0');

    // A surrogate pair that does not fit whole is left out rather than split.
    SetPortText(info.lptName, QString(18, 'a') + QString::fromUtf8("😀"));
    EXPECT_EQ(PortText(info.lptName), QString(18, 'a'));

    // A shorter text clears what a longer one left behind.
    SetPortText(info.comName, "COM1");
    EXPECT_EQ(info.comName[5], u'\0');
    EXPECT_EQ(PortText(info.comName), "COM1");
}

TEST(PortInfo, FileTypesMapBothWays) {
    const std::int32_t codes[] = {PORT_COM, PORT_LPT, PORT_USBCLASS, PORT_USBAPI, PORT_NET, PORT_DRIVER};
    for (int fileType = 0; fileType < 6; ++fileType) {
        EXPECT_EQ(PortTypeFromFileType(fileType), codes[fileType]);
        EXPECT_EQ(FileTypeFromPortType(codes[fileType]), fileType);
    }
    EXPECT_EQ(FileTypeFromPortType(5), -1);
    EXPECT_EQ(PortTypeFromFileType(6), 0);
}

TEST(PortString, SerialExampleAndNameNumbers) {
    tagPORTINFO info = Com("COM2");
    EXPECT_EQ(FormatPortString(info, 3), "VKLA,COM,2,9600,8,0,0,1");
    info = Com("COM12");
    info.stopBits = 2;
    info.parity = 1;
    info.flowControl = 0;
    info.baudRate = 115200;
    EXPECT_EQ(FormatPortString(info, 0), "VKLZ,COM,12,115200,8,2,1,0");
    EXPECT_EQ(FormatPortString(Com("COM"), 1), "VKLE,COM,0,9600,8,0,0,1");
    EXPECT_EQ(FormatPortString(Com("CO"), 1), "VKLE,COM,0,9600,8,0,0,1");
}

TEST(PortString, EveryPortKind) {
    tagPORTINFO lpt = MakePortInfo(PORT_LPT);
    SetPortText(lpt.lptName, "LPT3");
    EXPECT_EQ(FormatPortString(lpt, 2), "VKLT,LPT,3");

    tagPORTINFO usb = MakePortInfo(PORT_USBCLASS);
    SetPortText(usb.usbClassName, "KMT-5200A");
    EXPECT_EQ(FormatPortString(usb, 4), "VKLC,USBClass,KMT-5200A");

    tagPORTINFO api = MakePortInfo(PORT_USBAPI);
    api.usbApiId = 1;
    EXPECT_EQ(FormatPortString(api, 0), "VKLZ,USBAPI,1");

    tagPORTINFO net = MakePortInfo(PORT_NET);
    SetPortText(net.netAddress, "127.0.0.1");
    net.netPort = 9100;
    EXPECT_EQ(FormatPortString(net, 3), "VKLA,NET,127.0.0.1,9100");
}

TEST(PortString, TextsStandAsTheyAreCommasIncluded) {
    tagPORTINFO driver = MakePortInfo(PORT_DRIVER);
    SetPortText(driver.driverName, "Label, Office, 2");
    EXPECT_EQ(FormatPortString(driver, 0), "VKLZ,DRIVER,Label, Office, 2");
    SetPortText(driver.driverName, "%1 %2");
    EXPECT_EQ(FormatPortString(driver, 0), "VKLZ,DRIVER,%1 %2");
}

TEST(PortString, UnknownLanguageOrPortType) {
    tagPORTINFO net = MakePortInfo(PORT_NET);
    SetPortText(net.netAddress, "127.0.0.1");
    net.netPort = 9100;
    EXPECT_EQ(FormatPortString(net, 7), ",NET,127.0.0.1,9100");
    EXPECT_EQ(FormatPortString(net, -1), ",NET,127.0.0.1,9100");
    net.portType = 5;
    EXPECT_EQ(FormatPortString(net, 0), "");
    net.portType = 0;
    EXPECT_EQ(FormatPortString(net, 0), "");
}
