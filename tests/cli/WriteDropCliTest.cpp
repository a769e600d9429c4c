// Commands that only write: a printer that drops the connection part way, or hangs up before the
// program closes, must never be reported as a success.
#include "CliRun.h"
#include "app/AppSettings.h"
#include "instruction/InstructionProtocol.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"
#include "tools/LogoBitmap.h"

#include <QThread>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quillory;
using namespace quillory::test;

namespace {

class WriteDrop : public VirtualPrinterCli {
protected:
};

std::string Name(const ::testing::TestParamInfo<int>& info) {
    return InstructionName(info.param).toStdString();
}

} // namespace

TEST_P(WriteDrop, EveryWriteOnlyCommandFailsWithCode3) {
    const std::string settings = env.Path("printer.set").toStdString();
    const std::string eeprom = env.Path("printer.eep").toStdString();
    const std::string logo = env.Path("display.logo").toStdString();
    ASSERT_EQ(Run({"settings", "save", settings.c_str()}).status, 0);
    ASSERT_EQ(Run({"eeprom", "backup", eeprom.c_str()}).status, 0); // also the backup restore uses
    CLogoBitmap bitmap;
    bitmap.Toggle(3, 3);
    WriteFileBytes(QString::fromStdString(logo), LogoStream(bitmap));

    const std::vector<std::vector<const char*>> commands{
        {"settings", "apply", settings.c_str()},
        {"eeprom", "write", eeprom.c_str()},
        {"eeprom", "restore"},
        {"logo", "download", logo.c_str()},
    };
    sim::Faults faults;
    faults.closeAfterBytes = 50;
    printer.SetFaults(faults);
    for (const auto& command : commands) {
        const std::string what = std::string(command[0]) + " " + command[1];
        for (int round = 0; round < 10; ++round) {
            const CliRun run = Run(command);
            ASSERT_EQ(run.status, 13) << what << ", round " << round << ": " << run.err;
            EXPECT_NE(run.err.find("Communication with the printer failed"), std::string::npos)
                << what << ": " << run.err;
        }
    }

    // The same commands succeed against a printer that keeps the connection.
    printer.SetFaults({});
    for (const auto& command : commands)
        EXPECT_EQ(Run(command).status, 0) << command[0] << " " << command[1];
}

// The write paths themselves, without the read the command line makes before a settings apply.
TEST_P(WriteDrop, EveryWriteOperationReportsTheDrop) {
    const std::unique_ptr<CInstructionProtocol> object = MakeInstruction(GetParam());
    tagPORTINFO info = MakePortInfo(PORT_NET);
    SetPortText(info.netAddress, QStringLiteral("127.0.0.1"));
    info.netPort = printer.TcpPort();
    ASSERT_EQ(object->ReadSettings(info), 0);
    ASSERT_EQ(object->BackupEeprom(info), 0);
    // VKLE sends its settings in fewer than 50 bytes; the cut comes within every write here.
    sim::Faults faults;
    faults.closeAfterBytes = 20;
    printer.SetFaults(faults);
    CLogoBitmap bitmap;
    for (int round = 0; round < 10; ++round) {
        EXPECT_EQ(object->ApplySettings(info), 3) << "round " << round;
        EXPECT_EQ(object->WriteEeprom(info), 3) << "round " << round;
        EXPECT_EQ(DownloadLogo(info, bitmap), 3) << "round " << round;
    }
}

// A printer that hangs up with only the very last byte of the write not taken: the bytes were all
// handed to the system, and only the reset at the close tells that one never arrived.
TEST_P(WriteDrop, AHangUpBeforeTheLastByteIsAFailure) {
    const std::unique_ptr<CInstructionProtocol> object = MakeInstruction(GetParam());
    tagPORTINFO info = MakePortInfo(PORT_NET);
    SetPortText(info.netAddress, QStringLiteral("127.0.0.1"));
    info.netPort = printer.TcpPort();
    ASSERT_EQ(object->ReadSettings(info), 0);
    printer.ClearLog();
    ASSERT_EQ(object->ApplySettings(info), 0);
    QThread::msleep(100);
    const qsizetype size = printer.ReceivedBytes().size();
    ASSERT_GT(size, 0);
    sim::Faults faults;
    faults.closeAfterBytes = size - 1;
    printer.SetFaults(faults);
    int failures = 0;
    for (int round = 0; round < 10; ++round)
        failures += object->ApplySettings(info) == 3 ? 1 : 0;
    EXPECT_EQ(failures, 10);
}

INSTANTIATE_TEST_SUITE_P(Languages, WriteDrop,
                         ::testing::Values(INSTRUCTION_VKLZ, INSTRUCTION_VKLE, INSTRUCTION_VKLT,
                                           INSTRUCTION_VKLA, INSTRUCTION_VKLC),
                         Name);
