// send FILE: the file goes to the printer unchanged, streamed in blocks over one connection;
// "send -" streams standard input the same way.
#include "cli/CommandGroups.h"

#include "port/Communication.h"
#include "tools/FileSend.h"

#include <CLI/CLI.hpp>

#include <QElapsedTimer>
#include <QFile>

#include <ostream>
#include <unistd.h>

namespace quillory::cli {
namespace {

// "12.5 of 64.0 MiB, 3.2 MiB/s" on one line that rewrites itself; only for a terminal.
class SendProgress {
public:
    SendProgress(std::ostream& err, bool shown) : m_err(err), m_shown(shown) { m_clock.start(); }
    ~SendProgress() {
        if (m_shown && m_drawn)
            m_err << std::endl;
    }
    SendProgress(const SendProgress&) = delete;
    SendProgress& operator=(const SendProgress&) = delete;

    void operator()(qint64 sent, qint64 total) {
        if (!m_shown || (m_drawn && m_lastDraw.isValid() && m_lastDraw.elapsed() < 200 && sent != total))
            return;
        m_lastDraw.start();
        m_drawn = true;
        constexpr double kMiB = 1024.0 * 1024.0;
        const double seconds = std::max<qint64>(1, m_clock.elapsed()) / 1000.0;
        QString line = QStringLiteral("\rsent %1").arg(sent / kMiB, 0, 'f', 1);
        if (total >= 0)
            line += QStringLiteral(" of %1").arg(total / kMiB, 0, 'f', 1);
        line += QStringLiteral(" MiB, %1 MiB/s  ").arg(sent / kMiB / seconds, 0, 'f', 1);
        m_err << line.toStdString() << std::flush;
    }

private:
    std::ostream& m_err;
    bool m_shown;
    bool m_drawn = false;
    QElapsedTimer m_clock;
    QElapsedTimer m_lastDraw;
};

} // namespace

void RegisterSendCommand(CLI::App& app, CliContext& context) {
    auto file = std::make_shared<std::string>();
    CLI::App* send =
        app.add_subcommand("send", "Send a file to the printer unchanged (firmware, fonts, labels)");
    send->add_option("FILE", *file, "The file to send; - for standard input")->required();
    send->callback([&context, file] {
        context.action = [&context, file] {
            return context.WithPort([&](const tagPORTINFO& port) {
                FileSendResult result;
                {
                    auto progress = std::make_shared<SendProgress>(context.err, context.progressShown);
                    FileSendOptions options;
                    options.progress = [progress](qint64 sent, qint64 total) { (*progress)(sent, total); };
                    if (*file == "-") {
                        QFile input;
                        if (!input.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered,
                                        QFileDevice::DontCloseHandle))
                            return context.Fail(
                                kExitBadInput,
                                QStringLiteral("cannot read standard input: %1").arg(input.errorString()));
                        result = SendStreamToPrinter(input, input.isSequential() ? -1 : input.size(),
                                                     QStringLiteral("standard input"), port, options);
                    } else {
                        result = SendFileToPrinter(QString::fromStdString(*file), port, options);
                    }
                }
                switch (result.status) {
                case FileSendStatus::Sent:
                    return kExitOk;
                case FileSendStatus::FileUnreadable:
                    return context.Fail(kExitBadInput, QStringLiteral("cannot read %1").arg(result.detail));
                case FileSendStatus::Cancelled:
                    return context.Fail(
                        kExitPrinterBase + COMM_FAILED,
                        QStringLiteral("the send was stopped after %1 bytes").arg(result.sent));
                case FileSendStatus::CommunicationFailed:
                    break;
                }
                return context.PrinterFailure(result.code, result.detail);
            });
        };
    });
}

} // namespace quillory::cli
