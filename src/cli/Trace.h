#pragma once

#include "port/ConnectionWatch.h"

#include <QString>

#include <iosfwd>
#include <memory>
#include <mutex>

namespace quillory::cli {

// --trace: every byte exchanged with the printer, as lines on standard error:
//   12:34:56.789 open net:127.0.0.1:9100
//   12:34:56.790 send 0000  1b 57 52 0d 0a                                      |.WR..|
//   12:34:56.801 recv 0000  46 56 31 2e 30 0d 0a                                |FV1.0..|
// Sixteen bytes a line; the four hexadecimal digits count the bytes of one read or write.
class TraceWatcher final : public ConnectionWatcher {
public:
    explicit TraceWatcher(std::ostream& err) : m_err(err) {}
    void Opened(const tagPORTINFO& port) override;
    void Sent(QByteArrayView bytes) override;
    void Received(QByteArrayView bytes) override;
    void Discarded(qint64 count) override;
    void Closed() override;
    void Failed(const char* operation, const CommunicationException& error) override;

private:
    void Line(const QString& text);
    void Dump(const char* direction, QByteArrayView bytes);

    std::ostream& m_err;
    std::mutex m_mutex;
};

// Hands every call to each of the watchers that is set.
class WatcherPair final : public ConnectionWatcher {
public:
    WatcherPair(std::shared_ptr<ConnectionWatcher> first, std::shared_ptr<ConnectionWatcher> second)
        : m_first(std::move(first)), m_second(std::move(second)) {}
    void Opened(const tagPORTINFO& port) override {
        Each([&](ConnectionWatcher& w) { w.Opened(port); });
    }
    void Sent(QByteArrayView bytes) override {
        Each([&](ConnectionWatcher& w) { w.Sent(bytes); });
    }
    void Received(QByteArrayView bytes) override {
        Each([&](ConnectionWatcher& w) { w.Received(bytes); });
    }
    void Discarded(qint64 count) override {
        Each([&](ConnectionWatcher& w) { w.Discarded(count); });
    }
    void Closed() override {
        Each([](ConnectionWatcher& w) { w.Closed(); });
    }
    void Failed(const char* operation, const CommunicationException& error) override {
        Each([&](ConnectionWatcher& w) { w.Failed(operation, error); });
    }

private:
    template <typename Call>
    void Each(Call&& call) {
        if (m_first)
            call(*m_first);
        if (m_second)
            call(*m_second);
    }
    std::shared_ptr<ConnectionWatcher> m_first;
    std::shared_ptr<ConnectionWatcher> m_second;
};

} // namespace quillory::cli
