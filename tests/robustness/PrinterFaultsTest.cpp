// Every exchange against a virtual printer that misbehaves: it goes silent, answers garbage,
// answers late, hangs up part way or refuses connections. Each run must end within its
// time-outs with a failure code (or success where nothing was lost), without a crash, and a
// failed EEPROM read must never replace the backup.
#include "app/AppSettings.h"
#include "instruction/InstructionProtocol.h"
#include "port/PortTiming.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"
#include "tools/FileSend.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

struct Operation {
    const char* name;
    int (CInstructionProtocol::*run)(tagPORTINFO);
};

constexpr Operation kOperations[] = {
    {"ReadSettings", &CInstructionProtocol::ReadSettings},
    {"ApplySettings", &CInstructionProtocol::ApplySettings},
    {"BackupEeprom", &CInstructionProtocol::BackupEeprom},
    {"WriteEeprom", &CInstructionProtocol::WriteEeprom},
};

// Silence costs the whole-EEPROM read its 256 bounded waits; nothing else comes close.
constexpr qint64 kLongestRunMs = 20000;

class PrinterFaults : public ::testing::TestWithParam<int> {
protected:
    TempEnvironment env;
    sim::VirtualPrinter printer{GetParam()};
    std::unique_ptr<CInstructionProtocol> object = MakeInstruction(GetParam());
    tagPORTINFO port = MakePortInfo(PORT_NET);
    QByteArray goodBackup;

    void SetUp() override {
        ASSERT_TRUE(printer.StartTcp(0));
        SetPortText(port.netAddress, "127.0.0.1");
        port.netPort = printer.TcpPort();
        ASSERT_EQ(object->BackupEeprom(port), 0);
        ASSERT_EQ(object->ReadSettings(port), 0);
        goodBackup = ReadFileBytes(object->BackupFilePath());
        ASSERT_FALSE(goodBackup.isEmpty());
    }

    // Runs every operation under the current fault; returns their results.
    std::vector<int> RunAll(const char* fault) {
        std::vector<int> results;
        for (const Operation& operation : kOperations) {
            QElapsedTimer timer;
            timer.start();
            const int result = (*object.*operation.run)(port);
            EXPECT_LT(timer.elapsed(), kLongestRunMs) << operation.name << " under " << fault;
            if (operation.run == &CInstructionProtocol::BackupEeprom && result != 0) {
                EXPECT_EQ(ReadFileBytes(object->BackupFilePath()), goodBackup) << fault;
            }
            results.push_back(result);
        }
        return results;
    }
};

std::string Name(const ::testing::TestParamInfo<int>& info) {
    return InstructionName(info.param).toStdString();
}

} // namespace

TEST_P(PrinterFaults, Silence) {
    sim::Faults faults;
    faults.silent = true;
    printer.SetFaults(faults);
    const std::vector<int> results = RunAll("silence");
    EXPECT_EQ(results[0], 3); // nothing to read
    EXPECT_EQ(results[1], 0); // applying needs no answer
    EXPECT_EQ(results[2], 3);
    EXPECT_EQ(results[3], 0);
}

TEST_P(PrinterFaults, GarbageAndLateReplies) {
    sim::Faults faults;
    faults.garbage = true;
    printer.SetFaults(faults);
    const std::vector<int> garbage = RunAll("garbage");
    EXPECT_EQ(garbage[0], 3); // junk is never taken for values
    EXPECT_EQ(garbage[1], 0);
    EXPECT_EQ(garbage[2], 3);
    EXPECT_EQ(garbage[3], 0);

    // Replies later than the reply time-out: nothing is taken for the answer to a later request.
    SetPortTimingSource(
        [] { return PortTiming{.replyTimeoutMs = 300, .replyGapMs = 5, .stallLimitMs = 30000}; });
    faults = {};
    faults.replyDelayMs = 1000;
    printer.SetFaults(faults);
    const std::vector<int> late = RunAll("late replies");
    SetPortTimingSource({});
    EXPECT_EQ(late[0], 3);
    EXPECT_EQ(late[2], 3);
}

TEST_P(PrinterFaults, HangUpPartWayAndRefusal) {
    for (const qint64 after : {0, 1, 17, 200, 2000}) {
        sim::Faults faults;
        faults.closeAfterBytes = after;
        printer.SetFaults(faults);
        for (const int result : RunAll("hang-up"))
            EXPECT_TRUE(result == 0 || result == 3) << "after " << after << ": " << result;
    }
    sim::Faults refuse;
    refuse.refuseConnections = true;
    printer.SetFaults(refuse);
    for (const int result : RunAll("refusal"))
        EXPECT_NE(result, 0);
    printer.SetFaults({});
    EXPECT_EQ(object->BackupEeprom(port), 0); // and it recovers
}

TEST_P(PrinterFaults, FileSendEndsWithTheFailure) {
    const QString path = env.Path("big.bin");
    WriteFileBytes(path, QByteArray(4 * 1024 * 1024, 'x'));
    for (const qint64 after : {0, 1, 65536, 1024 * 1024}) {
        sim::Faults faults;
        faults.closeAfterBytes = after;
        printer.SetFaults(faults);
        QElapsedTimer timer;
        timer.start();
        const FileSendResult result = SendFileToPrinter(path, port);
        EXPECT_EQ(result.status, FileSendStatus::CommunicationFailed) << after;
        EXPECT_EQ(result.code, 3) << after;
        EXPECT_LT(timer.elapsed(), 15000);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, PrinterFaults, ::testing::Values(0, 1, 2, 3, 4), Name);
