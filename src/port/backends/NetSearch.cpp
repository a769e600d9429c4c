#include "port/backends/NetSearch.h"

#include "port/backends/Backends.h"

#include <QDeadlineTimer>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QThread>
#include <QUdpSocket>
#include <QVariant>

namespace quillory {
namespace {

constexpr quint16 kSnmpPort = 161;
constexpr char kDnsSdGroup[] = "224.0.0.251";
constexpr quint16 kDnsSdPort = 5353;
// Multicast DNS wants its packets sent with the largest time-to-live.
constexpr int kDnsSdTtl = 255;

QList<SearchTarget> InterfaceBroadcastTargets() {
    QList<SearchTarget> targets;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning) ||
            !flags.testFlag(QNetworkInterface::CanBroadcast) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            const SearchTarget target{entry.broadcast(), kSnmpPort};
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.broadcast().isNull() &&
                !targets.contains(target))
                targets.append(target);
        }
    }
    return targets;
}

// The sender of a reply as dotted IPv4 text, or empty for anything else.
QString Ipv4Text(const QHostAddress& address) {
    bool isIpv4 = false;
    const quint32 value = address.toIPv4Address(&isIpv4);
    return isIpv4 ? QHostAddress(value).toString() : QString();
}

// The responder a datagram names, or empty when it is no answer to our probe.
QString Responder(int mode, QByteArrayView datagram, const QHostAddress& sender, std::int32_t requestId) {
    if (mode == kSearchSnmp) {
        const std::optional<SnmpResponse> reply = ParseSnmpResponse(datagram);
        return reply && reply->requestId == requestId ? Ipv4Text(sender) : QString();
    }
    // A legacy unicast answer echoes the query id; a multicast-style one carries 0.
    const std::optional<DnsSdResponse> reply = ParseDnsSdResponse(datagram);
    if (!reply || (reply->id != 0 && reply->id != quint16(requestId & 0xFFFF)))
        return {};
    return reply->address ? QHostAddress(*reply->address).toString() : Ipv4Text(sender);
}

} // namespace

QList<SearchTarget> ParseSearchTargets(const QString& text) {
    QList<SearchTarget> targets;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString entry = item.trimmed();
        const qsizetype colon = entry.lastIndexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        QHostAddress address;
        bool isPort = false;
        const uint port = entry.mid(colon + 1).toUInt(&isPort, 10);
        if (!address.setAddress(entry.left(colon)) || address.protocol() != QAbstractSocket::IPv4Protocol ||
            !isPort || port == 0 || port > 65535)
            continue;
        const SearchTarget target{address, quint16(port)};
        if (!targets.contains(target))
            targets.append(target);
    }
    return targets;
}

QList<SearchTarget> SearchTargetsFor(int mode) {
    if (qEnvironmentVariableIsSet(kSearchTargetsVariable))
        return ParseSearchTargets(qEnvironmentVariable(kSearchTargetsVariable));
    if (mode == kSearchSnmp)
        return InterfaceBroadcastTargets();
    return {SearchTarget{QHostAddress(QString::fromLatin1(kDnsSdGroup)), kDnsSdPort}};
}

QStringList SearchNetworkPrinters(int mode, const QList<SearchTarget>& targets, int windowMs) {
    QStringList found;
    if ((mode != kSearchSnmp && mode != kSearchDnsSd) || targets.isEmpty())
        return found;
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(QHostAddress::AnyIPv4), 0))
        throw CommunicationException(
            COMM_FAILED, QStringLiteral("network search: no UDP socket: %1").arg(socket.errorString()));
    const std::int32_t requestId = std::int32_t(QRandomGenerator::global()->bounded(0x01000000, 0x7FFFFFFF));
    const QByteArray probe = mode == kSearchSnmp ? BuildSnmpSysDescrRequest(requestId)
                                                 : BuildDnsSdQuery(quint16(requestId & 0xFFFF));
    int sent = 0;
    QString sendError;
    for (const SearchTarget& target : targets) {
        if (target.address.isMulticast())
            socket.setSocketOption(QAbstractSocket::MulticastTtlOption, QVariant(kDnsSdTtl));
        if (socket.writeDatagram(probe, target.address, target.port) == probe.size())
            ++sent;
        else
            sendError = QStringLiteral("%1:%2: %3")
                            .arg(target.address.toString())
                            .arg(target.port)
                            .arg(socket.errorString());
    }
    if (sent == 0)
        throw CommunicationException(COMM_FAILED,
                                     QStringLiteral("network search: no probe sent: %1").arg(sendError));

    QByteArray datagram(kMaxSearchDatagramBytes + 1, Qt::Uninitialized);
    const QDeadlineTimer window(std::max(0, windowMs));
    while (!window.hasExpired()) {
        if (!socket.hasPendingDatagrams() &&
            !socket.waitForReadyRead(int(std::max<qint64>(1, window.remainingTime())))) {
            // An error report (an ICMP answer, say) is no reason to stop listening to the others.
            if (socket.error() != QAbstractSocket::SocketTimeoutError)
                QThread::msleep(5);
            continue;
        }
        while (socket.hasPendingDatagrams()) {
            QHostAddress sender;
            const qint64 size = socket.readDatagram(datagram.data(), datagram.size(), &sender);
            if (size <= 0 || size > kMaxSearchDatagramBytes)
                continue;
            const QString address =
                Responder(mode, QByteArrayView(datagram.constData(), size), sender, requestId);
            if (!address.isEmpty() && !found.contains(address))
                found.append(address);
        }
    }
    return found;
}

QStringList SearchNetworkPrinters(int mode) {
    return SearchNetworkPrinters(mode, SearchTargetsFor(mode), kSearchWindowMs);
}

} // namespace quillory
