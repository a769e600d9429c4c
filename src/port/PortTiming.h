#pragma once

#include <functional>

namespace quillory {

// How long an exchange waits, in milliseconds. Real printers answer late, trickle their bytes and
// pause while busy; these waits are generous where a printer may be slow and short where nothing
// is expected.
struct PortTiming {
    // A reply that is awaited (a request went out) may take this long to begin. Printers busy with
    // a label or a flash write answer after a second or more; two leave room for that and for a
    // slow bridge, and a printer that answers promptly is never kept waiting by it.
    int replyTimeoutMs = 2000;
    // A reply has ended once no byte followed for this long. On a serial line the gap is at least
    // the time of 3.5 characters at the line's speed.
    int replyGapMs = 5;
    // A write fails only when no byte at all moved for this long: printers stop reading while they
    // print, flash firmware or hold the line with flow control.
    int stallLimitMs = 30000;
};

// The ranges a stored or given value must fall into; outside them the default is used (files)
// or the value is refused (command line).
struct TimingRange {
    int minimum;
    int maximum;
};
inline constexpr TimingRange kReplyTimeoutRange{1, 600000};
inline constexpr TimingRange kReplyGapRange{1, 10000};
inline constexpr TimingRange kStallLimitRange{100, 3600000};

// The timing every new connection gets. The program installs a source that reads the user
// settings file (so a change applies to the next exchange), the command line one that adds its
// options; without a source the defaults apply. Thread-safe.
void SetPortTimingSource(std::function<PortTiming()> source);
[[nodiscard]] PortTiming CurrentPortTiming();

// The time of 3.5 characters on a serial line, rounded up to whole milliseconds: a start bit,
// the data bits, a parity bit when there is one and the stop bits per character. 0 for a baud
// rate that is not positive.
[[nodiscard]] int SerialGapMs(int baudRate, int dataBits, bool parity, double stopBits);

} // namespace quillory
