#include "ToolsUiSupport.h"

#include "app/LanguageTexts.h"
#include "app/ui/Messages.h"
#include "app/ui/QuilloryDlg.h"
#include "controls/PaperNunberEditEx.h"
#include "sim/VirtualPrinter.h"
#include "support/ScriptedPrinter.h"
#include "support/TestEnvironment.h"
#include "tools/ui/IpAddressEdit.h"
#include "tools/ui/NetworkDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

class NetworkPageTest : public ::testing::Test {
protected:
    TempEnvironment env;
    CMessageCapture messages;
    std::unique_ptr<CNetworkDlg> page;

    void SetUp() override {
        InitUserSettings();
        WriteLanguage(LANGUAGE_ENGLISH);
        page = std::make_unique<CNetworkDlg>();
        page->resize(610, 470);
        page->ApplyLanguage(LANGUAGE_ENGLISH);
        page->show();
    }
    template <typename T>
    T* Get(int id) const {
        return page->ControlAs<T>(id);
    }
    void Choose(int comboId, int index) const { Get<QComboBox>(comboId)->setCurrentIndex(index); }
    void Press(int id) const { Get<QPushButton>(id)->click(); }
    void ApplyAndWait() {
        Press(CNetworkDlg::IDC_APPLY);
        ASSERT_TRUE(WaitUntil([&] { return !page->IsBusy(); }));
    }
    static QString Text(const char* key) { return GetMessageText(key, LANGUAGE_ENGLISH); }
};

QByteArray Joined(const std::vector<QByteArray>& frames) {
    QByteArray all;
    for (const QByteArray& frame : frames)
        all += frame;
    return all;
}

} // namespace

TEST_F(NetworkPageTest, WirelessGroupsAppearWithTheInterfaceAndPushTheButtonsDown) {
    auto* wireless = Get<QGroupBox>(CNetworkDlg::IDC_WIRELESS_GROUP);
    auto* apply = Get<QPushButton>(CNetworkDlg::IDC_APPLY);
    auto* factory = Get<QPushButton>(CNetworkDlg::IDC_FACTORY);
    const int applyY = apply->y();
    const int factoryY = factory->y();
    EXPECT_FALSE(wireless->isVisible());

    Choose(CNetworkDlg::IDC_INTERFACE, 1);
    EXPECT_TRUE(wireless->isVisible());
    EXPECT_EQ(apply->y(), applyY + 220);
    EXPECT_EQ(factory->y(), factoryY + 220);
    // Choosing the same layout again moves nothing.
    Choose(CNetworkDlg::IDC_INTERFACE, 1);
    EXPECT_EQ(apply->y(), applyY + 220);

    Choose(CNetworkDlg::IDC_INTERFACE, 0);
    EXPECT_FALSE(wireless->isVisible());
    EXPECT_EQ(apply->y(), applyY);
    EXPECT_EQ(factory->y(), factoryY);
}

TEST_F(NetworkPageTest, ControlsFollowDhcpModeEncryptionAndSecurity) {
    auto* ip = Get<CIpAddressEdit>(CNetworkDlg::IDC_IP);
    Get<QRadioButton>(CNetworkDlg::IDC_DHCP_ON)->setChecked(true);
    EXPECT_TRUE(page->CollectConfig().dhcp);
    EXPECT_FALSE(ip->isEnabled());
    EXPECT_FALSE(Get<CIpAddressEdit>(CNetworkDlg::IDC_GATEWAY)->isEnabled());
    Get<QRadioButton>(CNetworkDlg::IDC_DHCP_OFF)->setChecked(true);
    EXPECT_TRUE(ip->isEnabled());

    Choose(CNetworkDlg::IDC_INTERFACE, 1);
    auto* encryption = Get<QComboBox>(CNetworkDlg::IDC_ENCRYPTION);
    auto* wepMode = Get<QComboBox>(CNetworkDlg::IDC_WEP_MODE);
    auto* key = Get<QLineEdit>(CNetworkDlg::IDC_KEY);
    auto* security = Get<QCheckBox>(CNetworkDlg::IDC_SECURITY);
    // Security can be chosen before the mode was ever changed.
    EXPECT_EQ(encryption->count(), 4);
    EXPECT_FALSE(encryption->isEnabled());
    EXPECT_FALSE(Get<QComboBox>(CNetworkDlg::IDC_CHANNEL)->isEnabled());

    security->setChecked(true);
    EXPECT_TRUE(encryption->isEnabled());
    EXPECT_FALSE(key->isEnabled());
    encryption->setCurrentIndex(3);
    EXPECT_EQ(wepMode->itemText(0), "TKIP");
    EXPECT_TRUE(key->isEnabled());
    EXPECT_TRUE(wepMode->isEnabled());

    Choose(CNetworkDlg::IDC_MODE, 1);
    EXPECT_TRUE(Get<QComboBox>(CNetworkDlg::IDC_CHANNEL)->isEnabled());
    EXPECT_EQ(encryption->count(), 3);
    EXPECT_EQ(encryption->itemText(2), "WPANONE");
    EXPECT_EQ(encryption->currentIndex(), 0);
    EXPECT_EQ(wepMode->itemText(0), "Open System");
    EXPECT_FALSE(key->isEnabled());

    encryption->setCurrentIndex(1);
    EXPECT_TRUE(key->isEnabled());
    security->setChecked(false);
    EXPECT_FALSE(key->isEnabled());
    EXPECT_FALSE(encryption->isEnabled());
}

TEST_F(NetworkPageTest, TheKeyIsMaskedUntilTheOperatorAsksToSeeIt) {
    Choose(CNetworkDlg::IDC_INTERFACE, 1);
    Get<QCheckBox>(CNetworkDlg::IDC_SECURITY)->setChecked(true);
    auto* key = Get<QLineEdit>(CNetworkDlg::IDC_KEY);
    auto* show = Get<QCheckBox>(CNetworkDlg::IDC_SHOW_KEY);
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(key->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(show->isEnabled()) << "no key without an encryption";
    Get<QComboBox>(CNetworkDlg::IDC_ENCRYPTION)->setCurrentIndex(3);
    EXPECT_TRUE(show->isEnabled());
    key->setText("correct horse");
    EXPECT_NE(key->displayText(), "correct horse");
    EXPECT_FALSE(key->displayText().contains('o'));
    show->click();
    EXPECT_EQ(key->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(key->displayText(), "correct horse");
    show->click();
    EXPECT_EQ(key->echoMode(), QLineEdit::Password);
    EXPECT_EQ(page->CollectConfig().key, "correct horse") << "masking changes only what is shown";
    EXPECT_EQ(show->text(), "Show key");
    EXPECT_FALSE(show->geometry().intersects(key->geometry()));
}

TEST_F(NetworkPageTest, ALanguageChangeKeepsTheChosenEntries) {
    Choose(CNetworkDlg::IDC_INTERFACE, 1);
    Choose(CNetworkDlg::IDC_MODE, 1);
    Choose(CNetworkDlg::IDC_CHANNEL, 5);
    const int applyY = Get<QPushButton>(CNetworkDlg::IDC_APPLY)->y();
    page->ApplyLanguage(LANGUAGE_SIMPLIFIED_CHINESE);
    EXPECT_EQ(Get<QComboBox>(CNetworkDlg::IDC_INTERFACE)->currentIndex(), 1);
    EXPECT_EQ(Get<QComboBox>(CNetworkDlg::IDC_MODE)->currentIndex(), 1);
    EXPECT_EQ(Get<QComboBox>(CNetworkDlg::IDC_CHANNEL)->currentIndex(), 5);
    EXPECT_EQ(Get<QComboBox>(CNetworkDlg::IDC_CHANNEL)->currentText(), "信道 6");
    EXPECT_TRUE(Get<QGroupBox>(CNetworkDlg::IDC_WIRELESS_GROUP)->isVisible());
    EXPECT_EQ(Get<QPushButton>(CNetworkDlg::IDC_APPLY)->y(), applyY);
}

TEST_F(NetworkPageTest, BadKeysAndLongSsidsAreRefusedBeforeAnythingIsSent) {
    ScriptedPrinter printer;
    Choose(CNetworkDlg::IDC_INTERFACE, 1);
    Get<QCheckBox>(CNetworkDlg::IDC_SECURITY)->setChecked(true);
    auto* encryption = Get<QComboBox>(CNetworkDlg::IDC_ENCRYPTION);
    auto* key = Get<QLineEdit>(CNetworkDlg::IDC_KEY);
    auto* ssid = Get<QLineEdit>(CNetworkDlg::IDC_SSID);

    const struct {
        int encryption;
        QString key;
        QString ssid;
        const char* message; // nullptr: accepted
    } cases[] = {
        {1, "abcdef", "net", "WepPassword"},
        {3, "1234567", "net", "WpaPassword"},
        {3, QString(64, 'k'), "net", nullptr},
        // 33 characters of three bytes each are exactly the 99 bytes a frame may carry.
        {0, "", QString(33, QChar(0x7F51)), nullptr},
        {0, "", QString(34, QChar(0x7F51)), "SsidTooLong"},
    };
    for (const auto& c : cases) {
        encryption->setCurrentIndex(c.encryption);
        key->setText(c.key);
        ssid->setText(c.ssid);
        messages.Clear();
        printer.Clear();
        ApplyAndWait();
        ASSERT_EQ(messages.Texts().size(), 1);
        if (c.message) {
            EXPECT_EQ(messages.Texts()[0], Text(c.message)) << c.message;
            EXPECT_FALSE(messages.Texts()[0].isEmpty());
            EXPECT_EQ(printer.Connections(), 0) << c.message;
        } else {
            EXPECT_EQ(messages.Texts()[0], Text("RebootEffective")) << c.key.size() << " " << c.ssid.size();
            EXPECT_EQ(printer.Connections(), 1);
        }
    }
}

TEST_F(NetworkPageTest, ACommunicationFailureShowsItsMessageAndNoSuccess) {
    ScriptedPrinter printer;
    printer.FailOpen(COMM_OPEN_FAILED);
    ApplyAndWait();
    EXPECT_EQ(messages.Texts(), QStringList{Text("OpenPortError")});

    // A write failing part way: the frames already written stay written, no success either.
    printer.FailOpen(0);
    printer.Clear();
    messages.Clear();
    printer.FailOnWrite(2);
    Press(CNetworkDlg::IDC_FACTORY);
    ASSERT_TRUE(WaitUntil([&] { return !page->IsBusy(); }));
    EXPECT_EQ(messages.Texts(), QStringList{Text("CommunicationFail")});
    EXPECT_TRUE(Get<QPushButton>(CNetworkDlg::IDC_APPLY)->isEnabled());
}

TEST_F(NetworkPageTest, AppliesWirelessSettingsToTheVirtualPrinter) {
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    UseLoopbackPrinter(printer.TcpPort(), INSTRUCTION_VKLZ);

    Choose(CNetworkDlg::IDC_INTERFACE, 1);
    auto* ip = Get<CIpAddressEdit>(CNetworkDlg::IDC_IP);
    ip->SetAddress({10, 9, 7, 21});
    ip->Part(1)->clear(); // an empty field is a 0 byte, still sent in its place
    Get<CPaperNunberEditEx>(CNetworkDlg::IDC_PORT)->setText("9101");
    Choose(CNetworkDlg::IDC_REGION, 33);
    Choose(CNetworkDlg::IDC_MODE, 1);
    Choose(CNetworkDlg::IDC_CHANNEL, 10);
    Get<QLineEdit>(CNetworkDlg::IDC_SSID)->setText("labels-floor-2");
    Get<QCheckBox>(CNetworkDlg::IDC_SECURITY)->setChecked(true);
    Choose(CNetworkDlg::IDC_ENCRYPTION, 2);
    Choose(CNetworkDlg::IDC_WEP_MODE, 1);
    Get<QLineEdit>(CNetworkDlg::IDC_KEY)->setText("correct horse");
    ApplyAndWait();

    NetworkConfig expected;
    expected.interfaceIndex = 1;
    expected.ipAddress = {10, 0, 7, 21};
    expected.portText = "9101";
    expected.region = 33;
    expected.mode = 1;
    expected.channelIndex = 10;
    expected.ssid = "labels-floor-2";
    expected.security = true;
    expected.encryptionIndex = 2;
    expected.wepModeIndex = 1;
    expected.key = "correct horse";
    const QByteArray frames = Joined(NetworkApplyFrames(expected));
    ASSERT_TRUE(printer.WaitForBytes(frames.size(), 5000));
    EXPECT_EQ(printer.ReceivedBytes().toHex(), frames.toHex());
    EXPECT_EQ(messages.Texts(), QStringList{Text("RebootEffective")});
}

TEST_F(NetworkPageTest, FactoryDefaultsResetTheWiredModeOnlyForTheWiredInterface) {
    sim::VirtualPrinter printer(INSTRUCTION_VKLE);
    ASSERT_TRUE(printer.StartTcp(0));
    UseLoopbackPrinter(printer.TcpPort(), INSTRUCTION_VKLE);
    const QByteArray factory = QByteArray::fromHex("1d99424592995800c0");

    Press(CNetworkDlg::IDC_FACTORY);
    ASSERT_TRUE(WaitUntil([&] { return !page->IsBusy(); }));
    ASSERT_TRUE(printer.WaitForBytes(31, 5000));
    EXPECT_EQ(printer.ReceivedBytes(), factory + "~WN00@eep,w,37,2,0,1\r\n");

    printer.ClearLog();
    Choose(CNetworkDlg::IDC_INTERFACE, 1);
    Press(CNetworkDlg::IDC_FACTORY);
    ASSERT_TRUE(WaitUntil([&] { return !page->IsBusy(); }));
    ASSERT_TRUE(printer.WaitForBytes(9, 5000));
    EXPECT_EQ(printer.ReceivedBytes(), factory);
    EXPECT_EQ(messages.Texts(), (QStringList{Text("RebootEffective"), Text("RebootEffective")}));
}

TEST(NetworkPageInWindow, VklaPrintersGetNoApplyOrFactoryButton) {
    TempEnvironment env;
    InitUserSettings();
    WriteWizard(0);
    CShellParts parts = CShellParts::Standard();
    parts.makeWizard = [](QWidget*) { return std::unique_ptr<QDialog>(); };
    CQuilloryDlg window(parts);
    WriteInstruction(INSTRUCTION_VKLA);
    window.RunCommand(CQuilloryDlg::IDC_NETWORK_SETTINGS);
    CPage* page = window.Page(PAGE_NETWORK);
    ASSERT_NE(qobject_cast<CNetworkDlg*>(page), nullptr);
    EXPECT_FALSE(page->Control(CNetworkDlg::IDC_APPLY)->isEnabled());
    EXPECT_FALSE(page->Control(CNetworkDlg::IDC_FACTORY)->isEnabled());

    WriteInstruction(INSTRUCTION_VKLT);
    window.RunCommand(CQuilloryDlg::IDC_SELECT_PRINTER);
    window.RunCommand(CQuilloryDlg::IDC_NETWORK_SETTINGS);
    EXPECT_TRUE(page->Control(CNetworkDlg::IDC_APPLY)->isEnabled());
    EXPECT_TRUE(page->Control(CNetworkDlg::IDC_FACTORY)->isEnabled());
}
