#include "ToolsUiSupport.h"

#include "app/ActivityLog.h"
#include "app/LanguageTexts.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/Messages.h"
#include "sim/VirtualPrinter.h"
#include "support/BadInputFiles.h"
#include "support/ScreenFixture.h"
#include "support/TestEnvironment.h"
#include "tools/ui/LogoEditDlg.h"
#include "tools/ui/LogoEditEx.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

void Mouse(CLogoEditEx& editor, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    const QPointF local(at);
    QMouseEvent event(type, local, editor.mapToGlobal(local),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(&editor, &event);
}

void ClickAt(CLogoEditEx& editor, QPoint at) {
    Mouse(editor, QEvent::MouseButtonPress, at, Qt::LeftButton);
    Mouse(editor, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

// The middle of a dot of the editor as the page lays it out.
QPoint DotCentre(const CLogoEditEx& editor, int x, int y) {
    return CLogoEditEx::DotRect(x, y, editor.size()).center();
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

TEST(LogoEditor, TheWholeGridFitsAndPointsMapToItsDots) {
    const QSize page(590, 130);
    EXPECT_EQ(CLogoEditEx::DotPixels(page), 4);
    EXPECT_EQ(CLogoEditEx::GridOrigin(page), QPoint(39, 1));
    EXPECT_EQ(CLogoEditEx::DotAt({39, 1}, page), QPoint(0, 0));
    EXPECT_EQ(CLogoEditEx::DotAt({42, 4}, page), QPoint(0, 0));
    EXPECT_EQ(CLogoEditEx::DotAt({43, 5}, page), QPoint(1, 1));
    EXPECT_EQ(CLogoEditEx::DotAt({39 + 511, 1 + 127}, page), QPoint(127, 31));
    EXPECT_FALSE(CLogoEditEx::DotAt({38, 1}, page));
    EXPECT_FALSE(CLogoEditEx::DotAt({39 + 512, 1}, page));
    EXPECT_FALSE(CLogoEditEx::DotAt({39, 1 + 128}, page));
    EXPECT_EQ(CLogoEditEx::DotRect(2, 3, page), QRect(48, 14, 3, 3));
    // Larger dots where there is room, never fewer than two pixels.
    EXPECT_EQ(CLogoEditEx::DotPixels({1300, 400}), 10);
    EXPECT_EQ(CLogoEditEx::DotPixels({100, 20}), CLogoEditEx::kMinDotPixels);
}

TEST_F(LogoPageTest, TheGridAndTheRealSizePictureAreVisibleWithoutScrolling) {
    const QRect grid(Editor().mapTo(page.get(), CLogoEditEx::GridOrigin(Editor().size())),
                     QSize(CLogoBitmap::kWidth, CLogoBitmap::kHeight) *
                         CLogoEditEx::DotPixels(Editor().size()));
    EXPECT_TRUE(page->rect().contains(grid));
    EXPECT_GE(CLogoEditEx::DotPixels(Editor().size()), 4);
    EXPECT_FALSE(Editor().findChild<QScrollBar*>());

    const QWidget* preview = page->Control(CLogoEditDlg::IDC_PREVIEW);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->size(), QSize(CLogoBitmap::kWidth + 2, CLogoBitmap::kHeight + 2));
    EXPECT_TRUE(page->rect().contains(preview->geometry()));
    EXPECT_FALSE(preview->geometry().intersects(Editor().geometry()));
    EXPECT_TRUE(OverlappingControls(*page).isEmpty()) << OverlappingControls(*page).join(' ').toStdString();
    CLogoBitmap bitmap;
    bitmap.Toggle(127, 31);
    const QImage picture = CLogoPreview::Picture(bitmap);
    EXPECT_EQ(picture.size(), QSize(128, 32));
    EXPECT_EQ(picture.pixel(127, 31), qRgb(0, 0, 0));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(LogoPageTest, AClickTogglesTheDotUnderThePointerAndADragDraws) {
    ClickAt(Editor(), DotCentre(Editor(), 0, 0));
    EXPECT_TRUE(Editor().Bitmap().IsPrinted(0, 0));
    ClickAt(Editor(), DotCentre(Editor(), 0, 0));
    EXPECT_FALSE(Editor().Bitmap().IsPrinted(0, 0));
    ClickAt(Editor(), DotCentre(Editor(), 127, 31));
    EXPECT_TRUE(Editor().Bitmap().IsPrinted(127, 31));
    // Beside the grid nothing changes.
    const CLogoBitmap before = Editor().Bitmap();
    ClickAt(Editor(), CLogoEditEx::GridOrigin(Editor().size()) - QPoint(2, 0));
    EXPECT_TRUE(Editor().Bitmap() == before);

    // A drag gives every dot it passes the state of the first one.
    Editor().SetBitmap(CLogoBitmap());
    Editor().EditBitmap([](CLogoBitmap& b) { b.Toggle(8, 5); });
    Mouse(Editor(), QEvent::MouseButtonPress, DotCentre(Editor(), 5, 5), Qt::LeftButton);
    for (int x = 6; x <= 10; ++x)
        Mouse(Editor(), QEvent::MouseMove, DotCentre(Editor(), x, 5), Qt::LeftButton);
    Mouse(Editor(), QEvent::MouseButtonRelease, DotCentre(Editor(), 10, 5), Qt::NoButton);
    Mouse(Editor(), QEvent::MouseMove, DotCentre(Editor(), 11, 5), Qt::NoButton);
    for (int x = 5; x <= 10; ++x)
        EXPECT_TRUE(Editor().Bitmap().IsPrinted(x, 5)) << x;
    EXPECT_FALSE(Editor().Bitmap().IsPrinted(11, 5)) << "the drag ended with the release";
}

TEST_F(LogoPageTest, DownloadSendsTheStreamAndSaveWritesTheSameBytes) {
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    UseLoopbackPrinter(printer.TcpPort(), INSTRUCTION_VKLZ);
    ClickAt(Editor(), DotCentre(Editor(), 0, 0));
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
    EXPECT_EQ(messages.Texts()[0], GetMessageText("SaveFileFail", LANGUAGE_ENGLISH));
    EXPECT_TRUE(messages.Messages()[0].detail.startsWith(QDir::toNativeSeparators(answer) + ": "));

    // The saved logo opens again, also over another one.
    const CLogoBitmap saved = Editor().Bitmap();
    Press(CLogoEditDlg::IDC_INVERT);
    answer = env.Path("corner.logo");
    Press(CLogoEditDlg::IDC_OPEN);
    EXPECT_TRUE(Editor().Bitmap() == saved);
    EXPECT_EQ(messages.Texts().size(), 1);
}

TEST_F(LogoPageTest, AFileThatIsNoLogoIsRefusedWithItsReason) {
    const CLogoBitmap before = Editor().Bitmap();
    answer = env.Path("short.logo");
    WriteFileBytes(answer, "~WN11@DownLogo,512~" + QByteArray(100, '\0'));
    Press(CLogoEditDlg::IDC_OPEN);
    EXPECT_TRUE(Editor().Bitmap() == before);
    ASSERT_EQ(messages.Messages().size(), 1);
    EXPECT_EQ(messages.Texts()[0], GetMessageText("PictureOpenFail", LANGUAGE_ENGLISH));
    EXPECT_TRUE(messages.Messages()[0].detail.contains("not a logo file"));

    messages.Clear();
    CActivityLog::Instance().Clear();
    answer = env.Path("missing.logo");
    Press(CLogoEditDlg::IDC_OPEN);
    ASSERT_EQ(messages.Messages().size(), 1);
    EXPECT_TRUE(messages.Messages()[0].detail.startsWith(QDir::toNativeSeparators(answer) + ": "));
    // The activity log keeps the same, with the file and the system's reason.
    ASSERT_EQ(CActivityLog::Instance().Count(), 1);
    const ActivityEntry entry = CActivityLog::Instance().Entries()[0];
    EXPECT_EQ(entry.result, ActivityResult::Failure);
    EXPECT_EQ(entry.operation, "Open");
    EXPECT_EQ(entry.message, GetMessageText("PictureOpenFail", LANGUAGE_ENGLISH));
    EXPECT_EQ(entry.detail, messages.Messages()[0].detail);
    EXPECT_GT(entry.detail.size(), QDir::toNativeSeparators(answer).size() + 2)
        << "the reason follows the path";
    CActivityLog::Instance().Clear();
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
    EXPECT_EQ(messages.Texts()[0], GetMessageText("PictureOpenFail", LANGUAGE_ENGLISH));
    EXPECT_TRUE(messages.Messages()[0].detail.contains("broken.png"));

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
