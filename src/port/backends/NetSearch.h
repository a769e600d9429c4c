#pragma once

#include "port/backends/NetworkSearch.h"
#include "port/backends/SearchPackets.h"

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The network printer search itself: its destinations, and the probes sent and answered over UDP.
namespace quillory {

// How long first replies are collected after the probes went out.
inline constexpr int kSearchWindowMs = 1500;
// How long an SNMP agent that answered may take over each follow-up question.
inline constexpr int kSnmpFollowUpMs = 1000;

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

// --- the search ---

// Sends the probes of mode to targets and collects replies for windowMs. SNMP agents that answer
// are then asked whether they are printers (a printer device type in the host resources device
// table, or the Printer MIB); only those that are, are listed. Responders are deduplicated and
// listed in the order of their first answer. Throws CommunicationException (3) when no probe
// could be sent at all.
[[nodiscard]] QList<FoundPrinter> FindNetworkPrinters(int mode, const QList<SearchTarget>& targets,
                                                      int windowMs = kSearchWindowMs);
// The addresses of FindNetworkPrinters.
[[nodiscard]] QStringList SearchNetworkPrinters(int mode, const QList<SearchTarget>& targets, int windowMs);

} // namespace quillory
