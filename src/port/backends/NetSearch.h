#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The network printer search: probe packets, reply parsing and the search itself.
namespace quillory {

// Search modes of SearchNet.
inline constexpr int kSearchSnmp = 2;
inline constexpr int kSearchDnsSd = 3;
// How long replies are collected after the probes went out.
inline constexpr int kSearchWindowMs = 1500;
// Larger datagrams are no answer to our probes and are dropped unread.
inline constexpr int kMaxSearchDatagramBytes = 4096;

struct SearchTarget {
    QHostAddress address;
    quint16 port = 0;
    friend bool operator==(const SearchTarget&, const SearchTarget&) = default;
};

// "host:port,host:port" with IPv4 hosts; malformed entries are left out.
[[nodiscard]] QList<SearchTarget> ParseSearchTargets(const QString& text);
// Where the probes of a mode go: QUILLORY_SEARCH_TARGETS when it is set (even when it names
// nothing usable), otherwise every interface's IPv4 broadcast address on UDP 161 (mode 2) or the
// DNS-SD multicast group 224.0.0.251:5353 (mode 3).
[[nodiscard]] QList<SearchTarget> SearchTargetsFor(int mode);

// SNMPv1 GetRequest, community "public", for sysDescr.0 (1.3.6.1.2.1.1.1.0).
[[nodiscard]] QByteArray BuildSnmpSysDescrRequest(std::int32_t requestId);

struct SnmpResponse {
    std::int64_t requestId = 0;
    std::int64_t errorStatus = 0;
    QByteArray sysDescr; // empty when the first variable is no octet string
};
// A well-formed SNMP GetResponse, or nothing. Never reads outside datagram.
[[nodiscard]] std::optional<SnmpResponse> ParseSnmpResponse(QByteArrayView datagram);

// One-shot DNS-SD query: PTR _pdl-datastream._tcp.local.
[[nodiscard]] QByteArray BuildDnsSdQuery(quint16 id);

struct DnsSdResponse {
    quint16 id = 0;
    std::optional<quint32> address; // the first A record, host byte order
};
// A DNS response that answers PTR _pdl-datastream._tcp.local, or nothing. Compressed names are
// followed only backwards (no loops) and every read is bounded by datagram.
[[nodiscard]] std::optional<DnsSdResponse> ParseDnsSdResponse(QByteArrayView datagram);

// Sends the probes of mode to targets, collects replies for windowMs and returns the responders'
// IPv4 addresses, deduplicated, in arrival order. Throws CommunicationException (3) when no probe
// could be sent at all.
[[nodiscard]] QStringList SearchNetworkPrinters(int mode, const QList<SearchTarget>& targets, int windowMs);

} // namespace quillory
