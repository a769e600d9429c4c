#pragma once

#include "sim/PrinterModel.h"

#include <QByteArrayView>
#include <QList>

#include <memory>
#include <optional>

namespace quillory::sim {

using Replies = QList<QByteArray>;

// The longest command the printer waits for; an unfinished "command" beyond this is taken as data.
inline constexpr qsizetype kMaxCommandBytes = 4096;

// One command language's own commands (the ~WN extension commands and the network frames are
// handled before a language sees the bytes).
class LanguageParser {
public:
    virtual ~LanguageParser() = default;
    // Interprets the command at the start of data (a command boundary). Returns the number of bytes
    // taken, 0 when the command is not complete yet. With atEnd no more bytes will come: whatever
    // is there is taken as it stands, so the result is never 0 for non-empty data.
    virtual qsizetype Parse(QByteArrayView data, bool atEnd, PrinterModel& model, Replies& replies) = 0;
};

[[nodiscard]] std::unique_ptr<LanguageParser> MakeLanguageParser(int instructionIndex);
[[nodiscard]] std::unique_ptr<LanguageParser> MakeVklzParser();
[[nodiscard]] std::unique_ptr<LanguageParser> MakeVkleParser();
[[nodiscard]] std::unique_ptr<LanguageParser> MakeVkltParser();
[[nodiscard]] std::unique_ptr<LanguageParser> MakeVklaParser();
[[nodiscard]] std::unique_ptr<LanguageParser> MakeVklcParser();

// Position of the first byte of data that is one of chars, data.size() when there is none. Fast on
// long stretches of data (files and label bitmaps go through the same parsers as commands).
[[nodiscard]] qsizetype FindFirstOf(QByteArrayView data, QByteArrayView chars);

// The text before the first of ends in data (the line end itself is left for the stream to skip).
// Nothing when no line end came yet; an overlong or final unfinished line is taken whole.
struct Line {
    QByteArrayView text;
    qsizetype consumed = 0;
};
[[nodiscard]] std::optional<Line> TakeLine(QByteArrayView data, bool atEnd, QByteArrayView ends = "\r\n");

// The line languages that also speak the ~WN commands end a line at '~' as well, so that an
// extension command right after other bytes is still heard. A '~' that starts no extension
// command reaches the language as data; TakeTextLine passes it over.
[[nodiscard]] std::optional<Line> TakeTextLine(QByteArrayView data, bool atEnd);

// Splits at every separator (empty parts kept).
[[nodiscard]] QList<QByteArrayView> SplitView(QByteArrayView text, char separator);
// Splits at runs of blanks (no empty parts).
[[nodiscard]] QList<QByteArrayView> Words(QByteArrayView text);

// Writes a length into the EEPROM word that the language reads it from, by the paper type in 1C.
void SetPaperLength(PrinterModel& model, int continuousAddress, int labelAddress, std::uint16_t length);

} // namespace quillory::sim
