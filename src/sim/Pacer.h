#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <limits>

// The two ways the virtual printer slows bytes down. Times are nanoseconds on one monotonic clock.
namespace quillory::sim {

inline constexpr qint64 kUnlimitedBytes = std::numeric_limits<qint64>::max();

// A serial line: one character after another at a fixed rate. It keeps the time at which the
// next byte may move, so byte k of a busy run moves no earlier than k / rate seconds after the run
// began, however the moves are cut; a late caller catches up, as the line went on meanwhile. An
// idle line saves nothing up: the owner says when a run begins (Resume).
class LinePacer {
public:
    // 0: no line, bytes move at once.
    void Configure(double bytesPerSecond) { m_nsPerByte = bytesPerSecond > 0 ? 1e9 / bytesPerSecond : 0; }
    [[nodiscard]] bool Limited() const { return m_nsPerByte > 0; }

    // Bytes are there again after an idle time: the run begins now.
    void Resume(qint64 nowNs) { m_next = std::max(m_next, double(nowNs)); }
    // Bytes that may move now.
    [[nodiscard]] qint64 Allowance(qint64 nowNs) const {
        if (!Limited())
            return kUnlimitedBytes;
        if (double(nowNs) < m_next)
            return 0;
        const double bytes = 1 + std::floor((double(nowNs) - m_next) / m_nsPerByte);
        return bytes >= double(kUnlimitedBytes) ? kUnlimitedBytes : qint64(bytes);
    }
    void Moved(qint64 bytes) {
        if (Limited())
            m_next += double(bytes) * m_nsPerByte;
    }
    // When the next byte may move.
    [[nodiscard]] qint64 NextNs() const { return qint64(std::ceil(m_next)); }

private:
    double m_nsPerByte = 0;
    double m_next = 0;
};

// A reader that works in bursts: in each window of burst / rate seconds it takes up to burst
// bytes, as soon as they are there, and then nothing until the next window. So it never takes
// more than burst + rate * t bytes in t seconds, and a client sees it pause between bursts even
// where the kernel holds less than a burst (a pseudo-terminal holds a few KiB). A window begins
// when the last one ends if bytes are waiting, otherwise when the next bytes come.
class BurstLimiter {
public:
    // bytesPerSecond 0: no limit.
    void Configure(double bytesPerSecond, qint64 burst) {
        m_burst = std::max<qint64>(1, burst);
        m_windowNs = bytesPerSecond > 0 ? qint64(std::ceil(double(m_burst) * 1e9 / bytesPerSecond)) : 0;
    }
    [[nodiscard]] bool Limited() const { return m_windowNs > 0; }

    [[nodiscard]] qint64 Allowance(qint64 nowNs) {
        if (!Limited())
            return kUnlimitedBytes;
        if (nowNs >= m_windowEnd) {
            // Back to back while the reader is busy; a reader that was late or idle starts anew.
            const qint64 start = nowNs - m_windowEnd < m_windowNs ? m_windowEnd : nowNs;
            m_windowEnd = start + m_windowNs;
            m_used = 0;
        }
        return m_burst - m_used;
    }
    void Moved(qint64 bytes) { m_used += bytes; }
    // When the current window ends.
    [[nodiscard]] qint64 WindowEndNs() const { return m_windowEnd; }

private:
    qint64 m_burst = 1;
    qint64 m_windowNs = 0;
    qint64 m_windowEnd = std::numeric_limits<qint64>::min() / 2; // no window yet
    qint64 m_used = 0;
};

} // namespace quillory::sim
