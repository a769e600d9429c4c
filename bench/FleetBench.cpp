// fleet apply to 50 virtual printers with 8 jobs against the slowest single printer: the run should
// take at most 1.5 times the slowest printer's time times 50 / 8.
#include "fleet/FleetJob.h"
#include "port/PortInfo.h"
#include "sim/VirtualPrinter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace quillory;

namespace {

constexpr int kPrinters = 50;
constexpr int kJobs = 8;
constexpr int kSingles = 3;
constexpr int kLatencyMs = 10; // a printer on a busy network answers a little late

std::unique_ptr<sim::VirtualPrinter> Printer() {
    auto printer = std::make_unique<sim::VirtualPrinter>(0);
    if (!printer->StartTcp())
        return nullptr;
    sim::Faults faults;
    faults.latencyMs = kLatencyMs;
    printer->SetFaults(faults);
    return printer;
}

tagPORTINFO PortOf(const sim::VirtualPrinter& printer) {
    tagPORTINFO port = MakePortInfo(PORT_NET);
    SetPortText(port.netAddress, QStringLiteral("127.0.0.1"));
    port.netPort = printer.TcpPort();
    return port;
}

InventoryEntry Entry(int i, const sim::VirtualPrinter& printer) {
    return {QStringLiteral("p%1").arg(i), QStringLiteral("net:127.0.0.1:%1").arg(printer.TcpPort()), 0,
            i + 1};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    std::vector<std::unique_ptr<sim::VirtualPrinter>> printers;
    for (int i = 0; i < kPrinters + kSingles; ++i) {
        printers.push_back(Printer());
        if (!printers.back()) {
            std::fprintf(stderr, "cannot start a virtual printer\n");
            return 1;
        }
    }
    // The profile: a printer's own settings with the label length changed, so every printer differs.
    std::unique_ptr<CInstructionProtocol> object = MakeInstruction(0);
    QTemporaryDir source;
    PrinterReading reading = ReadPrinterInto(*object, PortOf(*printers[0]), QString(), source.path());
    if (reading.code || !reading.error.isEmpty()) {
        std::fprintf(stderr, "cannot read the first printer: %s\n", qPrintable(reading.error));
        return 1;
    }
    Configuration profile = reading.configuration;
    profile.eeprom.reset();
    SetSettingsField(*profile.settings, QStringLiteral("PaperHeight"), 480);

    ApplyOptions options;
    options.snapshotFolder = work.filePath(QStringLiteral("snapshots"));
    QDir().mkpath(options.snapshotFolder);

    qint64 slowest = 0;
    for (int i = kPrinters; i < kPrinters + kSingles; ++i) {
        QElapsedTimer clock;
        clock.start();
        const PrinterResult r = ApplyToPrinter(profile, Entry(i, *printers[std::size_t(i)]),
                                               PortOf(*printers[std::size_t(i)]), options);
        const qint64 ms = clock.elapsed();
        if (r.outcome != FleetOutcome::Applied) {
            std::fprintf(stderr, "single printer: %s %s\n", FleetOutcomeName(r.outcome),
                         qPrintable(r.reason));
            return 1;
        }
        slowest = std::max(slowest, ms);
    }

    std::vector<InventoryEntry> entries;
    for (int i = 0; i < kPrinters; ++i)
        entries.push_back(Entry(i, *printers[std::size_t(i)]));
    std::atomic<bool> stop{false};
    QElapsedTimer clock;
    clock.start();
    const std::vector<PrinterResult> results = RunFleet(
        entries, kJobs,
        [&](const InventoryEntry& e) {
            return ApplyToPrinter(profile, e, PortOf(*printers[std::size_t(e.line - 1)]), options);
        },
        stop);
    const qint64 fleetMs = clock.elapsed();
    const int applied = int(std::count_if(results.begin(), results.end(), [](const PrinterResult& r) {
        return r.outcome == FleetOutcome::Applied;
    }));
    const double bound = 1.5 * double(slowest) * kPrinters / kJobs;
    std::printf("slowest single printer: %lld ms (latency %d ms a reply)\n", static_cast<long long>(slowest),
                kLatencyMs);
    std::printf("fleet apply, %d printers, %d jobs: %lld ms, %d applied and verified\n", kPrinters, kJobs,
                static_cast<long long>(fleetMs), applied);
    std::printf("bound 1.5 x slowest x %d / %d: %.0f ms; ratio %.2f\n", kPrinters, kJobs, bound,
                double(fleetMs) / bound);
    return applied == kPrinters && double(fleetMs) <= bound ? 0 : 1;
}
