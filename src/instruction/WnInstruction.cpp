#include "instruction/WnInstruction.h"

#include "eeprom/EepromFileCheck.h"
#include "eeprom/ParameterTables.h"
#include "instruction/Commands.h"

#include "app/AtomicFile.h"
#include "app/NumberText.h"

#include <QElapsedTimer>

namespace quillory {
namespace {

constexpr int kReplyBytes = 6; // four hex digits and CR LF per word
constexpr int kDumpBytes = 256 * kReplyBytes;
constexpr int kCollectionBuffer = 2048;
constexpr int kMaxCollectionReads = 256;

} // namespace

CWnInstruction::CWnInstruction(int instructionIndex, const ServiceCommands& services,
                               std::optional<Timeouts> writeTimeouts, bool withReset)
    : m_index(instructionIndex), m_services(services), m_writeTimeouts(writeTimeouts), m_withReset(withReset),
      m_parameters(std::size_t(ParameterCount(instructionIndex)), 0) {}

int CWnInstruction::Service(std::size_t operation, const tagPORTINFO& port) const {
    const QByteArrayView command = m_services[operation];
    if (command.isNull())
        return 0;
    return SendCommands(port, kStandardTimeouts, {command.toByteArray()});
}

int CWnInstruction::SendAll(const tagPORTINFO& port, const std::vector<QByteArray>& commands) {
    return RunExchange(port, [&](CExchange& exchange) {
        exchange.Open(kStandardTimeouts);
        for (const QByteArray& command : commands)
            exchange.Write(command);
    });
}

void CWnInstruction::SetParameters(const std::vector<int>& parameters) {
    for (std::size_t i = 0; i < m_parameters.size() && i < parameters.size(); ++i)
        m_parameters[i] = parameters[i];
}

std::vector<std::uint16_t> CWnInstruction::GetEepromImage() const {
    return {m_image.begin(), m_image.end()};
}

NetworkSettings CWnInstruction::ReadNetworkSettings(tagPORTINFO port) {
    NetworkSettings settings;
    CExchange exchange(port);
    try {
        exchange.Open(kStandardTimeouts);
        exchange.DrainUntilQuiet(1024);
        // Each word is read twice: the first read gives its high byte, the second its low byte.
        const auto fill = [&](std::array<std::uint8_t, 4>& bytes, int firstAddress) {
            for (int i = 0; i < 4; ++i) {
                const unsigned word = ReadEepromBits(exchange, AddressText(firstAddress + i / 2), 0, 15);
                bytes[std::size_t(i)] = std::uint8_t(i % 2 == 0 ? word >> 8 : word);
            }
        };
        fill(settings.ipAddress, 0x3B);
        fill(settings.subnetMask, 0x3D);
        fill(settings.gateway, 0x3F);
        settings.port = int(ReadEepromBits(exchange, AddressText(0x38), 0, 15) & 0xFF);
        exchange.Close();
    } catch (const CommunicationException&) {
        try {
            exchange.Close();
        } catch (const CommunicationException&) {
        }
        throw;
    }
    return settings;
}

int CWnInstruction::BackupEeprom(tagPORTINFO port) {
    // The object and the backup file change only after a complete read: a partial image must
    // never replace a good one.
    WnImage image{};
    PrinterNameTexts names;
    int result = RunExchange(port, [&](CExchange& exchange) {
        exchange.Open(kStandardTimeouts);
        exchange.DrainUntilQuiet(1024);
        for (int address = 0; address < 256; ++address)
            exchange.Write(WnDumpRequest(address));

        // Every reply must come, in time and in its form: a partial, overlong or shifted dump
        // would put wrong values into the backup, and from there into the printer.
        QByteArray collection;
        QElapsedTimer clock;
        clock.start();
        const qint64 limit = qint64(kMaxCollectionReads) * exchange.Timing().replyTimeoutMs;
        while (collection.size() < kDumpBytes) {
            const QByteArray chunk = exchange.ReadRaw(kCollectionBuffer);
            if (chunk.isEmpty())
                throw CommunicationException(COMM_FAILED,
                                             QStringLiteral("the EEPROM read stopped after %1 of %2 bytes")
                                                 .arg(collection.size())
                                                 .arg(kDumpBytes));
            collection += chunk;
            if (clock.elapsed() > limit)
                throw CommunicationException(
                    COMM_FAILED, QStringLiteral("the EEPROM read took longer than %1 s").arg(limit / 1000));
        }
        if (!IsDumpCollection(collection))
            throw CommunicationException(
                COMM_FAILED, collection.size() != kDumpBytes
                                 ? QStringLiteral("the EEPROM read brought %1 bytes instead of %2")
                                       .arg(collection.size())
                                       .arg(kDumpBytes)
                                 : QStringLiteral("the EEPROM read is not 256 words of four hex digits"));
        for (int i = 0; i < 256; ++i)
            image[std::size_t(i)] =
                std::uint16_t(ParseLeadingHex(QByteArrayView(collection).sliced(i * kReplyBytes, 4)));

        exchange.Write(WnIniQuery("PrinterName"));
        names.printerName = UpToFirstZero(exchange.ReadText(30));
        exchange.Write(WnIniQuery("PrinterNameZorv"));
        names.printerNameZorv = UpToFirstZero(exchange.ReadText(30));
        exchange.Write(WnIniQuery("TphAdj"));
        names.tphAdj = UpToFirstZero(exchange.ReadText(300));
    });
    if (result != 0)
        return result;

    m_image = image;
    m_names = names;
    m_parameters = DecodeParameters(m_index, m_image);
    return KeepEepromBackup();
}

int CWnInstruction::WriteEeprom(tagPORTINFO port) {
    const auto table = BitParameters(m_index);
    return RunExchange(port, [&](CExchange& exchange) {
        exchange.Open(m_writeTimeouts);
        for (const std::uint8_t entry : BitWriteOrder(m_index)) {
            const BitParameter& p = table[entry];
            const int value = m_parameters[entry];
            WriteEepromBits(exchange, AddressText(p.address), p.first, p.last, value);
            m_image[p.address] = EncodeBits(m_image[p.address], p.first, p.last, unsigned(value));
        }
    });
}

int CWnInstruction::SaveEepromFile(const QString& path) {
    return WriteFileAtomically(path, BuildWnEepromFile(m_image, m_names, m_withReset)) ? 1 : 0;
}

int CWnInstruction::LoadEepromFile(const QString& path) {
    // Only a whole file of this layout loads: a missing line would go to the printer as 0.
    const EepromFileVerdict file = ReadEepromFile(path, m_index);
    if (!file.Ok())
        return 0;
    WnImage image = m_image;
    ParseWnEepromFile(file.bytes, image, m_names);
    m_image = image;
    m_parameters = DecodeParameters(m_index, m_image);
    return 1;
}

} // namespace quillory
