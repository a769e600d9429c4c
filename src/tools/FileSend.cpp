#include "tools/FileSend.h"

#include "port/Communication.h"

#include <QFile>
#include <QFileInfo>

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

FileSendResult SendFileToPrinter(const QString& path, const tagPORTINFO& port) {
    QByteArray bytes;
    QString why;
    if (!ReadFileToSend(path, bytes, why))
        return {FileSendStatus::FileUnreadable, 0, QStringLiteral("%1: %2").arg(path, why)};
    return SendBytesToPrinter(bytes, port);
}

FileSendResult SendBytesToPrinter(const QByteArray& bytes, const tagPORTINFO& port) {
    CCommunicationFactory factory;
    CCommunicationProtocol* connection = factory.CreateFacory(port);
    try {
        connection->Open(port);
        connection->SetTimeouts(kFileSendReadTimeout, kFileSendWriteTimeout);
        int written = 0;
        connection->Write(reinterpret_cast<const std::uint8_t*>(bytes.constData()), int(bytes.size()),
                          &written);
        connection->Close();
    } catch (const CommunicationException& e) {
        try {
            connection->Close();
        } catch (const CommunicationException&) {
            // The failure that ended the send is the one to report.
        }
        return {FileSendStatus::CommunicationFailed, e.GetErrorCode(), e.Detail()};
    }
    return {};
}

} // namespace quillory
