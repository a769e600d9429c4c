#pragma once

#include "app/ui/BackgroundTask.h"
#include "app/ui/Page.h"
#include "tools/DebugExchange.h"
#include "tools/ui/RepeatedFileSend.h"
#include "tools/ui/ReplyList.h"
#include "tools/ui/TrafficLog.h"

#include <QTimer>

#include <atomic>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quillory {

class COperation;
class CPaperNunberEditEx;
class CTabEdit;

// Page 4, the debug terminal: raw bytes to the printer from tabbed documents (escapes or hex
// tokens), sent once, on a timer, or as a whole file sent repeatedly; the printer's replies are
// collected newest first, one a line, as text or hex, with their times if asked; the traffic can
// be written to a file as it happens.
class CDebugDlg : public CPage {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_REPLY = 1001,
        IDC_REPLY_HEX = 1002,
        IDC_REPLY_SAVE = 1003,
        IDC_REPLY_CLEAR = 1004,
        IDC_RECEIVED_COUNT = 1005,
        IDC_RECEIVED_RESET = 1006,
        IDC_RECEIVED_LABEL = 1007,
        IDC_EDITOR = 1008,
        IDC_EDITOR_HEX = 1009,
        IDC_NEW = 1010,
        IDC_CLOSE = 1011,
        IDC_OPEN = 1012,
        IDC_SAVE = 1013,
        IDC_SOH = 1014,
        IDC_STX = 1015,
        IDC_SEND = 1016,
        IDC_TIMED_SEND = 1017,
        IDC_TIMER_INTERVAL = 1018,
        IDC_TIMER_UNIT = 1019,
        IDC_SENT_COUNT = 1020,
        IDC_SENT_RESET = 1021,
        IDC_SENT_LABEL = 1022,
        IDC_BROWSE = 1023,
        IDC_FILE_PATH = 1024,
        IDC_FILE_INTERVAL = 1025,
        IDC_FILE_INTERVAL_LABEL = 1026,
        IDC_FILE_UNIT = 1027,
        IDC_FILE_COUNT = 1028,
        IDC_FILE_RESET = 1029,
        IDC_FILE_COUNT_LABEL = 1030,
        IDC_FILE_SEND = 1031,
        IDC_STOP = 1032,
        IDC_EDITOR_GROUP = 1033,
        IDC_REPLY_GROUP = 1034,
        IDC_FILE_GROUP = 1035,
        IDC_TIME_STAMPS = 1036,
        IDC_TRAFFIC_LOG = 1037,
    };
    static constexpr int kDefaultIntervalMs = 2000;
    static constexpr int kMinIntervalMs = 10;
    static constexpr int kMaxIntervalMs = 999999;

    explicit CDebugDlg(QWidget* parent = nullptr);
    ~CDebugDlg() override;

    [[nodiscard]] CTabEdit* Editor() const { return m_editor; }
    // The reply area's text as shown: one line a reply, newest first, each ended by '\n'.
    [[nodiscard]] QString ReplyText() const;
    [[nodiscard]] const CReplyList& Replies() const { return m_replies; }
    // How many replies the area keeps (tests use a small number).
    void SetReplyLimit(qsizetype limit) { m_replies.SetLimit(limit); }
    [[nodiscard]] const CTrafficLog& TrafficLog() const { return m_traffic; }
    [[nodiscard]] bool IsExchangeRunning() const { return m_task.IsBusy(); }
    [[nodiscard]] bool IsFileSendRunning() const { return m_fileSend.IsRunning(); }
    // Starts one exchange of the current tab; false while one is still running.
    bool SendOnce();

private:
    void BuildEditorGroup(QWidget* group);
    void BuildReplyGroup(QWidget* group);
    void BuildFileGroup(QWidget* group);
    CPaperNunberEditEx* AddNumberField(int id, QWidget* parent, int value, int minimum, bool readOnly);
    QPushButton* AddResetButton(int id, CPaperNunberEditEx* field, QWidget* parent);

    void OnOpen();
    void OnSave();
    void OnEditorHex(bool hexView);
    void ShowCurrentTabView();
    void OnTimedSend(bool on);
    void OnTimerTick();
    void ExchangeFinished(const COperation& op, const QByteArray& sent, const DebugReply& reply, bool timed);
    void EndTimedSend();

    void OnReplySave();
    void ShowReplies();
    void AddReplyLine(const CReplyList::Reply& reply, bool dropped);
    void OnTrafficLog(bool on);
    void LogTraffic(CTrafficLog::Direction direction, const QByteArray& bytes);
    void LogTrafficNote(const QString& note);
    void StopTrafficLog(const QString& why);

    void OnBrowse();
    void OnFileSend();
    void OnFileSendFinished(CRepeatedFileSend::Outcome outcome, int code, const QString& detail);

    void UpdateButtons();
    static void AddToCount(CPaperNunberEditEx* field, qsizetype amount);

    CTabEdit* m_editor = nullptr;
    QCheckBox* m_editorHex = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_send = nullptr;
    QCheckBox* m_timedSend = nullptr;
    CPaperNunberEditEx* m_timerInterval = nullptr;
    CPaperNunberEditEx* m_sentCount = nullptr;

    QPlainTextEdit* m_reply = nullptr;
    QCheckBox* m_replyHex = nullptr;
    QCheckBox* m_timeStamps = nullptr;
    QCheckBox* m_trafficLog = nullptr;
    CPaperNunberEditEx* m_receivedCount = nullptr;

    QLineEdit* m_filePath = nullptr;
    CPaperNunberEditEx* m_fileInterval = nullptr;
    CPaperNunberEditEx* m_fileCount = nullptr;
    QPushButton* m_fileSendButton = nullptr;
    QPushButton* m_stop = nullptr;

    CReplyList m_replies;
    CTrafficLog m_traffic;
    QString m_sendPath;
    QTimer m_timer;
    // What the timed send has done since it was switched on, for its line in the activity log.
    int m_timedExchanges = 0;
    qint64 m_timedSent = 0;
    qint64 m_timedReceived = 0;
    int m_fileSends = 0;
    // Ends a running exchange's reply collection when the page goes away.
    std::atomic<bool> m_cancelExchange{false};
    CRepeatedFileSend m_fileSend;
    CBackgroundTask m_task; // last: waits for a running exchange before anything it uses goes
};

} // namespace quillory
