#include "cli/CommandOutput.h"

#include "app/AtomicFile.h"
#include "app/PrinterText.h"
#include "port/PortInfo.h"

#include <QJsonObject>

#include <ostream>

namespace quillory::cli {

QString FileWriteDetail(const QString& path) {
    const QString why = LastFileWriteFailure();
    return why.isEmpty() ? path : path + QStringLiteral(": ") + why;
}

void PrintJsonLine(std::ostream& out, const QJsonDocument& document) {
    out << TerminalSafeJson(document).toStdString() << std::endl;
}

void PrintEepromSummary(std::ostream& out, const QString& file, int instructionIndex, std::size_t words,
                        const QString& backup, bool json) {
    const QString language = InstructionName(instructionIndex);
    if (json) {
        PrintJsonLine(out, QJsonDocument(QJsonObject{{QStringLiteral("file"), file},
                                                     {QStringLiteral("language"), language},
                                                     {QStringLiteral("words"), qint64(words)},
                                                     {QStringLiteral("backup"), backup}}));
        return;
    }
    out << "file=" << EscapePrinterText(file).toStdString() << '\n'
        << "language=" << language.toStdString() << '\n'
        << "words=" << words << '\n'
        << "backup=" << EscapePrinterText(backup).toStdString() << std::endl;
}

void PrintToolResult(std::ostream& out, const char* tool, int instructionIndex, const ExchangeCounts& counts,
                     bool json) {
    const QString language = InstructionName(instructionIndex);
    // A language without the operation sends nothing; saying "done" then would not be true.
    const bool sent = counts.sent > 0;
    if (json) {
        PrintJsonLine(out,
                      QJsonDocument(QJsonObject{{QStringLiteral("tool"), QLatin1String(tool)},
                                                {QStringLiteral("language"), language},
                                                {QStringLiteral("result"), sent ? "done" : "not offered"},
                                                {QStringLiteral("bytesSent"), counts.sent},
                                                {QStringLiteral("bytesReceived"), counts.received}}));
        return;
    }
    if (sent)
        out << tool << ": done (" << counts.sent << " bytes sent, " << counts.received << " received)"
            << std::endl;
    else
        out << tool << ": " << language.toStdString() << " printers have no such operation; nothing was sent"
            << std::endl;
}

} // namespace quillory::cli
