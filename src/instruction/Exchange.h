#pragma once

#include "port/Communication.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <optional>

namespace quillory {

// Read and write time-outs of an exchange; nullopt means none are set.
struct Timeouts {
    int read;
    int write;
};
inline constexpr std::optional<Timeouts> kStandardTimeouts = Timeouts{30, 30};
inline constexpr std::optional<Timeouts> kNoTimeouts = std::nullopt;

// One self-contained printer exchange: a factory and a connection for one port description,
// closed when the exchange ends. Every call throws CommunicationException on failure.
class CExchange {
public:
    explicit CExchange(const tagPORTINFO& port);
    ~CExchange();
    CExchange(const CExchange&) = delete;
    CExchange& operator=(const CExchange&) = delete;

    void Open(std::optional<Timeouts> timeouts);
    void SetTimeouts(int read, int write);
    // Writes every byte of data (its text length, or a fixed length the caller chose).
    void Write(QByteArrayView data);
    // One read into a zeroed buffer of capacity bytes; the reply up to its first zero byte.
    [[nodiscard]] QByteArray Read(int capacity);
    // One read; every byte that came, zero bytes included.
    [[nodiscard]] QByteArray ReadRaw(int capacity);
    // Discards pending input: reads of capacity bytes until one returns nothing. Bounded, so a
    // printer that never stops talking cannot hold the exchange forever.
    void DrainUntilQuiet(int capacity);
    void Close();

private:
    tagPORTINFO m_port;
    CCommunicationFactory m_factory;
    CCommunicationProtocol* m_connection;
};

// Runs body inside an exchange: creates the connection, lets body open and talk, closes. A
// CommunicationException closes the connection and becomes the result; 0 otherwise.
int RunExchange(const tagPORTINFO& port, const std::function<void(CExchange&)>& body);

// Opens with the given time-outs, writes each command as its own write, closes.
int SendCommands(const tagPORTINFO& port, std::optional<Timeouts> timeouts,
                 std::initializer_list<QByteArray> commands);

// The routines that read and write EEPROM values (used inside an open exchange).
// VKLA: one read into a 10-byte buffer; the number AND mask. No reply at all is a failure.
[[nodiscard]] unsigned ReadEepromWord(CExchange& exchange, QByteArrayView address, std::uint16_t mask);
void WriteEepromMasked(CExchange& exchange, QByteArrayView address, std::uint16_t mask, unsigned value);
// The other languages: the field value, unshifted; reads a second time when nothing came the first.
[[nodiscard]] unsigned ReadEepromBits(CExchange& exchange, QByteArrayView address, int first, int last);
void WriteEepromBits(CExchange& exchange, QByteArrayView address, int first, int last, int value);
// The print resolution of VKLE, VKLT and VKLZ from the low byte of word 18: 8 is 203 dpi, 12 is
// 300, 24 is 600, anything else 203. The byte is fetched again for every value it is compared with.
[[nodiscard]] int ReadResolution(CExchange& exchange);

} // namespace quillory
