#pragma once

#include "app/AppSettings.h"
#include "port/PortInfo.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdint>
#include <functional>

namespace quillory::test {

// Runs the event loop until condition holds or ms ran out; returns the condition.
inline bool WaitUntil(const std::function<bool()>& condition, int ms = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return condition();
}

// Saves 127.0.0.1:port as the current network port and, when given, the command language.
inline void UseLoopbackPrinter(std::uint16_t port, int instruction = -1) {
    InitUserSettings();
    tagPORTINFO info = MakePortInfo(PORT_NET);
    SetPortText(info.netAddress, QStringLiteral("127.0.0.1"));
    info.netPort = port;
    WritePortInfo(info);
    if (instruction >= 0)
        WriteInstruction(instruction);
}

} // namespace quillory::test
