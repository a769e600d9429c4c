#pragma once

#include "cli/CliContext.h"

#include <span>

namespace CLI {
class App;
}

namespace quillory::cli {

// A command group adds its subcommands to app. A subcommand's callback stores its work in
// context.action; the work runs after the whole command line has been parsed and returns the exit
// status. A new group is a source file with one of these functions plus a line in CommandGroups.cpp.
using RegisterCommands = void (*)(CLI::App& app, CliContext& context);

void RegisterPortCommands(CLI::App& app, CliContext& context);        // port-string, usb list, search
void RegisterSendCommand(CLI::App& app, CliContext& context);         // send FILE
void RegisterInstructionCommands(CLI::App& app, CliContext& context); // settings, eeprom, tool
void RegisterNetworkCommands(CLI::App& app, CliContext& context);     // network apply, network factory
void RegisterLogoCommands(CLI::App& app, CliContext& context);        // logo convert, logo download
void RegisterFleetCommands(CLI::App& app, CliContext& context);       // snapshot, diff, fleet ...

[[nodiscard]] std::span<const RegisterCommands> CommandGroups();

// Parses the command line and runs the chosen command; returns the exit status.
[[nodiscard]] int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace quillory::cli
