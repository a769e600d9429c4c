// send FILE: the file goes to the printer unchanged, in one write.
#include "cli/CommandGroups.h"

#include "tools/FileSend.h"

#include <CLI/CLI.hpp>

namespace quillory::cli {

void RegisterSendCommand(CLI::App& app, CliContext& context) {
    auto file = std::make_shared<std::string>();
    CLI::App* send =
        app.add_subcommand("send", "Send a file to the printer unchanged (firmware, fonts, labels)");
    send->add_option("FILE", *file, "The file to send")->required();
    send->callback([&context, file] {
        context.action = [&context, file] {
            return context.WithPort([&](const tagPORTINFO& port) {
                const FileSendResult result = SendFileToPrinter(QString::fromStdString(*file), port);
                switch (result.status) {
                case FileSendStatus::Sent:
                    return kExitOk;
                case FileSendStatus::FileUnreadable:
                    return context.Fail(kExitBadInput, QStringLiteral("cannot read %1").arg(result.detail));
                case FileSendStatus::CommunicationFailed:
                    break;
                }
                return context.PrinterFailure(result.code, result.detail);
            });
        };
    });
}

} // namespace quillory::cli
