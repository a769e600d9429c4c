#pragma once

#include "port/Communication.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QStringList>

#include <functional>
#include <memory>

namespace quillory::test {

// Replaces every connection the factory makes with an in-memory one for the life of the object.
// Each write is logged and handed to the responder, whose answer is queued for the next reads;
// a read takes at most its capacity from the queue (nothing queued: a read of 0 bytes).
class ScriptedPrinter {
public:
    using Responder = std::function<QByteArray(const QByteArray& written)>;

    explicit ScriptedPrinter(Responder responder = {});
    ~ScriptedPrinter();
    ScriptedPrinter(const ScriptedPrinter&) = delete;
    ScriptedPrinter& operator=(const ScriptedPrinter&) = delete;

    // Every call in order: "open", "timeouts R W", "write N", "read CAP -> N", "close", and
    // "discard N" when bytes that arrived before a request were dropped.
    [[nodiscard]] QStringList Events() const;
    // Every write as its own chunk, and all of them joined.
    [[nodiscard]] QList<QByteArray> Writes() const;
    [[nodiscard]] QByteArray Written() const;
    [[nodiscard]] int Connections() const;
    [[nodiscard]] int ReadCalls() const;
    void Clear();

    // Bytes waiting before the first write (to be drained).
    void QueueReply(const QByteArray& bytes);
    // A printer that never stops sending: every read and every discard finds more of bytes.
    void Flood(const QByteArray& bytes) {
        QMutexLocker lock(&m_state->mutex);
        m_state->flood = bytes;
    }
    // Faults: Open throws this code; the N-th write (1-based) throws code 3.
    void FailOpen(int code) { m_state->failOpen = code; }
    void FailOnWrite(int n) { m_state->failOnWrite = n; }
    // The connection breaks once this many bytes have been written (-1: never); the write that
    // crosses the limit delivers its first bytes and then throws code 3, as a peer that hangs up would.
    void FailAfterBytes(qint64 n) { m_state->failAfterBytes = n; }
    [[nodiscard]] qint64 BytesWritten() const;

    struct State {
        mutable QMutex mutex;
        Responder responder;
        QByteArray pending;
        QByteArray flood;
        QStringList events;
        QList<QByteArray> writes;
        int connections = 0;
        int readCalls = 0;
        int failOpen = 0;
        int failOnWrite = 0;
        qint64 failAfterBytes = -1;
        qint64 bytesWritten = 0;
    };

private:
    std::shared_ptr<State> m_state;
};

} // namespace quillory::test
