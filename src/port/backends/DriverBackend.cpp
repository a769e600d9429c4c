#include "port/backends/Backends.h"

#include <cups/cups.h>
#include <dlfcn.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>

namespace quillory {
namespace {

// Print queues of our driver family carry a make-and-model (the PPD's NickName) with this prefix.
constexpr char kFamilyPrefix[] = "KMT-";
// How long connecting to the print service may take.
constexpr int kConnectTimeoutMs = 5000;
constexpr char kCupsLibrary[] = "libcups.so.2";

// The print-queue library is loaded the first time a queue is used: everything else (the command
// line's sends to a network printer above all) starts without it and the thirty-odd libraries it
// brings along.
#define QUILLORY_CUPS_FUNCTIONS(X)                                                                           \
    X(cupsCancelJob2)                                                                                        \
    X(cupsDoRequest)                                                                                         \
    X(cupsEncryption)                                                                                        \
    X(cupsFinishDocument)                                                                                    \
    X(cupsLastError)                                                                                         \
    X(cupsLastErrorString)                                                                                   \
    X(cupsServer)                                                                                            \
    X(cupsSetPasswordCB2)                                                                                    \
    X(cupsStartDocument)                                                                                     \
    X(cupsUser)                                                                                              \
    X(cupsWriteRequestData)                                                                                  \
    X(httpAssembleURIf)                                                                                      \
    X(httpClose)                                                                                             \
    X(httpConnect2)                                                                                          \
    X(httpSetTimeout)                                                                                        \
    X(httpStatus)                                                                                            \
    X(ippAddString)                                                                                          \
    X(ippAddStrings)                                                                                         \
    X(ippDelete)                                                                                             \
    X(ippErrorString)                                                                                        \
    X(ippFindAttribute)                                                                                      \
    X(ippFirstAttribute)                                                                                     \
    X(ippGetInteger)                                                                                         \
    X(ippGetName)                                                                                            \
    X(ippGetString)                                                                                          \
    X(ippGetValueTag)                                                                                        \
    X(ippNewRequest)                                                                                         \
    X(ippNextAttribute)                                                                                      \
    X(ippPort)

struct CupsLibrary {
#define QUILLORY_CUPS_POINTER(name) decltype(&::name) name = nullptr;
    QUILLORY_CUPS_FUNCTIONS(QUILLORY_CUPS_POINTER)
#undef QUILLORY_CUPS_POINTER
    QString error; // why it could not be loaded; empty once every function was found
};

CupsLibrary LoadCupsLibrary() {
    CupsLibrary library;
    void* handle = ::dlopen(kCupsLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        library.error = QString::fromLocal8Bit(::dlerror());
        return library;
    }
    // The library stays loaded for the life of the process: its functions are kept.
#define QUILLORY_CUPS_RESOLVE(name)                                                                          \
    library.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name));                              \
    if (!library.name && library.error.isEmpty())                                                            \
        library.error = QStringLiteral("%1 has no function %2").arg(QLatin1String(kCupsLibrary), #name);
    QUILLORY_CUPS_FUNCTIONS(QUILLORY_CUPS_RESOLVE)
#undef QUILLORY_CUPS_RESOLVE
    return library;
}

// The loaded library; throws (the backend library is unavailable) when it cannot be loaded.
const CupsLibrary& Cups() {
    static const CupsLibrary library = LoadCupsLibrary();
    if (!library.error.isEmpty())
        throw CommunicationException(
            COMM_UNAVAILABLE,
            QStringLiteral("the print-queue library cannot be loaded: %1").arg(library.error));
    return library;
}

struct IppStatusRow {
    ipp_status_t status;
    tagCOMMUNICATIONEXCEPTION code;
};
// Anything not listed is a communication failure (3).
constexpr IppStatusRow kIppStatuses[] = {
    {IPP_STATUS_ERROR_NOT_FOUND, COMM_OPEN_FAILED},
    {IPP_STATUS_ERROR_BAD_REQUEST, COMM_BAD_PARAMETER},
    {IPP_STATUS_ERROR_SERVICE_UNAVAILABLE, COMM_UNAVAILABLE},
    {IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS, COMM_QUEUE_BUSY},
    {IPP_STATUS_ERROR_BUSY, COMM_QUEUE_BUSY},
    {IPP_STATUS_ERROR_PRINTER_IS_DEACTIVATED, COMM_QUEUE_BUSY},
    {IPP_STATUS_ERROR_FORBIDDEN, COMM_ACCESS_DENIED},
    {IPP_STATUS_ERROR_NOT_AUTHENTICATED, COMM_ACCESS_DENIED},
    {IPP_STATUS_ERROR_NOT_AUTHORIZED, COMM_ACCESS_DENIED},
    {IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED, COMM_ACCESS_DENIED},
};

tagCOMMUNICATIONEXCEPTION CodeForIppStatus(ipp_status_t status) {
    for (const IppStatusRow& row : kIppStatuses) {
        if (row.status == status)
            return row.code;
    }
    return COMM_FAILED;
}

[[noreturn]] void ThrowLastCupsError(const QString& what) {
    const ipp_status_t status = Cups().cupsLastError();
    throw CommunicationException(CodeForIppStatus(status),
                                 QStringLiteral("%1: %2 (%3)")
                                     .arg(what, QString::fromUtf8(Cups().cupsLastErrorString()),
                                          QString::fromLatin1(Cups().ippErrorString(status))));
}

// Never ask for a password on a terminal: a queue that wants one is refused (code 8).
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) {
    return nullptr;
}

// A stalled transfer gives up at once when its time-out passes.
int GiveUp(http_t*, void*) {
    return 0;
}

struct HttpCloser {
    void operator()(http_t* http) const { Cups().httpClose(http); }
};
using HttpConnection = std::unique_ptr<http_t, HttpCloser>;

HttpConnection ConnectToPrintService() {
    Cups().cupsSetPasswordCB2(NoPassword, nullptr);
    const char* server = Cups().cupsServer();
    http_t* http = Cups().httpConnect2(server, Cups().ippPort(), nullptr, AF_UNSPEC, Cups().cupsEncryption(),
                                       1, kConnectTimeoutMs, nullptr);
    if (!http)
        throw CommunicationException(COMM_UNAVAILABLE,
                                     QStringLiteral("the print service at %1:%2 cannot be reached")
                                         .arg(QString::fromUtf8(server))
                                         .arg(Cups().ippPort()));
    return HttpConnection(http);
}

// Create-Job on the named local queue; the job id, 0 on failure (cupsLastError tells why).
// Asked of the service directly: the library's own lookup of a name it does not know would go
// browsing the network for it.
int CreateJob(http_t* http, const QByteArray& queue) {
    char uri[HTTP_MAX_URI];
    Cups().httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                            Cups().ippPort(), "/printers/%s", queue.constData());
    ipp_t* request = Cups().ippNewRequest(IPP_OP_CREATE_JOB);
    Cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    Cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                        Cups().cupsUser());
    Cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, "Quillory");
    ipp_t* response = Cups().cupsDoRequest(http, request, (QByteArray("/printers/") + queue).constData());
    int jobId = 0;
    if (response && Cups().cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE) {
        if (ipp_attribute_t* id = Cups().ippFindAttribute(response, "job-id", IPP_TAG_INTEGER))
            jobId = Cups().ippGetInteger(id, 0);
    }
    Cups().ippDelete(response);
    return jobId;
}

// One raw job per connection: Open creates it, Write streams into it, Close hands it to the
// queue. A job whose stream failed or that received nothing is cancelled, so the printer never
// gets half a job or an empty one.
class DriverBackend final : public CCommunicationProtocol {
public:
    ~DriverBackend() override {
        try {
            Close();
        } catch (const CommunicationException&) {
            // Nobody is left to tell; the job was cancelled or finished as far as possible.
        }
    }

    void Open(tagPORTINFO info) override {
        const QString queue = PortText(info.driverName);
        if (queue.trimmed().isEmpty())
            throw CommunicationException(COMM_BAD_PARAMETER, QStringLiteral("no printer queue name"));
        Close();
        m_queue = queue.toUtf8();
        m_http = ConnectToPrintService();
        m_jobId = CreateJob(m_http.get(), m_queue);
        if (m_jobId <= 0) {
            m_http.reset();
            m_jobId = 0;
            ThrowLastCupsError(QStringLiteral("queue \"%1\"").arg(queue));
        }
        if (Cups().cupsStartDocument(m_http.get(), m_queue.constData(), m_jobId, "Quillory", CUPS_FORMAT_RAW,
                                     1) != HTTP_STATUS_CONTINUE) {
            const CommunicationException failure(
                CodeForIppStatus(Cups().cupsLastError()),
                QStringLiteral("queue \"%1\": cannot start the job: %2")
                    .arg(queue, QString::fromUtf8(Cups().cupsLastErrorString())));
            m_failed = true;
            Close();
            throw failure;
        }
        ApplyWriteTimeout();
    }

    void Read(std::uint8_t*, int, int* count) override {
        if (count)
            *count = 0;
        RequireOpen();
    }

    void Write(const std::uint8_t* data, int length, int* count) override {
        if (count)
            *count = 0;
        RequireOpen();
        if (length <= 0)
            return;
        if (!data)
            throw CommunicationException(COMM_BAD_PARAMETER, QStringLiteral("no data to write"));
        if (m_failed)
            throw CommunicationException(COMM_FAILED, QStringLiteral("the print job already failed"));
        const http_status_t status = Cups().cupsWriteRequestData(
            m_http.get(), reinterpret_cast<const char*>(data), std::size_t(length));
        if (status != HTTP_STATUS_CONTINUE) {
            m_failed = true;
            throw CommunicationException(
                COMM_FAILED,
                QStringLiteral("queue \"%1\": sending the job failed: %2")
                    .arg(QString::fromUtf8(m_queue), QString::fromUtf8(Cups().httpStatus(status))));
        }
        m_written += length;
        if (count)
            *count = length;
    }

    void SetTimeouts(int, int writeTimeout) override {
        m_writeTimeout = std::max(1, writeTimeout);
        ApplyWriteTimeout();
    }

    void SetTiming(const PortTiming& timing) override {
        CCommunicationProtocol::SetTiming(timing);
        ApplyWriteTimeout();
    }

    [[nodiscard]] bool CanRead() const override { return false; }

    void Abort() override {
        m_failed = true; // a job that was not sent whole must not print
        Close();
    }

    // Throws when a job that received data cannot be handed to the queue.
    void Close() override {
        if (!m_http)
            return;
        const HttpConnection http = std::move(m_http);
        const int jobId = std::exchange(m_jobId, 0);
        const bool failed = std::exchange(m_failed, false);
        const qint64 written = std::exchange(m_written, 0);
        if (!failed && written > 0) {
            // Finishing waits for the service's answer, which may take longer than a write.
            Cups().httpSetTimeout(http.get(), 30.0, GiveUp, nullptr);
            if (Cups().cupsFinishDocument(http.get(), m_queue.constData()) <= IPP_STATUS_OK_EVENTS_COMPLETE)
                return;
            const CommunicationException failure(
                COMM_FAILED,
                QStringLiteral("queue \"%1\": finishing the job "
                               "failed: %2")
                    .arg(QString::fromUtf8(m_queue), QString::fromUtf8(Cups().cupsLastErrorString())));
            CancelJob(jobId);
            throw failure;
        }
        CancelJob(jobId);
    }

private:
    // The job's own connection is in the middle of a request; cancel through a fresh one.
    void CancelJob(int jobId) const {
        if (jobId <= 0)
            return;
        try {
            const HttpConnection http = ConnectToPrintService();
            Cups().cupsCancelJob2(http.get(), m_queue.constData(), jobId, 1);
        } catch (const CommunicationException&) {
            // The service is gone; it cannot print the job either.
        }
    }

    void ApplyWriteTimeout() {
        if (m_http)
            Cups().httpSetTimeout(m_http.get(), std::max(m_writeTimeout, Timing().stallLimitMs) / 1000.0,
                                  GiveUp, nullptr);
    }

    void RequireOpen() const {
        if (!m_http)
            throw CommunicationException(COMM_FAILED, QStringLiteral("the printer queue is not open"));
    }

    HttpConnection m_http;
    QByteArray m_queue;
    int m_jobId = 0;
    bool m_failed = false;
    qint64 m_written = 0;
    int m_writeTimeout = kDefaultWriteTimeoutMs;
};

} // namespace

QStringList ListDriverPrinters() {
    const HttpConnection http = ConnectToPrintService();
    ipp_t* request = Cups().ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    static const char* const kAttributes[] = {"printer-name", "printer-make-and-model", "printer-type"};
    Cups().ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                         int(std::size(kAttributes)), nullptr, kAttributes);
    Cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                        Cups().cupsUser());
    ipp_t* response = Cups().cupsDoRequest(http.get(), request, "/");
    const ipp_status_t status = Cups().cupsLastError();
    QStringList names;
    if (!response || status > IPP_STATUS_OK_EVENTS_COMPLETE) {
        Cups().ippDelete(response);
        if (status == IPP_STATUS_ERROR_NOT_FOUND)
            return names; // no queue at all
        ThrowLastCupsError(QStringLiteral("listing the print queues"));
    }
    // Printers follow one another in the printer group; a separator ends each.
    QString name;
    QByteArray makeAndModel;
    int type = 0;
    const auto take = [&] {
        const bool local = (type & (CUPS_PRINTER_REMOTE | CUPS_PRINTER_CLASS)) == 0;
        if (!name.isEmpty() && local && makeAndModel.startsWith(kFamilyPrefix))
            names << name;
        name.clear();
        makeAndModel.clear();
        type = 0;
    };
    for (ipp_attribute_t* attribute = Cups().ippFirstAttribute(response); attribute;
         attribute = Cups().ippNextAttribute(response)) {
        const char* attributeName = Cups().ippGetName(attribute);
        if (!attributeName) {
            take();
            continue;
        }
        const QByteArrayView key(attributeName);
        if (key == "printer-name")
            name = QString::fromUtf8(Cups().ippGetString(attribute, 0, nullptr));
        else if (key == "printer-make-and-model")
            makeAndModel = QByteArray(Cups().ippGetString(attribute, 0, nullptr));
        else if (key == "printer-type" && Cups().ippGetValueTag(attribute) == IPP_TAG_ENUM)
            type = Cups().ippGetInteger(attribute, 0);
    }
    take();
    Cups().ippDelete(response);
    return names;
}

std::unique_ptr<CCommunicationProtocol> MakeDriverBackend() {
    return std::make_unique<DriverBackend>();
}

} // namespace quillory
