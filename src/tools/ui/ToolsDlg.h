#pragma once

#include "app/ui/BackgroundTask.h"
#include "app/ui/Page.h"
#include "tools/Maintenance.h"

#include <array>

class QListWidget;
class QProgressBar;
class QPushButton;

namespace quillory {

class COperation;

// Page 2: one-click service actions of the current command language and the test labels.
class CToolsDlg : public CPage {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_FIRST_OPERATION = 1001, // 1001..1011: the operations in MaintenanceOperation order
        IDC_LABEL_LIST = 1012,
        IDC_PRINT = 1013,
        IDC_MAINTENANCE_GROUP = 1014,
        IDC_LABELS_GROUP = 1015,
    };

    explicit CToolsDlg(QWidget* parent = nullptr);

    [[nodiscard]] QPushButton* OperationButton(int operation) const {
        return m_operations[std::size_t(operation)];
    }
    [[nodiscard]] bool IsBusy() const { return m_task.IsBusy(); }

    // Enables the buttons the current command language offers.
    void PageShown() override;
    void EnableByLanguage();

private:
    void RunOperation(int operation);
    void PrintTestLabel();
    void SetBusy(bool busy);
    void Finished(const COperation& op, int code, const char* successMessage);

    std::array<QPushButton*, kMaintenanceCount> m_operations{};
    QListWidget* m_labels = nullptr;
    QPushButton* m_print = nullptr;
    QProgressBar* m_busy = nullptr;
    CBackgroundTask m_task;
};

} // namespace quillory
