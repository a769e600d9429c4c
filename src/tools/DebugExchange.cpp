#include "tools/DebugExchange.h"

#include "instruction/Commands.h"
#include "instruction/Exchange.h"

#include <QElapsedTimer>
#include <QThread>

namespace quillory {

DebugReply RunDebugExchange(const tagPORTINFO& port, const QByteArray& bytes, const DebugReplyLimits& limits,
                            const std::atomic<bool>* cancel) {
    DebugReply reply;
    QByteArray kept;
    reply.code = RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        if (!bytes.isEmpty())
            x.Write(bytes);
        reply.sent = bytes.size();
        QThread::msleep(20);
        x.SetTimeouts(1, 30);

        QElapsedTimer clock;
        clock.start();
        qint64 idleLimit = limits.idleMs;
        qint64 lastData = 0;
        qint64 idleDeadline = idleLimit;
        while (lastData <= limits.capMs && !(cancel && cancel->load())) {
            const QByteArray chunk = x.ReadRaw(1024);
            if (!chunk.isEmpty()) {
                kept += chunk.left(limits.keepBytes - kept.size());
                lastData = clock.elapsed();
                if (chunk.size() > 100)
                    idleLimit = limits.busyIdleMs;
                idleDeadline = lastData + idleLimit;
            } else if (clock.elapsed() >= idleDeadline) {
                break;
            }
            QThread::msleep(10);
        }
    });
    reply.bytes = UpToFirstZero(kept);
    return reply;
}

int RepeatFileSend(const tagPORTINFO& port, const QByteArray& content, int intervalMs,
                   const std::atomic<bool>& stop, const std::function<void(int)>& onSent) {
    int sends = 0;
    return RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        do {
            x.Write(content);
            QElapsedTimer waited;
            waited.start();
            while (waited.elapsed() < intervalMs && !stop.load())
                QThread::msleep(std::min<qint64>(10, intervalMs - waited.elapsed()));
            ++sends;
            if (onSent)
                onSent(sends);
        } while (!stop.load());
    });
}

} // namespace quillory
