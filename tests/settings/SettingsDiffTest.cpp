// Field-by-field comparison of print-settings records.
#include "settings/SettingsDiff.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

const FieldDifference* Find(const Comparison& c, const char* key) {
    for (const FieldDifference& d : c.differences)
        if (d.key == QLatin1String(key))
            return &d;
    return nullptr;
}

TEST(SettingsDiff, EqualRecordsIgnoringFirmwareAndClock) {
    VKLZSettings a;
    a.PaperHeight = 800;
    VKLZSettings b = a;
    b.FirmwareVersion = QStringLiteral("V2.1");
    b.SetClock = 1;
    b.SetClockMethod = 1;
    b.ClockText = QStringLiteral("01,02,2026,10,00,00,M");
    const Comparison c = CompareSettings(a, b);
    EXPECT_TRUE(c.comparable);
    EXPECT_TRUE(c.Equal());
    EXPECT_FALSE(c.WrittenDiffer());
}

TEST(SettingsDiff, DifferencesInRecordOrderWithCaptionsUnitsAndListEntries) {
    VKLZSettings a;
    a.Unit = 2; // millimetres
    a.PaperHeight = 800;
    a.PrintType = 0;
    a.PrintDarkness = 10;
    VKLZSettings b = a;
    b.Unit = 0;
    b.PaperHeight = 812;
    b.PrintType = 1;
    b.PrintDarkness = 12;
    const Comparison c = CompareSettings(a, b, 2);
    ASSERT_EQ(c.differences.size(), 4u);
    EXPECT_EQ(c.differences[0].key, "Unit");
    EXPECT_EQ(c.differences[1].key, "PrintType");
    EXPECT_EQ(c.differences[2].key, "PaperHeight");
    EXPECT_EQ(c.differences[3].key, "PrintDarkness");
    // Each side in its own display unit.
    EXPECT_EQ(c.differences[2].left, "100.099 mm (800 dots)");
    EXPECT_EQ(c.differences[2].right, "812 dots");
    EXPECT_FALSE(c.differences[2].caption.isEmpty());
    EXPECT_TRUE(c.differences[1].left.endsWith(" (0)")) << c.differences[1].left.toStdString();
    EXPECT_GT(c.differences[1].left.size(), 4);
    EXPECT_EQ(c.differences[3].left, "10");
    // The unit is a display choice on this language: never sent, so never verifiable.
    EXPECT_FALSE(c.differences[0].written);
    EXPECT_TRUE(c.differences[2].written);
    EXPECT_TRUE(c.WrittenDiffer());
}

TEST(SettingsDiff, ResolutionAndUnitOnlyDifferencesAreNotWritten) {
    VKLTSettings a;
    VKLTSettings b;
    b.DPI = 300;
    b.Unit = 1;
    const Comparison c = CompareSettings(a, b);
    ASSERT_EQ(c.differences.size(), 2u);
    EXPECT_FALSE(c.WrittenDiffer());
    EXPECT_FALSE(c.Equal());

    VKLASettings va;
    VKLASettings vb;
    vb.Unit = 2;
    const Comparison vc = CompareSettings(va, vb);
    ASSERT_EQ(vc.differences.size(), 1u);
    EXPECT_TRUE(vc.differences[0].written); // VKLA keeps its unit in the printer
}

TEST(SettingsDiff, VklaOffsetsAndSpeedAsTheScreenShowsThem) {
    VKLASettings a;
    a.Unit = 2; // dots in VKLA's reversed list
    a.TearPaperPosition = 65535;
    a.PrintSpeed = 'E';
    VKLASettings b = a;
    b.TearPaperPosition = 5;
    b.PrintSpeed = 'C';
    const Comparison c = CompareSettings(a, b);
    const FieldDifference* tear = Find(c, "TearPaperPosition");
    ASSERT_TRUE(tear);
    EXPECT_EQ(tear->left, "-1 dots");
    EXPECT_EQ(tear->right, "5 dots");
    ASSERT_TRUE(Find(c, "PrintSpeed"));
    EXPECT_NE(Find(c, "PrintSpeed")->left, Find(c, "PrintSpeed")->right);
}

TEST(SettingsDiff, DifferentLanguagesAreNotComparable) {
    const Comparison c = CompareSettings(VKLZSettings{}, VKLESettings{});
    EXPECT_FALSE(c.comparable);
    EXPECT_FALSE(c.Equal());
    EXPECT_EQ(c.leftInstruction, 0);
    EXPECT_EQ(c.rightInstruction, 1);
}

} // namespace
