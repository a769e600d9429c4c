// ReadSettings and BackupEeprom of every language against their floor: the read time-outs the
// exchange must wait out (the drain's empty reads) plus one measured round trip per request, and
// against a printer that answers every request LATENCY ms late (one latency per request more).
// Everything stays on 127.0.0.1.
//   quillory-bench-exchange [repetitions] [latency ms]
#include "app/AppPaths.h"
#include "instruction/InstructionProtocol.h"
#include "sim/VirtualPrinter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace quillory;

namespace {

constexpr double kReadTimeoutMs = 30; // the standard read time-out of every exchange
constexpr double kGapMs = 5;          // how long a read waits for more bytes after a reply

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double TimeMs(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// One request and its whole reply on an open connection, without the port library's waits.
double RoundTripMs(std::uint16_t port, const QByteArray& request, int expected) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(3000))
        return -1;
    std::vector<double> times;
    for (int i = 0; i < 200; ++i) {
        times.push_back(TimeMs([&] {
            socket.write(request);
            socket.waitForBytesWritten(1000);
            qint64 got = 0;
            while (got < expected && socket.waitForReadyRead(1000))
                got += socket.readAll().size();
        }));
    }
    return Median(times);
}

// Requests an operation sent, counted in what the printer received.
int Requests(const QByteArray& log) {
    int count = 0;
    for (const char* marker :
         {"~WN00@eep,r,", "~WN01@version~", "~WN00@ini,r,", "\x02Ke", "\x02v\r\n", "\x1dI\x99"})
        count += int(log.count(marker));
    return count;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 7;
    const int latency = argc > 2 ? std::max(0, QByteArray(argv[2]).toInt()) : 0;
    QTemporaryDir folder;
    qputenv("QUILLORY_EEPBAK_DIR", folder.filePath(QStringLiteral("EEPbak")).toLocal8Bit());

    std::printf(
        "floor: the read time-outs an operation must wait out plus one measured round trip per request;\n"
        "with gap: the floor plus the port library's %.0f ms wait for more bytes after each reply\n"
        "printer latency: %d ms before every reply (part of each round trip of the floor)\n",
        kGapMs, latency);
    std::printf("%-5s %-13s %9s %9s %9s %7s %9s\n", "lang", "operation", "median", "floor", "requests",
                "ratio", "with gap");
    for (int language = 0; language < 5; ++language) {
        sim::VirtualPrinter printer(language);
        if (!printer.StartTcp(0)) {
            std::fprintf(stderr, "quillory-bench-exchange: the virtual printer cannot listen\n");
            return 1;
        }
        tagPORTINFO port = MakePortInfo(PORT_NET);
        SetPortText(port.netAddress, QStringLiteral("127.0.0.1"));
        port.netPort = printer.TcpPort();
        const bool vkla = language == 3;
        const double rtt = vkla ? RoundTripMs(port.netPort, "\x02Ke12\r\n", 6)
                                : RoundTripMs(port.netPort, "~WN00@eep,r,12,0,7~\r\n", 6);
        auto object = MakeInstruction(language);
        printer.SetFaults({.latencyMs = latency});

        struct Measured {
            const char* name;
            int (CInstructionProtocol::*run)(tagPORTINFO);
            double waits; // read time-outs that must pass: the drain's empty reads
        };
        // VKLA drains with a read and, when nothing came, a second; the others read until one
        // comes back empty; VKLC's settings read does not drain at all.
        const double drain = vkla ? 2 * kReadTimeoutMs : kReadTimeoutMs;
        const Measured operations[] = {
            {"ReadSettings", &CInstructionProtocol::ReadSettings, language == 4 ? 0 : drain},
            {"BackupEeprom", &CInstructionProtocol::BackupEeprom, drain},
        };
        for (const Measured& operation : operations) {
            std::vector<double> times;
            int requests = 0;
            for (int i = 0; i < repetitions; ++i) {
                printer.ClearLog();
                int result = 0;
                times.push_back(TimeMs([&] { result = (*object.*operation.run)(port); }));
                if (result != 0) {
                    std::fprintf(stderr, "quillory-bench-exchange: %s failed with %d\n", operation.name,
                                 result);
                    return 1;
                }
                requests = Requests(printer.ReceivedBytes());
            }
            // The whole-EEPROM dump goes out as one burst and comes back as one collection.
            const int roundTrips =
                operation.run == &CInstructionProtocol::BackupEeprom && !vkla ? 4 : requests;
            const double floor = operation.waits + roundTrips * (rtt + latency);
            const double median = Median(times);
            const double withGap = floor + roundTrips * kGapMs;
            std::printf("%-5s %-13s %7.1fms %7.1fms %9d %6.2fx %8.2fx\n",
                        qPrintable(InstructionName(language)), operation.name, median, floor, requests,
                        median / floor, median / withGap);
        }
        std::printf("%-5s round trip of one read on an open connection: %.3f ms\n",
                    qPrintable(InstructionName(language)), rtt);
    }
    return 0;
}
