#include "cli/Progress.h"

#include "cli/CliContext.h"
#include "cli/Trace.h"

#include <ostream>
#include <unistd.h>

namespace quillory::cli {
namespace {

QString Amount(qint64 bytes) {
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    return QStringLiteral("%1 KiB").arg(bytes / 1024.0, 0, 'f', 1);
}

} // namespace

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

ExchangeProgress::ExchangeProgress(std::ostream& err, QString label, bool shown)
    : m_err(err), m_label(std::move(label)), m_shown(shown) {
    m_clock.start();
}

ExchangeProgress::~ExchangeProgress() {
    if (!m_shown || !m_drawn)
        return;
    Draw(true);
    m_err << std::endl;
}

void ExchangeProgress::Sent(QByteArrayView bytes) {
    const std::lock_guard lock(m_mutex);
    m_sent += bytes.size();
    Draw(false);
}

void ExchangeProgress::Received(QByteArrayView bytes) {
    const std::lock_guard lock(m_mutex);
    m_received += bytes.size();
    Draw(false);
}

void ExchangeProgress::Draw(bool force) {
    if (!m_shown || (!force && m_lastDraw.isValid() && m_lastDraw.elapsed() < 200))
        return;
    m_lastDraw.start();
    m_drawn = true;
    m_err << QStringLiteral("\r%1: %2 sent, %3 received, %4 s  ")
                 .arg(m_label, Amount(m_sent), Amount(m_received))
                 .arg(m_clock.elapsed() / 1000)
                 .toStdString()
          << std::flush;
}

int CliContext::WithProgress(const QString& label, const std::function<int()>& work, ExchangeCounts* counts,
                             bool shown) const {
    auto progress = std::make_shared<ExchangeProgress>(err, label, shown && progressShown);
    SetConnectionWatcher(std::make_shared<WatcherPair>(trace, progress));
    const int status = work();
    SetConnectionWatcher(trace);
    if (counts)
        *counts = {progress->SentBytes(), progress->ReceivedBytes()};
    return status;
}

} // namespace quillory::cli
