#pragma once

#include "app/ui/BackgroundTask.h"
#include "app/ui/ScreenBase.h"
#include "port/PortInfo.h"
#include "tools/FileSend.h"

#include <QTimer>

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace quillory {

class COperation;

// The upgrade dialog: sends one chosen file to the printer unchanged, in one write on a worker
// thread, while a progress bar creeps towards 95.
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
    };
    static constexpr int kTickMs = 1500;

    // One tick of the progress timer: the bar goes up by 5; the tick that starts at 90 or more
    // is the last, so the bar comes to rest at 95 until the send ends.
    struct ProgressTick {
        int value;
        bool last;
    };
    [[nodiscard]] static ProgressTick Tick(int position);

    CDownLoadDlg(int language, const tagPORTINFO& port, QWidget* parent = nullptr);

    [[nodiscard]] QString Path() const { return m_path; }
    [[nodiscard]] bool IsBusy() const { return m_task.IsBusy(); }
    [[nodiscard]] QProgressBar* Progress() const { return m_progress; }
    [[nodiscard]] const QTimer& ProgressTimer() const { return m_timer; }

    // The dialog stays open while a file is on its way.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnOpen();
    void OnDownload();
    void OnTick();
    void Finished(const COperation& op, const FileSendResult& result, int language);
    void EnableButtons(bool enabled);

    tagPORTINFO m_port;
    QString m_path;
    QLineEdit* m_pathEdit = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_download = nullptr;
    QPushButton* m_close = nullptr;
    QProgressBar* m_progress = nullptr;
    QTimer m_timer;
    CBackgroundTask m_task;
};

} // namespace quillory
