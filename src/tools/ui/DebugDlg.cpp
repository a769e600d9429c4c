#include "tools/ui/DebugDlg.h"

#include "app/AppSettings.h"
#include "app/AtomicFile.h"
#include "app/LanguageTexts.h"
#include "app/ui/Activity.h"
#include "app/ui/FileDialogs.h"
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
#include <QTextBlock>
#include <QTextCursor>
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

QString PathAndWhy(const QString& path, const QString& why) {
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + why;
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
    // The replies take the height the editor leaves free.
    page->addWidget(editorGroup, 4);
    page->addWidget(replyGroup, 5);
    page->addWidget(fileGroup, 0);

    m_editor->AddNewDocument();
    connect(&m_timer, &QTimer::timeout, this, &CDebugDlg::OnTimerTick);
    connect(&m_fileSend, &CRepeatedFileSend::sent, this, [this] {
        AddToCount(m_fileCount, 1);
        ++m_fileSends;
        LogTrafficNote(QStringLiteral("%1  (%2, %3)")
                           .arg(QFileInfo(m_sendPath).size())
                           .arg(QFileInfo(m_sendPath).fileName())
                           .arg(m_fileSends));
    });
    connect(&m_fileSend, &CRepeatedFileSend::finished, this, &CDebugDlg::OnFileSendFinished);
    UpdateButtons();
}

CDebugDlg::~CDebugDlg() {
    // The members then wait for their workers: the exchange ends its collection at once and the
    // file send after its current write.
    m_timer.stop();
    m_cancelExchange = true;
    m_fileSend.RequestStop();
    m_traffic.Close();
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
    m_timeStamps = AddControl(IDC_TIME_STAMPS, new QCheckBox(QStringLiteral("Time"), group));
    auto* save = AddControl(IDC_REPLY_SAVE, new QPushButton(QStringLiteral("Save"), group));
    auto* clear = AddControl(IDC_REPLY_CLEAR, new QPushButton(QStringLiteral("Clear"), group));
    m_trafficLog = AddControl(IDC_TRAFFIC_LOG, new QCheckBox(QStringLiteral("Log to file"), group));
    auto* receivedLabel = AddControl(IDC_RECEIVED_LABEL, new QLabel(QStringLiteral("Received:"), group));
    m_receivedCount = AddNumberField(IDC_RECEIVED_COUNT, group, 0, 0, true);
    row->addWidget(m_replyHex);
    row->addWidget(m_timeStamps);
    row->addSpacing(6);
    row->addWidget(save);
    row->addWidget(clear);
    row->addSpacing(6);
    row->addWidget(m_trafficLog);
    row->addStretch(1);
    row->addWidget(receivedLabel);
    row->addWidget(m_receivedCount);
    row->addWidget(AddResetButton(IDC_RECEIVED_RESET, m_receivedCount, group));
    layout->addLayout(row);

    connect(m_replyHex, &QCheckBox::toggled, this, &CDebugDlg::ShowReplies);
    connect(m_timeStamps, &QCheckBox::toggled, this, &CDebugDlg::ShowReplies);
    connect(m_trafficLog, &QCheckBox::clicked, this, &CDebugDlg::OnTrafficLog);
    connect(save, &QPushButton::clicked, this, &CDebugDlg::OnReplySave);
    connect(clear, &QPushButton::clicked, this, [this] {
        m_replies.Clear();
        ShowReplies();
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
    const COperation op(this, m_open);
    const QString path = AskOpenFileName(this, TextFilter(), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    QString why;
    if (!ReadFileToSend(path, bytes, why)) {
        op.Failed("OpenFileFail", ReadLanguage(), PathAndWhy(path, why));
        return;
    }
    m_editor->AddDocument(QFileInfo(path).fileName(), bytes);
    op.Succeeded("FileLoaded", ReadLanguage(), QDir::toNativeSeparators(path), Notify::LogOnly);
}

void CDebugDlg::OnSave() {
    const COperation op(this, ControlAs<QPushButton>(IDC_SAVE));
    const QString path = AskSaveFileName(this, TextFilter(), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    QString why;
    if (!WriteFileAtomically(path, SaveBytes(m_editor->CurrentBytes(), m_editor->CurrentIsHexView()), &why)) {
        op.Failed("SaveFileFail", ReadLanguage(), PathAndWhy(path, why));
        return;
    }
    op.Succeeded("SaveFileSuccess", ReadLanguage(), QDir::toNativeSeparators(path), Notify::LogOnly);
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
    const bool timed = m_timedSend->isChecked();
    const COperation op(this, timed ? static_cast<QAbstractButton*>(m_timedSend) : m_send, port);
    const std::atomic<bool>* cancel = &m_cancelExchange;
    const bool started = m_task.Start(
        [port, bytes, cancel] { return RunDebugExchange(port, bytes, {}, cancel); },
        [this, op, bytes, timed](const DebugReply& reply) { ExchangeFinished(op, bytes, reply, timed); });
    UpdateButtons();
    return started;
}

void CDebugDlg::ExchangeFinished(const COperation& op, const QByteArray& sent, const DebugReply& reply,
                                 bool timed) {
    // Whatever came before a failure is still counted and shown.
    AddToCount(m_sentCount, reply.sent);
    if (reply.sent > 0)
        LogTraffic(CTrafficLog::Direction::Sent, sent.first(std::min<qsizetype>(reply.sent, sent.size())));
    const QString text = QString::fromLocal8Bit(reply.bytes);
    AddToCount(m_receivedCount, text.size());
    if (!reply.bytes.isEmpty()) {
        LogTraffic(CTrafficLog::Direction::Received, reply.bytes);
        const QDateTime now = QDateTime::currentDateTime();
        const bool dropped = m_replies.Add(now, reply.bytes);
        AddReplyLine(m_replies.Replies().constLast(), dropped);
    }
    UpdateButtons();
    const int language = ReadLanguage();
    if (reply.code != 0) {
        // A failing timed send stops at its first failure, which is shown once.
        if (timed && m_timedSend->isChecked())
            m_timedSend->setChecked(false);
        op.CommFailed(reply.code, language);
        return;
    }
    if (timed) {
        ++m_timedExchanges;
        m_timedSent += reply.sent;
        m_timedReceived += text.size();
        return;
    }
    op.SucceededWith(GetMessageText("DebugExchangeDone", language).arg(reply.sent).arg(text.size()), {},
                     Notify::LogOnly);
}

void CDebugDlg::OnTimedSend(bool on) {
    if (on) {
        m_timedExchanges = 0;
        m_timedSent = 0;
        m_timedReceived = 0;
        m_timerInterval->CommitText();
        m_timer.start(std::clamp(m_timerInterval->GetValue(), kMinIntervalMs, kMaxIntervalMs));
    } else {
        m_timer.stop();
        EndTimedSend();
    }
    UpdateButtons();
}

void CDebugDlg::EndTimedSend() {
    // One line in the activity log for the whole run, not one for every tick.
    if (m_timedExchanges == 0)
        return;
    const int language = ReadLanguage();
    COperation(this, m_timedSend, ReadPortInfo())
        .SucceededWith(GetMessageText("TimedSendDone", language).arg(m_timedExchanges),
                       GetMessageText("DebugExchangeDone", language).arg(m_timedSent).arg(m_timedReceived),
                       Notify::LogOnly);
    m_timedExchanges = 0;
}

void CDebugDlg::OnTimerTick() {
    // A tick that comes while the previous exchange still runs is skipped.
    if (!m_task.IsBusy())
        SendOnce();
}

QString CDebugDlg::ReplyText() const {
    return m_replies.Text(m_replyHex->isChecked(), m_timeStamps->isChecked());
}

void CDebugDlg::OnReplySave() {
    const COperation op(this, ControlAs<QPushButton>(IDC_REPLY_SAVE));
    const QString path = AskSaveFileName(this, TextFilter(), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    QString why;
    if (!WriteFileAtomically(path, m_replies.SaveBytes(m_replyHex->isChecked(), m_timeStamps->isChecked()),
                             &why)) {
        op.Failed("SaveFileFail", ReadLanguage(), PathAndWhy(path, why));
        return;
    }
    op.Succeeded("SaveFileSuccess", ReadLanguage(), QDir::toNativeSeparators(path), Notify::LogOnly);
}

void CDebugDlg::ShowReplies() {
    QString text = ReplyText();
    text.chop(1);
    m_reply->setPlainText(text);
}

void CDebugDlg::AddReplyLine(const CReplyList::Reply& reply, bool dropped) {
    // The newest line goes on top; the oldest leaves at the bottom once the list is full.
    const QString line = CReplyList::Line(reply, m_replyHex->isChecked(), m_timeStamps->isChecked());
    QTextDocument* document = m_reply->document();
    if (m_replies.Count() == 1) {
        m_reply->setPlainText(line);
        return;
    }
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(line + QLatin1Char('\n'));
    if (dropped) {
        QTextCursor last(document->lastBlock());
        last.movePosition(QTextCursor::StartOfBlock);
        last.movePosition(QTextCursor::PreviousCharacter, QTextCursor::MoveAnchor);
        last.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        last.removeSelectedText();
    }
}

void CDebugDlg::OnTrafficLog(bool on) {
    if (!on) {
        m_traffic.Close();
        m_trafficLog->setToolTip(QString());
        return;
    }
    const COperation op(this, m_trafficLog);
    const QString path =
        AskSaveFileName(this, FileFilter(QStringLiteral("Log Files (*.log)"), QStringLiteral("*.log")),
                        QStringLiteral("log"));
    QString why;
    if (path.isEmpty() || !m_traffic.Open(path, why)) {
        m_trafficLog->setChecked(false);
        if (!path.isEmpty())
            op.Failed("CreateFileError", ReadLanguage(), PathAndWhy(path, why));
        return;
    }
    m_trafficLog->setToolTip(QDir::toNativeSeparators(path));
    op.Succeeded("TrafficLogOn", ReadLanguage(), QDir::toNativeSeparators(path), Notify::LogOnly);
}

void CDebugDlg::LogTraffic(CTrafficLog::Direction direction, const QByteArray& bytes) {
    QString why;
    if (m_traffic.IsOpen() && !m_traffic.Write(QDateTime::currentDateTime(), direction, bytes, why))
        StopTrafficLog(why);
}

void CDebugDlg::LogTrafficNote(const QString& note) {
    QString why;
    if (m_traffic.IsOpen() &&
        !m_traffic.WriteNote(QDateTime::currentDateTime(), CTrafficLog::Direction::Sent, note, why))
        StopTrafficLog(why);
}

void CDebugDlg::StopTrafficLog(const QString& why) {
    // A log that cannot be written is said once and ends; the terminal goes on without it.
    const QString path = m_traffic.Path();
    m_traffic.Close();
    m_trafficLog->setChecked(false);
    m_trafficLog->setToolTip(QString());
    COperation(this, m_trafficLog).Failed("SaveFileFail", ReadLanguage(), PathAndWhy(path, why));
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
    m_fileSends = 0;
    m_fileSend.Start(m_sendPath, interval, ReadPortInfo());
    UpdateButtons();
}

void CDebugDlg::OnFileSendFinished(CRepeatedFileSend::Outcome outcome, int code, const QString& detail) {
    UpdateButtons();
    const int language = ReadLanguage();
    const COperation op(this, m_fileSendButton, ReadPortInfo());
    switch (outcome) {
    case CRepeatedFileSend::Outcome::CommunicationFailed:
        op.CommFailed(code, language, detail);
        break;
    case CRepeatedFileSend::Outcome::FileUnreadable:
        op.Failed("OpenFileFail", language, PathAndWhy(m_sendPath, detail));
        break;
    case CRepeatedFileSend::Outcome::Stopped:
        op.SucceededWith(GetMessageText("RepeatSendDone", language).arg(m_fileSends),
                         QDir::toNativeSeparators(m_sendPath), Notify::LogOnly);
        break;
    }
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
