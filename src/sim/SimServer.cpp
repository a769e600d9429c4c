#include "sim/SimServer.h"

#include "app/AtomicFile.h"
#include "sim/PtyPort.h"
#include "sim/SearchReply.h"
#include "sim/SimLog.h"

#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>

namespace quillory::sim {
namespace {

constexpr qint64 kMaxProbeBytes = 4096;
constexpr QByteArrayView kGarbagePattern("#GARBAGE#");

// Bytes of the same length as the true reply that answer nothing: no hex digits first, no "FV".
QByteArray Garbage(qsizetype length) {
    QByteArray out;
    out.reserve(length);
    for (qsizetype i = 0; i < length; ++i)
        out += kGarbagePattern[i % kGarbagePattern.size()];
    return out;
}

} // namespace

Replies SharedState::Receive(CommandStream& stream, QByteArrayView bytes) {
    QMutexLocker lock(&mutex);
    log.append(bytes.data(), bytes.size());
    if (logFile.isOpen() && (logFile.write(bytes.data(), bytes.size()) != bytes.size() || !logFile.flush()))
        qCWarning(lcSim) << "cannot append to the log file" << logFile.fileName() << logFile.errorString();
    Replies replies;
    stream.Feed(bytes, model, replies);
    SaveIfChanged();
    received.wakeAll();
    return replies;
}

void SharedState::Finish(CommandStream& stream) {
    QMutexLocker lock(&mutex);
    stream.Finish(model);
    SaveIfChanged();
}

void SharedState::SaveIfChanged() {
    if (eepromPath.isEmpty() || model.Revision() == savedRevision)
        return;
    if (WriteFileAtomically(eepromPath, model.ImageFileBytes()))
        savedRevision = model.Revision();
    else
        qCWarning(lcSim) << "cannot save the EEPROM image to" << eepromPath;
}

struct SimServer::Connection {
    Connection(QTcpSocket* s, int instructionIndex) : socket(s), stream(instructionIndex) {}
    QTcpSocket* socket;
    CommandStream stream;
    qint64 received = 0;
};

SimServer::SimServer(SharedState& state) : m_state(state) {}

SimServer::~SimServer() {
    StopAll();
}

Faults SimServer::CurrentFaults() const {
    QMutexLocker lock(&m_state.mutex);
    return m_state.faults;
}

bool SimServer::StartTcp(std::uint16_t port) {
    delete m_tcp;
    m_tcpPort = 0;
    m_tcp = new QTcpServer(this);
    if (!m_tcp->listen(QHostAddress::LocalHost, port)) {
        qCWarning(lcSim) << "cannot listen on 127.0.0.1:" << port << m_tcp->errorString();
        delete m_tcp;
        m_tcp = nullptr;
        return false;
    }
    m_tcpPort = m_tcp->serverPort();
    connect(m_tcp, &QTcpServer::newConnection, this, &SimServer::Accept);
    return true;
}

void SimServer::Accept() {
    while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
        if (CurrentFaults().refuseConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        {
            QMutexLocker lock(&m_state.mutex);
            ++m_state.connections;
        }
        socket->setParent(this); // outlives a restart of the listener
        auto connection = std::make_unique<Connection>(socket, m_state.model.Instruction());
        Connection* raw = connection.get();
        m_connections.push_back(std::move(connection));
        connect(socket, &QTcpSocket::readyRead, this, [this, raw] { OnSocketData(raw); });
        connect(socket, &QTcpSocket::disconnected, this, [this, raw] { OnSocketGone(raw); });
        if (socket->bytesAvailable() > 0)
            OnSocketData(raw);
    }
}

void SimServer::OnSocketData(Connection* connection) {
    QByteArray data = connection->socket->readAll();
    if (data.isEmpty())
        return;
    const Faults faults = CurrentFaults();
    bool drop = false;
    if (faults.closeAfterBytes >= 0) {
        const qint64 room = std::max<qint64>(0, faults.closeAfterBytes - connection->received);
        if (data.size() >= room) {
            data.truncate(room);
            drop = true;
        }
    }
    connection->received += data.size();
    const Replies replies = m_state.Receive(connection->stream, data);
    if (drop) {
        connection->socket->disconnect(this);
        connection->socket->abort();
        OnSocketGone(connection);
        return;
    }
    QTcpSocket* socket = connection->socket;
    SendReplies(
        socket, [socket](const QByteArray& bytes) { socket->write(bytes); }, replies, faults);
}

void SimServer::OnSocketGone(Connection* connection) {
    const auto it = std::find_if(m_connections.begin(), m_connections.end(),
                                 [connection](const auto& c) { return c.get() == connection; });
    if (it == m_connections.end())
        return;
    QTcpSocket* socket = connection->socket;
    socket->disconnect(this);
    if (socket->bytesAvailable() > 0)
        m_state.Receive(connection->stream, socket->readAll());
    m_state.Finish(connection->stream);
    socket->abort();
    socket->deleteLater();
    m_connections.erase(it);
}

void SimServer::SendReplies(QObject* context, const std::function<void(const QByteArray&)>& write,
                            const Replies& replies, const Faults& faults) {
    if (faults.silent)
        return;
    for (const QByteArray& reply : replies) {
        const QByteArray bytes = faults.garbage ? Garbage(reply.size()) : reply;
        if (faults.replyDelayMs > 0)
            QTimer::singleShot(faults.replyDelayMs, Qt::PreciseTimer, context,
                               [write, bytes] { write(bytes); });
        else
            write(bytes);
    }
}

QString SimServer::StartPty() {
    delete m_pty;
    m_pty = new PtyPort(this);
    if (!m_pty->Open()) {
        qCWarning(lcSim) << "cannot open a pseudo-terminal";
        delete m_pty;
        m_pty = nullptr;
        return {};
    }
    m_ptyStream = std::make_unique<CommandStream>(m_state.model.Instruction());
    connect(m_pty, &PtyPort::Received, this, &SimServer::OnPtyData);
    connect(m_pty, &PtyPort::ClientGone, this, [this] { m_state.Finish(*m_ptyStream); });
    return m_pty->SlavePath();
}

void SimServer::OnPtyData(const QByteArray& bytes) {
    const Faults faults = CurrentFaults();
    const Replies replies = m_state.Receive(*m_ptyStream, bytes);
    PtyPort* pty = m_pty;
    SendReplies(
        pty, [pty](const QByteArray& reply) { pty->Write(reply); }, replies, faults);
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
    while (!m_connections.empty())
        OnSocketGone(m_connections.back().get());
    if (m_pty) {
        m_pty->disconnect(this);
        delete m_pty;
        m_pty = nullptr;
        if (m_ptyStream)
            m_state.Finish(*m_ptyStream);
    }
    m_ptyStream.reset();
    delete m_udp;
    m_udp = nullptr;
}

} // namespace quillory::sim
