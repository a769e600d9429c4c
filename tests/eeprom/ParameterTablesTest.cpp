#include "eeprom/ParameterTables.h"
#include "eeprom/EepromFile.h"

#include <gtest/gtest.h>

using namespace quillory;

TEST(ParameterTables, SizesAndWriteOrders) {
    EXPECT_EQ(ParameterCount(0), 30);
    EXPECT_EQ(ParameterCount(1), 45);
    EXPECT_EQ(ParameterCount(2), 30);
    EXPECT_EQ(ParameterCount(3), 82);
    EXPECT_EQ(ParameterCount(4), 30);
    EXPECT_EQ(BitWriteOrder(0).size(), 29u);
    EXPECT_EQ(BitWriteOrder(1).size(), 44u);
    // Swapped pairs, and the entries never written.
    const auto z = BitWriteOrder(0);
    EXPECT_EQ(z[18], 19);
    EXPECT_EQ(z[19], 18);
    EXPECT_EQ(std::count(z.begin(), z.end(), 20), 0);
    const auto e = BitWriteOrder(1);
    EXPECT_EQ(e[10], 11);
    EXPECT_EQ(e[11], 10);
    EXPECT_EQ(std::count(e.begin(), e.end(), 21), 0);
}

TEST(ParameterTables, BitFieldsDecodeAsThePrinterStoresThem) {
    std::array<std::uint16_t, 256> image{};
    image[0x20] = 0x0A48;
    image[0x1D] = 0x1234;
    const std::vector<int> z = DecodeParameters(0, image);
    EXPECT_EQ(z[24], 8); // baud rate position "38400"
    EXPECT_EQ(z[25], 0); // data length
    EXPECT_EQ(z[27], 1); // parity
    EXPECT_EQ(z[28], 2); // stop bits
    EXPECT_EQ(z[26], 2); // handshake
    EXPECT_EQ(z[16], 3); // word 1D bits 4-7

    // VKLT keeps its adjustments in whole words 5C and 83; VKLZ and VKLC in word 01 and 0C.
    image[0x01] = 0x1234;
    image[0x5C] = 777;
    image[0x83] = 65535;
    EXPECT_EQ(DecodeParameters(2, image)[10], 777);
    EXPECT_EQ(DecodeParameters(2, image)[11], 65535);
    EXPECT_EQ(DecodeParameters(4, image)[10], 0x12);
    EXPECT_EQ(DecodeParameters(4, image)[9], 0x34);

    // Back-feed after cutting is the high byte of 36 in every language.
    image[0x36] = 0x3219;
    for (int language : {0, 2, 4})
        EXPECT_EQ(DecodeParameters(language, image)[21], 0x32) << language;
    EXPECT_EQ(DecodeParameters(1, image)[22], 0x32);
    // VKLE sensor selection reads all three bits it writes.
    image[0x2B] = 0x0005;
    EXPECT_EQ(DecodeParameters(1, image)[30], 5);
}

TEST(ParameterTables, MasksDecodeShiftedAndSignedWordsKeepTheirSign) {
    std::array<std::uint16_t, 126> image{};
    image[0x1D] = 0x00B5;
    image[0x18] = 65531;
    image[0x19] = 65531;
    image[0x21] = 3;
    const std::vector<int> a = DecodeParameters(3, image);
    EXPECT_EQ(a[3], 3);      // mask 0030
    EXPECT_EQ(a[1], 0);      // mask 0040 of 0xB5
    EXPECT_EQ(a[2], 1);      // mask 0080
    EXPECT_EQ(a[22], -5);    // tear-off adjustment -99..99
    EXPECT_EQ(a[23], 65531); // peel-off adjustment 0..199 is unsigned
    EXPECT_EQ(a[30], 3);     // baud rate word as stored
    EXPECT_EQ(MaskedValue(2, 0x0030), 0x20u);
    EXPECT_EQ(MaskedValue(-8, 0xFFFF), 0xFFF8u);
    EXPECT_EQ(EncodeBits(0xFFFF, 8, 15, 0x0A), 0x0AFF);
    EXPECT_EQ(EncodeBits(0x0000, 4, 5, 7), 0x0030); // extra value bits are dropped
}

TEST(EepromFileLayout, VklaHas118WordLinesTheIdLineAndTheEnd) {
    VklaImage image{};
    image[0x1E] = 0x0123;
    const QByteArray file = BuildVklaEepromFile(image, "PRN-7");
    EXPECT_EQ(file.size(), 118 * 11 + (5 + 12) + 12);
    EXPECT_TRUE(file.contains(QByteArray("\x02KE1e0123\r\n")));
    for (const char* missing : {"\x02KE0a", "\x02KE0d", "\x02KE3e", "\x02KE3f", "\x02KE76", "\x02KE77"})
        EXPECT_FALSE(file.contains(missing)) << missing;
    EXPECT_TRUE(file.endsWith(QByteArray("\x1bsBE\x92\x99\x1dICPRN-7\0\r\n\x02&05000100\x92\x99", 29)));
}

TEST(EepromFileLayout, VklaLoadBringsBackTheWholeIdTextAndKeepsSkippedWords) {
    VklaImage image{};
    for (int a = 0; a < 126; ++a)
        image[std::size_t(a)] = std::uint16_t(a * 3);
    const QByteArray id40(40, 'N');
    const QByteArray file = BuildVklaEepromFile(image, id40);
    VklaImage loaded{};
    loaded[0x0B] = 0xBEEF;
    QByteArray idText;
    ParseVklaEepromFile(file, loaded, idText);
    EXPECT_EQ(idText, id40);
    EXPECT_EQ(loaded[0x0B], 0xBEEF);
    EXPECT_EQ(loaded[0x7D], 0x7D * 3);
    // Saved after the load: the same file, so a restore writes back the name the printer had.
    EXPECT_EQ(BuildVklaEepromFile(loaded, idText), file);
}

TEST(EepromFileLayout, OverlongLinesShiftLikeAFixedLineBuffer) {
    // A 40-byte line is read as two lines; the word after it comes from the rest of the long line.
    QByteArray data = "~WN00@eep,w,00,1111" + QByteArray(21, 'x') + "\r\n~WN00@eep,w,01,2222\r\n";
    WnImage image{};
    PrinterNameTexts names;
    ParseWnEepromFile(data, image, names);
    EXPECT_EQ(image[0], 0x1111);
    EXPECT_EQ(image[1], 0); // "xxx..." has no hex at position 15
    EXPECT_EQ(image[2], 0x2222);
}
