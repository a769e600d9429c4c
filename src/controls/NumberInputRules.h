#pragma once

#include <QChar>
#include <QString>

#include <optional>

namespace quillory {

// Rules of the hexadecimal/decimal parameter field, free of any widget.
class CNumberInputRules {
public:
    enum Mode : int {
        Hexadecimal = 0,
        Decimal = 1,
        DecimalPoint = 2, // decimal with a point; the value is the whole part
    };

    CNumberInputRules() = default;
    CNumberInputRules(Mode mode, long long minimum, long long maximum, long long defaultValue)
        : m_mode(mode), m_minimum(minimum), m_maximum(maximum), m_default(defaultValue) {}

    [[nodiscard]] Mode GetMode() const { return m_mode; }
    void SetMode(Mode mode) { m_mode = mode; }
    [[nodiscard]] long long Minimum() const { return m_minimum; }
    [[nodiscard]] long long Maximum() const { return m_maximum; }
    [[nodiscard]] long long Default() const { return m_default; }
    void SetRange(long long minimum, long long maximum);
    void SetDefault(long long value) { m_default = value; }

    // Whether a typed character is taken. Control characters always pass; a decimal field takes
    // a leading "-" when its minimum is negative.
    [[nodiscard]] bool Accepts(QChar c) const;
    // Whether every character of a text (typed or pasted) is taken.
    [[nodiscard]] bool AcceptsText(const QString& text) const;

    // The text that shows value in a field with the given text limit: "%04x"/"%08x" in hex,
    // "%04d"/"%08d" in decimal (4 digits when the limit is 4), empty with a point.
    [[nodiscard]] QString Format(long long value, int textLimit) const;
    // The text for setting value, or nothing when value lies outside the range.
    [[nodiscard]] std::optional<QString> TextForValue(long long value, int textLimit) const;
    // The value a text stands for: hex, decimal, or the whole part of a decimal fraction.
    [[nodiscard]] long long Parse(const QString& text) const;
    // The text after losing the focus: an empty field shows the minimum.
    [[nodiscard]] QString TextAfterFocusOut(const QString& text, int textLimit) const;

private:
    Mode m_mode = Hexadecimal;
    long long m_minimum = 0;
    long long m_maximum = 0xFFFF;
    long long m_default = 0;
};

} // namespace quillory
