#include "port/backends/UsbDeviceSource.h"

#include <libusb.h>

#include <vector>

namespace quillory {
namespace {

constexpr int kPrinterClass = LIBUSB_CLASS_PRINTER; // 7

class LibusbHandle final : public IUsbDeviceHandle {
public:
    explicit LibusbHandle(libusb_device_handle* handle) : m_handle(handle) {}
    ~LibusbHandle() override { libusb_close(m_handle); }
    LibusbHandle(const LibusbHandle&) = delete;
    LibusbHandle& operator=(const LibusbHandle&) = delete;

    int KernelDriverActive(int interfaceNumber) override {
        return libusb_kernel_driver_active(m_handle, interfaceNumber);
    }
    int DetachKernelDriver(int interfaceNumber) override {
        return libusb_detach_kernel_driver(m_handle, interfaceNumber);
    }
    int AttachKernelDriver(int interfaceNumber) override {
        return libusb_attach_kernel_driver(m_handle, interfaceNumber);
    }
    int ClaimInterface(int interfaceNumber) override {
        return libusb_claim_interface(m_handle, interfaceNumber);
    }
    int SetAltSetting(int interfaceNumber, int altSetting) override {
        return libusb_set_interface_alt_setting(m_handle, interfaceNumber, altSetting);
    }
    int ReleaseInterface(int interfaceNumber) override {
        return libusb_release_interface(m_handle, interfaceNumber);
    }
    int BulkTransfer(std::uint8_t endpoint, std::uint8_t* data, int length, int* transferred,
                     unsigned timeoutMs) override {
        return libusb_bulk_transfer(m_handle, endpoint, data, length, transferred, timeoutMs);
    }

private:
    libusb_device_handle* m_handle;
};

// The first alternate setting of an interface that is a printer with a bulk OUT endpoint.
bool FindPrinterSetting(const libusb_interface& interface, UsbPrinterInterface* found) {
    for (int a = 0; a < interface.num_altsetting; ++a) {
        const libusb_interface_descriptor& setting = interface.altsetting[a];
        if (setting.bInterfaceClass != kPrinterClass)
            continue;
        UsbPrinterInterface printer;
        printer.interfaceNumber = setting.bInterfaceNumber;
        printer.altSetting = setting.bAlternateSetting;
        for (int e = 0; e < setting.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
            if ((endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK)
                continue;
            const bool in = (endpoint.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN;
            std::uint8_t& slot = in ? printer.inEndpoint : printer.outEndpoint;
            if (slot == 0)
                slot = endpoint.bEndpointAddress;
        }
        if (printer.outEndpoint != 0) {
            *found = printer;
            return true;
        }
    }
    return false;
}

class LibusbDeviceSource final : public IUsbDeviceSource {
public:
    ~LibusbDeviceSource() override {
        ReleaseDevices();
        if (m_context)
            libusb_exit(m_context);
    }

    int Init() override {
        if (m_context)
            return LIBUSB_SUCCESS;
        return libusb_init(&m_context);
    }

    int ListPrinters(QList<UsbPrinterInterface>* printers) override {
        printers->clear();
        ReleaseDevices();
        if (!m_context)
            return LIBUSB_ERROR_OTHER;
        libusb_device** list = nullptr;
        const ssize_t count = libusb_get_device_list(m_context, &list);
        if (count < 0)
            return int(count);
        for (ssize_t i = 0; i < count; ++i)
            AddPrinters(list[i], printers);
        libusb_free_device_list(list, 1);
        return LIBUSB_SUCCESS;
    }

    int Open(int index, std::unique_ptr<IUsbDeviceHandle>* handle) override {
        if (index < 0 || index >= int(m_devices.size()))
            return LIBUSB_ERROR_NOT_FOUND;
        libusb_device_handle* opened = nullptr;
        const int error = libusb_open(m_devices[std::size_t(index)], &opened);
        if (error != LIBUSB_SUCCESS)
            return error;
        *handle = std::make_unique<LibusbHandle>(opened);
        return LIBUSB_SUCCESS;
    }

private:
    void AddPrinters(libusb_device* device, QList<UsbPrinterInterface>* printers) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS)
            return;
        libusb_config_descriptor* config = nullptr;
        if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS &&
            libusb_get_config_descriptor(device, 0, &config) != LIBUSB_SUCCESS)
            return;
        for (int i = 0; i < config->bNumInterfaces; ++i) {
            UsbPrinterInterface printer;
            if (!FindPrinterSetting(config->interface[i], &printer))
                continue;
            printer.description = QStringLiteral("USB bus %1 device %2 (%3:%4)")
                                      .arg(libusb_get_bus_number(device))
                                      .arg(libusb_get_device_address(device))
                                      .arg(descriptor.idVendor, 4, 16, QLatin1Char('0'))
                                      .arg(descriptor.idProduct, 4, 16, QLatin1Char('0'));
            printers->append(printer);
            m_devices.push_back(libusb_ref_device(device));
        }
        libusb_free_config_descriptor(config);
    }

    void ReleaseDevices() {
        for (libusb_device* device : m_devices)
            libusb_unref_device(device);
        m_devices.clear();
    }

    libusb_context* m_context = nullptr;
    std::vector<libusb_device*> m_devices; // one per listed interface, in list order
};

} // namespace

std::unique_ptr<IUsbDeviceSource> MakeLibusbDeviceSource() {
    return std::make_unique<LibusbDeviceSource>();
}

} // namespace quillory
