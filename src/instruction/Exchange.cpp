#include "instruction/Exchange.h"

#include "instruction/Commands.h"

#include <vector>

namespace quillory {
namespace {
// Far more than any printer has pending; reached only by a printer that keeps sending.
constexpr int kMaxDrainReads = 256;
} // namespace

CExchange::CExchange(const tagPORTINFO& port) : m_port(port), m_connection(m_factory.CreateFacory(port)) {}

CExchange::~CExchange() = default;

void CExchange::Open(std::optional<Timeouts> timeouts) {
    m_connection->Open(m_port);
    if (timeouts)
        m_connection->SetTimeouts(timeouts->read, timeouts->write);
}

void CExchange::SetTimeouts(int read, int write) {
    m_connection->SetTimeouts(read, write);
}

void CExchange::Write(QByteArrayView data) {
    int written = 0;
    m_connection->Write(reinterpret_cast<const std::uint8_t*>(data.data()), int(data.size()), &written);
}

QByteArray CExchange::ReadRaw(int capacity) {
    std::vector<std::uint8_t> buffer(std::size_t(std::max(capacity, 1)), 0);
    int count = 0;
    m_connection->Read(buffer.data(), capacity, &count);
    count = std::clamp(count, 0, capacity);
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), count);
}

QByteArray CExchange::Read(int capacity) {
    return UpToFirstZero(ReadRaw(capacity));
}

void CExchange::DrainUntilQuiet(int capacity) {
    for (int i = 0; i < kMaxDrainReads; ++i) {
        if (ReadRaw(capacity).isEmpty())
            return;
    }
}

void CExchange::Close() {
    m_connection->Close();
}

int RunExchange(const tagPORTINFO& port, const std::function<void(CExchange&)>& body) {
    CExchange exchange(port);
    try {
        body(exchange);
        exchange.Close();
        return 0;
    } catch (const CommunicationException& e) {
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

unsigned ReadEepromWord(CExchange& exchange, QByteArrayView address, std::uint16_t mask) {
    exchange.Write(VklaReadWordCommand(address));
    const QByteArray reply = exchange.ReadRaw(10);
    // A word that never came is a failed read, not a zero.
    if (reply.isEmpty())
        throw CommunicationException(COMM_FAILED, QStringLiteral("no reply to the word read of %1")
                                                      .arg(QString::fromLatin1(address.toByteArray())));
    return ParseHexReply(reply, 10) & mask;
}

void WriteEepromMasked(CExchange& exchange, QByteArrayView address, std::uint16_t mask, unsigned value) {
    exchange.Write(VklaMaskedWriteCommand(address, mask, value));
}

unsigned ReadEepromBits(CExchange& exchange, QByteArrayView address, int first, int last) {
    exchange.Write(WnReadBitsCommand(address, first, last));
    QByteArray reply = exchange.ReadRaw(20);
    if (reply.isEmpty())
        reply = exchange.ReadRaw(20);
    if (reply.isEmpty())
        throw CommunicationException(COMM_FAILED, QStringLiteral("no reply to the read of %1 bits %2-%3")
                                                      .arg(QString::fromLatin1(address.toByteArray()))
                                                      .arg(first)
                                                      .arg(last));
    return ParseHexReply(reply, 30);
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
