#include "sim/VirtualPrinter.h"

#include "app/AtomicFile.h"
#include "sim/SharedState.h"
#include "sim/SimLog.h"
#include "sim/SimServer.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

namespace quillory::sim {

Q_LOGGING_CATEGORY(lcSim, "quillory.sim")

struct VirtualPrinter::Impl {
    explicit Impl(int instructionIndex) : state(instructionIndex) {}

    // Runs work on the printer's thread and waits for it.
    template <typename Work>
    void Run(Work work) {
        if (QThread::currentThread() == &thread)
            work();
        else
            QMetaObject::invokeMethod(server, work, Qt::BlockingQueuedConnection);
    }

    SharedState state;
    QThread thread;
    SimServer* server = nullptr;
};

VirtualPrinter::VirtualPrinter(int instructionIndex) : m_impl(std::make_unique<Impl>(instructionIndex)) {
    m_impl->thread.setObjectName(QStringLiteral("virtual printer"));
    m_impl->server = new SimServer(m_impl->state);
    m_impl->server->moveToThread(&m_impl->thread);
    m_impl->thread.start();
}

VirtualPrinter::~VirtualPrinter() {
    Stop();
    // The server goes with its thread, after the thread's last event.
    QObject::connect(&m_impl->thread, &QThread::finished, m_impl->server, &QObject::deleteLater);
    m_impl->thread.quit();
    m_impl->thread.wait();
}

bool VirtualPrinter::StartTcp(std::uint16_t port) {
    bool ok = false;
    m_impl->Run([&] { ok = m_impl->server->StartTcp(port); });
    return ok;
}

std::uint16_t VirtualPrinter::TcpPort() const {
    std::uint16_t port = 0;
    m_impl->Run([&] { port = m_impl->server->TcpPort(); });
    return port;
}

QString VirtualPrinter::StartPty() {
    QString path;
    m_impl->Run([&] { path = m_impl->server->StartPty(); });
    return path;
}

std::uint16_t VirtualPrinter::StartSearchResponder(std::uint16_t port) {
    std::uint16_t bound = 0;
    m_impl->Run([&] { bound = m_impl->server->StartSearch(port); });
    return bound;
}

void VirtualPrinter::Stop() {
    m_impl->Run([&] { m_impl->server->StopAll(); });
}

int VirtualPrinter::InstructionIndex() const {
    return m_impl->state.model.Instruction();
}

QByteArray VirtualPrinter::ReceivedBytes() const {
    QMutexLocker lock(&m_impl->state.mutex);
    return m_impl->state.log;
}

void VirtualPrinter::ClearLog() {
    QMutexLocker lock(&m_impl->state.mutex);
    m_impl->state.log.clear();
    m_impl->state.logged = 0;
    m_impl->state.lastReceived = {};
    m_impl->state.model.ClearActions();
}

bool VirtualPrinter::WaitForBytes(qsizetype count, int timeoutMs) const {
    SharedState& state = m_impl->state;
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker lock(&state.mutex);
    while (state.logged < count) {
        if (!state.received.wait(&state.mutex, deadline))
            return state.logged >= count;
    }
    return true;
}

std::chrono::steady_clock::time_point VirtualPrinter::LastReceivedAt() const {
    QMutexLocker lock(&m_impl->state.mutex);
    return m_impl->state.lastReceived;
}

void VirtualPrinter::SetLogInMemory(bool keep) {
    QMutexLocker lock(&m_impl->state.mutex);
    m_impl->state.keepLog = keep;
    if (!keep)
        m_impl->state.log.clear();
}

void VirtualPrinter::SetLogFile(const QString& path) {
    QMutexLocker lock(&m_impl->state.mutex);
    QFile& file = m_impl->state.logFile;
    file.close();
    if (path.isEmpty())
        return;
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        qCWarning(lcSim) << "cannot open the log file" << path << file.errorString();
}

QStringList VirtualPrinter::Actions() const {
    QMutexLocker lock(&m_impl->state.mutex);
    return m_impl->state.model.Actions();
}

int VirtualPrinter::ConnectionCount() const {
    QMutexLocker lock(&m_impl->state.mutex);
    return m_impl->state.connections;
}

bool VirtualPrinter::PtyClientPresent() const {
    return m_impl->state.ptyClientPresent;
}

void VirtualPrinter::SetFaults(const Faults& faults) {
    m_impl->state.SetFaults(faults);
    SimServer* server = m_impl->server;
    QMetaObject::invokeMethod(
        server, [server] { server->FaultsChanged(); }, Qt::QueuedConnection);
}

Faults VirtualPrinter::CurrentFaults() const {
    QMutexLocker lock(&m_impl->state.mutex);
    return m_impl->state.faults;
}

std::uint16_t VirtualPrinter::EepromWord(int address) const {
    QMutexLocker lock(&m_impl->state.mutex);
    return m_impl->state.model.Word(address);
}

void VirtualPrinter::SetEepromWord(int address, std::uint16_t value) {
    QMutexLocker lock(&m_impl->state.mutex);
    m_impl->state.model.SetWord(address, value);
    m_impl->state.SaveIfChanged();
}

bool VirtualPrinter::AttachEepromFile(const QString& path) {
    SharedState& state = m_impl->state;
    QMutexLocker lock(&state.mutex);
    state.eepromPath.clear();
    if (QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            qCWarning(lcSim) << "cannot read the EEPROM image" << path << file.errorString();
            return false;
        }
        // The image file holds the printer's own write commands: loading it is receiving it.
        CommandStream stream(state.model.Instruction());
        Replies unused;
        stream.Feed(file.readAll(), state.model, unused);
        stream.Finish(state.model);
        if (file.error() != QFileDevice::NoError)
            return false;
        state.eepromPath = path;
        state.savedRevision = state.model.Revision();
        return true;
    }
    if (!WriteFileAtomically(path, state.model.ImageFileBytes())) {
        qCWarning(lcSim) << "cannot create the EEPROM image" << path;
        return false;
    }
    state.eepromPath = path;
    state.savedRevision = state.model.Revision();
    return true;
}

QByteArray VirtualPrinter::VersionText() const {
    QMutexLocker lock(&m_impl->state.mutex);
    return m_impl->state.model.Version();
}

void VirtualPrinter::SetVersionText(const QByteArray& text) {
    QMutexLocker lock(&m_impl->state.mutex);
    m_impl->state.model.SetVersion(text);
}

QByteArray VirtualPrinter::IdText() const {
    QMutexLocker lock(&m_impl->state.mutex);
    return m_impl->state.model.IdText();
}

void VirtualPrinter::SetIdText(const QByteArray& text) {
    QMutexLocker lock(&m_impl->state.mutex);
    m_impl->state.model.SetIdText(text);
    m_impl->state.SaveIfChanged();
}

QByteArray VirtualPrinter::IniText(const QByteArray& key) const {
    QMutexLocker lock(&m_impl->state.mutex);
    return m_impl->state.model.IniText(PrinterModel::IniIndex(key));
}

void VirtualPrinter::SetIniText(const QByteArray& key, const QByteArray& text) {
    QMutexLocker lock(&m_impl->state.mutex);
    m_impl->state.model.SetIniText(PrinterModel::IniIndex(key), text);
    m_impl->state.SaveIfChanged();
}

} // namespace quillory::sim
