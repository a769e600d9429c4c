#pragma once

#include "port/PortInfo.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <atomic>

namespace quillory {

// The debug terminal's repeated file send on its own worker thread: the whole file, again and
// again over one connection, until asked to stop. Its signals arrive on the thread that owns the
// object. Destroying it stops a running send and waits for the worker, so the worker never
// outlives the screen that owns it.
class CRepeatedFileSend : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Stopped,             // ended on request; every send went out
        FileUnreadable,      // the file could not be read; the port was not opened
        CommunicationFailed, // the port reported a failure (code)
    };

    explicit CRepeatedFileSend(QObject* parent = nullptr);
    ~CRepeatedFileSend() override;

    // Starts sending the file at path every intervalMs; false (and nothing starts) while running.
    bool Start(const QString& path, int intervalMs, const tagPORTINFO& port);
    // Asks the worker to end after its current wait; it always sends at least once.
    void RequestStop() { m_stop = true; }
    // True from Start until finished has been emitted.
    [[nodiscard]] bool IsRunning() const { return m_running; }
    // Waits for the worker thread to end (not for the finished signal); false on time-out.
    bool Wait(int timeoutMs);

signals:
    // One more send of the file went out.
    void sent();
    // The worker has ended; code is the communication error code for CommunicationFailed, and
    // detail says why the file could not be read, or why the port failed.
    void finished(quillory::CRepeatedFileSend::Outcome outcome, int code, const QString& detail);

private:
    std::atomic<bool> m_stop{false};
    QPointer<QThread> m_thread;
    bool m_running = false;
};

} // namespace quillory
