#pragma once

#include "port/net/Snmp.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMap>

#include <cstdint>

// Answers to the network search: an SNMP agent (versions 1 and 2c, read-only) and a DNS-SD
// responder for PTR _pdl-datastream._tcp.local. Requests come from the network, so anything
// malformed, of another version or with another community simply gets no answer, as from a
// real agent.
namespace quillory::sim {

struct SearchIdentity {
    QByteArray description;  // sysDescr.0, hrDeviceDescr.1, prtGeneralPrinterName.1
    QByteArray instanceName; // the DNS-SD service instance label
    QByteArray hostName;     // sysName.0 and the target of the SRV record, ending in ".local"
    std::uint16_t tcpPort = 9100;
    std::uint32_t ipv4 = 0x7F000001;
    QList<QByteArray> txt;           // "key=value" strings
    QByteArray community = "public"; // the only community answered
};

// The objects an agent serves, in MIB order.
using Mib = QMap<snmp::Oid, snmp::Value>;

// What the virtual printer's agent serves: the system group, its printer in the host resources
// device table (hrDeviceType.1 = hrDevicePrinter) and a few objects of the Printer MIB.
[[nodiscard]] Mib PrinterMib(const SearchIdentity& identity);

// The response to an SNMP request of version 1 or 2c with the right community, empty for anything
// else. The request id and the request's variables are kept, each with its value. Objects that
// are not there: SNMPv1 answers noSuchName with the index of the first one and the variables as
// they were asked; SNMPv2c answers each with noSuchObject (noSuchInstance below an object that
// exists) and endOfMibView past the last object. Set is refused (noSuchName, noAccess).
[[nodiscard]] QByteArray AnswerSnmpRequest(QByteArrayView datagram, const QByteArray& community,
                                           const Mib& mib);

// The reply datagram for a probe, empty when the datagram is neither kind of probe.
[[nodiscard]] QByteArray AnswerSearchProbe(QByteArrayView datagram, const SearchIdentity& identity);
[[nodiscard]] QByteArray AnswerSnmpProbe(QByteArrayView datagram, const SearchIdentity& identity);
[[nodiscard]] QByteArray AnswerDnsSdProbe(QByteArrayView datagram, const SearchIdentity& identity);

} // namespace quillory::sim
