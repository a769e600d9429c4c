#include "port/ui/PrinterSearch.h"

#include "app/ui/Messages.h"
#include "port/PortChoice.h"

#include <QProgressBar>

namespace quillory {
namespace {

// The two rounds of a search, in order.
constexpr int kFirstMode = 2;
constexpr int kLastMode = 3;

} // namespace

CPrinterSearch::CPrinterSearch(QProgressBar* bar, QObject* parent) : QObject(parent), m_bar(bar) {
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &CPrinterSearch::Tick);
}

CPrinterSearch::~CPrinterSearch() = default;

bool CPrinterSearch::Start(int languageIndex, QWidget* messageParent) {
    if (IsRunning())
        return false;
    m_running = true;
    m_language = languageIndex;
    m_messageParent = messageParent;
    if (m_bar) {
        m_bar->setRange(0, 100);
        m_bar->setValue(0);
        m_bar->show();
    }
    m_timer.start();
    StartRound(kFirstMode);
    return true;
}

void CPrinterSearch::Tick() {
    if (!m_bar)
        return;
    const int position = m_bar->value();
    if (position >= kLastClimbFrom)
        m_timer.stop();
    m_bar->setValue(position + kStep);
}

void CPrinterSearch::StartRound(int mode) {
    m_task.Start(
        [mode] { return SearchNetRound(mode); },
        [this, mode](const NetSearchRound& round) { RoundDone(mode, round.addresses, round.errorCode); });
}

void CPrinterSearch::RoundDone(int mode, const QStringList& addresses, int errorCode) {
    if (!addresses.isEmpty() && onFound)
        onFound(addresses);
    if (errorCode != 0) {
        ShowCommError(errorCode, m_language, m_messageParent);
        Finish(errorCode);
    } else if (mode < kLastMode) {
        StartRound(mode + 1);
    } else {
        Finish(0);
    }
}

void CPrinterSearch::Finish(int errorCode) {
    m_timer.stop();
    if (m_bar)
        m_bar->hide();
    m_running = false;
    if (onFinished)
        onFinished(errorCode);
}

} // namespace quillory
