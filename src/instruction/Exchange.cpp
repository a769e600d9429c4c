#include "instruction/Exchange.h"

#include "app/NumberText.h"
#include "instruction/Commands.h"

#include <algorithm>
#include <vector>

namespace quillory {
namespace {
// A drain gives up once the line has not fallen quiet for this long, or after this many bytes.
constexpr int kMaxDrainMs = 2000;
constexpr qsizetype kMaxDrainBytes = 1 << 20;
} // namespace

CExchange::CExchange(const tagPORTINFO& port) : m_port(port), m_connection(m_factory.CreateFacory(port)) {
    m_lastActivity.start();
}

CExchange::~CExchange() = default;

void CExchange::Open(std::optional<Timeouts> timeouts) {
    m_connection->Open(m_port);
    if (timeouts)
        SetTimeouts(timeouts->read, timeouts->write);
    m_readSinceWrite = true;
    m_lastActivity.restart();
}

void CExchange::SetTimeouts(int read, int write) {
    m_connection->SetTimeouts(read, write);
    m_shortWaitMs = std::max(0, read);
}

bool CExchange::CanRead() const {
    return m_connection->CanRead();
}

const PortTiming& CExchange::Timing() const {
    return m_connection->Timing();
}

void CExchange::Write(QByteArrayView data) {
    if (m_readSinceWrite) {
        (void)m_connection->DiscardInput();
        m_readSinceWrite = false;
    }
    int written = 0;
    m_connection->Write(reinterpret_cast<const std::uint8_t*>(data.data()), int(data.size()), &written);
    m_lastActivity.restart();
}

QByteArray CExchange::ReadFor(int capacity, int waitMs, int gapMs) {
    m_readSinceWrite = true;
    std::vector<std::uint8_t> buffer(std::size_t(std::max(capacity, 1)), 0);
    const int count =
        std::clamp(m_connection->ReadWithin(buffer.data(), capacity, waitMs, gapMs), 0, capacity);
    if (count > 0)
        m_lastActivity.restart();
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), count);
}

int CExchange::AwaitedWaitMs() const {
    const qint64 left = qint64(Timing().replyTimeoutMs) - m_lastActivity.elapsed();
    return int(std::max<qint64>(m_shortWaitMs, left));
}

QByteArray CExchange::ReadRaw(int capacity, ReplyCutOff cutOff) {
    QByteArray reply = ReadFor(capacity, AwaitedWaitMs());
    // The gap alone would end such a reply at the pause, and its first part would be taken for
    // the whole: "8A" for "8AC6".
    const int restWaitMs = std::min(kRestOfReplyMs, std::max(m_shortWaitMs, Timing().replyTimeoutMs));
    while (cutOff != nullptr && !reply.isEmpty() && reply.size() < capacity && cutOff(reply)) {
        const QByteArray rest = ReadFor(capacity - int(reply.size()), restWaitMs);
        if (rest.isEmpty())
            break;
        reply += rest;
    }
    return reply;
}

QByteArray CExchange::ReadText(int capacity) {
    return ReadFor(capacity, AwaitedWaitMs(), m_port.portType == PORT_COM ? kSerialTextGapMs : 0);
}

QByteArray CExchange::ReadPending(int capacity) {
    return ReadFor(capacity, m_shortWaitMs);
}

QByteArray CExchange::Read(int capacity, ReplyCutOff cutOff) {
    return UpToFirstZero(ReadRaw(capacity, cutOff));
}

void CExchange::DrainUntilQuiet(int capacity) {
    QElapsedTimer clock;
    clock.start();
    qsizetype drained = 0;
    while (drained <= kMaxDrainBytes && clock.elapsed() <= std::max(kMaxDrainMs, Timing().replyTimeoutMs)) {
        const QByteArray pending = ReadPending(capacity);
        if (pending.isEmpty())
            return;
        drained += pending.size();
    }
    throw CommunicationException(COMM_FAILED,
                                 QStringLiteral("the printer does not stop sending (%1 bytes in %2 ms)")
                                     .arg(drained)
                                     .arg(clock.elapsed()));
}

void CExchange::Close() {
    m_connection->Close();
}

int RunExchange(const tagPORTINFO& port, const std::function<void(CExchange&)>& body) {
    NoteCommunicationFailure({});
    CExchange exchange(port);
    try {
        body(exchange);
        exchange.Close();
        return 0;
    } catch (const CommunicationException& e) {
        NoteCommunicationFailure(e.Detail());
        try {
            exchange.Close();
        } catch (const CommunicationException&) {
            // The first failure is the one that counts.
        }
        return e.GetErrorCode();
    }
}

int SendCommands(const tagPORTINFO& port, std::optional<Timeouts> timeouts,
                 std::initializer_list<QByteArray> commands) {
    return RunExchange(port, [&](CExchange& exchange) {
        exchange.Open(timeouts);
        for (const QByteArray& command : commands)
            exchange.Write(command);
    });
}

namespace {
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

QByteArrayView WithoutLeadingLineEnds(QByteArrayView reply) {
    qsizetype start = 0;
    while (start < reply.size() && IsLineEnd(reply[start]))
        ++start;
    return reply.sliced(start);
}
} // namespace

bool NumberCutOff(QByteArrayView replySoFar) {
    const QByteArrayView number = WithoutLeadingLineEnds(replySoFar);
    return std::all_of(number.begin(), number.end(), [](char c) { return HexDigit(c) >= 0; });
}

namespace {

// A number reply that is not one ends the operation: taking it as 0 would put a wrong value on
// the screen, and into the printer on the next write.
unsigned CheckedNumber(const QByteArray& raw, int capacity, int bufferSize, const QString& what) {
    // A line end ahead of the digits closes the previous reply, late after a pause in the line.
    const QByteArray reply = WithoutLeadingLineEnds(raw).toByteArray();
    if (raw.size() >= capacity)
        throw CommunicationException(
            COMM_FAILED,
            QStringLiteral("the reply to the read of %1 is not a number: %2").arg(what, QuoteReply(raw)));
    if (reply.isEmpty())
        throw CommunicationException(COMM_FAILED, QStringLiteral("no reply to the read of %1").arg(what));
    if (!IsHexReply(reply))
        throw CommunicationException(
            COMM_FAILED,
            QStringLiteral("the reply to the read of %1 is not a number: %2").arg(what, QuoteReply(reply)));
    return ParseHexReply(reply, bufferSize);
}

} // namespace

unsigned ReadEepromWord(CExchange& exchange, QByteArrayView address, std::uint16_t mask) {
    exchange.Write(VklaReadWordCommand(address));
    const QByteArray reply = exchange.ReadRaw(10, NumberCutOff);
    return CheckedNumber(reply, 10, 10,
                         QStringLiteral("word %1").arg(QString::fromLatin1(address.toByteArray()))) &
           mask;
}

void WriteEepromMasked(CExchange& exchange, QByteArrayView address, std::uint16_t mask, unsigned value) {
    exchange.Write(VklaMaskedWriteCommand(address, mask, value));
}

unsigned ReadEepromBits(CExchange& exchange, QByteArrayView address, int first, int last) {
    exchange.Write(WnReadBitsCommand(address, first, last));
    QByteArray reply = exchange.ReadRaw(20, NumberCutOff);
    if (reply.isEmpty())
        reply = exchange.ReadRaw(20, NumberCutOff);
    return CheckedNumber(
        reply, 20, 30,
        QStringLiteral("%1 bits %2-%3").arg(QString::fromLatin1(address.toByteArray())).arg(first).arg(last));
}

QByteArray QueryVersion(CExchange& exchange, QByteArrayView query, int capacity, bool requireMarker) {
    exchange.Write(query);
    const QByteArray reply = exchange.ReadText(capacity);
    // Only the languages that check for "FV" insist on a reply; the others work with printers
    // that do not answer the query.
    if (!IsVersionReply(reply, capacity, !requireMarker))
        throw CommunicationException(
            COMM_FAILED,
            reply.isEmpty()
                ? QStringLiteral("no reply to the version query")
                : QStringLiteral("the version reply is not a version text: %1").arg(QuoteReply(reply)));
    const QByteArray version = UpToFirstZero(reply);
    if (requireMarker && !HasFirmwareMarker(version))
        throw CommunicationException(COMM_FAILED, QStringLiteral("the version reply %1 is not one of this "
                                                                 "command language's printers")
                                                      .arg(QuoteReply(version)));
    return version;
}

int ReadResolution(CExchange& exchange) {
    if (ReadEepromBits(exchange, "18", 0, 7) == 8)
        return 203;
    if (ReadEepromBits(exchange, "18", 0, 7) == 12)
        return 300;
    if (ReadEepromBits(exchange, "18", 0, 7) == 24)
        return 600;
    return 203;
}

void WriteEepromBits(CExchange& exchange, QByteArrayView address, int first, int last, int value) {
    exchange.Write(WnWriteBitsCommand(address, first, last, value));
}

} // namespace quillory
