#pragma once

#include "port/Communication.h"

#include <QByteArrayView>
#include <QString>

#include <memory>

namespace quillory {

// Watches every connection the factories create while it is installed: what was sent, what came
// back, and when a port was opened or closed. The command line's --trace and its progress lines
// are watchers. Calls come from the thread that uses the connection.
class ConnectionWatcher {
public:
    virtual ~ConnectionWatcher();
    virtual void Opened(const tagPORTINFO& port) = 0;
    virtual void Sent(QByteArrayView bytes) = 0;
    virtual void Received(QByteArrayView bytes) = 0;
    // Bytes that had arrived and were dropped without being looked at.
    virtual void Discarded(qint64 count) = 0;
    virtual void Closed() = 0;
    // An operation of the connection failed (open, read, write ...) with this exception.
    virtual void Failed(const char* operation, const CommunicationException& error) = 0;
};

// Installs watcher for every connection created from now on (nullptr: none). Thread-safe;
// connections already created keep the watcher they were created with.
void SetConnectionWatcher(std::shared_ptr<ConnectionWatcher> watcher);
[[nodiscard]] std::shared_ptr<ConnectionWatcher> CurrentConnectionWatcher();

// The connection inner, with every exchange reported to watcher.
[[nodiscard]] std::unique_ptr<CCommunicationProtocol>
WatchConnection(std::unique_ptr<CCommunicationProtocol> inner, std::shared_ptr<ConnectionWatcher> watcher);

} // namespace quillory
