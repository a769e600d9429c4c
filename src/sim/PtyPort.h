#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

namespace quillory::sim {

// The printer's serial side: the master of a pseudo-terminal whose slave a client opens like a
// serial port, as often as it likes. While no client holds the slave, replies are dropped (nobody
// listens on a serial line) and the line is watched for the next client.
class PtyPort : public QObject {
    Q_OBJECT
public:
    explicit PtyPort(QObject* parent = nullptr);
    ~PtyPort() override;

    // Opens the pseudo-terminal in raw mode; false when the system refuses one.
    bool Open();
    void Close();
    [[nodiscard]] QString SlavePath() const { return m_slavePath; }

    // Sends bytes to the client, if one is there.
    void Write(const QByteArray& bytes);

signals:
    void Received(const QByteArray& bytes);
    // The last client closed the slave.
    void ClientGone();

private:
    void ReadAvailable();
    void HangUp();
    void DiscardUnread();
    void CheckForClient();
    void Flush();
    void MakeRaw();

    int m_master = -1;
    QString m_slavePath;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer* m_watch = nullptr;
    bool m_hungUp = false;
    QByteArray m_outgoing;
};

} // namespace quillory::sim
