#include "sim/SharedState.h"

#include "app/AtomicFile.h"
#include "sim/SimLog.h"

namespace quillory::sim {
namespace {

// While a client's bytes run through the model, the words the faults protect take no writes.
class IgnoredWordsScope {
public:
    IgnoredWordsScope(PrinterModel& model, const std::vector<int>& addresses) : m_model(model) {
        std::bitset<256> words;
        for (const int address : addresses) {
            if (address >= 0 && address < int(words.size()))
                words.set(std::size_t(address));
        }
        m_model.SetIgnoredWords(words);
    }
    ~IgnoredWordsScope() { m_model.SetIgnoredWords({}); }
    IgnoredWordsScope(const IgnoredWordsScope&) = delete;
    IgnoredWordsScope& operator=(const IgnoredWordsScope&) = delete;

private:
    PrinterModel& m_model;
};

} // namespace

Replies SharedState::Receive(CommandStream& stream, QByteArrayView bytes) {
    QMutexLocker lock(&mutex);
    if (keepLog)
        log.append(bytes.data(), bytes.size());
    logged += bytes.size();
    if (!bytes.isEmpty())
        lastReceived = std::chrono::steady_clock::now();
    if (logFile.isOpen() && (logFile.write(bytes.data(), bytes.size()) != bytes.size() || !logFile.flush()))
        qCWarning(lcSim) << "cannot append to the log file" << logFile.fileName() << logFile.errorString();
    Replies replies;
    {
        const IgnoredWordsScope ignored(model, faults.ignoreWrites);
        stream.Feed(bytes, model, replies);
    }
    SaveIfChanged();
    received.wakeAll();
    return replies;
}

void SharedState::Finish(CommandStream& stream) {
    QMutexLocker lock(&mutex);
    {
        const IgnoredWordsScope ignored(model, faults.ignoreWrites);
        stream.Finish(model);
    }
    SaveIfChanged();
}

void SharedState::SetFaults(const Faults& newFaults) {
    QMutexLocker lock(&mutex);
    faults = newFaults;
    ++faultsRevision;
}

void SharedState::SaveIfChanged() {
    if (eepromPath.isEmpty() || model.Revision() == savedRevision)
        return;
    if (WriteFileAtomically(eepromPath, model.ImageFileBytes()))
        savedRevision = model.Revision();
    else
        qCWarning(lcSim) << "cannot save the EEPROM image to" << eepromPath;
}

} // namespace quillory::sim
