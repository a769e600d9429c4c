#include "tools/DebugCodecs.h"

#include "app/NumberText.h"

namespace quillory {
namespace {

bool IsHex(char c) {
    return HexDigit(c) >= 0;
}

// Digits of an escape, read up to the first character that is not a hex digit; none gives 0.
unsigned EscapeValue(QByteArrayView digits) {
    unsigned value = 0;
    for (char c : digits) {
        if (!IsHex(c))
            break;
        value = value * 16 + unsigned(HexDigit(c));
    }
    return value & 0xFF;
}

// The escape at position i: its length (6, 5, or 0 when there is none) and its value.
int EscapeAt(QByteArrayView text, qsizetype i, unsigned& value) {
    if (text[i] != '<')
        return 0;
    if (i + 5 < text.size() && text[i + 5] == '>') {
        value = EscapeValue(text.sliced(i + 3, 2));
        return 6;
    }
    if (i + 4 < text.size() && text[i + 4] == '>') {
        value = EscapeValue(text.sliced(i + 3, 1));
        return 5;
    }
    return 0;
}

QByteArray Token(unsigned byte) {
    return QByteArray::number(byte & 0xFF, 16).rightJustified(2, '0') + ' ';
}

QByteArray Escape(unsigned byte) {
    return "<\\x" + QByteArray::number(byte & 0xFF, 16).rightJustified(2, '0') + '>';
}

// Reads the hex view by its token rules and hands each byte to onByte, with whether it came from
// a CR/LF token.
template <typename Emit>
void ScanHexView(QByteArrayView hex, Emit onByte) {
    QByteArray s;
    s.reserve(hex.size());
    for (char c : hex) {
        if (c != '\r' && c != '\n')
            s += char(std::toupper(static_cast<unsigned char>(c)));
    }
    qsizetype i = 0;
    while (i < s.size()) {
        const char c = s[i];
        const bool hasNext = i + 1 < s.size();
        const char next = hasNext ? s[i + 1] : '\0';
        if (hasNext && next == 'D' && (c == '0' || c == ' ')) {
            onByte(0x0D, true);
            i += 3;
        } else if (hasNext && next == 'A' && (c == '0' || c == ' ')) {
            onByte(0x0A, true);
            i += 3;
        } else if (hasNext && IsHex(c) && IsHex(next)) {
            onByte(unsigned(HexDigit(c) * 16 + HexDigit(next)), false);
            i += 3;
        } else if (hasNext && IsHex(c) && next == ' ') {
            // A one-digit token: step over the digit and its space only, so the next token is kept.
            onByte(unsigned(HexDigit(c)), false);
            i += 2;
        } else if (!hasNext && IsHex(c)) {
            onByte(unsigned(HexDigit(c)), false);
            i += 2;
        } else {
            ++i;
        }
    }
}

} // namespace

QByteArray TextViewToBytes(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        unsigned value = 0;
        if (const int length = EscapeAt(text, i, value)) {
            out += char(value);
            i += length;
        } else {
            out += text[i++];
        }
    }
    return out;
}

QByteArray HexViewToBytes(QByteArrayView hex) {
    QByteArray out;
    ScanHexView(hex, [&](unsigned byte, bool) { out += char(byte); });
    return out;
}

QByteArray TextViewToHexView(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size() * 3 + text.size() / 16);
    qsizetype counter = 1;
    for (qsizetype i = 0; i < text.size();) {
        unsigned value = 0;
        const int length = EscapeAt(text, i, value);
        if (length) {
            out += Token(value);
            counter += length - 1;
            i += length;
        } else {
            out += Token(static_cast<unsigned char>(text[i]));
            ++i;
        }
        if (counter % 16 == 0)
            out += '\r';
        ++counter;
    }
    return out;
}

QByteArray HexViewToTextView(QByteArrayView hex) {
    QByteArray out;
    // A '<' is escaped like a control byte: left as itself, it and the characters after it could
    // read as an escape and the document would send other bytes than the hex view did.
    ScanHexView(hex, [&](unsigned byte, bool lineBreak) {
        if (lineBreak || (byte >= 0x20 && byte <= 0x7E && byte != '<'))
            out += char(byte);
        else
            out += Escape(byte);
    });
    return out;
}

QByteArray BytesToTextView(QByteArrayView bytes) {
    QByteArray out;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x20 && byte <= 0x7E && byte != '<') || byte == '\r' || byte == '\n')
            out += c;
        else
            out += Escape(byte);
    }
    return out;
}

QString PrependReplyText(const QString& reply, const QString& shown) {
    return reply + shown;
}

QString PrependReplyHex(const QByteArray& reply, const QString& shown) {
    QString text;
    for (char c : reply)
        text += QString::fromLatin1(Token(static_cast<unsigned char>(c)));
    QString old = shown;
    old.remove(QStringLiteral("\r\n"));
    text += old;
    // A line break at every 47th position; the scan resumes three positions after each one.
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (i % 47 == 0) {
            text.insert(i, QStringLiteral("\r\n"));
            i += 2;
        }
    }
    return text;
}

QString ReplyTextToHex(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    QString hex;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        hex += QString::fromLatin1(Token(static_cast<unsigned char>(bytes[i])));
        if ((i + 1) % 16 == 0)
            hex += QStringLiteral("\r\n");
    }
    return hex;
}

namespace {
// Pairs of hex digits as bytes; a pair that reads as 0 (a line break, for instance) gives nothing.
QByteArray PairsToBytes(const QByteArray& digits) {
    QByteArray out;
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2) {
        const unsigned value = EscapeValue(digits.mid(i, 2));
        if (value != 0)
            out += char(value);
    }
    return out;
}
} // namespace

QString ReplyHexToText(const QString& hex) {
    QByteArray digits = hex.toLatin1();
    digits.replace(' ', "");
    return QString::fromLocal8Bit(PairsToBytes(digits));
}

QByteArray SaveBytes(const QByteArray& content, bool hexView) {
    if (!hexView)
        return content;
    QByteArray digits;
    for (char c : content) {
        if (c != ' ' && c != '\r' && c != '\n')
            digits += c;
    }
    return PairsToBytes(digits);
}

} // namespace quillory
