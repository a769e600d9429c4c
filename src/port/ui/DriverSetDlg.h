#pragma once

#include "port/ui/PortSubPage.h"

#include <QStringList>

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace quillory {

class CChoiceCombo;
class CDropDownList;
class CPrinterSearch;

// The driver installer and uninstaller of the program folder.
enum class DriverProgram { Setup, Uninstall };
// Executables to try, in order: Driver/Setup (or Uninstall), then the same name with ".exe".
[[nodiscard]] QStringList DriverProgramCandidates(DriverProgram program);
// Starts the first candidate that exists, detached, without a shell and without arguments, in
// the driver folder. Returns whether one was started.
bool StartDriverProgram(DriverProgram program);

// Driver sub-page: either an installed printer queue of the family (DRIVER port) or a network
// printer by address and TCP port (NET port); it also starts the driver installer and
// uninstaller. The only sub-page offered in driver mode.
class CDriverSetDlg : public CPortSubPage {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_INSTALL = 1002,
        IDC_UNINSTALL = 1003,
        IDC_SEARCH = 1007,
        IDC_PRINTERS = 1010,
        IDC_PORT = 1086,
        IDC_ADDRESS = 1627,
        IDC_PORT_LABEL = 1639,
        IDC_PROGRESS = 1654,
        IDC_LOCAL = 1660,
        IDC_NETWORK = 1661,
        IDC_PRINTERS_LABEL = 1662,
        IDC_ADDRESS_LABEL = 1663,
    };
    static constexpr int kDefaultPort = 9100;

    explicit CDriverSetDlg(QWidget* parent = nullptr);
    ~CDriverSetDlg() override;

    [[nodiscard]] tagPORTINFO BuildPortInfo() const override;
    // Shows a DRIVER description, or in driver mode a NET one.
    void ShowPortInfo(const tagPORTINFO& info) override;
    void FillListIfEmpty() override;
    void FocusAddress() override;

    // Lists the installed printers of the family afresh, keeping the chosen one when it is
    // still there.
    void FillList();
    // The search button; false when a search is already running.
    bool Search();
    [[nodiscard]] CPrinterSearch& PrinterSearch() const { return *m_search; }

private:
    void ShowLocalMode(bool local);

    QRadioButton* m_local;
    QRadioButton* m_network;
    QLabel* m_printersLabel;
    CDropDownList* m_printers;
    QPushButton* m_install;
    QPushButton* m_uninstall;
    QLabel* m_addressLabel;
    CChoiceCombo* m_address;
    QLabel* m_portLabel;
    QSpinBox* m_port;
    QPushButton* m_searchButton;
    QProgressBar* m_progress;
    CPrinterSearch* m_search;
};

} // namespace quillory
