#include "port/backends/NetSearch.h"

#include "port/Communication.h"

#include <QDeadlineTimer>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QThread>
#include <QUdpSocket>
#include <QVariant>

#include <algorithm>

namespace quillory {
namespace {

constexpr quint16 kSnmpPort = 161;
constexpr char kDnsSdGroup[] = "224.0.0.251";
constexpr quint16 kDnsSdPort = 5353;
// Multicast DNS wants its packets sent with the largest time-to-live.
constexpr int kDnsSdTtl = 255;
// Devices of an agent's device table asked about before it counts as no printer; a printer lists
// its printer among the first few, a host its processors, disks and interfaces.
constexpr int kMaxDeviceSteps = 16;
// Request ids of one search: the probe, the Printer MIB question, then one per device step.
constexpr std::int32_t kPrinterMibQuestion = 1;
constexpr std::int32_t kFirstDeviceQuestion = 2;

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

// A printer's description as text: what it sends is not ours to trust, so line breaks and other
// control characters become blanks and the text stays on one line.
QString DescriptionText(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return text.simplified();
}

// One SNMP agent that answered the probe, while it is asked whether it is a printer.
struct Agent {
    QHostAddress address;
    quint16 port = 0;
    QString description;
    bool mibSettled = false;
    bool devicesSettled = false;
    bool printer = false;
    int deviceStep = 0;
    QDeadlineTimer deadline;

    [[nodiscard]] bool Decided() const { return printer || (mibSettled && devicesSettled); }
};

// The search of one call: the socket, the probes and what the replies said.
class Search {
public:
    Search(int mode, int windowMs) : m_mode(mode), m_window(std::max(0, windowMs)) {
        // Room above the id for the follow-up questions.
        m_requestId = std::int32_t(QRandomGenerator::global()->bounded(0x01000000, 0x7FFF0000));
    }

    void Run(const QList<SearchTarget>& targets) {
        if (!m_socket.bind(QHostAddress(QHostAddress::AnyIPv4), 0))
            throw CommunicationException(
                COMM_FAILED, QStringLiteral("network search: no UDP socket: %1").arg(m_socket.errorString()));
        SendProbes(targets);
        QByteArray datagram(kMaxSearchDatagramBytes + 1, Qt::Uninitialized);
        for (;;) {
            const qint64 wait = RemainingWait();
            if (wait <= 0)
                break;
            if (!m_socket.hasPendingDatagrams() &&
                !m_socket.waitForReadyRead(int(std::max<qint64>(1, wait)))) {
                // An error report (an ICMP answer, say) is no reason to stop listening to the others.
                if (m_socket.error() != QAbstractSocket::SocketTimeoutError)
                    QThread::msleep(5);
                continue;
            }
            while (m_socket.hasPendingDatagrams()) {
                QHostAddress sender;
                quint16 senderPort = 0;
                const qint64 size =
                    m_socket.readDatagram(datagram.data(), datagram.size(), &sender, &senderPort);
                if (size > 0 && size <= kMaxSearchDatagramBytes)
                    Take(QByteArrayView(datagram.constData(), size), sender, senderPort);
            }
        }
    }

    [[nodiscard]] QList<FoundPrinter> Found() const {
        QList<FoundPrinter> found = m_found;
        for (const Agent& agent : m_agents) {
            if (agent.printer)
                found.append({Ipv4Text(agent.address), agent.description});
        }
        return found;
    }

private:
    void SendProbes(const QList<SearchTarget>& targets) {
        const QByteArray probe = m_mode == kSearchSnmp ? BuildSnmpSysDescrRequest(m_requestId)
                                                       : BuildDnsSdQuery(quint16(m_requestId & 0xFFFF));
        int sent = 0;
        QString sendError;
        for (const SearchTarget& target : targets) {
            if (target.address.isMulticast())
                m_socket.setSocketOption(QAbstractSocket::MulticastTtlOption, QVariant(kDnsSdTtl));
            if (m_socket.writeDatagram(probe, target.address, target.port) == probe.size())
                ++sent;
            else
                sendError = QStringLiteral("%1:%2: %3")
                                .arg(target.address.toString())
                                .arg(target.port)
                                .arg(m_socket.errorString());
        }
        if (sent == 0)
            throw CommunicationException(COMM_FAILED,
                                         QStringLiteral("network search: no probe sent: %1").arg(sendError));
    }

    // Until the window ends, and then while an agent that answered still owes a follow-up answer.
    [[nodiscard]] qint64 RemainingWait() const {
        qint64 wait = m_window.remainingTime();
        for (const Agent& agent : m_agents) {
            if (!agent.Decided())
                wait = std::max(wait, agent.deadline.remainingTime());
        }
        return wait;
    }

    void Take(QByteArrayView datagram, const QHostAddress& sender, quint16 senderPort) {
        if (m_mode == kSearchDnsSd) {
            TakeDnsSd(datagram, sender);
            return;
        }
        const std::optional<SnmpResponse> reply = ParseSnmpResponse(datagram);
        if (!reply)
            return;
        if (reply->requestId == m_requestId) {
            TakeProbeAnswer(*reply, sender, senderPort);
            return;
        }
        for (Agent& agent : m_agents) {
            if (agent.address.isEqual(sender, QHostAddress::TolerantConversion) && agent.port == senderPort &&
                !agent.Decided()) {
                TakeFollowUpAnswer(agent, *reply);
                return;
            }
        }
    }

    void TakeDnsSd(QByteArrayView datagram, const QHostAddress& sender) {
        // A legacy unicast answer echoes the query id; a multicast-style one carries 0.
        const std::optional<DnsSdResponse> reply = ParseDnsSdResponse(datagram);
        if (!reply || (reply->id != 0 && reply->id != quint16(m_requestId & 0xFFFF)))
            return;
        const QString address = reply->address ? QHostAddress(*reply->address).toString() : Ipv4Text(sender);
        if (address.isEmpty())
            return;
        for (const FoundPrinter& printer : m_found) {
            if (printer.address == address)
                return;
        }
        m_found.append(
            {address, DescriptionText(reply->description), reply->port.value_or(kDefaultPrinterPort)});
    }

    void TakeProbeAnswer(const SnmpResponse& reply, const QHostAddress& sender, quint16 senderPort) {
        if (Ipv4Text(sender).isEmpty())
            return;
        for (const Agent& agent : m_agents) {
            if (agent.address.isEqual(sender, QHostAddress::TolerantConversion))
                return; // answered twice
        }
        Agent agent;
        agent.address = sender;
        agent.port = senderPort;
        agent.description = DescriptionText(reply.sysDescr);
        m_agents.append(agent);
        Ask(m_agents.last(), kPrinterMibQuestion, kPrinterMib);
        Ask(m_agents.last(), kFirstDeviceQuestion, kHrDeviceTypeColumn);
    }

    void TakeFollowUpAnswer(Agent& agent, const SnmpResponse& reply) {
        if (reply.requestId == m_requestId + kPrinterMibQuestion && !agent.mibSettled) {
            agent.mibSettled = true;
            agent.printer = PrinterMibEvidence(reply) == PrinterEvidence::Printer;
            return;
        }
        if (reply.requestId != m_requestId + kFirstDeviceQuestion + agent.deviceStep || agent.devicesSettled)
            return;
        switch (DeviceTypeEvidence(reply)) {
        case PrinterEvidence::Printer:
            agent.printer = true;
            agent.devicesSettled = true;
            break;
        case PrinterEvidence::NotPrinter:
            agent.devicesSettled = true;
            break;
        case PrinterEvidence::NextDevice:
            if (++agent.deviceStep >= kMaxDeviceSteps) {
                agent.devicesSettled = true;
                break;
            }
            Ask(agent, kFirstDeviceQuestion + agent.deviceStep, reply.first->oid);
            break;
        }
    }

    void Ask(Agent& agent, std::int32_t question, const snmp::Oid& oid) {
        const QByteArray request = BuildSnmpGetNextRequest(m_requestId + question, oid);
        m_socket.writeDatagram(request, agent.address, agent.port);
        agent.deadline = QDeadlineTimer(kSnmpFollowUpMs);
    }

    const int m_mode;
    const QDeadlineTimer m_window;
    std::int32_t m_requestId = 0;
    QUdpSocket m_socket;
    QList<Agent> m_agents;       // SNMP: every agent that answered, in the order of its answer
    QList<FoundPrinter> m_found; // DNS-SD: every responder, in the order of its answer
};

} // namespace

std::optional<QList<SearchTarget>> ParseSearchTargets(const QString& text, QString* error) {
    QList<SearchTarget> targets;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString entry = item.trimmed();
        if (entry.isEmpty())
            continue;
        const qsizetype colon = entry.lastIndexOf(QLatin1Char(':'));
        QHostAddress address;
        bool isPort = false;
        const QString portText = colon > 0 ? entry.mid(colon + 1) : QString();
        // Digits only: toUInt would also take a sign or blanks.
        const bool digits = !portText.isEmpty() && std::all_of(portText.begin(), portText.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
        const uint port = digits ? portText.toUInt(&isPort, 10) : 0;
        if (colon <= 0 || !address.setAddress(entry.left(colon)) ||
            address.protocol() != QAbstractSocket::IPv4Protocol || !isPort || port == 0 || port > 65535) {
            if (error)
                *error =
                    QStringLiteral("\"%1\" is not HOST:PORT (an IPv4 address and a port from 1 to 65535)")
                        .arg(entry);
            return std::nullopt;
        }
        const SearchTarget target{address, quint16(port)};
        if (!targets.contains(target))
            targets.append(target);
    }
    return targets;
}

QList<SearchTarget> SearchTargetsFor(int mode) {
    if (qEnvironmentVariableIsSet(kSearchTargetsVariable)) {
        QString error;
        const std::optional<QList<SearchTarget>> targets =
            ParseSearchTargets(qEnvironmentVariable(kSearchTargetsVariable), &error);
        if (!targets)
            throw CommunicationException(
                COMM_BAD_PARAMETER,
                QStringLiteral("network search: %1: %2").arg(QLatin1String(kSearchTargetsVariable), error));
        return *targets;
    }
    if (mode == kSearchSnmp)
        return InterfaceBroadcastTargets();
    return {SearchTarget{QHostAddress(QString::fromLatin1(kDnsSdGroup)), kDnsSdPort}};
}

QList<FoundPrinter> FindNetworkPrinters(int mode, const QList<SearchTarget>& targets, int windowMs) {
    if ((mode != kSearchSnmp && mode != kSearchDnsSd) || targets.isEmpty())
        return {};
    Search search(mode, windowMs);
    search.Run(targets);
    return search.Found();
}

QStringList SearchNetworkPrinters(int mode, const QList<SearchTarget>& targets, int windowMs) {
    return AddressesOf(FindNetworkPrinters(mode, targets, windowMs));
}

} // namespace quillory

int quillory_find_network_printers(int mode, QList<quillory::FoundPrinter>* found, QString* error) {
    using namespace quillory;
    try {
        *found = FindNetworkPrinters(mode, SearchTargetsFor(mode), kSearchWindowMs);
        return 0;
    } catch (const CommunicationException& e) {
        *error = e.Detail();
        return e.GetErrorCode();
    }
}
