#include "sim/ClientLink.h"

#include "sim/SharedState.h"
#include "sim/SimLog.h"

#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <sys/socket.h>
#include <unistd.h>

namespace quillory::sim {
namespace {

constexpr qint64 kChunk = 65536;
// Bytes moved each way in one step, so that one busy link cannot starve the printer's other work.
constexpr qint64 kStepBudget = 1 << 20;
// Replies waiting behind a slow, stalled or unread line are kept up to this many bytes (each
// counted with kItemCost for its bookkeeping); beyond it new replies are dropped, as a printer's
// full output buffer drops them, rather than letting memory grow without limit. A whole-EEPROM
// read queues 1536 bytes. Junk is made as it is sent and takes no room.
constexpr qint64 kMaxQueuedCost = 1 << 20;
constexpr qint64 kItemCost = 64;
// Trickle bytes that could not leave yet (the line was busy); more are forgotten.
constexpr qint64 kMaxPendingTrickle = 4096;
// A smooth reader takes what 10 ms bring.
constexpr double kSmoothBurstSeconds = 0.01;
constexpr qint64 kNsPerMs = 1000000;

constexpr char kJunkPattern[] = "#junk#";
constexpr qint64 kJunkPatternSize = sizeof kJunkPattern - 1;

// The junk stream from any position: a chunk of the pattern, long enough for one write.
const char* JunkAt(qint64 index) {
    static const QByteArray buffer = [] {
        QByteArray out;
        out.reserve(kChunk + kJunkPatternSize);
        while (out.size() < kChunk + kJunkPatternSize)
            out.append(kJunkPattern, kJunkPatternSize);
        return out;
    }();
    return buffer.constData() + index % kJunkPatternSize;
}

QByteArray Junk(qsizetype length) {
    QByteArray out(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        out[i] = JunkByte(i);
    return out;
}

qint64 Earliest(qint64 a, qint64 b) {
    if (a < 0)
        return b;
    if (b < 0)
        return a;
    return std::min(a, b);
}

} // namespace

char JunkByte(qint64 index) {
    return kJunkPattern[index % kJunkPatternSize];
}

qint64 MonotonicNs() {
    static const auto epoch = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - epoch)
        .count();
}

ClientLink::ClientLink(int fd, Kind kind, SharedState& state, std::function<void(ClientLink*)> gone,
                       QObject* parent)
    : QObject(parent), m_fd(fd), m_kind(kind), m_state(state), m_gone(std::move(gone)),
      m_stream(state.model.Instruction()) {}

ClientLink::~ClientLink() {
    Close();
}

void ClientLink::Start() {
    m_startNs = MonotonicNs();
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] {
        m_readNotifier->setEnabled(false);
        m_readIdle = false;
        m_readResume = true;
        Step();
    });
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] {
        m_writeNotifier->setEnabled(false);
        m_writeBlocked = false;
        Step();
    });
    m_wake = new QTimer(this);
    m_wake->setSingleShot(true);
    m_wake->setTimerType(Qt::PreciseTimer);
    connect(m_wake, &QTimer::timeout, this, &ClientLink::Step);
    Step();
}

void ClientLink::Close() {
    End(false);
}

void ClientLink::End(bool callGone) {
    if (m_ended)
        return;
    m_ended = true;
    // The notifiers go with the link (it is deleted later, perhaps from inside their signal).
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    if (m_wake)
        m_wake->stop();
    m_queue.clear();
    m_state.Finish(m_stream);
    if (m_kind == Kind::Tcp && m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (callGone && m_gone)
        m_gone(this);
}

void ClientLink::TakeFaults(qint64 now) {
    const std::uint64_t revision = m_state.faultsRevision.load();
    if (m_haveFaults && revision == m_faultsRevision)
        return;
    {
        QMutexLocker lock(&m_state.mutex);
        m_faults = m_state.faults;
        m_faultsRevision = m_state.faultsRevision.load();
    }
    m_haveFaults = true;
    const double lineBytesPerSecond = m_faults.baud > 0 ? m_faults.baud / 10.0 : 0;
    m_lineIn.Configure(lineBytesPerSecond);
    m_lineOut.Configure(lineBytesPerSecond);
    const qint64 burst = m_faults.readBurst > 0
                             ? m_faults.readBurst
                             : qint64(std::llround(double(m_faults.readRate) * kSmoothBurstSeconds));
    m_rateIn.Configure(double(std::max<qint64>(0, m_faults.readRate)), burst);
    if (m_faults.trickleMs <= 0) {
        m_nextTrickleNs = -1;
        m_pendingTrickle = 0;
    } else if (m_nextTrickleNs < 0) {
        m_nextTrickleNs = now + qint64(m_faults.trickleMs) * kNsPerMs;
    }
}

void ClientLink::Step() {
    if (m_ended)
        return;
    TakeFaults(MonotonicNs());
    const qint64 readWake = ReadStep(MonotonicNs());
    if (m_ended)
        return;
    const qint64 writeWake = WriteStep(MonotonicNs());
    if (m_ended)
        return;
    Arm(Earliest(readWake, writeWake));
}

void ClientLink::Arm(qint64 wakeNs) {
    if (wakeNs < 0) {
        m_wake->stop();
        return;
    }
    const qint64 delayNs = wakeNs - MonotonicNs();
    const qint64 delayMs = delayNs <= 0 ? 0 : (delayNs + kNsPerMs - 1) / kNsPerMs;
    m_wake->start(int(std::min<qint64>(delayMs, 24LL * 3600 * 1000)));
}

qint64 ClientLink::ReadStep(qint64 now) {
    for (qint64 budget = kStepBudget;;) {
        if (m_stallUntilNs >= 0) {
            if (now < m_stallUntilNs)
                return m_stallUntilNs;
            // What waited is read as a new run, as after any idle time.
            m_stallUntilNs = -1;
            m_readIdle = true;
        }
        if (m_readIdle) {
            m_readNotifier->setEnabled(true);
            return -1;
        }
        if (m_readResume) {
            m_lineIn.Resume(now);
            m_readResume = false;
        }

        // A stall starts once exactly its offset has been read (reads stop there); stalls added
        // for offsets already passed do not count.
        qint64 stallMs = 0;
        bool stallHere = false;
        qint64 room = std::min(kChunk, budget);
        for (const Stall& stall : m_faults.stalls) {
            if (stall.offset == m_received && stall.offset > m_stalledAt) {
                stallHere = true;
                stallMs += std::max(0, stall.ms);
            } else if (stall.offset > m_received) {
                room = std::min(room, stall.offset - m_received);
            }
        }
        if (stallHere) {
            m_stalledAt = m_received;
            if (stallMs > 0) {
                m_stallUntilNs = now + stallMs * kNsPerMs;
                return m_stallUntilNs;
            }
        }

        const bool limitedTcp = m_kind == Kind::Tcp && m_faults.closeAfterBytes >= 0;
        if (limitedTcp) {
            room = std::min(room, m_faults.closeAfterBytes - m_received);
            if (room <= 0) {
                // The limit is reached: the connection is dropped when the client sends more.
                if (ClientSentMore())
                    End(true);
                if (!m_ended) {
                    m_readIdle = true;
                    m_readNotifier->setEnabled(true);
                }
                return -1;
            }
        }

        const qint64 line = m_lineIn.Allowance(now);
        const qint64 burst = m_rateIn.Allowance(now);
        if (line == 0 || burst == 0)
            return std::max(line == 0 ? m_lineIn.NextNs() : 0, burst == 0 ? m_rateIn.WindowEndNs() : 0);
        room = std::min({room, line, burst});

        char buffer[kChunk];
        const qint64 n = ReadBytes(buffer, room);
        if (n < 0) { // the client has left
            End(true);
            return -1;
        }
        if (n == 0) { // all read
            m_readIdle = true;
            m_readNotifier->setEnabled(true);
            return -1;
        }
        now = MonotonicNs(); // a request has arrived once its last byte is read
        m_received += n;
        m_lineIn.Moved(n);
        m_rateIn.Moved(n);
        Enqueue(m_state.Receive(m_stream, QByteArrayView(buffer, n)), now);
        if (limitedTcp && m_received >= m_faults.closeAfterBytes) {
            End(true);
            return -1;
        }
        budget -= n;
        if (budget <= 0)
            return now; // come back at once, after the printer's other work
    }
}

bool ClientLink::ClientSentMore() {
    char byte = 0;
    for (;;) {
        const ssize_t n = ::recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n > 0)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return false;
        End(true); // end of stream or an error: the client has left
        return false;
    }
}

qint64 ClientLink::ReadBytes(char* buffer, qint64 size) {
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, std::size_t(size));
        if (n > 0)
            return n;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return 0;
        return -1; // end of stream, a reset, or (pseudo-terminal) EIO: the last client closed it
    }
}

qint64 ClientLink::WriteBytes(const char* data, qint64 size) {
    for (;;) {
        const ssize_t n = m_kind == Kind::Tcp
                              ? ::send(m_fd, data, std::size_t(size), MSG_NOSIGNAL | MSG_DONTWAIT)
                              : ::write(m_fd, data, std::size_t(size));
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        return -1;
    }
}

void ClientLink::Enqueue(const Replies& replies, qint64 now) {
    if (replies.isEmpty() || m_faults.silent || m_faults.endless)
        return;
    const qint64 baseUs = qint64(std::max(0, m_faults.latencyMs) + std::max(0, m_faults.replyDelayMs)) * 1000;
    const qint64 jitterUs = qint64(std::max(0, m_faults.jitterMs)) * 1000;
    for (const QByteArray& reply : replies) {
        qint64 delayUs = baseUs;
        if (jitterUs > 0)
            delayUs += QRandomGenerator::global()->bounded(2 * jitterUs + 1) - jitterUs;
        Outgoing item;
        item.bytes = m_faults.garbage ? Junk(reply.size()) : reply;
        item.junk = std::max<qint64>(0, m_faults.hugeReplyBytes);
        item.dueNs = now + std::max<qint64>(0, delayUs) * 1000;
        if (m_faults.pauseInReplyMs > 0 && m_faults.pauseAfterBytes > 0 &&
            item.bytes.size() > m_faults.pauseAfterBytes) {
            item.pauseAt = m_faults.pauseAfterBytes;
            item.pauseNs = qint64(m_faults.pauseInReplyMs) * kNsPerMs;
        }
        const qint64 cost = item.bytes.size() + kItemCost;
        if (m_queuedCost + cost > kMaxQueuedCost) {
            if (!m_warnedFull)
                qCWarning(lcSim)
                    << "replies pile up behind a line that does not take them; dropping the newest";
            m_warnedFull = true;
            continue;
        }
        m_queuedCost += cost;
        m_queue.push_back(std::move(item));
    }
}

void ClientLink::PopHead() {
    m_queuedCost -= m_queue.front().bytes.size() + kItemCost;
    m_queue.pop_front();
    m_headSent = 0;
}

qint64 ClientLink::WriteStep(qint64 now) {
    if (m_faults.silent) {
        m_queue.clear();
        m_queuedCost = 0;
        m_headSent = 0;
        m_pendingTrickle = 0;
        return -1;
    }
    if (m_nextTrickleNs >= 0 && now >= m_nextTrickleNs) {
        const qint64 period = qint64(m_faults.trickleMs) * kNsPerMs;
        const qint64 due = 1 + (now - m_nextTrickleNs) / period;
        m_pendingTrickle = std::min(kMaxPendingTrickle, m_pendingTrickle + due);
        m_nextTrickleNs += due * period;
    }
    const qint64 trickleWake = m_nextTrickleNs;
    if (m_writeBlocked)
        return trickleWake; // the write notifier says when the line takes more
    const bool endless = m_faults.endless && m_received > 0;

    for (qint64 budget = kStepBudget;;) {
        if (!m_queue.empty() && m_headSent > 0 && m_headSent == m_queue.front().pauseAt) {
            Outgoing& head = m_queue.front();
            if (head.resumeNs < 0)
                head.resumeNs = now + head.pauseNs;
            if (now < head.resumeNs) {
                m_outIdle = true;
                return Earliest(head.resumeNs, trickleWake);
            }
        }
        Source source = Source::None;
        if (!m_queue.empty() && (m_headSent > 0 || m_queue.front().dueNs <= now))
            source = Source::Reply;
        else if (m_pendingTrickle > 0)
            source = Source::Trickle;
        else if (endless)
            source = Source::Endless;
        if (source == Source::None) {
            m_outIdle = true;
            return Earliest(m_queue.empty() ? -1 : m_queue.front().dueNs, trickleWake);
        }
        if (m_outIdle) {
            m_lineOut.Resume(now);
            m_outIdle = false;
        }
        const qint64 line = m_lineOut.Allowance(now);
        if (line == 0)
            return Earliest(m_lineOut.NextNs(), trickleWake);
        const qint64 room = std::min({line, budget, kChunk});

        const char* data = nullptr;
        qint64 size = 0;
        bool junk = true;
        if (source == Source::Reply) {
            const Outgoing& head = m_queue.front();
            if (m_headSent < head.bytes.size()) {
                data = head.bytes.constData() + m_headSent;
                size = std::min(room, head.bytes.size() - m_headSent);
                if (m_headSent < head.pauseAt)
                    size = std::min(size, head.pauseAt - m_headSent);
                junk = false;
            } else {
                size = std::min(room, head.bytes.size() + head.junk - m_headSent);
            }
        } else if (source == Source::Trickle) {
            size = std::min(room, m_pendingTrickle);
        } else {
            size = room;
        }
        if (junk)
            data = JunkAt(m_junkSent);

        const qint64 written = size > 0 ? WriteBytes(data, size) : 0;
        if (written < 0) {
            End(true);
            return -1;
        }
        if (written == 0 && size > 0) {
            m_writeBlocked = true;
            m_writeNotifier->setEnabled(true);
            return trickleWake;
        }
        m_lineOut.Moved(written);
        budget -= written;
        if (junk)
            m_junkSent += written;
        if (source == Source::Reply) {
            m_headSent += written;
            if (m_headSent >= m_queue.front().bytes.size() + m_queue.front().junk)
                PopHead();
        } else if (source == Source::Trickle) {
            m_pendingTrickle -= written;
        }
        if (budget <= 0)
            return now;
    }
}

} // namespace quillory::sim
