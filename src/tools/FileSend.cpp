#include "tools/FileSend.h"

#include "port/Communication.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace quillory {

bool ReadFileToSend(const QString& path, QByteArray& bytes, QString& why) {
    bytes.clear();
    if (QFileInfo(path).isDir()) {
        why = QStringLiteral("is a folder");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
        return false;
    }
    // One write takes at most an int's worth of bytes.
    if (!file.isSequential() && file.size() > std::numeric_limits<int>::max()) {
        why = QStringLiteral("too large to send in one write");
        return false;
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        why = file.errorString();
        return false;
    }
    if (content.size() > std::numeric_limits<int>::max()) {
        why = QStringLiteral("too large to send in one write");
        return false;
    }
    bytes = std::move(content);
    return true;
}

QString TransferStatusText(const QString& format, qint64 sent, qint64 total, qint64 elapsedMs) {
    constexpr double kMiB = 1024.0 * 1024.0;
    const double seconds = std::max<qint64>(elapsedMs, 1) / 1000.0;
    const double rate = sent / seconds; // bytes per second
    QString left = QStringLiteral("?");
    if (total >= 0 && rate > 0) {
        const qint64 remaining = qint64(double(std::max<qint64>(0, total - sent)) / rate + 0.5);
        left = QStringLiteral("%1:%2").arg(remaining / 60).arg(remaining % 60, 2, 10, QLatin1Char('0'));
    }
    return format.arg(sent / kMiB, 0, 'f', 1)
        .arg(total >= 0 ? QString::number(total / kMiB, 'f', 1) : QStringLiteral("?"))
        .arg(rate / kMiB, 0, 'f', 1)
        .arg(left);
}

qint64 FileSendBlockBytes(const tagPORTINFO& port) {
    if (port.portType != PORT_COM || port.baudRate <= 0)
        return kFileSendBlockBytes;
    // About ten bits a character on the line.
    return std::clamp<qint64>(port.baudRate / 10, 1024, kFileSendBlockBytes);
}

FileSendResult SendFileToPrinter(const QString& path, const tagPORTINFO& port,
                                 const FileSendOptions& options) {
    if (QFileInfo(path).isDir())
        return {FileSendStatus::FileUnreadable, 0, QStringLiteral("%1: is a folder").arg(path)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {FileSendStatus::FileUnreadable, 0, QStringLiteral("%1: %2").arg(path, file.errorString())};
    return SendStreamToPrinter(file, file.isSequential() ? -1 : file.size(), path, port, options);
}

FileSendResult SendBytesToPrinter(const QByteArray& bytes, const tagPORTINFO& port,
                                  const FileSendOptions& options) {
    QByteArray copy = bytes; // shares the data; QBuffer wants a non-const array
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return SendStreamToPrinter(buffer, bytes.size(), QStringLiteral("the data"), port, options);
}

FileSendResult SendStreamToPrinter(QIODevice& source, qint64 total, const QString& name,
                                   const tagPORTINFO& port, const FileSendOptions& options) {
    FileSendResult result;
    NoteCommunicationFailure({});
    CCommunicationFactory factory;
    CCommunicationProtocol* connection = factory.CreateFacory(port);
    const qint64 blockBytes = FileSendBlockBytes(port);
    QByteArray block(int(blockBytes), Qt::Uninitialized);
    try {
        connection->Open(port);
        connection->SetTimeouts(kFileSendReadTimeout, kFileSendWriteTimeout);
        for (bool first = true;; first = false) {
            if (options.cancel && options.cancel->load()) {
                result.status = FileSendStatus::Cancelled;
                break;
            }
            const qint64 n = source.read(block.data(), blockBytes);
            if (n < 0) {
                result = {FileSendStatus::FileUnreadable, 0,
                          QStringLiteral("%1: %2").arg(name, source.errorString()), result.sent};
                break;
            }
            // An empty file is still one write: the printer sees the connection and nothing else.
            if (n == 0 && !first)
                break;
            int written = 0;
            connection->Write(reinterpret_cast<const std::uint8_t*>(block.constData()), int(n), &written);
            result.sent += n;
            if (options.progress)
                options.progress(result.sent, total);
            if (n == 0)
                break;
        }
        if (result.status == FileSendStatus::Sent)
            connection->Close();
        else
            connection->Abort();
    } catch (const CommunicationException& e) {
        try {
            connection->Abort();
        } catch (const CommunicationException&) {
            // The failure that ended the send is the one to report.
        }
        NoteCommunicationFailure(e.Detail());
        return {FileSendStatus::CommunicationFailed, e.GetErrorCode(), e.Detail(), result.sent};
    }
    return result;
}

} // namespace quillory
