#include "eeprom/ParameterTables.h"

#include "settings/SettingsScreenRules.h"

#include <array>

namespace quillory {
namespace {

constexpr BitParameter B(std::uint8_t address, std::uint8_t first, std::uint8_t last) {
    return {address, first, last};
}

// VKLZ and VKLC share one table; VKLT differs in the two print position adjustments.
constexpr std::array<BitParameter, 30> kZcParameters{{
    B(0x0D, 0, 1),   B(0x1C, 0, 2),  B(0x1C, 4, 7),   B(0x1B, 0, 15), B(0x47, 0, 15), B(0x1E, 0, 15),
    B(0x21, 0, 15),  B(0x0F, 0, 15), B(0x12, 0, 7),   B(0x01, 0, 7),  B(0x01, 8, 15), B(0x0C, 0, 15),
    B(0x1C, 8, 8),   B(0x48, 0, 1),  B(0x1D, 12, 12), B(0x48, 2, 3),  B(0x1D, 4, 7),  B(0x1D, 0, 3),
    B(0x34, 12, 14), B(0x10, 0, 15), B(0x35, 0, 7),   B(0x36, 8, 15), B(0x06, 0, 15), B(0x11, 0, 15),
    B(0x20, 0, 3),   B(0x20, 4, 5),  B(0x20, 10, 11), B(0x20, 6, 7),  B(0x20, 8, 9),  B(0x2B, 0, 2),
}};

constexpr std::array<BitParameter, 30> MakeVkltParameters() {
    std::array<BitParameter, 30> table = kZcParameters;
    table[10] = B(0x5C, 0, 15);
    table[11] = B(0x83, 0, 15);
    return table;
}
constexpr std::array<BitParameter, 30> kVkltParameters = MakeVkltParameters();

constexpr std::array<BitParameter, 45> kVkleParameters{{
    B(0x0D, 0, 1),  B(0x1C, 0, 2),   B(0x1C, 4, 7),  B(0x1B, 0, 15),  B(0x47, 0, 15), B(0x1E, 0, 15),
    B(0x21, 0, 15), B(0x0F, 0, 15),  B(0x12, 0, 7),  B(0x01, 0, 7),   B(0x0C, 0, 15), B(0x01, 8, 15),
    B(0x56, 0, 15), B(0x1C, 8, 8),   B(0x48, 0, 1),  B(0x1D, 12, 12), B(0x48, 2, 3),  B(0x1D, 4, 7),
    B(0x1D, 0, 3),  B(0x34, 12, 14), B(0x10, 0, 15), B(0x35, 0, 7),   B(0x36, 8, 15), B(0x06, 0, 15),
    B(0x11, 0, 15), B(0x20, 0, 3),   B(0x20, 4, 5),  B(0x20, 10, 11), B(0x20, 6, 7),  B(0x20, 8, 9),
    B(0x2B, 0, 2),  B(0x50, 0, 0),   B(0x51, 8, 8),  B(0x53, 8, 15),  B(0x53, 0, 7),  B(0x58, 0, 7),
    B(0x5A, 0, 15), B(0x51, 0, 7),   B(0x5B, 0, 15), B(0x5C, 0, 15),  B(0x58, 8, 9),  B(0x57, 1, 1),
    B(0x57, 2, 2),  B(0x57, 0, 0),   B(0x59, 0, 2),
}};

// Entry 20 (back-feed before printing) is shown but never written by these languages.
constexpr std::array<std::uint8_t, 29> kZctWriteOrder{
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 19, 18, 21, 22, 23, 24, 25, 26, 27, 28, 29};
// VKLE never writes entry 21 (back-feed before printing).
constexpr std::array<std::uint8_t, 44> kVkleWriteOrder{
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  11, 10, 12, 13, 14, 15, 16, 17, 18, 20, 19, 22,
    23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44};

constexpr MaskParameter M(std::uint8_t address, std::uint16_t mask) {
    return {address, mask};
}
constexpr MaskParameter W(std::uint8_t address) {
    return {address, 0xFFFF};
}
constexpr MaskParameter S(std::uint8_t address) {
    return {address, 0xFFFF, false, true};
}

constexpr std::array<MaskParameter, 82> kVklaParameters{{
    M(0x1E, 0x0003),
    M(0x1D, 0x0040),
    M(0x1D, 0x0080),
    M(0x1D, 0x0030),
    W(0x44),
    W(0x00),
    W(0x01),
    W(0x0F),
    W(0x12),
    M(0x32, 0x0008),
    M(0x31, 0x0001),
    M(0x30, 0x0002),
    M(0x1E, 0x0004),
    W(0x54),
    M(0x32, 0x0002),
    M(0x30, 0x0010),
    M(0x1E, 0x0020),
    M(0x31, 0x0010),
    M(0x1E, 0x0040),
    M(0x1E, 0x0080),
    M(0x30, 0x0008),
    M(0x1D, 0x0008),
    S(0x18),
    W(0x19),
    W(0x1A),
    S(0x1C),
    S(0x1B),
    W(0x04),
    W(0x02),
    M(0x55, 0x0003),
    W(0x21),
    M(0x20, 0x0008),
    M(0x20, 0x0080),
    M(0x20, 0x0030),
    M(0x20, 0x0040),
    M(0x33, 0x0002),
    M(0x32, 0x0004),
    M(0x31, 0x0040),
    {0x5C, 0xFFFF, false, false, true},
    M(0x31, 0x0004),
    M(0x30, 0x0004),
    M(0x1F, 0x0002),
    M(0x31, 0x0002),
    M(0x32, 0x0001),
    W(0x23),
    W(0x24),
    W(0x25),
    W(0x40),
    W(0x10),
    W(0x11),
    W(0x28),
    {0x00, 0x0000, true},
    M(0x31, 0x0020),
    M(0x1E, 0x0008),
    W(0x2A),
    W(0x37),
    W(0x36),
    W(0x35),
    W(0x34),
    W(0x3A),
    W(0x3B),
    W(0x39),
    W(0x38),
    W(0x42),
    W(0x41),
    M(0x1F, 0x0040),
    M(0x1D, 0x0002),
    M(0x1F, 0x0080),
    M(0x1F, 0x0010),
    W(0x07),
    W(0x08),
    W(0x09),
    W(0x06),
    W(0x05),
    W(0x15),
    W(0x16),
    W(0x14),
    W(0x2B),
    W(0x2C),
    W(0x27),
    W(0x26),
    M(0x1F, 0x0008),
}};
static_assert(kVklaParameters[kVklaIdTextEntry].isText);
static_assert(kVklaParameters[38].lowerCaseAddress && kVklaParameters[38].address == 0x5C);
static_assert(kVklaParameters[81].address == 0x1F && kVklaParameters[81].mask == 0x0008);

} // namespace

std::span<const BitParameter> BitParameters(int instructionIndex) {
    switch (instructionIndex) {
    case 1:
        return kVkleParameters;
    case 2:
        return kVkltParameters;
    case 0:
    case 4:
        return kZcParameters;
    default:
        return {};
    }
}

std::span<const std::uint8_t> BitWriteOrder(int instructionIndex) {
    switch (instructionIndex) {
    case 1:
        return kVkleWriteOrder;
    case 0:
    case 2:
    case 4:
        return kZctWriteOrder;
    default:
        return {};
    }
}

std::span<const MaskParameter> VklaParameters() {
    return kVklaParameters;
}

int ParameterCount(int instructionIndex) {
    return instructionIndex == 3 ? int(kVklaParameters.size()) : int(BitParameters(instructionIndex).size());
}

std::vector<int> DecodeParameters(int instructionIndex, std::span<const std::uint16_t> image) {
    const auto word = [&](unsigned address) -> unsigned {
        return address < image.size() ? image[address] : 0u;
    };
    std::vector<int> values;
    if (instructionIndex == 3) {
        for (const MaskParameter& p : kVklaParameters) {
            if (p.isText) {
                values.push_back(0);
                continue;
            }
            const unsigned v = DecodeMask(word(p.address), p.mask);
            // Signed words read as the print-settings screen shows the same words.
            values.push_back(p.signedWord ? VklaOffsetShown(int(v)) : int(v));
        }
        return values;
    }
    for (const BitParameter& p : BitParameters(instructionIndex))
        values.push_back(int(DecodeBits(word(p.address), p.first, p.last)));
    return values;
}

} // namespace quillory
