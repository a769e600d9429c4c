// settings ..., eeprom ... and tool ...: the operations of the command language's instruction object.
#include "cli/CommandGroups.h"
#include "cli/CommandOutput.h"

#include "app/AppSettings.h"
#include "app/PrinterText.h"
#include "eeprom/EepromFileCheck.h"
#include "instruction/BackupFiles.h"
#include "instruction/InstructionProtocol.h"
#include "instruction/WriteCheck.h"
#include "port/Communication.h"
#include "port/PortAbilities.h"
#include "settings/SettingsClock.h"
#include "settings/SettingsRanges.h"
#include "tools/Maintenance.h"

#include <CLI/CLI.hpp>

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <array>
#include <memory>
#include <ostream>
#include <variant>

namespace quillory::cli {
namespace {

// The instruction object of the chosen language, or an exit status when there is none.
struct Instruction {
    std::unique_ptr<CInstructionProtocol> object;
    int failure = kExitOk;
};

Instruction MakeFor(const CliContext& context) {
    Instruction instruction;
    const int index = context.Instruction();
    instruction.object = MakeInstruction(index);
    if (!instruction.object)
        instruction.failure = context.Fail(
            kExitUsage,
            QStringLiteral("the saved command language %1 is not valid; choose one with --lang").arg(index));
    return instruction;
}

QString JsonString(const QString& text) {
    // A one-element array is the simplest way to have Qt escape a string for JSON.
    const QByteArray array = TerminalSafeJson(QJsonDocument(QJsonArray{text}));
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

void PrintRecord(std::ostream& out, const SettingsRecord& record, bool json) {
    const auto fields = SettingsFields(record);
    if (!json) {
        for (const auto& [name, value] : fields)
            out << name.toStdString() << '=' << EscapePrinterText(value.toString()).toStdString() << '\n';
        return;
    }
    QString text = QStringLiteral("{");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto& [name, value] = fields[i];
        text += (i ? QStringLiteral(",") : QString()) + JsonString(name) + QLatin1Char(':') +
                (value.typeId() == QMetaType::QString ? JsonString(value.toString()) : value.toString());
    }
    out << text.toStdString() << "}\n";
}

QString Path(const std::string& file) {
    return QString::fromStdString(file);
}

// Registers a subcommand whose work needs the instruction object of the chosen language.
CLI::App* AddCommand(CLI::App& parent, CliContext& context, const char* name, const char* help,
                     std::function<int(CliContext&, CInstructionProtocol&)> work) {
    CLI::App* command = parent.add_subcommand(name, help);
    command->callback([&context, work = std::move(work)] {
        context.action = [&context, work] {
            Instruction instruction = MakeFor(context);
            return instruction.object ? work(context, *instruction.object) : instruction.failure;
        };
    });
    return command;
}

// Loads a settings file into the object after checking it and every value it holds: a refused
// file names itself and what is wrong (exit 65), and nothing goes to the printer.
int LoadSettingsForApply(CliContext& c, CInstructionProtocol& object, const QString& path) {
    const int index = object.InstructionIndex();
    const SettingsFileVerdict verdict = CheckSettingsFile(path, index);
    if (!verdict.Ok())
        return c.Fail(kExitBadInput, SettingsFileVerdictText(verdict, path, index, LANGUAGE_ENGLISH));
    if (!object.LoadSettingsFile(path))
        return c.Fail(kExitBadInput, QStringLiteral("%1 is not a readable settings file").arg(path));
    const std::vector<SettingViolation> violations = FindRangeViolations(object.GetSettingsRecord());
    if (!violations.empty()) {
        QStringList lines;
        for (const SettingViolation& v : violations)
            lines << ViolationText(v, path, LANGUAGE_ENGLISH);
        return c.Fail(kExitBadInput, lines.join(QStringLiteral("\nquillory-cli: ")) +
                                         QStringLiteral("\nquillory-cli: nothing was sent"));
    }
    return kExitOk;
}

// With --verify: reads back what was just written and compares field by field. Prints the outcome;
// 20 when the printer holds something else, 10 plus the code when the read back failed.
int ReportCheck(CliContext& c, const WriteCheck& check) {
    const QString text = WriteCheckText(check, LANGUAGE_ENGLISH);
    if (check.code != 0)
        return c.PrinterFailure(check.code, QStringLiteral("reading back what was written"));
    if (!check.Verified())
        return c.Fail(kExitNotVerified, text);
    c.out << text.toStdString() << '\n';
    return kExitOk;
}

// A verified write needs replies: such a command is refused up front on a port that only sends.
int WithPortFor(CliContext& c, bool verify, const std::function<int(const tagPORTINFO&)>& work) {
    return verify ? c.WithReadingPort(work) : c.WithPort(work);
}

// Applies the object's settings after keeping the printer's current ones as the newest backup.
int ApplyKeepingBackup(CliContext& c, CInstructionProtocol& object, const tagPORTINFO& port, bool verify) {
    bool kept = false;
    if (const int code = c.WithProgress(QStringLiteral("settings apply"), [&] {
            return ApplySettingsKeepingBackup(object, port, std::nullopt, &kept);
        }))
        return c.PrinterFailure(code, code == COMM_CREATE_FILE ? object.SettingsBackupFilePath() : QString());
    if (!kept)
        c.err
            << "quillory-cli: the port only sends, so the printer's settings could not be kept as a backup\n";
    return verify ? ReportCheck(c, CheckSettingsWrite(object, port, LANGUAGE_ENGLISH)) : kExitOk;
}

// The backups a restore can take, newest first; the one --from names (a number as --list shows
// it, or a file), or the newest.
struct BackupChoice {
    bool list = false;
    std::string from;
};

void AddBackupChoice(CLI::App* command, const std::shared_ptr<BackupChoice>& choice) {
    command->add_flag("--list", choice->list,
                      "List the kept backups, newest first, with their time, and stop");
    command->add_option("--from", choice->from, "The backup to restore: its number in --list, or a file");
}

// The chosen backup's path, or an exit status (after printing the list for --list: 0).
std::variant<QString, int> PickBackup(CliContext& c, const QString& newest, const BackupChoice& choice,
                                      const char* kind) {
    const std::vector<BackupEntry> backups = ListBackups(newest);
    if (choice.list) {
        for (std::size_t i = 0; i < backups.size(); ++i)
            c.out << (i + 1) << "  " << BackupTimeText(backups[i].time).toStdString() << "  "
                  << backups[i].path.toStdString() << '\n';
        return kExitOk;
    }
    if (!choice.from.empty()) {
        const QString from = QString::fromStdString(choice.from);
        bool isNumber = false;
        const int n = from.toInt(&isNumber);
        if (isNumber) {
            if (n < 1 || n > int(backups.size()))
                return c.Fail(kExitUsage, QStringLiteral("--from %1: there are %2 %3 backups (see --list)")
                                              .arg(from)
                                              .arg(backups.size())
                                              .arg(QLatin1String(kind)));
            return backups[std::size_t(n - 1)].path;
        }
        return from;
    }
    if (backups.empty())
        return c.Fail(
            kExitBadInput,
            QStringLiteral("there is no %1 backup to restore (%2)").arg(QLatin1String(kind), newest));
    return backups.front().path;
}

void RegisterSettings(CLI::App& app, CliContext& context) {
    CLI::App* settings = app.add_subcommand("settings", "Print settings of the printer");
    settings->require_subcommand(1);

    auto json = std::make_shared<bool>(false);
    AddCommand(*settings, context, "read", "Read the print settings from the printer and print them",
               [json](CliContext& c, CInstructionProtocol& object) {
                   return c.WithReadingPort([&](const tagPORTINFO& port) {
                       if (const int code = object.ReadSettings(port))
                           return c.PrinterFailure(code, {});
                       PrintRecord(c.out, object.GetSettingsRecord(), *json);
                       return kExitOk;
                   });
               })
        ->add_flag("--json", *json, "Print one JSON object with the record's fields");

    struct ApplyOptions {
        std::string file;
        std::string clock;
        bool verify = false;
    };
    auto apply = std::make_shared<ApplyOptions>();
    CLI::App* applyCommand = AddCommand(
        *settings, context, "apply", "Load a settings file and apply it to the printer",
        [apply](CliContext& c, CInstructionProtocol& object) {
            const QString path = Path(apply->file);
            std::optional<QDateTime> clock;
            if (!apply->clock.empty()) {
                clock = ParseClockOption(QString::fromStdString(apply->clock));
                if (!clock)
                    return c.Fail(kExitUsage,
                                  QStringLiteral("--clock takes \"YYYY-MM-DD HH:MM:SS\", not \"%1\"")
                                      .arg(QString::fromStdString(apply->clock)));
                if (!HasClock(object.InstructionIndex()))
                    return c.Fail(kExitUsage, QStringLiteral("%1 printers have no clock to set")
                                                  .arg(InstructionName(object.InstructionIndex())));
            }
            if (const int status = LoadSettingsForApply(c, object, path))
                return status;
            // The clock goes out with the time it is set to, as the settings screen sends it.
            SettingsRecord record = object.GetSettingsRecord();
            if (clock)
                SetClockTo(record, *clock);
            else
                FillClockText(record, QDateTime::currentDateTime());
            object.SetSettingsRecord(record);
            return WithPortFor(c, apply->verify, [&](const tagPORTINFO& port) {
                return ApplyKeepingBackup(c, object, port, apply->verify);
            });
        });
    applyCommand->add_option("FILE", apply->file, "The settings file (*.VKLZSET ...)")->required();
    applyCommand->add_option(
        "--clock", apply->clock,
        "Set the printer's clock (VKLZ, VKLE) to this local time, \"YYYY-MM-DD HH:MM:SS\" "
        "(default with SetClock=1 in the file: the current time)");
    applyCommand->add_flag(
        "--verify", apply->verify,
        "Read the settings back and compare them field by field (exit 20 on a difference)");

    auto restore = std::make_shared<BackupChoice>();
    auto restoreVerify = std::make_shared<bool>(false);
    CLI::App* restoreCommand = AddCommand(
        *settings, context, "restore",
        "Apply a kept backup of the printer's settings again (kept before every settings apply)",
        [restore, restoreVerify](CliContext& c, CInstructionProtocol& object) {
            const auto chosen = PickBackup(c, object.SettingsBackupFilePath(), *restore, "settings");
            if (const int* status = std::get_if<int>(&chosen))
                return *status;
            const QString path = std::get<QString>(chosen);
            QString why;
            if (!LoadSettingsBackup(object, path, LANGUAGE_ENGLISH, &why))
                return c.Fail(kExitBadInput, why + QStringLiteral("\nquillory-cli: nothing was sent"));
            return WithPortFor(c, *restoreVerify, [&](const tagPORTINFO& port) {
                return ApplyKeepingBackup(c, object, port, *restoreVerify);
            });
        });
    AddBackupChoice(restoreCommand, restore);
    restoreCommand->add_flag(
        "--verify", *restoreVerify,
        "Read the settings back and compare them field by field (exit 20 on a difference)");

    auto out = std::make_shared<std::string>();
    AddCommand(*settings, context, "save", "Read the print settings from the printer and save them to a file",
               [out](CliContext& c, CInstructionProtocol& object) {
                   return c.WithReadingPort([&](const tagPORTINFO& port) {
                       if (const int code = object.ReadSettings(port))
                           return c.PrinterFailure(code, {});
                       if (!object.SaveSettingsFile(Path(*out)))
                           return c.PrinterFailure(5, FileWriteDetail(Path(*out)));
                       return kExitOk;
                   });
               })
        ->add_option("FILE", *out, "The settings file to write")
        ->required();
}

// Loads an EEPROM file for writing; a file that is not a whole EEPROM file of the language is
// refused (exit 65) before the printer is opened.
int LoadEepromForWrite(CliContext& c, CInstructionProtocol& object, const QString& path) {
    const int index = object.InstructionIndex();
    const EepromFileVerdict verdict = ReadEepromFile(path, index);
    if (!verdict.Ok())
        return c.Fail(kExitBadInput, EepromFileVerdictText(verdict, path, index, LANGUAGE_ENGLISH) +
                                         QStringLiteral(" Nothing was sent."));
    if (!object.LoadEepromFile(path))
        return c.Fail(kExitBadInput, QStringLiteral("cannot read %1").arg(path));
    return kExitOk;
}

void RegisterEeprom(CLI::App& app, CliContext& context) {
    CLI::App* eeprom = app.add_subcommand("eeprom", "Parameter memory (EEPROM) of the printer");
    eeprom->require_subcommand(1);

    auto out = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    CLI::App* backup = AddCommand(
        *eeprom, context, "backup", "Read the whole EEPROM into a file (also refreshes the automatic backup)",
        [out, json](CliContext& c, CInstructionProtocol& object) {
            return c.WithReadingPort([&](const tagPORTINFO& port) {
                const int code = c.WithProgress(QStringLiteral("eeprom backup"),
                                                [&] { return object.BackupEeprom(port); });
                if (code)
                    return c.PrinterFailure(code,
                                            code == 5 ? FileWriteDetail(object.BackupFilePath()) : QString());
                if (!object.SaveEepromFile(Path(*out)))
                    return c.PrinterFailure(5, FileWriteDetail(Path(*out)));
                PrintEepromSummary(c.out, Path(*out), object.InstructionIndex(),
                                   object.GetEepromImage().size(), object.BackupFilePath(), *json);
                return kExitOk;
            });
        });
    backup->add_option("FILE", *out, "The EEPROM file to write (*.eep)")->required();
    backup->add_flag("--json", *json, "Print the summary as one JSON object");

    // Writes the loaded EEPROM and, with --verify, reads it back without touching the backups.
    const auto write = [](CliContext& c, CInstructionProtocol& object, bool verify) {
        return WithPortFor(c, verify, [&](const tagPORTINFO& port) {
            if (const int code =
                    c.WithProgress(QStringLiteral("eeprom write"), [&] { return object.WriteEeprom(port); }))
                return c.PrinterFailure(code, {});
            return verify ? ReportCheck(c, CheckEepromWrite(object, port, LANGUAGE_ENGLISH)) : kExitOk;
        });
    };

    auto in = std::make_shared<std::string>();
    auto writeVerify = std::make_shared<bool>(false);
    CLI::App* writeCommand =
        AddCommand(*eeprom, context, "write", "Write an EEPROM file's parameters to the printer",
                   [in, writeVerify, write](CliContext& c, CInstructionProtocol& object) {
                       if (const int status = LoadEepromForWrite(c, object, Path(*in)))
                           return status;
                       return write(c, object, *writeVerify);
                   });
    writeCommand->add_option("FILE", *in, "The EEPROM file (*.eep)")->required();
    writeCommand->add_flag(
        "--verify", *writeVerify,
        "Read the EEPROM back and compare it parameter by parameter (exit 20 on a difference)");

    auto restore = std::make_shared<BackupChoice>();
    auto restoreVerify = std::make_shared<bool>(false);
    CLI::App* restoreCommand = AddCommand(
        *eeprom, context, "restore", "Write a kept EEPROM backup (by default the newest) back to the printer",
        [restore, restoreVerify, write](CliContext& c, CInstructionProtocol& object) {
            const auto chosen = PickBackup(c, object.BackupFilePath(), *restore, "EEPROM");
            if (const int* status = std::get_if<int>(&chosen))
                return *status;
            if (const int status = LoadEepromForWrite(c, object, std::get<QString>(chosen)))
                return status;
            return write(c, object, *restoreVerify);
        });
    AddBackupChoice(restoreCommand, restore);
    restoreCommand->add_flag(
        "--verify", *restoreVerify,
        "Read the EEPROM back and compare it parameter by parameter (exit 20 on a difference)");
}

// Command names of the service operations, in the order of the maintenance table.
constexpr std::array<const char*, kMaintenanceCount> kToolNames{
    "self-test",     "font-list", "graphic-list", "form-list", "feed",     "calibrate",
    "factory-reset", "restart",   "dump-on",      "dump-off",  "auto-off",
};

void RegisterTools(CLI::App& app, CliContext& context) {
    CLI::App* tool = app.add_subcommand("tool", "Service operations (a language without one does nothing)");
    tool->require_subcommand(1);
    for (const MaintenanceRow& row : MaintenanceTable()) {
        const char* name = kToolNames[std::size_t(row.operation)];
        auto json = std::make_shared<bool>(false);
        AddCommand(*tool, context, name, name,
                   [operation = row.run, index = int(row.operation), name,
                    json](CliContext& c, CInstructionProtocol& object) {
                       const auto run = [&](const tagPORTINFO& port) {
                           ExchangeCounts counts;
                           const int code = c.WithProgress(
                               QLatin1String(name), [&] { return (object.*operation)(port); }, &counts,
                               false);
                           if (code)
                               return c.PrinterFailure(code, {});
                           PrintToolResult(c.out, name, object.InstructionIndex(), counts, *json);
                           return kExitOk;
                       };
                       return MaintenanceNeedsReply(index, object.InstructionIndex()) ? c.WithReadingPort(run)
                                                                                      : c.WithPort(run);
                   })
            ->add_flag("--json", *json, "Print the result as one JSON object");
    }
}

} // namespace

void RegisterInstructionCommands(CLI::App& app, CliContext& context) {
    RegisterSettings(app, context);
    RegisterEeprom(app, context);
    RegisterTools(app, context);
}

} // namespace quillory::cli
