#include "tools/NetworkFrames.h"
#include "support/ScriptedPrinter.h"

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {
QByteArray Hex(const char* text) {
    return QByteArray::fromHex(text);
}
} // namespace

TEST(NetworkFrames, WorkedFramesAreByteExact) {
    EXPECT_EQ(NetworkFrame('Q', QByteArray(1, '\0')), Hex("1D994245929951 0100BA"));
    EXPECT_EQ(NetworkFrame('Q', QByteArray(1, '\1')), Hex("1D994245929951 0101BB"));
    EXPECT_EQ(NetworkFrame('X', {}), Hex("1D99424592995800C0"));
    NetworkConfig config;
    config.dhcp = true;
    config.portText = "9100";
    const std::vector<QByteArray> frames = NetworkApplyFrames(config);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1], Hex("1D99424592995702238C70"));
}

TEST(NetworkFrames, StaticAddressFrameHasNoLengthOrChecksum) {
    NetworkConfig config;
    config.ipAddress = {127, 0, 0, 1};
    config.subnetMask = {255, 0, 0, 0};
    config.gateway = {127, 0, 0, 254};
    config.portText.clear();
    const std::vector<QByteArray> frames = NetworkApplyFrames(config);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], Hex("1D99424592995101 00BA"));
    EXPECT_EQ(frames[1], Hex("1D9942459299 49 7F000001 FF000000 7F0000FE"));
    EXPECT_EQ(frames[1].size(), 19);
}

TEST(NetworkFrames, WirelessRunFollowsModeAndSecurity) {
    NetworkConfig config;
    config.interfaceIndex = 1;
    config.dhcp = true;
    config.portText.clear();
    config.region = 11;
    config.mode = 0;
    config.ssid = "lab";
    config.security = true;
    config.encryptionIndex = 3; // WPA2-PSK in mode 0
    config.wepModeIndex = 1;
    config.key = "secret-phrase";
    std::vector<QByteArray> frames = NetworkApplyFrames(config);
    ASSERT_EQ(frames.size(), 7u); // DHCP, region, mode, SSID, security, WEP mode, key: no channel in mode 0
    EXPECT_EQ(frames[1], NetworkFrame('s', QByteArray(1, 11)));
    EXPECT_EQ(frames[2], NetworkFrame('p', QByteArray(1, 0)));
    EXPECT_EQ(frames[3], NetworkFrame('q', "lab"));
    EXPECT_EQ(frames[3].size(), 3 + 9);
    EXPECT_EQ(frames[4], NetworkFrame('t', QByteArray(1, 4)));
    EXPECT_EQ(frames[5], NetworkFrame('u', QByteArray(1, 1)));
    EXPECT_EQ(frames[6], NetworkFrame('w', "secret-phrase"));

    config.mode = 1;
    config.channelIndex = 5;
    config.encryptionIndex = 2; // WPANONE in other modes
    frames = NetworkApplyFrames(config);
    EXPECT_EQ(frames[3], NetworkFrame('r', QByteArray(1, 6)));
    EXPECT_EQ(frames[5], NetworkFrame('t', QByteArray(1, 2)));

    // Security with "NO": the type frame only.
    config.encryptionIndex = 0;
    frames = NetworkApplyFrames(config);
    EXPECT_EQ(frames.back(), NetworkFrame('t', QByteArray(1, 0)));
}

TEST(NetworkFrames, KeysSsidsAndPortsAreCheckedBeforeAnythingIsSent) {
    NetworkConfig config;
    config.interfaceIndex = 1;
    config.security = true;
    config.encryptionIndex = 1;
    for (int length : {5, 10, 13, 26}) {
        config.key = QString(length, 'k');
        EXPECT_EQ(ValidateNetworkConfig(config), NetworkConfigProblem::None) << length;
    }
    config.key = QString(6, 'k');
    EXPECT_EQ(ValidateNetworkConfig(config), NetworkConfigProblem::WepKeyLength);
    config.encryptionIndex = 2;
    for (int length : {8, 64})
        EXPECT_EQ((config.key = QString(length, 'k'), ValidateNetworkConfig(config)),
                  NetworkConfigProblem::None);
    for (int length : {7, 65})
        EXPECT_EQ((config.key = QString(length, 'k'), ValidateNetworkConfig(config)),
                  NetworkConfigProblem::WpaKeyLength);
    // Keys are not checked without security or on the wired interface.
    config.security = false;
    config.key = "x";
    EXPECT_EQ(ValidateNetworkConfig(config), NetworkConfigProblem::None);
    config.ssid = QString(99, 's');
    EXPECT_EQ(ValidateNetworkConfig(config), NetworkConfigProblem::None);
    config.ssid = QString(34, QChar(0x4E2D)); // 102 bytes once converted
    EXPECT_EQ(ValidateNetworkConfig(config), NetworkConfigProblem::SsidTooLong);
    config.interfaceIndex = 0;
    EXPECT_EQ(ValidateNetworkConfig(config), NetworkConfigProblem::None);
    config.portText = "65536";
    EXPECT_EQ(ValidateNetworkConfig(config), NetworkConfigProblem::PortOutOfRange);
    config.portText = "-1";
    EXPECT_EQ(ValidateNetworkConfig(config), NetworkConfigProblem::PortOutOfRange);
}

TEST(NetworkFrames, FactoryDefaultsAndSending) {
    EXPECT_EQ(NetworkFactoryFrames(1).size(), 1u);
    const std::vector<QByteArray> wired = NetworkFactoryFrames(0);
    ASSERT_EQ(wired.size(), 2u);
    EXPECT_EQ(wired[1], QByteArray("~WN00@eep,w,37,2,0,1\r\n"));
    EXPECT_EQ(wired[1].size(), 22);

    ScriptedPrinter printer;
    EXPECT_EQ(SendNetworkFrames(MakePortInfo(PORT_NET), wired), 0);
    EXPECT_EQ(printer.Events(), QStringList({"open", "timeouts 30 30", "write 9", "write 22", "close"}));
    printer.FailOnWrite(2);
    printer.Clear();
    EXPECT_EQ(SendNetworkFrames(MakePortInfo(PORT_NET), wired), 3);
}

TEST(NetworkFrames, ListsForTheScreen) {
    EXPECT_EQ(EncryptionMethods(0), QStringList({"NO", "WEP", "WPA-PSK", "WPA2-PSK"}));
    EXPECT_EQ(EncryptionMethods(2), QStringList({"NO", "WEP", "WPANONE"}));
    EXPECT_EQ(WepModes(1), QStringList({"Open System", "Share Key"}));
    EXPECT_EQ(WepModes(2), QStringList({"TKIP", "AES"}));
    EXPECT_EQ(SecurityTypeCode(2, 0), 3);
    EXPECT_EQ(SecurityTypeCode(1, 0), 1);
    EXPECT_STREQ(RegionLabels()[0], "<default> - (1-13)");
    EXPECT_STREQ(RegionLabels()[75], "Yugoslavia - (1-11)");
}

TEST(NetworkMove, OnlyANetworkPortFollowsTheAddressAndTheTcpPort) {
    tagPORTINFO saved = MakePortInfo(PORT_NET);
    SetPortText(saved.netAddress, QStringLiteral("192.168.1.200"));
    saved.netPort = 9100;
    NetworkConfig config; // static 192.168.1.200, TCP port 9100
    EXPECT_FALSE(PortAfterNetworkApply(saved, config));

    config.ipAddress = {192, 168, 1, 201};
    const std::optional<tagPORTINFO> moved = PortAfterNetworkApply(saved, config);
    ASSERT_TRUE(moved);
    EXPECT_EQ(NetworkPortText(*moved), QStringLiteral("192.168.1.201:9100"));

    // With DHCP on the new address is not known: only a new TCP port counts.
    config.dhcp = true;
    EXPECT_FALSE(PortAfterNetworkApply(saved, config));
    config.portText = QStringLiteral("9101");
    EXPECT_EQ(NetworkPortText(*PortAfterNetworkApply(saved, config)), QStringLiteral("192.168.1.200:9101"));
    config.portText.clear(); // no port frame: the port stays
    EXPECT_FALSE(PortAfterNetworkApply(saved, config));

    // A printer reached through a serial line or a queue is not moved by its network settings.
    config.dhcp = false;
    EXPECT_FALSE(PortAfterNetworkApply(MakePortInfo(PORT_COM), config));
}
