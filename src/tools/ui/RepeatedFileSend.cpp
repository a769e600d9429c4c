#include "tools/ui/RepeatedFileSend.h"

#include "port/Communication.h"

#include "tools/DebugExchange.h"
#include "tools/FileSend.h"

#include <QDeadlineTimer>

#include <memory>

namespace quillory {

CRepeatedFileSend::CRepeatedFileSend(QObject* parent) : QObject(parent) {}

CRepeatedFileSend::~CRepeatedFileSend() {
    RequestStop();
    if (m_thread) {
        m_thread->wait();
        delete m_thread.data();
    }
}

bool CRepeatedFileSend::Wait(int timeoutMs) {
    return !m_thread || m_thread->wait(QDeadlineTimer(timeoutMs));
}

bool CRepeatedFileSend::Start(const QString& path, int intervalMs, const tagPORTINFO& port) {
    if (m_running)
        return false;
    m_stop = false;
    m_running = true;

    struct Result {
        Outcome outcome = Outcome::Stopped;
        int code = 0;
        QString detail;
    };
    auto result = std::make_shared<Result>();
    QThread* thread = QThread::create([this, result, path, intervalMs, port] {
        QByteArray content;
        QString why;
        if (!ReadFileToSend(path, content, why)) {
            result->outcome = Outcome::FileUnreadable;
            result->detail = why;
            return;
        }
        // The signal is queued to the owner's thread; this object outlives the worker.
        result->code = RepeatFileSend(port, content, intervalMs, m_stop, [this](int) { emit sent(); });
        if (result->code != 0) {
            result->outcome = Outcome::CommunicationFailed;
            result->detail = LastCommunicationFailure();
        }
    });
    m_thread = thread;
    connect(thread, &QThread::finished, this, [this, thread, result] {
        thread->wait();
        if (m_thread == thread)
            m_thread = nullptr;
        delete thread;
        m_running = false;
        emit finished(result->outcome, result->code, result->detail);
    });
    thread->start();
    return true;
}

} // namespace quillory
