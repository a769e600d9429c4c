#pragma once

#include <QObject>
#include <QString>

class QTimer;

namespace quillory::sim {

// The printer's serial side: the master of a pseudo-terminal whose slave a client opens like a
// serial port, as often as it likes. The port watches the line for a client and says when one has
// come; the printer then talks to it over MasterFd() until it leaves, and calls HangUp. While no
// client holds the slave nothing is read or sent (nobody listens on a serial line).
class PtyPort : public QObject {
    Q_OBJECT
public:
    explicit PtyPort(QObject* parent = nullptr);
    ~PtyPort() override;

    // Opens the pseudo-terminal in raw mode and starts watching; false when the system refuses one.
    bool Open();
    void Close();
    [[nodiscard]] QString SlavePath() const { return m_slavePath; }
    // Non-blocking; owned by the port.
    [[nodiscard]] int MasterFd() const { return m_master; }

    // The client has left: what it left unread is dropped and the line is watched for the next.
    void HangUp();

signals:
    // A client holds the slave (or has written to it and left): read it.
    void ClientArrived();

private:
    void DiscardUnread();
    void CheckForClient();
    void MakeRaw();

    int m_master = -1;
    QString m_slavePath;
    QTimer* m_watch = nullptr;
};

} // namespace quillory::sim
