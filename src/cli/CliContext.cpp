#include "cli/CliContext.h"

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "cli/PortAddress.h"
#include "instruction/Exchange.h"

#include <ostream>

namespace quillory::cli {

tagPORTINFO CliContext::Port() const {
    if (portAddress.empty())
        return ReadPortInfo();
    // Checked while parsing, so a port is there.
    return ParsePortAddress(QString::fromStdString(portAddress)).port.value_or(MakePortInfo(0));
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
    err << "quillory-cli: " << message.toStdString() << std::endl;
    return status;
}

int CliContext::PrinterFailure(int code, const QString& detail) const {
    QString message = CommErrorText(code);
    if (message.isEmpty())
        message = QStringLiteral("The printer reported error %1.").arg(code);
    // Operations report a code only; the exchange that failed on this thread knows why.
    const QString why = detail.isEmpty() ? LastExchangeFailure() : detail;
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
