#pragma once

#include "port/PortInfo.h"
#include "port/PortTiming.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace quillory {

// Error codes carried by CommunicationException.
enum tagCOMMUNICATIONEXCEPTION : int {
    COMM_OPEN_FAILED = 1,   // refused, unreachable, no such device
    COMM_BAD_PARAMETER = 2, // the port description cannot be used
    COMM_FAILED = 3,        // time-out, broken connection, unexpected reply
    COMM_UNAVAILABLE = 4,   // a backend library or service is missing
    COMM_CREATE_FILE = 5,   // a file cannot be created
    COMM_QUEUE_BUSY = 6,    // the printer queue has a job in progress
    COMM_ACCESS_DENIED = 8, // no permission for the device
};

// Thrown by value, caught by const reference.
class CommunicationException {
public:
    explicit CommunicationException(tagCOMMUNICATIONEXCEPTION code, QString detail = {})
        : m_code(code), m_detail(std::move(detail)) {}
    [[nodiscard]] int GetErrorCode() const { return int(m_code); }
    // A technical explanation for logs and the command line; screens show the code's message.
    [[nodiscard]] const QString& Detail() const { return m_detail; }

private:
    tagCOMMUNICATIONEXCEPTION m_code;
    QString m_detail;
};

// Time-outs in effect until SetTimeouts is called (milliseconds).
inline constexpr int kDefaultReadTimeoutMs = 1000;
inline constexpr int kDefaultWriteTimeoutMs = 5000;

// Why the last failed printer operation of this thread failed: the CommunicationException's
// detail (the port and the cause). Operations report only a code; the code that catches the
// exception notes its detail here, and messages add it. Cleared when an operation starts.
void NoteCommunicationFailure(const QString& detail);
[[nodiscard]] QString LastCommunicationFailure();

// Size of the "@"-terminated list buffers of EnumUsbClass and SearchNet.
inline constexpr int kListBufferSize = 1024;

// One printer connection. Every operation throws CommunicationException on failure.
class CCommunicationProtocol {
public:
    virtual ~CCommunicationProtocol();

    virtual void Open(tagPORTINFO info) = 0;
    // Waits up to the read time-out for the first byte, then collects while more bytes follow
    // within the reply gap, up to capacity. count 0 means nothing came.
    virtual void Read(std::uint8_t* buffer, int capacity, int* count) = 0;
    // Sends all bytes or throws; count receives the number written. Waits as long as the printer
    // takes bytes; fails only when none moved for the stall limit.
    virtual void Write(const std::uint8_t* data, int length, int* count) = 0;
    // Milliseconds: the shortest waits of a read and of a write. Awaited replies and writes to a
    // busy printer may wait longer, by the connection's timing.
    virtual void SetTimeouts(int readTimeout, int writeTimeout) = 0;
    // Releases the port; harmless when it is not open.
    virtual void Close() = 0;
    // Releases the port after a failed or cancelled transfer: what was not sent is dropped, and a
    // print job is cancelled instead of printed.
    virtual void Abort() { Close(); }

    // Used without Open. Names of USB-class printers, each ended by "@", into a zeroed buffer.
    virtual void EnumUsbClass(char* buffer, int capacity = kListBufferSize);
    // Number of USB-API printers, addressed 1..n on screen and 0..n-1 in usbApiId.
    virtual int CountUsbApi();
    // Network printer addresses, each ended by "@". Mode 2 or 3. Negative is failure.
    virtual int SearchNet(char* buffer, int mode, int capacity = kListBufferSize);

    // The waiting rules of this connection; the factory sets them from CurrentPortTiming().
    virtual void SetTiming(const PortTiming& timing) { m_timing = timing; }
    [[nodiscard]] const PortTiming& Timing() const { return m_timing; }
    // Like Read, with its own wait for the first byte (an awaited reply waits longer than a
    // drain) and, when gapMs is above the connection's reply gap, a longer quiet that ends the
    // reply. Returns the count. A connection that cannot tell waits as Read does.
    virtual int ReadWithin(std::uint8_t* buffer, int capacity, int firstByteWaitMs, int gapMs = 0);
    // Drops every byte that has already arrived, without waiting for more; returns how many.
    // Throws code 3 when the printer keeps sending faster than they can be dropped.
    virtual qint64 DiscardInput() { return 0; }
    // False for ports that only send (parallel, print queue): Read never brings anything.
    [[nodiscard]] virtual bool CanRead() const { return true; }

private:
    PortTiming m_timing;
};

// Creates and owns the connection of one exchange.
class CCommunicationFactory {
public:
    CCommunicationFactory();
    ~CCommunicationFactory();
    CCommunicationFactory(const CCommunicationFactory&) = delete;
    CCommunicationFactory& operator=(const CCommunicationFactory&) = delete;

    // The connection for the port kind of info; owned by the factory (a second call replaces it).
    // Never null: a description of no known kind yields a connection whose Open fails with code 2.
    CCommunicationProtocol* CreateFacory(tagPORTINFO info);

    // Test hook: while set, every factory creates its connections through maker. Thread-safe.
    using Maker = std::function<std::unique_ptr<CCommunicationProtocol>(const tagPORTINFO&)>;
    static void SetConnectionMaker(Maker maker);

private:
    std::unique_ptr<CCommunicationProtocol> m_connection;
};

// Creates the backend for a port kind; used by the factory. Exposed for tests of one backend.
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> CreateBackend(const tagPORTINFO& info);

// Convenience for code that owns no instruction object: one factory, one connection, closed on
// scope exit even when an exception leaves the scope.
class CConnectionScope {
public:
    explicit CConnectionScope(const tagPORTINFO& info);
    ~CConnectionScope();
    CConnectionScope(const CConnectionScope&) = delete;
    CConnectionScope& operator=(const CConnectionScope&) = delete;
    CCommunicationProtocol& operator*() const { return *m_connection; }
    CCommunicationProtocol* operator->() const { return m_connection; }

private:
    CCommunicationFactory m_factory;
    CCommunicationProtocol* m_connection;
};

} // namespace quillory
