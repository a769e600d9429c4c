#pragma once

#include "sim/CommandStream.h"
#include "sim/PrinterModel.h"
#include "sim/VirtualPrinter.h"

#include <QFile>
#include <QMutex>
#include <QWaitCondition>

#include <atomic>
#include <chrono>

namespace quillory::sim {

// What the printer's thread and the callers of VirtualPrinter share; every member is guarded by
// mutex, except the atomics: faultsRevision grows with every change of faults so that a link can
// see without locking that its copy is still current.
struct SharedState {
    explicit SharedState(int instructionIndex) : model(instructionIndex) {}

    // Logs bytes of one connection and runs them through its command stream; returns the replies.
    Replies Receive(CommandStream& stream, QByteArrayView bytes);
    // Ends a connection's stream.
    void Finish(CommandStream& stream);
    // Sets the faults; a link takes them at its next step.
    void SetFaults(const Faults& newFaults);
    // Saves the model to the attached file when it changed since the last save. Lock held.
    void SaveIfChanged();

    mutable QMutex mutex;
    QWaitCondition received;
    PrinterModel model;
    QByteArray log;
    bool keepLog = true;
    qint64 logged = 0; // bytes received since the last ClearLog, kept or not
    std::chrono::steady_clock::time_point lastReceived{}; // when the latest of them arrived
    QFile logFile;
    Faults faults;
    std::atomic<std::uint64_t> faultsRevision{0};
    std::atomic<bool> ptyClientPresent{false};
    QString eepromPath;
    std::uint64_t savedRevision = 0;
    int connections = 0;
};

} // namespace quillory::sim
