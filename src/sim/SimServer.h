#pragma once

#include "sim/SharedState.h"

#include <QObject>

#include <cstdint>
#include <vector>

class QTcpServer;
class QUdpSocket;

namespace quillory::sim {

class ClientLink;
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
    // Every link takes the faults of the moment at once.
    void FaultsChanged();

private:
    void Accept(qintptr descriptor);
    void LinkGone(ClientLink* link);
    void PtyClientArrived();
    void OnSearchProbe();
    void StopPty();

    SharedState& m_state;
    QTcpServer* m_tcp = nullptr;
    std::uint16_t m_tcpPort = 0;
    std::vector<ClientLink*> m_links;
    PtyPort* m_pty = nullptr;
    ClientLink* m_ptyLink = nullptr;
    QUdpSocket* m_udp = nullptr;
};

} // namespace quillory::sim
