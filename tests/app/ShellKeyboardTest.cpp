// The main window from the keyboard, its tooltips and names, and Qt's own texts in the chosen
// language.
#include "ShellTestSupport.h"

#include "app/AppSettings.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/PasswordDlg.h"
#include "app/ui/QtTranslations.h"
#include "app/ui/QuilloryDlg.h"
#include "app/ui/QuillorySetDlg.h"
#include "controls/IphoneButton.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

class ShellKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitUserSettings();
        WriteWizard(0);
        WriteLanguage(LANGUAGE_ENGLISH);
    }
    void TearDown() override { UseQtTranslations(LANGUAGE_ENGLISH); }

    CShellParts Parts() {
        CShellParts parts;
        parts.makePage = [this](int index, QWidget* parent) -> CPage* {
            return new RecordingPage(index, &log, parent);
        };
        return parts;
    }
    static void Activate(QWidget& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Buttons drawn as the selected one.
    static QList<int> MarkedButtons(const CQuilloryDlg& window) {
        QList<int> marked;
        for (const int id : {1003, 1004, 1005, 1006, 1007, 1136, 1137, 1138, 1139, 1140, 1141, 1142}) {
            if (window.Button(id)->GetState() == CIphoneButtonState::Clicked)
                marked << id;
        }
        return marked;
    }

    TempEnvironment env;
    QStringList log;
};

} // namespace

TEST_F(ShellKeyboardTest, CtrlOneToSevenReachEveryPage) {
    CQuilloryDlg window(Parts());
    Activate(window);
    const struct {
        Qt::Key key;
        int page;
        int left;
    } rows[] = {
        {Qt::Key_2, PAGE_PRINTER_SETTINGS, CQuilloryDlg::IDC_BASIC_SETTINGS},
        {Qt::Key_4, PAGE_NETWORK, CQuilloryDlg::IDC_NETWORK_SETTINGS},
        {Qt::Key_5, PAGE_DEBUG, CQuilloryDlg::IDC_DEBUG_TOOLS},
        {Qt::Key_6, PAGE_TOOLS, CQuilloryDlg::IDC_QUICK_OPERATIONS},
        {Qt::Key_7, PAGE_LOGO, CQuilloryDlg::IDC_LCD_LOGO},
        {Qt::Key_1, PAGE_PORT, 0},
    };
    for (const auto& row : rows) {
        QTest::keyClick(&window, row.key, Qt::ControlModifier);
        EXPECT_EQ(window.CurrentPage(), row.page) << row.key;
        EXPECT_EQ(window.LeftHighlight(), row.left) << row.key;
    }
    // The advanced settings ask for the access code first.
    {
        ModalDriver<CPasswordDlg> enter([](CPasswordDlg* dialog) {
            dialog->ControlAs<QLineEdit>(CPasswordDlg::IDC_PASSWORD)->setText("kfry");
            dialog->ControlAs<QPushButton>(CPasswordDlg::IDOK_BUTTON)->click();
        });
        QTest::keyClick(&window, Qt::Key_3, Qt::ControlModifier);
        EXPECT_EQ(enter.Seen(), 1);
    }
    EXPECT_EQ(window.CurrentPage(), PAGE_EEPROM);
    EXPECT_EQ(window.LeftHighlight(), CQuilloryDlg::IDC_ADVANCED_SETTINGS);
}

TEST_F(ShellKeyboardTest, TabVisitsEveryVisibleButtonAndEnterPressesIt) {
    CQuilloryDlg window(Parts());
    Activate(window);
    window.RunCommand(CQuilloryDlg::IDC_TOOLBOX);
    QSet<int> reached;
    for (int step = 0; step < 40; ++step) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &window, Qt::Key_Tab);
        for (const int id : window.ControlIds()) {
            if (window.Control(id) == QApplication::focusWidget())
                reached << id;
        }
    }
    QSet<int> visible;
    for (const int id : window.ControlIds()) {
        auto* button = window.Button(id);
        if (button && button->isVisible() && button->isEnabled())
            visible << id;
    }
    EXPECT_EQ(reached, visible);
    EXPECT_TRUE(visible.contains(CQuilloryDlg::IDC_LCD_LOGO));
    EXPECT_TRUE(visible.contains(CQuilloryDlg::IDC_CLOSE));

    // The button with the keyboard's focus is marked, and Enter presses it.
    CIphoneButton* logo = window.Button(CQuilloryDlg::IDC_LCD_LOGO);
    logo->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(logo->ShowsFocusMark());
    const QImage focused = logo->grab().toImage();
    window.Button(CQuilloryDlg::IDC_DEBUG_TOOLS)->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(logo->ShowsFocusMark());
    EXPECT_NE(logo->grab().toImage(), focused) << "the focus mark must be visible";
    logo->setFocus(Qt::TabFocusReason);
    QTest::keyClick(logo, Qt::Key_Return);
    EXPECT_EQ(window.CurrentPage(), PAGE_LOGO);
    window.Button(CQuilloryDlg::IDC_QUICK_OPERATIONS)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(window.CurrentPage(), PAGE_TOOLS);
    // A click does not take the focus, so the mark stays with the keyboard.
    EXPECT_EQ(window.Button(CQuilloryDlg::IDC_LCD_LOGO)->focusPolicy(), Qt::TabFocus);
}

TEST_F(ShellKeyboardTest, TooltipsNameTheButtonAndItsKeyAndIconButtonsHaveNames) {
    WriteLanguage(LANGUAGE_SIMPLIFIED_CHINESE);
    CQuilloryDlg window(Parts());
    const auto tip = [&](int id) { return window.Button(id)->toolTip(); };
    EXPECT_EQ(tip(CQuilloryDlg::IDC_SELECT_PRINTER), QString::fromUtf8("选择打印机 (Ctrl+1)"));
    EXPECT_EQ(tip(CQuilloryDlg::IDC_BASIC_SETTINGS), QString::fromUtf8("基本设置 (Ctrl+2)"));
    EXPECT_EQ(tip(CQuilloryDlg::IDC_ADVANCED_SETTINGS), QString::fromUtf8("高级设置 (Ctrl+3)"));
    EXPECT_EQ(tip(CQuilloryDlg::IDC_LCD_LOGO), QString::fromUtf8("液晶Logo (Ctrl+7)"));
    EXPECT_EQ(tip(CQuilloryDlg::IDC_UPGRADE), QString::fromUtf8("升级 (Alt+U)"));
    EXPECT_EQ(tip(CQuilloryDlg::IDC_HELP), QString::fromUtf8("帮助 (F1)"));
    for (const int id : {CQuilloryDlg::IDC_PROGRAM_SETTINGS, CQuilloryDlg::IDC_ABOUT, CQuilloryDlg::IDC_HELP,
                         CQuilloryDlg::IDC_MIN, CQuilloryDlg::IDC_CLOSE}) {
        CIphoneButton* button = window.Button(id);
        EXPECT_TRUE(button->text().isEmpty()) << id << ": a picture-only button draws no caption";
        EXPECT_FALSE(button->accessibleName().isEmpty()) << id;
        EXPECT_TRUE(button->toolTip().startsWith(button->accessibleName())) << id;
    }
    EXPECT_EQ(window.IconButtonName(CQuilloryDlg::IDC_PROGRAM_SETTINGS), QString::fromUtf8("程序设置"));

    // Every top-bar and menu button has a key, and no two share one.
    QSet<QString> keys;
    for (const int id : {1003, 1004, 1005, 1006, 1007, 1136, 1137, 1138, 1139, 1140, 1141, 1142, 1000, 1001,
                         1008, 1009, 1010}) {
        const int owner = id == CQuilloryDlg::IDC_BASIC_SETTINGS ? CQuilloryDlg::IDC_PRINTER_SETTINGS
                          : id == CQuilloryDlg::IDC_DEBUG_TOOLS  ? CQuilloryDlg::IDC_TOOLBOX
                                                                 : id;
        const QKeySequence key = CQuilloryDlg::CommandShortcut(owner);
        EXPECT_FALSE(key.isEmpty()) << id;
        EXPECT_TRUE(tip(id).contains(key.toString(QKeySequence::NativeText))) << id;
        if (owner == id) {
            EXPECT_FALSE(keys.contains(key.toString())) << id;
            keys << key.toString();
        }
    }
}

TEST_F(ShellKeyboardTest, OnlyThePageInViewStaysMarkedWhileADialogIsOpen) {
    QList<int> markedDuringDialog;
    CQuilloryDlg* windowPtr = nullptr;
    CShellParts parts = Parts();
    parts.makeDownload = [&](int, const tagPORTINFO&, QWidget* parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<StandInDialog>(
            QDialog::Accepted, [&] { markedDuringDialog = MarkedButtons(*windowPtr); }, parent);
    };
    CQuilloryDlg window(std::move(parts));
    windowPtr = &window;
    Activate(window);
    window.RunCommand(CQuilloryDlg::IDC_PRINTER_SETTINGS);

    // A real click leaves the pressed look on the button until the owner changes it.
    QTest::mouseClick(window.Button(CQuilloryDlg::IDC_UPGRADE), Qt::LeftButton);
    EXPECT_EQ(markedDuringDialog,
              QList<int>({CQuilloryDlg::IDC_BASIC_SETTINGS, CQuilloryDlg::IDC_PRINTER_SETTINGS}));

    QList<int> markedDuringPassword;
    {
        ModalDriver<CPasswordDlg> look([&](CPasswordDlg* dialog) {
            markedDuringPassword = MarkedButtons(window);
            dialog->reject();
        });
        QTest::mouseClick(window.Button(CQuilloryDlg::IDC_ADVANCED_SETTINGS), Qt::LeftButton);
        EXPECT_EQ(look.Seen(), 1);
    }
    EXPECT_EQ(markedDuringPassword,
              QList<int>({CQuilloryDlg::IDC_BASIC_SETTINGS, CQuilloryDlg::IDC_PRINTER_SETTINGS}));
    EXPECT_EQ(MarkedButtons(window), markedDuringPassword);
}

TEST_F(ShellKeyboardTest, AboutShowsTheVersionTheProgramWasBuiltAs) {
    for (int language = 0; language < 3; ++language) {
        CAboutDlg about(language);
        const QString name = about.ControlAs<QLabel>(CAboutDlg::IDC_NAME)->text();
        EXPECT_TRUE(name.startsWith(QStringLiteral("Quillory " QUILLORY_VERSION " "))) << name.toStdString();
        EXPECT_FALSE(name.contains("%1"));
    }
    EXPECT_EQ(CAboutDlg::NameLine(""), QStringLiteral("Quillory " QUILLORY_VERSION));
}

TEST_F(ShellKeyboardTest, QtsOwnTextsFollowTheChosenLanguage) {
    WriteLanguage(LANGUAGE_SIMPLIFIED_CHINESE);
    CQuilloryDlg window(Parts());
    {
        QMessageBox box(QMessageBox::Information, "Quillory", "x", QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QString::fromUtf8("确定"));
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QString::fromUtf8("取消"));
    }
    {
        QFileDialog dialog(nullptr, QString(), env.Root());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        const QString lookIn = dialog.labelText(QFileDialog::LookIn);
        EXPECT_TRUE(lookIn.contains(QString::fromUtf8("查"))) << lookIn.toStdString();
        EXPECT_EQ(dialog.labelText(QFileDialog::Reject), QString::fromUtf8("取消"));
    }

    // A language change switches them, Traditional Chinese included.
    for (const auto& [language, ok] : {std::pair{LANGUAGE_TRADITIONAL_CHINESE, QString::fromUtf8("確定")},
                                       std::pair{LANGUAGE_ENGLISH, QString("OK")}}) {
        ModalDriver<CQuillorySetDlg> choose([language = language](CQuillorySetDlg* dialog) {
            dialog->ControlAs<QComboBox>(CQuillorySetDlg::IDC_LANGUAGE)->setCurrentIndex(language);
            dialog->accept();
        });
        window.RunCommand(CQuilloryDlg::IDC_PROGRAM_SETTINGS);
        QMessageBox box(QMessageBox::Information, "Quillory", "x", QMessageBox::Ok);
        EXPECT_EQ(box.button(QMessageBox::Ok)->text(), ok);
    }
    EXPECT_EQ(QtTranslationName(LANGUAGE_SIMPLIFIED_CHINESE), "qtbase_zh_CN");
    EXPECT_EQ(QtTranslationName(LANGUAGE_TRADITIONAL_CHINESE), "qtbase_zh_TW");
    EXPECT_EQ(QtTranslationName(7), "");
}
