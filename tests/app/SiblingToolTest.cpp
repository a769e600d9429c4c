#include "app/ActivityLog.h"
#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/Messages.h"
#include "app/ui/QuilloryDlg.h"
#include "app/ui/SiblingTools.h"
#include "controls/IphoneButton.h"
#include "support/TestEnvironment.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// Puts the argument recorder where a sibling tool would be: beside the program folder.
QString PlaceRecorder(const TempEnvironment& env, const QString& relative) {
    const QString target = env.Path(relative);
    QDir().mkpath(QFileInfo(target).path());
    EXPECT_TRUE(QFile::copy(QStringLiteral(QUILLORY_ARGV_RECORDER), target));
    QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner);
    return target;
}

QStringList RecordedArguments(const QString& tool) {
    const QString file = tool + QStringLiteral(".args");
    QDeadlineTimer deadline(10000);
    while (!QFileInfo::exists(file) && !deadline.hasExpired())
        QThread::msleep(20);
    QStringList lines = QString::fromUtf8(ReadFileBytes(file)).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

CShellParts Plain() {
    CShellParts parts = CShellParts::Standard();
    parts.makeWizard = nullptr;
    return parts;
}

} // namespace

TEST(SiblingTools, CandidatesLieBesideTheProgramFolder) {
    TempEnvironment env;
    const QString root = QDir(env.Root()).canonicalPath();
    const QStringList font = SiblingToolCandidates(SiblingTool::FontTool);
    ASSERT_EQ(font.size(), 2);
    EXPECT_EQ(QFileInfo(font[0]).absolutePath(), QDir(env.Path("GlyphPusher")).absolutePath());
    EXPECT_TRUE(font[0].endsWith("/GlyphPusher/GlyphPusher"));
    EXPECT_TRUE(font[1].endsWith("/GlyphPusher/GlyphPusher.exe"));
    EXPECT_TRUE(SiblingToolCandidates(SiblingTool::StatusTool)[0].endsWith("/StateWatch/State Watch"));
    Q_UNUSED(root);
}

TEST(SiblingTools, TheFontToolGetsThePortStringAsItsOneArgumentCommasIncluded) {
    TempEnvironment env;
    InitUserSettings();
    WriteWizard(0);
    WriteInstruction(INSTRUCTION_VKLA);
    tagPORTINFO driver = MakePortInfo(PORT_DRIVER);
    SetPortText(driver.driverName, "Label, front desk, 2nd floor");
    WritePortInfo(driver);
    const QString tool = PlaceRecorder(env, "GlyphPusher/GlyphPusher");

    CQuilloryDlg window(Plain());
    window.RunCommand(CQuilloryDlg::IDC_FONT_TOOL);
    EXPECT_EQ(RecordedArguments(tool), QStringList({"1", "VKLA,DRIVER,Label, front desk, 2nd floor"}));
    EXPECT_EQ(window.CurrentPage(), PAGE_PORT);
    EXPECT_EQ(window.TopHighlight(), CQuilloryDlg::IDC_SELECT_PRINTER);
}

TEST(SiblingTools, TheStatusToolIsFoundWithTheExeNameToo) {
    TempEnvironment env;
    InitUserSettings();
    WriteWizard(0);
    const QString tool = PlaceRecorder(env, "StateWatch/State Watch.exe");
    CQuilloryDlg window(Plain());
    window.RunCommand(CQuilloryDlg::IDC_STATUS_TOOL);
    EXPECT_EQ(RecordedArguments(tool), QStringList({"1", "VKLZ,COM,1,9600,8,0,0,1"}));
}

TEST(SiblingTools, AMissingToolIsSilent) {
    TempEnvironment env;
    InitUserSettings();
    WriteWizard(0);
    CMessageCapture messages;
    CQuilloryDlg window(Plain());
    EXPECT_FALSE(StartSiblingTool(SiblingTool::StatusTool, "x"));
    window.RunCommand(CQuilloryDlg::IDC_STATUS_TOOL);
    EXPECT_TRUE(messages.Messages().isEmpty());
}

TEST(SiblingTools, AButtonOfAToolThatIsNotInstalledIsDisabledAndSaysWhy) {
    TempEnvironment env;
    InitUserSettings();
    WriteWizard(0);
    WriteLanguage(LANGUAGE_ENGLISH);
    PlaceRecorder(env, "GlyphPusher/GlyphPusher");
    CQuilloryDlg window(Plain());
    QWidget* font = window.Button(CQuilloryDlg::IDC_FONT_TOOL);
    QWidget* status = window.Button(CQuilloryDlg::IDC_STATUS_TOOL);
    EXPECT_TRUE(font->isEnabled());
    EXPECT_EQ(font->toolTip(), "Fonts & images (Alt+F)");
    EXPECT_FALSE(status->isEnabled());
    const QString lookedFor = QDir::toNativeSeparators(SiblingToolCandidates(SiblingTool::StatusTool)[0]);
    EXPECT_EQ(status->toolTip(),
              "Status (Alt+S)\n" + GetMessageText("ToolNotInstalled", LANGUAGE_ENGLISH).arg(lookedFor));
    EXPECT_TRUE(status->toolTip().contains("StateWatch/State Watch"));

    // Installed while the program runs, it is offered the next time the window comes to the front.
    PlaceRecorder(env, "StateWatch/State Watch");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&window, &activation);
    EXPECT_TRUE(status->isEnabled());
    EXPECT_EQ(status->toolTip(), "Status (Alt+S)");
    // Started, it leaves a line in the activity log.
    CActivityLog::Instance().Clear();
    window.RunCommand(CQuilloryDlg::IDC_STATUS_TOOL);
    ASSERT_EQ(CActivityLog::Instance().Count(), 1);
    EXPECT_EQ(CActivityLog::Instance().Entries()[0].message, GetMessageText("ToolStarted", LANGUAGE_ENGLISH));
    EXPECT_EQ(CActivityLog::Instance().Entries()[0].operation, "Status");
}
