#pragma once

#include "port/ConnectionWatch.h"

#include <QElapsedTimer>

#include <iosfwd>
#include <mutex>

namespace quillory::cli {

// Whether standard error is a terminal: progress lines are drawn only there, so that a log or a
// pipe gets the messages and nothing else.
[[nodiscard]] bool StandardErrorIsTerminal();

// "eeprom backup: 1.5 KiB sent, 3.0 KiB received, 2 s" on one line that rewrites itself, drawn
// at most five times a second while a long exchange runs; the line is ended when this object
// goes away. Draws nothing when shown is false.
class ExchangeProgress final : public ConnectionWatcher {
public:
    ExchangeProgress(std::ostream& err, QString label, bool shown);
    ~ExchangeProgress() override;
    ExchangeProgress(const ExchangeProgress&) = delete;
    ExchangeProgress& operator=(const ExchangeProgress&) = delete;

    [[nodiscard]] qint64 SentBytes() const { return m_sent; }
    [[nodiscard]] qint64 ReceivedBytes() const { return m_received; }

    void Opened(const tagPORTINFO&) override {}
    void Sent(QByteArrayView bytes) override;
    void Received(QByteArrayView bytes) override;
    void Discarded(qint64) override {}
    void Closed() override {}
    void Failed(const char*, const CommunicationException&) override {}

private:
    void Draw(bool force);

    std::ostream& m_err;
    QString m_label;
    bool m_shown;
    bool m_drawn = false;
    qint64 m_sent = 0;
    qint64 m_received = 0;
    QElapsedTimer m_clock;
    QElapsedTimer m_lastDraw;
    std::mutex m_mutex;
};

} // namespace quillory::cli
