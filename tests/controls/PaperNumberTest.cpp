#include "controls/PaperNunberEditEx.h"

#include <QApplication>
#include <QFocusEvent>

#include <gtest/gtest.h>

using namespace quillory;

namespace {

// Types text into a field that got the focus showing its current text, then leaves it.
QString Leave(CPaperNumber& n, const QString& typed) {
    n.OnFocusIn(n.Text());
    return n.OnFocusOut(typed);
}

CPaperNumber Field(int value, CPaperNumber::Unit unit, int minimum = 0, int maximum = 65535) {
    CPaperNumber n;
    (void)n.Initialise(value, 203, minimum, maximum);
    (void)n.SetUnit(unit);
    return n;
}

} // namespace

TEST(PaperNumber, ShowsDotsInEveryUnit) {
    CPaperNumber n = Field(406, CPaperNumber::Dots);
    EXPECT_EQ(n.Text(), "406");
    EXPECT_EQ(n.SetUnit(CPaperNumber::Inches), "2.000");
    EXPECT_EQ(n.SetUnit(CPaperNumber::Millimetres), "50.800");
    EXPECT_EQ(n.SetValue(800), "100.099");
    EXPECT_EQ(n.Value(), 800);
}

TEST(PaperNumber, TypedLengthsAreCutTowardZeroAfterSinglePrecision) {
    CPaperNumber mm = Field(0, CPaperNumber::Millimetres);
    EXPECT_EQ(Leave(mm, "50"), "50");
    EXPECT_EQ(mm.Value(), 399);
    Leave(mm, "25.4");
    EXPECT_EQ(mm.Value(), 202);

    CPaperNumber inch = Field(0, CPaperNumber::Inches);
    Leave(inch, "1.5");
    EXPECT_EQ(inch.Value(), 304);
    Leave(inch, "-0.5");
    EXPECT_EQ(inch.Value(), 0) << "below the minimum brings back the default";

    CPaperNumber negative = Field(0, CPaperNumber::Inches, -120, 120);
    Leave(negative, "-0.5");
    EXPECT_EQ(negative.Value(), -101);
}

TEST(PaperNumber, OutOfRangeOrMalformedTextBringsBackTheDefault) {
    CPaperNumber dots = Field(800, CPaperNumber::Dots);
    EXPECT_EQ(Leave(dots, "70000"), "800");
    EXPECT_EQ(dots.Value(), 800);
    EXPECT_EQ(Leave(dots, ""), "800");
    EXPECT_EQ(Leave(dots, "-"), "800");

    CPaperNumber signedDots = Field(0, CPaperNumber::Dots, -9999, 9999);
    EXPECT_EQ(Leave(signedDots, "-5-"), "0");
    Leave(signedDots, "-42");
    EXPECT_EQ(signedDots.Value(), -42);

    CPaperNumber inch = Field(406, CPaperNumber::Inches);
    for (const char* bad : {".5", "1.2.3", "1-2", "--1", "99999999999999999999"}) {
        Leave(inch, "1");
        EXPECT_EQ(Leave(inch, bad), "2.000") << bad;
        EXPECT_EQ(inch.Value(), 406) << bad;
    }
}

TEST(PaperNumber, TheRestoredDefaultIsTheDefaultNotItsRoundedDisplay) {
    // 800 dots show as 100.099 mm, which would read back as 799.
    CPaperNumber mm = Field(800, CPaperNumber::Millimetres);
    Leave(mm, "10");
    EXPECT_EQ(Leave(mm, ""), "100.099");
    EXPECT_EQ(mm.Value(), 800);
}

TEST(PaperNumber, AnUnchangedTextKeepsTheValue) {
    CPaperNumber mm = Field(800, CPaperNumber::Millimetres);
    EXPECT_EQ(Leave(mm, "100.099"), "100.099");
    EXPECT_EQ(mm.Value(), 800);
}

TEST(PaperNumber, TypedCharactersByUnitAndRange) {
    CPaperNumber n = Field(0, CPaperNumber::Dots);
    EXPECT_TRUE(n.AcceptsText("123"));
    EXPECT_FALSE(n.Accepts('-'));
    EXPECT_FALSE(n.Accepts('.'));
    EXPECT_FALSE(n.Accepts(QChar(0x4E00)));
    EXPECT_TRUE(n.Accepts(QChar(8)));
    n.SetRange(-5, 5);
    EXPECT_TRUE(n.Accepts('-'));
    (void)n.SetUnit(CPaperNumber::Millimetres);
    EXPECT_TRUE(n.AcceptsText("-1.5"));
    EXPECT_FALSE(n.Accepts('e'));
}

TEST(PaperNumber, AResolutionOfZeroIsIgnored) {
    CPaperNumber n = Field(406, CPaperNumber::Inches);
    n.SetResolution(0);
    EXPECT_EQ(n.Resolution(), 203);
    EXPECT_EQ(n.Text(), "2.000");
}

TEST(PaperNunberEditEx, SettlesTheTextWhenTheFocusLeaves) {
    CPaperNunberEditEx edit;
    edit.Initialise(406, 203, 0, 65535);
    edit.SetUnit(CPaperNumber::Millimetres);
    EXPECT_EQ(edit.text(), "50.800");
    int committed = -1;
    QObject::connect(&edit, &CPaperNunberEditEx::valueCommitted, [&](int dots) { committed = dots; });

    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &in);
    edit.setText("50");
    QApplication::sendEvent(&edit, &out);
    EXPECT_EQ(edit.GetValue(), 399);
    EXPECT_EQ(committed, 399);

    QApplication::sendEvent(&edit, &in);
    edit.setText("");
    edit.CommitText();
    EXPECT_EQ(edit.text(), "50.800");
    EXPECT_EQ(edit.GetValue(), 406);

    edit.insert("x");
    EXPECT_EQ(edit.text(), "50.800");
}
