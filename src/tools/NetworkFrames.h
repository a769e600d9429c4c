#pragma once

#include "port/PortInfo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quillory {

// What the network page collects: address assignment, the raw-print TCP port and, for a wireless
// interface, region, mode, channel, SSID and security.
struct NetworkConfig {
    int interfaceIndex = 0; // 0: wired only; any other: wired and wireless
    bool dhcp = false;
    std::array<std::uint8_t, 4> ipAddress{192, 168, 1, 200};
    std::array<std::uint8_t, 4> subnetMask{255, 255, 255, 0};
    std::array<std::uint8_t, 4> gateway{192, 168, 1, 1};
    QString portText = QStringLiteral("9100"); // empty: no port frame
    int region = 0;
    int mode = 0;
    int channelIndex = 0; // sent as index + 1
    QString ssid = QStringLiteral("defaultSSID");
    bool security = false;
    int encryptionIndex = 0; // position in EncryptionMethods(mode)
    int wepModeIndex = 0;    // position in WepModes(encryptionIndex)
    QString key;
};

enum class NetworkConfigProblem {
    None,
    WepKeyLength, // a WEP key must be 5, 10, 13 or 26 characters
    WpaKeyLength, // a WPA pass phrase must be 8 to 64 characters
    SsidTooLong,  // more than 99 bytes once converted
    KeyTooLong,   // a key that does not fit a frame once converted
    PortOutOfRange,
};

// Checks what Apply would send; nothing may be sent unless this gives None.
[[nodiscard]] NetworkConfigProblem ValidateNetworkConfig(const NetworkConfig& config);

// Frame: header 1D 99 42 45 92 99, command, data length, data, checksum (sum of all before, mod 256).
[[nodiscard]] QByteArray NetworkFrame(std::uint8_t command, const QByteArray& data);
// The static-address frame has no length byte and no checksum: header, 'I', 12 address bytes.
[[nodiscard]] QByteArray StaticAddressFrame(const NetworkConfig& config);
// The frames of Apply, in order (call ValidateNetworkConfig first).
[[nodiscard]] std::vector<QByteArray> NetworkApplyFrames(const NetworkConfig& config);
// The factory-defaults frame, plus for the wired interface the EEPROM write that resets its mode.
[[nodiscard]] std::vector<QByteArray> NetworkFactoryFrames(int interfaceIndex);
// The security type code on the wire: in mode 0 the index, plus 1 above 1; in other modes the index.
[[nodiscard]] int SecurityTypeCode(int encryptionIndex, int mode);

[[nodiscard]] QStringList EncryptionMethods(int mode);
[[nodiscard]] QStringList WepModes(int encryptionIndex);
[[nodiscard]] const std::array<const char*, 76>& RegionLabels();

// Opens the port, sets time-outs (30, 30), writes each frame, closes. 0 or the error code.
int SendNetworkFrames(const tagPORTINFO& port, const std::vector<QByteArray>& frames);

// The saved port as it must read once config is applied to the printer it points at: nullopt
// when that port is not a network port or the printer keeps its address and TCP port. With DHCP
// on, the new address is not known beforehand and only the TCP port counts.
[[nodiscard]] std::optional<tagPORTINFO> PortAfterNetworkApply(const tagPORTINFO& saved,
                                                               const NetworkConfig& config);
// "address:port" of a network port.
[[nodiscard]] QString NetworkPortText(const tagPORTINFO& port);

} // namespace quillory
