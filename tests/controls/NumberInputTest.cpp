#include "controls/NumberInputEdit.h"

#include <QApplication>
#include <QFocusEvent>

#include <gtest/gtest.h>

using namespace quillory;
using Rules = CNumberInputRules;

TEST(NumberInputRules, FormatsByModeAndTextLimit) {
    Rules hex(Rules::Hexadecimal, 0, 0xFFFF, 0);
    EXPECT_EQ(hex.Format(26, 4), "001a");
    EXPECT_EQ(hex.Format(26, 8), "0000001a");
    EXPECT_EQ(hex.Parse("001a"), 26);
    EXPECT_EQ(hex.Parse("FFFF"), 0xFFFF);

    Rules dec(Rules::Decimal, -100, 100, 0);
    EXPECT_EQ(dec.Format(26, 4), "0026");
    EXPECT_EQ(dec.Format(26, 10), "00000026");
    EXPECT_EQ(dec.Format(-5, 4), "-005");
    EXPECT_EQ(dec.Parse("0026"), 26);

    Rules point(Rules::DecimalPoint, 0, 1000, 0);
    EXPECT_EQ(point.Format(12, 4), "");
    EXPECT_EQ(point.Parse("12.9"), 12);
    EXPECT_EQ(point.Parse("3.5.7"), 3);
    EXPECT_EQ(point.Parse(""), 0);
}

TEST(NumberInputRules, ValuesOutsideTheRangeAreNotShown) {
    Rules hex(Rules::Hexadecimal, 0x10, 0xFF, 0);
    EXPECT_FALSE(hex.TextForValue(0x0F, 4));
    EXPECT_FALSE(hex.TextForValue(0x100, 4));
    EXPECT_EQ(hex.TextForValue(0xFF, 4), "00ff");
}

TEST(NumberInputRules, TypedCharactersByMode) {
    Rules r;
    EXPECT_TRUE(r.AcceptsText("09afAF"));
    EXPECT_FALSE(r.Accepts('g'));
    EXPECT_FALSE(r.Accepts('.'));
    EXPECT_TRUE(r.Accepts(QChar(8))); // backspace
    r.SetMode(Rules::Decimal);
    EXPECT_FALSE(r.Accepts('a'));
    EXPECT_FALSE(r.Accepts('.'));
    EXPECT_FALSE(r.Accepts('-')) << "no sign while the range stays at or above zero";
    r.SetRange(-99, 99);
    EXPECT_TRUE(r.AcceptsText("-42"));
    EXPECT_FALSE(r.AcceptsText("4-2"));
    EXPECT_FALSE(r.AcceptsText("--2"));
    EXPECT_EQ(r.Parse("-042"), -42);
    r.SetMode(Rules::DecimalPoint);
    EXPECT_TRUE(r.AcceptsText("12.5"));
    EXPECT_FALSE(r.Accepts('-'));
}

TEST(NumberInputEdit, ShowsValuesAndRefillsAnEmptiedField) {
    CNumberInputEdit edit;
    edit.SetValue(26);
    EXPECT_EQ(edit.text(), "001a");
    edit.SetValue(0x10000); // beyond the default range: ignored
    EXPECT_EQ(edit.text(), "001a");
    EXPECT_EQ(edit.GetValue(), 26);

    edit.clear();
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &out);
    EXPECT_EQ(edit.text(), "0000");

    edit.setMaxLength(8);
    edit.SetMode(Rules::Decimal);
    edit.SetRange(5, 99);
    edit.clear();
    QApplication::sendEvent(&edit, &out);
    EXPECT_EQ(edit.text(), "00000005");
}

TEST(NumberInputEdit, PastedTextWithAForeignCharacterIsRefused) {
    CNumberInputEdit edit;
    edit.SetMode(Rules::Decimal);
    edit.setMaxLength(8);
    edit.setText("12");
    edit.end(false);
    edit.insert("3.5");
    EXPECT_EQ(edit.text(), "12");
    edit.insert("35");
    EXPECT_EQ(edit.text(), "1235");
}
