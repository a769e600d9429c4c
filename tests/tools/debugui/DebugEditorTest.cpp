// The debug terminal's editor: tabs, views, typing, and its files.
#include "DebugUiSupport.h"

#include "app/ui/Messages.h"
#include "tools/DebugCodecs.h"
#include "tools/ui/ScintillaWnd.h"
#include "tools/ui/TabEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>

using namespace quillory;
using namespace quillory::test;

namespace {

int NewNumber(const QString& title) {
    return title.startsWith(QStringLiteral("new ")) ? title.mid(4).toInt() : -1;
}

void TypeText(QWidget* editor, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(editor, &press);
    }
}

class DebugEditorTest : public ::testing::Test {
protected:
    TempEnvironment env;
    CDebugDlg page;
    CTabEdit& editor = *page.Editor();
    QCheckBox& hex = *page.ControlAs<QCheckBox>(CDebugDlg::IDC_EDITOR_HEX);
    void Click(int id) { page.ControlAs<QAbstractButton>(id)->click(); }
};

} // namespace

TEST_F(DebugEditorTest, NewTabsCountOnOverTheRunAndTheLastTabNeverCloses) {
    ASSERT_EQ(editor.count(), 1);
    const int first = NewNumber(editor.tabText(0));
    ASSERT_GE(first, 1);
    Click(CDebugDlg::IDC_CLOSE);
    EXPECT_EQ(editor.count(), 1);

    Click(CDebugDlg::IDC_NEW);
    Click(CDebugDlg::IDC_NEW);
    ASSERT_EQ(editor.count(), 3);
    EXPECT_EQ(editor.currentIndex(), 2);
    // Another terminal shares the counter.
    CDebugDlg other;
    EXPECT_EQ(NewNumber(other.Editor()->tabText(0)), first + 3);
    EXPECT_EQ(NewNumber(editor.tabText(1)), first + 1);
    EXPECT_EQ(NewNumber(editor.tabText(2)), first + 2);

    // Closing the middle tab brings the one that took its place; closing the last, the one before.
    editor.setCurrentIndex(1);
    Click(CDebugDlg::IDC_CLOSE);
    EXPECT_EQ(editor.tabText(editor.currentIndex()), QStringLiteral("new %1").arg(first + 2));
    Click(CDebugDlg::IDC_CLOSE);
    EXPECT_EQ(editor.tabText(editor.currentIndex()), QStringLiteral("new %1").arg(first));
}

TEST_F(DebugEditorTest, EachTabKeepsItsViewAndSwitchingBackKeepsItsBytes) {
    editor.CurrentDocument()->SetBytes("A<\\x01>B");
    hex.click();
    EXPECT_EQ(editor.CurrentBytes(), QByteArray("41 01 42 "));
    Click(CDebugDlg::IDC_NEW);
    EXPECT_FALSE(hex.isChecked());
    editor.setCurrentIndex(0);
    EXPECT_TRUE(hex.isChecked());
    hex.click();
    EXPECT_EQ(editor.CurrentBytes(), QByteArray("A<\\x01>B"));

    // The editor holds any bytes, not only valid text, and a round trip keeps what they send.
    const QByteArray raw("\xff\xfe\xe4\xb8\xad<\r\n~ab<\\x1b>\x7f", 17);
    editor.CurrentDocument()->SetBytes(raw);
    EXPECT_EQ(editor.CurrentBytes(), raw);
    hex.click();
    hex.click();
    EXPECT_EQ(TextViewToBytes(editor.CurrentBytes()), TextViewToBytes(raw));
}

TEST_F(DebugEditorTest, ControlBytesAndTypingFollowTheView) {
    CScintillaWnd* document = editor.CurrentDocument();
    TypeText(document, QStringLiteral("x"));
    Click(CDebugDlg::IDC_SOH);
    Click(CDebugDlg::IDC_STX);
    EXPECT_EQ(document->Bytes(), QByteArray("x<\\x01><\\x02>"));

    document->SetBytes({});
    hex.click();
    TypeText(document, QStringLiteral("1g z"));
    Click(CDebugDlg::IDC_SOH);
    TypeText(document, QStringLiteral("Ab "));
    EXPECT_EQ(document->Bytes(), QByteArray("1 01 Ab "));
    // The inserted token stays a byte of its own.
    EXPECT_EQ(HexViewToBytes(document->Bytes()), QByteArray("\x01\x01\xab", 3));
}

TEST_F(DebugEditorTest, OpenAndSaveCarryBytesAndReportFailures) {
    CMessageCapture messages;
    const QString path = env.Path(QStringLiteral("commands.txt"));
    const QByteArray content("~WN01@version~<\\x0d><\\x0a>\xff");
    WriteFileBytes(path, content);
    {
        AnswerFileDialogs dialogs(path);
        Click(CDebugDlg::IDC_OPEN);
        ASSERT_EQ(dialogs.requests.size(), 1);
        EXPECT_EQ(dialogs.requests[0].defaultSuffix, QStringLiteral("txt"));
        EXPECT_TRUE(dialogs.requests[0].filter.contains(QStringLiteral("*.txt")));
    }
    ASSERT_EQ(editor.count(), 2);
    EXPECT_EQ(editor.tabText(1), QStringLiteral("commands.txt"));
    EXPECT_EQ(editor.CurrentBytes(), content);
    EXPECT_FALSE(hex.isChecked());

    // A text tab is saved as it stands, a hex tab as the bytes of its tokens.
    const QString saved = env.Path(QStringLiteral("saved.txt"));
    {
        AnswerFileDialogs dialogs(saved);
        Click(CDebugDlg::IDC_SAVE);
        EXPECT_EQ(ReadFileBytes(saved), content);
        hex.click();
        Click(CDebugDlg::IDC_SAVE);
        EXPECT_EQ(ReadFileBytes(saved), TextViewToBytes(content));
    }
    EXPECT_TRUE(messages.Texts().isEmpty());

    {
        AnswerFileDialogs dialogs(env.Path(QStringLiteral("missing.txt")));
        Click(CDebugDlg::IDC_OPEN);
    }
    EXPECT_EQ(editor.count(), 2);
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_EQ(messages.Texts()[0], GetMessageText("OpenFileFail", ReadLanguage()));
    EXPECT_TRUE(messages.Messages()[0].detail.contains(QStringLiteral("missing.txt")));
    {
        AnswerFileDialogs dialogs(env.Path(QStringLiteral("no/such/folder/x.txt")));
        Click(CDebugDlg::IDC_SAVE);
    }
    EXPECT_EQ(messages.Texts().value(1), GetMessageText("SaveFileFail", ReadLanguage()));
}
