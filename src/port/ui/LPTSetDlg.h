#pragma once

#include "port/ui/PortSubPage.h"

class QComboBox;

namespace quillory {

// Parallel port sub-page: "LPT1" to "LPT6" offered; a typed name is taken as it stands.
class CLPTSetDlg : public CPortSubPage {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_NAME = 1008,
        IDC_NAME_LABEL = 1009,
    };

    explicit CLPTSetDlg(QWidget* parent = nullptr);

    [[nodiscard]] tagPORTINFO BuildPortInfo() const override;
    void ShowPortInfo(const tagPORTINFO& info) override;

private:
    QComboBox* m_name;
};

} // namespace quillory
