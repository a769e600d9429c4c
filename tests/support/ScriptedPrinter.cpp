#include "support/ScriptedPrinter.h"

#include <cstring>

namespace quillory::test {
namespace {

class ScriptedConnection final : public CCommunicationProtocol {
public:
    explicit ScriptedConnection(std::shared_ptr<ScriptedPrinter::State> state) : m_state(std::move(state)) {}

    void Open(tagPORTINFO) override {
        QMutexLocker lock(&m_state->mutex);
        m_state->events << QStringLiteral("open");
        if (m_state->failOpen)
            throw CommunicationException(tagCOMMUNICATIONEXCEPTION(m_state->failOpen));
    }
    void Read(std::uint8_t* buffer, int capacity, int* count) override {
        QMutexLocker lock(&m_state->mutex);
        ++m_state->readCalls;
        while (!m_state->flood.isEmpty() && m_state->pending.size() < capacity)
            m_state->pending += m_state->flood;
        const int n = std::min<int>(capacity, int(m_state->pending.size()));
        std::memcpy(buffer, m_state->pending.constData(), std::size_t(n));
        m_state->pending.remove(0, n);
        m_state->events << QStringLiteral("read %1 -> %2").arg(capacity).arg(n);
        if (count)
            *count = n;
    }
    void Write(const std::uint8_t* data, int length, int* count) override {
        QByteArray bytes(reinterpret_cast<const char*>(data), length);
        ScriptedPrinter::Responder responder;
        {
            QMutexLocker lock(&m_state->mutex);
            const qint64 limit = m_state->failAfterBytes;
            if (limit >= 0 && m_state->bytesWritten + length > limit) {
                const qint64 delivered = std::max<qint64>(0, limit - m_state->bytesWritten);
                m_state->writes << bytes.left(delivered);
                m_state->bytesWritten += delivered;
                m_state->events << QStringLiteral("write %1 broken after %2").arg(length).arg(delivered);
                throw CommunicationException(COMM_FAILED, QStringLiteral("connection closed by the printer"));
            }
            m_state->bytesWritten += length;
            m_state->writes << bytes;
            m_state->events << QStringLiteral("write %1").arg(length);
            if (m_state->failOnWrite == m_state->writes.size())
                throw CommunicationException(COMM_FAILED);
            responder = m_state->responder;
        }
        const QByteArray reply = responder ? responder(bytes) : QByteArray();
        QMutexLocker lock(&m_state->mutex);
        m_state->pending += reply;
        if (count)
            *count = length;
    }
    qint64 DiscardInput() override {
        QMutexLocker lock(&m_state->mutex);
        if (!m_state->flood.isEmpty())
            throw CommunicationException(COMM_FAILED, QStringLiteral("the printer does not stop sending"));
        const qint64 n = m_state->pending.size();
        m_state->pending.clear();
        if (n > 0)
            m_state->events << QStringLiteral("discard %1").arg(n);
        return n;
    }
    void SetTimeouts(int read, int write) override {
        QMutexLocker lock(&m_state->mutex);
        m_state->events << QStringLiteral("timeouts %1 %2").arg(read).arg(write);
    }
    void Close() override {
        QMutexLocker lock(&m_state->mutex);
        m_state->events << QStringLiteral("close");
    }

private:
    std::shared_ptr<ScriptedPrinter::State> m_state;
};

} // namespace

ScriptedPrinter::ScriptedPrinter(Responder responder) : m_state(std::make_shared<State>()) {
    m_state->responder = std::move(responder);
    std::shared_ptr<State> state = m_state;
    CCommunicationFactory::SetConnectionMaker([state](const tagPORTINFO&) {
        {
            QMutexLocker lock(&state->mutex);
            ++state->connections;
        }
        return std::make_unique<ScriptedConnection>(state);
    });
}

ScriptedPrinter::~ScriptedPrinter() {
    CCommunicationFactory::SetConnectionMaker({});
}

QStringList ScriptedPrinter::Events() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->events;
}

QList<QByteArray> ScriptedPrinter::Writes() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->writes;
}

QByteArray ScriptedPrinter::Written() const {
    QMutexLocker lock(&m_state->mutex);
    QByteArray all;
    for (const QByteArray& w : m_state->writes)
        all += w;
    return all;
}

int ScriptedPrinter::Connections() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->connections;
}

qint64 ScriptedPrinter::BytesWritten() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->bytesWritten;
}

int ScriptedPrinter::ReadCalls() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->readCalls;
}

void ScriptedPrinter::Clear() {
    QMutexLocker lock(&m_state->mutex);
    m_state->events.clear();
    m_state->writes.clear();
    m_state->connections = 0;
    m_state->readCalls = 0;
    m_state->bytesWritten = 0;
}

void ScriptedPrinter::QueueReply(const QByteArray& bytes) {
    QMutexLocker lock(&m_state->mutex);
    m_state->pending += bytes;
}

} // namespace quillory::test
