#include "cli/CliContext.h"

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/PrinterText.h"
#include "cli/PortAddress.h"
#include "instruction/Exchange.h"
#include "port/PortAbilities.h"

#include <ostream>

namespace quillory::cli {

int CliContext::WithPort(const std::function<int(const tagPORTINFO&)>& work) const {
    if (!portAddress.empty()) {
        // Checked while parsing, so a port is there.
        const auto port = ParsePortAddress(QString::fromStdString(portAddress)).port;
        return port ? work(*port) : Fail(kExitUsage, QStringLiteral("the port address is not valid"));
    }
    const QString noPort =
        QStringLiteral("no printer port: give one with --port ADDRESS (net:HOST:PORT, com:NAME, usb:NAME, "
                       "usbapi:N, lpt:NAME, driver:QUEUE) or save a port in the program (%1)");
    switch (const InputFileProblem problem = CheckUserSettingsFile()) {
    case InputFileProblem::None:
        if (!HasSavedPort())
            return Fail(kExitUsage, noPort.arg(QStringLiteral("%1 holds none").arg(UserSettingsFilePath())));
        break;
    case InputFileProblem::Missing:
        return Fail(kExitUsage, noPort.arg(QStringLiteral("%1 does not exist").arg(UserSettingsFilePath())));
    default:
        return Fail(kExitBadInput, InputFileProblemText(problem, UserSettingsFilePath(),
                                                        InputFileKind::UserSettings, LANGUAGE_ENGLISH) +
                                       QStringLiteral(" Give the port with --port ADDRESS."));
    }
    return work(ReadPortInfo());
}

int CliContext::WithReadingPort(const std::function<int(const tagPORTINFO&)>& work) const {
    return WithPort([&](const tagPORTINFO& port) {
        if (!PortCanRead(port))
            return Fail(kExitUsage, PortCannotReadText(port, LANGUAGE_ENGLISH));
        return work(port);
    });
}

PortTiming CliContext::Timing() const {
    PortTiming timing = portAddress.empty() ? ReadPortTiming() : PortTiming{};
    if (replyTimeoutMs)
        timing.replyTimeoutMs = *replyTimeoutMs;
    if (replyGapMs)
        timing.replyGapMs = *replyGapMs;
    if (stallLimitMs)
        timing.stallLimitMs = *stallLimitMs;
    return timing;
}

int CliContext::Instruction() const {
    if (language.empty())
        return ReadInstruction();
    return InstructionFromName(QString::fromStdString(language));
}

int CliContext::Fail(int status, const QString& message) const {
    // Details may quote a printer's reply or a file name: nothing in them reaches the terminal raw.
    err << "quillory-cli: " << EscapeMessageText(message).toStdString() << std::endl;
    return status;
}

int CliContext::PrinterFailure(int code, const QString& detail) const {
    QString message = CommErrorText(code);
    if (message.isEmpty())
        message = QStringLiteral("The printer reported error %1.").arg(code);
    // Operations report a code only; the exchange that failed on this thread knows why.
    const QString why = detail.isEmpty() ? LastCommunicationFailure() : detail;
    if (!why.isEmpty())
        message += QStringLiteral(" (%1)").arg(why);
    return Fail(kExitPrinterBase + code, message);
}

int InstructionFromName(const QString& name) {
    for (int i = INSTRUCTION_VKLZ; i <= INSTRUCTION_VKLC; ++i) {
        if (InstructionName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString CommErrorText(int code) {
    const char* key = CommErrorMessageKey(code);
    return key ? GetMessageText(key, LANGUAGE_ENGLISH) : QString();
}

} // namespace quillory::cli
