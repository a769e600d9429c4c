#include "instruction/VKLAInstruction.h"

#include "app/AtomicFile.h"
#include "eeprom/EepromFileCheck.h"
#include "eeprom/ParameterTables.h"
#include "instruction/Commands.h"

namespace quillory {
namespace {

constexpr std::optional<Timeouts> kApplyTimeouts = Timeouts{10, 10};
constexpr QByteArrayView kListingEnd("AVAILABLE BYTES IN MODULE");

// VKLA drains with one read, and a second only when the first brought nothing.
void DrainOnce(CExchange& x) {
    if (x.ReadPending(1024).isEmpty())
        (void)x.ReadPending(1024);
}

// The version reply must come from a VKLA printer.
QByteArray QueryVersion(CExchange& x) {
    return QueryVersion(x, VklaVersionQuery(), 1024, true);
}

QByteArray MaskedWrite(const char* address, std::uint16_t mask, int value) {
    return VklaMaskedWriteCommand(address, mask, MaskedValue(value, mask));
}

} // namespace

CVKLAInstruction::CVKLAInstruction() : m_parameters(std::size_t(ParameterCount(3)), 0) {}

int CVKLAInstruction::PrintSelfTest(tagPORTINFO port) {
    return SendCommands(port, kStandardTimeouts, {"\x02Z\r\n"});
}
int CVKLAInstruction::FeedLabel(tagPORTINFO port) {
    return SendCommands(port, kStandardTimeouts,
                        {"\x02"
                         "F\r\n"});
}
int CVKLAInstruction::CalibrateMedia(tagPORTINFO port) {
    return SendCommands(port, kNoTimeouts, {"\x02JC\r\n"});
}
int CVKLAInstruction::RestartPrinter(tagPORTINFO port) {
    return SendCommands(port, kStandardTimeouts, {"\x01#\r\n"});
}

int CVKLAInstruction::PrintFontList(tagPORTINFO port) {
    return PrintListing(port, "\x02WF\r\n", "MODULE: FLASH\r\n");
}

int CVKLAInstruction::PrintGraphicList(tagPORTINFO port) {
    return PrintListing(port, "\x02WG\r\n", "MODULE: RAM\r\n");
}

bool IsVklaListing(QByteArrayView reply) {
    const qsizetype end = reply.indexOf(kListingEnd);
    if (end < 0)
        return false;
    // The free space closes the listing (": 1835008" and the line end); nothing follows it.
    const QByteArray tail = reply.sliced(end + kListingEnd.size()).toByteArray().trimmed();
    if (tail.isEmpty())
        return true;
    const QByteArray number = tail.mid(1).trimmed();
    return tail.startsWith(':') &&
           std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<QByteArray> VklaListingLabel(const QString& reply, const QString& marker) {
    QString text = reply;
    const qsizetype at = text.indexOf(marker);
    text = at >= 0 ? text.mid(at + marker.size()) : text.mid(marker.size() - 1);
    const qsizetype end = text.indexOf(QString::fromLatin1(kListingEnd));
    text = end >= 0 ? text.left(end) : QString();

    std::vector<QByteArray> commands{"\x02m\r\n\x02L\r\n"};
    int row = 162;
    for (qsizetype lineEnd = text.indexOf(QStringLiteral("\r\n")); lineEnd >= 0;
         lineEnd = text.indexOf(QStringLiteral("\r\n"))) {
        row += 30;
        const QByteArray line = text.left(lineEnd).toLocal8Bit();
        text = text.mid(lineEnd + 2);
        commands.push_back(FormatCommand("1811000%04d%04d%s\r\n", row, 0, line.constData()));
    }
    commands.push_back("E\r\n");
    return commands;
}

int CVKLAInstruction::PrintListing(const tagPORTINFO& port, const QByteArray& command,
                                   const QByteArray& marker) {
    return RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        x.Write(command);
        const QByteArray raw = x.ReadRaw(1024, [](QByteArrayView soFar) {
            const QByteArray text = UpToFirstZero(soFar);
            return !text.endsWith('\n') || !IsVklaListing(text);
        });
        const QByteArray reply = UpToFirstZero(raw);
        // A listing ends with the module's free space; a reply without it, or one that never
        // ended, is cut short or no listing at all, and printing it would report a list that was
        // never read.
        if (!IsVklaListing(reply) || raw.size() >= 1024)
            throw CommunicationException(
                COMM_FAILED,
                reply.isEmpty()
                    ? QStringLiteral("no reply to the listing request")
                    : QStringLiteral("the reply is not a whole listing: %1").arg(QuoteReply(reply)));
        for (const QByteArray& line :
             VklaListingLabel(QString::fromLocal8Bit(reply), QString::fromLatin1(marker)))
            x.Write(line);
    });
}

NetworkSettings CVKLAInstruction::ReadNetworkSettings(tagPORTINFO) {
    NetworkSettings settings;
    settings.port = 9600;
    return settings;
}

int CVKLAInstruction::ReadSettings(tagPORTINFO port) {
    VKLASettings s = m_settings;
    const int result = RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        DrainOnce(x);
        s.FirmwareVersion = QString::fromLocal8Bit(QueryVersion(x));
        const unsigned unit = ReadEepromWord(x, "1E", 0x0003);
        s.Unit = unit >= 2 ? 2 : int(unit);
        s.DPI = ReadEepromWord(x, "0E", 0xFFFF) == 0x50 ? 203 : 300;
        if (ReadEepromWord(x, "1D", 0x0040) != 0)
            s.PaperType = 0;
        else
            s.PaperType = ReadEepromWord(x, "1F", 0x0080) == 0 ? 1 : 2;
        s.PrintType = ReadEepromWord(x, "1D", 0x0080) != 0 ? 1 : 0;
        s.PaperHeight = int(ReadEepromWord(x, s.PaperType == 0 ? "00" : "38", 0xFFFF));
        s.GapHeight = int(ReadEepromWord(x, "01", 0xFFFF));
        s.PrintSpeed = int(ReadEepromWord(x, "0F", 0xFFFF));
        s.PrintDarkness = int(ReadEepromWord(x, "12", 0xFFFF));
        s.OutPaperType = int(DecodeMask(ReadEepromWord(x, "1D", 0x0030), 0x0030));
        s.PrintAffterError = int(DecodeMask(ReadEepromWord(x, "30", 0x0010), 0x0010));
        s.CheckPaperType = int(ReadEepromWord(x, "55", 0x0003));
        s.TearPaperPosition = int(ReadEepromWord(x, "18", 0xFFFF));
        s.HoriPrintPositionOffset = int(ReadEepromWord(x, "1C", 0xFFFF));
        s.VertPrintPositionOffset = int(ReadEepromWord(x, "1B", 0xFFFF));
    });
    m_settings = s;
    return result;
}

std::vector<QByteArray> VklaApplyCommands(const VKLASettings& s) {
    std::vector<QByteArray> commands{
        MaskedWrite("1E", 0x0003, s.Unit),
        MaskedWrite(s.PaperType == 0 ? "00" : "38", 0xFFFF, s.PaperHeight),
    };
    if (s.PaperType == 0) {
        commands.push_back(MaskedWrite("1D", 0x0040, 1));
    } else {
        commands.push_back(MaskedWrite("1D", 0x0040, 0));
        commands.push_back(MaskedWrite("1F", 0x0080, s.PaperType == 1 ? 0 : 1));
    }
    commands.push_back(MaskedWrite("1D", 0x0080, s.PrintType));
    commands.push_back(MaskedWrite("01", 0xFFFF, s.GapHeight));
    commands.push_back(MaskedWrite("0F", 0xFFFF, s.PrintSpeed));
    commands.push_back(MaskedWrite("12", 0xFFFF, s.PrintDarkness));
    commands.push_back(MaskedWrite("1D", 0x0030, s.OutPaperType));
    commands.push_back(MaskedWrite("30", 0x0010, s.PrintAffterError));
    commands.push_back(MaskedWrite("55", 0x0003, s.CheckPaperType));
    commands.push_back(MaskedWrite("18", 0xFFFF, s.TearPaperPosition));
    commands.push_back(MaskedWrite("1C", 0xFFFF, s.HoriPrintPositionOffset));
    commands.push_back(MaskedWrite("1B", 0xFFFF, s.VertPrintPositionOffset));
    return commands;
}

int CVKLAInstruction::ApplySettings(tagPORTINFO port) {
    const std::vector<QByteArray> commands = VklaApplyCommands(m_settings);
    return RunExchange(port, [&](CExchange& x) {
        x.Open(kApplyTimeouts);
        for (const QByteArray& command : commands)
            x.Write(command);
    });
}

int CVKLAInstruction::SaveSettingsFile(const QString& path) {
    return SaveSettingsRecord(m_settings, path) ? 1 : 0;
}

int CVKLAInstruction::LoadSettingsFile(const QString& path) {
    SettingsRecord record = m_settings;
    if (!LoadSettingsRecord(record, path))
        return 0;
    m_settings = std::get<VKLASettings>(record);
    return 1;
}

bool CVKLAInstruction::SetSettingsRecord(const SettingsRecord& record) {
    const auto* settings = std::get_if<VKLASettings>(&record);
    if (settings)
        m_settings = *settings;
    return settings != nullptr;
}

void CVKLAInstruction::SetParameters(const std::vector<int>& parameters) {
    for (std::size_t i = 0; i < m_parameters.size() && i < parameters.size(); ++i)
        m_parameters[i] = parameters[i];
}

std::vector<std::uint16_t> CVKLAInstruction::GetEepromImage() const {
    return {m_image.begin(), m_image.end()};
}

void CVKLAInstruction::SetIdText(const QString& text) {
    m_idText = CutText(text.toLocal8Bit(), 199);
}

int CVKLAInstruction::BackupEeprom(tagPORTINFO port) {
    // The object and the backup file change only after a complete read.
    VklaImage image{};
    QByteArray idText;
    const int result = RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        DrainOnce(x);
        (void)QueryVersion(x);
        for (int address = 0; address < kVklaWordCount; ++address)
            image[std::size_t(address)] = std::uint16_t(ReadEepromWord(x, LowerAddressText(address), 0xFFFF));
        x.Write(QByteArray("\x1dI\x99\r\n"));
        // The ID text ends with an "OK" line.
        const QString reply = QString::fromLocal8Bit(
            x.Read(1024, [](QByteArrayView soFar) { return !UpToFirstZero(soFar).endsWith("\r\nOK\r\n"); }));
        idText = CutText((reply.size() > 6 ? reply.chopped(6) : QString()).toLocal8Bit(), 199);
    });
    if (result != 0)
        return result;
    m_image = image;
    m_idText = idText;
    m_parameters = DecodeParameters(3, m_image);
    return KeepEepromBackup();
}

int CVKLAInstruction::WriteEeprom(tagPORTINFO port) {
    const auto table = VklaParameters();
    return RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        for (std::size_t entry = 0; entry < table.size(); ++entry) {
            const MaskParameter& p = table[entry];
            if (p.isText)
                continue;
            const unsigned value = MaskedValue(m_parameters[entry], p.mask);
            const QByteArray address =
                p.lowerCaseAddress ? LowerAddressText(p.address) : AddressText(p.address);
            WriteEepromMasked(x, address, p.mask, value);
            m_image[p.address] = std::uint16_t((m_image[p.address] & ~p.mask) | value);
        }
        x.Write(VklaIdTextCommand(m_idText));
        x.Write(VklaEndCommand());
        x.Write(QByteArray("\x02JX00\r\n"));
    });
}

int CVKLAInstruction::SaveEepromFile(const QString& path) {
    return WriteFileAtomically(path, BuildVklaEepromFile(m_image, m_idText)) ? 1 : 0;
}

int CVKLAInstruction::LoadEepromFile(const QString& path) {
    // Only a whole file of this layout loads: a missing line would go to the printer as 0.
    const EepromFileVerdict file = ReadEepromFile(path, 3);
    if (!file.Ok())
        return 0;
    VklaImage image = m_image;
    QByteArray idText;
    ParseVklaEepromFile(file.bytes, image, idText);
    m_image = image;
    m_idText = idText;
    m_parameters = DecodeParameters(3, m_image);
    return 1;
}

} // namespace quillory
