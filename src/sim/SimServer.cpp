#include "sim/SimServer.h"

#include "sim/ClientLink.h"
#include "sim/PtyPort.h"
#include "sim/SearchReply.h"
#include "sim/SimLog.h"

#include <QNetworkDatagram>
#include <QTcpServer>
#include <QUdpSocket>

#include <algorithm>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <unistd.h>

namespace quillory::sim {
namespace {

constexpr qint64 kMaxProbeBytes = 4096;

// Hands each accepted connection over as a bare descriptor: the printer reads it at its own pace,
// which a socket object that reads everything into memory would not allow.
class TcpListener : public QTcpServer {
public:
    TcpListener(std::function<void(qintptr)> accept, QObject* parent)
        : QTcpServer(parent), m_accept(std::move(accept)) {}

protected:
    void incomingConnection(qintptr descriptor) override { m_accept(descriptor); }

private:
    std::function<void(qintptr)> m_accept;
};

} // namespace

SimServer::SimServer(SharedState& state) : m_state(state) {}

SimServer::~SimServer() {
    StopAll();
}

bool SimServer::StartTcp(std::uint16_t port) {
    delete m_tcp;
    m_tcpPort = 0;
    m_tcp = new TcpListener([this](qintptr descriptor) { Accept(descriptor); }, this);
    if (!m_tcp->listen(QHostAddress::LocalHost, port)) {
        qCWarning(lcSim) << "cannot listen on 127.0.0.1:" << port << m_tcp->errorString();
        delete m_tcp;
        m_tcp = nullptr;
        return false;
    }
    m_tcpPort = m_tcp->serverPort();
    return true;
}

void SimServer::Accept(qintptr descriptor) {
    const int fd = int(descriptor);
    bool refuse = false;
    {
        QMutexLocker lock(&m_state.mutex);
        refuse = m_state.faults.refuseConnections;
        if (!refuse)
            ++m_state.connections;
    }
    if (refuse) {
        ::close(fd);
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    // Bytes leave as the printer sends them, as on a serial line, not gathered by Nagle.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // The link outlives a restart of the listener.
    auto* link = new ClientLink(
        fd, ClientLink::Kind::Tcp, m_state, [this](ClientLink* gone) { LinkGone(gone); }, this);
    m_links.push_back(link);
    link->Start();
}

void SimServer::FaultsChanged() {
    const std::vector<ClientLink*> links = m_links; // a link may end while it steps
    for (ClientLink* link : links) {
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end())
            link->Poke();
    }
}

void SimServer::LinkGone(ClientLink* link) {
    if (link == m_ptyLink) {
        m_ptyLink = nullptr;
        m_state.ptyClientPresent = false;
        if (m_pty)
            m_pty->HangUp();
    }
    m_links.erase(std::remove(m_links.begin(), m_links.end(), link), m_links.end());
    link->deleteLater();
}

QString SimServer::StartPty() {
    StopPty();
    m_pty = new PtyPort(this);
    if (!m_pty->Open()) {
        qCWarning(lcSim) << "cannot open a pseudo-terminal";
        delete m_pty;
        m_pty = nullptr;
        return {};
    }
    connect(m_pty, &PtyPort::ClientArrived, this, &SimServer::PtyClientArrived);
    return m_pty->SlavePath();
}

void SimServer::PtyClientArrived() {
    if (m_ptyLink)
        return;
    m_ptyLink = new ClientLink(
        m_pty->MasterFd(), ClientLink::Kind::Pty, m_state, [this](ClientLink* gone) { LinkGone(gone); },
        this);
    m_links.push_back(m_ptyLink);
    m_state.ptyClientPresent = true;
    m_ptyLink->Start();
}

void SimServer::StopPty() {
    if (m_ptyLink) {
        m_links.erase(std::remove(m_links.begin(), m_links.end(), m_ptyLink), m_links.end());
        delete m_ptyLink; // finishes its stream
        m_ptyLink = nullptr;
        m_state.ptyClientPresent = false;
    }
    delete m_pty;
    m_pty = nullptr;
}

std::uint16_t SimServer::StartSearch(std::uint16_t port) {
    delete m_udp;
    m_udp = new QUdpSocket(this);
    if (!m_udp->bind(QHostAddress::LocalHost, port)) {
        qCWarning(lcSim) << "cannot bind the search responder to 127.0.0.1:" << port << m_udp->errorString();
        delete m_udp;
        m_udp = nullptr;
        return 0;
    }
    connect(m_udp, &QUdpSocket::readyRead, this, &SimServer::OnSearchProbe);
    return m_udp->localPort();
}

void SimServer::OnSearchProbe() {
    while (m_udp->hasPendingDatagrams()) {
        const qint64 size = m_udp->pendingDatagramSize();
        if (size < 0 || size > kMaxProbeBytes) {
            char discard = 0;
            m_udp->readDatagram(&discard, 1);
            continue;
        }
        const QNetworkDatagram probe = m_udp->receiveDatagram(size);
        const QByteArray name = m_state.model.LanguageName();
        SearchIdentity identity;
        bool silent = false;
        {
            QMutexLocker lock(&m_state.mutex);
            silent = m_state.faults.silent;
            identity.description = m_state.model.Version();
        }
        if (identity.description.isEmpty())
            identity.description = "Quillory virtual " + name;
        identity.instanceName = "Quillory virtual " + name;
        identity.hostName = "quillory-sim.local";
        identity.tcpPort = m_tcpPort ? m_tcpPort : 9100;
        identity.txt = {"txtvers=1", "ty=Quillory virtual " + name,
                        "product=(Quillory virtual " + name + ")"};
        if (silent)
            continue;
        const QByteArray reply = AnswerSearchProbe(probe.data(), identity);
        if (!reply.isEmpty())
            m_udp->writeDatagram(reply, probe.senderAddress(), quint16(probe.senderPort()));
    }
}

void SimServer::StopAll() {
    delete m_tcp;
    m_tcp = nullptr;
    m_tcpPort = 0;
    StopPty();
    for (ClientLink* link : m_links)
        delete link; // finishes its stream and closes its socket
    m_links.clear();
    delete m_udp;
    m_udp = nullptr;
}

} // namespace quillory::sim
