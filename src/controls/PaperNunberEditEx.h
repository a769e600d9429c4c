#pragma once

#include "controls/PaperNumber.h"

#include <QLineEdit>

namespace quillory {

// Measurement field: holds a whole number of printer dots and shows it in dots, inches or
// millimetres. The value changes when the field loses the focus (see CPaperNumber).
class CPaperNunberEditEx : public QLineEdit {
    Q_OBJECT
public:
    explicit CPaperNunberEditEx(QWidget* parent = nullptr);

    void Initialise(int value, int resolution, int minimum, int maximum);
    void SetValue(int dots);
    [[nodiscard]] int GetValue() const { return m_number.Value(); }
    void SetUnit(int unit);
    [[nodiscard]] int GetUnit() const { return m_number.GetUnit(); }
    void SetResolution(int dotsPerInch) { m_number.SetResolution(dotsPerInch); }
    void SetRange(int minimum, int maximum) { m_number.SetRange(minimum, maximum); }
    void SetDefault(int dots) { m_number.SetDefault(dots); }
    [[nodiscard]] const CPaperNumber& Number() const { return m_number; }
    // Settles the text as losing the focus would; for a screen that collects its values while
    // the field still has the focus (Enter on a default button).
    void CommitText();

signals:
    // The value after the operator left the field.
    void valueCommitted(int dots);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Show(const QString& text);

    CPaperNumber m_number;
};

} // namespace quillory
