#include "port/Communication.h"

#include "port/ConnectionWatch.h"
#include "port/backends/Backends.h"
#include "port/backends/NetworkSearch.h"

#include <QMutex>

#include <cstring>

namespace quillory {

namespace {
QMutex gMakerMutex;
CCommunicationFactory::Maker gMaker;
thread_local QString tLastFailure;
} // namespace

void NoteCommunicationFailure(const QString& detail) {
    tLastFailure = detail;
}

QString LastCommunicationFailure() {
    return tLastFailure;
}

CCommunicationProtocol::~CCommunicationProtocol() = default;

int CCommunicationProtocol::ReadWithin(std::uint8_t* buffer, int capacity, int, int) {
    int count = 0;
    Read(buffer, capacity, &count);
    return count;
}

void CCommunicationProtocol::EnumUsbClass(char* buffer, int capacity) {
    FillAtList(buffer, capacity, EnumerateUsbClassPrinters());
}

int CCommunicationProtocol::CountUsbApi() {
    return CountUsbApiPrinters();
}

int CCommunicationProtocol::SearchNet(char* buffer, int mode, int capacity) {
    if (mode != 2 && mode != 3)
        return -1;
    return FillAtList(buffer, capacity, SearchNetworkPrinters(mode));
}

int FillAtList(char* buffer, int capacity, const QStringList& names) {
    if (!buffer || capacity <= 0)
        return 0;
    std::memset(buffer, 0, std::size_t(capacity));
    int used = 0;
    int written = 0;
    for (const QString& name : names) {
        const QByteArray bytes = name.toLocal8Bit() + '@';
        // Keep the terminating zero byte inside the buffer.
        if (used + bytes.size() >= capacity)
            break;
        std::memcpy(buffer + used, bytes.constData(), std::size_t(bytes.size()));
        used += int(bytes.size());
        ++written;
    }
    return written;
}

std::unique_ptr<CCommunicationProtocol> CreateBackend(const tagPORTINFO& info) {
    switch (info.portType) {
    case PORT_COM:
        return MakeSerialBackend();
    case PORT_LPT:
        return MakeParallelBackend();
    case PORT_USBCLASS:
        return MakeUsbClassBackend();
    case PORT_USBAPI:
        return MakeUsbApiBackend();
    case PORT_DRIVER:
        return MakeDriverBackend();
    case PORT_NET:
        return MakeNetBackend();
    default:
        return MakeInvalidBackend();
    }
}

CCommunicationFactory::CCommunicationFactory() = default;

// The connection's own destructor releases its port; closing is the caller's step.
CCommunicationFactory::~CCommunicationFactory() = default;

CCommunicationProtocol* CCommunicationFactory::CreateFacory(tagPORTINFO info) {
    Maker maker;
    {
        QMutexLocker lock(&gMakerMutex);
        maker = gMaker;
    }
    m_connection = maker ? maker(info) : CreateBackend(info);
    if (!m_connection)
        m_connection = MakeInvalidBackend();
    m_connection = WatchConnection(std::move(m_connection), CurrentConnectionWatcher());
    m_connection->SetTiming(CurrentPortTiming());
    return m_connection.get();
}

void CCommunicationFactory::SetConnectionMaker(Maker maker) {
    QMutexLocker lock(&gMakerMutex);
    gMaker = std::move(maker);
}

CConnectionScope::CConnectionScope(const tagPORTINFO& info) : m_connection(m_factory.CreateFacory(info)) {}

CConnectionScope::~CConnectionScope() {
    try {
        m_connection->Close();
    } catch (const CommunicationException&) {
        // Released by the connection's destructor all the same.
    }
}

} // namespace quillory
