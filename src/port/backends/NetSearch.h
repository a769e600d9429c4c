#pragma once

#include "port/net/Snmp.h"

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
// How long first replies are collected after the probes went out.
inline constexpr int kSearchWindowMs = 1500;
// How long an SNMP agent that answered may take over each follow-up question.
inline constexpr int kSnmpFollowUpMs = 1000;
// Larger datagrams are no answer to our probes and are dropped unread.
inline constexpr int kMaxSearchDatagramBytes = 4096;

struct SearchTarget {
    QHostAddress address;
    quint16 port = 0;
    friend bool operator==(const SearchTarget&, const SearchTarget&) = default;
};

// "host:port,host:port" with IPv4 hosts and ports 1 to 65535, blanks around entries and empty
// entries ignored, duplicates listed once. Nothing (and why in *error) when an entry is malformed.
[[nodiscard]] std::optional<QList<SearchTarget>> ParseSearchTargets(const QString& text,
                                                                    QString* error = nullptr);
// Where the probes of a mode go: QUILLORY_SEARCH_TARGETS when it is set (an empty value names no
// destination at all), otherwise every interface's IPv4 broadcast address on UDP 161 (mode 2) or
// the DNS-SD multicast group 224.0.0.251:5353 (mode 3). Throws CommunicationException (2) with
// the offending entry when the variable is malformed.
[[nodiscard]] QList<SearchTarget> SearchTargetsFor(int mode);

// --- SNMP probes ---

// The objects that tell a printer from any other SNMP agent.
inline const snmp::Oid kSysDescrOid{1, 3, 6, 1, 2, 1, 1, 1, 0};
inline const snmp::Oid kHrDeviceTypeColumn{1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 2};
inline const snmp::Oid kHrDevicePrinter{1, 3, 6, 1, 2, 1, 25, 3, 1, 5};
inline const snmp::Oid kPrinterMib{1, 3, 6, 1, 2, 1, 43};

// SNMPv1 GetRequest, community "public", for sysDescr.0 (1.3.6.1.2.1.1.1.0).
[[nodiscard]] QByteArray BuildSnmpSysDescrRequest(std::int32_t requestId);
// SNMPv1 GetNextRequest, community "public", for the object after oid.
[[nodiscard]] QByteArray BuildSnmpGetNextRequest(std::int32_t requestId, const snmp::Oid& oid);

struct SnmpResponse {
    std::int64_t requestId = 0;
    std::int64_t errorStatus = 0;
    std::optional<snmp::VarBind> first; // the first variable, when there is one
    QByteArray sysDescr;                // its value when it is sysDescr.0 as an octet string
};
// A well-formed SNMP GetResponse, or nothing. Never reads outside datagram.
[[nodiscard]] std::optional<SnmpResponse> ParseSnmpResponse(QByteArrayView datagram);

// What an answer to a follow-up question says about the agent.
enum class PrinterEvidence {
    Printer,    // a printer device type, or an object of the Printer MIB
    NotPrinter, // no such object: this question is settled against a printer
    NextDevice, // another device of the agent's device table: ask for the one after it
};
// The answer to GetNext(kPrinterMib).
[[nodiscard]] PrinterEvidence PrinterMibEvidence(const SnmpResponse& reply);
// The answer to GetNext(kHrDeviceTypeColumn or a device type entry of it).
[[nodiscard]] PrinterEvidence DeviceTypeEvidence(const SnmpResponse& reply);

// --- DNS-SD probes ---

// One-shot DNS-SD query: PTR _pdl-datastream._tcp.local.
[[nodiscard]] QByteArray BuildDnsSdQuery(quint16 id);

struct DnsSdResponse {
    quint16 id = 0;
    std::optional<quint32> address; // the first A record, host byte order
    std::optional<quint16> port;    // the TCP port of the instance's SRV record
    QByteArray description;         // the TXT "ty" of the instance, else its instance name
};
// A DNS response that answers PTR _pdl-datastream._tcp.local, or nothing. Compressed names are
// followed only backwards (no loops) and every read is bounded by datagram.
[[nodiscard]] std::optional<DnsSdResponse> ParseDnsSdResponse(QByteArrayView datagram);

// --- the search ---

// The raw TCP port of network label printers, when the search does not learn another.
inline constexpr quint16 kDefaultPrinterPort = 9100;

struct FoundPrinter {
    QString address;     // dotted IPv4
    QString description; // what the printer says it is, on one line (may be empty)
    quint16 port = kDefaultPrinterPort;
    friend bool operator==(const FoundPrinter&, const FoundPrinter&) = default;
};

// Sends the probes of mode to targets and collects replies for windowMs. SNMP agents that answer
// are then asked whether they are printers (a printer device type in the host resources device
// table, or the Printer MIB); only those that are, are listed. Responders are deduplicated and
// listed in the order of their first answer. Throws CommunicationException (3) when no probe
// could be sent at all.
[[nodiscard]] QList<FoundPrinter> FindNetworkPrinters(int mode, const QList<SearchTarget>& targets,
                                                      int windowMs = kSearchWindowMs);
// FindNetworkPrinters to the destinations of SearchTargetsFor(mode).
[[nodiscard]] QList<FoundPrinter> FindNetworkPrinters(int mode);
// The addresses of FindNetworkPrinters.
[[nodiscard]] QStringList SearchNetworkPrinters(int mode, const QList<SearchTarget>& targets, int windowMs);

} // namespace quillory
