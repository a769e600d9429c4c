#include "port/backends/Backends.h"
#include "port/backends/FdPort.h"

#include <fcntl.h>
#include <unistd.h>

namespace quillory {
namespace {

// A parallel port only takes data, so it is opened write-only. Any file-system node will do (a
// FIFO with a reader or a plain file stand in for the printer in tests and for print-to-file).
class ParallelBackend final : public CFdStreamPort {
public:
    void Open(tagPORTINFO info) override {
        const QString name = PortText(info.lptName);
        const QString path = ParallelDevicePath(name);
        if (path.isEmpty())
            throw CommunicationException(COMM_BAD_PARAMETER,
                                         QStringLiteral("\"%1\" is not a parallel port name").arg(name));
        // A plain file collects successive exchanges the way a printer receives them.
        OpenPath(path, O_WRONLY | O_APPEND);
    }

    [[nodiscard]] bool CanRead() const override { return false; }

protected:
    // Nothing ever comes back.
    qint64 ReceiveSome(std::uint8_t*, qint64, int) override { return 0; }
};

} // namespace

QString ParallelDevicePath(const QString& name) {
    return MapPortName(name, QStringLiteral("LPT"), QStringLiteral("/dev/lp"));
}

std::unique_ptr<CCommunicationProtocol> MakeParallelBackend() {
    return std::make_unique<ParallelBackend>();
}

} // namespace quillory
