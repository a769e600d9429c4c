#pragma once

#include "port/Communication.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>

#include <functional>
#include <optional>

namespace quillory {

// Tells from the bytes of a reply so far whether the line stopped inside it: true keeps the read
// going past the reply gap for the rest. For replies whose end can be seen (a number ends with a
// line end, a listing with its free space).
using ReplyCutOff = bool (*)(QByteArrayView replySoFar);

// A number reply of hex digits that no line end has closed yet (line ends before the digits
// close the previous reply).
[[nodiscard]] bool NumberCutOff(QByteArrayView replySoFar);

// Read and write time-outs of an exchange; nullopt means none are set.
struct Timeouts {
    int read;
    int write;
};
inline constexpr std::optional<Timeouts> kStandardTimeouts = Timeouts{30, 30};
inline constexpr std::optional<Timeouts> kNoTimeouts = std::nullopt;

// One self-contained printer exchange: a factory and a connection for one port description,
// closed when the exchange ends. Every call throws CommunicationException on failure.
//
// Replies are awaited with the connection's reply time-out, counted from the last request or the
// last byte of the reply so far, so that a printer that answers late is still heard; reads that
// only look for what is pending (drains) wait the short read time-out. Bytes that have arrived
// before a request goes out answer an earlier request and are dropped first, so a late reply is
// never taken for the answer to the next one.
class CExchange {
public:
    // How long the rest of a reply that stopped part way is awaited: longer than a line pauses
    // inside a reply (a USB adapter's buffer, a bridge's packets, a loaded host), short enough that
    // a printer that never ends its replies is not slowed down much.
    static constexpr int kRestOfReplyMs = 500;
    static constexpr int kSerialTextGapMs = 20;

    explicit CExchange(const tagPORTINFO& port);
    ~CExchange();
    CExchange(const CExchange&) = delete;
    CExchange& operator=(const CExchange&) = delete;

    void Open(std::optional<Timeouts> timeouts);
    void SetTimeouts(int read, int write);
    // Writes every byte of data (its text length, or a fixed length the caller chose). The first
    // write after Open or after a read drops what the printer sent before it.
    void Write(QByteArrayView data);
    // One awaited read into a zeroed buffer of capacity bytes; the reply up to its first zero byte.
    [[nodiscard]] QByteArray Read(int capacity, ReplyCutOff cutOff = nullptr);
    // One awaited read; every byte that came, zero bytes included. With cutOff, a reply it calls
    // cut off waits for its rest up to kRestOfReplyMs (at most the reply time-out) per pause.
    [[nodiscard]] QByteArray ReadRaw(int capacity, ReplyCutOff cutOff = nullptr);
    // One awaited read of a text whose end cannot be seen (a version, a printer name), every byte
    // that came. On a serial line it ends only after kSerialTextGapMs of quiet at least: USB
    // serial adapters deliver what they receive in bursts some 16 ms apart, and nothing but
    // the quiet tells such a text's end.
    [[nodiscard]] QByteArray ReadText(int capacity);
    // One read of what is pending, waiting only the short read time-out.
    [[nodiscard]] QByteArray ReadPending(int capacity);
    // Discards pending input: reads of capacity bytes until one returns nothing. Bounded: a
    // printer that never stops talking ends the exchange with code 3.
    void DrainUntilQuiet(int capacity);
    void Close();

    // Whether the port can bring replies at all (a print queue or a parallel port cannot).
    [[nodiscard]] bool CanRead() const;
    // The connection's waiting rules.
    [[nodiscard]] const PortTiming& Timing() const;

private:
    QByteArray ReadFor(int capacity, int waitMs, int gapMs = 0);
    // The wait for an awaited reply: the rest of the reply time-out, never less than a drain's.
    [[nodiscard]] int AwaitedWaitMs() const;

    tagPORTINFO m_port;
    CCommunicationFactory m_factory;
    CCommunicationProtocol* m_connection;
    int m_shortWaitMs = kDefaultReadTimeoutMs;
    bool m_readSinceWrite = true;
    QElapsedTimer m_lastActivity;
};

// Runs body inside an exchange: creates the connection, lets body open and talk, closes. A
// CommunicationException closes the connection and becomes the result (its detail goes to
// LastCommunicationFailure()); 0 otherwise.
int RunExchange(const tagPORTINFO& port, const std::function<void(CExchange&)>& body);

// Opens with the given time-outs, writes each command as its own write, closes.
int SendCommands(const tagPORTINFO& port, std::optional<Timeouts> timeouts,
                 std::initializer_list<QByteArray> commands);

// The routines that read and write EEPROM values (used inside an open exchange).
// VKLA: one read into a 10-byte buffer; the number AND mask. No reply, or a reply that is not a
// number, is a failure.
[[nodiscard]] unsigned ReadEepromWord(CExchange& exchange, QByteArrayView address, std::uint16_t mask);
void WriteEepromMasked(CExchange& exchange, QByteArrayView address, std::uint16_t mask, unsigned value);
// The other languages: the field value, unshifted; reads a second time when nothing came the
// first. No reply, or one that is not a number, is a failure.
[[nodiscard]] unsigned ReadEepromBits(CExchange& exchange, QByteArrayView address, int first, int last);
void WriteEepromBits(CExchange& exchange, QByteArrayView address, int first, int last, int value);
// The version query: writes query, reads one reply into a buffer of capacity bytes and returns
// it up to its first zero byte. A reply that is not a version text is code 3; where the language
// requires "FV" in it, so is no reply or one without it.
[[nodiscard]] QByteArray QueryVersion(CExchange& exchange, QByteArrayView query, int capacity,
                                      bool requireMarker);
// The print resolution of VKLE, VKLT and VKLZ from the low byte of word 18: 8 is 203 dpi, 12 is
// 300, 24 is 600, anything else 203. The byte is fetched again for every value it is compared with.
[[nodiscard]] int ReadResolution(CExchange& exchange);

} // namespace quillory
