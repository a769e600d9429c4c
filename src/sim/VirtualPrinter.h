#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace quillory::sim {

// The printer stops reading for ms milliseconds once a connection has received offset bytes.
struct Stall {
    int ms = 0;
    qint64 offset = 0;
};

// Faults and the timing of real printers, injected on request; changeable while the printer runs
// (connections take the new values at once; replies already waiting keep their times). The pseudo-terminal
// knows no connections, so closeAfterBytes and refuseConnections apply to TCP only; everything else applies
// to both, and on the pseudo-terminal "a connection" is one client's hold of the slave.
struct Faults {
    // Older name of a latency without jitter; added to latencyMs.
    int replyDelayMs = 0;
    bool silent = false;            // take every byte, never send anything
    bool garbage = false;           // replace each reply by junk of the same length
    qint64 closeAfterBytes = -1;    // drop the connection once this many bytes came in (-1: never)
    bool refuseConnections = false; // close every new connection at once

    // Each reply leaves latencyMs +/- a uniformly random jitterMs (never below 0) after the request
    // that caused it arrived completely, and never before the previous reply of the connection
    // has gone out: replies keep their order, and requests that arrive together are answered
    // one latency after their own arrival (pipelined), not one latency after another.
    int latencyMs = 0;
    int jitterMs = 0;
    // A serial line of this many baud (10 bits a character; 0: no line). Byte k of a run of output
    // leaves no earlier than k * 10 / baud seconds after the run began, and the printer reads
    // what comes in no faster than such a line delivers it, leaving the rest in the kernel so that
    // the client's writes block as with flow control. Over TCP too, like a serial bridge.
    int baud = 0;
    // The printer reads at most readRate bytes a second (0: no limit), in bursts of readBurst
    // bytes: in each window of readBurst / readRate seconds it takes up to readBurst bytes as soon
    // as they are there, then nothing until the window ends. 0 for readBurst: smooth, bursts of
    // 10 ms worth of bytes. 436907 / 262144 reads 256 KiB every 0.6 s.
    qint64 readRate = 0;
    qint64 readBurst = 0;
    // Pauses in reading, by the number of bytes the connection has received.
    std::vector<Stall> stalls{};
    // Once the first bytes of a connection have arrived, the printer sends junk as fast as the line
    // allows (and no replies) until the connection ends.
    bool endless = false;
    // Every reply is followed by this many bytes of junk.
    qint64 hugeReplyBytes = 0;
    // While a client is connected, one junk byte every trickleMs milliseconds (0: off), between
    // replies, whatever is asked.
    int trickleMs = 0;
    // Every reply longer than pauseAfterBytes stops for pauseInReplyMs after its first
    // pauseAfterBytes bytes, as a busy printer, a USB adapter's buffer or a bridge's packets make
    // a line pause inside a reply (0: never).
    int pauseInReplyMs = 0;
    int pauseAfterBytes = 2;
    // EEPROM word addresses whose writes the printer accepts but does not carry out: word,
    // bit-field and masked writes, the language commands that land in these words, network frames
    // and the factory reset all leave them as they are. Reads return the old value.
    std::vector<int> ignoreWrites{};
};

// Junk as the faults send it: no hexadecimal digit, no line end, no "FV", so no run of it can be
// taken for a reply. Byte i of the junk stream is JunkByte(i).
[[nodiscard]] char JunkByte(qint64 index);

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
    // Whether ReceivedBytes keeps the bytes (the default); a long-running printer that only logs to
    // a file does not, so its memory stays flat however much it receives.
    void SetLogInMemory(bool keep);
    // Waits until at least count bytes have been received (kept in memory or not) since the start
    // or the last ClearLog; false on time-out.
    bool WaitForBytes(qsizetype count, int timeoutMs) const;
    // When the latest received byte arrived (the clock's epoch before the first): a sender's time
    // to deliver, free of how late a waiting thread wakes up.
    [[nodiscard]] std::chrono::steady_clock::time_point LastReceivedAt() const;
    // Also appends every received byte to this file (empty: no file).
    void SetLogFile(const QString& path);
    // The service actions the printer carried out ("self-test", "feed", "calibrate",
    // "factory-reset", "restart", "dump-on", ...), in order; cleared with the log.
    [[nodiscard]] QStringList Actions() const;
    // TCP connections accepted since the start (refused ones not counted).
    [[nodiscard]] int ConnectionCount() const;
    // True while the printer talks to a client of its pseudo-terminal: from the client's first
    // bytes or open until the printer has seen the last client close the slave. A serial line
    // knows no connections, so a client that opens the slave again before that continues the
    // same one (with its stalls done and its unsent replies); tests wait for false in between.
    [[nodiscard]] bool PtyClientPresent() const;

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
