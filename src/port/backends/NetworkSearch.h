#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The network printer search as the rest of the program sees it. The search itself needs Qt's
// network library, which the command line should not load at every start: it is built as the
// module quillory-search.so, which the command line opens the first time it searches; the desktop
// program links it and registers it with SetNetworkSearch.
namespace quillory {

// Search modes of SearchNet.
inline constexpr int kSearchSnmp = 2;
inline constexpr int kSearchDnsSd = 3;

// Where the search sends its probes instead of its usual destinations, so that tests can stand in
// loopback peers: "host:port,host:port".
inline constexpr char kSearchTargetsVariable[] = "QUILLORY_SEARCH_TARGETS";

// The raw TCP port of network label printers, when the search does not learn another.
inline constexpr quint16 kDefaultPrinterPort = 9100;

struct FoundPrinter {
    QString address;     // dotted IPv4
    QString description; // what the printer says it is, on one line (may be empty)
    quint16 port = kDefaultPrinterPort;
    friend bool operator==(const FoundPrinter&, const FoundPrinter&) = default;
};

// The addresses of found printers, in their order. (Inline: the search module has its own copy.)
[[nodiscard]] inline QStringList AddressesOf(const QList<FoundPrinter>& printers) {
    QStringList addresses;
    for (const FoundPrinter& printer : printers)
        addresses.append(printer.address);
    return addresses;
}

// The search of one mode to its usual destinations: fills *found and returns 0, or returns the
// CommunicationException code of the failure with its explanation in *error.
using NetworkSearchFunction = int (*)(int mode, QList<FoundPrinter>* found, QString* error);
void SetNetworkSearch(NetworkSearchFunction search);

// The printers the search of mode finds at the destinations of SearchTargetsFor(mode). Throws
// CommunicationException, code 4 when the search module cannot be loaded.
[[nodiscard]] QList<FoundPrinter> FindNetworkPrinters(int mode);
// Their addresses.
[[nodiscard]] QStringList SearchNetworkPrinters(int mode);

} // namespace quillory

#define QUILLORY_SEARCH_ENTRY "quillory_find_network_printers"

extern "C" {
// The search module's entry: a NetworkSearchFunction.
__attribute__((visibility("default"))) int
quillory_find_network_printers(int mode, QList<quillory::FoundPrinter>* found, QString* error);
}
