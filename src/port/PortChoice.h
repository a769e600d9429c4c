#pragma once

#include "port/PortInfo.h"

#include <QString>
#include <QStringList>

// What the port screens ask of the communication library, free of any widget: proving a port,
// listing USB printers and one round of the network search.
namespace quillory {

// The pieces of an "@"-terminated list (EnumUsbClass, SearchNet): every piece that an "@" ends,
// in order; text after the last "@" is not a name. Reads no further than capacity bytes or the
// first zero byte. Empty pieces name nothing and are left out.
[[nodiscard]] QStringList SplitAtList(const char* buffer, int capacity);

// Opens the port of info once and closes it again. 0 when it opened, otherwise the error code.
[[nodiscard]] int ProvePort(const tagPORTINFO& info);

// How the entries of the USB list are to be read: USB-class printer names, or USB-API printers
// by position. NotListed before the first listing.
enum class UsbListMode { NotListed, UsbClass, UsbApi };

struct UsbListing {
    QStringList items;
    UsbListMode mode = UsbListMode::NotListed;
};

// The USB-class printers; when there are none, the USB-API printers as "QXUSB-1" to "QXUSB-n".
// A failure of the library ends the listing as far as it got.
[[nodiscard]] UsbListing ListUsbPrinters();
// The list entry of a USB-API printer: "QXUSB-%d" with usbApiId + 1.
[[nodiscard]] QString UsbApiItemText(int usbApiId);

struct NetSearchRound {
    QStringList addresses;
    int errorCode = 0; // 0, or the code of the communication failure that ended the round
};

// One SearchNet of mode (2 or 3) through a connection of its own.
[[nodiscard]] NetSearchRound SearchNetRound(int mode);

} // namespace quillory
