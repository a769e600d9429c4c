#pragma once

#include "port/PortInfo.h"

#include <QString>

namespace quillory {

// Whether the printer's replies can come back through a port: the parallel port and a printer
// queue only send (their Read gives nothing), so an operation that needs a reply must not run on
// them. It would send its queries (a queue even prints them) and then report a failure.
[[nodiscard]] bool PortCanRead(const tagPORTINFO& port);

// How the messages name a port: "driver:QUEUE", "lpt:NAME", ... as the command line takes it.
[[nodiscard]] QString PortAddressText(const tagPORTINFO& port);

// The message that an operation needing the printer's reply was refused on a port that only
// sends, naming the port ("PortCannotRead").
[[nodiscard]] QString PortCannotReadText(const tagPORTINFO& port, int languageIndex);

} // namespace quillory
