#include "port/backends/Backends.h"
#include "port/backends/FdPort.h"

#include <fcntl.h>
#include <unistd.h>

namespace quillory {
namespace {

// A parallel port only takes data, so it is opened write-only. Any file-system node will do (a
// FIFO with a reader or a plain file stand in for the printer in tests and for print-to-file).
class ParallelBackend final : public CCommunicationProtocol {
public:
    ~ParallelBackend() override { Close(); }

    void Open(tagPORTINFO info) override {
        const QString name = PortText(info.lptName);
        const QString path = ParallelDevicePath(name);
        if (path.isEmpty())
            throw CommunicationException(COMM_BAD_PARAMETER,
                                         QStringLiteral("\"%1\" is not a parallel port name").arg(name));
        Close();
        // A plain file collects successive exchanges the way a printer receives them.
        m_fd = OpenNode(path, O_WRONLY | O_APPEND);
        m_path = path;
    }

    void Read(std::uint8_t*, int, int* count) override {
        if (count)
            *count = 0;
        RequireOpen();
    }

    void Write(const std::uint8_t* data, int length, int* count) override {
        if (count)
            *count = 0;
        RequireOpen();
        try {
            WriteAllToFd(m_fd, data, length, m_writeTimeout);
        } catch (const CommunicationException& e) {
            throw CommunicationException(tagCOMMUNICATIONEXCEPTION(e.GetErrorCode()),
                                         QStringLiteral("%1: %2").arg(m_path, e.Detail()));
        }
        if (count)
            *count = qMax(0, length);
    }

    void SetTimeouts(int, int writeTimeout) override { m_writeTimeout = qMax(1, writeTimeout); }

    void Close() override {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    void RequireOpen() const {
        if (m_fd < 0)
            throw CommunicationException(COMM_FAILED, QStringLiteral("the parallel port is not open"));
    }

    int m_fd = -1;
    QString m_path;
    int m_writeTimeout = kDefaultWriteTimeoutMs;
};

} // namespace

QString ParallelDevicePath(const QString& name) {
    return MapPortName(name, QStringLiteral("LPT"), QStringLiteral("/dev/lp"));
}

std::unique_ptr<CCommunicationProtocol> MakeParallelBackend() {
    return std::make_unique<ParallelBackend>();
}

} // namespace quillory
