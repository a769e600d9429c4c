#pragma once

#include "port/Communication.h"
#include "port/backends/Backends.h"

#include <QMutex>
#include <QSemaphore>
#include <QStringList>

#include <memory>

namespace quillory::test {

// What the stand-in connections report and record; shared by every connection made while a
// FakePortScope lives, from any thread.
struct FakePortWorld {
    QMutex mutex;
    QStringList calls;          // "open 7", "close", "enum", "count", "search 2" ...
    int openError = 0;          // code Open throws, 0: opens
    QStringList usbClassNames;  // EnumUsbClass
    int usbApiCount = 0;        // CountUsbApi
    int usbError = 0;           // code EnumUsbClass throws
    QStringList mode2Addresses; // SearchNet 2
    QStringList mode3Addresses; // SearchNet 3
    int searchError = 0;        // code SearchNet throws
    // When set, SearchNet waits on it (one acquire per call) before answering.
    QSemaphore* searchGate = nullptr;

    void Log(const QString& call) {
        QMutexLocker lock(&mutex);
        calls << call;
    }
    QStringList Calls() {
        QMutexLocker lock(&mutex);
        return calls;
    }
};

class FakeConnection final : public CCommunicationProtocol {
public:
    explicit FakeConnection(std::shared_ptr<FakePortWorld> world) : m_world(std::move(world)) {}
    void Open(tagPORTINFO info) override {
        m_world->Log(QStringLiteral("open %1").arg(info.portType));
        if (m_world->openError)
            throw CommunicationException(tagCOMMUNICATIONEXCEPTION(m_world->openError));
    }
    void Read(std::uint8_t*, int, int* count) override { *count = 0; }
    void Write(const std::uint8_t*, int length, int* count) override { *count = length; }
    void SetTimeouts(int, int) override {}
    void Close() override { m_world->Log(QStringLiteral("close")); }
    void EnumUsbClass(char* buffer, int capacity) override {
        m_world->Log(QStringLiteral("enum"));
        if (m_world->usbError)
            throw CommunicationException(tagCOMMUNICATIONEXCEPTION(m_world->usbError));
        FillAtList(buffer, capacity, m_world->usbClassNames);
    }
    int CountUsbApi() override {
        m_world->Log(QStringLiteral("count"));
        return m_world->usbApiCount;
    }
    int SearchNet(char* buffer, int mode, int capacity) override {
        m_world->Log(QStringLiteral("search %1").arg(mode));
        if (m_world->searchGate)
            m_world->searchGate->acquire();
        if (m_world->searchError)
            throw CommunicationException(tagCOMMUNICATIONEXCEPTION(m_world->searchError));
        return FillAtList(buffer, capacity, mode == 2 ? m_world->mode2Addresses : m_world->mode3Addresses);
    }

private:
    std::shared_ptr<FakePortWorld> m_world;
};

// Every connection made while it lives is a FakeConnection of world.
class FakePortScope {
public:
    FakePortScope() : world(std::make_shared<FakePortWorld>()) {
        CCommunicationFactory::SetConnectionMaker(
            [w = world](const tagPORTINFO&) { return std::make_unique<FakeConnection>(w); });
    }
    ~FakePortScope() { CCommunicationFactory::SetConnectionMaker(nullptr); }
    FakePortScope(const FakePortScope&) = delete;
    FakePortScope& operator=(const FakePortScope&) = delete;

    std::shared_ptr<FakePortWorld> world;
};

} // namespace quillory::test
