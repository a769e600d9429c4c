#pragma once

#include "app/AppSettings.h"
#include "port/Communication.h"
#include "port/PortInfo.h"
#include "support/TestEnvironment.h"
#include "support/UiWait.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QSemaphore>
#include <QString>
#include <QTcpServer>
#include <QWidget>

#include <functional>

namespace quillory::test {

// A loopback port on which nobody listens.
inline std::uint16_t DeadPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// A connection whose Write waits until the test releases it, to catch an exchange in flight.
class HeldConnection final : public CCommunicationProtocol {
public:
    explicit HeldConnection(QSemaphore& release) : m_release(release) {}
    void Open(tagPORTINFO) override {}
    void Read(std::uint8_t*, int, int* count) override { *count = 0; }
    void Write(const std::uint8_t*, int length, int* count) override {
        m_release.acquire();
        *count = length;
    }
    void SetTimeouts(int, int) override {}
    void Close() override {}

private:
    QSemaphore& m_release;
};

inline bool SaveShot(QWidget& widget, const QString& name) {
    QCoreApplication::processEvents();
    const QPixmap shot = widget.grab();
    return !shot.isNull() && shot.save(ScreenshotFolder() + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace quillory::test
