#include "app/NumberText.h"

#include <gtest/gtest.h>

#include <climits>

using quillory::ParseLeadingHex;
using quillory::ParseLeadingInt;

TEST(NumberText, DecimalTakesLeadingDigitsOnly) {
    EXPECT_EQ(ParseLeadingInt(u"12abc"), 12);
    EXPECT_EQ(ParseLeadingInt(u"abc"), 0);
    EXPECT_EQ(ParseLeadingInt(u""), 0);
    EXPECT_EQ(ParseLeadingInt(u"  -15"), -15);
    EXPECT_EQ(ParseLeadingInt(u"+7x"), 7);
    EXPECT_EQ(ParseLeadingInt(u"- 3"), 0);
    EXPECT_EQ(ParseLeadingInt(QByteArrayView("0042")), 42);
}

TEST(NumberText, DecimalClampsInsteadOfOverflowing) {
    EXPECT_EQ(ParseLeadingInt(u"99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseLeadingInt(u"-99999999999999999999"), INT_MIN);
    EXPECT_EQ(ParseLeadingInt(u"-2147483648"), INT_MIN);
}

TEST(NumberText, HexStopsAtFirstNonDigit) {
    EXPECT_EQ(ParseLeadingHex("00B5"), 0xB5u);
    EXPECT_EQ(ParseLeadingHex("abcd\r\n"), 0xABCDu);
    EXPECT_EQ(ParseLeadingHex("zz"), 0u);
    EXPECT_EQ(ParseLeadingHex(""), 0u);
    EXPECT_EQ(ParseLeadingHex("123456789abcdef"), 0xFFFFFFFFu);
}
