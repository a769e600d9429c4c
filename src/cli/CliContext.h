#pragma once

#include "port/ConnectionWatch.h"
#include "port/PortInfo.h"
#include "port/PortTiming.h"

#include <QString>

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

namespace quillory::cli {

// Exit statuses of quillory-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 64;       // the command line is wrong (also: no port given, or a
                                            // port that only sends for a command that reads)
inline constexpr int kExitBadInput = 65;    // an input file cannot be read or is not valid
inline constexpr int kExitPrinterBase = 10; // plus the communication error code (11 open failed, ...)
inline constexpr int kExitNotVerified = 20; // --verify: the printer does not hold what was written

// Bytes sent to and received from the printer by one piece of work.
struct ExchangeCounts {
    qint64 sent = 0;
    qint64 received = 0;
};

// What every command needs: the global options, the output streams and the work to run.
struct CliContext {
    CliContext(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    // Runs work with the port of --port, or the one saved in the user settings file. Without
    // --port there must be a saved user settings file that can be read: otherwise this says how to
    // give a port (64) or why the file cannot be used (65) and runs nothing. The command line never
    // falls back to a port nobody chose.
    [[nodiscard]] int WithPort(const std::function<int(const tagPORTINFO&)>& work) const;
    // The same for work that needs the printer's reply: a port that can only send (parallel, a
    // printer queue) is refused with 64 before anything is sent.
    [[nodiscard]] int WithReadingPort(const std::function<int(const tagPORTINFO&)>& work) const;
    // The command-language index of --lang, or the one saved in the user settings file.
    [[nodiscard]] int Instruction() const;

    // Reports on standard error and returns the exit status.
    int Fail(int status, const QString& message) const;
    // A printer failure: the message of the code, then the detail; 10 plus the code.
    int PrinterFailure(int code, const QString& detail) const;

    // Runs work with a progress line on standard error (when progressShown) that counts the
    // bytes of the exchange: "label: 1.5 KiB sent, 3.0 KiB received, 2 s". Returns work's status;
    // counts, when given, receives the bytes that moved. shown false: only count.
    int WithProgress(const QString& label, const std::function<int()>& work, ExchangeCounts* counts = nullptr,
                     bool shown = true) const;

    // The waiting rules for this run: those saved with the port when --port is not given, the
    // defaults otherwise, each replaced by its option when given.
    [[nodiscard]] PortTiming Timing() const;

    std::string portAddress;           // --port as given (already checked)
    std::optional<int> replyTimeoutMs; // --reply-timeout
    std::optional<int> replyGapMs;     // --reply-gap
    std::optional<int> stallLimitMs;   // --stall-limit
    std::string language;              // --lang as given (already checked)
    // --trace: watches every connection of the run (null without it).
    std::shared_ptr<ConnectionWatcher> trace;
    // Whether progress lines are drawn: standard error is a terminal.
    bool progressShown = false;
    std::ostream& out;
    std::ostream& err;
    // Set by the chosen command while the command line is parsed; run once parsing succeeded.
    std::function<int()> action;
};

// The command-language index of a name (VKLZ, VKLE, VKLT, VKLA, VKLC, any case); -1 for others.
[[nodiscard]] int InstructionFromName(const QString& name);

// The English text of a communication error code ("" for an unknown code).
[[nodiscard]] QString CommErrorText(int code);

} // namespace quillory::cli
