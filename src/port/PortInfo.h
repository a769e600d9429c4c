#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace quillory {

// Port type codes held in tagPORTINFO::portType. 5 is never used.
enum PortTypeCode : std::int32_t {
    PORT_COM = 1,
    PORT_LPT = 2,
    PORT_USBCLASS = 3,
    PORT_USBAPI = 4,
    PORT_DRIVER = 6,
    PORT_NET = 7,
};

// How a printer is attached. The binary layout is fixed (little-endian, UTF-16 text fields)
// because the record is handed around by value and compared byte for byte; the first 1672 bytes
// are the classic record, the long serial name follows them.
struct tagPORTINFO {
    std::int32_t portType;
    char16_t comName[20];
    std::int32_t baudRate;
    std::int32_t dataBits;
    std::int32_t stopBits;
    std::int32_t parity;
    std::int32_t flowControl;
    char16_t lptName[20];
    char16_t usbClassName[260];
    std::int32_t usbApiId;
    char16_t driverName[260];
    char16_t netAddress[260];
    std::int32_t netPort;
    // The whole serial port name when it is longer than comName holds (a stable
    // /dev/serial/by-id/... path); comName is then empty. Empty for a name that fits comName.
    char16_t comLongName[260];
};

static_assert(std::is_trivially_copyable_v<tagPORTINFO> && std::is_standard_layout_v<tagPORTINFO>);
static_assert(sizeof(tagPORTINFO) == 1672 + 520);
static_assert(offsetof(tagPORTINFO, portType) == 0);
static_assert(offsetof(tagPORTINFO, comName) == 4);
static_assert(offsetof(tagPORTINFO, baudRate) == 44);
static_assert(offsetof(tagPORTINFO, dataBits) == 48);
static_assert(offsetof(tagPORTINFO, stopBits) == 52);
static_assert(offsetof(tagPORTINFO, parity) == 56);
static_assert(offsetof(tagPORTINFO, flowControl) == 60);
static_assert(offsetof(tagPORTINFO, lptName) == 64);
static_assert(offsetof(tagPORTINFO, usbClassName) == 104);
static_assert(offsetof(tagPORTINFO, usbApiId) == 624);
static_assert(offsetof(tagPORTINFO, driverName) == 628);
static_assert(offsetof(tagPORTINFO, netAddress) == 1148);
static_assert(offsetof(tagPORTINFO, netPort) == 1668);
static_assert(offsetof(tagPORTINFO, comLongName) == 1672);

// Serial port names may be this long (paths under /dev included).
inline constexpr qsizetype kMaxSerialNameChars = 259;
// The serial port name: comLongName when set, comName otherwise.
[[nodiscard]] QString SerialPortName(const tagPORTINFO& info);
// Stores name in comName when it fits there (so records of short names stay as they were), in
// comLongName otherwise; cut to kMaxSerialNameChars.
void SetSerialPortName(tagPORTINFO& info, const QString& name);

// Every builder starts from an all-zero record and sets only the fields of its kind.
[[nodiscard]] tagPORTINFO MakePortInfo(std::int32_t portType);

// Copies text into a fixed field, cut to fit with the terminating NUL (a surrogate pair is
// never split) and the rest of the field zeroed.
void SetPortText(char16_t* field, std::size_t capacity, const QString& text);
template <std::size_t N>
void SetPortText(char16_t (&field)[N], const QString& text) {
    SetPortText(field, N, text);
}

// Text of a fixed field up to its first NUL (or the whole field when it has none).
[[nodiscard]] QString PortText(const char16_t* field, std::size_t capacity);
template <std::size_t N>
[[nodiscard]] QString PortText(const char16_t (&field)[N]) {
    return PortText(field, N);
}

// The settings file numbers port types 0..5 for COM, LPT, USBClass, USBAPI, NET, DRIVER.
// Returns 0 for a file value outside 0..5.
[[nodiscard]] std::int32_t PortTypeFromFileType(int fileType);
// Returns -1 for a code without a file value.
[[nodiscard]] int FileTypeFromPortType(std::int32_t portType);

// Command-language index to name: 0 VKLZ, 1 VKLE, 2 VKLT, 3 VKLA, 4 VKLC, other indices empty.
[[nodiscard]] QString InstructionName(int instructionIndex);

// The one-line port string handed to the sibling tools, e.g. "VKLA,COM,2,9600,8,0,0,1".
[[nodiscard]] QString FormatPortString(const tagPORTINFO& info, int instructionIndex);

[[nodiscard]] bool operator==(const tagPORTINFO& a, const tagPORTINFO& b);

} // namespace quillory
