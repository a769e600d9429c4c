// The debug terminal's reply area (one reply a line, times, a bounded length), its traffic log
// and how it reports the outcome of its exchanges.
#include "DebugUiSupport.h"

#include "app/ActivityLog.h"
#include "app/LanguageTexts.h"
#include "app/ui/Messages.h"
#include "tools/ui/ReplyList.h"
#include "tools/ui/ScintillaWnd.h"
#include "tools/ui/TabEdit.h"
#include "tools/ui/TrafficLog.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QRegularExpression>

using namespace quillory;
using namespace quillory::test;

namespace {

const QDateTime kNoon(QDate(2026, 5, 1), QTime(12, 0, 1, 250));

void Type(CDebugDlg& page, const QByteArray& bytes) {
    page.Editor()->CurrentDocument()->SetBytes(bytes);
}

} // namespace

TEST(DebugReplyList, EveryReplyIsOneLineNewestFirst) {
    CReplyList replies;
    replies.Add(kNoon, "OK\r\n");
    replies.Add(kNoon.addSecs(1), QByteArray("A\x1b"
                                             "B\x7f\xe4\xb8\xad",
                                             7));
    EXPECT_EQ(CReplyList::TextView("OK\r\n"), "OK<\\x0d><\\x0a>");
    EXPECT_EQ(replies.Text(false, false), QString::fromUtf8("A<\\x1b>B<\\x7f>中\nOK<\\x0d><\\x0a>\n"));
    EXPECT_EQ(replies.Text(true, false), QString("41 1b 42 7f e4 b8 ad\n4f 4b 0d 0a\n"));
    EXPECT_EQ(replies.Text(true, true),
              QString("[12:00:02.250] 41 1b 42 7f e4 b8 ad\n[12:00:01.250] 4f 4b 0d 0a\n"));
    // Saved from hex view: the bytes as they came; from text view: the lines as shown.
    EXPECT_EQ(replies.SaveBytes(true, true), QByteArray("A\x1b"
                                                        "B\x7f\xe4\xb8\xad"
                                                        "OK\r\n",
                                                        11));
    EXPECT_EQ(replies.SaveBytes(false, true), replies.Text(false, true).toUtf8());
}

TEST(DebugReplyList, OnlyTheNewestRepliesAreKept) {
    CReplyList replies(3);
    EXPECT_EQ(CReplyList().Limit(), CReplyList::kMaxReplies);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(replies.Add(kNoon, QByteArray::number(i)));
    EXPECT_TRUE(replies.Add(kNoon, "3"));
    EXPECT_EQ(replies.Count(), 3);
    EXPECT_EQ(replies.Text(false, false), "3\n2\n1\n");
    replies.Clear();
    EXPECT_TRUE(replies.IsEmpty());
}

TEST(DebugTrafficLog, EachSendAndReplyIsALineWithTimeDirectionBytesAndText) {
    EXPECT_EQ(CTrafficLog::Line(kNoon, CTrafficLog::Direction::Sent, "~WN\r\n"),
              "2026-05-01 12:00:01.250 > 5  7e 57 4e 0d 0a  \"~WN<\\x0d><\\x0a>\"");
    EXPECT_EQ(CTrafficLog::Line(kNoon, CTrafficLog::Direction::Received, ""),
              "2026-05-01 12:00:01.250 < 0    \"\"");
}

TEST_F(DebugPageTest, RepliesWithLineBreaksStayOnTheirLineAndCanCarryTheirTime) {
    printer.SetVersionText("first\r\nsecond");
    Type(page, "~WN01@version~\r\n");
    for (int i = 0; i < 2; ++i) {
        Click(CDebugDlg::IDC_SEND);
        ASSERT_TRUE(WaitForExchange());
    }
    EXPECT_EQ(page.ReplyText(), "first<\\x0d><\\x0a>second\nfirst<\\x0d><\\x0a>second\n");
    auto* area = page.ControlAs<QPlainTextEdit>(CDebugDlg::IDC_REPLY);
    EXPECT_EQ(area->document()->blockCount(), 2);

    Click(CDebugDlg::IDC_TIME_STAMPS);
    const QStringList lines = page.ReplyText().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    static const QRegularExpression stamped(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] first<"));
    for (const QString& line : lines)
        EXPECT_TRUE(stamped.match(line).hasMatch()) << line.toStdString();
    EXPECT_EQ(area->toPlainText() + '\n', page.ReplyText());
}

TEST_F(DebugPageTest, TheReplyAreaKeepsOnlyTheNewestReplies) {
    page.SetReplyLimit(3);
    for (int i = 0; i < 5; ++i) {
        printer.SetVersionText(QByteArray::number(i));
        Type(page, "~WN01@version~\r\n");
        Click(CDebugDlg::IDC_SEND);
        ASSERT_TRUE(WaitForExchange());
    }
    EXPECT_EQ(page.ReplyText(), "4\n3\n2\n");
    auto* area = page.ControlAs<QPlainTextEdit>(CDebugDlg::IDC_REPLY);
    EXPECT_EQ(area->toPlainText(), "4\n3\n2");
    EXPECT_EQ(Count(CDebugDlg::IDC_RECEIVED_COUNT), 5) << "the count counts everything received";
}

TEST_F(DebugPageTest, TheTrafficGoesToTheChosenFileLineByLine) {
    const QString path = env.Path(QStringLiteral("traffic.log"));
    WriteFileBytes(path, "from an earlier session\n");
    {
        AnswerFileDialogs dialogs(path);
        Click(CDebugDlg::IDC_TRAFFIC_LOG);
        ASSERT_EQ(dialogs.requests.size(), 1);
        EXPECT_EQ(dialogs.requests[0].kind, FileDialogRequest::Save);
    }
    ASSERT_TRUE(page.TrafficLog().IsOpen());
    Type(page, "~WN01@version~\r\n");
    Click(CDebugDlg::IDC_SEND);
    ASSERT_TRUE(WaitForExchange());
    const QStringList lines = QString::fromUtf8(ReadFileBytes(path)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << "a chosen file starts afresh";
    EXPECT_TRUE(lines[0].contains(" > 16  7e 57 4e 30 31 40")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral(" < %1  ").arg(printer.VersionText().size())));
    EXPECT_TRUE(lines[1].endsWith('"' + QString::fromLatin1(printer.VersionText()) + '"'));

    Click(CDebugDlg::IDC_TRAFFIC_LOG);
    EXPECT_FALSE(page.TrafficLog().IsOpen());
    Click(CDebugDlg::IDC_SEND);
    ASSERT_TRUE(WaitForExchange());
    EXPECT_EQ(QString::fromUtf8(ReadFileBytes(path)).split('\n', Qt::SkipEmptyParts).size(), 2);

    // A file that cannot be written says why and leaves the box unchecked.
    CMessageCapture messages;
    const QString nowhere = env.Path(QStringLiteral("no-such-folder/traffic.log"));
    {
        AnswerFileDialogs dialogs(nowhere);
        Click(CDebugDlg::IDC_TRAFFIC_LOG);
    }
    EXPECT_FALSE(page.TrafficLog().IsOpen());
    EXPECT_FALSE(page.ControlAs<QAbstractButton>(CDebugDlg::IDC_TRAFFIC_LOG)->isChecked());
    ASSERT_EQ(messages.Messages().size(), 1);
    EXPECT_EQ(messages.Texts()[0], GetMessageText("CreateFileError", ReadLanguage()));
    EXPECT_TRUE(messages.Messages()[0].detail.startsWith(QDir::toNativeSeparators(nowhere) + ": "));
}

TEST_F(DebugPageTest, ExchangesReportToTheActivityLogAndAFailingTimedSendStopsOnce) {
    CActivityLog::Instance().Clear();
    CMessageCapture messages;
    Type(page, "~WN01@version~\r\n");
    Click(CDebugDlg::IDC_SEND);
    ASSERT_TRUE(WaitForExchange());
    ASSERT_EQ(CActivityLog::Instance().Count(), 1);
    const ActivityEntry sent = CActivityLog::Instance().Entries()[0];
    EXPECT_EQ(sent.result, ActivityResult::Success);
    EXPECT_EQ(sent.message,
              GetMessageText("DebugExchangeDone", ReadLanguage()).arg(16).arg(printer.VersionText().size()));
    EXPECT_EQ(sent.port, QStringLiteral("127.0.0.1:%1").arg(printer.TcpPort()));
    EXPECT_TRUE(messages.Messages().isEmpty());

    // A printer that is gone: the timed send stops at its first failure, said once.
    UseLoopbackPrinter(DeadPort());
    page.ControlAs<CPaperNunberEditEx>(CDebugDlg::IDC_TIMER_INTERVAL)->setText(QStringLiteral("10"));
    Click(CDebugDlg::IDC_TIMED_SEND);
    ASSERT_TRUE(
        WaitUntil([&] { return !page.ControlAs<QAbstractButton>(CDebugDlg::IDC_TIMED_SEND)->isChecked(); }));
    ASSERT_TRUE(WaitForExchange());
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(messages.Texts(), QStringList({GetMessageText("OpenPortError", ReadLanguage())}));
    const ActivityEntry failed = CActivityLog::Instance().Entries().constLast();
    EXPECT_EQ(failed.result, ActivityResult::Failure);
    EXPECT_EQ(failed.operation, page.ControlAs<QAbstractButton>(CDebugDlg::IDC_TIMED_SEND)->text());
    EXPECT_TRUE(page.Control(CDebugDlg::IDC_SEND)->isEnabled());
    CActivityLog::Instance().Clear();
}
