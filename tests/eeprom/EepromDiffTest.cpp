// Parameter-by-parameter comparison of EEPROM images and files.
#include "eeprom/EepromDiff.h"
#include "eeprom/ParameterTables.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

WnImage SampleImage() {
    WnImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = std::uint16_t(i * 7);
    return image;
}

TEST(EepromDiff, ImageAndItsFileCompareEqual) {
    const WnImage image = SampleImage();
    PrinterNameTexts names{"P1", "Z1", "TPH"};
    const QByteArray file = BuildWnEepromFile(image, names, true);
    const Comparison c =
        CompareEeprom(EepromValuesOfImage(0, image, {}, names), EepromValuesOfFile(0, file), 2);
    EXPECT_TRUE(c.Equal());

    VklaImage vimage{};
    vimage[0x1D] = 0x00C0;
    const QByteArray vfile = BuildVklaEepromFile(vimage, "LINE-7");
    EXPECT_TRUE(
        CompareEeprom(EepromValuesOfImage(3, vimage, "LINE-7"), EepromValuesOfFile(3, vfile), 2).Equal());
}

TEST(EepromDiff, ListEntryWithCaptionAndPageText) {
    const WnImage image = SampleImage();
    EepromValues a = EepromValuesOfImage(0, image);
    EepromValues b = a;
    b.parameters[0] = a.parameters[0] == 0 ? 1 : 0;
    const Comparison c = CompareEeprom(a, b, 2);
    ASSERT_EQ(c.differences.size(), 1u);
    const FieldDifference& d = c.differences[0];
    EXPECT_EQ(d.key, EepromParameterKey(0, 0));
    EXPECT_FALSE(d.caption.isEmpty());
    EXPECT_FALSE(d.caption.endsWith(':'));
    // The list entry's text and the stored value.
    EXPECT_TRUE(d.right.contains("Thermal") || d.right.contains("thermal")) << d.right.toStdString();
    EXPECT_TRUE(d.written);
}

TEST(EepromDiff, EntriesNeverWrittenAndNameTextsAreMarked) {
    EepromValues a = EepromValuesOfImage(1, SampleImage());
    EepromValues b = a;
    b.parameters[21] += 1; // VKLE never writes its back-feed entry
    b.parameters[3] += 1;
    b.names.printerName = "other";
    const Comparison c = CompareEeprom(a, b, 2);
    ASSERT_EQ(c.differences.size(), 3u);
    EXPECT_EQ(c.differences[0].key, EepromParameterKey(1, 3));
    EXPECT_TRUE(c.differences[0].written);
    EXPECT_EQ(c.differences[1].key, EepromParameterKey(1, 21));
    EXPECT_FALSE(c.differences[1].written);
    EXPECT_EQ(c.differences[2].key, "PrinterName");
    EXPECT_FALSE(c.differences[2].written);
    EXPECT_TRUE(c.WrittenDiffer());
}

TEST(EepromDiff, VklaIdTextAndSignedWords) {
    VklaImage image{};
    EepromValues a = EepromValuesOfImage(3, image, "A");
    EepromValues b = EepromValuesOfImage(3, image, "B");
    Comparison c = CompareEeprom(a, b, 2);
    ASSERT_EQ(c.differences.size(), 1u);
    EXPECT_EQ(c.differences[0].key, "IDText");
    EXPECT_EQ(c.differences[0].left, "A");
    EXPECT_TRUE(c.differences[0].written);

    // A signed whole word shows the number it stands for.
    int signedEntry = -1;
    const auto table = VklaParameters();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].signedWord) {
            signedEntry = int(i);
            image[table[i].address] = 0xFFFF;
            break;
        }
    ASSERT_GE(signedEntry, 0);
    c = CompareEeprom(EepromValuesOfImage(3, VklaImage{}), EepromValuesOfImage(3, image), 2);
    ASSERT_FALSE(c.differences.empty());
    EXPECT_EQ(c.differences[0].right, "-1");
}

TEST(EepromDiff, KeysAndLanguages) {
    EXPECT_EQ(EepromParameterKey(3, kVklaIdTextEntry), "IDText");
    EXPECT_TRUE(EepromParameterKey(3, 0).contains('&'));
    EXPECT_TRUE(EepromParameterKey(0, 0).contains(':'));
    EXPECT_TRUE(EepromParameterKey(0, 999).isEmpty());
    const Comparison c =
        CompareEeprom(EepromValuesOfImage(0, SampleImage()), EepromValuesOfImage(4, SampleImage()), 2);
    EXPECT_FALSE(c.comparable);
}

} // namespace
