#include "port/ui/PrinterSearch.h"

#include "app/ui/Activity.h"
#include "port/PortChoice.h"

#include "app/LanguageTexts.h"

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

bool CPrinterSearch::Start(int languageIndex, QWidget* messageParent, const QString& operation) {
    if (IsRunning())
        return false;
    m_running = true;
    m_language = languageIndex;
    m_messageParent = messageParent;
    m_operation = operation;
    m_found.clear();
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
    for (const QString& address : addresses) {
        if (!m_found.contains(address))
            m_found << address;
    }
    if (!addresses.isEmpty() && onFound)
        onFound(addresses);
    if (errorCode != 0) {
        COperation(m_messageParent, m_operation).CommFailed(errorCode, m_language);
        Finish(errorCode);
    } else if (mode < kLastMode) {
        StartRound(mode + 1);
    } else {
        Finish(0);
    }
}

void CPrinterSearch::Finish(int errorCode) {
    if (errorCode == 0) {
        const QString found = GetMessageText("SearchDone", m_language).arg(m_found.size());
        COperation(m_messageParent, m_operation)
            .SucceededWith(found, m_found.join(QStringLiteral(", ")), Notify::LogOnly);
    }
    m_timer.stop();
    if (m_bar)
        m_bar->hide();
    m_running = false;
    if (onFinished)
        onFinished(errorCode);
}

} // namespace quillory
