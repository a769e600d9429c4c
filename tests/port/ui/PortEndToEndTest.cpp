// The port screens against the virtual printer: real network connections and the real search,
// all on loopback.
#include "app/AppSettings.h"
#include "app/ui/Messages.h"
#include "port/backends/Backends.h"
#include "port/ui/CommunicationSettingDlg.h"
#include "port/ui/DriverSetDlg.h"
#include "port/ui/NetworkSetDlg.h"
#include "port/ui/PortSubPage.h"
#include "port/ui/PrinterSearch.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"

#include "PortUiTestSupport.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// Points the search at the virtual printer's responder for the life of the object.
class SearchTargets {
public:
    explicit SearchTargets(std::uint16_t port) : m_saved(qgetenv(kSearchTargetsVariable)) {
        qputenv(kSearchTargetsVariable, QByteArray("127.0.0.1:") + QByteArray::number(port));
    }
    ~SearchTargets() { qputenv(kSearchTargetsVariable, m_saved); }
    SearchTargets(const SearchTargets&) = delete;
    SearchTargets& operator=(const SearchTargets&) = delete;

private:
    QByteArray m_saved;
};

class PortEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        InitUserSettings();
        WriteLanguage(LANGUAGE_ENGLISH);
        WriteWizard(0);
        ASSERT_TRUE(printer.StartTcp(0));
        searchPort = printer.StartSearchResponder(0);
        ASSERT_NE(searchPort, 0);
    }
    TempEnvironment env;
    sim::VirtualPrinter printer{INSTRUCTION_VKLA};
    std::uint16_t searchPort = 0;
};

} // namespace

TEST_F(PortEndToEnd, TheVirtualPrinterFoundBySearchIsSavedAndProven) {
    SearchTargets targets(searchPort);
    CMessageCapture messages;
    CCommunicationSettingDlg page;
    page.resize(610, 470);
    page.ApplyLanguage(LANGUAGE_ENGLISH);
    QList<int> commands;
    QObject::connect(&page, &CPage::commandRequested, [&](int id) { commands << id; });
    page.show();

    page.ControlAs<QRadioButton>(1014)->click(); // VKLA
    page.ChoosePortType(SUBPAGE_NET);
    auto* net = static_cast<CNetworkSetDlg*>(page.SubPages().Page(SUBPAGE_NET));
    net->ControlAs<QPushButton>(CNetworkSetDlg::IDC_SEARCH)->click();
    ASSERT_TRUE(WaitUntil([&] { return !net->PrinterSearch().IsRunning(); }));
    EXPECT_EQ(ItemTexts(net->ControlAs<QComboBox>(CNetworkSetDlg::IDC_ADDRESS)), QStringList({"127.0.0.1"}));
    net->ControlAs<QSpinBox>(CNetworkSetDlg::IDC_PORT)->setValue(printer.TcpPort());

    page.ControlAs<QPushButton>(CCommunicationSettingDlg::IDC_OK)->click();
    ASSERT_TRUE(WaitUntil([&] { return !page.IsProving(); }));
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join('\n').toStdString();
    EXPECT_EQ(commands, QList<int>({1141}));
    const QString file = QString::fromUtf8(ReadFileBytes(UserSettingsFilePath()));
    EXPECT_TRUE(file.contains("Instruction=3")) << file.toStdString();
    EXPECT_TRUE(file.contains("[PortInfo]\r\ntype=4")) << file.toStdString();
    EXPECT_TRUE(file.contains("IP=127.0.0.1")) << file.toStdString();
    EXPECT_TRUE(file.contains(QStringLiteral("Port=%1").arg(printer.TcpPort()))) << file.toStdString();

    // The proof really connects: with the printer gone the same choice is refused.
    printer.Stop();
    page.OnOK();
    ASSERT_TRUE(WaitUntil([&] { return !page.IsProving(); }));
    EXPECT_EQ(messages.Texts(), QStringList({GetMessageText("OpenPortError", LANGUAGE_ENGLISH)}));
    EXPECT_EQ(commands.size(), 1);
}

TEST_F(PortEndToEnd, TheDriverSubPageFindsTheVirtualPrinterToo) {
    SearchTargets targets(searchPort);
    CDriverSetDlg page;
    page.ApplyLanguage(LANGUAGE_ENGLISH);
    page.ControlAs<QRadioButton>(CDriverSetDlg::IDC_NETWORK)->click();
    ASSERT_TRUE(page.Search());
    ASSERT_TRUE(WaitUntil([&] { return !page.PrinterSearch().IsRunning(); }));
    page.ControlAs<QSpinBox>(CDriverSetDlg::IDC_PORT)->setValue(printer.TcpPort());
    const tagPORTINFO info = page.BuildPortInfo();
    EXPECT_EQ(info.portType, PORT_NET);
    EXPECT_EQ(PortText(info.netAddress), "127.0.0.1");
    EXPECT_EQ(info.netPort, printer.TcpPort());
}
