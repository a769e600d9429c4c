#include "sim/PtyPort.h"

#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace quillory::sim {
namespace {
// How often the line is looked at while no client holds it; well inside the 30 ms that clients
// wait for a reply.
constexpr int kWatchIntervalMs = 5;
} // namespace

PtyPort::PtyPort(QObject* parent) : QObject(parent) {}

PtyPort::~PtyPort() {
    Close();
}

bool PtyPort::Open() {
    Close();
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0)
        return false;
    char name[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        ::close(master);
        return false;
    }
    m_master = master;
    m_slavePath = QString::fromLocal8Bit(name);
    MakeRaw();
    // A slave that was never opened does not read as hung up; one opened and closed does, until
    // the next client opens it. So the watch below tells "no client yet" from "a client".
    DiscardUnread();

    m_watch = new QTimer(this);
    m_watch->setTimerType(Qt::PreciseTimer);
    m_watch->setInterval(kWatchIntervalMs);
    connect(m_watch, &QTimer::timeout, this, &PtyPort::CheckForClient);
    m_watch->start();
    return true;
}

void PtyPort::Close() {
    delete m_watch;
    m_watch = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    m_slavePath.clear();
}

void PtyPort::MakeRaw() {
    // The line settings belong to the terminal, not to one open of it: a client may leave echo or
    // line editing on, which would turn the printer's replies into its input.
    termios settings{};
    if (tcgetattr(m_master, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(m_master, TCSANOW, &settings);
    }
}

void PtyPort::HangUp() {
    if (m_master < 0)
        return;
    DiscardUnread();
    MakeRaw();
    m_watch->start();
}

void PtyPort::DiscardUnread() {
    // Replies the last client left unread wait in the slave's input queue (and in the master's
    // output) and must not greet the next client. Opening the slave for a moment reaches them.
    tcflush(m_master, TCOFLUSH);
    const int slave =
        ::open(m_slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0) {
        tcflush(slave, TCIFLUSH);
        ::close(slave);
    }
}

void PtyPort::CheckForClient() {
    pollfd fd{m_master, POLLIN, 0};
    if (::poll(&fd, 1, 0) < 0)
        return;
    // Data may have come from a client that opened, wrote and closed between two looks.
    if ((fd.revents & POLLHUP) && !(fd.revents & POLLIN))
        return;
    m_watch->stop();
    emit ClientArrived();
}

} // namespace quillory::sim
