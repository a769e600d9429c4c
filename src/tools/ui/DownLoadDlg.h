#pragma once

#include "app/ui/BackgroundTask.h"
#include "app/ui/ScreenBase.h"
#include "port/PortInfo.h"
#include "tools/FileSend.h"

#include <QElapsedTimer>

#include <atomic>
#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace quillory {

class COperation;

// The upgrade dialog: sends one chosen file to the printer unchanged, streamed on a worker
// thread. The bar and the line under it follow the bytes the printer took (sent of total, rate,
// time left); Cancel stops the send after the block in progress.
class CDownLoadDlg : public CScreenDialog {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_CLOSE = 2,
        IDC_FILE_LABEL = 1001,
        IDC_PATH = 1002,
        IDC_OPEN = 1003,
        IDC_DOWNLOAD = 1004,
        IDC_PROGRESS = 1005,
        IDC_STATUS = 1006,
        IDC_CANCEL = 1007,
    };
    // The bar counts in thousandths, so that files of any size fit its range.
    static constexpr int kProgressSteps = 1000;

    CDownLoadDlg(int language, const tagPORTINFO& port, QWidget* parent = nullptr);

    [[nodiscard]] QString Path() const { return m_path; }
    [[nodiscard]] bool IsBusy() const { return m_task.IsBusy(); }
    [[nodiscard]] QProgressBar* Progress() const { return m_progress; }
    // The line under the bar: bytes sent of total, rate and time left while a file goes out.
    [[nodiscard]] QString StatusText() const;

    // The dialog stays open while a file is on its way.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnOpen();
    void OnDownload();
    void OnCancel();
    void ShowProgress(qint64 sent, qint64 total);
    void Finished(const COperation& op, const FileSendResult& result, int language);
    void EnableButtons(bool enabled);

    tagPORTINFO m_port;
    QString m_path;
    QLineEdit* m_pathEdit = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_download = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_cancel = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QElapsedTimer m_clock;
    std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    CBackgroundTask m_task;
};

} // namespace quillory
