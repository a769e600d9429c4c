#include "port/PortChoice.h"

#include "port/Communication.h"

#include <array>
#include <cstring>

namespace quillory {
namespace {

// More than any machine holds; a count beyond it is no count.
constexpr int kMaxUsbApiPrinters = 256;

} // namespace

QStringList SplitAtList(const char* buffer, int capacity) {
    QStringList pieces;
    if (!buffer || capacity <= 0)
        return pieces;
    const auto* end = static_cast<const char*>(std::memchr(buffer, '\0', std::size_t(capacity)));
    const qsizetype length = end ? qsizetype(end - buffer) : qsizetype(capacity);
    const QByteArrayView text(buffer, length);
    qsizetype start = 0;
    for (qsizetype at = text.indexOf('@'); at >= 0; at = text.indexOf('@', start)) {
        if (at > start)
            pieces << QString::fromLocal8Bit(text.sliced(start, at - start));
        start = at + 1;
    }
    return pieces;
}

int ProvePort(const tagPORTINFO& info) {
    NoteCommunicationFailure({});
    try {
        CConnectionScope connection(info);
        connection->Open(info);
        connection->Close();
    } catch (const CommunicationException& e) {
        NoteCommunicationFailure(e.Detail());
        return e.GetErrorCode();
    }
    return 0;
}

QString UsbApiItemText(int usbApiId) {
    return QStringLiteral("QXUSB-%1").arg(usbApiId + 1);
}

UsbListing ListUsbPrinters() {
    UsbListing listing;
    try {
        listing.mode = UsbListMode::UsbClass;
        {
            std::array<char, kListBufferSize> buffer{};
            CConnectionScope connection(MakePortInfo(PORT_USBCLASS));
            connection->EnumUsbClass(buffer.data(), int(buffer.size()));
            listing.items = SplitAtList(buffer.data(), int(buffer.size()));
        }
        if (!listing.items.isEmpty())
            return listing;
        listing.mode = UsbListMode::UsbApi;
        CConnectionScope connection(MakePortInfo(PORT_USBAPI));
        const int count = qMin(connection->CountUsbApi(), kMaxUsbApiPrinters);
        for (int id = 0; id < count; ++id)
            listing.items << UsbApiItemText(id);
    } catch (const CommunicationException&) {
        // No message: the list simply shows what was found.
    }
    return listing;
}

NetSearchRound SearchNetRound(int mode) {
    NetSearchRound round;
    NoteCommunicationFailure({});
    try {
        std::array<char, kListBufferSize> buffer{};
        CConnectionScope connection(MakePortInfo(PORT_NET));
        if (connection->SearchNet(buffer.data(), mode, int(buffer.size())) > 0)
            round.addresses = SplitAtList(buffer.data(), int(buffer.size()));
    } catch (const CommunicationException& e) {
        NoteCommunicationFailure(e.Detail());
        round.errorCode = e.GetErrorCode();
    }
    return round;
}

} // namespace quillory
