#pragma once

#include "controls/DateTimeRules.h"

#include <QLineEdit>

namespace quillory {

// Date-and-time field edited segment by segment: digits overwrite in place, Left and Right
// jump between segments, Up, Down and the wheel step the selected segment. Ordinary typing,
// pasting and deleting are not possible; the text is always "YYYY-MM-DD hh:mm:ss".
class CDateTimeEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CDateTimeEdit(QWidget* parent = nullptr);

    void SetEditable(bool editable);
    [[nodiscard]] bool IsEditable() const { return m_editable; }
    // The text in the field's form; use datetime_rules::Parse to read it as a date.
    [[nodiscard]] QString DateTimeText() const { return text(); }
    // An unparsable text is replaced by the current time.
    void SetDateTimeText(const QString& text);
    void SelectSegment(datetime_rules::Segment segment);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    [[nodiscard]] int CaretStart() const;
    void ReplaceUnparsableWithNow();
    void StepSelected(int step);
    void UpdateBackground();

    bool m_editable = false;
};

} // namespace quillory
