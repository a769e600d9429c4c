#pragma once

#include "port/PortInfo.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace quillory::cli {

// A port description from its command-line form:
//   net:HOST:PORT
//   com:NAME[:BAUD[:BITS[:STOP[:PARITY[:FLOW]]]]]   (defaults: those of a new serial port,
//                                                   kLineSettings; NAME may be a /dev path)
//   lpt:NAME | usb:NAME | usbapi:N (N as "usb list" numbers the printers, from 1) | driver:QUEUE
struct ParsedPortAddress {
    std::optional<tagPORTINFO> port;
    QString error; // why the text is no port description
};

[[nodiscard]] ParsedPortAddress ParsePortAddress(QStringView text);

} // namespace quillory::cli
