// Writes pictures of the main window in each language and of its small dialogs into
// <build>/screenshots, for a person to look at; the checks only make sure they are drawn.
#include "app/AppSettings.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/PasswordDlg.h"
#include "app/ui/QuilloryDlg.h"
#include "app/ui/QuillorySetDlg.h"
#include "controls/IphoneButton.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QPixmap>

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
