#pragma once

#include "port/PortInfo.h"

#include <QByteArray>

#include <atomic>
#include <functional>

namespace quillory {

struct DebugReply {
    int code = 0;       // 0, or the error code that ended the exchange
    QByteArray bytes;   // the reply's first 1024 bytes, up to its first zero byte
    qsizetype sent = 0; // bytes that went out (0 when the port failed before the write ended)
};

// Limits of one exchange's reply collection.
struct DebugReplyLimits {
    int idleMs = 100;     // stop after this long without data...
    int busyIdleMs = 500; // ...or this long, once a read brought more than 100 bytes
    int capMs = 90000;    // never collect for longer than this
    int keepBytes = 1024;
};

// One send-and-receive exchange of the debug terminal: open, time-outs (30, 30), one write of
// bytes (none when empty), 20 ms pause, read time-out 1, then collect the reply until the line
// has been quiet for the idle limit. Blocks for at least the idle limit unless cancel is set,
// which ends the collection early (a closing window must not wait for a talkative printer).
[[nodiscard]] DebugReply RunDebugExchange(const tagPORTINFO& port, const QByteArray& bytes,
                                          const DebugReplyLimits& limits = {},
                                          const std::atomic<bool>* cancel = nullptr);

// Sends content again and again over one connection, waiting intervalMs after each send and
// calling onSent with the number of completed sends, until stop is set (checked after every wait,
// so at least one send happens; the wait itself ends early on stop). Returns 0 or the error code.
int RepeatFileSend(const tagPORTINFO& port, const QByteArray& content, int intervalMs,
                   const std::atomic<bool>& stop, const std::function<void(int)>& onSent);

} // namespace quillory
