#include "app/AppSettings.h"
#include "app/ui/Messages.h"
#include "port/ui/CommunicationSettingDlg.h"
#include "port/ui/NetworkSetDlg.h"
#include "port/ui/PortSubPage.h"
#include "support/TestEnvironment.h"

#include "../FakePort.h"
#include "PortUiTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

class PortPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitUserSettings();
        WriteLanguage(LANGUAGE_ENGLISH);
        WriteWizard(0);
    }

    // The page as the main window builds it: created, texts applied, in view.
    std::unique_ptr<CCommunicationSettingDlg> MakePage() {
        auto page = std::make_unique<CCommunicationSettingDlg>();
        page->resize(610, 470);
        page->ApplyLanguage(ReadLanguage());
        QObject::connect(page.get(), &CPage::commandRequested, [this](int id) { commands << id; });
        page->show();
        return page;
    }

    static bool ProveDone(CCommunicationSettingDlg& page) {
        return WaitUntil([&] { return !page.IsProving(); });
    }

    TempEnvironment env;
    QList<int> commands;
};

tagPORTINFO SavedNet() {
    tagPORTINFO net = MakePortInfo(PORT_NET);
    SetPortText(net.netAddress, "192.0.2.10");
    net.netPort = 9100;
    return net;
}

} // namespace

TEST_F(PortPageTest, OkSavesBothChoicesProvesThePortAndMovesOnToPrinterSettings) {
    FakePortScope fake;
    auto page = MakePage();
    EXPECT_FALSE(page->Control(CCommunicationSettingDlg::IDC_CANCEL)->isEnabled());
    page->ControlAs<QRadioButton>(1017)->click(); // VKLT
    page->ChoosePortType(SUBPAGE_LPT);
    page->OnOK();
    ASSERT_TRUE(ProveDone(*page));
    EXPECT_EQ(ReadInstruction(), INSTRUCTION_VKLT);
    EXPECT_EQ(ReadPortInfo().portType, PORT_LPT);
    EXPECT_EQ(PortText(ReadPortInfo().lptName), "LPT1");
    EXPECT_EQ(fake.world->Calls(), QStringList({"open 2", "close", "close"}));
    EXPECT_EQ(commands, QList<int>({1141}));
    EXPECT_TRUE(page->Control(CCommunicationSettingDlg::IDC_CANCEL)->isEnabled());
}

TEST_F(PortPageTest, NoRadioCheckedSavesVkla) {
    FakePortScope fake;
    WriteInstruction(7);
    auto page = MakePage();
    for (const InstructionRadio& row : kInstructionRadios)
        EXPECT_FALSE(page->ControlAs<QRadioButton>(row.id)->isChecked());
    page->OnOK();
    ASSERT_TRUE(ProveDone(*page));
    EXPECT_EQ(ReadInstruction(), INSTRUCTION_VKLA);
}

TEST_F(PortPageTest, APortThatCannotBeOpenedIsReportedAndStaysSaved) {
    FakePortScope fake;
    fake.world->openError = COMM_OPEN_FAILED;
    CMessageCapture messages;
    auto page = MakePage();
    page->ControlAs<QRadioButton>(1018)->click(); // VKLC
    page->ChoosePortType(SUBPAGE_NET);
    page->SubPages().Page(SUBPAGE_NET)->ShowPortInfo(SavedNet());
    page->OnOK();
    EXPECT_FALSE(page->Control(CCommunicationSettingDlg::IDC_OK)->isEnabled())
        << "no second press while proving";
    ASSERT_TRUE(ProveDone(*page));
    EXPECT_EQ(messages.Texts(), QStringList({GetMessageText("OpenPortError", LANGUAGE_ENGLISH)}));
    EXPECT_TRUE(commands.isEmpty());
    EXPECT_EQ(ReadInstruction(), INSTRUCTION_VKLC);
    EXPECT_EQ(ReadPortInfo(), SavedNet());
    EXPECT_TRUE(page->Control(CCommunicationSettingDlg::IDC_OK)->isEnabled());
}

TEST_F(PortPageTest, ShowingThePageAndCancelLoadTheSavedChoice) {
    WriteInstruction(INSTRUCTION_VKLE);
    WritePortInfo(SavedNet());
    auto page = MakePage();
    // Opened on the saved port, and shown again from the settings each time it comes into view.
    EXPECT_EQ(page->SubPages().InView(), SUBPAGE_NET);
    EXPECT_EQ(page->SubPages().Build(), SavedNet());
    page->ChoosePortType(SUBPAGE_COM);
    page->PageShown();
    auto* portType = page->ControlAs<QComboBox>(CCommunicationSettingDlg::IDC_PORT_TYPE);
    EXPECT_EQ(page->SubPages().InView(), SUBPAGE_NET);
    EXPECT_EQ(portType->currentIndex(), SUBPAGE_NET);
    EXPECT_TRUE(page->ControlAs<QRadioButton>(1015)->isChecked());
    EXPECT_EQ(page->SubPages().Build(), SavedNet());

    // A language change refills the port-type list; it keeps naming the sub-page in view.
    page->ApplyLanguage(LANGUAGE_TRADITIONAL_CHINESE);
    EXPECT_EQ(portType->currentIndex(), SUBPAGE_NET);
    EXPECT_EQ(page->SubPages().Page(SUBPAGE_NET)->ControlAs<QPushButton>(CNetworkSetDlg::IDC_SEARCH)->text(),
              QString::fromUtf8("搜尋"));

    portType->setCurrentIndex(SUBPAGE_COM);
    page->ControlAs<QRadioButton>(1016)->click();
    page->OnCancel();
    EXPECT_EQ(page->SubPages().InView(), SUBPAGE_NET);
    EXPECT_TRUE(page->ControlAs<QRadioButton>(1015)->isChecked());
}

TEST_F(PortPageTest, DriverModeOffersOnlyTheDriverSubPage) {
    env.SetShippedCommMode("1");
    InitUserSettings();
    WriteLanguage(LANGUAGE_ENGLISH);
    NoPrintService noPrintService;
    auto page = MakePage();
    EXPECT_FALSE(page->Control(CCommunicationSettingDlg::IDC_PORT_TYPE)->isVisible());
    EXPECT_FALSE(page->Control(CCommunicationSettingDlg::IDC_PORT_TYPE_LABEL)->isVisible());
    EXPECT_EQ(page->SubPages().InView(), SUBPAGE_DRIVER);
    page->ChoosePortType(SUBPAGE_COM);
    EXPECT_EQ(page->SubPages().InView(), SUBPAGE_DRIVER);
    // Even a saved serial port keeps the driver sub-page in view.
    WritePortInfo(MakePortInfo(PORT_COM));
    page->ReloadSettings();
    EXPECT_EQ(page->SubPages().InView(), SUBPAGE_DRIVER);
    EXPECT_EQ(page->SubPages().Build().portType, PORT_DRIVER);
}
