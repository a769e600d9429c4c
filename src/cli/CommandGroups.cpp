#include "cli/CommandGroups.h"

#include "cli/PortAddress.h"
#include "cli/Progress.h"
#include "cli/Trace.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace quillory::cli {
namespace {

// Every command group, in the order of the help text.
constexpr RegisterCommands kGroups[] = {
    RegisterSendCommand,  RegisterLogoCommands,        RegisterNetworkCommands,
    RegisterPortCommands, RegisterInstructionCommands, RegisterFleetCommands,
};

} // namespace

std::span<const RegisterCommands> CommandGroups() {
    return kGroups;
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Quillory command line: configure and service thermal label printers", "quillory-cli"};
    CliContext context(out, err);
    app.set_version_flag("--version", std::string("quillory-cli ") + QUILLORY_VERSION,
                         "Print the version and exit");
    app.add_option("--port", context.portAddress,
                   "net:HOST:PORT | com:NAME[:BAUD[:BITS[:STOP[:PARITY[:FLOW]]]]] | lpt:NAME | usb:NAME | "
                   "usbapi:N | driver:QUEUE (default: the saved port)")
        ->check(CLI::Validator(
            [](std::string& text) {
                const ParsedPortAddress parsed = ParsePortAddress(QString::fromStdString(text));
                return parsed.port ? std::string() : parsed.error.toStdString();
            },
            "ADDRESS"));
    app.add_option("--lang", context.language, "VKLZ, VKLE, VKLT, VKLA or VKLC (default: the saved one)")
        ->check(CLI::Validator(
            [](std::string& text) {
                return InstructionFromName(QString::fromStdString(text)) < 0
                           ? "unknown command language " + text + " (VKLZ, VKLE, VKLT, VKLA, VKLC)"
                           : std::string();
            },
            "LANG"));
    const auto milliseconds = [&app](const char* name, std::optional<int>& value, const TimingRange& range,
                                     const char* help) {
        app.add_option(name, value, help)->check(CLI::Range(range.minimum, range.maximum))->type_name("MS");
    };
    milliseconds("--reply-timeout", context.replyTimeoutMs, kReplyTimeoutRange,
                 "How long a reply may take to begin (default: saved with the port, else 2000)");
    milliseconds("--reply-gap", context.replyGapMs, kReplyGapRange,
                 "Silence that ends a reply (default 5; a serial line needs at least 3.5 characters)");
    milliseconds("--stall-limit", context.stallLimitMs, kStallLimitRange,
                 "How long a write may go without progress (default 30000)");
    bool trace = false;
    app.add_flag(
        "--trace", trace,
        "Write every byte exchanged with the printer to standard error (time, direction, hex, text)");
    app.require_subcommand(1);
    app.fallthrough(); // global options may also follow the command
    for (const RegisterCommands registerGroup : CommandGroups())
        registerGroup(app, context);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err);
        return status == 0 ? kExitOk : kExitUsage;
    }
    if (!context.action)
        return context.Fail(kExitUsage, QStringLiteral("no command given"));
    const PortTiming timing = context.Timing();
    SetPortTimingSource([timing] { return timing; });
    if (trace)
        context.trace = std::make_shared<TraceWatcher>(err);
    // Progress lines and a trace on the same terminal would cut through each other.
    context.progressShown = !trace && StandardErrorIsTerminal();
    SetConnectionWatcher(context.trace);
    const int status = context.action();
    SetConnectionWatcher(nullptr);
    SetPortTimingSource({});
    return status;
}

} // namespace quillory::cli
