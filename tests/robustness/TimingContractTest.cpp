// Every reading operation of every language against printers that answer late, with jitter, or
// at the pace of a slow serial line, over TCP and over a serial line: each must read exactly what
// a printer that answers at once gives. Built twice: the quick conditions run with the suite,
// the slow ones (seconds per reply, 1200 baud) as entries of their own that may run side by side.
#include "TimingContract.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

struct Condition {
    const char* name;
    sim::Faults faults;
};

#ifdef QUILLORY_SLOW_TIMING
const Condition kConditions[] = {
    {"Latency250", {.latencyMs = 250}},
    {"Latency1000Jitter300", {.latencyMs = 1000, .jitterMs = 300}},
    {"Baud1200", {.baud = 1200}},
};
#else
const Condition kConditions[] = {
    {"Latency40", {.latencyMs = 40}},
    {"Latency40Jitter30", {.latencyMs = 40, .jitterMs = 30}},
    {"Baud9600", {.baud = 9600}},
};
#endif

enum Transport { TCP, SERIAL };

using Param = std::tuple<int, Transport, int>; // condition, transport, language

class TimingContract : public ::testing::TestWithParam<Param> {
protected:
    TempEnvironment env;
};

std::string Name(const ::testing::TestParamInfo<Param>& info) {
    const auto [condition, transport, language] = info.param;
    return std::string(kConditions[condition].name) + (transport == TCP ? "_Tcp_" : "_Serial_") +
           InstructionName(language).toStdString();
}

} // namespace

TEST_P(TimingContract, ReadsExactlyWhatAPromptPrinterGives) {
    const auto [conditionIndex, transport, language] = GetParam();
    const Condition& condition = kConditions[conditionIndex];
    sim::VirtualPrinter printer(language);
    FillDistinctImage(printer, language + 11);

    tagPORTINFO port{};
    PortTiming timing;
    const int lineBaud = condition.faults.baud > 0 ? condition.faults.baud : 115200;
    if (transport == TCP) {
        ASSERT_TRUE(printer.StartTcp(0));
        port = TcpPort(printer.TcpPort());
        // A serial line behind a network bridge: the reply gap is configured for its speed, with
        // room for the bridge's own packet delays (as an operator sets it for such a bridge).
        if (condition.faults.baud > 0)
            timing.replyGapMs = 2 * SerialGapMs(condition.faults.baud, 8, false, 1);
    } else {
        const QString device = printer.StartPty();
        ASSERT_FALSE(device.isEmpty());
        port = SerialLine(device, lineBaud);
    }
    const TimingScope scope(timing);

    const Reading prompt = ReadEverything(language, port, printer);
    ASSERT_EQ(prompt.settingsCode, 0);
    ASSERT_EQ(prompt.backupCode, 0);
    printer.SetFaults(condition.faults);
    const Reading slow = ReadEverything(language, port, printer);
    EXPECT_EQ(Difference(prompt, slow).toStdString(), std::string()) << condition.name;
}

INSTANTIATE_TEST_SUITE_P(Printers, TimingContract,
                         ::testing::Combine(::testing::Range(0, int(std::size(kConditions))),
                                            ::testing::Values(TCP, SERIAL), ::testing::Range(0, 5)),
                         Name);

#ifndef QUILLORY_SLOW_TIMING
// A reply later than the reply time-out: code 3, no value taken for another request's, and the
// previous backup kept.
class LatePrinter : public ::testing::TestWithParam<int> {
protected:
    TempEnvironment env;
};

TEST_P(LatePrinter, LaterThanTheReplyTimeOutIsAFailureWithNothingShifted) {
    const int language = GetParam();
    sim::VirtualPrinter printer(language);
    ASSERT_TRUE(printer.StartTcp(0));
    const tagPORTINFO port = TcpPort(printer.TcpPort());
    const TimingScope scope({.replyTimeoutMs = 150, .replyGapMs = 5, .stallLimitMs = 30000});

    // The object holds what it read from one image; the printer then holds another.
    FillDistinctImage(printer, 1);
    std::unique_ptr<CInstructionProtocol> object = MakeInstruction(language);
    ASSERT_EQ(object->BackupEeprom(port), 0);
    ASSERT_EQ(object->ReadSettings(port), 0);
    const auto before = SettingsFields(object->GetSettingsRecord());
    const QByteArray backup = ReadFileBytes(object->BackupFilePath());
    FillDistinctImage(printer, 2);
    std::unique_ptr<CInstructionProtocol> reference = MakeInstruction(language);
    ASSERT_EQ(reference->ReadSettings(port), 0);
    const auto after = SettingsFields(reference->GetSettingsRecord());

    for (const int latency : {200, 400}) {
        printer.SetFaults({.latencyMs = latency});
        EXPECT_EQ(object->ReadSettings(port), 3) << latency;
        // A field read before the failure holds the printer's value, the others the old one; a
        // version that did not come in time is empty in the languages that work without one.
        const auto fields = SettingsFields(object->GetSettingsRecord());
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const bool missed =
                fields[i].second.typeId() == QMetaType::QString && fields[i].second.toString().isEmpty();
            EXPECT_TRUE(fields[i].second == before[i].second || fields[i].second == after[i].second || missed)
                << fields[i].first.toStdString() << " = " << fields[i].second.toString().toStdString();
        }
        EXPECT_EQ(object->BackupEeprom(port), 3) << latency;
        EXPECT_EQ(ReadFileBytes(object->BackupFilePath()), backup) << latency;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, LatePrinter, ::testing::Range(0, 5),
                         [](const auto& info) { return InstructionName(info.param).toStdString(); });
#endif
