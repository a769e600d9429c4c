#pragma once

#include "port/PortInfo.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

class QIODevice;

namespace quillory {

// Sending a file to the printer unchanged (the upgrade download and the command line's "send").

enum class FileSendStatus {
    Sent,
    FileUnreadable,      // the file could not be opened or read
    CommunicationFailed, // the port library reported a failure
    Cancelled,           // stopped on request after the block in progress
};

struct FileSendResult {
    FileSendStatus status = FileSendStatus::Sent;
    int code = 0;    // the communication error code when status is CommunicationFailed, else 0
    QString detail;  // why the file could not be read, or the communication failure's detail
    qint64 sent = 0; // bytes the printer took
    [[nodiscard]] bool Ok() const { return status == FileSendStatus::Sent; }
};

struct FileSendOptions {
    // Called on the sending thread after every block with the bytes sent so far and the total
    // (-1 when the length is not known, as for standard input).
    std::function<void(qint64 sent, qint64 total)> progress;
    // Set from any thread to stop after the block in progress.
    const std::atomic<bool>* cancel = nullptr;
};

// Time-outs of the file download: a large file takes long to go out. They are the shortest
// waits; a printer that is busy may hold the line up to the port's stall limit.
inline constexpr int kFileSendReadTimeout = 400;
inline constexpr int kFileSendWriteTimeout = 400;
// Files go out in blocks over one connection, so memory stays flat whatever the size. A block is
// this large, except on a serial line, where it is about a second's worth at the line's speed so
// that progress and Cancel follow the line.
inline constexpr qint64 kFileSendBlockBytes = 1 << 20;
[[nodiscard]] qint64 FileSendBlockBytes(const tagPORTINFO& port);

// The progress line of a transfer from a format with four places: bytes sent (MiB), total (MiB,
// or "?" when unknown), rate (MiB/s) and time left (m:ss, or "?"), e.g. "%1 of %2 MiB, %3 MiB/s,
// %4 left".
[[nodiscard]] QString TransferStatusText(const QString& format, qint64 sent, qint64 total, qint64 elapsedMs);

// Reads a whole file that is to go out in one write (at most an int's worth of bytes). Returns
// false, with the reason in why, when it is a folder, cannot be opened or read, or is too large.
[[nodiscard]] bool ReadFileToSend(const QString& path, QByteArray& bytes, QString& why);

// Streams the file over one connection: Open, SetTimeouts(400, 400), one Write per block, Close.
// A file that cannot be opened never contacts the printer. A file of 0 bytes is one write of
// length 0.
[[nodiscard]] FileSendResult SendFileToPrinter(const QString& path, const tagPORTINFO& port,
                                               const FileSendOptions& options = {});
// The same for an open source (a file, standard input) of total bytes (-1: until its end); name
// is what messages call it.
[[nodiscard]] FileSendResult SendStreamToPrinter(QIODevice& source, qint64 total, const QString& name,
                                                 const tagPORTINFO& port,
                                                 const FileSendOptions& options = {});
// The sending half, for bytes already in memory.
[[nodiscard]] FileSendResult SendBytesToPrinter(const QByteArray& bytes, const tagPORTINFO& port,
                                                const FileSendOptions& options = {});

} // namespace quillory
