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
};

} // namespace quillory
