#pragma once

#include "port/net/Snmp.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <optional>

// The probe packets of the network search and the parsing of their replies.
namespace quillory {

// Larger datagrams are no answer to our probes and are dropped unread.
inline constexpr int kMaxSearchDatagramBytes = 4096;

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

} // namespace quillory
