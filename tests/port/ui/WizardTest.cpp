#include "app/AppSettings.h"
#include "app/ui/Messages.h"
#include "port/ui/PortSubPage.h"
#include "port/ui/WizardDlg.h"
#include "support/TestEnvironment.h"

#include "../FakePort.h"
#include "PortUiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitUserSettings();
        WriteLanguage(LANGUAGE_ENGLISH);
    }
    static bool Enabled(const CWizardDlg& wizard, int id) { return wizard.Control(id)->isEnabled(); }
    static bool ProveDone(CWizardDlg& wizard) {
        return WaitUntil([&] { return !wizard.IsProving(); });
    }
    TempEnvironment env;
};

} // namespace

TEST_F(WizardTest, NextAndBackWalkBetweenTheTwoSteps) {
    WriteInstruction(INSTRUCTION_VKLE);
    CWizardDlg wizard;
    wizard.show();
    EXPECT_EQ(wizard.ControlAs<QComboBox>(CWizardDlg::IDC_INSTRUCTION)->currentIndex(), INSTRUCTION_VKLE);
    EXPECT_FALSE(Enabled(wizard, CWizardDlg::IDC_BACK));
    EXPECT_FALSE(Enabled(wizard, CWizardDlg::IDC_FINISH));
    EXPECT_TRUE(Enabled(wizard, CWizardDlg::IDC_NEXT));
    EXPECT_FALSE(wizard.Control(CWizardDlg::IDC_PORT_TYPE)->isVisible());

    wizard.OnNext();
    EXPECT_TRUE(Enabled(wizard, CWizardDlg::IDC_BACK));
    EXPECT_TRUE(Enabled(wizard, CWizardDlg::IDC_FINISH));
    EXPECT_FALSE(Enabled(wizard, CWizardDlg::IDC_NEXT));
    EXPECT_TRUE(wizard.Control(CWizardDlg::IDC_PORT_TYPE)->isVisible());
    EXPECT_EQ(wizard.SubPages().InView(), SUBPAGE_COM);

    wizard.ControlAs<QComboBox>(CWizardDlg::IDC_PORT_TYPE)->setCurrentIndex(SUBPAGE_NET);
    EXPECT_TRUE(wizard.SubPages().Page(SUBPAGE_NET)->isVisible());
    wizard.OnBack();
    EXPECT_FALSE(wizard.SubPages().Page(SUBPAGE_NET)->isVisible());
    EXPECT_TRUE(wizard.Control(CWizardDlg::IDC_INSTRUCTION)->isVisible());
    wizard.OnNext();
    EXPECT_EQ(wizard.SubPages().InView(), SUBPAGE_NET) << "the port type chosen before stays";
}

TEST_F(WizardTest, FinishWithAPortThatCannotBeOpenedShowsTheErrorAndStaysOpen) {
    FakePortScope fake;
    fake.world->openError = COMM_OPEN_FAILED;
    CMessageCapture messages;
    CWizardDlg wizard;
    wizard.show();
    wizard.ControlAs<QComboBox>(CWizardDlg::IDC_INSTRUCTION)->setCurrentIndex(INSTRUCTION_VKLC);
    wizard.OnNext();
    wizard.ControlAs<QComboBox>(CWizardDlg::IDC_PORT_TYPE)->setCurrentIndex(SUBPAGE_LPT);
    wizard.OnFinish();
    EXPECT_FALSE(Enabled(wizard, CWizardDlg::IDC_BACK));
    // Written before the port is tried.
    EXPECT_EQ(ReadInstruction(), INSTRUCTION_VKLC);
    EXPECT_EQ(ReadPortInfo().portType, PORT_LPT);
    ASSERT_TRUE(ProveDone(wizard));
    EXPECT_EQ(messages.Texts(), QStringList({GetMessageText("OpenPortError", LANGUAGE_ENGLISH)}));
    EXPECT_TRUE(wizard.isVisible());
    EXPECT_NE(wizard.result(), QDialog::Accepted);
    EXPECT_TRUE(Enabled(wizard, CWizardDlg::IDC_BACK));
    EXPECT_TRUE(Enabled(wizard, CWizardDlg::IDC_FINISH));

    // Corrected, it finishes.
    fake.world->openError = 0;
    wizard.OnFinish();
    ASSERT_TRUE(ProveDone(wizard));
    EXPECT_EQ(wizard.result(), QDialog::Accepted);
    EXPECT_FALSE(wizard.isVisible());
}

TEST_F(WizardTest, EnterOnTheFirstStepFinishesWithTheSavedPort) {
    FakePortScope fake;
    // A first start: the serial defaults.
    {
        CWizardDlg wizard;
        wizard.show();
        QTest::keyClick(&wizard, Qt::Key_Return);
        EXPECT_EQ(wizard.SubPages().InView(), SUBPAGE_COM);
        ASSERT_TRUE(ProveDone(wizard));
        EXPECT_EQ(ReadPortInfo().portType, PORT_COM);
        EXPECT_EQ(PortText(ReadPortInfo().comName), "COM1");
        EXPECT_EQ(wizard.result(), QDialog::Accepted);
    }
    // A port chosen before stays what it was, not the serial defaults.
    tagPORTINFO net = MakePortInfo(PORT_NET);
    SetPortText(net.netAddress, "192.0.2.10");
    net.netPort = 9100;
    WritePortInfo(net);
    CWizardDlg wizard;
    wizard.show();
    QTest::keyClick(&wizard, Qt::Key_Return);
    EXPECT_EQ(wizard.SubPages().InView(), SUBPAGE_NET);
    ASSERT_TRUE(ProveDone(wizard));
    EXPECT_EQ(ReadPortInfo(), net);
    EXPECT_EQ(wizard.result(), QDialog::Accepted);
}

TEST_F(WizardTest, TheCheckBoxDecidesWhetherTheWizardOpensAgain) {
    CWizardDlg wizard;
    wizard.show();
    auto* dontShow = wizard.ControlAs<QCheckBox>(CWizardDlg::IDC_DONT_SHOW);
    dontShow->click();
    EXPECT_EQ(ReadWizard(), 0);
    dontShow->click();
    EXPECT_EQ(ReadWizard(), 1);
}

TEST_F(WizardTest, DriverModeShowsOnlyTheDriverSubPage) {
    env.SetShippedCommMode("1");
    InitUserSettings();
    WriteLanguage(LANGUAGE_ENGLISH);
    NoPrintService noPrintService;
    CWizardDlg wizard;
    wizard.show();
    wizard.OnNext();
    EXPECT_EQ(wizard.SubPages().InView(), SUBPAGE_DRIVER);
    EXPECT_FALSE(wizard.Control(CWizardDlg::IDC_PORT_TYPE)->isVisible());
    EXPECT_FALSE(wizard.Control(CWizardDlg::IDC_PORT_TYPE_LABEL)->isVisible());
    wizard.ChoosePortType(SUBPAGE_NET);
    EXPECT_EQ(wizard.SubPages().InView(), SUBPAGE_DRIVER);
}

TEST_F(WizardTest, TheCloseBoxClosesTheMainWindowTooButEscapeOnlyTheWizard) {
    QWidget window;
    window.show();
    {
        CWizardDlg wizard(&window);
        wizard.show();
        QTest::keyClick(&wizard, Qt::Key_Escape);
        Settle();
        EXPECT_FALSE(wizard.isVisible());
        EXPECT_TRUE(window.isVisible());
    }
    {
        CWizardDlg wizard(&window);
        wizard.show();
        wizard.close();
        Settle();
        EXPECT_FALSE(window.isVisible());
    }
}
