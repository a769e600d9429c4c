#pragma once

#include "sim/CommandStream.h"
#include "sim/Pacer.h"
#include "sim/VirtualPrinter.h"

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <deque>
#include <functional>

class QSocketNotifier;
class QTimer;

namespace quillory::sim {

struct SharedState;

// Nanoseconds on the monotonic clock that every link paces by.
[[nodiscard]] qint64 MonotonicNs();

// One client's link to the printer over a non-blocking descriptor (a TCP socket or the master of
// the pseudo-terminal): it reads what the client sends, runs it through the printer and sends the
// replies, with the timing and faults of the moment. Reading is paced by leaving bytes in the
// kernel, never by holding them here, so a client that sends faster than the printer reads is
// held back by the kernel's buffers as by flow control. Lives on the printer's thread.
class ClientLink : public QObject {
public:
    enum class Kind { Tcp, Pty };
    // gone: called once when the client left or a fault dropped it (the link has ended; the
    // owner deletes it later). A TCP link owns its descriptor; a pseudo-terminal link does not.
    ClientLink(int fd, Kind kind, SharedState& state, std::function<void(ClientLink*)> gone,
               QObject* parent = nullptr);
    ~ClientLink() override;
    ClientLink(const ClientLink&) = delete;
    ClientLink& operator=(const ClientLink&) = delete;

    void Start();
    // The faults changed: take them now rather than at the next byte or timer (trickle starts).
    void Poke() { Step(); }
    // Ends the link without calling gone: the command stream is finished, a socket closed.
    void Close();

private:
    struct Outgoing {
        QByteArray bytes;
        qint64 junk = 0; // junk bytes that follow
        qint64 dueNs = 0;
        qint64 pauseAt = -1; // the reply stops after this many bytes (-1: it does not)
        qint64 pauseNs = 0;
        qint64 resumeNs = -1; // when the pause ends, once it has begun
    };
    enum class Source { None, Reply, Trickle, Endless };

    void Step();
    // Each returns when it wants to run again (-1: when a notifier says so).
    qint64 ReadStep(qint64 now);
    qint64 WriteStep(qint64 now);
    void TakeFaults(qint64 now);
    void Enqueue(const Replies& replies, qint64 now);
    void PopHead();
    void End(bool callGone);
    // Peeks whether the client sent something (true), has left (false, after End) or neither.
    bool ClientSentMore();
    [[nodiscard]] qint64 ReadBytes(char* buffer, qint64 size);
    [[nodiscard]] qint64 WriteBytes(const char* data, qint64 size);
    void Arm(qint64 wakeNs);

    int m_fd;
    Kind m_kind;
    SharedState& m_state;
    std::function<void(ClientLink*)> m_gone;
    CommandStream m_stream;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer* m_wake = nullptr;
    bool m_ended = false;
    qint64 m_startNs = 0;

    std::uint64_t m_faultsRevision = 0;
    bool m_haveFaults = false;
    Faults m_faults;

    // Reading.
    qint64 m_received = 0;
    bool m_readIdle = true;    // all read; the notifier says when more comes
    bool m_readResume = false; // more came after an idle time
    qint64 m_stallUntilNs = -1;
    qint64 m_stalledAt = -1; // the offset of the last stall carried out
    LinePacer m_lineIn;
    BurstLimiter m_rateIn;

    // Writing.
    std::deque<Outgoing> m_queue;
    qint64 m_headSent = 0;
    qint64 m_queuedCost = 0;
    bool m_warnedFull = false;
    LinePacer m_lineOut;
    bool m_outIdle = true;
    bool m_writeBlocked = false;
    qint64 m_junkSent = 0;
    qint64 m_pendingTrickle = 0;
    qint64 m_nextTrickleNs = -1;
};

} // namespace quillory::sim
