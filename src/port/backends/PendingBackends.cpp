// Interim: port kinds whose backends have not landed yet report code 4 (backend unavailable).
#include "port/backends/Backends.h"

namespace quillory {
namespace {
class PendingBackend final : public CCommunicationProtocol {
public:
    void Open(tagPORTINFO) override { throw CommunicationException(COMM_UNAVAILABLE); }
    void Read(std::uint8_t*, int, int* count) override {
        if (count)
            *count = 0;
        throw CommunicationException(COMM_UNAVAILABLE);
    }
    void Write(const std::uint8_t*, int, int* count) override {
        if (count)
            *count = 0;
        throw CommunicationException(COMM_UNAVAILABLE);
    }
    void SetTimeouts(int, int) override {}
    void Close() override {}
};
} // namespace

std::unique_ptr<CCommunicationProtocol> MakeSerialBackend() {
    return std::make_unique<PendingBackend>();
}
std::unique_ptr<CCommunicationProtocol> MakeParallelBackend() {
    return std::make_unique<PendingBackend>();
}
std::unique_ptr<CCommunicationProtocol> MakeUsbClassBackend() {
    return std::make_unique<PendingBackend>();
}
std::unique_ptr<CCommunicationProtocol> MakeUsbApiBackend() {
    return std::make_unique<PendingBackend>();
}
std::unique_ptr<CCommunicationProtocol> MakeDriverBackend() {
    return std::make_unique<PendingBackend>();
}
QStringList EnumerateUsbClassPrinters() {
    return {};
}
int CountUsbApiPrinters() {
    return 0;
}
QStringList SearchNetworkPrinters(int) {
    return {};
}

} // namespace quillory
