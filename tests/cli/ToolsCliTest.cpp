#include "CliRun.h"
#include "app/AppSettings.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"
#include "tools/LogoBitmap.h"
#include "tools/NetworkFrames.h"

#include <QFileInfo>
#include <QImage>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <vector>

using namespace quillory;
using namespace quillory::test;

namespace {

// The command line run in this process, with arguments that may be built strings.
CliRun Cli(const std::vector<std::string>& args) {
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    return RunInProcess(argv);
}

QByteArray Joined(const std::vector<QByteArray>& frames) {
    QByteArray all;
    for (const QByteArray& f : frames)
        all += f;
    return all;
}

class ToolsCliTest : public ::testing::Test {
protected:
    TempEnvironment env;
    sim::VirtualPrinter printer{INSTRUCTION_VKLT};
    std::string port;

    void SetUp() override {
        ASSERT_TRUE(printer.StartTcp(0));
        port = NetPortAddress(printer.TcpPort()).toStdString();
    }
    // Runs a command against the printer and returns what it received.
    QByteArray Received(std::vector<std::string> args, qsizetype expected, int status = 0) {
        printer.ClearLog();
        args.insert(args.begin(), {"--port", port});
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, status) << run.err;
        if (expected > 0) {
            EXPECT_TRUE(printer.WaitForBytes(expected, 5000));
        }
        return printer.ReceivedBytes();
    }
};

} // namespace

TEST_F(ToolsCliTest, NetworkApplySendsTheFramesOfItsOptions) {
    const QByteArray wired = Joined(NetworkApplyFrames(NetworkConfig{}));
    EXPECT_EQ(Received({"network", "apply"}, wired.size()).toHex(), wired.toHex());

    NetworkConfig dhcp;
    dhcp.dhcp = true;
    dhcp.portText = "9101";
    const QByteArray dhcpFrames = Joined(NetworkApplyFrames(dhcp));
    EXPECT_EQ(Received({"network", "apply", "--dhcp", "on", "--tcp-port", "9101"}, dhcpFrames.size()).toHex(),
              dhcpFrames.toHex());

    NetworkConfig wireless;
    wireless.interfaceIndex = 1;
    wireless.ipAddress = {10, 1, 2, 3};
    wireless.subnetMask = {255, 255, 0, 0};
    wireless.gateway = {10, 1, 0, 1};
    wireless.region = 33;
    wireless.mode = 1;
    wireless.channelIndex = 5;
    wireless.ssid = "shop floor";
    wireless.security = true;
    wireless.encryptionIndex = 1;
    wireless.wepModeIndex = 1;
    wireless.key = "abcde";
    const QByteArray wirelessFrames = Joined(NetworkApplyFrames(wireless));
    // Wireless options imply the wireless interface; names and numbers both work.
    EXPECT_EQ(Received({"network",    "apply",    "--ip",     "10.1.2.3",   "--mask",       "255.255.0.0",
                        "--gateway",  "10.1.0.1", "--region", "japan",      "--mode",       "adhoc",
                        "--channel",  "6",        "--ssid",   "shop floor", "--encryption", "wep",
                        "--wep-mode", "shared",   "--key",    "abcde"},
                       wirelessFrames.size())
                  .toHex(),
              wirelessFrames.toHex());
}

TEST_F(ToolsCliTest, NetworkApplyRefusesWhatCannotBeSent) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--ip", "192.168.1"},
        {"--ip", "192.168.1.256"},
        {"--gateway", "192.168.1.1.1"},
        {"--mask", "255.255.0.0x"},
        {"--tcp-port", "65536"},
        {"--ssid", std::string(100, 's')},
        {"--interface", "wired", "--ssid", "x"},
        {"--channel", "3"},          // only sent in ad hoc mode
        {"--encryption", "WPANONE"}, // not offered in infrastructure mode
        {"--encryption", "WEP", "--key", "abcdef"},
        {"--security", "off", "--key", "abcdefgh"},
    };
    for (std::vector<std::string> args : wrong) {
        const std::string shown = args[0] + " " + args[1];
        args.insert(args.begin(), {"--port", port, "network", "apply"});
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 64) << shown;
        EXPECT_FALSE(run.err.empty()) << shown;
    }
    EXPECT_EQ(printer.ConnectionCount(), 0);
}

TEST_F(ToolsCliTest, NetworkFactoryAndFailures) {
    const QByteArray factory = QByteArray::fromHex("1d99424592995800c0");
    EXPECT_EQ(Received({"network", "factory"}, 9), factory);
    EXPECT_EQ(Received({"network", "factory", "--wired"}, 31), factory + "~WN00@eep,w,37,2,0,1\r\n");

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const std::string dead = NetPortAddress(closed.serverPort()).toStdString();
    closed.close();
    const CliRun run = Cli({"--port", dead, "network", "factory"});
    EXPECT_EQ(run.status, 11);
    EXPECT_NE(run.err.find("could not be opened"), std::string::npos) << run.err;
}

TEST_F(ToolsCliTest, LogoConvertAndDownload) {
    QImage picture(128, 32, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(0, 0, qRgb(0, 0, 0));
    const QString png = env.Path("corner.png");
    ASSERT_TRUE(picture.save(png));
    const QString logo = env.Path("corner.logo");
    CliRun run = Cli({"logo", "convert", png.toStdString(), logo.toStdString()});
    ASSERT_EQ(run.status, 0) << run.err;
    CLogoBitmap corner;
    corner.Toggle(0, 0);
    EXPECT_EQ(ReadFileBytes(logo), LogoStream(corner));

    // A .logo file and a picture download the same stream.
    EXPECT_EQ(Received({"logo", "download", logo.toStdString()}, 535), LogoStream(corner));
    EXPECT_EQ(Received({"logo", "download", png.toStdString()}, 535), LogoStream(corner));

    const QString garbage = env.Path("notes.txt");
    WriteFileBytes(garbage, "not a picture");
    EXPECT_EQ(Cli({"logo", "convert", garbage.toStdString(), env.Path("x.logo").toStdString()}).status, 65);
    EXPECT_FALSE(QFileInfo::exists(env.Path("x.logo")));
    EXPECT_EQ(Cli({"--port", port, "logo", "download", garbage.toStdString()}).status, 65);
    EXPECT_EQ(
        Cli({"logo", "convert", png.toStdString(), env.Path("no/such/folder.logo").toStdString()}).status,
        15);
    EXPECT_EQ(printer.ConnectionCount(), 2);
}
