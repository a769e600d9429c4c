// settings, eeprom and tool commands end to end against the virtual printer, for every language.
#include "CliRun.h"
#include "app/AppSettings.h"
#include "app/ProfileFile.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace quillory;
using namespace quillory::test;

namespace {

struct LanguageCase {
    int index;
    // Settings-file values the test applies, and what a read brings back for them.
    std::vector<std::pair<const char*, int>> applied;
    std::vector<std::pair<const char*, int>> readBack;
};

class InstructionCli : public VirtualPrinterCliOf<LanguageCase> {
protected:
    // The printer works through what it received on its own thread, after the command returned.
    bool WaitForDarkness(const std::function<bool(unsigned)>& done) {
        QDeadlineTimer deadline(5000);
        while (!done(printer.EepromWord(0x12) & 0xFF)) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(5);
        }
        return true;
    }
    void WaitUntilQuiet() {
        qsizetype size = -1;
        while (printer.ReceivedBytes().size() != size) {
            size = printer.ReceivedBytes().size();
            QThread::msleep(50);
        }
    }
    QJsonObject ReadJson() {
        const CliRun run = Run({"settings", "read", "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    }
};

std::string Name(const ::testing::TestParamInfo<LanguageCase>& info) {
    return InstructionName(info.param.index).toStdString();
}

} // namespace

TEST_P(InstructionCli, SettingsReadApplyAndReadBack) {
    const QJsonObject first = ReadJson();
    ASSERT_FALSE(first.isEmpty());
    EXPECT_TRUE(first.value("FirmwareVersion").isString());
    EXPECT_EQ(first.value("DPI").toInt(), 203);

    const std::string file = env.Path("settings.set").toStdString();
    ASSERT_EQ(Run({"settings", "save", file.c_str()}).status, 0);
    for (const auto& [key, value] : GetParam().applied)
        ASSERT_TRUE(WriteProfileString(QString::fromStdString(file), "First", key, QString::number(value)));
    const CliRun apply = Run({"settings", "apply", file.c_str()});
    ASSERT_EQ(apply.status, 0) << apply.err;

    const QJsonObject after = ReadJson();
    for (const auto& [key, value] : GetParam().readBack)
        EXPECT_EQ(after.value(key).toInt(), value) << key;
}

TEST_P(InstructionCli, EepromBackupWriteAndRestore) {
    const std::string file = env.Path("printer.eep").toStdString();
    ASSERT_EQ(Run({"eeprom", "backup", file.c_str()}).status, 0);
    const bool vkla = GetParam().index == INSTRUCTION_VKLA;
    EXPECT_GT(QFileInfo(QString::fromStdString(file)).size(), vkla ? 118 * 11 : 256 * 21);
    const QString backup = env.ProgramFolder() + "/EEPbak/" + QString::fromStdString(lang) + ".eep";
    EXPECT_EQ(ReadFileBytes(backup), ReadFileBytes(QString::fromStdString(file)));

    // Change the darkness word in the file, write it, and read it back from the printer.
    QByteArray bytes = ReadFileBytes(QString::fromStdString(file));
    const QByteArray line = vkla ? QByteArray("\x02KE12") : QByteArray("~WN00@eep,w,12,");
    const qsizetype at = bytes.indexOf(line);
    ASSERT_GE(at, 0);
    bytes.replace(at + line.size(), 4, "0007");
    WriteFileBytes(QString::fromStdString(file), bytes);
    printer.ClearLog();
    ASSERT_EQ(Run({"eeprom", "write", file.c_str()}).status, 0);
    EXPECT_TRUE(WaitForDarkness([](unsigned v) { return v == 7; }));
    EXPECT_FALSE(printer.ReceivedBytes().isEmpty());

    // Restore writes the backup taken before the change.
    ASSERT_EQ(Run({"eeprom", "restore"}).status, 0);
    EXPECT_TRUE(WaitForDarkness([](unsigned v) { return v != 7; }));
    WaitUntilQuiet();
    const std::string again = env.Path("again.eep").toStdString();
    ASSERT_EQ(Run({"eeprom", "backup", again.c_str()}).status, 0);
    EXPECT_EQ(ReadFileBytes(backup), ReadFileBytes(QString::fromStdString(again)));
}

TEST_P(InstructionCli, EveryServiceOperation) {
    // The operations each language leaves empty: they succeed without opening the port.
    static const std::map<int, std::set<std::string>> empty{
        {INSTRUCTION_VKLZ, {"auto-off"}},
        {INSTRUCTION_VKLE, {"dump-off"}},
        {INSTRUCTION_VKLT, {"font-list", "graphic-list", "form-list", "dump-off", "auto-off"}},
        {INSTRUCTION_VKLA, {"form-list", "factory-reset", "dump-on", "dump-off", "auto-off"}},
        {INSTRUCTION_VKLC, {"font-list", "graphic-list", "form-list", "auto-off"}},
    };
    for (const char* tool : {"self-test", "font-list", "graphic-list", "form-list", "feed", "calibrate",
                             "factory-reset", "restart", "dump-on", "dump-off", "auto-off"}) {
        // Let the previous operation's bytes land before the log is cleared.
        QThread::msleep(50);
        const int before = printer.ConnectionCount();
        printer.ClearLog();
        const CliRun run = Run({"tool", tool});
        EXPECT_EQ(run.status, 0) << tool << run.err;
        if (empty.at(GetParam().index).count(tool)) {
            // The printer would have logged a connection by now; give it the chance.
            QThread::msleep(50);
            EXPECT_EQ(printer.ConnectionCount(), before) << tool;
            EXPECT_TRUE(printer.ReceivedBytes().isEmpty()) << tool;
        } else {
            EXPECT_TRUE(printer.WaitForBytes(1, 5000)) << tool;
            EXPECT_EQ(printer.ConnectionCount(), before + 1) << tool;
        }
    }
}

TEST_P(InstructionCli, BadInputFilesAndAFailedPrinter) {
    EXPECT_EQ(Run({"settings", "apply", env.Path("missing.set").toStdString().c_str()}).status, 65);
    WriteFileBytes(env.Path("junk.set"), "no settings here");
    EXPECT_EQ(Run({"settings", "apply", env.Path("junk.set").toStdString().c_str()}).status, 65);
    EXPECT_EQ(Run({"eeprom", "write", env.Path("missing.eep").toStdString().c_str()}).status, 65);
    EXPECT_EQ(Run({"eeprom", "restore"}).status, 65); // no backup yet
    EXPECT_EQ(Run({"settings", "save", env.Path("no/such/folder/x.set").toStdString().c_str()}).status, 15);
    printer.Stop();
    const CliRun run = Run({"settings", "read"});
    EXPECT_EQ(run.status, 11);
    EXPECT_NE(run.err.find("The port could not be opened."), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, InstructionCli,
    ::testing::Values(
        LanguageCase{
            INSTRUCTION_VKLZ,
            {{"PaperWidth", 640}, {"PrintDarkness", 12}, {"TearPaperPosition", -5}, {"PrintSpeed", 4}},
            {{"PaperWidth", 640}, {"PrintDarkness", 12}, {"TearPaperPosition", -5}, {"PrintSpeed", 4}}},
        LanguageCase{INSTRUCTION_VKLE,
                     {{"PaperWidth", 640}, {"GapHeight", 30}, {"PrintDarkness", 9}, {"CodePage", 3}},
                     {{"PaperWidth", 640}, {"GapHeight", 30}, {"PrintDarkness", 9}, {"CodePage", 3}}},
        LanguageCase{INSTRUCTION_VKLT,
                     {{"PaperWidth", 640}, {"CodePage", 37}, {"PrintAffterError", 1}, {"MirrorPrint", 1}},
                     {{"PaperWidth", 640}, {"CodePage", 37}, {"PrintAffterError", 1}, {"MirrorPrint", 1}}},
        LanguageCase{INSTRUCTION_VKLA,
                     {{"PaperHeight", 480},
                      {"PrintDarkness", 20},
                      {"HoriPrintPositionOffset", -8},
                      {"PrintSpeed", 70}},
                     {{"PaperHeight", 480},
                      {"PrintDarkness", 20},
                      {"HoriPrintPositionOffset", 65528},
                      {"PrintSpeed", 70}}},
        LanguageCase{INSTRUCTION_VKLC,
                     {{"PaperWidth", 640}, {"PrintDarkness", 12}, {"PrintSpeed", 5}},
                     {{"PaperWidth", 640}, {"PrintDarkness", 12}, {"PrintSpeed", 5}}}),
    Name);
