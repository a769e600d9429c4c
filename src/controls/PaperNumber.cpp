#include "controls/PaperNumber.h"

#include "app/NumberText.h"

#include <charconv>
#include <cmath>

namespace quillory {
namespace {

// Only the first 100 characters of a typed length are read.
constexpr int kMaxReadChars = 100;

// The leading decimal number of a text in the manner of atof; no number reads as 0.
float LeadingFloat(const QByteArray& text) {
    float value = 0.0f;
    const char* begin = text.constData();
    const auto result = std::from_chars(begin, begin + text.size(), value, std::chars_format::fixed);
    return result.ec == std::errc() ? value : 0.0f;
}

} // namespace

QString CPaperNumber::Initialise(int value, int resolution, int minimum, int maximum) {
    SetResolution(resolution);
    SetRange(minimum, maximum);
    m_value = value;
    m_default = value;
    return Format(value);
}

QString CPaperNumber::SetValue(int dots) {
    m_value = dots;
    return Format(dots);
}

QString CPaperNumber::SetUnit(Unit unit) {
    m_unit = unit;
    return Format(m_value);
}

void CPaperNumber::SetResolution(int dotsPerInch) {
    if (dotsPerInch > 0)
        m_resolution = dotsPerInch;
}

void CPaperNumber::SetRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
}

bool CPaperNumber::Accepts(QChar c) const {
    if (c.unicode() > 255)
        return false;
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return true;
    if (c.isDigit())
        return true;
    if (m_unit == Dots)
        return c == QLatin1Char('-') && m_minimum < 0;
    return c == QLatin1Char('.') || c == QLatin1Char('-');
}

bool CPaperNumber::AcceptsText(const QString& text) const {
    for (const QChar c : text) {
        if (!Accepts(c))
            return false;
    }
    return true;
}

QString CPaperNumber::Format(int dots) const {
    switch (m_unit) {
    case Inches:
        return QString::asprintf("%.3f", double(dots) / m_resolution);
    case Millimetres:
        return QString::asprintf("%.3f", double(dots) * 25.4 / m_resolution);
    case Dots:
        break;
    }
    return QString::number(dots);
}

std::optional<long long> CPaperNumber::ToDots(const QString& text) const {
    const QByteArray latin = text.left(kMaxReadChars).toLatin1();
    if (m_unit == Dots)
        return ParseLeadingInt(QByteArrayView(latin));
    // The typed number is held in single precision before it is scaled, so 25.4 mm reads as a
    // hair less than 25.4 and ends one dot lower once cut.
    const float typed = LeadingFloat(latin);
    double dots = double(m_resolution) * double(typed);
    if (m_unit == Millimetres)
        dots = dots * 10.0 / 254.0;
    dots = std::trunc(dots);
    if (!std::isfinite(dots) || dots < -2147483648.0 || dots > 2147483647.0)
        return std::nullopt;
    return static_cast<long long>(dots);
}

QString CPaperNumber::RestoreDefault() {
    // The default is taken as it is rather than read back from its rounded display, which in
    // millimetres would often come out one dot short.
    m_value = m_default;
    return Format(m_default);
}

QString CPaperNumber::OnFocusOut(const QString& text) {
    if (text.isEmpty() || text == QStringLiteral("-"))
        return RestoreDefault();
    const qsizetype minus = text.indexOf(QLatin1Char('-'));
    const qsizetype minusCount = text.count(QLatin1Char('-'));
    if (m_unit == Dots) {
        if (minusCount > 1)
            return RestoreDefault();
    } else if (text.startsWith(QLatin1Char('.')) || text.count(QLatin1Char('.')) > 1 || minus > 0 ||
               minusCount > 1) {
        return RestoreDefault();
    }
    if (text == m_focusText)
        return text;
    const std::optional<long long> dots = ToDots(text);
    if (!dots || *dots < m_minimum || *dots > m_maximum)
        return RestoreDefault();
    m_value = int(*dots);
    return text;
}

} // namespace quillory
