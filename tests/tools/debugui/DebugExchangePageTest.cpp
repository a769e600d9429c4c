// The debug terminal's sending against the virtual printer: one exchange, the timer, and the
// repeated file send, with their counts and failures.
#include "DebugUiSupport.h"

#include "app/ui/Messages.h"
#include "tools/ui/ScintillaWnd.h"
#include "tools/ui/TabEdit.h"

#include <QTimer>

#include <memory>

using namespace quillory;
using namespace quillory::test;

namespace {

void Type(CDebugDlg& page, const QByteArray& bytes) {
    page.Editor()->CurrentDocument()->SetBytes(bytes);
}

} // namespace

TEST_F(DebugPageTest, SendDeliversTheTabsBytesAndShowsRepliesNewestFirstAsTextOrHex) {
    Type(page, "~WN01@version~<\\x0d><\\x0a>");
    Click(CDebugDlg::IDC_SEND);
    ASSERT_TRUE(WaitForExchange());
    const QByteArray version = printer.VersionText();
    ASSERT_FALSE(version.isEmpty());
    EXPECT_EQ(printer.ReceivedBytes(), QByteArray("~WN01@version~\r\n"));
    EXPECT_EQ(page.ReplyText(), QString::fromLatin1(version + '\n'));
    EXPECT_EQ(Count(CDebugDlg::IDC_SENT_COUNT), 16);
    EXPECT_EQ(Count(CDebugDlg::IDC_RECEIVED_COUNT), version.size());

    // The same query from a hex-view tab; its reply goes in front, on a line of its own, as tokens.
    printer.ClearLog();
    Click(CDebugDlg::IDC_REPLY_HEX);
    const QString old = page.ReplyText();
    EXPECT_EQ(old, QString::fromLatin1(version.toHex(' ') + '\n'));
    Click(CDebugDlg::IDC_NEW);
    page.ControlAs<QAbstractButton>(CDebugDlg::IDC_EDITOR_HEX)->click();
    Type(page, "7e 57 4e 30 31 40 76 65 72 73 69 6f 6e 7e 0d 0a");
    Click(CDebugDlg::IDC_SEND);
    ASSERT_TRUE(WaitForExchange());
    EXPECT_EQ(printer.ReceivedBytes(), QByteArray("~WN01@version~\r\n"));
    EXPECT_EQ(page.ReplyText(), QString::fromLatin1(version.toHex(' ') + '\n') + old);
    EXPECT_EQ(Count(CDebugDlg::IDC_SENT_COUNT), 32);
    EXPECT_EQ(Count(CDebugDlg::IDC_RECEIVED_COUNT), 2 * version.size());

    // Saved from hex view, the file holds the bytes; back in text view, both replies show.
    const QString path = env.Path(QStringLiteral("reply.txt"));
    {
        AnswerFileDialogs dialogs(path);
        Click(CDebugDlg::IDC_REPLY_SAVE);
    }
    EXPECT_EQ(ReadFileBytes(path), version + version);
    Click(CDebugDlg::IDC_REPLY_HEX);
    EXPECT_EQ(page.ReplyText(), QString::fromLatin1(version + '\n' + version + '\n'));
    Click(CDebugDlg::IDC_REPLY_CLEAR);
    EXPECT_TRUE(page.ReplyText().isEmpty());

    // Each reset clears its own count only.
    Click(CDebugDlg::IDC_SENT_RESET);
    EXPECT_EQ(Count(CDebugDlg::IDC_SENT_COUNT), 0);
    EXPECT_EQ(Count(CDebugDlg::IDC_RECEIVED_COUNT), 2 * version.size());
    Click(CDebugDlg::IDC_RECEIVED_RESET);
    EXPECT_EQ(Count(CDebugDlg::IDC_RECEIVED_COUNT), 0);
}

TEST_F(DebugPageTest, AnEmptyTabOpensWritesNothingAndListensForAtLeast100Ms) {
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(page.SendOnce());
    ASSERT_TRUE(WaitForExchange());
    EXPECT_GE(timer.elapsed(), 100);
    EXPECT_EQ(printer.ConnectionCount(), 1);
    EXPECT_TRUE(printer.ReceivedBytes().isEmpty());
    EXPECT_EQ(Count(CDebugDlg::IDC_SENT_COUNT), 0);
    EXPECT_TRUE(page.ReplyText().isEmpty());
}

TEST_F(DebugPageTest, ALongReplyShowsItsFirst1024Bytes) {
    QByteArray version;
    for (int i = 0; version.size() < 3000; ++i)
        version += QByteArray::number(i % 10);
    printer.SetVersionText(version);
    Type(page, "~WN01@version~\r\n");
    Click(CDebugDlg::IDC_SEND);
    ASSERT_TRUE(WaitForExchange());
    EXPECT_EQ(page.ReplyText(), QString::fromLatin1(version.first(1024) + '\n'));
    EXPECT_EQ(Count(CDebugDlg::IDC_RECEIVED_COUNT), 1024);
}

TEST_F(DebugPageTest, TheWindowStaysLiveDuringAnExchangeAndASecondSendIsRefused) {
    // A reply that comes late, but within the idle limit.
    printer.SetFaults({.replyDelayMs = 60});
    Type(page, "~WN01@version~\r\n");
    Click(CDebugDlg::IDC_SEND);
    ASSERT_TRUE(page.IsExchangeRunning());
    EXPECT_FALSE(page.Control(CDebugDlg::IDC_SEND)->isEnabled());
    EXPECT_FALSE(page.SendOnce());

    // Events keep flowing while the printer takes its time.
    bool ticked = false;
    QTimer::singleShot(20, [&] { ticked = true; });
    ASSERT_TRUE(WaitUntil([&] { return ticked; }, 250));
    EXPECT_TRUE(page.IsExchangeRunning());

    ASSERT_TRUE(WaitForExchange());
    EXPECT_TRUE(page.Control(CDebugDlg::IDC_SEND)->isEnabled());
    EXPECT_EQ(printer.ConnectionCount(), 1);
    EXPECT_EQ(page.ReplyText(), QString::fromLatin1(printer.VersionText() + '\n'));
}

TEST_F(DebugPageTest, TimedSendRepeatsWithoutOverlapAndLocksTheEditorCommands) {
    Type(page, "<\\x10>");
    auto* interval = page.ControlAs<CPaperNunberEditEx>(CDebugDlg::IDC_TIMER_INTERVAL);
    EXPECT_EQ(interval->GetValue(), 2000);
    // A typed interval counts even while the field still has the focus; 10 ms is shorter than
    // one exchange, so ticks must be skipped rather than overlap.
    interval->setText(QStringLiteral("10"));
    Click(CDebugDlg::IDC_TIMED_SEND);
    for (const int id : {CDebugDlg::IDC_NEW, CDebugDlg::IDC_CLOSE, CDebugDlg::IDC_OPEN, CDebugDlg::IDC_SEND})
        EXPECT_FALSE(page.Control(id)->isEnabled()) << id;
    EXPECT_TRUE(page.Control(CDebugDlg::IDC_SAVE)->isEnabled());

    ASSERT_TRUE(WaitUntil([&] { return printer.ReceivedBytes().size() >= 3; }));
    Click(CDebugDlg::IDC_TIMED_SEND);
    ASSERT_TRUE(WaitForExchange());
    for (const int id : {CDebugDlg::IDC_NEW, CDebugDlg::IDC_CLOSE, CDebugDlg::IDC_OPEN, CDebugDlg::IDC_SEND})
        EXPECT_TRUE(page.Control(id)->isEnabled()) << id;

    const QByteArray log = printer.ReceivedBytes();
    EXPECT_EQ(log, QByteArray(log.size(), '\x10'));
    EXPECT_EQ(printer.ConnectionCount(), log.size());
    EXPECT_EQ(Count(CDebugDlg::IDC_SENT_COUNT), log.size());
    // Stopped means stopped.
    WaitUntil([] { return false; }, 300);
    EXPECT_EQ(printer.ReceivedBytes().size(), log.size());
}

TEST_F(DebugPageTest, FileSendRepeatsUntilStopAndCountsEverySend) {
    EXPECT_FALSE(page.Control(CDebugDlg::IDC_FILE_SEND)->isEnabled());
    EXPECT_FALSE(page.Control(CDebugDlg::IDC_STOP)->isEnabled());
    const QString path = env.Path(QStringLiteral("label.prn"));
    const QByteArray content("SIZE 40 mm\r\nPRINT 1\r\n");
    WriteFileBytes(path, content);
    {
        AnswerFileDialogs dialogs(path);
        Click(CDebugDlg::IDC_BROWSE);
    }
    ASSERT_TRUE(page.Control(CDebugDlg::IDC_FILE_SEND)->isEnabled());
    page.ControlAs<CPaperNunberEditEx>(CDebugDlg::IDC_FILE_INTERVAL)->setText(QStringLiteral("20"));
    Click(CDebugDlg::IDC_FILE_SEND);
    EXPECT_TRUE(page.IsFileSendRunning());
    EXPECT_FALSE(page.Control(CDebugDlg::IDC_FILE_SEND)->isEnabled());
    EXPECT_TRUE(page.Control(CDebugDlg::IDC_STOP)->isEnabled());

    ASSERT_TRUE(WaitUntil([&] { return Count(CDebugDlg::IDC_FILE_COUNT) >= 3; }));
    Click(CDebugDlg::IDC_STOP);
    ASSERT_TRUE(WaitUntil([&] { return !page.IsFileSendRunning(); }));
    EXPECT_TRUE(page.Control(CDebugDlg::IDC_FILE_SEND)->isEnabled());
    EXPECT_FALSE(page.Control(CDebugDlg::IDC_STOP)->isEnabled());

    const int sends = Count(CDebugDlg::IDC_FILE_COUNT);
    ASSERT_TRUE(printer.WaitForBytes(sends * content.size(), 5000));
    EXPECT_EQ(printer.ReceivedBytes(), content.repeated(sends));
    EXPECT_EQ(printer.ConnectionCount(), 1);

    Click(CDebugDlg::IDC_FILE_RESET);
    EXPECT_EQ(Count(CDebugDlg::IDC_FILE_COUNT), 0);
}

TEST_F(DebugPageTest, FileSendFailuresAreShownAndReturnThePageToIdle) {
    CMessageCapture messages;
    const QString path = env.Path(QStringLiteral("gone.prn"));
    WriteFileBytes(path, "X");
    {
        AnswerFileDialogs dialogs(path);
        Click(CDebugDlg::IDC_BROWSE);
    }
    // The file vanished after it was chosen.
    QFile::remove(path);
    Click(CDebugDlg::IDC_FILE_SEND);
    ASSERT_TRUE(WaitUntil([&] { return !page.IsFileSendRunning(); }));
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_EQ(messages.Texts().first(), GetMessageText("OpenFileFail", ReadLanguage()));
    EXPECT_TRUE(messages.Messages().first().detail.contains(QStringLiteral("gone.prn")));
    EXPECT_EQ(printer.ConnectionCount(), 0);
    EXPECT_TRUE(page.Control(CDebugDlg::IDC_FILE_SEND)->isEnabled());
    EXPECT_FALSE(page.Control(CDebugDlg::IDC_STOP)->isEnabled());

    // A printer nobody answers for.
    messages.Clear();
    WriteFileBytes(path, "X");
    UseLoopbackPrinter(DeadPort());
    Click(CDebugDlg::IDC_FILE_SEND);
    ASSERT_TRUE(WaitUntil([&] { return !page.IsFileSendRunning(); }));
    EXPECT_EQ(messages.Texts(), QStringList({GetMessageText("OpenPortError", ReadLanguage())}));
    EXPECT_EQ(Count(CDebugDlg::IDC_FILE_COUNT), 0);
    EXPECT_TRUE(page.Control(CDebugDlg::IDC_FILE_SEND)->isEnabled());
    EXPECT_FALSE(page.Control(CDebugDlg::IDC_STOP)->isEnabled());

    // A single exchange that fails says so and leaves the page ready.
    Click(CDebugDlg::IDC_SEND);
    ASSERT_TRUE(WaitForExchange());
    ASSERT_EQ(messages.Texts().size(), 2);
    EXPECT_EQ(messages.Texts()[1], GetMessageText("OpenPortError", ReadLanguage()));
    EXPECT_EQ(Count(CDebugDlg::IDC_SENT_COUNT), 0);
    EXPECT_TRUE(page.Control(CDebugDlg::IDC_SEND)->isEnabled());
}

TEST(DebugPageLifetime, ClosingThePageStopsItsWorkersCleanly) {
    TempEnvironment env;
    sim::VirtualPrinter printer{INSTRUCTION_VKLZ};
    ASSERT_TRUE(printer.StartTcp());
    UseLoopbackPrinter(printer.TcpPort());
    const QString path = env.Path(QStringLiteral("loop.prn"));
    WriteFileBytes(path, "LOOP");

    auto page = std::make_unique<CDebugDlg>();
    {
        AnswerFileDialogs dialogs(path);
        page->ControlAs<QAbstractButton>(CDebugDlg::IDC_BROWSE)->click();
    }
    page->ControlAs<CPaperNunberEditEx>(CDebugDlg::IDC_FILE_INTERVAL)->setText(QStringLiteral("999999"));
    page->ControlAs<QAbstractButton>(CDebugDlg::IDC_FILE_SEND)->click();
    ASSERT_TRUE(printer.WaitForBytes(4, 5000));

    // A printer that never stops talking keeps an exchange collecting for up to 90 s.
    ChattyPrinter chatty;
    UseLoopbackPrinter(chatty.Port());
    ASSERT_TRUE(page->SendOnce());
    WaitUntil([] { return false; }, 300);
    ASSERT_TRUE(page->IsExchangeRunning());

    // Neither the long file interval nor the endless reply may hold the closing page.
    QElapsedTimer timer;
    timer.start();
    page.reset();
    EXPECT_LT(timer.elapsed(), 1000);
    // Nothing queued for the destroyed page may run.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(printer.ReceivedBytes(), QByteArray("LOOP"));
}
