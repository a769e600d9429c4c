#pragma once

#include "app/ui/ScreenBase.h"

class QCheckBox;
class QComboBox;

namespace quillory {

// Program settings: the language of the screens and whether the wizard opens at start.
// OK writes the wizard choice at once and keeps the chosen language for the caller, who
// decides whether the screens must change.
class CQuillorySetDlg : public CScreenDialog {
    Q_OBJECT
public:
    enum ControlId : int {
        IDOK_BUTTON = 1,
        IDCANCEL_BUTTON = 2,
        IDC_LANGUAGE = 1010,
        IDC_LANGUAGE_LABEL = 1011,
        IDC_WIZARD = 1139,
    };

    explicit CQuillorySetDlg(QWidget* parent = nullptr);

    // The language index chosen with OK; -1 when no entry was selected.
    [[nodiscard]] int ChosenLanguage() const { return m_chosen; }

    void accept() override;

protected:
    void TextsApplied(int languageIndex) override;

private:
    QComboBox* m_language;
    QCheckBox* m_wizard;
    int m_chosen = -1;
};

} // namespace quillory
