#pragma once

#include "port/Communication.h"

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

// Opens a node with O_NOCTTY | O_NONBLOCK | O_CLOEXEC added to flags; throws on failure.
[[nodiscard]] int OpenNode(const QString& path, int flags);

// Writes every byte or throws code 3. The time-out bounds each wait without progress.
void WriteAllToFd(int fd, const std::uint8_t* data, int length, int writeTimeoutMs);

// Waits up to readTimeoutMs for the first byte, then collects while more bytes follow within
// kInterByteGapMs, up to capacity. Returns the count (0: nothing came); throws code 3 when the
// device fails or goes away.
[[nodiscard]] int ReadCollectedFromFd(int fd, std::uint8_t* buffer, int capacity, int readTimeoutMs);

} // namespace quillory
