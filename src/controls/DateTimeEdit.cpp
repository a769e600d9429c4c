#include "controls/DateTimeEdit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace quillory {

using namespace datetime_rules;

CDateTimeEdit::CDateTimeEdit(QWidget* parent) : QLineEdit(parent) {
    // The field takes its keys itself; the standard editing would break the fixed form.
    setReadOnly(true);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMaxLength(kTextLength);
    SetDateTimeText(QString::fromLatin1(kBlankText));
    UpdateBackground();
}

void CDateTimeEdit::SetEditable(bool editable) {
    m_editable = editable;
    UpdateBackground();
}

void CDateTimeEdit::UpdateBackground() {
    QPalette p = palette();
    p.setColor(QPalette::Base,
               m_editable ? QPalette().color(QPalette::Base) : QPalette().color(QPalette::Button));
    setPalette(p);
}

void CDateTimeEdit::SetDateTimeText(const QString& text) {
    setText(text);
    ReplaceUnparsableWithNow();
}

void CDateTimeEdit::ReplaceUnparsableWithNow() {
    if (!Parse(text()))
        setText(Format(QDateTime(QDate::currentDate(), QTime::currentTime(), Qt::UTC)));
}

void CDateTimeEdit::SelectSegment(Segment segment) {
    const SegmentRange r = RangeOf(segment);
    setSelection(r.start, r.length);
}

int CDateTimeEdit::CaretStart() const {
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

void CDateTimeEdit::StepSelected(int step) {
    if (!m_editable)
        return;
    const Segment segment = SegmentAt(CaretStart());
    if (const std::optional<QString> stepped = Step(text(), segment, step))
        setText(*stepped);
    SelectSegment(segment);
}

void CDateTimeEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        if (const auto segment = SegmentLeftOf(CaretStart()))
            SelectSegment(*segment);
        return;
    case Qt::Key_Right: {
        const int end = hasSelectedText() ? selectionEnd() : cursorPosition();
        if (const auto segment = SegmentRightOf(end))
            SelectSegment(*segment);
        return;
    }
    case Qt::Key_Up:
        StepSelected(1);
        return;
    case Qt::Key_Down:
        StepSelected(-1);
        return;
    default:
        break;
    }
    const QString typed = event->text();
    if (typed.size() == 1 && typed[0].isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const QChar c = typed[0];
        if (m_editable && c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            const int position = CaretStart();
            if (const std::optional<int> next = CaretAfterDigit(position)) {
                setText(ReplaceDigit(text(), position, c));
                setCursorPosition(*next);
            }
        }
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CDateTimeEdit::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (m_editable && delta != 0)
        StepSelected(delta > 0 ? 1 : -1);
    event->accept();
}

void CDateTimeEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    ReplaceUnparsableWithNow();
    SelectSegment(SegmentAt(cursorPositionAt(event->position().toPoint())));
}

void CDateTimeEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void CDateTimeEdit::focusOutEvent(QFocusEvent* event) {
    ReplaceUnparsableWithNow();
    QLineEdit::focusOutEvent(event);
}

} // namespace quillory
