#include "controls/NumberInputEdit.h"

#include <QValidator>

namespace quillory {
namespace {

// Refuses typed or pasted text holding a character the mode does not take; a paste with a
// single wrong character is refused as a whole rather than silently changed.
class CCharacterValidator : public QValidator {
public:
    CCharacterValidator(const CNumberInputRules& rules, QObject* parent)
        : QValidator(parent), m_rules(rules) {}
    State validate(QString& input, int&) const override {
        return m_rules.AcceptsText(input) ? Acceptable : Invalid;
    }

private:
    const CNumberInputRules& m_rules;
};

} // namespace

CNumberInputEdit::CNumberInputEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(4);
    setValidator(new CCharacterValidator(m_rules, this));
}

void CNumberInputEdit::SetMode(CNumberInputRules::Mode mode) {
    m_rules.SetMode(mode);
}

void CNumberInputEdit::SetValue(long long value) {
    if (const auto text = m_rules.TextForValue(value, maxLength()))
        setText(*text);
}

long long CNumberInputEdit::GetValue() const {
    return m_rules.Parse(text());
}

void CNumberInputEdit::focusOutEvent(QFocusEvent* event) {
    const QString after = m_rules.TextAfterFocusOut(text(), maxLength());
    if (after != text())
        setText(after);
    QLineEdit::focusOutEvent(event);
}

} // namespace quillory
