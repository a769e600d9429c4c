#pragma once

#include "port/PortInfo.h"

#include <array>
#include <cstdint>

namespace quillory {

// The line settings of a serial port, one row each: how messages name it, its key in the [COM]
// section of the user settings file, its field, the value a new serial port starts with (the
// first run and a com: address that leaves it out), the value a saved file without the key
// reads as, and the values a serial line can use.
struct LineSettingRow {
    const char* name;
    const char* fileKey;
    std::int32_t tagPORTINFO::*field;
    int newPortValue;
    const char* readDefault;
    int minimum;
    int maximum;
};

// In the order of the com: address (BAUD, BITS, STOP, PARITY, FLOW) and of the file's keys.
inline constexpr std::array<LineSettingRow, 5> kLineSettings{{
    {"baud rate", "Bandate", &tagPORTINFO::baudRate, 9600, "38400", 1, 4000000},
    {"data bits", "DataSize", &tagPORTINFO::dataBits, 8, "8", 5, 8},
    {"stop bits", "StopBit", &tagPORTINFO::stopBits, 0, "0", 0, 2},
    {"parity", "Parity", &tagPORTINFO::parity, 0, "0", 0, 4},
    {"flow control", "FlowControl", &tagPORTINFO::flowControl, 1, "0", 0, 2},
}};

// Sets every line setting of info to the value a new serial port starts with.
inline void SetNewPortLineSettings(tagPORTINFO& info) {
    for (const LineSettingRow& row : kLineSettings)
        info.*row.field = row.newPortValue;
}

} // namespace quillory
