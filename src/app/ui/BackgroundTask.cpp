#include "app/ui/BackgroundTask.h"

#include "port/Communication.h"

#include <QDeadlineTimer>

namespace quillory {

CBackgroundTask::CBackgroundTask() : m_receiver(std::make_unique<QObject>()) {}

CBackgroundTask::~CBackgroundTask() {
    if (m_thread) {
        m_thread->wait();
        delete m_thread.data();
    }
    // Destroying the receiver drops a delivery that is still queued.
    m_receiver.reset();
}

bool CBackgroundTask::Wait(int timeoutMs) {
    if (!m_thread)
        return true;
    return m_thread->wait(timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                        : QDeadlineTimer(timeoutMs));
}

void CBackgroundTask::Launch(std::function<void()> work, std::function<void()> deliver) {
    m_busy = true;
    // Why a printer operation failed is noted on the thread that ran it; the screen gets it with
    // the result.
    auto failure = std::make_shared<QString>();
    QThread* thread = QThread::create([work = std::move(work), failure] {
        work();
        *failure = LastCommunicationFailure();
    });
    m_thread = thread;
    QObject::connect(thread, &QThread::finished, m_receiver.get(),
                     [this, thread, failure, deliver = std::move(deliver)] {
                         // finished comes just before the thread ends; let it end before the object goes.
                         thread->wait();
                         thread->deleteLater();
                         if (m_thread == thread)
                             m_thread = nullptr;
                         m_busy = false;
                         NoteCommunicationFailure(*failure);
                         // Last: done may start the next run or even destroy this task.
                         deliver();
                     });
    thread->start();
}

} // namespace quillory
