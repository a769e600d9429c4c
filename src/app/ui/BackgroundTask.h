#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace quillory {

// Runs one blocking exchange at a time on a worker thread and hands its result back on the
// thread that owns the task (the user-interface thread), so a screen stays responsive, can
// show progress and refuses a second press while the first runs:
//
//     if (!m_task.Start([port, instruction = m_instruction] { return instruction->ReadSettings(port); },
//                       [this](int code) { ReadFinished(code); }))
//         return; // still busy
//
// Keep the task as a member declared after everything its work uses: destroying the task waits
// for a running worker, and a result that arrives after the task is gone is dropped, never
// delivered to a destroyed screen. Work must not throw; it returns its outcome (e.g. a code).
class CBackgroundTask {
public:
    CBackgroundTask();
    ~CBackgroundTask();
    CBackgroundTask(const CBackgroundTask&) = delete;
    CBackgroundTask& operator=(const CBackgroundTask&) = delete;

    // True from Start until done has been called.
    [[nodiscard]] bool IsBusy() const { return m_busy; }

    // Starts work on a worker thread unless one is running; done receives its result on this
    // task's thread. Returns false (and does nothing) while busy.
    template <typename Work, typename Done>
    bool Start(Work work, Done done) {
        if (m_busy)
            return false;
        using Result = std::invoke_result_t<Work&>;
        if constexpr (std::is_void_v<Result>) {
            Launch(std::function<void()>(std::move(work)), std::function<void()>(std::move(done)));
        } else {
            auto result = std::make_shared<std::optional<Result>>();
            auto shared = std::make_shared<Work>(std::move(work));
            auto deliver = std::make_shared<Done>(std::move(done));
            Launch([result, shared] { result->emplace((*shared)()); },
                   [result, deliver] { (*deliver)(std::move(**result)); });
        }
        return true;
    }

    // Waits for a running worker (not for the delivery); false when the time ran out.
    bool Wait(int timeoutMs = -1);

private:
    void Launch(std::function<void()> work, std::function<void()> deliver);

    std::unique_ptr<QObject> m_receiver;
    QPointer<QThread> m_thread;
    bool m_busy = false;
};

} // namespace quillory
