// Signed EEPROM fields hold their value as the print-settings side reads and writes the same word,
// so a value set on one screen reads back unchanged on the other.
#include "eeprom/ParameterControls.h"
#include "eeprom/ParameterTables.h"
#include "instruction/Commands.h"
#include "settings/SettingsScreenRules.h"
#include "sim/SimConversions.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

// The bits a bit-field write leaves in the printer for a stored value.
unsigned FieldBits(const BitParameter& p, int stored) {
    return DecodeBits(EncodeBits(0, p.first, p.last, unsigned(stored)), p.first, p.last);
}

} // namespace

TEST(SignedEepromFields, EverySignedFieldRoundTripsThroughThePrintSettingsRule) {
    int signedFields = 0;
    for (const int language : {0, 1, 2, 3, 4}) {
        for (const EepromControlRow& row : EepromControls(language)) {
            if (row.kind != EepromControlKind::Number || row.minimum >= 0)
                continue;
            ++signedFields;
            for (int value = row.minimum; value <= row.maximum; ++value) {
                const int stored = EepromValueOfPosition(row.conversion, value);
                if (language == 3) {
                    // VKLA whole words: two's complement out, the settings screen's rule back.
                    const MaskParameter& p = VklaParameters()[row.entry];
                    ASSERT_TRUE(p.signedWord) << int(row.entry);
                    const unsigned word = MaskedValue(stored, p.mask);
                    EXPECT_EQ(VklaOffsetShown(int(word)), value);
                    std::vector<std::uint16_t> image(kVklaWordCount, 0);
                    image[p.address] = std::uint16_t(word);
                    EXPECT_EQ(DecodeParameters(3, image)[row.entry], value);
                    continue;
                }
                // The page's value as the printer keeps its bits, read as the settings read does.
                const BitParameter& p = BitParameters(language)[row.entry];
                ASSERT_EQ(row.conversion, EepromConversion::OffsetByte) << language << " " << int(row.entry);
                const unsigned bits = FieldBits(p, stored);
                EXPECT_EQ(SignedByteOffset(bits), value) << value;
                // And what the settings apply leaves in the printer, shown on the page.
                const auto byte = sim::SignedByteFromAdjustment(value);
                ASSERT_TRUE(byte);
                EXPECT_EQ(EepromPositionOfValue(row.conversion, int(*byte)), value);
            }
        }
    }
    // VKLT's tear-off and VKLA's three print adjustments.
    EXPECT_EQ(signedFields, 4);
}

TEST(SignedEepromFields, TheVkltTearOffGoesOutAsThePrinterKeepsIt) {
    const EepromControlRow& row = EepromControls(2)[9];
    const BitParameter& p = BitParameters(2)[9];
    EXPECT_EQ(WnWriteBitsCommand(AddressText(p.address), p.first, p.last,
                                 EepromValueOfPosition(row.conversion, -5)),
              QByteArray("~WN00@eep,w,01,85,0,7\r,\n"));
    EXPECT_EQ(EepromPositionOfValue(row.conversion, 0x85), -5);
    EXPECT_EQ(EepromPositionOfValue(row.conversion, 120), 120);
    // The unsigned one-byte fields of VKLZ and VKLC show the byte as it stands.
    EXPECT_EQ(EepromControls(0)[9].conversion, EepromConversion::None);
    EXPECT_EQ(EepromControls(4)[10].conversion, EepromConversion::None);
}
