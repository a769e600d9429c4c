#include "controls/DateTimeEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::datetime_rules;

TEST(DateTimeRules, SteppingNeverMakesAnInvalidDate) {
    const QString december = "2024-12-15 10:20:30";
    EXPECT_FALSE(Step(december, Month, 1)) << "no month 13";
    EXPECT_EQ(Step(december, Month, -1), "2024-11-15 10:20:30");
    EXPECT_EQ(Step(december, Year, 1), "2025-12-15 10:20:30");
    EXPECT_FALSE(Step("2024-02-29 00:00:00", Year, 1)) << "2025 has no 29 February";
    EXPECT_FALSE(Step("2024-02-29 00:00:00", Day, 1));
    EXPECT_FALSE(Step("2024-02-29 00:00:00", Second, -1)) << "below 0";
    EXPECT_FALSE(Step("2024-02-29 00:59:00", Minute, 1));
    EXPECT_EQ(Step("2024-02-29 23:00:00", Hour, -1), "2024-02-29 22:00:00");
    EXPECT_FALSE(Step("    -  -     :  :  ", Hour, 1));
}

TEST(DateTimeRules, ParsesOnlyTheFullForm) {
    EXPECT_TRUE(Parse("2024-12-15 10:20:30"));
    EXPECT_FALSE(Parse(kBlankText));
    EXPECT_FALSE(Parse("2024-13-15 10:20:30"));
    EXPECT_FALSE(Parse("2024-12-15T10:20:30"));
    EXPECT_FALSE(Parse("2024-12-15 10:20"));
}

TEST(DateTimeRules, CaretWrapsInsideItsSegment) {
    EXPECT_EQ(CaretAfterDigit(0), 1);
    EXPECT_EQ(CaretAfterDigit(3), 0);
    EXPECT_EQ(CaretAfterDigit(5), 6);
    EXPECT_EQ(CaretAfterDigit(6), 5);
    EXPECT_EQ(CaretAfterDigit(12), 11);
    EXPECT_EQ(CaretAfterDigit(18), 17);
    EXPECT_FALSE(CaretAfterDigit(4)) << "a separator has no digit to replace";
    EXPECT_FALSE(CaretAfterDigit(19));
}

TEST(DateTimeRules, ArrowsAndClicksPickSegments) {
    EXPECT_EQ(SegmentAt(4), Year);
    EXPECT_EQ(SegmentAt(7), Month);
    EXPECT_EQ(SegmentAt(10), Day);
    EXPECT_EQ(SegmentAt(13), Hour);
    EXPECT_EQ(SegmentAt(16), Minute);
    EXPECT_EQ(SegmentAt(40), Second);
    EXPECT_FALSE(SegmentLeftOf(0));
    EXPECT_EQ(SegmentLeftOf(5), Year);
    EXPECT_EQ(SegmentRightOf(7), Day);
    EXPECT_EQ(SegmentRightOf(16), Second);
    EXPECT_FALSE(SegmentRightOf(19));
}

namespace {

void Key(QWidget& w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&w, &press);
}

} // namespace

TEST(DateTimeEdit, StartsWithTheCurrentTimeAndTakesNoDigitsUntilEditable) {
    CDateTimeEdit edit;
    ASSERT_TRUE(Parse(edit.text()));
    edit.SetDateTimeText("2024-12-15 10:20:30");
    edit.SelectSegment(Month);
    Key(edit, Qt::Key_0, "0");
    EXPECT_EQ(edit.text(), "2024-12-15 10:20:30");
    Key(edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "2024-12-15 10:20:30");
}

TEST(DateTimeEdit, DigitsOverwriteTheSegmentAndArrowsStepIt) {
    CDateTimeEdit edit;
    edit.SetEditable(true);
    edit.SetDateTimeText("2024-12-15 10:20:30");
    edit.SelectSegment(Month);
    Key(edit, Qt::Key_0, "0");
    Key(edit, Qt::Key_3, "3");
    EXPECT_EQ(edit.text(), "2024-03-15 10:20:30");
    EXPECT_EQ(edit.cursorPosition(), 5) << "the caret wrapped to the segment's start";

    edit.SetDateTimeText("2024-12-15 10:20:30");
    edit.SelectSegment(Month);
    Key(edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "2024-12-15 10:20:30");
    EXPECT_EQ(edit.selectedText(), "12");
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&edit, &wheel);
    EXPECT_EQ(edit.text(), "2024-11-15 10:20:30");

    Key(edit, Qt::Key_Right);
    EXPECT_EQ(edit.selectedText(), "15");
    Key(edit, Qt::Key_Left);
    Key(edit, Qt::Key_Left);
    EXPECT_EQ(edit.selectedText(), "2024");
}

TEST(DateTimeEdit, AnImpossibleDateIsReplacedWhenTheFocusLeaves) {
    CDateTimeEdit edit;
    edit.SetEditable(true);
    edit.SetDateTimeText("2024-12-15 10:20:30");
    edit.SelectSegment(Month);
    Key(edit, Qt::Key_9, "9");
    EXPECT_EQ(edit.text(), "2024-92-15 10:20:30");
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &out);
    EXPECT_TRUE(Parse(edit.text())) << edit.text().toStdString();
}
