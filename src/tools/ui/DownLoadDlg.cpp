#include "tools/ui/DownLoadDlg.h"

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/Activity.h"
#include "app/ui/FileDialogs.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace quillory {

CDownLoadDlg::CDownLoadDlg(int language, const tagPORTINFO& port, QWidget* parent)
    : CScreenDialog("DownloadDlg", parent), m_port(port) {
    setWindowTitle(QStringLiteral("Download"));
    setFixedSize(480, 150);

    auto* label = AddControl(IDC_FILE_LABEL, new QLabel(QStringLiteral("File:"), this));
    label->setGeometry(15, 18, 60, 22);
    m_pathEdit = AddControl(IDC_PATH, new QLineEdit(this));
    m_pathEdit->setReadOnly(true);
    m_pathEdit->setGeometry(80, 16, 290, 24);
    m_open = AddControl(IDC_OPEN, new QPushButton(QStringLiteral("Open"), this));
    m_open->setGeometry(380, 14, 85, 28);

    m_progress = AddControl(IDC_PROGRESS, new QProgressBar(this));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setGeometry(15, 58, 450, 20);

    m_download = AddControl(IDC_DOWNLOAD, new QPushButton(QStringLiteral("Download"), this));
    m_download->setGeometry(270, 104, 95, 30);
    m_download->setEnabled(false);
    m_close = AddControl(IDC_CLOSE, new QPushButton(QStringLiteral("Close"), this));
    m_close->setGeometry(370, 104, 95, 30);

    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &CDownLoadDlg::OnTick);
    connect(m_open, &QPushButton::clicked, this, &CDownLoadDlg::OnOpen);
    connect(m_download, &QPushButton::clicked, this, &CDownLoadDlg::OnDownload);
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
}

void CDownLoadDlg::OnDownload() {
    const int language = ReadLanguage();
    const QString path = m_path;
    const tagPORTINFO port = m_port;
    const COperation op(this, m_download, port);
    if (!m_task.Start([path, port] { return SendFileToPrinter(path, port); },
                      [this, op, language](const FileSendResult& result) { Finished(op, result, language); }))
        return;
    EnableButtons(false);
    m_progress->setValue(0);
    m_timer.start();
}

CDownLoadDlg::ProgressTick CDownLoadDlg::Tick(int position) {
    constexpr int kStep = 5;
    constexpr int kLastStart = 90;
    if (position >= kLastStart)
        return {kLastStart + kStep, true};
    return {position + kStep, false};
}

void CDownLoadDlg::OnTick() {
    const ProgressTick tick = Tick(m_progress->value());
    if (tick.last)
        m_timer.stop();
    m_progress->setValue(tick.value);
}

void CDownLoadDlg::Finished(const COperation& op, const FileSendResult& result, int language) {
    m_timer.stop();
    if (result.Ok()) {
        m_progress->setValue(100);
        op.Succeeded("DownloadSuccess", language, QDir::toNativeSeparators(m_path));
        m_progress->setValue(0);
        EnableButtons(true);
        return;
    }
    m_progress->setValue(0);
    EnableButtons(true);
    if (result.status == FileSendStatus::CommunicationFailed)
        op.CommFailed(result.code, language, result.detail);
    else
        op.Failed("OpenFileFail", language,
                  result.detail.isEmpty() ? QDir::toNativeSeparators(m_path) : result.detail);
}

} // namespace quillory
