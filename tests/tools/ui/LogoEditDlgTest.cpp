#include "ToolsUiSupport.h"

#include "app/LanguageTexts.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/Messages.h"
#include "sim/VirtualPrinter.h"
#include "support/BadInputFiles.h"
#include "support/TestEnvironment.h"
#include "tools/ui/LogoEditDlg.h"
#include "tools/ui/LogoEditEx.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

void ClickAt(CLogoEditEx& editor, QPoint at) {
    const QPointF local(at);
    QMouseEvent press(QEvent::MouseButtonPress, local, editor.viewport()->mapToGlobal(local), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.viewport(), &press);
}

class LogoPageTest : public ::testing::Test {
protected:
    TempEnvironment env;
    CMessageCapture messages;
    QString answer; // what the file dialogs answer
    FileDialogHook previous;
    std::unique_ptr<CLogoEditDlg> page;

    void SetUp() override {
        InitUserSettings();
        WriteLanguage(LANGUAGE_ENGLISH);
        WriteInstruction(INSTRUCTION_VKLZ);
        previous = SetFileDialogHook([this](const FileDialogRequest&) { return answer; });
        page = std::make_unique<CLogoEditDlg>();
        page->resize(610, 470);
        page->show();
    }
    void TearDown() override { SetFileDialogHook(previous); }
    CLogoEditEx& Editor() const { return *page->Editor(); }
    void Press(int id) const { page->ControlAs<QPushButton>(id)->click(); }
};

} // namespace

TEST(LogoEditor, PointsMapToDotsThroughTheScrollOffset) {
    EXPECT_EQ(CLogoEditEx::DotAt({0, 0}, {0, 0}), QPoint(0, 0));
    EXPECT_EQ(CLogoEditEx::DotAt({6, 6}, {0, 0}), QPoint(0, 0));
    EXPECT_EQ(CLogoEditEx::DotAt({7, 13}, {0, 0}), QPoint(1, 1));
    EXPECT_EQ(CLogoEditEx::DotAt({0, 0}, {300, 10}), QPoint(42, 1));
    EXPECT_EQ(CLogoEditEx::DotAt({595, 213}, {300, 10}), QPoint(127, 31));
    EXPECT_FALSE(CLogoEditEx::DotAt({596, 0}, {300, 0}));
    EXPECT_FALSE(CLogoEditEx::DotAt({0, 224}, {0, 0}));
    EXPECT_EQ(CLogoEditEx::DotRect(2, 3), QRect(15, 22, 5, 5));
}

TEST_F(LogoPageTest, AClickTogglesTheDotUnderThePointer) {
    ClickAt(Editor(), {3, 3});
    EXPECT_TRUE(Editor().Bitmap().IsPrinted(0, 0));
    ClickAt(Editor(), {3, 3});
    EXPECT_FALSE(Editor().Bitmap().IsPrinted(0, 0));

    Editor().horizontalScrollBar()->setValue(Editor().horizontalScrollBar()->maximum());
    const int scrolled = Editor().horizontalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    ClickAt(Editor(), {3, 3});
    EXPECT_TRUE(Editor().Bitmap().IsPrinted((scrolled + 3) / 7, 0));
    // Past the last dot of the drawing nothing changes.
    const CLogoBitmap before = Editor().Bitmap();
    ClickAt(Editor(), {CLogoEditEx::kAreaWidth - scrolled + 2, 3});
    EXPECT_TRUE(Editor().Bitmap() == before);
}

TEST_F(LogoPageTest, DownloadSendsTheStreamAndSaveWritesTheSameBytes) {
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    UseLoopbackPrinter(printer.TcpPort(), INSTRUCTION_VKLZ);
    ClickAt(Editor(), {3, 3});
    Press(CLogoEditDlg::IDC_DOWNLOAD);
    ASSERT_TRUE(WaitUntil([&] { return !page->IsBusy(); }));
    ASSERT_TRUE(printer.WaitForBytes(535, 5000));
    QByteArray expected = "~WN11@DownLogo,512~" + QByteArray(512, '\0') + "~JR~";
    expected[19] = '\x80';
    EXPECT_EQ(printer.ReceivedBytes().toHex(), expected.toHex());
    EXPECT_TRUE(messages.Texts().isEmpty());

    answer = env.Path("corner.logo");
    Press(CLogoEditDlg::IDC_SAVE);
    EXPECT_EQ(ReadFileBytes(answer), expected);

    // A file that cannot be created says so and leaves nothing behind.
    answer = env.Path("no-such-folder/corner.logo");
    Press(CLogoEditDlg::IDC_SAVE);
    EXPECT_FALSE(QFileInfo::exists(answer));
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(messages.Texts()[0].startsWith(GetMessageText("SaveFileFail", LANGUAGE_ENGLISH)));
}

TEST_F(LogoPageTest, OpenConvertsAPictureAndRefusesWhatItCannotRead) {
    QImage picture(256, 64, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 128; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 0));
    }
    answer = env.Path("half.png");
    ASSERT_TRUE(picture.save(answer));
    Press(CLogoEditDlg::IDC_OPEN);
    EXPECT_TRUE(Editor().Bitmap().IsPrinted(0, 0));
    EXPECT_TRUE(Editor().Bitmap().IsPrinted(63, 31));
    EXPECT_FALSE(Editor().Bitmap().IsPrinted(64, 0));
    EXPECT_TRUE(messages.Texts().isEmpty());

    const CLogoBitmap converted = Editor().Bitmap();
    answer = env.Path("broken.png");
    WriteFileBytes(answer, "\x89PNG but not really");
    Press(CLogoEditDlg::IDC_OPEN);
    EXPECT_TRUE(Editor().Bitmap() == converted);
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(messages.Texts()[0].startsWith(GetMessageText("PictureOpenFail", LANGUAGE_ENGLISH)));
    EXPECT_TRUE(messages.Texts()[0].contains("broken.png"));

    answer.clear(); // cancelled
    Press(CLogoEditDlg::IDC_OPEN);
    EXPECT_TRUE(Editor().Bitmap() == converted);
    EXPECT_EQ(messages.Texts().size(), 1);

    // A picture cut short, and files that are no pictures at all, each named in the message.
    messages.Clear();
    QByteArray cut = ReadFileBytes(env.Path("half.png"));
    answer = env.Path("cut.png");
    WriteFileBytes(answer, cut.left(cut.size() - 20));
    Press(CLogoEditDlg::IDC_OPEN);
    for (const BadInputFile& bad : RefusedInputFiles(env.Root(), InputFileKind::Picture)) {
        answer = bad.path;
        Press(CLogoEditDlg::IDC_OPEN);
    }
    EXPECT_TRUE(Editor().Bitmap() == converted);
    ASSERT_EQ(messages.Texts().size(), 9);
    EXPECT_TRUE(messages.Texts()[0].startsWith(GetMessageText("PictureOpenFail", LANGUAGE_ENGLISH)));
    for (const QString& text : messages.Texts().mid(1))
        EXPECT_FALSE(text.startsWith(GetMessageText("PictureOpenFail", LANGUAGE_ENGLISH)))
            << text.toStdString();
}

TEST_F(LogoPageTest, EachEditButtonAppliesItsOwnEdit) {
    CLogoBitmap start;
    for (auto [x, y] : {std::pair{0, 0}, {5, 1}, {127, 31}, {64, 16}})
        start.Toggle(x, y);
    const struct {
        int id;
        void (CLogoBitmap::*edit)();
    } buttons[] = {
        {CLogoEditDlg::IDC_INVERT, &CLogoBitmap::Invert},
        {CLogoEditDlg::IDC_MIRROR_H, &CLogoBitmap::MirrorHorizontally},
        {CLogoEditDlg::IDC_MIRROR_V, &CLogoBitmap::MirrorVertically},
        {CLogoEditDlg::IDC_MOVE_UP, &CLogoBitmap::MoveUp},
        {CLogoEditDlg::IDC_MOVE_DOWN, &CLogoBitmap::MoveDown},
        {CLogoEditDlg::IDC_MOVE_LEFT, &CLogoBitmap::MoveLeft},
        {CLogoEditDlg::IDC_MOVE_RIGHT, &CLogoBitmap::MoveRight},
    };
    for (const auto& button : buttons) {
        Editor().SetBitmap(start);
        Press(button.id);
        CLogoBitmap expected = start;
        (expected.*button.edit)();
        EXPECT_TRUE(Editor().Bitmap() == expected) << button.id;
    }
}

TEST_F(LogoPageTest, EverythingIsDisabledForVklaPrinters) {
    WriteInstruction(INSTRUCTION_VKLA);
    page->PageShown();
    const QList<int> ids = page->ControlIds();
    int buttons = 0;
    for (const int id : ids) {
        if (qobject_cast<QPushButton*>(page->Control(id))) {
            ++buttons;
            EXPECT_FALSE(page->Control(id)->isEnabled()) << id;
        }
    }
    EXPECT_EQ(buttons, 10);
    EXPECT_FALSE(Editor().isEnabled());

    WriteInstruction(INSTRUCTION_VKLT);
    page->PageShown();
    EXPECT_TRUE(page->Control(CLogoEditDlg::IDC_DOWNLOAD)->isEnabled());
    EXPECT_TRUE(Editor().isEnabled());
}
