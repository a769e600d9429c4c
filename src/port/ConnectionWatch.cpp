#include "port/ConnectionWatch.h"

#include <QMutex>

namespace quillory {
namespace {

QMutex gWatcherMutex;
std::shared_ptr<ConnectionWatcher> gWatcher;

QByteArrayView Bytes(const std::uint8_t* data, int count) {
    return {reinterpret_cast<const char*>(data), qsizetype(count > 0 ? count : 0)};
}

// Forwards every call to the real connection and tells the watcher what moved. A failure is
// reported and passed on unchanged.
class WatchedConnection final : public CCommunicationProtocol {
public:
    WatchedConnection(std::unique_ptr<CCommunicationProtocol> inner,
                      std::shared_ptr<ConnectionWatcher> watcher)
        : m_inner(std::move(inner)), m_watcher(std::move(watcher)) {}

    void Open(tagPORTINFO info) override {
        Guard("open", [&] { m_inner->Open(info); });
        m_watcher->Opened(info);
    }
    void Read(std::uint8_t* buffer, int capacity, int* count) override {
        int got = 0;
        Guard("read", [&] { m_inner->Read(buffer, capacity, &got); });
        if (count)
            *count = got;
        if (got > 0)
            m_watcher->Received(Bytes(buffer, got));
    }
    void Write(const std::uint8_t* data, int length, int* count) override {
        int written = 0;
        try {
            m_inner->Write(data, length, &written);
        } catch (const CommunicationException& e) {
            // What went out before the failure went out all the same.
            if (written > 0)
                m_watcher->Sent(Bytes(data, written));
            m_watcher->Failed("write", e);
            throw;
        }
        if (count)
            *count = written;
        m_watcher->Sent(Bytes(data, written));
    }
    void SetTimeouts(int readTimeout, int writeTimeout) override {
        m_inner->SetTimeouts(readTimeout, writeTimeout);
    }
    void Close() override {
        Guard("close", [&] { m_inner->Close(); });
        m_watcher->Closed();
    }
    void Abort() override {
        Guard("abort", [&] { m_inner->Abort(); });
        m_watcher->Closed();
    }
    void EnumUsbClass(char* buffer, int capacity) override { m_inner->EnumUsbClass(buffer, capacity); }
    int CountUsbApi() override { return m_inner->CountUsbApi(); }
    int SearchNet(char* buffer, int mode, int capacity) override {
        return m_inner->SearchNet(buffer, mode, capacity);
    }
    void SetTiming(const PortTiming& timing) override {
        CCommunicationProtocol::SetTiming(timing);
        m_inner->SetTiming(timing);
    }
    int ReadWithin(std::uint8_t* buffer, int capacity, int firstByteWaitMs, int gapMs = 0) override {
        int got = 0;
        Guard("read", [&] { got = m_inner->ReadWithin(buffer, capacity, firstByteWaitMs, gapMs); });
        if (got > 0)
            m_watcher->Received(Bytes(buffer, got));
        return got;
    }
    qint64 DiscardInput() override {
        qint64 dropped = 0;
        Guard("discard", [&] { dropped = m_inner->DiscardInput(); });
        if (dropped > 0)
            m_watcher->Discarded(dropped);
        return dropped;
    }
    [[nodiscard]] bool CanRead() const override { return m_inner->CanRead(); }

private:
    template <typename Work>
    void Guard(const char* operation, Work&& work) {
        try {
            work();
        } catch (const CommunicationException& e) {
            m_watcher->Failed(operation, e);
            throw;
        }
    }

    std::unique_ptr<CCommunicationProtocol> m_inner;
    std::shared_ptr<ConnectionWatcher> m_watcher;
};

} // namespace

ConnectionWatcher::~ConnectionWatcher() = default;

void SetConnectionWatcher(std::shared_ptr<ConnectionWatcher> watcher) {
    QMutexLocker lock(&gWatcherMutex);
    gWatcher = std::move(watcher);
}

std::shared_ptr<ConnectionWatcher> CurrentConnectionWatcher() {
    QMutexLocker lock(&gWatcherMutex);
    return gWatcher;
}

std::unique_ptr<CCommunicationProtocol> WatchConnection(std::unique_ptr<CCommunicationProtocol> inner,
                                                        std::shared_ptr<ConnectionWatcher> watcher) {
    if (!watcher)
        return inner;
    return std::make_unique<WatchedConnection>(std::move(inner), std::move(watcher));
}

} // namespace quillory
