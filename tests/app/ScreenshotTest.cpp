// Writes pictures of the main window in each language and of its small dialogs into
// <build>/screenshots, for a person to look at; the checks only make sure they are drawn.
#include "app/ActivityLog.h"
#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/Activity.h"
#include "app/ui/ActivityPanel.h"
#include "app/ui/PasswordDlg.h"
#include "app/ui/QuilloryDlg.h"
#include "app/ui/QuillorySetDlg.h"
#include "controls/IphoneButton.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

void Save(QWidget& widget, const QString& name) {
    widget.show();
    QApplication::processEvents();
    const QPixmap shot = widget.grab();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(ScreenshotFolder() + QLatin1Char('/') + name + QStringLiteral(".png")));
    widget.hide();
}

CShellParts NoWizard() {
    CShellParts parts = CShellParts::Standard();
    parts.makeWizard = [](QWidget*) { return std::unique_ptr<QDialog>(); };
    return parts;
}

} // namespace

TEST(Screenshots, MainWindowAndDialogsInEveryLanguage) {
    TempEnvironment env;
    InitUserSettings();
    WriteWizard(0);
    for (int language = 0; language < 3; ++language) {
        WriteLanguage(language);
        const QString suffix = QString::fromLatin1(kLanguageSuffixes[language]);
        {
            CQuilloryDlg window(NoWizard());
            Save(window, QStringLiteral("main_select_printer_") + suffix);
            window.RunCommand(CQuilloryDlg::IDC_PRINTER_SETTINGS);
            // One button disabled and one under the pointer, to see every state at once.
            window.Button(CQuilloryDlg::IDC_FONT_TOOL)->setEnabled(false);
            window.show();
            for (const int id : {int(CQuilloryDlg::IDC_UPGRADE), int(CQuilloryDlg::IDC_ADVANCED_SETTINGS),
                                 int(CQuilloryDlg::IDC_HELP)}) {
                QWidget* button = window.Button(id);
                QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)));
                QApplication::sendEvent(button, &enter);
            }
            Save(window, QStringLiteral("main_printer_settings_") + suffix);
            window.RunCommand(CQuilloryDlg::IDC_TOOLBOX);
            window.RunCommand(CQuilloryDlg::IDC_QUICK_OPERATIONS);
            Save(window, QStringLiteral("main_toolbox_") + suffix);

            // The activity log open over the page.
            CActivityLog::Instance().Clear();
            tagPORTINFO net = MakePortInfo(PORT_NET);
            SetPortText(net.netAddress, QStringLiteral("127.0.0.1"));
            net.netPort = 9100;
            CMessageCapture quiet;
            const auto button = [&](int page, int id) {
                return window.Page(page)->ControlAs<QAbstractButton>(id);
            };
            COperation(window.Page(PAGE_PORT), button(PAGE_PORT, 1002), net)
                .Succeeded("PortOpened", language, Notify::LogOnly);
            COperation(window.Page(PAGE_TOOLS), button(PAGE_TOOLS, 1005), net)
                .CommFailed(1, language, QStringLiteral("127.0.0.1:9100: connection refused"));
            COperation(window.Page(PAGE_LOGO), button(PAGE_LOGO, 1001))
                .Failed("PictureOpenFail", language,
                        QStringLiteral("/home/op/logo.png: No such file or directory"));
            window.show();
            window.ActivityBar()->SetLogVisible(true);
            Save(window, QStringLiteral("main_activity_log_") + suffix);
            CActivityLog::Instance().Clear();

            // Qt's own buttons in the language of the program.
            QMessageBox box(QMessageBox::Warning, QStringLiteral("Quillory"),
                            GetMessageText("AddressMissing", language), QMessageBox::Ok, &window);
            Save(box, QStringLiteral("message_box_") + suffix);
        }
        {
            // The keyboard's place in the menu. A window that was hidden is not made active again
            // on this platform, so this one is shown once.
            CQuilloryDlg window(NoWizard());
            window.RunCommand(CQuilloryDlg::IDC_TOOLBOX);
            window.show();
            window.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
            window.Button(CQuilloryDlg::IDC_LCD_LOGO)->setFocus(Qt::TabFocusReason);
            EXPECT_TRUE(window.Button(CQuilloryDlg::IDC_LCD_LOGO)->ShowsFocusMark());
            Save(window, QStringLiteral("main_keyboard_focus_") + suffix);
        }
        {
            CQuillorySetDlg settings;
            Save(settings, QStringLiteral("settings_") + suffix);
        }
        {
            CPasswordDlg password;
            Save(password, QStringLiteral("password_") + suffix);
        }
        {
            CAboutDlg about(language);
            Save(about, QStringLiteral("about_") + suffix);
        }
    }
}
