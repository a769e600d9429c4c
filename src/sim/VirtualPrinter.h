#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace quillory::sim {

// Faults the virtual printer injects on request. The pseudo-terminal knows no connections, so
// closeAfterBytes and refuseConnections apply to TCP only; the others apply to both.
struct Faults {
    int replyDelayMs = 0;           // wait this long before every reply
    bool silent = false;            // take every byte, never reply
    bool garbage = false;           // reply bytes that are not what was asked for
    qint64 closeAfterBytes = -1;    // drop the connection once this many bytes came in (-1: never)
    bool refuseConnections = false; // close every new connection at once
};

// A printer of one of the five command languages, on 127.0.0.1:PORT (TCP) and/or on a
// pseudo-terminal (serial). It runs on its own thread, so a test or the demo can talk to it with
// blocking calls from any other thread. Every accessor is thread-safe.
class VirtualPrinter {
public:
    // instructionIndex: 0 VKLZ, 1 VKLE, 2 VKLT, 3 VKLA, 4 VKLC.
    explicit VirtualPrinter(int instructionIndex);
    ~VirtualPrinter();
    VirtualPrinter(const VirtualPrinter&) = delete;
    VirtualPrinter& operator=(const VirtualPrinter&) = delete;

    // Listens on 127.0.0.1; port 0 picks a free port. Returns false when it cannot listen.
    bool StartTcp(std::uint16_t port = 0);
    [[nodiscard]] std::uint16_t TcpPort() const;
    // Opens a pseudo-terminal and returns the path of its device (e.g. /dev/pts/5); empty on failure.
    QString StartPty();
    // Answers the network search probes (SNMP sysDescr and DNS-SD) on UDP 127.0.0.1:port; port 0
    // picks a free one. Returns the port, 0 on failure.
    std::uint16_t StartSearchResponder(std::uint16_t port = 0);
    // Stops every listener and connection; also done by the destructor.
    void Stop();

    [[nodiscard]] int InstructionIndex() const;

    // Every byte received since the start or the last ClearLog, across all connections.
    [[nodiscard]] QByteArray ReceivedBytes() const;
    void ClearLog();
    // Waits until at least count bytes have been received; false on time-out.
    bool WaitForBytes(qsizetype count, int timeoutMs) const;
    // Also appends every received byte to this file (empty: no file).
    void SetLogFile(const QString& path);
    // The service actions the printer carried out ("self-test", "feed", "calibrate",
    // "factory-reset", "restart", "dump-on", ...), in order; cleared with the log.
    [[nodiscard]] QStringList Actions() const;
    // TCP connections accepted since the start (refused ones not counted).
    [[nodiscard]] int ConnectionCount() const;

    void SetFaults(const Faults& faults);
    [[nodiscard]] Faults CurrentFaults() const;

    // The EEPROM image: 256 words (VKLA uses 00..7D). Starts with plausible defaults per language.
    [[nodiscard]] std::uint16_t EepromWord(int address) const;
    void SetEepromWord(int address, std::uint16_t value);
    // Loads the image from a file when it exists and saves it back after every change.
    bool AttachEepromFile(const QString& path);

    // The version reply, the VKLA ID text, and the printer name texts of the other languages.
    [[nodiscard]] QByteArray VersionText() const;
    void SetVersionText(const QByteArray& text);
    [[nodiscard]] QByteArray IdText() const;
    void SetIdText(const QByteArray& text);
    [[nodiscard]] QByteArray IniText(const QByteArray& key) const; // PrinterName, PrinterNameZorv, TphAdj
    void SetIniText(const QByteArray& key, const QByteArray& text);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace quillory::sim
