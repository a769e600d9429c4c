#include "controls/NumberInputRules.h"

#include "app/NumberText.h"

#include <algorithm>
#include <cmath>

namespace quillory {

void CNumberInputRules::SetRange(long long minimum, long long maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
}

bool CNumberInputRules::Accepts(QChar c) const {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return true;
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return true;
    switch (m_mode) {
    case Hexadecimal:
        return (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    case DecimalPoint:
        return c == QLatin1Char('.');
    case Decimal:
        // A field whose range reaches below zero must let the operator type a sign.
        return c == QLatin1Char('-') && m_minimum < 0;
    }
    return false;
}

bool CNumberInputRules::AcceptsText(const QString& text) const {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!Accepts(text[i]) || (text[i] == QLatin1Char('-') && i > 0))
            return false;
    }
    return true;
}

QString CNumberInputRules::Format(long long value, int textLimit) const {
    const int width = textLimit == 4 ? 4 : 8;
    switch (m_mode) {
    case Hexadecimal:
        // The field shows the word as the printer holds it: negative values as their bit pattern.
        return QStringLiteral("%1").arg(static_cast<unsigned long long>(value) & 0xFFFFFFFFull, width, 16,
                                        QLatin1Char('0'));
    case Decimal:
        return value < 0
                   ? QLatin1Char('-') + QStringLiteral("%1").arg(-value, width - 1, 10, QLatin1Char('0'))
                   : QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
    case DecimalPoint:
        break;
    }
    return {};
}

std::optional<QString> CNumberInputRules::TextForValue(long long value, int textLimit) const {
    if (value < m_minimum || value > m_maximum)
        return std::nullopt;
    return Format(value, textLimit);
}

long long CNumberInputRules::Parse(const QString& text) const {
    const QByteArray latin = text.toLatin1();
    switch (m_mode) {
    case Hexadecimal:
        return ParseLeadingHex(QByteArrayView(latin).trimmed());
    case Decimal:
        return ParseLeadingInt(QByteArrayView(latin));
    case DecimalPoint: {
        bool ok = false;
        // Only digits and points can be typed; the whole part up to the second point counts.
        const qsizetype second = latin.indexOf('.', latin.indexOf('.') + 1);
        const double value = QString::fromLatin1(second < 0 ? latin : latin.left(second)).toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return ParseLeadingInt(QByteArrayView(latin));
        return static_cast<long long>(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
    }
    }
    return 0;
}

QString CNumberInputRules::TextAfterFocusOut(const QString& text, int textLimit) const {
    return text.isEmpty() ? Format(m_minimum, textLimit) : text;
}

} // namespace quillory
