// snapshot DIR, diff A B, fleet apply|snapshot|diff|restore: a printer's whole configuration as
// one folder, two configurations side by side, and one configuration across many printers.
#include "cli/CommandGroups.h"

#include "app/AppSettings.h"
#include "app/AtomicFile.h"
#include "app/InputFile.h"
#include "cli/PortAddress.h"
#include "fleet/FleetJob.h"
#include "port/PortAbilities.h"
#include "port/PortInfo.h"

#include <CLI/CLI.hpp>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

namespace quillory::cli {
namespace {

// The target of a snapshot exists (and --force was not given), or cannot be made.
constexpr int kExitCannotCreate = 73;
// Some printer of a fleet run, or the two sides of a diff, did not end as asked.
constexpr int kExitDiffers = 1;
// An inventory is a short text; anything far larger is not one.
constexpr qint64 kInventoryLimit = 4 * 1024 * 1024;

QString Path(const std::string& text) {
    return QString::fromStdString(text);
}

int HintLanguage(const CliContext& c) {
    return c.language.empty() ? -1 : InstructionFromName(QString::fromStdString(c.language));
}

// One side of a diff: "printer" reads the printer of --port in the language of --lang (or the
// saved one); anything else is a snapshot folder or a file.
struct Side {
    std::optional<Configuration> configuration;
    int status = kExitOk;
};

Side ReadPrinterSide(CliContext& c, QTemporaryDir& scratch) {
    Side side;
    const int index = c.Instruction();
    std::unique_ptr<CInstructionProtocol> object = MakeInstruction(index);
    if (!object) {
        side.status = c.Fail(kExitUsage, QStringLiteral("no command language: choose one with --lang"));
        return side;
    }
    side.status = c.WithReadingPort([&](const tagPORTINFO& port) {
        const PrinterReading reading =
            ReadPrinterInto(*object, port, QString::fromStdString(c.portAddress), scratch.path());
        if (reading.code)
            return c.PrinterFailure(reading.code, reading.error);
        if (!reading.error.isEmpty())
            return c.Fail(kExitCannotCreate, reading.error);
        side.configuration = reading.configuration;
        side.configuration->source = QStringLiteral("printer %1").arg(QString::fromStdString(c.portAddress));
        return kExitOk;
    });
    return side;
}

bool IsBareEepromFile(const QString& path) {
    const QFileInfo info(path);
    if (path == QLatin1String("printer") || info.isDir())
        return false;
    for (int i = 0; i <= 4; ++i)
        if (info.suffix().compare(SettingsFileExtension(i), Qt::CaseInsensitive) == 0)
            return false;
    return true;
}

QString Describe(const Configuration& c) {
    return QStringLiteral("%1 (%2)").arg(c.source, InstructionName(c.instructionIndex));
}

QJsonArray DiffJson(const ConfigurationComparison& comparison) {
    QJsonArray list;
    for (const ConfigurationDifference& d : comparison.differences)
        list.append(QJsonObject{{"part", d.part},
                                {"key", d.field.key},
                                {"caption", d.field.caption},
                                {"left", d.field.left},
                                {"right", d.field.right},
                                {"written", d.field.written}});
    return list;
}

void PrintDifferences(std::ostream& out, const std::vector<ConfigurationDifference>& differences,
                      const char* indent) {
    for (const ConfigurationDifference& d : differences) {
        QString line = QStringLiteral("%1%2 %3").arg(QLatin1String(indent), d.part, d.field.key);
        if (!d.field.caption.isEmpty())
            line += QStringLiteral(" (%1)").arg(d.field.caption);
        line += QStringLiteral(": %1 -> %2").arg(d.field.left, d.field.right);
        if (!d.field.written)
            line += QStringLiteral("  [never written to the printer]");
        out << line.toStdString() << '\n';
    }
}

void RegisterDiff(CLI::App& app, CliContext& context) {
    struct Options {
        std::string a;
        std::string b;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* diff = app.add_subcommand(
        "diff", "Compare two configurations field by field (snapshot folders, settings or EEPROM files, or "
                "\"printer\" for the printer of --port); exit 0 when equal, 1 when they differ");
    diff->add_option("A", o->a, "Snapshot folder, settings file, EEPROM file or \"printer\"")->required();
    diff->add_option("B", o->b, "Snapshot folder, settings file, EEPROM file or \"printer\"")->required();
    diff->add_flag("--json", o->json, "Print one JSON object");
    diff->callback([&context, o] {
        context.action = [&context, o]() -> int {
            CliContext& c = context;
            if (o->a == "printer" && o->b == "printer")
                return c.Fail(kExitUsage, QStringLiteral("only one side of a diff can be the printer"));
            QTemporaryDir scratch;
            std::array<Side, 2> sides;
            const std::array<QString, 2> paths{Path(o->a), Path(o->b)};
            // Sides that say their language go first: a bare EEPROM file takes theirs.
            int hint = HintLanguage(c);
            for (int pass = 0; pass < 2; ++pass)
                for (int i = 0; i < 2; ++i) {
                    if (IsBareEepromFile(paths[i]) != (pass == 1))
                        continue;
                    if (paths[i] == QLatin1String("printer")) {
                        sides[i] = ReadPrinterSide(c, scratch);
                    } else {
                        const LoadedConfiguration loaded = LoadConfiguration(paths[i], hint);
                        if (!loaded.configuration)
                            return c.Fail(kExitBadInput, loaded.error);
                        sides[i].configuration = loaded.configuration;
                    }
                    if (sides[i].status)
                        return sides[i].status;
                    if (hint < 0)
                        hint = sides[i].configuration->instructionIndex;
                }
            const Configuration& left = *sides[0].configuration;
            const Configuration& right = *sides[1].configuration;
            if (left.instructionIndex != right.instructionIndex)
                return c.Fail(kExitBadInput,
                              QStringLiteral("%1 is a %2 configuration and %3 a %4 one: configurations of "
                                             "different command languages cannot be compared")
                                  .arg(paths[0], InstructionName(left.instructionIndex), paths[1],
                                       InstructionName(right.instructionIndex)));
            if (!((left.settings && right.settings) || (left.eeprom && right.eeprom)))
                return c.Fail(kExitBadInput,
                              QStringLiteral("%1 and %2 hold nothing in common to compare (print settings "
                                             "against an EEPROM file)")
                                  .arg(paths[0], paths[1]));
            const ConfigurationComparison comparison = CompareConfigurations(left, right, LANGUAGE_ENGLISH);
            if (o->json) {
                const QJsonObject doc{{"equal", comparison.Equal()},
                                      {"language", InstructionName(left.instructionIndex)},
                                      {"left", paths[0]},
                                      {"right", paths[1]},
                                      {"differences", DiffJson(comparison)}};
                c.out << QJsonDocument(doc).toJson(QJsonDocument::Compact).toStdString() << '\n';
            } else {
                c.out << "--- " << Describe(left).toStdString() << "\n+++ " << Describe(right).toStdString()
                      << '\n';
                PrintDifferences(c.out, comparison.differences, "");
                c.out << (comparison.Equal() ? QStringLiteral("no differences")
                                             : QStringLiteral("%1 difference%2")
                                                   .arg(comparison.differences.size())
                                                   .arg(comparison.differences.size() == 1 ? "" : "s"))
                             .toStdString()
                      << '\n';
            }
            return comparison.Equal() ? kExitOk : kExitDiffers;
        };
    });
}

void RegisterSnapshot(CLI::App& app, CliContext& context) {
    struct Options {
        std::string dir;
        bool force = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* snapshot = app.add_subcommand(
        "snapshot",
        "Read the printer's whole configuration (print settings, EEPROM, network) into a new folder");
    snapshot->add_option("DIR", o->dir, "The snapshot folder to create")->required();
    snapshot->add_flag("--force", o->force, "Replace an existing snapshot folder");
    snapshot->callback([&context, o] {
        context.action = [&context, o]() -> int {
            CliContext& c = context;
            const QString target = QFileInfo(Path(o->dir)).absoluteFilePath();
            if (QFileInfo::exists(target) && !o->force)
                return c.Fail(kExitCannotCreate,
                              QStringLiteral("%1 already exists; give --force to replace it").arg(target));
            const int index = c.Instruction();
            if (index < 0 || index > 4)
                return c.Fail(kExitUsage, QStringLiteral("no command language: choose one with --lang"));
            return c.WithReadingPort([&](const tagPORTINFO& port) {
                CSnapshotFolder folder(target);
                if (!folder.IsValid())
                    return c.Fail(kExitCannotCreate, folder.Error());
                std::unique_ptr<CInstructionProtocol> object = MakeInstruction(index);
                const PrinterReading reading =
                    ReadPrinterInto(*object, port, QString::fromStdString(c.portAddress), folder.Path());
                if (reading.code)
                    return c.PrinterFailure(reading.code, reading.error);
                if (!reading.error.isEmpty())
                    return c.Fail(kExitCannotCreate, reading.error);
                if (!folder.Place(o->force))
                    return c.Fail(kExitCannotCreate, folder.Error());
                c.out << target.toStdString() << '\n';
                return kExitOk;
            });
        };
    });
}

// ---- fleet -------------------------------------------------------------------------------------

struct FleetOptions {
    std::string profile;
    std::string inventory;
    std::string report;
    std::string snapshots;
    int jobs = 4;
    bool dryRun = false;
    bool force = false;
    bool json = false;
};

std::optional<Inventory> LoadInventory(CliContext& c, const QString& path, int& status) {
    const InputFileData data = ReadInputFile(path, InputFileKind::UserSettings);
    if (!data.Ok()) {
        status = c.Fail(kExitBadInput, InputFileProblemText(data.problem, path, InputFileKind::UserSettings,
                                                            LANGUAGE_ENGLISH, data.reason));
        return std::nullopt;
    }
    if (data.bytes.size() > kInventoryLimit) {
        status = c.Fail(kExitBadInput, QStringLiteral("%1 is too large for an inventory").arg(path));
        return std::nullopt;
    }
    Inventory inventory = ParseInventory(
        data.bytes, path, [](const QString& address) { return ParsePortAddress(address).error; });
    if (!inventory.Ok()) {
        status = c.Fail(kExitBadInput, inventory.errors.join(QStringLiteral("\nquillory-cli: ")) +
                                           QStringLiteral("\nquillory-cli: nothing was done"));
        return std::nullopt;
    }
    if (inventory.printers.empty()) {
        status = c.Fail(kExitBadInput, QStringLiteral("%1 lists no printer").arg(path));
        return std::nullopt;
    }
    return inventory;
}

tagPORTINFO PortOf(const InventoryEntry& printer) {
    return *ParsePortAddress(printer.address).port; // checked when the inventory was read
}

QString Pad(const QString& text, int width) {
    return text.leftJustified(width);
}

// The summary table, the report file and the exit status of a run.
int Finish(CliContext& c, const FleetOptions& o, const char* command, const QString& profile,
           const QString& snapshots, const std::vector<PrinterResult>& results, bool stopped) {
    QJsonArray printers;
    for (const PrinterResult& r : results)
        printers.append(PrinterResultJson(r));
    bool succeeded = !stopped;
    std::map<QString, int> counts;
    for (const PrinterResult& r : results) {
        ++counts[QLatin1String(FleetOutcomeName(r.outcome))];
        // A restore leaves out the printers it has no snapshot of; they were never changed.
        if (!FleetOutcomeSucceeded(r.outcome))
            succeeded = false;
    }
    QJsonObject summary;
    for (const auto& [name, n] : counts)
        summary.insert(name, n);
    QJsonObject report{{"command", QStringLiteral("fleet %1").arg(QLatin1String(command))},
                       {"inventory", QFileInfo(Path(o.inventory)).absoluteFilePath()},
                       {"dryRun", o.dryRun},
                       {"finished", QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                       {"stopped", stopped},
                       {"succeeded", succeeded},
                       {"summary", summary},
                       {"printers", printers}};
    if (!profile.isEmpty())
        report.insert("profile", profile);
    if (!snapshots.isEmpty())
        report.insert("snapshots", snapshots);
    const QByteArray json = QJsonDocument(report).toJson();
    int status = succeeded ? kExitOk : kExitDiffers;
    if (!o.report.empty()) {
        QString why;
        if (!WriteFileAtomically(Path(o.report), json, &why))
            status = c.Fail(kExitCannotCreate,
                            QStringLiteral("cannot write the report %1: %2").arg(Path(o.report), why));
    }
    if (o.json) {
        c.out << json.toStdString();
        return status;
    }
    int nameWidth = 4;
    int addressWidth = 7;
    for (const PrinterResult& r : results) {
        nameWidth = std::max(nameWidth, int(r.printer.name.size()));
        addressWidth = std::max(addressWidth, int(r.printer.address.size()));
    }
    c.out << (Pad("NAME", nameWidth) + u' ' + Pad("ADDRESS", addressWidth) + QStringLiteral(" LANG ") +
              Pad("OUTCOME", 14) + QStringLiteral(" TIME   REASON"))
                 .toStdString()
          << '\n';
    for (const PrinterResult& r : results) {
        const QString line = Pad(r.printer.name, nameWidth) + u' ' + Pad(r.printer.address, addressWidth) +
                             u' ' + InstructionName(r.printer.instructionIndex) + u' ' +
                             Pad(QLatin1String(FleetOutcomeName(r.outcome)), 14) + u' ' +
                             Pad(QString::number(double(r.elapsedMs) / 1000.0, 'f', 1) + u's', 6) + u' ' +
                             r.reason;
        c.out << line.trimmed().toStdString() << '\n';
        if (r.outcome == FleetOutcome::Differs || r.outcome == FleetOutcome::WouldApply)
            PrintDifferences(c.out, r.differences, "    ");
    }
    QStringList parts;
    for (const auto& [name, n] : counts)
        parts << QStringLiteral("%1 %2").arg(n).arg(name);
    c.out << QStringLiteral("%1 printer%2: %3%4")
                 .arg(results.size())
                 .arg(results.size() == 1 ? "" : "s")
                 .arg(parts.join(QStringLiteral(", ")))
                 .arg(stopped ? QStringLiteral(" (stopped by a signal)") : QString())
                 .toStdString()
          << '\n';
    if (!snapshots.isEmpty() && std::any_of(results.begin(), results.end(),
                                            [](const PrinterResult& r) { return !r.snapshot.isEmpty(); }))
        c.out << "snapshots before the writes: " << snapshots.toStdString() << '\n';
    return status;
}

int RunFleetCommand(CliContext& c, const FleetOptions& o, const char* command) {
    int status = kExitOk;
    const std::optional<Inventory> inventory = LoadInventory(c, Path(o.inventory), status);
    if (!inventory)
        return status;
    const QString which = QLatin1String(command);
    std::optional<Configuration> profile;
    if (which == QLatin1String("apply") || which == QLatin1String("diff")) {
        const LoadedConfiguration loaded = LoadConfiguration(Path(o.profile), HintLanguage(c));
        if (!loaded.configuration)
            return c.Fail(kExitBadInput, loaded.error);
        profile = loaded.configuration;
    }
    QString snapshots;
    if (which == QLatin1String("apply") && !o.dryRun) {
        // Beside the report unless given: the report names them, so the two stay together.
        snapshots = !o.snapshots.empty() ? Path(o.snapshots)
                    : !o.report.empty()
                        ? QFileInfo(Path(o.report)).absoluteDir().filePath(QStringLiteral("snapshots"))
                        : QDir::current().filePath(QStringLiteral("fleet-snapshots"));
    } else if (which == QLatin1String("snapshot") || which == QLatin1String("restore")) {
        snapshots = Path(o.snapshots.empty() ? o.profile : o.snapshots);
    }
    if (!snapshots.isEmpty()) {
        snapshots = QFileInfo(snapshots).absoluteFilePath();
        if (which == QLatin1String("restore")) {
            if (!QFileInfo(snapshots).isDir())
                return c.Fail(kExitBadInput,
                              QStringLiteral("%1 is not a folder of snapshots").arg(snapshots));
        } else if (!QDir().mkpath(snapshots)) {
            return c.Fail(kExitCannotCreate, QStringLiteral("cannot create the folder %1").arg(snapshots));
        }
    }

    const CStopOnSignal stopOnSignal;
    const auto progress = [&c](const PrinterResult& r) {
        c.err << "quillory-cli: " << r.printer.name.toStdString() << ": " << FleetOutcomeName(r.outcome)
              << '\n';
    };
    std::function<PrinterResult(const InventoryEntry&)> work;
    if (which == QLatin1String("apply")) {
        ApplyOptions options;
        options.dryRun = o.dryRun;
        options.snapshotFolder = snapshots;
        // The options live in this block only: the workers get their own copy.
        work = [&, options](const InventoryEntry& p) {
            return ApplyToPrinter(*profile, p, PortOf(p), options);
        };
    } else if (which == QLatin1String("diff")) {
        work = [&](const InventoryEntry& p) { return DiffPrinter(*profile, p, PortOf(p), LANGUAGE_ENGLISH); };
    } else if (which == QLatin1String("snapshot")) {
        work = [&](const InventoryEntry& p) {
            return SnapshotPrinter(p, PortOf(p), QDir(snapshots).filePath(p.name), o.force);
        };
    } else {
        work = [&](const InventoryEntry& p) {
            const QString folder = QDir(snapshots).filePath(p.name);
            if (!QFileInfo::exists(folder)) {
                PrinterResult r;
                r.printer = p;
                r.outcome = FleetOutcome::Unchanged;
                r.reason = QStringLiteral("no snapshot to put back; not contacted");
                return r;
            }
            const LoadedConfiguration loaded = LoadConfiguration(folder, p.instructionIndex);
            if (!loaded.configuration) {
                PrinterResult r;
                r.printer = p;
                r.reason = loaded.error + QStringLiteral("; nothing was written");
                return r;
            }
            PrinterResult r = ApplyToPrinter(*loaded.configuration, p, PortOf(p), ApplyOptions{});
            if (r.outcome == FleetOutcome::Applied)
                r.snapshot = folder;
            return r;
        };
    }
    const std::vector<PrinterResult> results =
        RunFleet(inventory->printers, o.jobs, work, CStopOnSignal::Requested(), progress);
    const bool stopped = CStopOnSignal::Requested().load();
    return Finish(c, o, command, profile ? QFileInfo(profile->source).absoluteFilePath() : QString(),
                  snapshots, results, stopped);
}

void RegisterFleet(CLI::App& app, CliContext& context) {
    CLI::App* fleet = app.add_subcommand("fleet", "One configuration across the printers of an inventory");
    fleet->require_subcommand(1);
    auto o = std::make_shared<FleetOptions>();
    const auto common = [&context, o](CLI::App* command, const char* name) {
        command
            ->add_option("--inventory", o->inventory,
                         "Printers one a line: NAME ADDRESS LANGUAGE (\"#\" starts a comment)")
            ->required();
        command->add_option("--jobs", o->jobs, "Printers handled at the same time (default 4)")
            ->check(CLI::Range(1, 64));
        command->add_option("--report", o->report, "Write the outcome of every printer to this JSON file");
        command->add_flag("--json", o->json, "Print the report on standard output instead of the table");
        command->callback([&context, o, name] {
            context.action = [&context, o, name] { return RunFleetCommand(context, *o, name); };
        });
    };
    CLI::App* apply = fleet->add_subcommand(
        "apply", "Read each printer, write the profile where it differs, read back and verify");
    apply->add_option("PROFILE", o->profile, "Snapshot folder, settings file or EEPROM file")->required();
    apply->add_flag("--dry-run", o->dryRun, "Read and compare only; write nothing");
    apply->add_option("--snapshots", o->snapshots,
                      "Where the snapshot taken before each write goes, one folder per printer (default: "
                      "\"snapshots\" beside the report, else ./fleet-snapshots)");
    common(apply, "apply");

    CLI::App* diff = fleet->add_subcommand("diff", "Compare each printer with the profile; write nothing");
    diff->add_option("PROFILE", o->profile, "Snapshot folder, settings file or EEPROM file")->required();
    common(diff, "diff");

    CLI::App* snapshot = fleet->add_subcommand("snapshot", "Take a snapshot of each printer into DIR/NAME");
    snapshot->add_option("DIR", o->profile, "The folder of the snapshots")->required();
    snapshot->add_flag("--force", o->force, "Replace existing snapshots");
    common(snapshot, "snapshot");

    CLI::App* restore = fleet->add_subcommand(
        "restore", "Put back each printer that has a snapshot in the folder (as fleet apply left them)");
    restore->add_option("--snapshots", o->snapshots, "The folder of the snapshots fleet apply took")
        ->required();
    common(restore, "restore");
}

} // namespace

void RegisterFleetCommands(CLI::App& app, CliContext& context) {
    RegisterSnapshot(app, context);
    RegisterDiff(app, context);
    RegisterFleet(app, context);
}

} // namespace quillory::cli
