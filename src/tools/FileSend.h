#pragma once

#include "port/PortInfo.h"

#include <QByteArray>
#include <QString>

namespace quillory {

// Sending a file to the printer unchanged (the upgrade download and the command line's "send").

enum class FileSendStatus {
    Sent,
    FileUnreadable,      // the file could not be opened or read; the printer was not contacted
    CommunicationFailed, // the port library reported a failure
};

struct FileSendResult {
    FileSendStatus status = FileSendStatus::Sent;
    int code = 0;   // the communication error code when status is CommunicationFailed, else 0
    QString detail; // why the file could not be read, or the communication failure's detail
    [[nodiscard]] bool Ok() const { return status == FileSendStatus::Sent; }
};

// Time-outs of the file download: a large file takes long to go out.
inline constexpr int kFileSendReadTimeout = 400;
inline constexpr int kFileSendWriteTimeout = 400;

// Reads the whole file first, then sends it in one write over one connection: Open,
// SetTimeouts(400, 400), Write, Close. A file of 0 bytes is one write of length 0.
[[nodiscard]] FileSendResult SendFileToPrinter(const QString& path, const tagPORTINFO& port);
// The sending half, for bytes already in memory.
[[nodiscard]] FileSendResult SendBytesToPrinter(const QByteArray& bytes, const tagPORTINFO& port);

} // namespace quillory
