// Pictures of the debug terminal in the main window, in each language, for a person to look at:
// two tabs (the current one in hex view), replies, a chosen file and counts.
#include "DebugUiSupport.h"

#include "app/LanguageTexts.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/QuilloryDlg.h"
#include "tools/ui/ScintillaWnd.h"
#include "tools/ui/TabEdit.h"

#include <QCheckBox>
#include <QDir>
#include <QPixmap>

using namespace quillory;
using namespace quillory::test;

namespace {

QString ShotPath(const QString& name) {
    return ScreenshotFolder() + QLatin1Char('/') + name + QStringLiteral(".png");
}

} // namespace

TEST(DebugScreenshots, TerminalInEveryLanguage) {
    TempEnvironment env;
    sim::VirtualPrinter printer{INSTRUCTION_VKLZ};
    ASSERT_TRUE(printer.StartTcp());
    UseLoopbackPrinter(printer.TcpPort());
    WriteWizard(0);
    const QString file = env.Path(QStringLiteral("labels/test label.prn"));
    QDir().mkpath(env.Path(QStringLiteral("labels")));
    WriteFileBytes(file, "PRINT 1\r\n");
    const FileDialogHook previous = SetFileDialogHook([file](const FileDialogRequest&) { return file; });

    for (int language = 0; language < 3; ++language) {
        WriteLanguage(language);
        CShellParts parts = CShellParts::Standard();
        parts.makeWizard = [](QWidget*) { return std::unique_ptr<QDialog>(); };
        CQuilloryDlg window(parts);
        window.RunCommand(CQuilloryDlg::IDC_TOOLBOX);
        ASSERT_EQ(window.CurrentPage(), PAGE_DEBUG);
        auto* page = qobject_cast<CDebugDlg*>(window.Page(PAGE_DEBUG));
        ASSERT_NE(page, nullptr);
        EXPECT_FALSE(GetMessageText("OpenFileFail", language).isEmpty());
        window.show();

        page->Editor()->CurrentDocument()->SetBytes("~WN01@version~<\\x0d><\\x0a>");
        ASSERT_TRUE(page->SendOnce());
        ASSERT_TRUE(WaitUntil([&] { return !page->IsExchangeRunning(); }));
        page->ControlAs<QAbstractButton>(CDebugDlg::IDC_NEW)->click();
        page->Editor()->CurrentDocument()->SetBytes("~WN01@version~\r\n<\\x1b>A<\\x02>L");
        page->ControlAs<QCheckBox>(CDebugDlg::IDC_EDITOR_HEX)->click();
        page->ControlAs<QCheckBox>(CDebugDlg::IDC_TIME_STAMPS)->click();
        ASSERT_TRUE(page->SendOnce());
        ASSERT_TRUE(WaitUntil([&] { return !page->IsExchangeRunning(); }));
        page->ControlAs<QAbstractButton>(CDebugDlg::IDC_BROWSE)->click();

        QCoreApplication::processEvents();
        const QPixmap shot = window.grab();
        ASSERT_FALSE(shot.isNull());
        EXPECT_TRUE(shot.save(
            ShotPath(QStringLiteral("debug_terminal_") + QString::fromLatin1(kLanguageSuffixes[language]))));
        window.hide();
    }
    SetFileDialogHook(previous);
}
