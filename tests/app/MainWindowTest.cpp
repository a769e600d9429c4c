#include "ShellTestSupport.h"

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/Messages.h"
#include "app/ui/PasswordDlg.h"
#include "app/ui/QuilloryDlg.h"
#include "app/ui/QuillorySetDlg.h"
#include "controls/IphoneButton.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    TempEnvironment env;
    QStringList log;
    int wizardRuns = 0;
    int wizardResult = QDialog::Accepted;
    QList<bool> pageVisibleDuringWizard;
    std::function<void(CPage*)> decoratePage;

    void SetUp() override { InitUserSettings(); }

    CShellParts Parts() {
        CShellParts parts;
        parts.makePage = [this](int index, QWidget* parent) -> CPage* {
            auto* page = new RecordingPage(index, &log, parent);
            if (decoratePage)
                decoratePage(page);
            return page;
        };
        parts.makeWizard = [this](QWidget* parent) -> std::unique_ptr<QDialog> {
            auto* window = static_cast<CQuilloryDlg*>(parent);
            return std::make_unique<StandInDialog>(
                wizardResult,
                [this, window] {
                    ++wizardRuns;
                    for (int i = 0; i < kPageCount; ++i)
                        pageVisibleDuringWizard << window->Page(i)->isVisible();
                },
                parent);
        };
        return parts;
    }

    static void Settle() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    static int VisiblePages(const CQuilloryDlg& w) {
        int count = 0;
        for (int i = 0; i < kPageCount; ++i)
            count += w.Page(i)->isVisible() ? 1 : 0;
        return count;
    }
};

} // namespace

TEST_F(MainWindowTest, OpensOnThePortPageWithoutRefreshingItWhenNoWizardIsWanted) {
    WriteWizard(0);
    CQuilloryDlg window(Parts());
    window.show();
    Settle();
    EXPECT_EQ(wizardRuns, 0);
    EXPECT_EQ(window.size(), QSize(800, 600));
    EXPECT_EQ(window.windowTitle(), "Quillory");
    EXPECT_EQ(window.CurrentPage(), PAGE_PORT);
    EXPECT_TRUE(window.Page(PAGE_PORT)->isVisible());
    EXPECT_EQ(VisiblePages(window), 1);
    EXPECT_EQ(window.Page(PAGE_PORT)->geometry(), QRect(180, 110, 610, 470));
    EXPECT_FALSE(log.contains("shown 0"));
    EXPECT_EQ(window.TopHighlight(), CQuilloryDlg::IDC_SELECT_PRINTER);
    EXPECT_EQ(window.Button(CQuilloryDlg::IDC_SELECT_PRINTER)->GetState(), CIphoneButtonState::Clicked);
    EXPECT_FALSE(window.Button(CQuilloryDlg::IDC_BASIC_SETTINGS)->isVisible());
    // Texts in the window's language on every page, in page order.
    const QStringList texts = log.filter("texts");
    ASSERT_EQ(texts.size(), kPageCount);
    for (int i = 0; i < kPageCount; ++i)
        EXPECT_EQ(texts[i], QString("texts %1 %2").arg(i).arg(LANGUAGE_ENGLISH));
}

TEST_F(MainWindowTest, FirstRunWizardOpensOverAnEmptyPageAreaAndLeadsToPrinterSettings) {
    WriteWizard(1);
    CQuilloryDlg window(Parts());
    window.show();
    Settle();
    EXPECT_EQ(wizardRuns, 1);
    EXPECT_EQ(pageVisibleDuringWizard, QList<bool>(kPageCount, false));
    EXPECT_EQ(window.CurrentPage(), PAGE_PRINTER_SETTINGS);
    EXPECT_EQ(VisiblePages(window), 1);
    EXPECT_EQ(window.TopHighlight(), CQuilloryDlg::IDC_PRINTER_SETTINGS);
    EXPECT_EQ(window.VisibleLeftGroup(), CQuilloryDlg::GROUP_A);
    EXPECT_EQ(window.LeftHighlight(), CQuilloryDlg::IDC_BASIC_SETTINGS);
    EXPECT_TRUE(log.contains("shown 1"));
    EXPECT_EQ(log.count("reload 0"), 1) << "the port page takes up what the wizard saved";
}

TEST_F(MainWindowTest, WizardTwoOpensOverThePortPage) {
    WriteWizard(2);
    CQuilloryDlg window(Parts());
    window.show();
    Settle();
    EXPECT_EQ(wizardRuns, 1);
    ASSERT_EQ(pageVisibleDuringWizard.size(), kPageCount);
    EXPECT_TRUE(pageVisibleDuringWizard[PAGE_PORT]);
    EXPECT_EQ(window.CurrentPage(), PAGE_PRINTER_SETTINGS);
}

TEST_F(MainWindowTest, AfterACancelledWizardTheFirstCommandShowsItsPage) {
    WriteWizard(1);
    wizardResult = QDialog::Rejected;
    CQuilloryDlg window(Parts());
    window.show();
    Settle();
    EXPECT_EQ(window.CurrentPage(), -1);
    EXPECT_EQ(VisiblePages(window), 0);
    EXPECT_TRUE(log.filter("reload").isEmpty());
    window.RunCommand(CQuilloryDlg::IDC_SELECT_PRINTER);
    EXPECT_TRUE(window.Page(PAGE_PORT)->isVisible());
    EXPECT_TRUE(log.contains("shown 0"));
}

TEST_F(MainWindowTest, CommandsShowTheirPagesAndHighlights) {
    WriteWizard(0);
    CQuilloryDlg window(Parts());
    window.show();
    log.clear();

    window.RunCommand(CQuilloryDlg::IDC_TOOLBOX);
    EXPECT_EQ(window.CurrentPage(), PAGE_DEBUG);
    EXPECT_EQ(window.VisibleLeftGroup(), CQuilloryDlg::GROUP_B);
    EXPECT_TRUE(window.Button(CQuilloryDlg::IDC_LCD_LOGO)->isVisible());
    EXPECT_FALSE(window.Button(CQuilloryDlg::IDC_BASIC_SETTINGS)->isVisible());
    window.RunCommand(CQuilloryDlg::IDC_QUICK_OPERATIONS);
    EXPECT_EQ(window.CurrentPage(), PAGE_TOOLS);
    EXPECT_EQ(window.Button(CQuilloryDlg::IDC_QUICK_OPERATIONS)->GetState(), CIphoneButtonState::Clicked);
    EXPECT_EQ(window.Button(CQuilloryDlg::IDC_DEBUG_TOOLS)->GetState(), CIphoneButtonState::Normal);
    EXPECT_EQ(window.Button(CQuilloryDlg::IDC_TOOLBOX)->GetState(), CIphoneButtonState::Clicked);
    window.RunCommand(CQuilloryDlg::IDC_LCD_LOGO);
    window.RunCommand(CQuilloryDlg::IDC_LCD_LOGO); // already in view: no second refresh
    EXPECT_EQ(log, QStringList({"shown 4", "shown 2", "shown 6"}));
    EXPECT_EQ(VisiblePages(window), 1);

    // A page asks for a command (the port page after a confirmed port).
    emit window.Page(PAGE_PORT)->commandRequested(CQuilloryDlg::IDC_PRINTER_SETTINGS);
    EXPECT_EQ(window.CurrentPage(), PAGE_PRINTER_SETTINGS);
    EXPECT_EQ(window.VisibleLeftGroup(), CQuilloryDlg::GROUP_A);
}

TEST_F(MainWindowTest, ThePasswordIsAskedOncePerRunAndAWrongOneKeepsTheDialog) {
    WriteWizard(0);
    CQuilloryDlg window(Parts());
    window.show();
    window.RunCommand(CQuilloryDlg::IDC_PRINTER_SETTINGS);
    CMessageCapture messages;

    {
        ModalDriver<CPasswordDlg> cancel([](CPasswordDlg* dialog) { dialog->reject(); });
        window.RunCommand(CQuilloryDlg::IDC_ADVANCED_SETTINGS);
        EXPECT_EQ(cancel.Seen(), 1);
    }
    EXPECT_EQ(window.CurrentPage(), PAGE_PRINTER_SETTINGS);
    EXPECT_EQ(window.LeftHighlight(), CQuilloryDlg::IDC_BASIC_SETTINGS);
    EXPECT_EQ(window.Button(CQuilloryDlg::IDC_ADVANCED_SETTINGS)->GetState(), CIphoneButtonState::Normal);
    EXPECT_FALSE(window.PasswordPassed());

    bool stayedOpen = false;
    {
        ModalDriver<CPasswordDlg> enter([&](CPasswordDlg* dialog) {
            dialog->ControlAs<QLineEdit>(CPasswordDlg::IDC_PASSWORD)->setText("KFRY");
            dialog->ControlAs<QPushButton>(CPasswordDlg::IDOK_BUTTON)->click();
            stayedOpen = dialog->isVisible() && messages.Messages().size() == 1;
            dialog->ControlAs<QLineEdit>(CPasswordDlg::IDC_PASSWORD)->setText("kfry");
            dialog->ControlAs<QPushButton>(CPasswordDlg::IDOK_BUTTON)->click();
        });
        window.RunCommand(CQuilloryDlg::IDC_ADVANCED_SETTINGS);
        EXPECT_EQ(enter.Seen(), 1);
    }
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages.Texts(), QStringList({GetMessageText("PasswordError", LANGUAGE_ENGLISH)}));
    EXPECT_EQ(window.CurrentPage(), PAGE_EEPROM);
    EXPECT_EQ(window.LeftHighlight(), CQuilloryDlg::IDC_ADVANCED_SETTINGS);

    window.RunCommand(CQuilloryDlg::IDC_BASIC_SETTINGS);
    {
        ModalDriver<CPasswordDlg> none([](CPasswordDlg* dialog) { dialog->reject(); });
        window.RunCommand(CQuilloryDlg::IDC_ADVANCED_SETTINGS);
        EXPECT_EQ(none.Seen(), 0);
    }
    EXPECT_EQ(window.CurrentPage(), PAGE_EEPROM);
}

TEST_F(MainWindowTest, ALanguageChangeReappliesTextsToEveryPageInOrderThenTheWindow) {
    WriteWizard(0);
    WriteLanguage(LANGUAGE_SIMPLIFIED_CHINESE);
    QStringList windowCaptionDuringPages;
    CQuilloryDlg* windowPtr = nullptr;
    decoratePage = [&](CPage* page) {
        static_cast<RecordingPage*>(page)->onTexts = [&] {
            if (windowPtr)
                windowCaptionDuringPages << windowPtr->Button(CQuilloryDlg::IDC_PRINTER_SETTINGS)->text();
        };
    };
    CQuilloryDlg window(Parts());
    windowPtr = &window;
    window.show();
    const QString chinese = window.Button(CQuilloryDlg::IDC_PRINTER_SETTINGS)->text();
    log.clear();

    {
        ModalDriver<CQuillorySetDlg> choose([](CQuillorySetDlg* dialog) {
            EXPECT_EQ(dialog->ControlAs<QComboBox>(CQuillorySetDlg::IDC_LANGUAGE)->currentIndex(), 0);
            dialog->ControlAs<QComboBox>(CQuillorySetDlg::IDC_LANGUAGE)->setCurrentIndex(LANGUAGE_ENGLISH);
            dialog->accept();
        });
        window.RunCommand(CQuilloryDlg::IDC_PROGRAM_SETTINGS);
    }
    QStringList expected;
    for (int i = 0; i < kPageCount; ++i)
        expected << QString("texts %1 %2").arg(i).arg(LANGUAGE_ENGLISH);
    EXPECT_EQ(log, expected);
    EXPECT_EQ(windowCaptionDuringPages, QStringList(kPageCount, chinese)) << "the window comes last";
    EXPECT_NE(window.Button(CQuilloryDlg::IDC_PRINTER_SETTINGS)->text(), chinese);
    EXPECT_EQ(ReadLanguage(), LANGUAGE_ENGLISH);
    EXPECT_EQ(ReadWizard(), 0);

    // Choosing the language in effect changes nothing.
    log.clear();
    const QByteArray before = ReadFileBytes(UserSettingsFilePath());
    {
        ModalDriver<CQuillorySetDlg> same([](CQuillorySetDlg* dialog) { dialog->accept(); });
        window.RunCommand(CQuilloryDlg::IDC_PROGRAM_SETTINGS);
    }
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(ReadFileBytes(UserSettingsFilePath()), before);

    // The waits of the saved port: shown as stored, written when changed.
    {
        ModalDriver<CQuillorySetDlg> timing([](CQuillorySetDlg* dialog) {
            auto* timeout = dialog->ControlAs<QSpinBox>(CQuillorySetDlg::IDC_REPLY_TIMEOUT);
            EXPECT_EQ(timeout->value(), PortTiming{}.replyTimeoutMs);
            timeout->setValue(4500);
            dialog->ControlAs<QSpinBox>(CQuillorySetDlg::IDC_REPLY_GAP)->setValue(30);
            dialog->accept();
        });
        window.RunCommand(CQuilloryDlg::IDC_PROGRAM_SETTINGS);
    }
    EXPECT_EQ(ReadPortTiming().replyTimeoutMs, 4500);
    EXPECT_EQ(ReadPortTiming().replyGapMs, 30);
    EXPECT_EQ(ReadPortTiming().stallLimitMs, PortTiming{}.stallLimitMs);
}

TEST_F(MainWindowTest, NetworkFramesAreOfferedOnlyWhenTheCommandLanguageTakesThem) {
    WriteWizard(0);
    decoratePage = [](CPage* page) {
        page->AddControl(CQuilloryDlg::kNetworkApplyId, new QPushButton(page));
        page->AddControl(CQuilloryDlg::kNetworkFactoryId, new QPushButton(page));
    };
    CQuilloryDlg window(Parts());
    window.show();
    CPage* network = window.Page(PAGE_NETWORK);

    WriteInstruction(INSTRUCTION_VKLA);
    window.RunCommand(CQuilloryDlg::IDC_NETWORK_SETTINGS);
    EXPECT_EQ(window.CurrentPage(), PAGE_NETWORK);
    EXPECT_FALSE(network->Control(CQuilloryDlg::kNetworkApplyId)->isEnabled());
    EXPECT_FALSE(network->Control(CQuilloryDlg::kNetworkFactoryId)->isEnabled());

    WriteInstruction(INSTRUCTION_VKLE);
    window.RunCommand(CQuilloryDlg::IDC_NETWORK_SETTINGS);
    EXPECT_TRUE(network->Control(CQuilloryDlg::kNetworkApplyId)->isEnabled());
    EXPECT_TRUE(network->Control(CQuilloryDlg::kNetworkFactoryId)->isEnabled());
}

TEST_F(MainWindowTest, DialogsLeaveThePageAndHighlightsAsTheyWere) {
    WriteWizard(0);
    int downloadLanguage = -1;
    tagPORTINFO downloadPort = MakePortInfo(0);
    CShellParts parts = Parts();
    parts.makeDownload = [&](int language, const tagPORTINFO& port,
                             QWidget* parent) -> std::unique_ptr<QDialog> {
        downloadLanguage = language;
        downloadPort = port;
        return std::make_unique<StandInDialog>(QDialog::Accepted, nullptr, parent);
    };
    tagPORTINFO net = MakePortInfo(PORT_NET);
    SetPortText(net.netAddress, "127.0.0.1");
    net.netPort = 9100;
    WritePortInfo(net);

    CQuilloryDlg window(std::move(parts));
    window.show();
    window.RunCommand(CQuilloryDlg::IDC_TOOLBOX);
    window.RunCommand(CQuilloryDlg::IDC_LCD_LOGO);

    window.Button(CQuilloryDlg::IDC_UPGRADE)->SetStateClicked(); // as a release on it leaves it
    window.RunCommand(CQuilloryDlg::IDC_UPGRADE);
    EXPECT_EQ(downloadLanguage, LANGUAGE_ENGLISH);
    EXPECT_TRUE(downloadPort == net);
    EXPECT_EQ(window.Button(CQuilloryDlg::IDC_UPGRADE)->GetState(), CIphoneButtonState::Normal);

    window.Button(CQuilloryDlg::IDC_ABOUT)->SetStateClicked();
    {
        ModalDriver<CAboutDlg> close([](CAboutDlg* dialog) { dialog->accept(); });
        window.RunCommand(CQuilloryDlg::IDC_ABOUT);
        EXPECT_EQ(close.Seen(), 1);
    }
    EXPECT_EQ(window.Button(CQuilloryDlg::IDC_ABOUT)->GetState(), CIphoneButtonState::Normal);
    EXPECT_EQ(window.CurrentPage(), PAGE_LOGO);
    EXPECT_EQ(window.Button(CQuilloryDlg::IDC_TOOLBOX)->GetState(), CIphoneButtonState::Clicked);
    EXPECT_EQ(window.Button(CQuilloryDlg::IDC_LCD_LOGO)->GetState(), CIphoneButtonState::Clicked);
    EXPECT_EQ(window.VisibleLeftGroup(), CQuilloryDlg::GROUP_B);
}
