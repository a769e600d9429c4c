#include "tools/ui/DownLoadDlg.h"

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/Activity.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/Messages.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

namespace quillory {

CDownLoadDlg::CDownLoadDlg(int language, const tagPORTINFO& port, QWidget* parent)
    : CScreenDialog("DownloadDlg", parent), m_port(port) {
    setWindowTitle(QStringLiteral("Download"));
    setFixedSize(480, 170);

    auto* label = AddControl(IDC_FILE_LABEL, new QLabel(QStringLiteral("File:"), this));
    label->setGeometry(15, 18, 60, 22);
    m_pathEdit = AddControl(IDC_PATH, new QLineEdit(this));
    m_pathEdit->setReadOnly(true);
    m_pathEdit->setGeometry(80, 16, 290, 24);
    m_open = AddControl(IDC_OPEN, new QPushButton(QStringLiteral("Open"), this));
    m_open->setGeometry(380, 14, 85, 28);

    m_progress = AddControl(IDC_PROGRESS, new QProgressBar(this));
    m_progress->setRange(0, kProgressSteps);
    m_progress->setValue(0);
    m_progress->setGeometry(15, 58, 450, 20);
    m_status = AddControl(IDC_STATUS, new QLabel(this));
    m_status->setGeometry(15, 84, 450, 22);

    m_cancel = AddControl(IDC_CANCEL, new QPushButton(QStringLiteral("Cancel"), this));
    m_cancel->setGeometry(170, 124, 95, 30);
    m_cancel->setEnabled(false);
    m_download = AddControl(IDC_DOWNLOAD, new QPushButton(QStringLiteral("Download"), this));
    m_download->setGeometry(270, 124, 95, 30);
    m_download->setEnabled(false);
    m_close = AddControl(IDC_CLOSE, new QPushButton(QStringLiteral("Close"), this));
    m_close->setGeometry(370, 124, 95, 30);

    connect(m_open, &QPushButton::clicked, this, &CDownLoadDlg::OnOpen);
    connect(m_download, &QPushButton::clicked, this, &CDownLoadDlg::OnDownload);
    connect(m_cancel, &QPushButton::clicked, this, &CDownLoadDlg::OnCancel);
    connect(m_close, &QPushButton::clicked, this, &CDownLoadDlg::reject);

    ApplyLanguage(language);
}

void CDownLoadDlg::reject() {
    if (!m_task.IsBusy())
        CScreenDialog::reject();
}

void CDownLoadDlg::closeEvent(QCloseEvent* event) {
    if (m_task.IsBusy()) {
        event->ignore();
        return;
    }
    CScreenDialog::closeEvent(event);
}

void CDownLoadDlg::OnOpen() {
    m_path = AskOpenFileName(this, FileFilter(QStringLiteral("All Files (*.*)"), QStringLiteral("*.*")));
    // A cancelled choice leaves no file: the field and Download must not suggest one.
    m_pathEdit->setText(m_path);
    m_download->setEnabled(!m_path.isEmpty());
}

void CDownLoadDlg::EnableButtons(bool enabled) {
    m_open->setEnabled(enabled);
    m_download->setEnabled(enabled && !m_path.isEmpty());
    m_close->setEnabled(enabled);
    m_cancel->setEnabled(!enabled);
}

QString CDownLoadDlg::StatusText() const {
    return m_status->text();
}

void CDownLoadDlg::OnDownload() {
    const int language = ReadLanguage();
    const QString path = m_path;
    const tagPORTINFO port = m_port;
    // The file goes to the printer as it stands; a wrong one cannot be taken back.
    if (AskConfirmation({FormatMessageText("ConfirmUpgrade", language, {QDir::toNativeSeparators(path)}),
                         this}) != ConfirmAnswer::Confirm)
        return;
    m_stop->store(false);
    // Progress comes from the worker; it reaches the dialog through its event queue, and the
    // dialog cannot close while the worker runs.
    QPointer<CDownLoadDlg> self(this);
    FileSendOptions options;
    options.cancel = m_stop.get();
    options.progress = [self](qint64 sent, qint64 total) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, sent, total] {
                if (self)
                    self->ShowProgress(sent, total);
            },
            Qt::QueuedConnection);
    };
    const auto stop = m_stop; // kept alive with the work
    const COperation op(this, m_download, port);
    if (!m_task.Start([path, port, options, stop] { return SendFileToPrinter(path, port, options); },
                      [this, op, language](const FileSendResult& result) { Finished(op, result, language); }))
        return;
    EnableButtons(false);
    m_progress->setValue(0);
    m_status->clear();
    m_clock.start();
}

void CDownLoadDlg::OnCancel() {
    m_stop->store(true);
    m_cancel->setEnabled(false);
}

void CDownLoadDlg::ShowProgress(qint64 sent, qint64 total) {
    if (!m_task.IsBusy())
        return; // a late report after the end
    const int language = ReadLanguage();
    if (total > 0)
        m_progress->setValue(int(std::min<qint64>(kProgressSteps, sent * kProgressSteps / total)));
    m_status->setText(
        TransferStatusText(GetMessageText("DownloadProgress", language), sent, total, m_clock.elapsed()));
}

void CDownLoadDlg::Finished(const COperation& op, const FileSendResult& result, int language) {
    if (result.Ok()) {
        m_progress->setValue(kProgressSteps);
        op.Succeeded("DownloadSuccess", language, QDir::toNativeSeparators(m_path));
        m_progress->setValue(0);
        m_status->clear();
        EnableButtons(true);
        return;
    }
    m_progress->setValue(0);
    m_status->clear();
    EnableButtons(true);
    if (result.status == FileSendStatus::Cancelled)
        op.FailedWith(GetMessageText("DownloadCancelled", language).arg(result.sent),
                      QDir::toNativeSeparators(m_path));
    else if (result.status == FileSendStatus::CommunicationFailed)
        op.CommFailed(result.code, language, result.detail);
    else
        op.Failed("OpenFileFail", language,
                  result.detail.isEmpty() ? QDir::toNativeSeparators(m_path) : result.detail);
}

} // namespace quillory
