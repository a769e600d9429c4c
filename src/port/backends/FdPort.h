#pragma once

#include "port/Communication.h"
#include "port/StreamPort.h"

#include <QString>

#include <cstdint>

// File-descriptor I/O shared by the backends that talk to a device node (parallel, USB class).
namespace quillory {

// Device path of a port name: "<prefix>n" (n >= 1, prefix compared without case) gives
// numberedBase + (n - 1); an absolute path stands as it is; any other name is taken below /dev.
// Empty for a name that cannot be a device (empty, "<prefix>0", a ".." component).
[[nodiscard]] QString MapPortName(const QString& name, const QString& prefix, const QString& numberedBase);

// The code an open(2) failure is reported with: missing or busy device 1, no permission 8.
[[nodiscard]] tagCOMMUNICATIONEXCEPTION CodeForOpenError(int error);

// What an operator denied a device node can do about it: "add yourself to the group dialout"
// when the node's group may read and write it and the user is not a member; empty otherwise
// (the node belongs to nobody's group, or membership is not the reason).
[[nodiscard]] QString AccessHint(const QString& path);
// The hint for a node whose group `group` grants access that the user lacks; empty group, none.
[[nodiscard]] QString AccessHintForGroup(const QString& group);

// Opens a node with O_NOCTTY | O_NONBLOCK | O_CLOEXEC added to flags; throws on failure.
[[nodiscard]] int OpenNode(const QString& path, int flags);

// The primitives of a stream backend on a non-blocking descriptor (see CStreamPort).
// Waits up to waitMs for input and reads what has arrived, at most max bytes: the count, 0 when
// nothing came, -1 at end of file (the other side closed). Throws code 3 when the device fails.
[[nodiscard]] qint64 ReceiveFromFd(int fd, std::uint8_t* into, qint64 max, int waitMs);
// Waits up to waitMs for room and writes what the descriptor takes: the count, 0 when it took
// nothing. Throws code 3 when the device fails or went away.
[[nodiscard]] qint64 SendToFd(int fd, const std::uint8_t* data, qint64 length, int waitMs);

// A stream backend on a device node (parallel port, USB-class printer): the descriptor, its path
// for messages, and the shared waiting rules.
class CFdStreamPort : public CStreamPort {
public:
    ~CFdStreamPort() override;
    void Close() override;

protected:
    // Opens path (replacing an open node) with flags; throws on failure.
    void OpenPath(const QString& path, int flags);
    qint64 ReceiveSome(std::uint8_t* into, qint64 max, int waitMs) override;
    qint64 SendSome(const std::uint8_t* data, qint64 length, int waitMs) override;
    [[nodiscard]] QString Describe() const override { return m_path; }
    void RequireOpen() const override;

private:
    int m_fd = -1;
    QString m_path;
};

} // namespace quillory
