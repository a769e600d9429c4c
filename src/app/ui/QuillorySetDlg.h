#pragma once

#include "app/ui/ScreenBase.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace quillory {

// Program settings: the language of the screens, whether the wizard opens at start, and how long
// exchanges with the saved port wait. OK writes the wizard choice and the waits at once and keeps
// the chosen language for the caller, who decides whether the screens must change.
class CQuillorySetDlg : public CScreenDialog {
    Q_OBJECT
public:
    enum ControlId : int {
        IDOK_BUTTON = 1,
        IDCANCEL_BUTTON = 2,
        IDC_LANGUAGE = 1010,
        IDC_LANGUAGE_LABEL = 1011,
        IDC_WIZARD = 1139,
        IDC_REPLY_TIMEOUT_LABEL = 1200,
        IDC_REPLY_TIMEOUT = 1201,
        IDC_REPLY_GAP_LABEL = 1202,
        IDC_REPLY_GAP = 1203,
        IDC_STALL_LIMIT_LABEL = 1204,
        IDC_STALL_LIMIT = 1205,
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
    QSpinBox* m_replyTimeout;
    QSpinBox* m_replyGap;
    QSpinBox* m_stallLimit;
    int m_chosen = -1;
};

} // namespace quillory
