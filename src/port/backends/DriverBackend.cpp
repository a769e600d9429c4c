#include "port/backends/Backends.h"

#include <cups/cups.h>

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
    const ipp_status_t status = cupsLastError();
    throw CommunicationException(CodeForIppStatus(status),
                                 QStringLiteral("%1: %2 (%3)")
                                     .arg(what, QString::fromUtf8(cupsLastErrorString()),
                                          QString::fromLatin1(ippErrorString(status))));
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
    void operator()(http_t* http) const { httpClose(http); }
};
using HttpConnection = std::unique_ptr<http_t, HttpCloser>;

HttpConnection ConnectToPrintService() {
    cupsSetPasswordCB2(NoPassword, nullptr);
    const char* server = cupsServer();
    http_t* http =
        httpConnect2(server, ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectTimeoutMs, nullptr);
    if (!http)
        throw CommunicationException(COMM_UNAVAILABLE,
                                     QStringLiteral("the print service at %1:%2 cannot be reached")
                                         .arg(QString::fromUtf8(server))
                                         .arg(ippPort()));
    return HttpConnection(http);
}

// Create-Job on the named local queue; the job id, 0 on failure (cupsLastError tells why).
// Asked of the service directly: the library's own lookup of a name it does not know would go
// browsing the network for it.
int CreateJob(http_t* http, const QByteArray& queue) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queue.constData());
    ipp_t* request = ippNewRequest(IPP_OP_CREATE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, "Quillory");
    ipp_t* response = cupsDoRequest(http, request, (QByteArray("/printers/") + queue).constData());
    int jobId = 0;
    if (response && cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE) {
        if (ipp_attribute_t* id = ippFindAttribute(response, "job-id", IPP_TAG_INTEGER))
            jobId = ippGetInteger(id, 0);
    }
    ippDelete(response);
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
        if (cupsStartDocument(m_http.get(), m_queue.constData(), m_jobId, "Quillory", CUPS_FORMAT_RAW, 1) !=
            HTTP_STATUS_CONTINUE) {
            const CommunicationException failure(CodeForIppStatus(cupsLastError()),
                                                 QStringLiteral("queue \"%1\": cannot start the job: %2")
                                                     .arg(queue, QString::fromUtf8(cupsLastErrorString())));
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
        const http_status_t status =
            cupsWriteRequestData(m_http.get(), reinterpret_cast<const char*>(data), std::size_t(length));
        if (status != HTTP_STATUS_CONTINUE) {
            m_failed = true;
            throw CommunicationException(
                COMM_FAILED, QStringLiteral("queue \"%1\": sending the job failed: %2")
                                 .arg(QString::fromUtf8(m_queue), QString::fromUtf8(httpStatus(status))));
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
            httpSetTimeout(http.get(), 30.0, GiveUp, nullptr);
            if (cupsFinishDocument(http.get(), m_queue.constData()) <= IPP_STATUS_OK_EVENTS_COMPLETE)
                return;
            const CommunicationException failure(
                COMM_FAILED, QStringLiteral("queue \"%1\": finishing the job "
                                            "failed: %2")
                                 .arg(QString::fromUtf8(m_queue), QString::fromUtf8(cupsLastErrorString())));
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
            cupsCancelJob2(http.get(), m_queue.constData(), jobId, 1);
        } catch (const CommunicationException&) {
            // The service is gone; it cannot print the job either.
        }
    }

    void ApplyWriteTimeout() {
        if (m_http)
            httpSetTimeout(m_http.get(), std::max(m_writeTimeout, Timing().stallLimitMs) / 1000.0, GiveUp,
                           nullptr);
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
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    static const char* const kAttributes[] = {"printer-name", "printer-make-and-model", "printer-type"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  int(std::size(kAttributes)), nullptr, kAttributes);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ipp_t* response = cupsDoRequest(http.get(), request, "/");
    const ipp_status_t status = cupsLastError();
    QStringList names;
    if (!response || status > IPP_STATUS_OK_EVENTS_COMPLETE) {
        ippDelete(response);
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
    for (ipp_attribute_t* attribute = ippFirstAttribute(response); attribute;
         attribute = ippNextAttribute(response)) {
        const char* attributeName = ippGetName(attribute);
        if (!attributeName) {
            take();
            continue;
        }
        const QByteArrayView key(attributeName);
        if (key == "printer-name")
            name = QString::fromUtf8(ippGetString(attribute, 0, nullptr));
        else if (key == "printer-make-and-model")
            makeAndModel = QByteArray(ippGetString(attribute, 0, nullptr));
        else if (key == "printer-type" && ippGetValueTag(attribute) == IPP_TAG_ENUM)
            type = ippGetInteger(attribute, 0);
    }
    take();
    ippDelete(response);
    return names;
}

std::unique_ptr<CCommunicationProtocol> MakeDriverBackend() {
    return std::make_unique<DriverBackend>();
}

} // namespace quillory
