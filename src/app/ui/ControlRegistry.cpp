#include "app/ui/ControlRegistry.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>

#include <algorithm>

namespace quillory {

CControlRegistry::CControlRegistry(QWidget* owner, const char* element)
    : m_owner(owner), m_element(element) {}

CControlRegistry::~CControlRegistry() = default;

void CControlRegistry::RegisterControl(int id, QWidget* control) {
    m_controls.insert(id, control);
}

QWidget* CControlRegistry::Control(int id) const {
    return m_controls.value(id).data();
}

QList<int> CControlRegistry::ControlIds() const {
    QList<int> ids;
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
        if (it.value())
            ids << it.key();
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

void CControlRegistry::ApplyLanguage(int languageIndex) {
    m_language = languageIndex;
    if (m_element)
        ApplyScreenTexts(m_element, languageIndex, *this);
    TextsApplied(languageIndex);
}

void CControlRegistry::TextsApplied(int) {}

bool CControlRegistry::SetSpecialControlText(int, QWidget*, const QString&) {
    return false;
}

void CControlRegistry::SetCaption(const QString& caption) {
    m_owner->setWindowTitle(caption);
}

bool CControlRegistry::SetControlText(int id, const QString& text) {
    QWidget* control = Control(id);
    if (!control)
        return false;
    if (SetSpecialControlText(id, control, text))
        return true;
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        // An editable list takes the text; a fixed list selects the item of that text, if any.
        if (combo->isEditable()) {
            combo->setEditText(text);
        } else if (const int found = combo->findText(text); found >= 0) {
            combo->setCurrentIndex(found);
        }
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        plain->setPlainText(text);
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        rich->setPlainText(text);
    } else if (!qobject_cast<QTabWidget*>(control) && !qobject_cast<QTabBar*>(control)) {
        // Tab controls show no text of their own; anything else keeps it as its title.
        control->setWindowTitle(text);
    }
    return true;
}

bool CControlRegistry::SetListItems(int id, const QStringList& items, int select) {
    auto* combo = ControlAs<QComboBox>(id);
    if (!combo)
        return false;
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(select >= 0 && select < items.size() ? select : -1);
    return true;
}

bool CControlRegistry::SetTabCaption(int id, int tab, const QString& caption) {
    QWidget* control = Control(id);
    if (auto* tabs = qobject_cast<QTabWidget*>(control)) {
        if (tab < 0 || tab >= tabs->count())
            return false;
        tabs->setTabText(tab, caption);
        return true;
    }
    if (auto* bar = qobject_cast<QTabBar*>(control)) {
        if (tab < 0 || tab >= bar->count())
            return false;
        bar->setTabText(tab, caption);
        return true;
    }
    return false;
}

} // namespace quillory
