#include "sim/CommandStream.h"

#include "sim/SimConversions.h"

#include <algorithm>

namespace quillory::sim {
namespace {

constexpr QByteArrayView kExtensionPrefix("~WN");
constexpr QByteArrayView kIniWritePrefix("00@ini,w,");
constexpr QByteArrayView kCommunicateReset("10@CommunicateRST");
constexpr QByteArrayView kNetworkHeader("\x1D\x99\x42\x45\x92\x99", 6);
constexpr qsizetype kMaxExtensionBytes = 300;
constexpr qsizetype kMaxLogoBytes = 65536;
// The network words: address, mask and gateway, two words each, high byte first.
constexpr int kNetworkFirstWord = 0x3B;

// A name text, and an extension command without a closing '~', end at any of these.
constexpr QByteArrayView kTextEnds("~\r\n\0", 4);

// True when data is a proper beginning of what (so the decision needs more bytes).
bool IsProperPrefixOf(QByteArrayView data, QByteArrayView what) {
    return data.size() < what.size() && what.startsWith(data);
}

QByteArray HexReply(unsigned value) {
    return QByteArray::number(value, 16).rightJustified(4, '0') + "\r\n";
}

std::optional<int> ParseAddress(QByteArrayView text, const PrinterModel& model) {
    const auto address = ParseHexDigits(text, 2);
    if (!address || !model.ValidAddress(int(*address)))
        return std::nullopt;
    return int(*address);
}

std::optional<int> ParseBit(QByteArrayView text) {
    const auto bit = ParseDecimalInt(text);
    if (!bit || *bit < 0 || *bit > 15)
        return std::nullopt;
    return bit;
}

} // namespace

CommandStream::CommandStream(int instructionIndex)
    : m_extended(instructionIndex != SIM_VKLA), m_nulIsCommand(instructionIndex == SIM_VKLE),
      m_language(MakeLanguageParser(instructionIndex)) {}

CommandStream::~CommandStream() = default;

void CommandStream::Feed(QByteArrayView data, PrinterModel& model, Replies& replies) {
    m_pending.append(data.data(), data.size());
    qsizetype pos = 0;
    while (pos < m_pending.size()) {
        const qsizetype used = Step(QByteArrayView(m_pending).sliced(pos), false, model, replies);
        if (used == 0)
            break;
        pos += used;
    }
    // Nothing that waits for its end is longer than this; what is, is data.
    if (m_pending.size() - pos > kMaxCommandBytes)
        pos = m_pending.size();
    m_pending.remove(0, pos);
}

void CommandStream::Finish(PrinterModel& model) {
    Replies unused; // nobody is left to read them
    qsizetype pos = 0;
    while (pos < m_pending.size()) {
        const qsizetype used = Step(QByteArrayView(m_pending).sliced(pos), true, model, unused);
        pos += std::max<qsizetype>(used, 1);
    }
    m_pending.clear();
    m_iniKey = -2;
    m_skip = 0;
    m_commaMayFollow = false;
}

qsizetype CommandStream::Step(QByteArrayView data, bool atEnd, PrinterModel& model, Replies& replies) {
    if (m_skip > 0) {
        const qsizetype n = std::min(m_skip, data.size());
        m_skip -= n;
        return n;
    }
    if (m_iniKey != -2) {
        const qsizetype n = FindFirstOf(data, kTextEnds);
        model.AppendIniText(m_iniKey, data.first(n));
        if (n < data.size())
            m_iniKey = -2;
        if (n > 0)
            return n;
        // The text was empty: its end starts the next command.
    }

    const char first = data[0];
    if (first == ',' && m_commaMayFollow) {
        m_commaMayFollow = false;
        return 1;
    }
    if (first == '\r' || first == '\n')
        return 1;
    m_commaMayFollow = false;
    // NUL pads fixed-length commands; only VKLE gives it a meaning of its own (NUL CR LF).
    if (first == '\0' && !m_nulIsCommand)
        return 1;

    if (data.startsWith(kNetworkHeader) || (!atEnd && IsProperPrefixOf(data, kNetworkHeader)))
        return NetworkFrame(data, atEnd, model);
    if (m_extended) {
        if (data.startsWith(kExtensionPrefix))
            return Extension(data, atEnd, model, replies);
        if (!atEnd && IsProperPrefixOf(data, kExtensionPrefix))
            return 0;
    }
    return m_language->Parse(data, atEnd, model, replies);
}

qsizetype CommandStream::Extension(QByteArrayView data, bool atEnd, PrinterModel& model, Replies& replies) {
    const QByteArrayView body = data.sliced(kExtensionPrefix.size());
    if (body.startsWith(kIniWritePrefix)) {
        // "~WN00@ini,w,KEY," then the text, which runs up to the next command or line end.
        constexpr qsizetype kHead = kExtensionPrefix.size() + kIniWritePrefix.size();
        const QByteArrayView rest = body.sliced(kIniWritePrefix.size());
        const qsizetype searched = std::min(rest.size(), kMaxExtensionBytes);
        const qsizetype end = FindFirstOf(rest.first(searched), QByteArrayView(",~\r\n\0", 5));
        if (end < searched && rest[end] == ',') {
            const int key = PrinterModel::IniIndex(rest.first(end));
            m_iniKey = key;
            model.SetIniText(key, {});
            return kHead + end + 1;
        }
        // A key without its comma is no command; an overlong one is data.
        if (end < searched || end == kMaxExtensionBytes || atEnd)
            return kHead + end;
        return 0;
    }
    if (!atEnd && IsProperPrefixOf(body, kIniWritePrefix))
        return 0;

    const qsizetype searched = std::min(body.size(), kMaxExtensionBytes);
    const qsizetype end = FindFirstOf(body.first(searched), kTextEnds);
    const QByteArrayView command = body.first(end);
    if (end == searched) {
        // The end-of-file command carries no terminator of its own; an overlong one is data.
        if (command == kCommunicateReset || atEnd || end == kMaxExtensionBytes) {
            RunExtension(command, model, replies);
            return kExtensionPrefix.size() + end;
        }
        return 0;
    }
    RunExtension(command, model, replies);
    const bool closingTilde = body[end] == '~';
    return kExtensionPrefix.size() + end + (closingTilde ? 1 : 0);
}

void CommandStream::RunExtension(QByteArrayView body, PrinterModel& model, Replies& replies) {
    if (body == "01@version") {
        replies.append(model.Version());
        return;
    }
    if (body == kCommunicateReset) {
        model.NoteAction(QStringLiteral("communicate-reset"));
        return;
    }
    if (body.startsWith("11@DownLogo,")) {
        const auto length = ParseDecimalInt(body.sliced(12));
        if (length && *length >= 0 && *length <= kMaxLogoBytes) {
            m_skip = *length;
            model.NoteAction(QStringLiteral("logo"));
        }
        return;
    }
    if (body.startsWith("00@ini,r,")) {
        const int key = PrinterModel::IniIndex(body.sliced(9));
        if (key >= 0 && !model.IniText(key).isEmpty())
            replies.append(model.IniText(key));
        return;
    }
    const bool read = body.startsWith("00@eep,r,");
    if (!read && !body.startsWith("00@eep,w,"))
        return;
    const QList<QByteArrayView> fields = SplitView(body.sliced(9), ',');
    const auto address = ParseAddress(fields.value(0), model);
    if (!address)
        return;
    if (read && fields.size() == 1) {
        // Whole-EEPROM dump: six bytes per word.
        replies.append(HexReply(model.Word(*address)));
    } else if (read && fields.size() == 3) {
        const auto first = ParseBit(fields[1]);
        const auto last = ParseBit(fields[2]);
        if (first && last && *first <= *last)
            replies.append(HexReply(model.Bits(*address, *first, *last)));
    } else if (!read && fields.size() == 2) {
        if (const auto word = ParseHexDigits(fields[1], 4))
            model.SetWord(*address, std::uint16_t(*word));
    } else if (!read && fields.size() == 4) {
        const auto value = ParseHexDigits(fields[1], 8);
        const auto first = ParseBit(fields[2]);
        const auto last = ParseBit(fields[3]);
        if (value && first && last && *first <= *last)
            model.SetBits(*address, *first, *last, *value);
        m_commaMayFollow = true;
    }
}

qsizetype CommandStream::NetworkFrame(QByteArrayView data, bool atEnd, PrinterModel& model) {
    // Header, command byte, then either the 12 bytes of the static address or a length byte, the
    // data and a checksum of everything before it.
    constexpr qsizetype kHeader = 6;
    if (data.size() < kHeader + 2)
        return atEnd ? data.size() : 0;
    const char command = data[kHeader];
    const qsizetype total =
        command == 'I' ? kHeader + 1 + 12 : kHeader + 2 + std::uint8_t(data[kHeader + 1]) + 1;
    if (data.size() < total)
        return atEnd ? data.size() : 0;
    model.NoteAction(QStringLiteral("network"));
    if (command == 'I') {
        if (m_extended) {
            for (int i = 0; i < 6; ++i) {
                const auto high = std::uint8_t(data[kHeader + 1 + 2 * i]);
                const auto low = std::uint8_t(data[kHeader + 2 + 2 * i]);
                model.SetWord(kNetworkFirstWord + i, std::uint16_t(high << 8 | low));
            }
        }
        return total;
    }
    unsigned sum = 0;
    for (qsizetype i = 0; i < total - 1; ++i)
        sum += std::uint8_t(data[i]);
    if (command == 'X' && m_extended && std::uint8_t(sum) == std::uint8_t(data[total - 1])) {
        PrinterModel defaults(model.Instruction());
        for (int i = 0; i < 6; ++i)
            model.SetWord(kNetworkFirstWord + i, defaults.Word(kNetworkFirstWord + i));
    }
    return total;
}

} // namespace quillory::sim
