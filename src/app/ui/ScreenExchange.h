#pragma once

#include "app/ui/BackgroundTask.h"

#include <QPointer>
#include <QProgressBar>

#include <functional>

namespace quillory {

// One printer exchange of a screen at a time, on a worker thread: while it runs the screen's
// progress bar moves and busyChanged lets the screen disable its buttons; a second start is
// refused. Declare it after the instruction object its work uses.
//
//     m_exchange.Start([instruction, port] { return instruction->ReadSettings(port); },
//                      [this](int code) { ReadDone(code); });
class CScreenExchange {
public:
    // progress: shown only while an exchange runs (may be null). busyChanged(busy) runs on the
    // user-interface thread when an exchange starts and when it ends, before done.
    CScreenExchange(QProgressBar* progress, std::function<void(bool busy)> busyChanged);

    [[nodiscard]] bool IsBusy() const { return m_task.IsBusy(); }
    // Returns false (and does nothing) while an exchange runs.
    bool Start(std::function<int()> work, std::function<void(int code)> done);
    // Waits for the running worker (tests); the result is still delivered through the event loop.
    bool Wait(int timeoutMs = -1) { return m_task.Wait(timeoutMs); }

private:
    void SetBusy(bool busy);

    QPointer<QProgressBar> m_progress;
    std::function<void(bool)> m_busyChanged;
    CBackgroundTask m_task;
};

} // namespace quillory
