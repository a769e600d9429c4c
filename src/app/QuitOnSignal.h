#pragma once

#include <memory>

class QSocketNotifier;

namespace quillory {

// Turns SIGINT and SIGTERM into QCoreApplication::quit(), so that a program stopped by its
// session, a service manager or a test unwinds normally: windows close, the demo printer stops
// and temporary folders are removed. The handler only writes one byte to a socket pair; the
// quit happens on the event loop. One instance per process; the default handlers come back when
// it is destroyed.
class CQuitOnSignal {
public:
    CQuitOnSignal();
    ~CQuitOnSignal();
    CQuitOnSignal(const CQuitOnSignal&) = delete;
    CQuitOnSignal& operator=(const CQuitOnSignal&) = delete;

    // False when the socket pair could not be made; the signals then keep their default action.
    [[nodiscard]] bool IsActive() const { return m_notifier != nullptr; }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace quillory
