#pragma once

#include <QChar>
#include <QString>

#include <optional>

namespace quillory {

// A length held in printer dots and shown in dots, inches or millimetres through the print
// resolution. Holds the rules of the measurement field without any widget: what may be typed,
// how a text becomes dots, and what the field shows after it loses the focus.
class CPaperNumber {
public:
    enum Unit : int {
        Dots = 0,
        Inches = 1,
        Millimetres = 2,
    };
    static constexpr int kDefaultResolution = 203;

    // Stores value, makes it the default and returns it shown in the current unit.
    QString Initialise(int value, int resolution, int minimum, int maximum);
    // Stores value and returns it shown in the current unit.
    QString SetValue(int dots);
    // Switches the unit and returns the value shown in it.
    QString SetUnit(Unit unit);
    // Values of 0 or below are ignored: a length cannot be converted without a resolution.
    void SetResolution(int dotsPerInch);
    void SetRange(int minimum, int maximum);
    void SetDefault(int dots) { m_default = dots; }

    [[nodiscard]] int Value() const { return m_value; }
    [[nodiscard]] Unit GetUnit() const { return m_unit; }
    [[nodiscard]] int Resolution() const { return m_resolution; }
    [[nodiscard]] int Minimum() const { return m_minimum; }
    [[nodiscard]] int Maximum() const { return m_maximum; }
    [[nodiscard]] int Default() const { return m_default; }
    [[nodiscard]] QString Text() const { return Format(m_value); }

    [[nodiscard]] bool Accepts(QChar c) const;
    [[nodiscard]] bool AcceptsText(const QString& text) const;

    void OnFocusIn(const QString& text) { m_focusText = text; }
    // Settles a text the operator left in the field: returns the text to show and updates the
    // value. A text that cannot stand (malformed, outside the range) brings back the default.
    [[nodiscard]] QString OnFocusOut(const QString& text);

    // dots in unit: "%d" for dots, "%.3f" for inches and millimetres.
    [[nodiscard]] QString Format(int dots) const;
    // A text in unit turned into dots, cut toward zero; nothing when it lies outside int.
    [[nodiscard]] std::optional<long long> ToDots(const QString& text) const;

private:
    QString RestoreDefault();

    int m_value = 0;
    Unit m_unit = Dots;
    int m_resolution = kDefaultResolution;
    int m_minimum = 0;
    int m_maximum = 65535;
    int m_default = 0;
    QString m_focusText;
};

} // namespace quillory
