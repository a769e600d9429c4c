#include "app/PrinterText.h"

namespace quillory {
namespace {

// Characters outside ASCII that a terminal or a text viewer acts on rather than shows.
bool IsActiveUnicode(char32_t c) {
    return (c >= 0x80 && c <= 0x9f)        // C1 controls (0x9b is a one-byte CSI)
           || c == 0x061c                  // Arabic letter mark
           || (c >= 0x200b && c <= 0x200f) // zero widths, direction marks
           || (c >= 0x2028 && c <= 0x202e) // separators, direction embeddings and overrides
           || (c >= 0x2066 && c <= 0x2069) // direction isolates
           || c == 0xfeff;
}

QString Hex4(char32_t c) {
    return QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
}

QString Escape(QStringView text, bool keepLineFeeds) {
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        switch (c) {
        case U'\\':
            out += QLatin1String(keepLineFeeds ? "\\" : "\\\\");
            continue;
        case U'\n':
            out += keepLineFeeds ? QStringLiteral("\n") : QStringLiteral("\\n");
            continue;
        case U'\r':
            out += QLatin1String("\\r");
            continue;
        case U'\t':
            out += QLatin1String("\\t");
            continue;
        case 0x1b:
            out += QLatin1String("\\e");
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0x7f)
            out += QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
        else if (IsActiveUnicode(c))
            out += Hex4(c);
        else
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}

} // namespace

QString EscapePrinterText(QStringView text) {
    return Escape(text, false);
}

QString EscapeMessageText(QStringView text) {
    return Escape(text, true);
}

QByteArray TerminalSafeJson(const QJsonDocument& document) {
    const QString json = QString::fromUtf8(document.toJson(QJsonDocument::Compact));
    QString out;
    out.reserve(json.size());
    for (const char32_t c : json.toUcs4()) {
        // Outside strings JSON has only ASCII, so each of these is inside a string.
        if (c == 0x7f || IsActiveUnicode(c))
            out += Hex4(c);
        else
            out += QString::fromUcs4(&c, 1);
    }
    return out.toUtf8();
}

} // namespace quillory
