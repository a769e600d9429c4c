#pragma once

#include "app/LanguageTexts.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

namespace quillory {

// A screen's controls by their numeric ids, and the language texts applied through them.
// Buttons, check boxes, radio buttons, labels, group boxes, line edits and text edits take a
// text; combo boxes take list items; tab widgets take tab captions. Screens derive from
// CScreenBase or CScreenDialog, which bring this in.
class CControlRegistry : public IScreenTexts {
public:
    // element: the screen's element in the language files, or nullptr for a screen without texts.
    CControlRegistry(QWidget* owner, const char* element);
    ~CControlRegistry() override;
    CControlRegistry(const CControlRegistry&) = delete;
    CControlRegistry& operator=(const CControlRegistry&) = delete;

    // Registers control under id; a second registration of the id replaces the first.
    void RegisterControl(int id, QWidget* control);
    // Registers and returns control, for one-line creation: AddControl(1002, new QPushButton(this)).
    template <typename T>
    T* AddControl(int id, T* control) {
        RegisterControl(id, control);
        return control;
    }
    // The control of id, or nullptr when the screen has none (or it was destroyed).
    [[nodiscard]] QWidget* Control(int id) const;
    template <typename T>
    [[nodiscard]] T* ControlAs(int id) const {
        return qobject_cast<T*>(Control(id));
    }
    [[nodiscard]] QList<int> ControlIds() const;

    [[nodiscard]] const char* Element() const { return m_element; }
    // Language index of the texts applied last; -1 before the first application.
    [[nodiscard]] int AppliedLanguage() const { return m_language; }

    // Applies the screen's element of the language file, then TextsApplied. Hosts override it
    // to forward to their hosted screens.
    virtual void ApplyLanguage(int languageIndex);

    void SetCaption(const QString& caption) override;
    bool SetControlText(int id, const QString& text) override;
    // Like the list operations of the platform the texts were written for, refilling a list
    // sends no change signal: a screen that derives state from a list does so in TextsApplied.
    bool SetListItems(int id, const QStringList& items, int select) override;
    bool SetTabCaption(int id, int tab, const QString& caption) override;

protected:
    // Runs after the texts were applied, e.g. to re-select a list entry the texts reset.
    virtual void TextsApplied(int languageIndex);
    // For controls whose text is set some other way than the kinds listed above; return true
    // when handled.
    virtual bool SetSpecialControlText(int id, QWidget* control, const QString& text);

private:
    QWidget* m_owner;
    const char* m_element;
    int m_language = -1;
    QHash<int, QPointer<QWidget>> m_controls;
};

} // namespace quillory
