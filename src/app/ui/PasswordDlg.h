#pragma once

#include "app/ui/ScreenBase.h"

class QLineEdit;

namespace quillory {

// Asks for the access code of the advanced settings. A wrong code shows PasswordError and
// keeps the dialog open; there is no limit on attempts.
class CPasswordDlg : public CScreenDialog {
    Q_OBJECT
public:
    enum ControlId : int {
        IDOK_BUTTON = 1,
        IDCANCEL_BUTTON = 2,
        IDC_PROMPT = 1012,
        IDC_PASSWORD = 1013,
    };

    explicit CPasswordDlg(QWidget* parent = nullptr);

    // Exact, case-sensitive comparison with the access code.
    [[nodiscard]] static bool IsAccessCode(const QString& text);

    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_password;
};

} // namespace quillory
