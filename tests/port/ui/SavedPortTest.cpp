// What the operator meets in the first minute: the saved port on the Connection page from the
// start (also in the demo), an address typed without a search, a missing address said before
// anything is saved, and the outcome of the port's proof in the activity log.
#include "app/ActivityLog.h"
#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/DemoMode.h"
#include "app/ui/Messages.h"
#include "app/ui/QuilloryDlg.h"
#include "port/ui/CommunicationSettingDlg.h"
#include "port/ui/DriverSetDlg.h"
#include "port/ui/NetworkSetDlg.h"
#include "port/ui/PortSubPage.h"
#include "port/ui/WizardDlg.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"

#include "../FakePort.h"
#include "PortUiTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpServer>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

CShellParts WithoutDialogs() {
    CShellParts parts = CShellParts::Standard();
    parts.makeWizard = nullptr;
    parts.makeDownload = nullptr;
    return parts;
}

CCommunicationSettingDlg& PortPage(const CQuilloryDlg& window) {
    return *static_cast<CCommunicationSettingDlg*>(window.Page(PAGE_PORT));
}

bool ProveDone(CCommunicationSettingDlg& page) {
    return WaitUntil([&] { return !page.IsProving(); });
}

std::uint16_t DeadPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

tagPORTINFO Net(const char* address, int port) {
    tagPORTINFO net = MakePortInfo(PORT_NET);
    SetPortText(net.netAddress, QString::fromLatin1(address));
    net.netPort = port;
    return net;
}

struct SavedPort {
    const char* name;
    tagPORTINFO info;
    int subPage;
};

QList<SavedPort> EveryKind() {
    tagPORTINFO com = MakePortInfo(PORT_COM);
    SetPortText(com.comName, "ttyUSB0");
    com.baudRate = 115200;
    com.dataBits = 7;
    com.stopBits = 2;
    com.parity = 2;
    com.flowControl = 1;
    tagPORTINFO lpt = MakePortInfo(PORT_LPT);
    SetPortText(lpt.lptName, "LPT3");
    tagPORTINFO usb = MakePortInfo(PORT_USBCLASS);
    SetPortText(usb.usbClassName, "Label printer 200");
    tagPORTINFO api = MakePortInfo(PORT_USBAPI);
    api.usbApiId = 1;
    tagPORTINFO queue = MakePortInfo(PORT_DRIVER);
    SetPortText(queue.driverName, "Front desk, 2nd floor");
    return {
        {"serial", com, SUBPAGE_COM},
        {"parallel", lpt, SUBPAGE_LPT},
        {"USB class", usb, SUBPAGE_USB},
        {"USB API", api, SUBPAGE_USB},
        {"network", Net("192.0.2.10", 6101), SUBPAGE_NET},
        {"driver", queue, SUBPAGE_DRIVER},
    };
}

class SavedPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitUserSettings();
        WriteLanguage(LANGUAGE_ENGLISH);
        WriteWizard(0);
        CActivityLog::Instance().Clear();
    }
    void TearDown() override { CActivityLog::Instance().Clear(); }
    TempEnvironment env;
    NoPrintService noPrintService;
};

} // namespace

TEST_F(SavedPortTest, TheSavedPortOfEveryKindIsShownAtStartAndOkKeepsIt) {
    for (const SavedPort& saved : EveryKind()) {
        SCOPED_TRACE(saved.name);
        FakePortScope fake;
        WriteInstruction(INSTRUCTION_VKLE);
        WritePortInfo(saved.info);
        CQuilloryDlg window(WithoutDialogs());
        window.show();
        CCommunicationSettingDlg& page = PortPage(window);
        EXPECT_EQ(window.CurrentPage(), PAGE_PORT);
        EXPECT_EQ(page.SubPages().InView(), saved.subPage);
        EXPECT_EQ(page.ControlAs<QComboBox>(CCommunicationSettingDlg::IDC_PORT_TYPE)->currentIndex(),
                  saved.subPage);
        EXPECT_TRUE(page.ControlAs<QRadioButton>(1015)->isChecked());
        EXPECT_EQ(page.SubPages().Build(), saved.info);

        page.OnOK();
        ASSERT_TRUE(ProveDone(page));
        EXPECT_EQ(ReadPortInfo(), saved.info) << "OK saves what the page shows, nothing else";
        EXPECT_EQ(ReadInstruction(), INSTRUCTION_VKLE);
        EXPECT_EQ(window.CurrentPage(), PAGE_PRINTER_SETTINGS);
    }
}

TEST_F(SavedPortTest, TheDemoShowsItsOwnPrinterAndOkReachesIt) {
    const QByteArray targets = qgetenv("QUILLORY_SEARCH_TARGETS");
    const QByteArray eepbak = qgetenv("QUILLORY_EEPBAK_DIR");
    {
        CDemoMode demo;
        QString error;
        ASSERT_TRUE(demo.Start(&error)) << error.toStdString();
        CMessageCapture messages;
        CQuilloryDlg window(WithoutDialogs());
        window.show();
        CCommunicationSettingDlg& page = PortPage(window);
        EXPECT_EQ(page.SubPages().InView(), SUBPAGE_NET);
        EXPECT_EQ(page.SubPages().Build(), Net("127.0.0.1", demo.PrinterPort()));

        page.OnOK();
        ASSERT_TRUE(ProveDone(page));
        EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join('\n').toStdString();
        EXPECT_EQ(ReadPortInfo(), Net("127.0.0.1", demo.PrinterPort()));
        EXPECT_EQ(window.CurrentPage(), PAGE_PRINTER_SETTINGS);
        ASSERT_EQ(CActivityLog::Instance().Count(), 1);
        const ActivityEntry entry = CActivityLog::Instance().Entries()[0];
        EXPECT_EQ(entry.result, ActivityResult::Success);
        EXPECT_EQ(entry.page, "Connection");
        EXPECT_EQ(entry.operation, "OK");
        EXPECT_EQ(entry.port, QStringLiteral("127.0.0.1:%1").arg(demo.PrinterPort()));
        EXPECT_EQ(entry.message, GetMessageText("PortOpened", LANGUAGE_ENGLISH));
    }
    qputenv("QUILLORY_SEARCH_TARGETS", targets);
    qputenv("QUILLORY_EEPBAK_DIR", eepbak);
}

TEST_F(SavedPortTest, AnAddressTypedWithoutASearchIsSaved) {
    FakePortScope fake;
    WritePortInfo(MakePortInfo(PORT_COM));
    CQuilloryDlg window(WithoutDialogs());
    window.show();
    CCommunicationSettingDlg& page = PortPage(window);
    page.ChoosePortType(SUBPAGE_NET);
    auto* address = page.SubPages().Page(SUBPAGE_NET)->ControlAs<QComboBox>(CNetworkSetDlg::IDC_ADDRESS);
    ASSERT_TRUE(address->isEnabled()) << "usable before any search";
    address->lineEdit()->setText(" printer-7.example ");
    page.SubPages().Page(SUBPAGE_NET)->ControlAs<QSpinBox>(CNetworkSetDlg::IDC_PORT)->setValue(6101);
    page.OnOK();
    ASSERT_TRUE(ProveDone(page));
    EXPECT_EQ(ReadPortInfo(), Net("printer-7.example", 6101));

    // The driver sub-page takes a typed address as well.
    CDriverSetDlg driver;
    driver.ControlAs<QRadioButton>(CDriverSetDlg::IDC_NETWORK)->click();
    auto* driverAddress = driver.ControlAs<QComboBox>(CDriverSetDlg::IDC_ADDRESS);
    EXPECT_TRUE(driverAddress->isEnabled());
    driverAddress->lineEdit()->setText("127.0.0.1");
    EXPECT_EQ(PortText(driver.BuildPortInfo().netAddress), "127.0.0.1");
}

TEST_F(SavedPortTest, AMissingAddressIsSaidAndNothingIsSaved) {
    FakePortScope fake;
    const tagPORTINFO saved = Net("192.0.2.10", 9100);
    WritePortInfo(saved);
    WriteInstruction(INSTRUCTION_VKLZ);
    CMessageCapture messages;
    CQuilloryDlg window(WithoutDialogs());
    window.show();
    CCommunicationSettingDlg& page = PortPage(window);
    auto* address = page.SubPages().Page(SUBPAGE_NET)->ControlAs<QComboBox>(CNetworkSetDlg::IDC_ADDRESS);
    address->lineEdit()->setText("   ");
    page.ControlAs<QRadioButton>(1014)->click(); // VKLA
    page.OnOK();
    EXPECT_FALSE(page.IsProving());
    EXPECT_EQ(messages.Texts(), QStringList({GetMessageText("AddressMissing", LANGUAGE_ENGLISH)}));
    EXPECT_EQ(ReadPortInfo(), saved);
    EXPECT_EQ(ReadInstruction(), INSTRUCTION_VKLZ) << "nothing at all is saved";
    EXPECT_TRUE(fake.world->Calls().isEmpty());
    EXPECT_EQ(window.focusWidget(), address) << "the operator can type the address at once";
    ASSERT_EQ(CActivityLog::Instance().Count(), 1);
    EXPECT_EQ(CActivityLog::Instance().Entries()[0].result, ActivityResult::Failure);

    // The wizard opens its port step on the saved port too, says the same of an emptied
    // address and stays on its port step.
    messages.Clear();
    CWizardDlg wizard;
    wizard.show();
    wizard.OnNext();
    EXPECT_EQ(wizard.ControlAs<QComboBox>(CWizardDlg::IDC_PORT_TYPE)->currentIndex(), SUBPAGE_NET);
    EXPECT_EQ(wizard.SubPages().Build(), saved);
    wizard.SubPages()
        .Page(SUBPAGE_NET)
        ->ControlAs<QComboBox>(CNetworkSetDlg::IDC_ADDRESS)
        ->lineEdit()
        ->clear();
    wizard.OnFinish();
    EXPECT_FALSE(wizard.IsProving());
    EXPECT_EQ(messages.Texts(), QStringList({GetMessageText("AddressMissing", LANGUAGE_ENGLISH)}));
    EXPECT_EQ(ReadPortInfo(), saved);
    EXPECT_EQ(wizard.Step(), 2);
    EXPECT_TRUE(wizard.Control(CWizardDlg::IDC_FINISH)->isEnabled());
    EXPECT_EQ(wizard.result(), 0);
    for (int language : {0, 1, 2})
        EXPECT_FALSE(GetMessageText("AddressMissing", language).isEmpty());
}

TEST_F(SavedPortTest, ARefusedConnectionIsReportedWithItsPortInTheLog) {
    const std::uint16_t dead = DeadPort();
    WritePortInfo(Net("127.0.0.1", dead));
    CMessageCapture messages;
    CQuilloryDlg window(WithoutDialogs());
    window.show();
    CCommunicationSettingDlg& page = PortPage(window);
    page.OnOK();
    ASSERT_TRUE(ProveDone(page));
    ASSERT_EQ(messages.Texts(), QStringList({GetMessageText("OpenPortError", LANGUAGE_ENGLISH)}));
    ASSERT_EQ(CActivityLog::Instance().Count(), 1);
    const ActivityEntry entry = CActivityLog::Instance().Entries()[0];
    EXPECT_EQ(entry.result, ActivityResult::Failure);
    EXPECT_EQ(entry.page, "Connection");
    EXPECT_EQ(entry.port, QStringLiteral("127.0.0.1:%1").arg(dead));
    EXPECT_EQ(entry.message, GetMessageText("OpenPortError", LANGUAGE_ENGLISH));
    EXPECT_EQ(window.CurrentPage(), PAGE_PORT);
}
