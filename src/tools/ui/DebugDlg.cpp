#include "tools/ui/DebugDlg.h"

#include "app/AppSettings.h"
#include "app/AtomicFile.h"
#include "app/LanguageTexts.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/Messages.h"
#include "controls/PaperNunberEditEx.h"
#include "tools/DebugCodecs.h"
#include "tools/FileSend.h"
#include "tools/ui/ScintillaWnd.h"
#include "tools/ui/TabEdit.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quillory {
namespace {

constexpr int kNumberFieldWidth = 64;
constexpr int kResetButtonWidth = 26;
constexpr int kCountMaximum = 999999;

QString TextFilter() {
    return FileFilter(QStringLiteral("text Files (*.txt)"), QStringLiteral("*.txt"));
}

QHBoxLayout* Row() {
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->setContentsMargins(0, 0, 0, 0);
    return row;
}

} // namespace

CDebugDlg::CDebugDlg(QWidget* parent) : CPage("DebugDlg", parent) {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 4, 8, 6);
    page->setSpacing(4);

    auto* editorGroup = AddControl(IDC_EDITOR_GROUP, new QGroupBox(QStringLiteral("Commands"), this));
    BuildEditorGroup(editorGroup);
    auto* replyGroup = AddControl(IDC_REPLY_GROUP, new QGroupBox(QStringLiteral("Replies"), this));
    BuildReplyGroup(replyGroup);
    auto* fileGroup = AddControl(IDC_FILE_GROUP, new QGroupBox(QStringLiteral("Repeated file send"), this));
    BuildFileGroup(fileGroup);
    page->addWidget(editorGroup, 5);
    page->addWidget(replyGroup, 3);
    page->addWidget(fileGroup, 0);

    m_editor->AddNewDocument();
    connect(&m_timer, &QTimer::timeout, this, &CDebugDlg::OnTimerTick);
    connect(&m_fileSend, &CRepeatedFileSend::sent, this, [this] { AddToCount(m_fileCount, 1); });
    connect(&m_fileSend, &CRepeatedFileSend::finished, this, &CDebugDlg::OnFileSendFinished);
    UpdateButtons();
}

CDebugDlg::~CDebugDlg() {
    // The members then wait for their workers: the exchange ends its collection at once and the
    // file send after its current write.
    m_timer.stop();
    m_cancelExchange = true;
    m_fileSend.RequestStop();
}

CPaperNunberEditEx* CDebugDlg::AddNumberField(int id, QWidget* parent, int value, int minimum,
                                              bool readOnly) {
    auto* field = AddControl(id, new CPaperNunberEditEx(parent));
    field->Initialise(value, CPaperNumber::kDefaultResolution, minimum, kMaxIntervalMs);
    field->setReadOnly(readOnly);
    field->setFixedWidth(kNumberFieldWidth);
    field->setAlignment(Qt::AlignRight);
    return field;
}

QPushButton* CDebugDlg::AddResetButton(int id, CPaperNunberEditEx* field, QWidget* parent) {
    auto* button = AddControl(id, new QPushButton(QStringLiteral("C"), parent));
    button->setFixedWidth(kResetButtonWidth);
    connect(button, &QPushButton::clicked, this, [field] { field->SetValue(0); });
    return button;
}

void CDebugDlg::BuildEditorGroup(QWidget* group) {
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(8, 4, 8, 6);
    layout->setSpacing(4);

    auto* tools = Row();
    m_new = AddControl(IDC_NEW, new QPushButton(QStringLiteral("New"), group));
    m_close = AddControl(IDC_CLOSE, new QPushButton(QStringLiteral("Close"), group));
    m_open = AddControl(IDC_OPEN, new QPushButton(QStringLiteral("Open"), group));
    auto* save = AddControl(IDC_SAVE, new QPushButton(QStringLiteral("Save"), group));
    auto* soh = AddControl(IDC_SOH, new QPushButton(QStringLiteral("SOH"), group));
    auto* stx = AddControl(IDC_STX, new QPushButton(QStringLiteral("STX"), group));
    m_editorHex = AddControl(IDC_EDITOR_HEX, new QCheckBox(QStringLiteral("Hex"), group));
    for (QWidget* w : {static_cast<QWidget*>(m_new), static_cast<QWidget*>(m_close),
                       static_cast<QWidget*>(m_open), static_cast<QWidget*>(save)})
        tools->addWidget(w);
    tools->addSpacing(12);
    tools->addWidget(soh);
    tools->addWidget(stx);
    tools->addStretch(1);
    tools->addWidget(m_editorHex);
    layout->addLayout(tools);

    m_editor = AddControl(IDC_EDITOR, new CTabEdit(group));
    layout->addWidget(m_editor, 1);

    auto* sending = Row();
    m_send = AddControl(IDC_SEND, new QPushButton(QStringLiteral("Send"), group));
    m_timedSend = AddControl(IDC_TIMED_SEND, new QCheckBox(QStringLiteral("Timed send"), group));
    m_timerInterval = AddNumberField(IDC_TIMER_INTERVAL, group, kDefaultIntervalMs, kMinIntervalMs, false);
    auto* unit = AddControl(IDC_TIMER_UNIT, new QLabel(QStringLiteral("ms"), group));
    auto* sentLabel = AddControl(IDC_SENT_LABEL, new QLabel(QStringLiteral("Bytes sent:"), group));
    m_sentCount = AddNumberField(IDC_SENT_COUNT, group, 0, 0, true);
    sending->addWidget(m_send);
    sending->addSpacing(6);
    sending->addWidget(m_timedSend);
    sending->addWidget(m_timerInterval);
    sending->addWidget(unit);
    sending->addStretch(1);
    sending->addWidget(sentLabel);
    sending->addWidget(m_sentCount);
    sending->addWidget(AddResetButton(IDC_SENT_RESET, m_sentCount, group));
    layout->addLayout(sending);

    connect(m_new, &QPushButton::clicked, this, [this] { m_editor->AddNewDocument(); });
    connect(m_close, &QPushButton::clicked, this, [this] { m_editor->CloseCurrent(); });
    connect(m_open, &QPushButton::clicked, this, &CDebugDlg::OnOpen);
    connect(save, &QPushButton::clicked, this, &CDebugDlg::OnSave);
    connect(soh, &QPushButton::clicked, this, [this] { m_editor->InsertByte(0x01); });
    connect(stx, &QPushButton::clicked, this, [this] { m_editor->InsertByte(0x02); });
    connect(m_editorHex, &QCheckBox::toggled, this, &CDebugDlg::OnEditorHex);
    connect(m_editor, &QTabWidget::currentChanged, this, &CDebugDlg::ShowCurrentTabView);
    connect(m_send, &QPushButton::clicked, this, [this] { SendOnce(); });
    connect(m_timedSend, &QCheckBox::toggled, this, &CDebugDlg::OnTimedSend);
}

void CDebugDlg::BuildReplyGroup(QWidget* group) {
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(8, 4, 8, 6);
    layout->setSpacing(4);

    m_reply = AddControl(IDC_REPLY, new QPlainTextEdit(group));
    m_reply->setReadOnly(true);
    m_reply->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_reply->setFont(QFont(QString::fromUtf8(CScintillaWnd::EditorFontName())));
    layout->addWidget(m_reply, 1);

    auto* row = Row();
    m_replyHex = AddControl(IDC_REPLY_HEX, new QCheckBox(QStringLiteral("Hex"), group));
    auto* save = AddControl(IDC_REPLY_SAVE, new QPushButton(QStringLiteral("Save"), group));
    auto* clear = AddControl(IDC_REPLY_CLEAR, new QPushButton(QStringLiteral("Clear"), group));
    auto* receivedLabel = AddControl(IDC_RECEIVED_LABEL, new QLabel(QStringLiteral("Received:"), group));
    m_receivedCount = AddNumberField(IDC_RECEIVED_COUNT, group, 0, 0, true);
    row->addWidget(m_replyHex);
    row->addSpacing(6);
    row->addWidget(save);
    row->addWidget(clear);
    row->addStretch(1);
    row->addWidget(receivedLabel);
    row->addWidget(m_receivedCount);
    row->addWidget(AddResetButton(IDC_RECEIVED_RESET, m_receivedCount, group));
    layout->addLayout(row);

    connect(m_replyHex, &QCheckBox::toggled, this, &CDebugDlg::OnReplyHex);
    connect(save, &QPushButton::clicked, this, &CDebugDlg::OnReplySave);
    connect(clear, &QPushButton::clicked, this, [this] {
        m_replyText.clear();
        ShowReply();
    });
}

void CDebugDlg::BuildFileGroup(QWidget* group) {
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(8, 4, 8, 6);
    layout->setSpacing(4);

    auto* chooser = Row();
    m_filePath = AddControl(IDC_FILE_PATH, new QLineEdit(group));
    m_filePath->setReadOnly(true);
    auto* browse = AddControl(IDC_BROWSE, new QPushButton(QStringLiteral("Browse..."), group));
    chooser->addWidget(m_filePath, 1);
    chooser->addWidget(browse);
    layout->addLayout(chooser);

    auto* row = Row();
    auto* intervalLabel = AddControl(IDC_FILE_INTERVAL_LABEL, new QLabel(QStringLiteral("Interval:"), group));
    m_fileInterval = AddNumberField(IDC_FILE_INTERVAL, group, kDefaultIntervalMs, kMinIntervalMs, false);
    auto* unit = AddControl(IDC_FILE_UNIT, new QLabel(QStringLiteral("ms"), group));
    m_fileSendButton = AddControl(IDC_FILE_SEND, new QPushButton(QStringLiteral("File Send"), group));
    m_stop = AddControl(IDC_STOP, new QPushButton(QStringLiteral("Stop"), group));
    auto* countLabel = AddControl(IDC_FILE_COUNT_LABEL, new QLabel(QStringLiteral("Files sent:"), group));
    m_fileCount = AddNumberField(IDC_FILE_COUNT, group, 0, 0, true);
    row->addWidget(intervalLabel);
    row->addWidget(m_fileInterval);
    row->addWidget(unit);
    row->addSpacing(6);
    row->addWidget(m_fileSendButton);
    row->addWidget(m_stop);
    row->addStretch(1);
    row->addWidget(countLabel);
    row->addWidget(m_fileCount);
    row->addWidget(AddResetButton(IDC_FILE_RESET, m_fileCount, group));
    layout->addLayout(row);

    connect(browse, &QPushButton::clicked, this, &CDebugDlg::OnBrowse);
    connect(m_fileSendButton, &QPushButton::clicked, this, &CDebugDlg::OnFileSend);
    connect(m_stop, &QPushButton::clicked, this, [this] { m_fileSend.RequestStop(); });
}

void CDebugDlg::OnOpen() {
    const QString path = AskOpenFileName(this, TextFilter(), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    QString why;
    if (!ReadFileToSend(path, bytes, why)) {
        ShowMessage(GetMessageText("OpenFileFail", ReadLanguage()) + QLatin1Char('\n') +
                        QDir::toNativeSeparators(path),
                    MessageIcon::Warning, this);
        return;
    }
    m_editor->AddDocument(QFileInfo(path).fileName(), bytes);
}

void CDebugDlg::OnSave() {
    const QString path = AskSaveFileName(this, TextFilter(), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    if (!WriteFileAtomically(path, SaveBytes(m_editor->CurrentBytes(), m_editor->CurrentIsHexView())))
        ShowMessageKey("SaveFileFail", ReadLanguage(), this, MessageIcon::Warning);
}

void CDebugDlg::OnEditorHex(bool hexView) {
    m_editor->SetCurrentHexView(hexView);
}

void CDebugDlg::ShowCurrentTabView() {
    const QSignalBlocker quiet(m_editorHex);
    m_editorHex->setChecked(m_editor->CurrentIsHexView());
}

bool CDebugDlg::SendOnce() {
    const QByteArray content = m_editor->CurrentBytes();
    const QByteArray bytes =
        m_editor->CurrentIsHexView() ? HexViewToBytes(content) : TextViewToBytes(content);
    const tagPORTINFO port = ReadPortInfo();
    const std::atomic<bool>* cancel = &m_cancelExchange;
    const bool started =
        m_task.Start([port, bytes, cancel] { return RunDebugExchange(port, bytes, {}, cancel); },
                     [this](const DebugReply& reply) { ExchangeFinished(reply); });
    UpdateButtons();
    return started;
}

void CDebugDlg::ExchangeFinished(const DebugReply& reply) {
    // A failed exchange ends without a message (the timer may repeat it many times a second);
    // whatever came before the failure is still shown.
    AddToCount(m_sentCount, reply.sent);
    const QString text = QString::fromLocal8Bit(reply.bytes);
    AddToCount(m_receivedCount, text.size());
    m_replyText = m_replyHex->isChecked() ? PrependReplyHex(reply.bytes, m_replyText)
                                          : PrependReplyText(text, m_replyText);
    ShowReply();
    UpdateButtons();
}

void CDebugDlg::OnTimedSend(bool on) {
    if (on) {
        m_timerInterval->CommitText();
        m_timer.start(std::clamp(m_timerInterval->GetValue(), kMinIntervalMs, kMaxIntervalMs));
    } else {
        m_timer.stop();
    }
    UpdateButtons();
}

void CDebugDlg::OnTimerTick() {
    // A tick that comes while the previous exchange still runs is skipped.
    if (!m_task.IsBusy())
        SendOnce();
}

void CDebugDlg::OnReplyHex(bool hexView) {
    m_replyText = hexView ? ReplyTextToHex(m_replyText) : ReplyHexToText(m_replyText);
    ShowReply();
}

void CDebugDlg::OnReplySave() {
    const QString path = AskSaveFileName(this, TextFilter(), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    if (!WriteFileAtomically(path, SaveBytes(m_replyText.toLocal8Bit(), m_replyHex->isChecked())))
        ShowMessageKey("SaveFileFail", ReadLanguage(), this, MessageIcon::Warning);
}

void CDebugDlg::ShowReply() {
    QString shown = m_replyText;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_reply->setPlainText(shown);
}

void CDebugDlg::OnBrowse() {
    const QString path =
        AskOpenFileName(this, FileFilter(QStringLiteral("All Files (*.*)"), QStringLiteral("*.*")));
    if (path.isEmpty())
        return;
    m_sendPath = path;
    m_filePath->setText(QDir::toNativeSeparators(path));
    UpdateButtons();
}

void CDebugDlg::OnFileSend() {
    if (m_sendPath.isEmpty())
        return;
    m_fileInterval->CommitText();
    const int interval = std::clamp(m_fileInterval->GetValue(), kMinIntervalMs, kMaxIntervalMs);
    m_fileSend.Start(m_sendPath, interval, ReadPortInfo());
    UpdateButtons();
}

void CDebugDlg::OnFileSendFinished(CRepeatedFileSend::Outcome outcome, int code) {
    UpdateButtons();
    const int language = ReadLanguage();
    if (outcome == CRepeatedFileSend::Outcome::CommunicationFailed)
        ShowCommError(code, language, this);
    else if (outcome == CRepeatedFileSend::Outcome::FileUnreadable)
        ShowMessage(GetMessageText("OpenFileFail", language) + QLatin1Char('\n') +
                        QDir::toNativeSeparators(m_sendPath),
                    MessageIcon::Warning, this);
}

void CDebugDlg::UpdateButtons() {
    const bool timed = m_timedSend->isChecked();
    m_new->setEnabled(!timed);
    m_close->setEnabled(!timed);
    m_open->setEnabled(!timed);
    m_send->setEnabled(!timed && !m_task.IsBusy());
    const bool sending = m_fileSend.IsRunning();
    m_fileSendButton->setEnabled(!sending && !m_sendPath.isEmpty());
    m_stop->setEnabled(sending);
}

void CDebugDlg::AddToCount(CPaperNunberEditEx* field, qsizetype amount) {
    if (amount <= 0)
        return;
    field->SetValue(int(std::min<qsizetype>(qsizetype(field->GetValue()) + amount, kCountMaximum)));
}

} // namespace quillory
