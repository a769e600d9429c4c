#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>

// Answers to the two network search probes: an SNMPv1 GetRequest for sysDescr.0 and a DNS-SD
// query for PTR _pdl-datastream._tcp.local. Probes come from the network, so every read is
// bounded and anything malformed simply gets no answer.
namespace quillory::sim {

struct SearchIdentity {
    QByteArray description;  // sysDescr.0
    QByteArray instanceName; // the DNS-SD service instance label
    QByteArray hostName;     // the target of the SRV record, ending in ".local"
    std::uint16_t tcpPort = 9100;
    std::uint32_t ipv4 = 0x7F000001;
    QList<QByteArray> txt; // "key=value" strings
};

// The reply datagram for a probe, empty when the datagram is neither probe.
[[nodiscard]] QByteArray AnswerSearchProbe(QByteArrayView datagram, const SearchIdentity& identity);
[[nodiscard]] QByteArray AnswerSnmpProbe(QByteArrayView datagram, const SearchIdentity& identity);
[[nodiscard]] QByteArray AnswerDnsSdProbe(QByteArrayView datagram, const SearchIdentity& identity);

} // namespace quillory::sim
