#include "port/StreamPort.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstring>

namespace quillory {
namespace {
// A write waits in slices this long, so that it notices progress and keeps what the printer sends.
constexpr int kWriteSliceMs = 100;
constexpr qint64 kScratchBytes = 16 * 1024;
} // namespace

int CStreamPort::ReplyGapMs() const {
    return std::max(Timing().replyGapMs, LineGapMs());
}

int CStreamPort::StallLimitMs() const {
    return std::max(m_writeTimeout, Timing().stallLimitMs);
}

void CStreamPort::SetTimeouts(int readTimeout, int writeTimeout) {
    m_readTimeout = std::max(0, readTimeout);
    m_writeTimeout = std::max(1, writeTimeout);
}

void CStreamPort::ResetStream() {
    m_held.clear();
}

qint64 CStreamPort::Receive(std::uint8_t* into, qint64 max, int waitMs) {
    if (!m_held.isEmpty()) {
        const qint64 n = std::min<qint64>(max, m_held.size());
        std::memcpy(into, m_held.constData(), std::size_t(n));
        m_held.remove(0, n);
        return n;
    }
    return ReceiveSome(into, max, waitMs);
}

void CStreamPort::Read(std::uint8_t* buffer, int capacity, int* count) {
    if (count)
        *count = 0;
    const int got = ReadWithin(buffer, capacity, m_readTimeout);
    if (count)
        *count = got;
}

int CStreamPort::ReadWithin(std::uint8_t* buffer, int capacity, int firstByteWaitMs, int gapMs) {
    RequireOpen();
    if (!buffer || capacity <= 0)
        return 0;
    qint64 got = Receive(buffer, capacity, std::max(0, firstByteWaitMs));
    if (got == kClosed)
        throw CommunicationException(COMM_FAILED,
                                     QStringLiteral("%1: the printer closed the connection").arg(Describe()));
    const int gap = std::max(ReplyGapMs(), gapMs);
    while (got > 0 && got < capacity) {
        const qint64 n = Receive(buffer + got, capacity - got, gap);
        if (n <= 0)
            break; // the gap passed, or the printer closed after its reply: the next read says so
        got += n;
    }
    return int(got);
}

qint64 CStreamPort::DiscardInput() {
    RequireOpen();
    qint64 dropped = m_held.size();
    m_held.clear();
    std::uint8_t scratch[kScratchBytes];
    for (;;) {
        const qint64 n = ReceiveSome(scratch, kScratchBytes, 0);
        if (n <= 0)
            return dropped;
        dropped += n;
        if (dropped > kDiscardLimit)
            throw CommunicationException(
                COMM_FAILED, QStringLiteral("%1: the printer does not stop sending").arg(Describe()));
    }
}

void CStreamPort::KeepIncoming() {
    // A printer that sends while we write must not block on a full line, or it may stop reading
    // too. What fits is kept for the next read; the rest is dropped.
    std::uint8_t scratch[kScratchBytes];
    for (int round = 0; round < 64; ++round) {
        const qint64 n = ReceiveSome(scratch, kScratchBytes, 0);
        if (n <= 0)
            return;
        const qint64 room = std::max<qint64>(0, kHeldLimit - m_held.size());
        m_held.append(reinterpret_cast<const char*>(scratch), std::min(n, room));
    }
}

void CStreamPort::ThrowStalled(qint64 sent, qint64 length) const {
    throw CommunicationException(
        COMM_FAILED, QStringLiteral("%1: the printer took no data for %2 ms (%3 of %4 bytes sent)")
                         .arg(Describe())
                         .arg(StallLimitMs())
                         .arg(sent)
                         .arg(length));
}

void CStreamPort::Write(const std::uint8_t* data, int length, int* count) {
    if (count)
        *count = 0;
    RequireOpen();
    if (length <= 0)
        return;
    if (!data)
        throw CommunicationException(COMM_BAD_PARAMETER, QStringLiteral("no data to write"));
    const int stallLimit = StallLimitMs();
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    qint64 sent = 0;
    while (sent < length) {
        const int slice = int(std::clamp<qint64>(stallLimit - sinceProgress.elapsed(), 0, kWriteSliceMs));
        const qint64 n = SendSome(data + sent, length - sent, slice);
        if (n > 0) {
            sent += n;
            sinceProgress.restart();
            continue;
        }
        KeepIncoming();
        if (sinceProgress.elapsed() >= stallLimit)
            ThrowStalled(sent, length);
    }
    for (qint64 queued = QueuedOutput(); queued > 0; queued = QueuedOutput()) {
        const int slice = int(std::clamp<qint64>(stallLimit - sinceProgress.elapsed(), 0, kWriteSliceMs));
        WaitForQueuedOutput(slice);
        if (QueuedOutput() < queued) {
            sinceProgress.restart();
            continue;
        }
        KeepIncoming();
        if (sinceProgress.elapsed() >= stallLimit)
            ThrowStalled(length - QueuedOutput(), length);
    }
    if (count)
        *count = length;
}

} // namespace quillory
