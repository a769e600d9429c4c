#include "settings/SettingsScreenRules.h"

#include <gtest/gtest.h>

using namespace quillory;

TEST(SettingsScreenRules, VklaSpeedCodesAndPositions) {
    EXPECT_EQ(VklaSpeedPosition(0), 0);
    EXPECT_EQ(VklaSpeedPosition('C'), 0);
    EXPECT_EQ(VklaSpeedPosition('E'), 2);
    EXPECT_EQ(VklaSpeedPosition('K'), 8);
    EXPECT_EQ(VklaSpeedPosition('L'), 9);
    EXPECT_EQ(VklaSpeedPosition(200), 9);
    for (int p = 0; p < kVklaSpeedPositions; ++p)
        EXPECT_EQ(VklaSpeedPosition(VklaSpeedCode(p)), p);
    EXPECT_EQ(VklaSpeedCode(9), 'L');
}

TEST(SettingsScreenRules, VklaOffsetsAboveTheSignedRangeAreNegative) {
    EXPECT_EQ(VklaOffsetShown(65531), -5);
    EXPECT_EQ(VklaOffsetShown(65535), -1);
    EXPECT_EQ(VklaOffsetShown(55537), -9999);
    EXPECT_EQ(VklaOffsetShown(55536), 55536);
    EXPECT_EQ(VklaOffsetShown(-5), -5);
    EXPECT_EQ(VklaOffsetShown(70000), 70000);
}

TEST(SettingsScreenRules, ClockTextAndUnitPositions) {
    const QDateTime time(QDate(2015, 3, 7), QTime(14, 5, 9));
    EXPECT_EQ(ClockText(time, ",M"), "03,07,2015,14,05,09,M");
    EXPECT_EQ(ClockText(time, {}), "03,07,2015,14,05,09");
    EXPECT_EQ(FieldUnitOfPosition(0, true), 2);
    EXPECT_EQ(FieldUnitOfPosition(2, true), 0);
    EXPECT_EQ(FieldUnitOfPosition(1, false), 1);
}
