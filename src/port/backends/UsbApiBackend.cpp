#include "port/StreamPort.h"
#include "port/backends/Backends.h"
#include "port/backends/UsbDeviceSource.h"

#include <libusb.h>

#include <algorithm>
#include <vector>

namespace quillory {
namespace {

// One bulk transfer moves at most this much, so that the write time-out bounds each step.
constexpr int kMaxTransferBytes = 64 * 1024;

struct UsbErrorRow {
    int error;
    tagCOMMUNICATIONEXCEPTION code;
};
// While opening; anything not listed is an open failure (1).
constexpr UsbErrorRow kUsbOpenErrors[] = {
    {LIBUSB_ERROR_ACCESS, COMM_ACCESS_DENIED},
    {LIBUSB_ERROR_INVALID_PARAM, COMM_BAD_PARAMETER},
};

QString UsbErrorText(int error) {
    return QString::fromLatin1(libusb_error_name(error));
}

class UsbApiBackend final : public CStreamPort {
public:
    explicit UsbApiBackend(std::shared_ptr<IUsbDeviceSource> source) : m_source(std::move(source)) {}
    ~UsbApiBackend() override { Close(); }

    void Open(tagPORTINFO info) override {
        if (info.usbApiId < 0)
            throw CommunicationException(
                COMM_BAD_PARAMETER,
                QStringLiteral("USB printer index %1 is not possible").arg(info.usbApiId));
        Close();
        if (const int error = m_source->Init(); error != LIBUSB_SUCCESS)
            throw CommunicationException(COMM_UNAVAILABLE,
                                         QStringLiteral("USB library: %1").arg(UsbErrorText(error)));
        QList<UsbPrinterInterface> printers;
        if (const int error = m_source->ListPrinters(&printers); error != LIBUSB_SUCCESS)
            throw CommunicationException(CodeForUsbError(error),
                                         QStringLiteral("listing USB devices: %1").arg(UsbErrorText(error)));
        if (info.usbApiId >= printers.size())
            throw CommunicationException(COMM_OPEN_FAILED,
                                         QStringLiteral("USB printer %1 of %2 is not connected")
                                             .arg(info.usbApiId + 1)
                                             .arg(printers.size()));
        const UsbPrinterInterface printer = printers.at(info.usbApiId);
        std::unique_ptr<IUsbDeviceHandle> handle;
        Check(m_source->Open(info.usbApiId, &handle), printer, "open");
        if (!handle)
            throw CommunicationException(COMM_OPEN_FAILED,
                                         printer.description + QStringLiteral(": no handle"));

        // The kernel's printer driver holds the interface; borrow it and give it back on Close.
        bool detached = false;
        if (handle->KernelDriverActive(printer.interfaceNumber) == 1) {
            const int error = handle->DetachKernelDriver(printer.interfaceNumber);
            if (error != LIBUSB_SUCCESS && error != LIBUSB_ERROR_NOT_FOUND)
                Check(error, printer, "detach the kernel driver");
            detached = error == LIBUSB_SUCCESS;
        }
        const int claimed = handle->ClaimInterface(printer.interfaceNumber);
        int altError = LIBUSB_SUCCESS;
        if (claimed == LIBUSB_SUCCESS && printer.altSetting != 0)
            altError = handle->SetAltSetting(printer.interfaceNumber, printer.altSetting);
        if (claimed != LIBUSB_SUCCESS || altError != LIBUSB_SUCCESS) {
            if (claimed == LIBUSB_SUCCESS)
                handle->ReleaseInterface(printer.interfaceNumber);
            if (detached)
                handle->AttachKernelDriver(printer.interfaceNumber);
            Check(claimed != LIBUSB_SUCCESS ? claimed : altError, printer,
                  claimed != LIBUSB_SUCCESS ? "claim the interface" : "select the alternate setting");
        }
        m_handle = std::move(handle);
        m_printer = printer;
        m_detached = detached;
    }

    void Close() override {
        if (!m_handle)
            return;
        m_handle->ReleaseInterface(m_printer.interfaceNumber);
        if (m_detached)
            m_handle->AttachKernelDriver(m_printer.interfaceNumber);
        m_handle.reset();
        m_detached = false;
        ResetStream();
    }

protected:
    qint64 ReceiveSome(std::uint8_t* into, qint64 max, int waitMs) override {
        if (m_printer.inEndpoint == 0)
            return 0; // a unidirectional printer never answers
        int moved = 0;
        // libusb takes a time-out of 0 as "forever".
        const int error =
            m_handle->BulkTransfer(m_printer.inEndpoint, into, int(std::min<qint64>(max, kMaxTransferBytes)),
                                   &moved, unsigned(std::max(1, waitMs)));
        if (error != LIBUSB_SUCCESS && error != LIBUSB_ERROR_TIMEOUT)
            throw CommunicationException(
                COMM_FAILED, QStringLiteral("%1: read: %2").arg(m_printer.description, UsbErrorText(error)));
        return std::clamp<qint64>(moved, 0, max);
    }

    qint64 SendSome(const std::uint8_t* data, qint64 length, int waitMs) override {
        // libusb wants a writable buffer even for OUT transfers.
        const int size = int(std::min<qint64>(kMaxTransferBytes, length));
        m_chunk.assign(data, data + size);
        int moved = 0;
        const int error = m_handle->BulkTransfer(m_printer.outEndpoint, m_chunk.data(), size, &moved,
                                                 unsigned(std::max(1, waitMs)));
        if (error != LIBUSB_SUCCESS && error != LIBUSB_ERROR_TIMEOUT)
            throw CommunicationException(
                COMM_FAILED, QStringLiteral("%1: write: %2").arg(m_printer.description, UsbErrorText(error)));
        return std::clamp(moved, 0, size);
    }

    [[nodiscard]] QString Describe() const override { return m_printer.description; }

private:
    static void Check(int error, const UsbPrinterInterface& printer, const char* step) {
        if (error != LIBUSB_SUCCESS)
            throw CommunicationException(
                CodeForUsbError(error),
                QStringLiteral("%1: cannot %2: %3")
                    .arg(printer.description, QLatin1String(step), UsbErrorText(error)));
    }

    void RequireOpen() const override {
        if (!m_handle)
            throw CommunicationException(COMM_FAILED, QStringLiteral("the USB printer is not open"));
    }

    std::shared_ptr<IUsbDeviceSource> m_source;
    std::unique_ptr<IUsbDeviceHandle> m_handle;
    UsbPrinterInterface m_printer;
    bool m_detached = false;
    std::vector<std::uint8_t> m_chunk;
};

} // namespace

tagCOMMUNICATIONEXCEPTION CodeForUsbError(int libusbError) {
    for (const UsbErrorRow& row : kUsbOpenErrors) {
        if (row.error == libusbError)
            return row.code;
    }
    return COMM_OPEN_FAILED;
}

int CountUsbApiPrinters(IUsbDeviceSource& source) {
    if (const int error = source.Init(); error != LIBUSB_SUCCESS)
        throw CommunicationException(COMM_UNAVAILABLE,
                                     QStringLiteral("USB library: %1").arg(UsbErrorText(error)));
    QList<UsbPrinterInterface> printers;
    if (const int error = source.ListPrinters(&printers); error != LIBUSB_SUCCESS)
        throw CommunicationException(CodeForUsbError(error),
                                     QStringLiteral("listing USB devices: %1").arg(UsbErrorText(error)));
    return int(printers.size());
}

int CountUsbApiPrinters() {
    const std::unique_ptr<IUsbDeviceSource> source = MakeLibusbDeviceSource();
    return CountUsbApiPrinters(*source);
}

std::unique_ptr<CCommunicationProtocol> MakeUsbApiBackend(std::shared_ptr<IUsbDeviceSource> source) {
    return std::make_unique<UsbApiBackend>(std::move(source));
}

std::unique_ptr<CCommunicationProtocol> MakeUsbApiBackend() {
    return MakeUsbApiBackend(std::shared_ptr<IUsbDeviceSource>(MakeLibusbDeviceSource()));
}

} // namespace quillory
