#pragma once

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>

#include <cups/cups.h>

#include <functional>

namespace quillory::test {

inline QStringList ItemTexts(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

inline void Settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Runs the event loop until done() holds or the time runs out.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

// Points the print-service client at a loopback port where nothing listens, so that the list
// of installed printers is empty whatever the machine has.
class NoPrintService {
public:
    NoPrintService() : m_had(qEnvironmentVariableIsSet("CUPS_SERVER")), m_saved(qgetenv("CUPS_SERVER")) {
        qputenv("CUPS_SERVER", "127.0.0.1:1");
        cupsSetServer(nullptr);
    }
    ~NoPrintService() {
        if (m_had)
            qputenv("CUPS_SERVER", m_saved);
        else
            qunsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
    }
    NoPrintService(const NoPrintService&) = delete;
    NoPrintService& operator=(const NoPrintService&) = delete;

private:
    bool m_had;
    QByteArray m_saved;
};

} // namespace quillory::test
