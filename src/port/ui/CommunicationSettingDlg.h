#pragma once

#include "app/AppSettings.h"
#include "app/ui/BackgroundTask.h"
#include "app/ui/Page.h"
#include "port/ui/PortSubPages.h"

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace quillory {

class COperation;

// Radio buttons of the command languages and the index each stands for.
struct InstructionRadio {
    int id;
    int instruction;
};
inline constexpr std::array<InstructionRadio, 5> kInstructionRadios{{
    {1016, INSTRUCTION_VKLZ},
    {1015, INSTRUCTION_VKLE},
    {1017, INSTRUCTION_VKLT},
    {1014, INSTRUCTION_VKLA},
    {1018, INSTRUCTION_VKLC},
}};

// Page 0: the printer's command language and how it is attached. OK saves both and proves the
// port by opening it once; on success the window moves on to the printer settings.
class CCommunicationSettingDlg : public CPage {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_OK = 1002,
        IDC_CANCEL = 1003,
        IDC_PORT_TYPE = 1004,
        IDC_PORT_GROUP = 1005,
        IDC_INSTRUCTION_GROUP = 1006,
        IDC_PORT_TYPE_LABEL = 1513,
    };
    // The command the window runs after a proven port: printer settings.
    static constexpr int kPrinterSettingsCommand = 1141;

    explicit CCommunicationSettingDlg(QWidget* parent = nullptr);
    ~CCommunicationSettingDlg() override;

    void PageShown() override;
    void ReloadSettings() override;

    void OnOK();
    void OnCancel();
    // Shows sub-page index as the port-type list does.
    void ChoosePortType(int index);

    [[nodiscard]] CPortSubPages& SubPages() { return m_subPages; }
    [[nodiscard]] bool IsProving() const { return m_proof.IsBusy(); }
    // Waits for a port proof in progress (tests).
    bool WaitForProof(int timeoutMs = -1) { return m_proof.Wait(timeoutMs); }

protected:
    void TextsApplied(int languageIndex) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SelectInstruction(int instruction);
    [[nodiscard]] int ChosenInstruction() const;
    void ProofDone(const COperation& op, int code, int language);
    void PlaceControls();

    QGroupBox* m_instructionGroup;
    QGroupBox* m_portGroup;
    QLabel* m_portTypeLabel;
    QComboBox* m_portType;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    bool m_driverMode;
    CPortSubPages m_subPages;
    // Last, so that destroying the page first waits for a proof in progress.
    CBackgroundTask m_proof;
};

} // namespace quillory
