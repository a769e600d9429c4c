#include "tools/FileSend.h"

#include "port/Communication.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace quillory {
namespace {

FileSendResult Unreadable(const QString& path, const QString& why) {
    return {FileSendStatus::FileUnreadable, 0, QStringLiteral("%1: %2").arg(path, why)};
}

} // namespace

FileSendResult SendFileToPrinter(const QString& path, const tagPORTINFO& port) {
    if (QFileInfo(path).isDir())
        return Unreadable(path, QStringLiteral("is a folder"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Unreadable(path, file.errorString());
    // One write takes at most an int's worth of bytes.
    if (!file.isSequential() && file.size() > std::numeric_limits<int>::max())
        return Unreadable(path, QStringLiteral("too large to send in one write"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Unreadable(path, file.errorString());
    if (bytes.size() > std::numeric_limits<int>::max())
        return Unreadable(path, QStringLiteral("too large to send in one write"));
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
