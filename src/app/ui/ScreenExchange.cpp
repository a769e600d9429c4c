#include "app/ui/ScreenExchange.h"

namespace quillory {

CScreenExchange::CScreenExchange(QProgressBar* progress, std::function<void(bool)> busyChanged)
    : m_progress(progress), m_busyChanged(std::move(busyChanged)) {
    if (m_progress)
        m_progress->hide();
}

bool CScreenExchange::Start(std::function<int()> work, std::function<void(int)> done) {
    const bool started = m_task.Start(std::move(work), [this, done = std::move(done)](int code) {
        SetBusy(false);
        done(code);
    });
    if (started)
        SetBusy(true);
    return started;
}

void CScreenExchange::SetBusy(bool busy) {
    if (m_progress) {
        // How long an exchange takes is not known in advance: the bar runs without a fill level.
        m_progress->setRange(0, busy ? 0 : 1);
        m_progress->setVisible(busy);
    }
    if (m_busyChanged)
        m_busyChanged(busy);
}

} // namespace quillory
