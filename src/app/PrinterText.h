#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QString>
#include <QStringView>

namespace quillory {

// Text that came from a printer (or the network) made safe to print: no character a terminal
// acts on and no line end survives, so a printer can neither send escape sequences to the
// operator's terminal nor add lines ("key=value") to what a script reads.
//   \\ \n \r \t \e      backslash, line feed, carriage return, tab, escape
//   \xHH                other C0 controls and DEL
//   \uHHHH              C1 controls, line and paragraph separators, direction overrides
// Everything else (accented letters, CJK ...) stays as it is.
[[nodiscard]] QString EscapePrinterText(QStringView text);

// The same for a message of several lines: line feeds stay, everything else is escaped.
[[nodiscard]] QString EscapeMessageText(QStringView text);

// The document as one compact line of UTF-8. The JSON writer escapes C0 controls; this also
// writes DEL, C1 controls, separators and direction overrides as \uHHHH, which is the same
// JSON value and nothing a terminal acts on.
[[nodiscard]] QByteArray TerminalSafeJson(const QJsonDocument& document);

} // namespace quillory
