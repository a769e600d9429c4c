#include "port/ui/PortControls.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace quillory {

CDropDownList::CDropDownList(QWidget* parent) : QComboBox(parent) {}

void CDropDownList::showPopup() {
    emit droppingDown();
    QComboBox::showPopup();
}

CChoiceCombo::CChoiceCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_typed = true; });
    // Picking from the list, or Enter on the text of an item, is a choice.
    connect(this, &QComboBox::activated, this, [this] { m_typed = false; });
    connect(this, &QComboBox::currentIndexChanged, this, [this] { m_typed = false; });
}

QString CChoiceCombo::ChosenText() const {
    const int index = currentIndex();
    return m_typed || index < 0 ? QString() : itemText(index);
}

void CChoiceCombo::Choose(const QString& text) {
    if (text.isEmpty()) {
        setCurrentIndex(-1);
        setEditText(QString());
        m_typed = false;
        return;
    }
    int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        addItem(text);
        index = count() - 1;
    }
    setCurrentIndex(index);
    m_typed = false;
}

void CChoiceCombo::SetTypedText(const QString& text) {
    setEditText(text);
    m_typed = true;
}

void SelectQuietly(QComboBox* combo, int index) {
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

} // namespace quillory
