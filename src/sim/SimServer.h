#pragma once

#include "sim/SharedState.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <memory>

class QTcpServer;
class QTcpSocket;
class QUdpSocket;

namespace quillory::sim {

class PtyPort;

// The printer's listeners and connections. Lives on the printer's own thread; every method runs
// there.
class SimServer : public QObject {
    Q_OBJECT
public:
    explicit SimServer(SharedState& state);
    ~SimServer() override;

    bool StartTcp(std::uint16_t port);
    [[nodiscard]] std::uint16_t TcpPort() const { return m_tcpPort; }
    QString StartPty();
    std::uint16_t StartSearch(std::uint16_t port);
    void StopAll();

private:
    struct Connection;
    void Accept();
    void OnSocketData(Connection* connection);
    void OnSocketGone(Connection* connection);
    void OnPtyData(const QByteArray& bytes);
    void OnSearchProbe();
    // Sends replies through write (bound to context's lifetime), as the faults of the moment say.
    void SendReplies(QObject* context, const std::function<void(const QByteArray&)>& write,
                     const Replies& replies, const Faults& faults);
    Faults CurrentFaults() const;

    SharedState& m_state;
    QTcpServer* m_tcp = nullptr;
    std::uint16_t m_tcpPort = 0;
    std::vector<std::unique_ptr<Connection>> m_connections;
    PtyPort* m_pty = nullptr;
    std::unique_ptr<CommandStream> m_ptyStream;
    QUdpSocket* m_udp = nullptr;
};

} // namespace quillory::sim
