// Verified writes and the undo of settings applies, end to end against the virtual printer, in
// every language; the printer may be told to ignore writes to one word.
#include "CliRun.h"
#include "app/AppSettings.h"
#include "app/ProfileFile.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <gtest/gtest.h>

#include <sstream>

using namespace quillory;
using namespace quillory::test;

namespace {

// The word that holds the darkness in every language.
constexpr int kDarknessWord = 0x12;

class VerifyUndo : public VirtualPrinterCli {
protected:
    QJsonObject ReadJson() {
        const CliRun run = Run({"settings", "read", "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    }
    std::vector<std::uint16_t> Words() {
        // The printer works through what it received on its own thread; wait until it is quiet.
        qsizetype size = -1;
        while (printer.ReceivedBytes().size() != size) {
            size = printer.ReceivedBytes().size();
            QThread::msleep(50);
        }
        std::vector<std::uint16_t> words;
        for (int a = 0; a < (GetParam() == INSTRUCTION_VKLA ? 126 : 256); ++a)
            words.push_back(printer.EepromWord(a));
        return words;
    }
    // A settings file of the printer's settings with another darkness.
    std::string FileWithOtherDarkness(const char* name, int* darkness) {
        const std::string file = env.Path(name).toStdString();
        EXPECT_EQ(Run({"settings", "save", file.c_str()}).status, 0);
        const int now = ProfileInt(file, "PrintDarkness");
        *darkness = now >= 6 ? now - 3 : now + 3;
        EXPECT_TRUE(WriteProfileString(QString::fromStdString(file), "First", "PrintDarkness",
                                       QString::number(*darkness)));
        return file;
    }
    static int ProfileInt(const std::string& file, const char* key) {
        return ReadProfileString(QString::fromStdString(file), "First", key, "-1").toInt();
    }
};

std::string Name(const ::testing::TestParamInfo<int>& info) {
    return InstructionName(info.param).toStdString();
}

} // namespace

TEST_P(VerifyUndo, SettingsVerifiedAndADifferenceIsExit20) {
    // What the printer holds, applied again: every field reads back as written.
    const std::string same = env.Path("same.set").toStdString();
    ASSERT_EQ(Run({"settings", "save", same.c_str()}).status, 0);
    CliRun run = Run({"settings", "apply", "--verify", same.c_str()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Applied and verified"), std::string::npos) << run.out;

    // A printer that ignores the darkness word: the difference is named with both values.
    int darkness = 0;
    const std::string file = FileWithOtherDarkness("other.set", &darkness);
    sim::Faults faults;
    faults.ignoreWrites = {kDarknessWord};
    printer.SetFaults(faults);
    run = Run({"settings", "apply", "--verify", file.c_str()});
    EXPECT_EQ(run.status, 20) << run.err;
    EXPECT_NE(run.err.find("PrintDarkness"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("written " + std::to_string(darkness)), std::string::npos) << run.err;
    // Without --verify the same apply is a success: nothing read it back.
    EXPECT_EQ(Run({"settings", "apply", file.c_str()}).status, 0);
}

TEST_P(VerifyUndo, RestoreUndoesAnApplyByteForByte) {
    const std::vector<std::uint16_t> before = Words();
    const QJsonObject readBefore = ReadJson();
    int darkness = 0;
    const std::string file = FileWithOtherDarkness("other.set", &darkness);
    ASSERT_EQ(Run({"settings", "apply", file.c_str()}).status, 0);
    ASSERT_NE(Words(), before) << "the apply must change the printer";

    const CliRun restore = Run({"settings", "restore", "--verify"});
    ASSERT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(Words(), before);
    EXPECT_EQ(ReadJson(), readBefore);

    // Every apply kept a backup: the restore's own is the newest, the first apply's the second.
    const CliRun list = Run({"settings", "restore", "--list"});
    ASSERT_EQ(list.status, 0) << list.err;
    std::istringstream lines(list.out);
    std::string line;
    int count = 0;
    while (std::getline(lines, line))
        ++count;
    EXPECT_EQ(count, 2) << list.out;
    EXPECT_EQ(list.out.rfind("1  ", 0), 0u) << list.out;
    // The newest backup is the applied state again: a redo.
    ASSERT_EQ(Run({"settings", "restore", "--from", "1"}).status, 0);
    EXPECT_EQ(ReadJson().value("PrintDarkness").toInt(), darkness);
    EXPECT_EQ(Run({"settings", "restore", "--from", "9"}).status, 64);
}

TEST_P(VerifyUndo, EepromWriteVerifiedAndADifferenceIsExit20) {
    const std::string file = env.Path("printer.eep").toStdString();
    ASSERT_EQ(Run({"eeprom", "backup", file.c_str()}).status, 0);
    CliRun run = Run({"eeprom", "write", "--verify", file.c_str()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Applied and verified"), std::string::npos) << run.out;

    QByteArray bytes = ReadFileBytes(QString::fromStdString(file));
    const bool vkla = GetParam() == INSTRUCTION_VKLA;
    const QByteArray line = vkla ? QByteArray("\x02KE12") : QByteArray("~WN00@eep,w,12,");
    const qsizetype at = bytes.indexOf(line);
    ASSERT_GE(at, 0);
    bytes.replace(at + line.size(), 4, "0007");
    WriteFileBytes(QString::fromStdString(file), bytes);
    sim::Faults faults;
    faults.ignoreWrites = {kDarknessWord};
    printer.SetFaults(faults);
    run = Run({"eeprom", "write", "--verify", file.c_str()});
    EXPECT_EQ(run.status, 20) << run.err;
    EXPECT_NE(run.err.find("12"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("written"), std::string::npos) << run.err;

    // Restore takes the backup of the first read, or the one --from names.
    printer.SetFaults({});
    EXPECT_EQ(Run({"eeprom", "restore", "--verify"}).status, 0);
    EXPECT_EQ(Run({"eeprom", "restore", "--from", file.c_str()}).status, 0);
    EXPECT_EQ(printer.EepromWord(kDarknessWord) & 0xFF, 7);
}

INSTANTIATE_TEST_SUITE_P(Languages, VerifyUndo,
                         ::testing::Values(INSTRUCTION_VKLZ, INSTRUCTION_VKLE, INSTRUCTION_VKLT,
                                           INSTRUCTION_VKLA, INSTRUCTION_VKLC),
                         Name);
