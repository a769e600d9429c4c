#pragma once

#include <QString>

#include <cstdint>
#include <span>

namespace quillory {

// The controls of the EEPROM pages, one row per parameter entry: which page and control shows
// it, what kind of control, its initial value and range, how a list position becomes the stored
// value, and whether its caption explains the word address in a tooltip. The EEPROM pages are
// built from these rows; ParameterTables.h holds the addresses and bit fields of the same entries.

enum class EepromControlKind : std::uint8_t {
    List,           // drop-down list; the value is the position (see EepromConversion)
    Number,         // whole-number field
    ReadOnlyNumber, // shown, never edited
    Text,           // the VKLA printer name (ID text)
};

enum class EepromConversion : std::uint8_t {
    None,       // value = position
    PlusOne,    // value = position + 1 (VKLA baud rate)
    VklaParity, // position 0 is 0, position p above 0 is p + 1
    PlusSeven,  // value = position + 7 (VKLE character data length)
    // Number fields: a signed one-byte adjustment kept as the print-settings read takes it, a
    // negative value as 128 minus it (VKLT tear-off), so both screens show the same number.
    OffsetByte,
};

// Lists whose entries are fixed numbers the page fills itself; the others come from the
// language file.
enum class EepromFixedList : std::uint8_t {
    None,
    BaudRates, // 9600, 110, 300 ... 115200 (VKLZ, VKLC, VKLT)
};

struct EepromControlRow {
    std::uint8_t entry;
    std::uint8_t page; // 1-based
    std::uint16_t id;
    EepromControlKind kind;
    std::int32_t initial = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0xFFFF; // the number field's own range unless the row narrows it
    EepromConversion conversion = EepromConversion::None;
    bool tip = false;
    EepromFixedList fixedList = EepromFixedList::None;
};

// The rows of a command language (0 VKLZ, 1 VKLE, 2 VKLT, 3 VKLA, 4 VKLC), in entry order.
[[nodiscard]] std::span<const EepromControlRow> EepromControls(int instructionIndex);
// 3 for VKLA, 2 for the others, 0 for an unknown index.
[[nodiscard]] int EepromPageCount(int instructionIndex);

// VKLA page 3 also holds a mark-threshold field that nothing fills or reads.
inline constexpr int kVklaHiddenFieldId = 1085;
// The printer-name field takes at most this many characters.
inline constexpr int kVklaIdTextChars = 10;

[[nodiscard]] std::span<const char* const> EepromFixedListTexts(EepromFixedList list);

// The stored value of a list position (or of the number a field shows) and the position (or the
// number shown) of a stored value, which may lie outside the list: the caller shows no selection
// then.
[[nodiscard]] int EepromValueOfPosition(EepromConversion conversion, int position);
[[nodiscard]] int EepromPositionOfValue(EepromConversion conversion, int value);

// Whether WriteEeprom sends the entry; entries it never sends are shown read-only.
[[nodiscard]] bool EepromEntryWritten(int instructionIndex, int entry);
// "0x" and the entry's word address in two upper-case hex digits, e.g. "0x1E"; empty for the
// text entry.
[[nodiscard]] QString EepromAddressTip(int instructionIndex, int entry);

} // namespace quillory
