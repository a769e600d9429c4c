#pragma once

#include "controls/NumberInputRules.h"

#include <QLineEdit>

namespace quillory {

// Field for a hexadecimal or decimal parameter value (EEPROM pages). Created in hexadecimal
// mode with the range 0..0xFFFF and default 0; the text limit (maxLength, 4 unless set) decides
// how many digits the value is shown with.
class CNumberInputEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CNumberInputEdit(QWidget* parent = nullptr);

    void SetMode(CNumberInputRules::Mode mode);
    [[nodiscard]] CNumberInputRules::Mode GetMode() const { return m_rules.GetMode(); }
    void SetRange(long long minimum, long long maximum) { m_rules.SetRange(minimum, maximum); }
    void SetDefault(long long value) { m_rules.SetDefault(value); }
    [[nodiscard]] const CNumberInputRules& Rules() const { return m_rules; }

    // Ignored when value lies outside the range.
    void SetValue(long long value);
    [[nodiscard]] long long GetValue() const;

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    CNumberInputRules m_rules;
};

} // namespace quillory
