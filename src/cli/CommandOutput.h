#pragma once

#include "cli/CliContext.h"

#include <QJsonDocument>
#include <QString>

#include <cstddef>
#include <iosfwd>

namespace quillory::cli {

// "PATH: the system's reason" for a file the last file operation of this thread could not write.
[[nodiscard]] QString FileWriteDetail(const QString& path);

// One JSON document on one line, with nothing in it a terminal acts on.
void PrintJsonLine(std::ostream& out, const QJsonDocument& document);

// What "eeprom backup" wrote: the file, the language, how many words the printer gave and where
// the automatic backup lies. As key=value lines, or one JSON object.
void PrintEepromSummary(std::ostream& out, const QString& file, int instructionIndex, std::size_t words,
                        const QString& backup, bool json);

// What a service operation did: "feed: done (12 bytes sent, 0 received)", or that the language has
// no such operation and nothing was sent. As one line, or one JSON object.
void PrintToolResult(std::ostream& out, const char* tool, int instructionIndex, const ExchangeCounts& counts,
                     bool json);

} // namespace quillory::cli
