#include "fleet/FleetJob.h"

#include "instruction/VKLAInstruction.h"
#include "instruction/WnInstruction.h"
#include "port/Communication.h"
#include "port/PortAbilities.h"
#include "port/PortInfo.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <memory>

namespace quillory {
namespace {

std::atomic<bool> gStopRequested{false};

void OnStopSignal(int) {
    gStopRequested.store(true);
}

QString Failure(const QString& what) {
    const QString why = LastCommunicationFailure();
    return why.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, why);
}

bool PartDiffers(const ConfigurationComparison& c, const char* part) {
    for (const ConfigurationDifference& d : c.differences)
        if (d.field.written && d.part == QLatin1String(part))
            return true;
    return false;
}

int IntField(const SettingsRecord& record, const char* key) {
    for (const auto& [name, value] : SettingsFields(record))
        if (name == QLatin1String(key))
            return value.toInt();
    return 0;
}

QString LanguageMismatch(const InventoryEntry& printer, int profileIndex) {
    return QStringLiteral("%1 printer; the profile is for %2")
        .arg(InstructionName(printer.instructionIndex), InstructionName(profileIndex));
}

// The first difference a read-back still shows, for the reason of a failed verification.
QString VerificationText(const ConfigurationComparison& c) {
    QStringList parts;
    for (const ConfigurationDifference& d : c.differences)
        if (d.field.written)
            parts << QStringLiteral("%1 %2 reads %3, expected %4")
                         .arg(d.part, d.field.key, d.field.left, d.field.right);
    return parts.join(QStringLiteral("; "));
}

struct Timer {
    QElapsedTimer clock;
    PrinterResult& result;
    explicit Timer(PrinterResult& r) : result(r) { clock.start(); }
    ~Timer() { result.elapsedMs = clock.elapsed(); }
};

} // namespace

const char* FleetOutcomeName(FleetOutcome outcome) {
    switch (outcome) {
    case FleetOutcome::Unchanged:
        return "unchanged";
    case FleetOutcome::Applied:
        return "applied";
    case FleetOutcome::WouldApply:
        return "would-apply";
    case FleetOutcome::NotVerifiable:
        return "not-verifiable";
    case FleetOutcome::Failed:
        return "failed";
    case FleetOutcome::Skipped:
        return "skipped";
    case FleetOutcome::Taken:
        return "snapshot";
    case FleetOutcome::Equal:
        return "equal";
    case FleetOutcome::Differs:
        return "differs";
    }
    return "failed";
}

bool FleetOutcomeSucceeded(FleetOutcome outcome) {
    return outcome == FleetOutcome::Unchanged || outcome == FleetOutcome::Applied ||
           outcome == FleetOutcome::Taken || outcome == FleetOutcome::Equal;
}

PrinterResult ApplyToPrinter(const Configuration& profile, const InventoryEntry& printer,
                             const tagPORTINFO& port, const ApplyOptions& options) {
    PrinterResult result;
    result.printer = printer;
    Timer timer(result);
    if (printer.instructionIndex != profile.instructionIndex) {
        result.outcome = FleetOutcome::Skipped;
        result.reason = LanguageMismatch(printer, profile.instructionIndex);
        return result;
    }
    if (!PortCanRead(port)) {
        // Without a read there is nothing to compare, no snapshot to go back to and no check.
        result.outcome = FleetOutcome::NotVerifiable;
        result.reason =
            QStringLiteral("the port only sends, so the printer cannot be read; nothing was written");
        return result;
    }
    std::unique_ptr<CInstructionProtocol> object = MakeInstruction(printer.instructionIndex);

    // The read goes to a snapshot under construction; it is kept only when something is written.
    std::unique_ptr<CSnapshotFolder> snapshot;
    QTemporaryDir scratch;
    QString folder;
    if (!options.snapshotFolder.isEmpty() && !options.dryRun) {
        snapshot = std::make_unique<CSnapshotFolder>(QDir(options.snapshotFolder).filePath(printer.name));
        if (!snapshot->IsValid()) {
            result.reason = snapshot->Error() + QStringLiteral("; nothing was written");
            return result;
        }
        folder = snapshot->Path();
    } else {
        if (!scratch.isValid()) {
            result.reason = QStringLiteral("cannot create a temporary folder; nothing was written");
            return result;
        }
        folder = scratch.path();
    }
    const PrinterReading reading = ReadPrinterInto(*object, port, printer.address, folder);
    if (reading.code || !reading.error.isEmpty()) {
        result.reason = reading.error + QStringLiteral("; nothing was written");
        return result;
    }
    const Configuration& before = reading.configuration;
    const ConfigurationComparison comparison = CompareConfigurations(before, profile, options.languageIndex);
    result.differences = comparison.differences;
    if (!comparison.WrittenDiffer()) {
        result.outcome = FleetOutcome::Unchanged;
        return result;
    }
    // Lengths are dots: a profile made at another resolution would print at another size.
    if (profile.settings && before.settings &&
        IntField(*profile.settings, "DPI") != IntField(*before.settings, "DPI")) {
        result.reason = QStringLiteral("the printer prints at %1 dots per inch, the profile was made at %2; "
                                       "nothing was written")
                            .arg(IntField(*before.settings, "DPI"))
                            .arg(IntField(*profile.settings, "DPI"));
        return result;
    }
    if (options.dryRun) {
        result.outcome = FleetOutcome::WouldApply;
        return result;
    }
    if (snapshot) {
        const QString target = QDir(options.snapshotFolder).filePath(printer.name);
        if (!snapshot->Place(true)) {
            result.reason = snapshot->Error() + QStringLiteral("; nothing was written");
            return result;
        }
        result.snapshot = target;
    }

    const bool writeSettings = PartDiffers(comparison, "settings");
    const bool writeEeprom = PartDiffers(comparison, "eeprom");
    QStringList written;
    if (writeSettings) {
        SettingsRecord record = *profile.settings;
        // The clock is not configuration: a profile never sets it.
        std::visit(
            [](auto& r) {
                if constexpr (requires { r.SetClock; })
                    r.SetClock = 0;
            },
            record);
        object->SetSettingsRecord(record);
        if (const int code = object->ApplySettings(port)) {
            result.reason =
                Failure(QStringLiteral("writing the print settings failed (error %1)").arg(code)) +
                QStringLiteral("; some of them may have reached the printer");
            return result;
        }
        written << QStringLiteral("print settings");
    }
    if (writeEeprom) {
        if (!object->LoadEepromFile(profile.eepromPath)) {
            result.reason = QStringLiteral("cannot load %1%2")
                                .arg(profile.eepromPath,
                                     written.isEmpty() ? QStringLiteral("; nothing was written")
                                                       : QStringLiteral("; the print settings were written"));
            return result;
        }
        if (const int code = object->WriteEeprom(port)) {
            result.reason = Failure(QStringLiteral("writing the EEPROM failed (error %1)").arg(code)) +
                            QStringLiteral("; some parameters may have reached the printer");
            return result;
        }
        written << QStringLiteral("EEPROM");
    }

    // Read back what was written and compare again with the profile.
    Configuration after;
    after.instructionIndex = printer.instructionIndex;
    const QString wroteText = QStringLiteral("wrote the %1").arg(written.join(QStringLiteral(" and the ")));
    if (writeSettings) {
        if (const int code = object->ReadSettings(port)) {
            result.outcome = FleetOutcome::NotVerifiable;
            result.reason = wroteText + QStringLiteral("; ") +
                            Failure(QStringLiteral("reading them back failed (error %1)").arg(code));
            return result;
        }
        after.settings = object->GetSettingsRecord();
    }
    if (writeEeprom) {
        if (const int code = object->BackupEeprom(port)) {
            result.outcome = FleetOutcome::NotVerifiable;
            result.reason = wroteText + QStringLiteral("; ") +
                            Failure(QStringLiteral("reading the EEPROM back failed (error %1)").arg(code));
            return result;
        }
        after.eeprom = EepromValuesOfObject(*object);
    }
    const ConfigurationComparison check = CompareConfigurations(after, profile, options.languageIndex);
    if (check.WrittenDiffer()) {
        result.reason =
            wroteText + QStringLiteral(", but the printer did not take it: ") + VerificationText(check);
        return result;
    }
    result.outcome = FleetOutcome::Applied;
    return result;
}

PrinterResult SnapshotPrinter(const InventoryEntry& printer, const tagPORTINFO& port, const QString& target,
                              bool replace) {
    PrinterResult result;
    result.printer = printer;
    Timer timer(result);
    if (!PortCanRead(port)) {
        result.reason = QStringLiteral("the port only sends, so the printer cannot be read");
        return result;
    }
    if (QFileInfo::exists(target) && !replace) {
        result.reason = QStringLiteral("%1 already exists; give --force to replace it").arg(target);
        return result;
    }
    CSnapshotFolder folder(target);
    if (!folder.IsValid()) {
        result.reason = folder.Error();
        return result;
    }
    std::unique_ptr<CInstructionProtocol> object = MakeInstruction(printer.instructionIndex);
    const PrinterReading reading = ReadPrinterInto(*object, port, printer.address, folder.Path());
    if (reading.code || !reading.error.isEmpty()) {
        result.reason = reading.error;
        return result;
    }
    if (!folder.Place(replace)) {
        result.reason = folder.Error();
        return result;
    }
    result.snapshot = QFileInfo(target).absoluteFilePath();
    result.outcome = FleetOutcome::Taken;
    return result;
}

PrinterResult DiffPrinter(const Configuration& profile, const InventoryEntry& printer,
                          const tagPORTINFO& port, int languageIndex) {
    PrinterResult result;
    result.printer = printer;
    Timer timer(result);
    if (printer.instructionIndex != profile.instructionIndex) {
        result.outcome = FleetOutcome::Skipped;
        result.reason = LanguageMismatch(printer, profile.instructionIndex);
        return result;
    }
    if (!PortCanRead(port)) {
        result.reason = QStringLiteral("the port only sends, so the printer cannot be read");
        return result;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        result.reason = QStringLiteral("cannot create a temporary folder");
        return result;
    }
    std::unique_ptr<CInstructionProtocol> object = MakeInstruction(printer.instructionIndex);
    const PrinterReading reading = ReadPrinterInto(*object, port, printer.address, scratch.path());
    if (reading.code || !reading.error.isEmpty()) {
        result.reason = reading.error;
        return result;
    }
    const ConfigurationComparison c = CompareConfigurations(reading.configuration, profile, languageIndex);
    result.differences = c.differences;
    result.outcome = c.differences.empty() ? FleetOutcome::Equal : FleetOutcome::Differs;
    return result;
}

std::vector<PrinterResult> RunFleet(const std::vector<InventoryEntry>& printers, int jobs,
                                    const std::function<PrinterResult(const InventoryEntry&)>& work,
                                    const std::atomic<bool>& stop,
                                    const std::function<void(const PrinterResult&)>& onDone) {
    const std::size_t count = printers.size();
    std::vector<PrinterResult> results(count);
    std::vector<char> done(count, 0);
    std::atomic<std::size_t> next{0};
    QMutex doneMutex;
    const auto worker = [&] {
        while (!stop.load()) {
            const std::size_t i = next.fetch_add(1);
            if (i >= count)
                return;
            PrinterResult result = work(printers[i]);
            QMutexLocker lock(&doneMutex);
            results[i] = std::move(result);
            done[i] = 1;
            if (onDone)
                onDone(results[i]);
        }
    };
    // QThreads rather than std::thread: the blocking sockets and serial ports want them.
    std::vector<std::unique_ptr<QThread>> threads;
    const std::size_t threadCount = std::min<std::size_t>(std::size_t(std::max(jobs, 1)), count);
    for (std::size_t t = 0; t < threadCount; ++t) {
        threads.emplace_back(QThread::create(worker));
        threads.back()->start();
    }
    for (auto& thread : threads)
        thread->wait();
    for (std::size_t i = 0; i < count; ++i)
        if (!done[i]) {
            results[i].printer = printers[i];
            results[i].outcome = FleetOutcome::Failed;
            results[i].reason = QStringLiteral("not started: the run was stopped");
        }
    return results;
}

QJsonObject DifferenceJson(const ConfigurationDifference& d) {
    return {{"part", d.part},          {"key", d.field.key},       {"caption", d.field.caption},
            {"printer", d.field.left}, {"profile", d.field.right}, {"written", d.field.written}};
}

QJsonObject PrinterResultJson(const PrinterResult& r) {
    QJsonArray differences;
    for (const ConfigurationDifference& d : r.differences)
        differences.append(DifferenceJson(d));
    QJsonObject o{{"name", r.printer.name},
                  {"address", r.printer.address},
                  {"language", InstructionName(r.printer.instructionIndex)},
                  {"outcome", FleetOutcomeName(r.outcome)},
                  {"reason", r.reason},
                  {"differences", differences},
                  {"elapsedMs", r.elapsedMs}};
    if (!r.snapshot.isEmpty())
        o.insert("snapshot", r.snapshot);
    return o;
}

namespace {
struct sigaction gOldInt;
struct sigaction gOldTerm;
} // namespace

CStopOnSignal::CStopOnSignal() {
    gStopRequested.store(false);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &gOldInt);
    sigaction(SIGTERM, &action, &gOldTerm);
}

CStopOnSignal::~CStopOnSignal() {
    sigaction(SIGINT, &gOldInt, nullptr);
    sigaction(SIGTERM, &gOldTerm, nullptr);
}

const std::atomic<bool>& CStopOnSignal::Requested() {
    return gStopRequested;
}

} // namespace quillory
