#pragma once

#include "port/Communication.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>

// The USB-API backend reaches devices through this small interface, so that tests can stand in
// a device list without hardware. Results are libusb error codes (0 or a LIBUSB_ERROR_* value).
namespace quillory {

// One printer-class interface (class 7) with a bulk OUT endpoint.
struct UsbPrinterInterface {
    int interfaceNumber = 0;
    int altSetting = 0;
    std::uint8_t outEndpoint = 0;
    std::uint8_t inEndpoint = 0; // 0: the printer cannot send (unidirectional)
    QString description;         // e.g. "bus 1 device 4, 0x1234:0x5678"
};

class IUsbDeviceHandle {
public:
    virtual ~IUsbDeviceHandle() = default;
    // 1 when a kernel driver is bound to the interface, 0 when none, negative on failure.
    virtual int KernelDriverActive(int interfaceNumber) = 0;
    virtual int DetachKernelDriver(int interfaceNumber) = 0;
    virtual int AttachKernelDriver(int interfaceNumber) = 0;
    virtual int ClaimInterface(int interfaceNumber) = 0;
    virtual int SetAltSetting(int interfaceNumber, int altSetting) = 0;
    virtual int ReleaseInterface(int interfaceNumber) = 0;
    // transferred receives the bytes moved even when the result is an error (a time-out).
    virtual int BulkTransfer(std::uint8_t endpoint, std::uint8_t* data, int length, int* transferred,
                             unsigned timeoutMs) = 0;
};

class IUsbDeviceSource {
public:
    virtual ~IUsbDeviceSource() = default;
    // Prepares the USB library; the first call does the work.
    virtual int Init() = 0;
    // The printer interfaces present now, in bus order. The list stays valid until the next call.
    virtual int ListPrinters(QList<UsbPrinterInterface>* printers) = 0;
    // Opens the device of entry index of the last list.
    virtual int Open(int index, std::unique_ptr<IUsbDeviceHandle>* handle) = 0;
};

// The source that reaches real devices through libusb.
[[nodiscard]] std::unique_ptr<IUsbDeviceSource> MakeLibusbDeviceSource();

// The code a libusb failure is reported with (1 open failed, 3 communication, 8 access denied).
[[nodiscard]] tagCOMMUNICATIONEXCEPTION CodeForUsbError(int libusbError);

[[nodiscard]] std::unique_ptr<CCommunicationProtocol>
MakeUsbApiBackend(std::shared_ptr<IUsbDeviceSource> source);
// Number of printer interfaces of source; throws code 4 when the USB library cannot start.
[[nodiscard]] int CountUsbApiPrinters(IUsbDeviceSource& source);

} // namespace quillory
