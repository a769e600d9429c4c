#pragma once

#include "app/ui/ScreenBase.h"

namespace quillory {

// The program's name, version and rights notice.
class CAboutDlg : public CScreenDialog {
    Q_OBJECT
public:
    enum ControlId : int {
        IDOK_BUTTON = 1,
        IDC_NAME = 1001,
        IDC_RIGHTS = 1002,
    };

    explicit CAboutDlg(int languageIndex, QWidget* parent = nullptr);

    // The name line of a language text: its "%1" becomes the version the program was built as
    // (the one --version prints); an empty text gives the name and version alone.
    [[nodiscard]] static QString NameLine(const QString& text);

protected:
    bool SetSpecialControlText(int id, QWidget* control, const QString& text) override;
};

} // namespace quillory
