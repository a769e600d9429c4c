#pragma once

#include "fleet/Configuration.h"
#include "fleet/Inventory.h"

#include <QJsonObject>

#include <atomic>
#include <functional>
#include <vector>

namespace quillory {

enum class FleetOutcome {
    Unchanged,     // equal to the profile in every field a write reaches; nothing written
    Applied,       // written, read back and found equal to the profile
    WouldApply,    // differs; a dry run writes nothing
    NotVerifiable, // written, but could not be read back; or a port that cannot read (nothing written)
    Failed,        // see the reason; what was written (if anything) is in the reason
    Skipped,       // another command language than the profile's
    Taken,         // fleet snapshot: the snapshot is in place
    Equal,         // fleet diff
    Differs,       // fleet diff
};

// "unchanged", "applied", "would-apply", "not-verifiable", "failed", "skipped", "snapshot",
// "equal", "differs": the report's outcome names.
[[nodiscard]] const char* FleetOutcomeName(FleetOutcome outcome);
// Whether a printer with this outcome lets the run end with status 0.
[[nodiscard]] bool FleetOutcomeSucceeded(FleetOutcome outcome);

struct PrinterResult {
    InventoryEntry printer;
    FleetOutcome outcome = FleetOutcome::Failed;
    QString reason;
    std::vector<ConfigurationDifference> differences; // printer (left) against the profile (right)
    QString snapshot;                                 // the snapshot folder taken before a write
    qint64 elapsedMs = 0;
};

struct ApplyOptions {
    bool dryRun = false;
    // Where the snapshot taken before a write goes, as FOLDER/NAME (replacing an older one of the
    // printer); empty: none is kept (a restore puts a snapshot back and needs none).
    QString snapshotFolder;
    int languageIndex = 2; // texts of captions and list entries
};

// Reads the printer, compares it with the profile, and when a field a write reaches differs:
// keeps the snapshot, writes the parts that differ (print settings, EEPROM), reads them back and
// compares again.
[[nodiscard]] PrinterResult ApplyToPrinter(const Configuration& profile, const InventoryEntry& printer,
                                           const tagPORTINFO& port, const ApplyOptions& options);
// Reads the printer into target as a snapshot; an existing target is replaced only with replace.
[[nodiscard]] PrinterResult SnapshotPrinter(const InventoryEntry& printer, const tagPORTINFO& port,
                                            const QString& target, bool replace);
// Reads the printer and compares it with the profile; writes nothing.
[[nodiscard]] PrinterResult DiffPrinter(const Configuration& profile, const InventoryEntry& printer,
                                        const tagPORTINFO& port, int languageIndex);

// Runs work for every printer on up to jobs threads of their own (each with its own instruction
// objects and connections). Once stop is set no further printer starts; those in progress finish.
// Printers never started come back as failed ("not started"). onDone runs for each finished
// printer, one at a time. Results are in inventory order.
[[nodiscard]] std::vector<PrinterResult>
RunFleet(const std::vector<InventoryEntry>& printers, int jobs,
         const std::function<PrinterResult(const InventoryEntry&)>& work, const std::atomic<bool>& stop,
         const std::function<void(const PrinterResult&)>& onDone = {});

[[nodiscard]] QJsonObject PrinterResultJson(const PrinterResult& result);
[[nodiscard]] QJsonObject DifferenceJson(const ConfigurationDifference& difference);

// Sets a flag on SIGINT and SIGTERM while it lives (the previous handlers come back after), so a
// run stops between printers instead of in the middle of a write.
class CStopOnSignal {
public:
    CStopOnSignal();
    ~CStopOnSignal();
    CStopOnSignal(const CStopOnSignal&) = delete;
    CStopOnSignal& operator=(const CStopOnSignal&) = delete;
    [[nodiscard]] static const std::atomic<bool>& Requested();
};

} // namespace quillory
