#include "eeprom/ParameterControls.h"

#include "eeprom/ParameterTables.h"
#include "instruction/Commands.h"

#include <algorithm>
#include <array>

namespace quillory {
namespace {

using Kind = EepromControlKind;
using Conv = EepromConversion;

constexpr EepromControlRow List(int entry, int page, int id, bool tip, Conv conversion = Conv::None,
                                EepromFixedList fixed = EepromFixedList::None) {
    return {std::uint8_t(entry),
            std::uint8_t(page),
            std::uint16_t(id),
            Kind::List,
            0,
            0,
            0,
            conversion,
            tip,
            fixed};
}
constexpr EepromControlRow Number(int entry, int page, int id, int initial, int minimum, int maximum,
                                  bool tip) {
    return {std::uint8_t(entry),
            std::uint8_t(page),
            std::uint16_t(id),
            Kind::Number,
            initial,
            minimum,
            maximum,
            Conv::None,
            tip};
}
// A number field with the field's own range.
constexpr EepromControlRow Number(int entry, int page, int id, int initial, bool tip) {
    return Number(entry, page, id, initial, 0, 0xFFFF, tip);
}
constexpr EepromControlRow ReadOnly(int entry, int page, int id, int initial, bool tip) {
    EepromControlRow row = Number(entry, page, id, initial, tip);
    row.kind = Kind::ReadOnlyNumber;
    return row;
}

// VKLZ, VKLC and VKLT show the same 30 entries with their own control ids.
struct SharedRow {
    EepromControlRow row; // id of the VKLZ page
    std::uint16_t vklcId;
    std::uint16_t vkltId;
};

constexpr bool kTip = true;
constexpr bool kNoTip = false;

constexpr std::array<SharedRow, 30> kSharedRows{{
    {List(0, 1, 1131, kTip), 1389, 1464},
    {List(1, 1, 1011, kTip), 1390, 1465},
    {List(2, 1, 1012, kNoTip), 1391, 1466},
    {Number(3, 1, 1165, 100, kTip), 1392, 1467},
    {Number(4, 1, 1028, 448, kTip), 1393, 1468},
    {Number(5, 1, 1029, 100, kTip), 1394, 1469},
    {Number(6, 1, 1030, 20, kTip), 1395, 1470},
    {Number(7, 1, 1031, 100, kTip), 1397, 1472},
    {Number(8, 1, 1027, 20, kTip), 1396, 1471},
    {Number(9, 1, 1166, 0, 0, 255, kTip), 1413, 1479},
    {Number(10, 1, 1014, 0, 0, 255, kNoTip), 1414, 1480},
    {Number(11, 1, 1016, 0, 0, 65535, kTip), 1415, 1481},
    {List(12, 1, 1020, kNoTip), 1407, 1473},
    {List(13, 1, 1022, kNoTip), 1409, 1475},
    {List(14, 1, 1023, kTip), 1410, 1476},
    {List(15, 1, 1132, kTip), 1408, 1474},
    {List(16, 1, 1133, kNoTip), 1411, 1477},
    {List(17, 1, 1134, kNoTip), 1412, 1478},
    {Number(18, 2, 1020, 0, 0, 7, kTip), 1429, 1495},
    {Number(19, 2, 1017, 100, 0, 400, kTip), 1428, 1494},
    {Number(20, 2, 1021, 0, 0, 100, kTip), 1430, 1496},
    {Number(21, 2, 1022, 0, 0, 100, kTip), 1431, 1497},
    {Number(22, 2, 1023, 20, 0, 65535, kTip), 1432, 1498},
    {Number(23, 2, 1026, 100, 0, 400, kTip), 1433, 1499},
    {List(24, 2, 1015, kTip, Conv::None, EepromFixedList::BaudRates), 1434, 1500},
    {List(25, 2, 1135, kNoTip), 1435, 1501},
    {List(26, 2, 1019, kNoTip), 1436, 1502},
    {List(27, 2, 1024, kNoTip), 1437, 1503},
    {List(28, 2, 1025, kNoTip), 1438, 1504},
    {List(29, 2, 1027, kTip), 1439, 1505},
}};

enum class Shared { Vklz, Vklc, Vklt };

constexpr std::array<EepromControlRow, 30> MakeShared(Shared language) {
    std::array<EepromControlRow, 30> rows{};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = kSharedRows[i].row;
        if (language == Shared::Vklc)
            rows[i].id = kSharedRows[i].vklcId;
        if (language == Shared::Vklt)
            rows[i].id = kSharedRows[i].vkltId;
    }
    if (language == Shared::Vklt) {
        // VKLT keeps its print position adjustments in whole words of their own, and its tear-off
        // adjustment signed as its print-settings read takes it.
        rows[9].minimum = -120;
        rows[9].maximum = 120;
        rows[9].conversion = EepromConversion::OffsetByte;
        rows[10].maximum = 9999;
        rows[10].tip = true;
        rows[11].maximum = 9999;
    }
    return rows;
}

constexpr auto kVklzRows = MakeShared(Shared::Vklz);
constexpr auto kVklcRows = MakeShared(Shared::Vklc);
constexpr auto kVkltRows = MakeShared(Shared::Vklt);

constexpr std::array<EepromControlRow, 45> kVkleRows{{
    List(0, 1, 1122, kTip),
    List(1, 1, 1123, kTip),
    List(2, 1, 1124, kNoTip),
    Number(3, 1, 1024, 100, 0, 65534, kTip),
    Number(4, 1, 1025, 448, 1, 65534, kTip),
    Number(5, 1, 1029, 100, 1, 65534, kTip),
    Number(6, 1, 1154, 20, 1, 65534, kTip),
    Number(7, 1, 1015, 100, 0, 400, kTip),
    Number(8, 1, 1155, 20, 0, 30, kTip),
    Number(9, 1, 1156, 0, 0, 255, kTip),
    Number(10, 1, 1158, 0, 0, 65535, kTip),
    Number(11, 1, 1157, 0, 0, 255, kNoTip),
    Number(12, 1, 1037, 0, 0, 65534, kTip),
    List(13, 1, 1026, kNoTip),
    List(14, 1, 1125, kTip),
    List(15, 1, 1030, kTip),
    List(16, 1, 1031, kNoTip),
    List(17, 1, 1032, kNoTip),
    List(18, 1, 1033, kNoTip),
    Number(19, 2, 1159, 0, 0, 7, kTip),
    Number(20, 1, 1160, 100, 0, 400, kTip),
    Number(21, 1, 1161, 0, 0, 100, kTip),
    Number(22, 1, 1162, 0, 0, 100, kTip),
    Number(23, 1, 1035, 20, kTip),
    Number(24, 1, 1036, 100, kTip),
    List(25, 2, 1014, kTip),
    List(26, 2, 1126, kNoTip),
    List(27, 2, 1018, kNoTip),
    List(28, 2, 1127, kNoTip),
    List(29, 2, 1128, kNoTip),
    List(30, 2, 1129, kTip),
    List(31, 2, 1013, kTip),
    List(32, 2, 1130, kTip),
    Number(33, 2, 1163, 0, kNoTip),
    List(34, 2, 1017, kTip, Conv::PlusSeven),
    Number(35, 2, 1030, 32, 32, 127, kTip),
    Number(36, 2, 1164, 0, kTip),
    Number(37, 2, 1032, 0, 0, 255, kNoTip),
    Number(38, 2, 1033, 0, kTip),
    Number(39, 2, 1034, 0, kTip),
    List(40, 2, 1039, kNoTip),
    List(41, 2, 1036, kTip),
    List(42, 2, 1035, kNoTip),
    List(43, 2, 1037, kNoTip),
    List(44, 2, 1038, kTip),
}};

constexpr std::array<EepromControlRow, 82> kVklaRows{{
    List(0, 1, 1028, kTip),
    List(1, 1, 1088, kTip),
    List(2, 1, 1089, kNoTip),
    List(3, 1, 1090, kNoTip),
    List(4, 1, 1021, kTip),
    Number(5, 1, 1091, 400, 0, 9999, kTip),
    Number(6, 1, 1140, 20, 1, 9999, kTip),
    Number(7, 1, 1142, 75, 13, 152, kTip),
    Number(8, 1, 1141, 18, 0, 30, kTip),
    List(9, 1, 1092, kTip),
    List(10, 1, 1093, kTip),
    List(11, 1, 1094, kTip),
    List(12, 1, 1095, kNoTip),
    List(13, 1, 1096, kTip),
    List(14, 1, 1097, kNoTip),
    List(15, 1, 1029, kNoTip),
    List(16, 1, 1098, kNoTip),
    List(17, 1, 1099, kNoTip),
    List(18, 2, 1100, kNoTip),
    List(19, 2, 1101, kNoTip),
    List(20, 1, 1034, kNoTip),
    List(21, 1, 1102, kNoTip),
    Number(22, 1, 1143, 0, -99, 99, kTip),
    Number(23, 1, 1144, 0, 0, 199, kTip),
    Number(24, 1, 1145, 0, 0, 199, kTip),
    Number(25, 1, 1211, 0, -99, 99, kTip),
    Number(26, 1, 1147, 0, -999, 999, kTip),
    Number(27, 1, 1148, 640, 8, 960, kTip),
    Number(28, 1, 1149, 2400, 1, 24576, kTip),
    List(29, 1, 1103, kTip),
    List(30, 2, 1104, kTip, Conv::PlusOne),
    List(31, 2, 1105, kTip),
    List(32, 2, 1106, kNoTip),
    List(33, 2, 1108, kNoTip, Conv::VklaParity),
    List(34, 2, 1107, kNoTip),
    List(35, 2, 1109, kTip),
    List(36, 2, 1016, kTip),
    List(37, 2, 1230, kTip),
    Number(38, 2, 1150, 83, kTip),
    List(39, 2, 1113, kNoTip),
    List(40, 2, 1114, kTip),
    List(41, 2, 1115, kTip),
    List(42, 2, 1116, kNoTip),
    List(43, 2, 1111, kNoTip),
    Number(44, 2, 1027, 66, 13, 254, kTip),
    Number(45, 2, 1028, 70, 13, 254, kTip),
    Number(46, 2, 1029, 64, 2, 64, kTip),
    Number(47, 2, 1030, 1, kTip),
    Number(48, 2, 1031, 75, 13, 152, kTip),
    Number(49, 2, 1032, 75, 13, 152, kTip),
    Number(50, 2, 1033, 173, kTip),
    {kVklaIdTextEntry, 2, 1034, Kind::Text},
    List(52, 2, 1117, kNoTip),
    List(53, 2, 1112, kTip),
    ReadOnly(54, 3, 1086, 0, kTip),
    Number(55, 3, 1087, 127, 1, 255, kTip),
    Number(56, 3, 1088, 127, 1, 255, kTip),
    Number(57, 3, 1089, 127, 1, 255, kTip),
    Number(58, 3, 1090, 127, 1, 255, kTip),
    Number(59, 3, 1094, 32, 1, 9999, kTip),
    Number(60, 3, 1095, 32, 1, 9999, kTip),
    Number(61, 3, 1096, 400, 1, 9999, kTip),
    Number(62, 3, 1097, 400, 1, 9999, kTip),
    Number(63, 3, 1098, 20, 10, 100, kTip),
    Number(64, 3, 1099, 50, 30, 100, kTip),
    List(65, 3, 1117, kTip),
    List(66, 3, 1118, kTip),
    List(67, 3, 1121, kNoTip),
    List(68, 3, 1120, kNoTip),
    Number(69, 3, 1152, 204, 1, 9999, kTip),
    Number(70, 3, 1015, 204, 1, 9999, kTip),
    Number(71, 3, 1016, 204, 1, 9999, kTip),
    Number(72, 3, 1017, 235, 1, 9999, kTip),
    Number(73, 3, 1018, 235, 1, 9999, kTip),
    Number(74, 3, 1153, 127, kTip),
    Number(75, 3, 1081, 127, kTip),
    Number(76, 3, 1082, 127, kTip),
    ReadOnly(77, 3, 1083, 200, kTip),
    ReadOnly(78, 3, 1084, 200, kTip),
    ReadOnly(79, 3, 1021, 700, kTip),
    ReadOnly(80, 3, 1022, 100, kTip),
    List(81, 3, 1122, kNoTip),
}};

constexpr bool EntriesInOrder(std::span<const EepromControlRow> rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].entry != i)
            return false;
    }
    return true;
}
static_assert(EntriesInOrder(kVklzRows) && EntriesInOrder(kVkltRows) && EntriesInOrder(kVklcRows));
static_assert(EntriesInOrder(kVkleRows) && EntriesInOrder(kVklaRows));

constexpr std::array<const char*, 11> kBaudRates{"9600", "110",   "300",   "600",   "1200",  "2400",
                                                 "4800", "19200", "38400", "57600", "115200"};

} // namespace

std::span<const EepromControlRow> EepromControls(int instructionIndex) {
    switch (instructionIndex) {
    case 0:
        return kVklzRows;
    case 1:
        return kVkleRows;
    case 2:
        return kVkltRows;
    case 3:
        return kVklaRows;
    case 4:
        return kVklcRows;
    default:
        return {};
    }
}

int EepromPageCount(int instructionIndex) {
    if (instructionIndex == 3)
        return 3;
    return instructionIndex >= 0 && instructionIndex <= 4 ? 2 : 0;
}

std::span<const char* const> EepromFixedListTexts(EepromFixedList list) {
    if (list == EepromFixedList::BaudRates)
        return kBaudRates;
    return {};
}

int EepromValueOfPosition(EepromConversion conversion, int position) {
    switch (conversion) {
    case Conv::PlusOne:
        return position + 1;
    case Conv::VklaParity:
        return position == 0 ? 0 : position + 1;
    case Conv::PlusSeven:
        return position + 7;
    case Conv::OffsetByte:
        return int(SignedByteOffsetField(position));
    case Conv::None:
        break;
    }
    return position;
}

int EepromPositionOfValue(EepromConversion conversion, int value) {
    switch (conversion) {
    case Conv::PlusOne:
        return value - 1;
    case Conv::VklaParity:
        return value == 0 ? 0 : value - 1;
    case Conv::PlusSeven:
        return value - 7;
    case Conv::OffsetByte:
        return SignedByteOffset(unsigned(value));
    case Conv::None:
        break;
    }
    return value;
}

bool EepromEntryWritten(int instructionIndex, int entry) {
    // VKLA writes every entry, the ID text by a command of its own.
    if (instructionIndex == 3)
        return entry >= 0 && entry < int(VklaParameters().size());
    const auto order = BitWriteOrder(instructionIndex);
    return std::find(order.begin(), order.end(), entry) != order.end();
}

QString EepromAddressTip(int instructionIndex, int entry) {
    if (entry < 0)
        return {};
    unsigned address = 0;
    if (instructionIndex == 3) {
        const auto table = VklaParameters();
        if (std::size_t(entry) >= table.size() || table[std::size_t(entry)].isText)
            return {};
        address = table[std::size_t(entry)].address;
    } else {
        const auto table = BitParameters(instructionIndex);
        if (std::size_t(entry) >= table.size())
            return {};
        address = table[std::size_t(entry)].address;
    }
    return QStringLiteral("0x") + QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace quillory
