#pragma once

#include <QByteArray>

#include <cstdint>
#include <span>
#include <vector>

namespace quillory {

// One EEPROM parameter of the four languages that address bit fields (VKLZ, VKLC, VKLT, VKLE):
// bits first..last of word `address`, read and written alike.
struct BitParameter {
    std::uint8_t address;
    std::uint8_t first;
    std::uint8_t last;
};

// One VKLA parameter: a 16-bit mask of one word. A text entry (the ID text) has no word.
struct MaskParameter {
    std::uint8_t address;
    std::uint16_t mask;
    bool isText = false;
    bool signedWord = false;       // whole-word values that hold negative numbers
    bool lowerCaseAddress = false; // the address travels in lower case when written
};

// Parameter tables by command-language index (0 VKLZ, 1 VKLE, 2 VKLT, 4 VKLC).
[[nodiscard]] std::span<const BitParameter> BitParameters(int instructionIndex);
// Order in which WriteEeprom sends the entries (entries left out are never written).
[[nodiscard]] std::span<const std::uint8_t> BitWriteOrder(int instructionIndex);

[[nodiscard]] std::span<const MaskParameter> VklaParameters();
inline constexpr int kVklaIdTextEntry = 51;
inline constexpr int kVklaWordCount = 126;
inline constexpr int kWnWordCount = 256;

// Bits first..last of word, shifted down.
[[nodiscard]] constexpr unsigned DecodeBits(unsigned word, unsigned first, unsigned last) {
    const unsigned width = last - first + 1;
    const unsigned mask = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u;
    return (word >> first) & mask;
}

// word with bits first..last replaced by value (extra value bits are dropped).
[[nodiscard]] constexpr std::uint16_t EncodeBits(std::uint16_t word, unsigned first, unsigned last,
                                                 unsigned value) {
    const unsigned width = last - first + 1;
    const unsigned mask = (width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u) << first;
    return std::uint16_t((word & ~mask) | ((value << first) & mask));
}

[[nodiscard]] constexpr unsigned MaskShift(std::uint16_t mask) {
    unsigned shift = 0;
    while (shift < 16 && !(mask & (1u << shift)))
        ++shift;
    return shift;
}

// (word AND mask) shifted right by the mask's trailing zero bits.
[[nodiscard]] constexpr unsigned DecodeMask(unsigned word, std::uint16_t mask) {
    return (word & mask) >> MaskShift(mask);
}

// The value as it goes out under a mask: negative numbers as 16-bit two's complement, shifted
// into the mask's position.
[[nodiscard]] constexpr unsigned MaskedValue(int value, std::uint16_t mask) {
    const unsigned v = value < 0 ? unsigned(value + 65536) : unsigned(value);
    return (v << MaskShift(mask)) & mask;
}

// Decodes a whole image into the parameter array of a language (VKLA's text entry stays 0).
[[nodiscard]] std::vector<int> DecodeParameters(int instructionIndex, std::span<const std::uint16_t> image);
// The parameter array length of a language: 30, 45 or 82.
[[nodiscard]] int ParameterCount(int instructionIndex);

} // namespace quillory
