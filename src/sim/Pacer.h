#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillory::sim {

// Lets bytes move no faster than a rate, in bursts. It keeps the time at which the next byte may
// move: byte k of a busy run moves no earlier than k / rate seconds after the run began, except
// that a run begins with a whole burst allowed at once (the bucket filled while the line was
// idle). The owner says when a run begins (Resume: bytes are there again after an idle time) and
// what moved; times are nanoseconds on one monotonic clock.
class Pacer {
public:
    static constexpr qint64 kUnlimited = std::numeric_limits<qint64>::max();

    // bytesPerSecond 0: no limit. burst: bytes that may move at once (at least 1).
    void Configure(double bytesPerSecond, qint64 burst) {
        m_nsPerByte = bytesPerSecond > 0 ? 1e9 / bytesPerSecond : 0;
        m_burst = std::max<qint64>(1, burst);
    }
    [[nodiscard]] bool Limited() const { return m_nsPerByte > 0; }

    // Bytes are there again after an idle time: the run begins now, with a whole burst allowed.
    void Resume(qint64 nowNs) {
        m_next = std::max(m_next, double(nowNs) - double(m_burst - 1) * m_nsPerByte);
    }
    // Bytes that may move now.
    [[nodiscard]] qint64 Allowance(qint64 nowNs) const {
        if (!Limited())
            return kUnlimited;
        if (double(nowNs) < m_next)
            return 0;
        const double bytes = 1 + std::floor((double(nowNs) - m_next) / m_nsPerByte);
        return bytes >= double(kUnlimited) ? kUnlimited : qint64(bytes);
    }
    void Moved(qint64 bytes) {
        if (Limited())
            m_next += double(bytes) * m_nsPerByte;
    }
    // When a whole burst may move. A busy line moves bytes only then, so that a slow reader
    // reads whole bursts and pauses between them rather than trickling a byte at a time.
    [[nodiscard]] qint64 BurstDueNs() const {
        return Limited() ? qint64(std::ceil(m_next + double(m_burst - 1) * m_nsPerByte)) : 0;
    }
    [[nodiscard]] bool BurstDue(qint64 nowNs) const { return nowNs >= BurstDueNs(); }

private:
    double m_nsPerByte = 0;
    qint64 m_burst = 1;
    double m_next = 0;
};

} // namespace quillory::sim
