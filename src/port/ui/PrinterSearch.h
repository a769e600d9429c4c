#pragma once

#include "app/ui/BackgroundTask.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

class QProgressBar;

namespace quillory {

// The network printer search of the network and driver sub-pages: the two rounds of SearchNet
// (mode 2, then mode 3) on a worker thread, one after the other, with the progress bar climbing
// by 5 every 1300 ms up to 95 meanwhile. A second search while one runs is refused. The search
// belongs to its sub-page: destroying it waits for a round in progress and drops its result, so
// nothing reaches a sub-page that is gone.
class CPrinterSearch : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1300;
    static constexpr int kStep = 5;
    static constexpr int kLastClimbFrom = 90;

    explicit CPrinterSearch(QProgressBar* bar, QObject* parent = nullptr);
    ~CPrinterSearch() override;

    // Addresses found by a round, in order (called once per round that found any).
    std::function<void(const QStringList& addresses)> onFound;
    // The search has ended; errorCode is 0 or the code of the failure that ended it (already
    // shown to the operator in the language held at the start).
    std::function<void(int errorCode)> onFinished;

    // Starts a search unless one runs; languageIndex is the language of its messages, and
    // operation names it in the activity log.
    bool Start(int languageIndex, QWidget* messageParent, const QString& operation = {});
    [[nodiscard]] bool IsRunning() const { return m_task.IsBusy() || m_running; }
    // Waits for the round in progress (tests).
    bool Wait(int timeoutMs = -1) { return m_task.Wait(timeoutMs); }

    // One step of the progress bar (the timer's tick).
    void Tick();
    [[nodiscard]] const QTimer& Timer() const { return m_timer; }

private:
    void StartRound(int mode);
    void RoundDone(int mode, const QStringList& addresses, int errorCode);
    void Finish(int errorCode);

    QPointer<QProgressBar> m_bar;
    QPointer<QWidget> m_messageParent;
    QString m_operation;
    QStringList m_found;
    QTimer m_timer;
    int m_language = 0;
    bool m_running = false;
    // Last, so that destroying the search first waits for its worker.
    CBackgroundTask m_task;
};

} // namespace quillory
