#include "instruction/Commands.h"

#include "app/NumberText.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace quillory {

QByteArray FormatCommand(const char* format, ...) {
    char buffer[1024] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return QByteArray(buffer, qsizetype(std::strlen(buffer)));
}

QByteArray AddressText(int address) {
    return QByteArray::number(address & 0xFF, 16).rightJustified(2, '0').toUpper();
}

QByteArray LowerAddressText(int address) {
    return QByteArray::number(address & 0xFF, 16).rightJustified(2, '0');
}

QByteArray WnVersionQuery() {
    return QByteArrayLiteral("~WN01@version~\r\n");
}

QByteArray WnReadBitsCommand(QByteArrayView address, int first, int last) {
    // The bit numbers travel as bytes.
    return FormatCommand("~WN00@eep,r,%s,%d,%d~\r\n", address.toByteArray().constData(), first & 0xFF,
                         last & 0xFF);
}

QByteArray WnWriteBitsCommand(QByteArrayView address, int first, int last, int value) {
    return FormatCommand("~WN00@eep,w,%s,%x,%d,%d\r,\n", address.toByteArray().constData(), unsigned(value),
                         first, last);
}

QByteArray WnDumpRequest(int address) {
    QByteArray request = FormatCommand("~WN00@eep,r,%02x\r\n", unsigned(address & 0xFF));
    request.append(20 - request.size(), '\0');
    return request;
}

QByteArray WnIniQuery(QByteArrayView key) {
    return "~WN00@ini,r," + key.toByteArray() + '~';
}

QByteArray VklaVersionQuery() {
    return QByteArrayLiteral("\x02v\r\n");
}

QByteArray VklaReadWordCommand(QByteArrayView address) {
    return FormatCommand("%cKe%s\r\n", 0x02, address.toByteArray().constData());
}

QByteArray VklaMaskedWriteCommand(QByteArrayView address, std::uint16_t mask, unsigned value) {
    return FormatCommand("%cKB%s%04x%04x\r\n", 0x02, address.toByteArray().constData(), unsigned(mask),
                         value);
}

unsigned ParseHexReply(QByteArrayView reply, int bufferSize) {
    const QByteArrayView text = reply.first(std::min<qsizetype>(reply.size(), std::max(0, bufferSize - 3)));
    return ParseLeadingHex(UpToFirstZero(text));
}

QByteArray UpToFirstZero(QByteArrayView bytes) {
    const qsizetype zero = bytes.indexOf('\0');
    return (zero < 0 ? bytes : bytes.first(zero)).toByteArray();
}

namespace {
bool IsHexDigit(char c) {
    return HexDigit(c) >= 0;
}
bool IsSeparator(char c) {
    return c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == '\0';
}
constexpr int kDumpReplyBytes = 6;
constexpr int kDumpWords = 256;
constexpr qsizetype kQuotedBytes = 40;
} // namespace

bool IsHexReply(QByteArrayView reply, int maxDigits) {
    qsizetype digits = 0;
    while (digits < reply.size() && IsHexDigit(reply[digits]))
        ++digits;
    if (digits == 0 || digits > maxDigits)
        return false;
    for (qsizetype i = digits; i < reply.size(); ++i) {
        if (!IsSeparator(reply[i]))
            return false;
    }
    return true;
}

bool IsVersionReply(QByteArrayView reply, int capacity, bool allowEmpty) {
    if (reply.size() >= capacity)
        return false;
    const QByteArray text = UpToFirstZero(reply);
    if (text.trimmed().isEmpty())
        return allowEmpty;
    for (const char c : text) {
        const auto byte = std::uint8_t(c);
        if (byte < 0x20 && c != '\r' && c != '\n' && c != '\t')
            return false;
        if (byte == 0x7F)
            return false;
    }
    return true;
}

bool IsDumpCollection(QByteArrayView collection) {
    if (collection.size() != kDumpWords * kDumpReplyBytes)
        return false;
    for (qsizetype at = 0; at < collection.size(); at += kDumpReplyBytes) {
        for (qsizetype i = 0; i < kDumpReplyBytes; ++i) {
            const bool digit = IsHexDigit(collection[at + i]);
            if (digit != (i < 4))
                return false;
        }
    }
    return true;
}

QString QuoteReply(QByteArrayView reply) {
    QString text;
    for (qsizetype i = 0; i < reply.size() && i < kQuotedBytes; ++i) {
        const auto byte = std::uint8_t(reply[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\')
            text += QChar(byte);
        else
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    if (reply.size() > kQuotedBytes)
        text += QStringLiteral("... (%1 bytes)").arg(reply.size());
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool HasFirmwareMarker(QByteArrayView version) {
    return version.contains("FV");
}

int SpeedPosition(unsigned word) {
    if (word <= 60)
        return 0;
    if (word <= 90)
        return 1;
    if (word <= 110)
        return 2;
    if (word <= 135)
        return 3;
    return 4;
}

int VklcSpeedPosition(unsigned word) {
    return word <= 25 ? 0 : SpeedPosition(word) + 1;
}

int DarknessPosition(unsigned value) {
    if (value <= 6)
        return int(value);
    if (value <= 8)
        return 7;
    if (value <= 12)
        return 8;
    if (value <= 14)
        return 9;
    if (value == 15)
        return 10;
    if (value == 16)
        return 11;
    if (value <= 18)
        return 12;
    if (value <= 20)
        return 13;
    return 15;
}

int SignedByteOffset(unsigned value) {
    return value > 127 ? 128 - int(value) : int(value);
}

unsigned SignedByteOffsetField(int value) {
    return unsigned(value < 0 ? 128 - value : value);
}

} // namespace quillory
