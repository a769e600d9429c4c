#pragma once

#include "port/Communication.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace quillory {

// The waiting rules every byte-stream backend shares, on top of three small primitives the
// backend supplies. Reading: wait for the first byte, then collect while bytes follow within the
// reply gap. Writing: go on while the line takes bytes, fail only after the stall limit without
// progress, and meanwhile keep (to a bound) what the printer sends, so that neither side can
// block the other.
class CStreamPort : public CCommunicationProtocol {
public:
    void Read(std::uint8_t* buffer, int capacity, int* count) final;
    void Write(const std::uint8_t* data, int length, int* count) final;
    void SetTimeouts(int readTimeout, int writeTimeout) final;
    int ReadWithin(std::uint8_t* buffer, int capacity, int firstByteWaitMs, int gapMs = 0) final;
    qint64 DiscardInput() final;

    // The gap that ends a reply: the configured one, never less than the line needs.
    [[nodiscard]] int ReplyGapMs() const;
    // How long a write may go without progress before it fails: the stall limit, never less than
    // the write time-out the caller set.
    [[nodiscard]] int StallLimitMs() const;

    // Bytes kept from the printer while a write was stalled; beyond it they are dropped.
    static constexpr qint64 kHeldLimit = 64 * 1024;
    // DiscardInput gives up (code 3) once this much came without the line falling quiet.
    static constexpr qint64 kDiscardLimit = 4 * 1024 * 1024;

protected:
    // Result of ReceiveSome when the other side has closed the connection.
    static constexpr qint64 kClosed = -1;

    // Waits up to waitMs for input, then moves what has arrived (at most max bytes). 0 when
    // nothing came, kClosed when the printer closed the connection; throws code 3 when the line
    // fails.
    virtual qint64 ReceiveSome(std::uint8_t* into, qint64 max, int waitMs) = 0;
    // Offers bytes and waits up to waitMs for the line to take some; returns how many it took
    // (0: none within waitMs). Throws code 3 when the line fails.
    virtual qint64 SendSome(const std::uint8_t* data, qint64 length, int waitMs) = 0;
    // Bytes taken by SendSome that still wait inside the program for the line, and a wait of up
    // to waitMs for some of them to leave. Backends that hand bytes straight to the system have
    // none.
    [[nodiscard]] virtual qint64 QueuedOutput() const { return 0; }
    virtual void WaitForQueuedOutput(int) {}
    // The shortest gap that ends a reply on this line (serial: 3.5 characters); 0 for none.
    [[nodiscard]] virtual int LineGapMs() const { return 0; }
    // What the connection is, for messages ("127.0.0.1:9100", "/dev/ttyUSB0").
    [[nodiscard]] virtual QString Describe() const = 0;
    // Throws code 3 unless the connection is open.
    virtual void RequireOpen() const = 0;

    // Forgets what was kept from the printer; for Open and Close.
    void ResetStream();
    // The write time-out given to SetTimeouts (the shortest wait of a write).
    [[nodiscard]] int WriteTimeoutMs() const { return m_writeTimeout; }

private:
    qint64 Receive(std::uint8_t* into, qint64 max, int waitMs);
    void KeepIncoming();
    void ThrowStalled(qint64 sent, qint64 length) const;

    int m_readTimeout = kDefaultReadTimeoutMs;
    int m_writeTimeout = 0; // none set: the stall limit alone bounds a write
    QByteArray m_held;
};

} // namespace quillory
