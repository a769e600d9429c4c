// The port page and the wizard in the main window, as the program runs them.
#include "app/AppSettings.h"
#include "app/ui/QuilloryDlg.h"
#include "port/ui/CommunicationSettingDlg.h"
#include "port/ui/PortSubPage.h"
#include "port/ui/WizardDlg.h"
#include "support/TestEnvironment.h"

#include "../../app/ShellTestSupport.h"
#include "../FakePort.h"
#include "PortUiTestSupport.h"

#include <QComboBox>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

class PortShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitUserSettings();
        WriteLanguage(LANGUAGE_ENGLISH);
    }
    TempEnvironment env;
    NoPrintService noPrintService;
    FakePortScope fake;
};

tagPORTINFO Net(const char* address) {
    tagPORTINFO net = MakePortInfo(PORT_NET);
    SetPortText(net.netAddress, QString::fromLatin1(address));
    net.netPort = 9100;
    return net;
}

} // namespace

TEST_F(PortShellTest, FirstRunWizardSavesThePortAndThePortPageTakesItUp) {
    ModalDriver<CWizardDlg> driver([](CWizardDlg* wizard) {
        wizard->ControlAs<QComboBox>(CWizardDlg::IDC_INSTRUCTION)->setCurrentIndex(INSTRUCTION_VKLA);
        wizard->OnNext();
        wizard->ControlAs<QComboBox>(CWizardDlg::IDC_PORT_TYPE)->setCurrentIndex(SUBPAGE_NET);
        wizard->SubPages().Page(SUBPAGE_NET)->ShowPortInfo(Net("192.0.2.10"));
        wizard->OnFinish();
    });
    CQuilloryDlg window;
    window.show();
    ASSERT_TRUE(
        WaitUntil([&] { return driver.Seen() == 1 && window.CurrentPage() == PAGE_PRINTER_SETTINGS; }));
    EXPECT_EQ(ReadInstruction(), INSTRUCTION_VKLA);
    EXPECT_EQ(ReadPortInfo(), Net("192.0.2.10"));
    auto* page = static_cast<CCommunicationSettingDlg*>(window.Page(PAGE_PORT));
    EXPECT_EQ(page->SubPages().InView(), SUBPAGE_NET);
    EXPECT_EQ(page->SubPages().Build(), Net("192.0.2.10"));
    EXPECT_TRUE(page->ControlAs<QRadioButton>(1014)->isChecked());
}

TEST_F(PortShellTest, ClosingTheWizardByItsCloseBoxEndsTheProgram) {
    ModalDriver<CWizardDlg> driver([](CWizardDlg* wizard) { wizard->close(); });
    CQuilloryDlg window;
    window.show();
    ASSERT_TRUE(WaitUntil([&] { return driver.Seen() == 1 && !window.isVisible(); }));
    EXPECT_EQ(ReadWizard(), 1) << "the wizard opens again at the next start";
}
