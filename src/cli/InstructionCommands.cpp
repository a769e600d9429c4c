// settings ..., eeprom ... and tool ...: the operations of the command language's instruction object.
#include "cli/CommandGroups.h"

#include "app/ProfileFile.h"
#include "instruction/InstructionProtocol.h"

#include <CLI/CLI.hpp>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <array>
#include <memory>
#include <ostream>

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
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

void PrintRecord(std::ostream& out, const SettingsRecord& record, bool json) {
    const auto fields = SettingsFields(record);
    if (!json) {
        for (const auto& [name, value] : fields)
            out << name.toStdString() << '=' << value.toString().toStdString() << '\n';
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

// A settings file must at least hold the section the settings are kept in.
bool IsSettingsFile(const QString& path) {
    CProfileFile file(path);
    return file.Load() && file.HasSection(QStringLiteral("First"));
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

void RegisterSettings(CLI::App& app, CliContext& context) {
    CLI::App* settings = app.add_subcommand("settings", "Print settings of the printer");
    settings->require_subcommand(1);

    auto json = std::make_shared<bool>(false);
    AddCommand(*settings, context, "read", "Read the print settings from the printer and print them",
               [json](CliContext& c, CInstructionProtocol& object) {
                   if (const int code = object.ReadSettings(c.Port()))
                       return c.PrinterFailure(code, {});
                   PrintRecord(c.out, object.GetSettingsRecord(), *json);
                   return kExitOk;
               })
        ->add_flag("--json", *json, "Print one JSON object with the record's fields");

    auto file = std::make_shared<std::string>();
    AddCommand(*settings, context, "apply", "Load a settings file and apply it to the printer",
               [file](CliContext& c, CInstructionProtocol& object) {
                   if (!IsSettingsFile(Path(*file)) || !object.LoadSettingsFile(Path(*file)))
                       return c.Fail(kExitBadInput,
                                     QStringLiteral("%1 is not a readable settings file").arg(Path(*file)));
                   if (const int code = object.ApplySettings(c.Port()))
                       return c.PrinterFailure(code, {});
                   return kExitOk;
               })
        ->add_option("FILE", *file, "The settings file (*.VKLZSET ...)")
        ->required();

    auto out = std::make_shared<std::string>();
    AddCommand(*settings, context, "save", "Read the print settings from the printer and save them to a file",
               [out](CliContext& c, CInstructionProtocol& object) {
                   if (const int code = object.ReadSettings(c.Port()))
                       return c.PrinterFailure(code, {});
                   if (!object.SaveSettingsFile(Path(*out)))
                       return c.PrinterFailure(5, Path(*out));
                   return kExitOk;
               })
        ->add_option("FILE", *out, "The settings file to write")
        ->required();
}

void RegisterEeprom(CLI::App& app, CliContext& context) {
    CLI::App* eeprom = app.add_subcommand("eeprom", "Parameter memory (EEPROM) of the printer");
    eeprom->require_subcommand(1);

    auto out = std::make_shared<std::string>();
    AddCommand(*eeprom, context, "backup",
               "Read the whole EEPROM into a file (also refreshes the automatic backup)",
               [out](CliContext& c, CInstructionProtocol& object) {
                   if (const int code = object.BackupEeprom(c.Port()))
                       return c.PrinterFailure(code, code == 5 ? object.BackupFilePath() : QString());
                   if (!object.SaveEepromFile(Path(*out)))
                       return c.PrinterFailure(5, Path(*out));
                   return kExitOk;
               })
        ->add_option("FILE", *out, "The EEPROM file to write (*.eep)")
        ->required();

    auto in = std::make_shared<std::string>();
    AddCommand(*eeprom, context, "write", "Write an EEPROM file's parameters to the printer",
               [in](CliContext& c, CInstructionProtocol& object) {
                   if (!QFileInfo(Path(*in)).isFile() || !object.LoadEepromFile(Path(*in)))
                       return c.Fail(kExitBadInput, QStringLiteral("cannot read %1").arg(Path(*in)));
                   if (const int code = object.WriteEeprom(c.Port()))
                       return c.PrinterFailure(code, {});
                   return kExitOk;
               })
        ->add_option("FILE", *in, "The EEPROM file (*.eep)")
        ->required();

    AddCommand(*eeprom, context, "restore",
               "Write the automatic backup of the last EEPROM read back to the printer",
               [](CliContext& c, CInstructionProtocol& object) {
                   const QString backup = object.BackupFilePath();
                   if (backup.isEmpty() || !QFileInfo(backup).isFile() || !object.LoadEepromFile(backup))
                       return c.Fail(kExitBadInput,
                                     QStringLiteral("there is no backup to restore (%1)").arg(backup));
                   if (const int code = object.WriteEeprom(c.Port()))
                       return c.PrinterFailure(code, {});
                   return kExitOk;
               });
}

using Operation = int (CInstructionProtocol::*)(tagPORTINFO);
struct Tool {
    const char* name;
    Operation operation;
};
constexpr std::array<Tool, 11> kTools{{
    {"self-test", &CInstructionProtocol::PrintSelfTest},
    {"font-list", &CInstructionProtocol::PrintFontList},
    {"graphic-list", &CInstructionProtocol::PrintGraphicList},
    {"form-list", &CInstructionProtocol::PrintFormList},
    {"feed", &CInstructionProtocol::FeedLabel},
    {"calibrate", &CInstructionProtocol::CalibrateMedia},
    {"factory-reset", &CInstructionProtocol::RestoreFactory},
    {"restart", &CInstructionProtocol::RestartPrinter},
    {"dump-on", &CInstructionProtocol::EnterDumpMode},
    {"dump-off", &CInstructionProtocol::ExitDumpMode},
    {"auto-off", &CInstructionProtocol::ExitAutoMode},
}};

void RegisterTools(CLI::App& app, CliContext& context) {
    CLI::App* tool = app.add_subcommand("tool", "Service operations (a language without one does nothing)");
    tool->require_subcommand(1);
    for (const Tool& t : kTools) {
        AddCommand(*tool, context, t.name, t.name,
                   [operation = t.operation](CliContext& c, CInstructionProtocol& object) {
                       if (const int code = (object.*operation)(c.Port()))
                           return c.PrinterFailure(code, {});
                       return kExitOk;
                   });
    }
}

} // namespace

void RegisterInstructionCommands(CLI::App& app, CliContext& context) {
    RegisterSettings(app, context);
    RegisterEeprom(app, context);
    RegisterTools(app, context);
}

} // namespace quillory::cli
