#include "tools/DebugCodecs.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace quillory;

TEST(DebugCodecs, TextViewEscapes) {
    EXPECT_EQ(TextViewToBytes("<\\x1b>A"), QByteArray("\x1b"
                                                      "A"));
    EXPECT_EQ(TextViewToBytes("<\\x7>"), QByteArray("\x07"));
    EXPECT_EQ(TextViewToBytes("<abcd>"), QByteArray("\xcd"));
    EXPECT_EQ(TextViewToBytes("<\\xzz>"), QByteArray(1, '\0'));
    EXPECT_EQ(TextViewToBytes("<\\x1z>"), QByteArray("\x01"));
    EXPECT_EQ(TextViewToBytes("a<b>c<"), QByteArray("a<b>c<"));
    EXPECT_EQ(TextViewToBytes(""), QByteArray());
}

TEST(DebugCodecs, HexViewTokens) {
    EXPECT_EQ(HexViewToBytes("1b 41 "), QByteArray("\x1b"
                                                   "A"));
    EXPECT_EQ(HexViewToBytes("0d 0a "), QByteArray("\r\n"));
    EXPECT_EQ(HexViewToBytes("41 F"), QByteArray("A\x0f"));
    EXPECT_EQ(HexViewToBytes("41 \r42 \n43 "), QByteArray("ABC"));
    // One-digit tokens keep the tokens that follow them.
    EXPECT_EQ(HexViewToBytes("1 2 3"), QByteArray("\x01\x02\x03"));
    EXPECT_EQ(HexViewToBytes("zz 41 "), QByteArray("A"));
}

TEST(DebugCodecs, SwitchingViews) {
    EXPECT_EQ(TextViewToHexView("A<\\x01>B"), QByteArray("41 01 42 "));
    EXPECT_EQ(HexViewToTextView("41 01 42 "), QByteArray("A<\\x01>B"));
    // A CR after the token that ends the 16th source character.
    EXPECT_EQ(TextViewToHexView(QByteArray(17, 'a')), QByteArray("61 ").repeated(16) + "\r" + "61 ");
    EXPECT_EQ(TextViewToHexView("<\\x41>" + QByteArray(10, 'b')),
              "41 " + QByteArray("62 ").repeated(10) + "\r");
    // CR and LF tokens come back as line breaks.
    EXPECT_EQ(HexViewToTextView("41 0d 0a 42 "), QByteArray("A\r\nB"));
}

TEST(DebugCodecs, RandomBytesSurviveEveryView) {
    QRandomGenerator random(20261208);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(int(random.bounded(0, 80)), '\0');
        for (char& c : bytes)
            c = char(random.bounded(0, 256));
        const QByteArray text = BytesToTextView(bytes);
        ASSERT_EQ(TextViewToBytes(text), bytes);
        const QByteArray hex = TextViewToHexView(text);
        ASSERT_EQ(HexViewToBytes(hex), bytes);
        ASSERT_EQ(TextViewToBytes(HexViewToTextView(hex)), bytes);
    }
}

TEST(DebugCodecs, SwitchingAHexViewWithALessThanSignToTextKeepsItsBytes) {
    // The six bytes of a written-out escape: as raw text they would read as the one byte 0x01.
    const QByteArray hex = "41 3c 5c 78 30 31 3e 42 ";
    EXPECT_EQ(HexViewToTextView(hex), QByteArray("A<\\x3c>\\x01>B"));
    EXPECT_EQ(TextViewToBytes(HexViewToTextView(hex)), QByteArray("A<\\x01>B"));

    // A fuzzer's text whose hex view lost bytes on the way back to text.
    const QByteArray text = "A<<\\x01><\\x3c>\\x01>B<\\o1b>A<\\x7*>~WN01@vers/on~\r\n<abcd>x";
    const QByteArray hexView = TextViewToHexView(text);
    EXPECT_EQ(HexViewToBytes(hexView), TextViewToBytes(text));
    EXPECT_EQ(TextViewToBytes(HexViewToTextView(hexView)), TextViewToBytes(text));
}

TEST(DebugCodecs, ReplyArea) {
    EXPECT_EQ(PrependReplyText("new", "old"), "newold");
    EXPECT_EQ(PrependReplyHex("AB", ""), "41 42 ");
    // Old contents lose their line breaks and the whole area is wrapped again.
    const QString wrapped = PrependReplyHex(QByteArray(20, 'a'), "62 \r\n63 ");
    EXPECT_EQ(wrapped.left(47), QString("61 ").repeated(15) + "61");
    EXPECT_EQ(wrapped.mid(47, 2), "\r\n");

    const QString hex = ReplyTextToHex(QString(17, 'x'));
    EXPECT_EQ(hex, QString("78 ").repeated(16) + "\r\n" + "78 ");
    EXPECT_EQ(ReplyHexToText(hex), QString(17, 'x'));
    EXPECT_EQ(ReplyHexToText(ReplyTextToHex(QString::fromUtf8("打印 ok"))), QString::fromUtf8("打印 ok"));
}

TEST(DebugCodecs, SaveWritesBytes) {
    EXPECT_EQ(SaveBytes("<\\x01>x", false), QByteArray("<\\x01>x"));
    EXPECT_EQ(SaveBytes("41 00 42 \r\n43 ", true), QByteArray("ABC"));
}
