#pragma once

#include "port/PortChoice.h"
#include "port/ui/PortSubPage.h"

namespace quillory {

class CDropDownList;

// USB sub-page: one list of the attached printers, refilled whenever it is dropped down. It
// lists USB-class printers by name, or, when there are none, USB-API printers by number; the
// last listing (or the saved description shown) decides how the chosen entry is read.
class CUSBSetDlg : public CPortSubPage {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_PRINTERS = 1007,
        IDC_PRINTERS_LABEL = 1008,
    };

    explicit CUSBSetDlg(QWidget* parent = nullptr);

    [[nodiscard]] tagPORTINFO BuildPortInfo() const override;
    void ShowPortInfo(const tagPORTINFO& info) override;
    void FillListIfEmpty() override;

    // Lists the attached printers afresh.
    void FillList();
    [[nodiscard]] UsbListMode Mode() const { return m_mode; }

private:
    CDropDownList* m_printers;
    UsbListMode m_mode = UsbListMode::NotListed;
};

} // namespace quillory
