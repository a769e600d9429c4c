#pragma once

// Every reading operation of a language run against the virtual printer, with what it read, so
// that a printer that is slow, trickles or pauses can be compared with one that answers at once.
#include "instruction/InstructionProtocol.h"
#include "port/PortTiming.h"
#include "sim/VirtualPrinter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace quillory::test {

struct Reading {
    int settingsCode = -1;
    std::vector<std::pair<QString, QVariant>> settings;
    int backupCode = -1;
    std::vector<std::uint16_t> image;
    QByteArray backupFile;
    int networkCode = -1;
    NetworkSettings network;
    // VKLA prints its font and graphic lists from the printer's reply: the label bytes.
    int fontListCode = -1;
    QByteArray fontLabel;
    int graphicListCode = -1;
    QByteArray graphicLabel;
    // Why each operation that failed did, as its connection said.
    QStringList failures;
};

// Every word of the image set to a value of its own (within what the language keeps), so that a
// value read for the wrong request shows.
void FillDistinctImage(sim::VirtualPrinter& printer, int seed);

// ReadSettings, BackupEeprom, ReadNetworkSettings (VKLC, VKLE, VKLT, VKLZ) and the VKLA lists.
[[nodiscard]] Reading ReadEverything(int language, const tagPORTINFO& port, sim::VirtualPrinter& printer);

// Field by field; an empty text when both are the same.
[[nodiscard]] QString Difference(const Reading& expected, const Reading& actual);

[[nodiscard]] tagPORTINFO TcpPort(std::uint16_t port);
[[nodiscard]] tagPORTINFO SerialLine(const QString& device, int baud);

// Sets the timing every connection gets for the life of the object.
class TimingScope {
public:
    explicit TimingScope(const PortTiming& timing);
    ~TimingScope();
    TimingScope(const TimingScope&) = delete;
    TimingScope& operator=(const TimingScope&) = delete;
};

} // namespace quillory::test
