#pragma once

#include "sim/CommandStream.h"
#include "sim/PrinterModel.h"
#include "sim/VirtualPrinter.h"

#include <QFile>
#include <QMutex>
#include <QWaitCondition>

namespace quillory::sim {

// What the printer's thread and the callers of VirtualPrinter share; every member is guarded by
// mutex.
struct SharedState {
    explicit SharedState(int instructionIndex) : model(instructionIndex) {}

    // Logs bytes of one connection and runs them through its command stream; returns the replies.
    Replies Receive(CommandStream& stream, QByteArrayView bytes);
    // Ends a connection's stream.
    void Finish(CommandStream& stream);
    // Saves the model to the attached file when it changed since the last save. Lock held.
    void SaveIfChanged();

    mutable QMutex mutex;
    QWaitCondition received;
    PrinterModel model;
    QByteArray log;
    QFile logFile;
    Faults faults;
    QString eepromPath;
    std::uint64_t savedRevision = 0;
    int connections = 0;
};

} // namespace quillory::sim
