#pragma once

#include "app/ui/BackgroundTask.h"
#include "app/ui/ScreenBase.h"
#include "port/ui/PortSubPages.h"

#include <QPixmap>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace quillory {

class COperation;

// The two-step first-run wizard: the command language, then the port. Finish saves both and
// proves the port by opening it once; it closes only when the port opened.
class CWizardDlg : public CScreenDialog {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_FINISH = 1,
        IDC_BACK = 1002,
        IDC_NEXT = 1004,
        IDC_PORT_TYPE = 1628,
        IDC_INSTRUCTION = 1656,
        IDC_PORT_TYPE_LABEL = 1658,
        IDC_INSTRUCTION_LABEL = 1660,
        IDC_DONT_SHOW = 1664,
        IDC_HEADING = 1665,
        IDC_STEP1_HINT = 1666,
        IDC_STEP2_HINT = 1667,
    };
    // Where the sub-pages lie.
    static constexpr QRect kSubPageArea{45, 135, 435, 185};

    explicit CWizardDlg(QWidget* parent = nullptr);
    ~CWizardDlg() override;

    void OnNext();
    void OnBack();
    void OnFinish();
    // Shows sub-page index as the port-type list does.
    void ChoosePortType(int index);

    [[nodiscard]] int Step() const { return m_step; }
    [[nodiscard]] CPortSubPages& SubPages() { return m_subPages; }
    [[nodiscard]] bool IsProving() const { return m_proof.IsBusy(); }
    bool WaitForProof(int timeoutMs = -1) { return m_proof.Wait(timeoutMs); }

protected:
    void TextsApplied(int languageIndex) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The title-bar close box ends the program: the main window is asked to close as well.
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowStep(int step);
    void ProofDone(const COperation& op, int code, int language);

    QPixmap m_background;
    QLabel* m_heading;
    QLabel* m_step1Hint;
    QLabel* m_step2Hint;
    QLabel* m_instructionLabel;
    QComboBox* m_instruction;
    QLabel* m_portTypeLabel;
    QComboBox* m_portType;
    QFrame* m_separator;
    QCheckBox* m_dontShow;
    QPushButton* m_back;
    QPushButton* m_next;
    QPushButton* m_finish;
    bool m_driverMode;
    int m_step = 1;
    CPortSubPages m_subPages;
    // Last, so that destroying the wizard first waits for a proof in progress.
    CBackgroundTask m_proof;
};

} // namespace quillory
