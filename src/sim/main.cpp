// quillory-printer-sim: a virtual printer on 127.0.0.1 and/or a pseudo-terminal, until SIGINT or
// SIGTERM.
#include "app/QuitOnSignal.h"
#include "port/PortInfo.h"
#include "sim/FaultOptions.h"
#include "sim/PrinterModel.h"
#include "sim/VirtualPrinter.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <iostream>

namespace {

int LanguageIndex(const std::string& name) {
    for (int i = 0; i < 5; ++i) {
        if (quillory::InstructionName(i).compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    CLI::App cli{"Virtual printer for Quillory: answers like a printer of the chosen command language"};
    std::string language = "VKLZ";
    int port = -1;
    bool pty = false;
    int searchPort = -1;
    std::string eepromFile;
    std::string logFile;
    quillory::sim::Faults faults;
    cli.set_version_flag("--version", std::string("quillory-printer-sim ") + QUILLORY_VERSION,
                         "Print the version and exit");
    cli.add_option("--lang", language, "Command language: VKLZ, VKLE, VKLT, VKLA or VKLC")
        ->check([](const std::string& value) {
            return LanguageIndex(value) < 0 ? std::string("unknown command language ") + value
                                            : std::string();
        });
    cli.add_option("--port", port, "TCP port on 127.0.0.1 (0: a free one; the default without --pty)")
        ->check(CLI::Range(0, 65535));
    cli.add_flag("--pty", pty, "Also (or only) serve a pseudo-terminal");
    cli.add_option("--search-port", searchPort, "Answer the network search probes on this UDP port (0: free)")
        ->check(CLI::Range(0, 65535));
    cli.add_option("--eeprom", eepromFile,
                   "EEPROM image file: loaded when present, saved after every change");
    cli.add_option("--log", logFile, "Append every received byte to this file");
    std::string latency;
    std::string readRate;
    std::vector<std::string> stalls;
    std::vector<std::string> ignoreWrites;
    cli.add_option("--delay", faults.replyDelayMs, "Answer every request MS milliseconds late (--latency MS)")
        ->option_text("MS")
        ->check(CLI::Range(0, 600000));
    CLI::Option* latencyOption =
        cli.add_option("--latency", latency,
                       "Answer every request MS +/- a random JITTER milliseconds late, in order")
            ->option_text("MS[:JITTER]");
    cli.add_option("--baud", faults.baud,
                   "Send and read at the pace of a serial line of N baud, 10 bits a character (0: off)")
        ->option_text("N")
        ->check(CLI::Range(0, 4000000));
    CLI::Option* readRateOption =
        cli.add_option("--read-rate", readRate,
                       "Read at most BYTES_PER_S bytes a second, BURST bytes at a time")
            ->option_text("BYTES_PER_S[:BURST]");
    cli.add_option("--stall", stalls,
                   "Stop reading for MS milliseconds once a connection has sent OFFSET bytes (repeatable)")
        ->option_text("MS@OFFSET")
        ->allow_extra_args(false);
    cli.add_flag("--silent", faults.silent, "Take every byte, never send anything");
    cli.add_flag("--garbage", faults.garbage, "Send junk of the same length instead of each reply");
    cli.add_flag("--endless", faults.endless, "Once a request came, send junk without end (and no replies)");
    cli.add_option("--huge-reply", faults.hugeReplyBytes, "Follow every reply by BYTES bytes of junk")
        ->option_text("BYTES")
        ->check(CLI::Range(qint64(0), qint64(1) << 40));
    cli.add_option("--trickle", faults.trickleMs,
                   "Send a junk byte every MS milliseconds while a client is connected (0: off)")
        ->option_text("MS")
        ->check(CLI::Range(0, 3600000));
    cli.add_option("--pause-in-reply", faults.pauseInReplyMs,
                   "Stop every reply for MS milliseconds after its first bytes (see --pause-after; 0: off)")
        ->option_text("MS")
        ->check(CLI::Range(0, 3600000));
    cli.add_option("--pause-after", faults.pauseAfterBytes,
                   "Where --pause-in-reply stops a reply (default 2)")
        ->option_text("BYTES")
        ->check(CLI::Range(1, 1 << 20));
    cli.add_option("--ignore-writes", ignoreWrites,
                   "Take writes to these EEPROM words (hexadecimal) but keep their values (repeatable)")
        ->option_text("ADDR[,ADDR...]")
        ->allow_extra_args(false);
    cli.add_option("--close-after", faults.closeAfterBytes, "Drop a TCP connection after N received bytes")
        ->option_text("N")
        ->check(CLI::Range(qint64(0), std::numeric_limits<qint64>::max()));
    cli.add_flag("--refuse", faults.refuseConnections, "Close every new TCP connection at once");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 64;
    }
    const int languageIndex = LanguageIndex(language);
    std::string problem;
    if (latencyOption->count() > 0)
        problem = quillory::sim::ParseLatencyOption(latency, faults);
    if (problem.empty() && readRateOption->count() > 0)
        problem = quillory::sim::ParseReadRateOption(readRate, faults);
    for (const std::string& stall : stalls) {
        if (problem.empty())
            problem = quillory::sim::ParseStallOption(stall, faults);
    }
    const int wordCount = quillory::sim::PrinterModel(languageIndex).WordCount();
    for (const std::string& addresses : ignoreWrites) {
        if (problem.empty())
            problem = quillory::sim::ParseIgnoreWritesOption(addresses, wordCount, faults);
    }
    if (!problem.empty()) {
        std::cerr << "quillory-printer-sim: " << problem << "\nRun with --help for more information.\n";
        return 64;
    }

    // Signals are caught before anything is announced, so that a caller may stop us at once.
    const quillory::CQuitOnSignal stopOnSignal;
    if (!stopOnSignal.IsActive()) {
        std::cerr << "quillory-printer-sim: cannot set up signal handling\n";
        return 1;
    }

    quillory::sim::VirtualPrinter printer(languageIndex);
    printer.SetFaults(faults);
    printer.SetLogInMemory(false); // nobody asks this process for its log but the log file
    if (!logFile.empty()) {
        QFile probe(QString::fromStdString(logFile));
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
            std::cerr << "quillory-printer-sim: cannot open the log file " << logFile << '\n';
            return 1;
        }
        printer.SetLogFile(probe.fileName());
    }
    if (!eepromFile.empty() && !printer.AttachEepromFile(QString::fromStdString(eepromFile))) {
        std::cerr << "quillory-printer-sim: cannot use the EEPROM image " << eepromFile << '\n';
        return 1;
    }
    if (port >= 0 || !pty) {
        if (!printer.StartTcp(std::uint16_t(std::max(port, 0)))) {
            std::cerr << "quillory-printer-sim: cannot listen on 127.0.0.1:" << std::max(port, 0) << '\n';
            return 1;
        }
        std::cout << "tcp 127.0.0.1:" << printer.TcpPort() << std::endl;
    }
    if (pty) {
        const QString path = printer.StartPty();
        if (path.isEmpty()) {
            std::cerr << "quillory-printer-sim: cannot open a pseudo-terminal\n";
            return 1;
        }
        std::cout << "pty " << path.toStdString() << std::endl;
    }
    if (searchPort >= 0) {
        const std::uint16_t bound = printer.StartSearchResponder(std::uint16_t(searchPort));
        if (bound == 0) {
            std::cerr << "quillory-printer-sim: cannot answer searches on 127.0.0.1:" << searchPort << '\n';
            return 1;
        }
        std::cout << "search 127.0.0.1:" << bound << std::endl;
    }

    const int status = app.exec();
    printer.Stop();
    return status;
}
