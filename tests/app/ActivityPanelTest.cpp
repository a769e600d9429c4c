// The activity line and the activity log of the main window.
#include "ShellTestSupport.h"

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/Activity.h"
#include "app/ui/ActivityPanel.h"
#include "app/ui/Messages.h"
#include "app/ui/QuilloryDlg.h"
#include "controls/IphoneButton.h"
#include "support/ScreenFixture.h"
#include "support/TestEnvironment.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

class ActivityPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitUserSettings();
        WriteWizard(0);
        WriteLanguage(LANGUAGE_ENGLISH);
        CActivityLog::Instance().Clear();
    }
    void TearDown() override { CActivityLog::Instance().Clear(); }

    CShellParts Parts() {
        CShellParts parts;
        parts.makePage = [this](int index, QWidget* parent) -> CPage* {
            return new RecordingPage(index, &log, parent);
        };
        return parts;
    }
    static tagPORTINFO Net() {
        tagPORTINFO net = MakePortInfo(PORT_NET);
        SetPortText(net.netAddress, "127.0.0.1");
        net.netPort = 9100;
        return net;
    }
    static QTreeWidget* Table(const CQuilloryDlg& window) { return window.ActivityLogView()->Table(); }
    static QString Cell(const CQuilloryDlg& window, int row, int column) {
        return Table(window)->topLevelItem(row)->text(column);
    }

    TempEnvironment env;
    QStringList log;
};

} // namespace

TEST_F(ActivityPanelTest, TheLineShowsTheLastOutcomeAndTheLogListsEveryOne) {
    CQuilloryDlg window(Parts());
    window.show();
    CActivityBar* bar = window.ActivityBar();
    EXPECT_EQ(bar->LineText(), "No operation has ended yet.");
    EXPECT_EQ(bar->geometry(), QRect(180, CQuilloryDlg::kActivityTop, 610, CQuilloryDlg::kActivityHeight));
    EXPECT_FALSE(bar->geometry().intersects(window.Page(PAGE_PORT)->geometry()));

    CMessageCapture messages;
    CPage* debug = window.Page(PAGE_DEBUG);
    COperation(debug, "&Send", Net()).SucceededWith("3 bytes sent.", {}, Notify::LogOnly);
    EXPECT_TRUE(messages.Messages().isEmpty()) << "a log-only outcome opens no box";
    EXPECT_TRUE(bar->LineText().endsWith("Debug tools \u203a Send: 3 bytes sent."))
        << bar->LineText().toStdString();

    COperation(window.Page(PAGE_LOGO), "Open")
        .Failed("OpenFileFail", LANGUAGE_ENGLISH, "/tmp/x.logo: No such file");
    ASSERT_EQ(messages.Messages().size(), 1);
    EXPECT_EQ(messages.Texts()[0], GetMessageText("OpenFileFail", LANGUAGE_ENGLISH));
    EXPECT_EQ(messages.Messages()[0].detail, "/tmp/x.logo: No such file");
    EXPECT_TRUE(bar->LineText().endsWith(GetMessageText("OpenFileFail", LANGUAGE_ENGLISH) +
                                         QString::fromUtf8(" \u2014 /tmp/x.logo: No such file")));

    ASSERT_EQ(Table(window)->topLevelItemCount(), 2);
    EXPECT_EQ(Cell(window, 0, CActivityLogView::COL_PAGE), "Debug tools");
    EXPECT_EQ(Cell(window, 0, CActivityLogView::COL_OPERATION), "Send");
    EXPECT_EQ(Cell(window, 0, CActivityLogView::COL_PORT), "127.0.0.1:9100");
    EXPECT_EQ(Cell(window, 0, CActivityLogView::COL_RESULT), "OK");
    EXPECT_EQ(Cell(window, 1, CActivityLogView::COL_PAGE), "LCD logo");
    EXPECT_EQ(Cell(window, 1, CActivityLogView::COL_PORT), "");
    EXPECT_EQ(Cell(window, 1, CActivityLogView::COL_RESULT), "Failed");
    EXPECT_TRUE(Cell(window, 1, CActivityLogView::COL_MESSAGE).endsWith("/tmp/x.logo: No such file"));

    // In another language the words and headers change; what was told stays as it was told.
    window.ApplyLanguage(LANGUAGE_SIMPLIFIED_CHINESE);
    EXPECT_EQ(Cell(window, 1, CActivityLogView::COL_RESULT), QString::fromUtf8("失败"));
    EXPECT_EQ(Table(window)->headerItem()->text(CActivityLogView::COL_MESSAGE), QString::fromUtf8("信息"));
    EXPECT_EQ(window.Page(PAGE_DEBUG)->property(kActivityPageProperty).toString(),
              QString::fromUtf8("调试工具"));
}

TEST_F(ActivityPanelTest, CtrlLOpensTheLogOverThePageAndEscapeClosesIt) {
    CQuilloryDlg window(Parts());
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    CActivityLogView* view = window.ActivityLogView();
    EXPECT_FALSE(view->isVisible());
    QTest::keyClick(&window, Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(view->isVisible());
    EXPECT_TRUE(window.ActivityBar()->Toggle()->isChecked());
    EXPECT_TRUE(QRect(180, 110, 610, 470).contains(view->geometry()));
    EXPECT_TRUE(OverlappingControls(*view).isEmpty());
    QTest::keyClick(view->Table(), Qt::Key_Escape);
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(window.ActivityBar()->Toggle()->isChecked());
    // A click on the line opens it too.
    QTest::mouseClick(window.ActivityBar(), Qt::LeftButton, {}, QPoint(100, 8));
    EXPECT_TRUE(view->isVisible());
    view->ControlAs<QPushButton>(CActivityLogView::IDC_CLOSE)->click();
    EXPECT_FALSE(view->isVisible());
}

TEST_F(ActivityPanelTest, CopyTakesTheChosenEntriesAndSaveWritesTheWholeLog) {
    CQuilloryDlg window(Parts());
    window.show();
    CMessageCapture messages;
    COperation(window.Page(PAGE_TOOLS), "Feed one label", Net()).SucceededWith("Sent.", {}, Notify::LogOnly);
    COperation(window.Page(PAGE_TOOLS), "Restart printer", Net()).CommFailed(1, LANGUAGE_ENGLISH);
    messages.Clear();
    CActivityLogView* view = window.ActivityLogView();

    view->Copy();
    QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].split('\t').mid(1),
              QStringList({"Quick operations", "Feed one label", "127.0.0.1:9100", "OK", "Sent."}));
    EXPECT_EQ(lines[1].split('\t').value(4), "Failed");
    EXPECT_EQ(lines[1].split('\t').value(5), GetMessageText("OpenPortError", LANGUAGE_ENGLISH));
    Table(window)->topLevelItem(1)->setSelected(true);
    view->Copy();
    lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains("Restart printer"));

    const QString path = env.Path("activity.txt");
    WriteFileBytes(path, "an older log");
    {
        FileDialogAnswer answer(path);
        view->ControlAs<QPushButton>(CActivityLogView::IDC_SAVE)->click();
        ASSERT_EQ(answer.requests.size(), 1);
        EXPECT_EQ(answer.requests[0].kind, FileDialogRequest::Save);
    }
    const QStringList saved = QString::fromUtf8(ReadFileBytes(path)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(saved.size(), 2);
    EXPECT_TRUE(saved[0].contains("Feed one label"));
    EXPECT_TRUE(messages.Messages().isEmpty()) << "the saved log says so in the log, not in a box";
    // The save is an operation of its own, with the file it wrote.
    ASSERT_EQ(Table(window)->topLevelItemCount(), 3);
    EXPECT_EQ(Cell(window, 2, CActivityLogView::COL_RESULT), "OK");
    EXPECT_TRUE(Cell(window, 2, CActivityLogView::COL_MESSAGE).endsWith(QDir::toNativeSeparators(path)));

    // A file that cannot be written leaves the old one and says why.
    const QString nowhere = env.Path("no-such-folder/activity.txt");
    {
        FileDialogAnswer answer(nowhere);
        view->Save();
    }
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    ASSERT_EQ(messages.Messages().size(), 1);
    EXPECT_EQ(messages.Texts()[0], GetMessageText("SaveFileFail", LANGUAGE_ENGLISH));
    EXPECT_TRUE(messages.Messages()[0].detail.startsWith(QDir::toNativeSeparators(nowhere) + ": "));
    EXPECT_EQ(QString::fromUtf8(ReadFileBytes(path)).split('\n', Qt::SkipEmptyParts).size(), 2);
}

TEST_F(ActivityPanelTest, EveryPageIsNamedAfterItsMenuButton) {
    CQuilloryDlg window(Parts());
    const struct {
        int page;
        int button;
    } rows[] = {
        {PAGE_PORT, CQuilloryDlg::IDC_SELECT_PRINTER},
        {PAGE_PRINTER_SETTINGS, CQuilloryDlg::IDC_BASIC_SETTINGS},
        {PAGE_TOOLS, CQuilloryDlg::IDC_QUICK_OPERATIONS},
        {PAGE_NETWORK, CQuilloryDlg::IDC_NETWORK_SETTINGS},
        {PAGE_DEBUG, CQuilloryDlg::IDC_DEBUG_TOOLS},
        {PAGE_EEPROM, CQuilloryDlg::IDC_ADVANCED_SETTINGS},
        {PAGE_LOGO, CQuilloryDlg::IDC_LCD_LOGO},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ActivityPageOf(window.Page(row.page)), window.Button(row.button)->text()) << row.page;
    // A widget deep inside a page names the page; a dialog of its own names itself.
    auto* inner = new QWidget(new QWidget(window.Page(PAGE_NETWORK)));
    EXPECT_EQ(ActivityPageOf(inner), "Network settings");
    QDialog dialog(&window);
    dialog.setWindowTitle("Download a file to the printer");
    EXPECT_EQ(ActivityPageOf(&dialog), "Download a file to the printer");
    EXPECT_EQ(PlainCaption("&Open && save"), "Open & save");
    EXPECT_EQ(PlainCaption("Fonts & images &"), "Fonts & images &");
}
