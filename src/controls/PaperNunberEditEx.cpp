#include "controls/PaperNunberEditEx.h"

#include <QFocusEvent>
#include <QValidator>

namespace quillory {
namespace {

class CPaperValidator : public QValidator {
public:
    CPaperValidator(const CPaperNumber& number, QObject* parent) : QValidator(parent), m_number(number) {}
    State validate(QString& input, int&) const override {
        return m_number.AcceptsText(input) ? Acceptable : Invalid;
    }

private:
    const CPaperNumber& m_number;
};

} // namespace

CPaperNunberEditEx::CPaperNunberEditEx(QWidget* parent) : QLineEdit(parent) {
    setValidator(new CPaperValidator(m_number, this));
    Show(m_number.Text());
}

void CPaperNunberEditEx::Show(const QString& text) {
    if (text != this->text())
        setText(text);
}

void CPaperNunberEditEx::Initialise(int value, int resolution, int minimum, int maximum) {
    Show(m_number.Initialise(value, resolution, minimum, maximum));
}

void CPaperNunberEditEx::SetValue(int dots) {
    Show(m_number.SetValue(dots));
}

void CPaperNunberEditEx::SetUnit(int unit) {
    const auto u = unit == CPaperNumber::Inches        ? CPaperNumber::Inches
                   : unit == CPaperNumber::Millimetres ? CPaperNumber::Millimetres
                                                       : CPaperNumber::Dots;
    Show(m_number.SetUnit(u));
}

void CPaperNunberEditEx::focusInEvent(QFocusEvent* event) {
    // The field's own context menu takes the focus for a moment; that is not leaving the field.
    if (event->reason() != Qt::PopupFocusReason)
        m_number.OnFocusIn(text());
    QLineEdit::focusInEvent(event);
}

void CPaperNunberEditEx::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason)
        return;
    CommitText();
}

void CPaperNunberEditEx::CommitText() {
    Show(m_number.OnFocusOut(text()));
    m_number.OnFocusIn(text());
    emit valueCommitted(m_number.Value());
}

} // namespace quillory
