#include "eeprom/EepromFile.h"

#include "app/NumberText.h"

#include <optional>

namespace quillory {
namespace {

const QByteArray kNameKey = "~WN00@ini,w,PrinterName,";
const QByteArray kZorvKey = "~WN00@ini,w,PrinterNameZorv,";
const QByteArray kTphKey = "~WN00@ini,w,TphAdj,";
const QByteArray kReset = "~WN10@CommunicateRST";

// Reads one line of at most maxBytes bytes, ending after the first line feed, as a fixed line
// buffer would: a longer line is cut and its rest read as the next line. An exhausted stream gives
// an empty line.
class LineReader {
public:
    explicit LineReader(QByteArrayView data) : m_data(data) {}
    QByteArrayView Next(qsizetype maxBytes) {
        const qsizetype start = m_pos;
        const qsizetype end = std::min(m_data.size(), start + maxBytes);
        while (m_pos < end) {
            if (m_data[m_pos++] == '\n')
                break;
        }
        return m_data.sliced(start, m_pos - start);
    }
    [[nodiscard]] QByteArrayView Rest() const { return m_data.sliced(m_pos); }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

std::uint16_t HexField(QByteArrayView line, qsizetype position) {
    if (line.size() <= position)
        return 0;
    return std::uint16_t(
        ParseLeadingHex(line.sliced(position, std::min<qsizetype>(4, line.size() - position))));
}

// The number the digits hexadecimal digits at position stand for, or -1 when they are not all
// hexadecimal digits.
int HexNumber(QByteArrayView text, qsizetype position, int digits) {
    if (text.size() < position + digits)
        return -1;
    int value = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexDigit(text[position + i]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

// A line as the reader gives it, without its CR LF or LF; nothing when it has no line end.
std::optional<QByteArrayView> Body(QByteArrayView line) {
    if (!line.endsWith('\n'))
        return std::nullopt;
    line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

// "~WN00@eep,w,aa,wwww" for address.
bool IsWnWordLine(QByteArrayView line, int address) {
    static const QByteArrayView prefix("~WN00@eep,w,");
    const auto body = Body(line);
    return body && body->size() == prefix.size() + 7 && body->startsWith(prefix) &&
           HexNumber(*body, prefix.size(), 2) == address && (*body)[prefix.size() + 2] == ',' &&
           HexNumber(*body, prefix.size() + 3, 4) >= 0;
}

// STX "KE" aa wwww for address.
bool IsVklaWordLine(QByteArrayView line, int address) {
    const auto body = Body(line);
    return body && body->size() == 9 && body->startsWith("\x02KE") && HexNumber(*body, 3, 2) == address &&
           HexNumber(*body, 5, 4) >= 0;
}

const QByteArray kVklaIdPrefix("\x1bsBE\x92\x99\x1dIC");
constexpr int kVklaIdTextBytes = 199;

// The ID text of the ID line that starts rest: everything up to the zero byte that ends it (the
// text may hold any other byte, a line feed too), and whether the line is whole.
struct VklaIdLine {
    QByteArray text;
    bool whole = false;
};
VklaIdLine ReadVklaIdLine(QByteArrayView rest) {
    VklaIdLine line;
    if (!rest.startsWith(kVklaIdPrefix))
        return line;
    const QByteArrayView after = rest.sliced(kVklaIdPrefix.size());
    const qsizetype zero = after.first(std::min<qsizetype>(after.size(), kVklaIdTextBytes + 1)).indexOf('\0');
    if (zero < 0) {
        line.text = after.first(std::min<qsizetype>(after.size(), kVklaIdTextBytes)).toByteArray();
        return line;
    }
    line.text = after.first(zero).toByteArray();
    line.whole = after.sliced(zero).startsWith(QByteArrayView("\0\r\n", 3));
    return line;
}

QByteArray UpToZero(QByteArrayView bytes, int maxBytes) {
    const qsizetype zero = bytes.indexOf('\0');
    QByteArray text = (zero < 0 ? bytes : bytes.first(zero)).toByteArray();
    return text.left(maxBytes);
}

} // namespace

QByteArray CutText(const QByteArray& text, int maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    qsizetype n = maxBytes;
    // Step back over UTF-8 continuation bytes so no character is split.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return text.left(n);
}

QByteArray BuildWnEepromFile(const WnImage& image, const PrinterNameTexts& names, bool withReset) {
    QByteArray out;
    out.reserve(256 * 21 + 400);
    for (int a = 0; a < 256; ++a)
        out += QByteArray("~WN00@eep,w,") + QByteArray::number(a, 16).rightJustified(2, '0') + ',' +
               QByteArray::number(image[std::size_t(a)], 16).rightJustified(4, '0') + "\r\n";
    out += kNameKey + UpToZero(names.printerName, 30);
    out += kZorvKey + UpToZero(names.printerNameZorv, 30);
    out += kTphKey + UpToZero(names.tphAdj, 300);
    if (withReset)
        out += kReset;
    return out;
}

void ParseWnEepromFile(QByteArrayView data, WnImage& image, PrinterNameTexts& names) {
    LineReader reader(data);
    for (auto& word : image)
        word = HexField(reader.Next(29), 15);

    // The name texts follow one another without separators; they come back when the file has them.
    const QByteArrayView rest = reader.Rest();
    const qsizetype name = rest.indexOf(kNameKey);
    const qsizetype zorv = name < 0 ? -1 : rest.indexOf(kZorvKey, name + kNameKey.size());
    const qsizetype tph = zorv < 0 ? -1 : rest.indexOf(kTphKey, zorv + kZorvKey.size());
    names = {};
    if (tph < 0)
        return;
    QByteArrayView tail = rest.sliced(tph + kTphKey.size());
    if (tail.endsWith(kReset))
        tail.chop(kReset.size());
    names.printerName = UpToZero(rest.sliced(name + kNameKey.size(), zorv - name - kNameKey.size()), 30);
    names.printerNameZorv = UpToZero(rest.sliced(zorv + kZorvKey.size(), tph - zorv - kZorvKey.size()), 30);
    names.tphAdj = UpToZero(tail, 300);
}

bool VklaFileHasAddress(int address) {
    return address >= 0 && address < 126 && !(address >= 10 && address <= 13) && address != 62 &&
           address != 63 && address != 118 && address != 119;
}

QByteArray VklaIdTextCommand(const QByteArray& idText) {
    QByteArray out("\x1bsBE\x92\x99\x1dIC");
    out += CutText(UpToZero(idText, 199), 199);
    out += QByteArray("\0\r\n", 3);
    return out;
}

QByteArray VklaEndCommand() {
    return QByteArray("\x02&05000100\x92\x99");
}

QByteArray BuildVklaEepromFile(const VklaImage& image, const QByteArray& idText) {
    QByteArray out;
    out.reserve(118 * 11 + 240);
    for (int a = 0; a < 126; ++a) {
        if (!VklaFileHasAddress(a))
            continue;
        out += QByteArray("\x02KE") + QByteArray::number(a, 16).rightJustified(2, '0') +
               QByteArray::number(image[std::size_t(a)], 16).rightJustified(4, '0') + "\r\n";
    }
    out += VklaIdTextCommand(idText);
    out += VklaEndCommand();
    return out;
}

void ParseVklaEepromFile(QByteArrayView data, VklaImage& image, QByteArray& idText) {
    LineReader reader(data);
    for (int a = 0; a < 126; ++a) {
        if (VklaFileHasAddress(a))
            image[std::size_t(a)] = HexField(reader.Next(29), 5);
    }
    idText = ReadVklaIdLine(reader.Rest()).text;
}

EepromLineCount CountWnEepromLines(QByteArrayView data) {
    EepromLineCount count{0, 256};
    LineReader reader(data);
    for (int a = 0; a < 256; ++a)
        count.found += IsWnWordLine(reader.Next(29), a) ? 1 : 0;
    return count;
}

EepromLineCount CountVklaEepromLines(QByteArrayView data) {
    EepromLineCount count{0, 1};
    LineReader reader(data);
    for (int a = 0; a < 126; ++a) {
        if (!VklaFileHasAddress(a))
            continue;
        ++count.expected;
        count.found += IsVklaWordLine(reader.Next(29), a) ? 1 : 0;
    }
    count.found += ReadVklaIdLine(reader.Rest()).whole ? 1 : 0;
    return count;
}

} // namespace quillory
