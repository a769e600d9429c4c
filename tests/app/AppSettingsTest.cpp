#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ProfileFile.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

class AppSettingsTest : public ::testing::Test {
protected:
    TempEnvironment env;
    QString PortFolder() const { return env.ConfigFolder() + "/Quillory/Port"; }
    QString DriverFolder() const { return env.ConfigFolder() + "/Quillory/Driver"; }
};

const QByteArray kFirstRunPortSections =
    "[COM]\r\nName=COM1\r\nBandate=9600\r\nDataSize=8\r\nStopBit=0\r\nParity=0\r\n"
    "FlowControl=1\r\n\r\n\r\n[LPT]\r\nName=\r\n\r\n\r\n[USBClass]\r\nName=\r\n\r\n\r\n"
    "[USBAPI]\r\nID=0\r\n\r\n\r\n[Net]\r\nIP=\r\nPort=0\r\n\r\n\r\n[Dirver]\r\nName=\r\n";

} // namespace

TEST_F(AppSettingsTest, FirstRunInPortModeWritesTheWholeFileInKeyOrder) {
    env.SetShippedCommMode("0");
    InitUserSettings();
    EXPECT_TRUE(QFileInfo(PortFolder()).isDir());
    EXPECT_FALSE(QFileInfo::exists(DriverFolder()));
    EXPECT_EQ(ReadFileBytes(PortFolder() + "/Setting.ini"),
              "[Main]\r\nCommMode=0\r\nLanguage=-1\r\nWizard=1\r\nInstruction=0\r\n\r\n\r\n[PortInfo]"
              "\r\ntype=0\r\n\r\n\r\n" +
                  kFirstRunPortSections);

    EXPECT_EQ(ReadWizard(), 1);
    EXPECT_EQ(ReadInstruction(), INSTRUCTION_VKLZ);
    const tagPORTINFO info = ReadPortInfo();
    EXPECT_EQ(info.portType, PORT_COM);
    EXPECT_EQ(PortText(info.comName), "COM1");
    EXPECT_EQ(info.baudRate, 9600);
    EXPECT_EQ(info.flowControl, 1);
    // After a first run the names read as empty text, not as their read defaults.
    EXPECT_EQ(PortText(info.lptName), "");
    EXPECT_EQ(PortText(info.netAddress), "");
    EXPECT_EQ(info.netPort, 0);
}

TEST_F(AppSettingsTest, FirstRunInDriverModeSelectsTheDriverFolderAndPort) {
    env.SetShippedCommMode("1");
    EXPECT_EQ(ReadCommMode(), 1);
    InitUserSettings();
    EXPECT_TRUE(QFileInfo(DriverFolder()).isDir());
    EXPECT_FALSE(QFileInfo::exists(PortFolder()));
    EXPECT_EQ(UserSettingsFilePath(), DriverFolder() + "/Setting.ini");
    const tagPORTINFO info = ReadPortInfo();
    EXPECT_EQ(info.portType, PORT_DRIVER);
    EXPECT_EQ(PortText(info.driverName), "");
}

TEST_F(AppSettingsTest, ShippedFileWithoutCommModeGivesPortFolderButDriverPort) {
    env.SetShippedCommMode(QString());
    EXPECT_EQ(ReadCommMode(), 0);
    InitUserSettings();
    EXPECT_TRUE(QFileInfo(PortFolder()).isDir());
    EXPECT_EQ(ReadProfileString(UserSettingsFilePath(), "Main", "CommMode", ""), "-1");
    EXPECT_EQ(ReadPortInfo().portType, PORT_DRIVER);
}

TEST_F(AppSettingsTest, LaterStartsWriteNothing) {
    env.SetShippedCommMode("0");
    InitUserSettings();
    WriteInstruction(INSTRUCTION_VKLA);
    const QByteArray before = ReadFileBytes(UserSettingsFilePath());
    InitUserSettings();
    EXPECT_EQ(ReadFileBytes(UserSettingsFilePath()), before);
    EXPECT_EQ(ReadInstruction(), INSTRUCTION_VKLA);
}

TEST_F(AppSettingsTest, DeletedFileWithFolderKeptReadsEveryDefault) {
    env.SetShippedCommMode("0");
    InitUserSettings();
    QFile::remove(UserSettingsFilePath());
    InitUserSettings(); // not a first run: the folder is there
    EXPECT_FALSE(QFileInfo::exists(UserSettingsFilePath()));

    EXPECT_EQ(ReadWizard(), 0);
    EXPECT_EQ(ReadInstruction(), 0);
    EXPECT_EQ(ReadLanguage(), LANGUAGE_ENGLISH);
    tagPORTINFO info = MakePortInfo(PORT_NET);
    ReadPortInfo(info);
    EXPECT_EQ(info.portType, PORT_COM);
    EXPECT_EQ(PortText(info.comName), "COM1");
    EXPECT_EQ(info.baudRate, 38400);
    EXPECT_EQ(info.dataBits, 8);
    EXPECT_EQ(info.stopBits, 0);
    EXPECT_EQ(info.parity, 0);
    EXPECT_EQ(info.flowControl, 0);
    EXPECT_EQ(PortText(info.lptName), "LPT1");
    EXPECT_EQ(PortText(info.usbClassName), "KMT-5200A");
    EXPECT_EQ(info.usbApiId, 0);
    EXPECT_EQ(PortText(info.netAddress), "192.168.0.200");
    EXPECT_EQ(info.netPort, 9100);
    EXPECT_EQ(PortText(info.driverName), "KMT-5200A");
}

TEST_F(AppSettingsTest, LanguageFollowsTheSystemOnlyWhenStoredAsMinusOne) {
    env.SetShippedCommMode("0");
    InitUserSettings();
    SetSystemLanguageIdOverride(2052);
    EXPECT_EQ(ReadLanguage(), LANGUAGE_SIMPLIFIED_CHINESE);
    SetSystemLanguageIdOverride(1028);
    EXPECT_EQ(ReadLanguage(), LANGUAGE_TRADITIONAL_CHINESE);
    EXPECT_EQ(LanguageFileName(ReadLanguage()), "TraditionalChinese.xml");
    EXPECT_TRUE(HelpGuidePath(ReadLanguage()).endsWith("Guide/Guide_EN.html"));
    SetSystemLanguageIdOverride(1031);
    EXPECT_EQ(ReadLanguage(), LANGUAGE_ENGLISH);

    WriteLanguage(7);
    EXPECT_EQ(ReadLanguage(), 7);
    EXPECT_EQ(LanguageFileName(7), "English.xml");
    EXPECT_TRUE(HelpGuidePath(7).endsWith("Guide_EN.html"));
    WriteLanguage(0);
    EXPECT_TRUE(HelpGuidePath(ReadLanguage()).endsWith("Guide_CN.html"));
}

TEST_F(AppSettingsTest, HelpPrefersACompiledGuideWhenPresent) {
    const QString guide = env.ProgramFolder() + "/Guide";
    QFile::remove(guide); // the environment links the build's guide folder; use a private one
    QDir().mkpath(guide);
    WriteFileBytes(guide + "/Guide_CN.chm", "x");
    EXPECT_TRUE(HelpGuidePath(0).endsWith("Guide/Guide_CN.chm"));
    EXPECT_TRUE(HelpGuidePath(2).endsWith("Guide/Guide_EN.html"));
}

TEST_F(AppSettingsTest, IntegerKeysHoldingTextReadZero) {
    env.SetShippedCommMode("0");
    InitUserSettings();
    WriteProfileString(UserSettingsFilePath(), "Main", "Instruction", "abc");
    WriteProfileString(UserSettingsFilePath(), "COM", "Bandate", "115200baud");
    EXPECT_EQ(ReadInstruction(), 0);
    EXPECT_EQ(ReadPortInfo().baudRate, 115200);
}

TEST_F(AppSettingsTest, PortDescriptionRoundTripsThroughTheFile) {
    env.SetShippedCommMode("0");
    InitUserSettings();
    tagPORTINFO info = MakePortInfo(PORT_NET);
    SetPortText(info.comName, "ttyUSB0");
    info.baudRate = 115200;
    info.dataBits = 7;
    info.stopBits = 2;
    info.parity = 4;
    info.flowControl = 2;
    SetPortText(info.lptName, "LPT3");
    SetPortText(info.usbClassName, "KMT-2400 打印机");
    info.usbApiId = 3;
    SetPortText(info.driverName, "Queue, with commas");
    SetPortText(info.netAddress, "127.0.0.1");
    info.netPort = 9101;
    WritePortInfo(info);
    EXPECT_TRUE(ReadPortInfo() == info);

    // Every port kind maps to its file number and back.
    for (const std::int32_t type : {PORT_COM, PORT_LPT, PORT_USBCLASS, PORT_USBAPI, PORT_DRIVER, PORT_NET}) {
        info.portType = type;
        WritePortInfo(info);
        EXPECT_EQ(ReadPortInfo().portType, type);
    }
}

TEST_F(AppSettingsTest, LongTextsAreCutToTheirFields) {
    env.SetShippedCommMode("0");
    InitUserSettings();
    const QString path = UserSettingsFilePath();
    WriteProfileString(path, "COM", "Name", QString(40, 'C'));
    WriteProfileString(path, "LPT", "Name", QString(40, 'L'));
    WriteProfileString(path, "Net", "IP", QString(600, '1'));
    WriteProfileString(path, "Dirver", "Name", QString(600, 'D'));
    const tagPORTINFO info = ReadPortInfo();
    // A serial name is kept whole up to 259 characters (stable /dev paths are long).
    EXPECT_EQ(SerialPortName(info), QString(40, 'C'));
    EXPECT_EQ(PortText(info.lptName), QString(19, 'L'));
    EXPECT_EQ(PortText(info.netAddress), QString(259, '1'));
    EXPECT_EQ(PortText(info.driverName), QString(259, 'D'));
}

TEST_F(AppSettingsTest, LongSerialNamesKeepTheFileFormat) {
    env.SetShippedCommMode("0");
    InitUserSettings();
    const QString byId = "/dev/serial/by-id/usb-Example_Label_Printer_0123456789-if00-port0";
    tagPORTINFO info = MakePortInfo(PORT_COM);
    SetSerialPortName(info, byId);
    info.baudRate = 115200;
    WritePortInfo(info);
    // The one [COM] Name key holds the whole name, as it held a short one.
    CProfileFile file(UserSettingsFilePath());
    file.Load();
    EXPECT_EQ(file.GetString("COM", "Name", "", 1000), byId);
    const tagPORTINFO back = ReadPortInfo();
    EXPECT_TRUE(back == info);
    EXPECT_EQ(SerialPortName(back), byId);
    EXPECT_EQ(PortText(back.comName), "");
    // A short name stays where older code looks for it.
    SetSerialPortName(info, "ttyUSB0");
    WritePortInfo(info);
    EXPECT_EQ(PortText(ReadPortInfo().comName), "ttyUSB0");
    EXPECT_EQ(PortText(ReadPortInfo().comLongName), "");
    EXPECT_EQ(FormatPortString(ReadPortInfo(), 0), "VKLZ,COM,0,115200,0,0,0,0");
}

TEST_F(AppSettingsTest, TypeOutsideTheTableLeavesThePortTypeAlone) {
    env.SetShippedCommMode("0");
    InitUserSettings();
    for (const char* bad : {"6", "-1", "99"}) {
        WriteProfileString(UserSettingsFilePath(), "PortInfo", "type", bad);
        tagPORTINFO info = MakePortInfo(PORT_USBAPI);
        ReadPortInfo(info);
        EXPECT_EQ(info.portType, PORT_USBAPI) << bad;
    }
}

TEST_F(AppSettingsTest, SwitchingCommModeUsesTheOtherFolder) {
    env.SetShippedCommMode("0");
    InitUserSettings();
    WriteInstruction(INSTRUCTION_VKLT);
    env.SetShippedCommMode("2");
    InitUserSettings();
    EXPECT_EQ(UserSettingsFilePath(), DriverFolder() + "/Setting.ini");
    EXPECT_EQ(ReadInstruction(), 0);
    EXPECT_EQ(ReadPortInfo().portType, PORT_DRIVER);
}

TEST_F(AppSettingsTest, PortTimingReadsItsKeysWithinTheirRangesAndDefaultsOtherwise) {
    InitUserSettings();
    const PortTiming defaults;
    const PortTiming missing = ReadPortTiming(); // a file from before the keys existed
    EXPECT_EQ(missing.replyTimeoutMs, defaults.replyTimeoutMs);
    EXPECT_EQ(missing.replyGapMs, defaults.replyGapMs);
    EXPECT_EQ(missing.stallLimitMs, defaults.stallLimitMs);

    WritePortTiming({.replyTimeoutMs = 5000, .replyGapMs = 30, .stallLimitMs = 120000});
    const PortTiming stored = ReadPortTiming();
    EXPECT_EQ(stored.replyTimeoutMs, 5000);
    EXPECT_EQ(stored.replyGapMs, 30);
    EXPECT_EQ(stored.stallLimitMs, 120000);

    CProfileFile file(UserSettingsFilePath());
    ASSERT_TRUE(file.Load());
    file.SetString("Timing", "ReplyTimeout", "0");
    file.SetString("Timing", "ReplyGap", "99999");
    file.SetString("Timing", "StallLimit", "fast");
    ASSERT_TRUE(file.Save());
    const PortTiming refused = ReadPortTiming();
    EXPECT_EQ(refused.replyTimeoutMs, defaults.replyTimeoutMs);
    EXPECT_EQ(refused.replyGapMs, defaults.replyGapMs);
    EXPECT_EQ(refused.stallLimitMs, defaults.stallLimitMs);
}
