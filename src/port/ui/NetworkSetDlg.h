#pragma once

#include "port/ui/PortSubPage.h"

class QComboBox;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace quillory {

class CPrinterSearch;

// Network port sub-page: address and TCP port of a network printer, typed or chosen from a
// search that lists the printers answering on the network.
class CNetworkSetDlg : public CPortSubPage {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_SEARCH = 1002,
        IDC_ADDRESS = 1010,
        IDC_ADDRESS_LABEL = 1011,
        IDC_PORT = 1642,
        IDC_PORT_LABEL = 1643,
        IDC_PROGRESS = 1653,
    };
    static constexpr int kDefaultPort = 9100;

    explicit CNetworkSetDlg(QWidget* parent = nullptr);
    ~CNetworkSetDlg() override;

    [[nodiscard]] tagPORTINFO BuildPortInfo() const override;
    void ShowPortInfo(const tagPORTINFO& info) override;
    void FocusAddress() override;

    // The search button.
    void Search();
    [[nodiscard]] CPrinterSearch& PrinterSearch() const { return *m_search; }

private:
    QComboBox* m_address;
    QSpinBox* m_port;
    QPushButton* m_searchButton;
    QProgressBar* m_progress;
    CPrinterSearch* m_search;
};

} // namespace quillory
