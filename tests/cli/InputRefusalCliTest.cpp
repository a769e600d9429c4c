// What quillory-cli refuses before anything reaches a printer, for every language: files that are
// not what they claim, values outside the range table, reads on ports that only send, a missing
// port; and the clock it sets.
#include "CliRun.h"
#include "app/AppSettings.h"
#include "app/ProfileFile.h"
#include "instruction/InstructionProtocol.h"
#include "settings/SettingsRanges.h"
#include "sim/VirtualPrinter.h"
#include "support/BadInputFiles.h"
#include "support/CupsServer.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#include <cups/cups.h>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quillory;
using namespace quillory::test;

namespace {

class RefusalCli : public ::testing::TestWithParam<int> {
protected:
    TempEnvironment env;
    int language = GetParam();
    sim::VirtualPrinter printer{language};
    std::string port;
    std::string lang = InstructionName(language).toStdString();

    void SetUp() override {
        ASSERT_TRUE(printer.StartTcp(0));
        port = NetPortAddress(printer.TcpPort()).toStdString();
    }
    CliRun Run(std::vector<const char*> args, const std::string& portAddress = {}) {
        const std::string& p = portAddress.empty() ? port : portAddress;
        args.insert(args.begin(), {"--port", p.c_str(), "--lang", lang.c_str()});
        return RunInProcess(args);
    }
    // Nothing reached the printer: no connection (it would have been counted by now) and no byte.
    void ExpectNothingSent() {
        QThread::msleep(50);
        EXPECT_EQ(printer.ConnectionCount(), 0);
        EXPECT_TRUE(printer.ReceivedBytes().isEmpty());
    }
    // A file of the language with every ranged value at its minimum.
    QString ValidSettingsFile(const char* name) {
        SettingsRecord record = MakeSettingsRecord(language);
        for (const SettingRange& range : SettingRanges(language))
            SetSettingsField(record, range.key, RangeLimits(range, 203).minimum);
        const QString path = env.Path(name);
        EXPECT_TRUE(SaveSettingsRecord(record, path));
        return path;
    }
};

std::string Name(const ::testing::TestParamInfo<int>& info) {
    return InstructionName(info.param).toStdString();
}

QByteArray RandomBytes(quint32 seed) {
    QByteArray random(2000, '\0');
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    return random;
}

} // namespace

TEST_P(RefusalCli, EepromFilesThatAreNoWholeFileOfTheLanguageAreRefused) {
    auto object = MakeInstruction(language);
    auto other = MakeInstruction(language == INSTRUCTION_VKLA ? INSTRUCTION_VKLC : INSTRUCTION_VKLA);
    ASSERT_EQ(object->SaveEepromFile(env.Path("own.eep")), 1);
    ASSERT_EQ(other->SaveEepromFile(env.Path("other.eep")), 1);
    const QByteArray own = ReadFileBytes(env.Path("own.eep"));
    std::vector<BadInputFile> files = RefusedInputFiles(env.Root(), InputFileKind::EepromFile);
    for (const auto& [name, bytes] : std::vector<std::pair<QString, QByteArray>>{
             {"random.eep", RandomBytes(1)},
             {"empty.eep", {}},
             {"settings.eep", "[First]\r\nDPI=203\r\n"},
             {"short.eep", own.left(language == INSTRUCTION_VKLA ? 11 * 100 : 21 * 250)}}) {
        WriteFileBytes(env.Path(name), bytes);
        files.push_back({name.toStdString(), env.Path(name)});
    }
    files.push_back({"other layout", env.Path("other.eep")});
    for (const BadInputFile& bad : files) {
        const CliRun run = Run({"eeprom", "write", bad.path.toStdString().c_str()});
        EXPECT_EQ(run.status, 65) << bad.what << run.err;
        EXPECT_NE(run.err.find(bad.path.toStdString()), std::string::npos) << run.err;
    }
    EXPECT_NE(Run({"eeprom", "write", env.Path("short.eep").toStdString().c_str()}).err.find(" of its "),
              std::string::npos);

    // A damaged automatic backup is not restored, and stays as it was.
    const QString backup = object->BackupFilePath();
    WriteFileBytes(backup, own.left(own.size() / 2));
    const CliRun restore = Run({"eeprom", "restore"});
    EXPECT_EQ(restore.status, 65);
    EXPECT_NE(restore.err.find(backup.toStdString()), std::string::npos) << restore.err;
    EXPECT_EQ(ReadFileBytes(backup), own.left(own.size() / 2));
    ExpectNothingSent();

    EXPECT_EQ(Run({"eeprom", "write", env.Path("own.eep").toStdString().c_str()}).status, 0);
    EXPECT_TRUE(printer.WaitForBytes(1, 5000));
}

TEST_P(RefusalCli, SettingsFilesAndValuesOutsideTheRangesAreRefused) {
    std::vector<BadInputFile> files = RefusedInputFiles(env.Root(), InputFileKind::SettingsFile);
    for (const auto& [name, bytes] : std::vector<std::pair<QString, QByteArray>>{
             {"random.set", RandomBytes(2)},
             {"no-section.set", "[Other]\r\nPrintDarkness=5\r\n"},
             {"no-key.set", "[First]\r\nColour=5\r\n"},
             {"damaged.set", QByteArray("[First]\r\nPrintDarkness=5\0\r\n", 27)}}) {
        WriteFileBytes(env.Path(name), bytes);
        files.push_back({name.toStdString(), env.Path(name)});
    }
    for (const BadInputFile& bad : files) {
        const QByteArray before = QFileInfo(bad.path).isFile() ? ReadFileBytes(bad.path) : QByteArray();
        const CliRun run = Run({"settings", "apply", bad.path.toStdString().c_str()});
        EXPECT_EQ(run.status, 65) << bad.what << run.err;
        EXPECT_NE(run.err.find(bad.path.toStdString()), std::string::npos) << run.err;
        if (!before.isEmpty()) {
            EXPECT_EQ(ReadFileBytes(bad.path), before);
        }
    }

    // Each ranged field just outside its range, one file at a time.
    for (const SettingRange& range : SettingRanges(language)) {
        const SettingLimits limits = RangeLimits(range, 203);
        for (const int outside : {limits.minimum - 1, limits.maximum + 1}) {
            const QString path = ValidSettingsFile("range.set");
            ASSERT_TRUE(WriteProfileString(path, "First", range.key, QString::number(outside)));
            const CliRun run = Run({"settings", "apply", path.toStdString().c_str()});
            if ((language == INSTRUCTION_VKLZ || language == INSTRUCTION_VKLE) &&
                QByteArray(range.key) == "Unit") {
                EXPECT_EQ(run.status, 0) << "the unit is not read from these files";
                continue;
            }
            EXPECT_EQ(run.status, 65) << range.key << " " << outside;
            const std::string expected = QStringLiteral("%1=%2").arg(range.key).arg(outside).toStdString();
            EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(
                          QStringLiteral("%1 to %2").arg(limits.minimum).arg(limits.maximum).toStdString()),
                      std::string::npos)
                << run.err;
        }
    }
    // Only the two files whose unit is not read went out.
    if (language != INSTRUCTION_VKLZ && language != INSTRUCTION_VKLE)
        ExpectNothingSent();
}

TEST_P(RefusalCli, ReadsAreRefusedOnAPortThatOnlySends) {
    std::vector<std::vector<const char*>> reads = {
        {"settings", "read"}, {"settings", "save", "x.set"}, {"eeprom", "backup", "x.eep"}};
    if (language == INSTRUCTION_VKLA) {
        reads.push_back({"tool", "font-list"});
        reads.push_back({"tool", "graphic-list"});
    }
    for (const std::string portAddress : {"lpt:LPT9", "driver:NoSuchQueue"}) {
        for (const auto& args : reads) {
            const CliRun run = Run(args, portAddress);
            EXPECT_EQ(run.status, 64) << args[0] << " " << args[1];
            EXPECT_NE(run.err.find("can only send"), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(portAddress), std::string::npos) << run.err;
        }
    }
    EXPECT_FALSE(QFileInfo::exists("x.set"));
}

TEST_P(RefusalCli, SetClockSendsTheCurrentTimeOrTheGivenOne) {
    const QString path = ValidSettingsFile("clock.set");
    if (language != INSTRUCTION_VKLZ && language != INSTRUCTION_VKLE) {
        const CliRun run =
            Run({"settings", "apply", path.toStdString().c_str(), "--clock", "2026-03-07 14:05:09"});
        EXPECT_EQ(run.status, 64);
        EXPECT_NE(run.err.find("no clock"), std::string::npos) << run.err;
        ExpectNothingSent();
        return;
    }
    const QByteArray command = language == INSTRUCTION_VKLZ ? "^ST" : "TS";
    const QString suffix = language == INSTRUCTION_VKLZ ? ",M" : "";
    ASSERT_TRUE(WriteProfileString(path, "First", "SetClock", "1"));
    // The printer takes the bytes on its own thread, possibly after the command returned.
    const auto clockLine = [&] {
        QDeadlineTimer deadline(5000);
        QByteArray log = printer.ReceivedBytes();
        while ((log.indexOf(command) < 0 || log.indexOf("\r\n", log.indexOf(command)) < 0) &&
               !deadline.hasExpired()) {
            QThread::msleep(5);
            log = printer.ReceivedBytes();
        }
        return log;
    };
    const QDateTime start = QDateTime::currentDateTime();
    ASSERT_EQ(Run({"settings", "apply", path.toStdString().c_str()}).status, 0);
    const QByteArray log = clockLine();
    const qsizetype at = log.indexOf(command);
    ASSERT_GE(at, 0) << log.toStdString();
    const QString sent =
        QString::fromLatin1(log.mid(at + command.size(), log.indexOf("\r\n", at) - at - command.size()));
    ASSERT_TRUE(sent.endsWith(suffix)) << sent.toStdString();
    const QDateTime time = QDateTime::fromString(sent.chopped(suffix.size()), "MM,dd,yyyy,HH,mm,ss");
    ASSERT_TRUE(time.isValid()) << sent.toStdString();
    EXPECT_LE(std::abs(time.secsTo(start)), 5);

    printer.ClearLog();
    ASSERT_EQ(Run({"settings", "apply", path.toStdString().c_str(), "--clock", "2026-03-07 14:05:09"}).status,
              0);
    const QByteArray expected = command + "03,07,2026,14,05,09" + suffix.toLatin1() + "\r\n";
    EXPECT_TRUE(clockLine().contains(expected)) << printer.ReceivedBytes().toStdString();

    printer.ClearLog();
    const int connections = printer.ConnectionCount();
    for (const char* wrong : {"2026-02-30 10:00:00", "07.03.2026 14:05", "now"}) {
        const CliRun run = Run({"settings", "apply", path.toStdString().c_str(), "--clock", wrong});
        EXPECT_EQ(run.status, 64) << wrong;
    }
    QThread::msleep(50);
    EXPECT_EQ(printer.ConnectionCount(), connections);
}

INSTANTIATE_TEST_SUITE_P(Languages, RefusalCli, ::testing::Values(0, 1, 2, 3, 4), Name);

TEST(CliPort, NoPortIsEverGuessed) {
    TempEnvironment env;
    const std::vector<std::vector<const char*>> commands = {
        {"settings", "read"}, {"eeprom", "backup", "x.eep"}, {"tool", "self-test"},
        {"port-string"},      {"network", "factory"},        {"send", "/dev/null"}};
    for (const auto& args : commands) {
        const CliRun run = RunInProcess(args);
        EXPECT_EQ(run.status, 64) << args[0];
        EXPECT_NE(run.err.find("--port ADDRESS"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("save a port in the program"), std::string::npos);
    }
    // A user settings file without a saved port gives none either.
    QDir().mkpath(QFileInfo(UserSettingsFilePath()).path());
    WriteLanguage(LANGUAGE_ENGLISH);
    ASSERT_TRUE(QFileInfo::exists(UserSettingsFilePath()));
    const CliRun none = RunInProcess({"settings", "read"});
    EXPECT_EQ(none.status, 64);
    EXPECT_NE(none.err.find("holds none"), std::string::npos) << none.err;

    // A user settings file that cannot be read is named, and left alone.
    ASSERT_TRUE(QFile::remove(UserSettingsFilePath()));
    ASSERT_TRUE(QFile::link("/dev/zero", UserSettingsFilePath()));
    const CliRun run = RunInProcess({"settings", "read"});
    EXPECT_EQ(run.status, 65);
    EXPECT_NE(run.err.find(UserSettingsFilePath().toStdString()), std::string::npos) << run.err;
    EXPECT_TRUE(QFileInfo(UserSettingsFilePath()).isSymLink());
}

TEST(CliPort, APrinterQueueReadsNothingAndPrintsNothing) {
    if (!CupsServer::Installed())
        GTEST_SKIP() << "cupsd is not installed; the queue is tested where it is (CI installs it)";
    TempEnvironment env;
    CupsServer server;
    ASSERT_TRUE(server.IsRunning()) << server.ErrorText().toStdString();
    for (const int language : {int(INSTRUCTION_VKLZ), int(INSTRUCTION_VKLA)}) {
        sim::VirtualPrinter printer(language);
        ASSERT_TRUE(printer.StartTcp(0));
        const QString queue = QStringLiteral("Refusal%1").arg(language);
        ASSERT_TRUE(server.AddQueue(queue, QStringLiteral("socket://127.0.0.1:%1").arg(printer.TcpPort())))
            << server.ErrorText().toStdString();
        const std::string address = ("driver:" + queue).toStdString();
        const std::string lang = InstructionName(language).toStdString();
        std::vector<std::vector<const char*>> reads = {
            {"settings", "read"}, {"settings", "save", "x.set"}, {"eeprom", "backup", "x.eep"}};
        if (language == INSTRUCTION_VKLA)
            reads.push_back({"tool", "font-list"});
        for (auto args : reads) {
            args.insert(args.begin(), {"--port", address.c_str(), "--lang", lang.c_str()});
            const CliRun run = RunInProcess(args);
            EXPECT_EQ(run.status, 64) << run.err;
            EXPECT_NE(run.err.find("can only send"), std::string::npos) << run.err;
        }
        cups_job_t* jobs = nullptr;
        const int count =
            cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ALL);
        cupsFreeJobs(count, jobs);
        EXPECT_EQ(count, 0) << "no job was created";
        QThread::msleep(100);
        EXPECT_EQ(printer.ConnectionCount(), 0);
    }
}

TEST(CliLogo, PicturesThatAreCutOrPointOutsideAreNotDownloaded) {
    TempEnvironment env;
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    const std::string port = NetPortAddress(printer.TcpPort()).toStdString();
    QImage image(128, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    ASSERT_TRUE(image.save(env.Path("logo.bmp")));
    const QByteArray bmp = ReadFileBytes(env.Path("logo.bmp"));
    WriteFileBytes(env.Path("cut.bmp"), bmp.left(bmp.size() - 100));
    QByteArray offset = bmp;
    offset.replace(10, 4, QByteArray("\xff\xff\xff\x7f", 4));
    WriteFileBytes(env.Path("offset.bmp"), offset);
    std::vector<BadInputFile> files = RefusedInputFiles(env.Root(), InputFileKind::Picture);
    files.push_back({"cut", env.Path("cut.bmp")});
    files.push_back({"offset", env.Path("offset.bmp")});
    for (const BadInputFile& bad : files) {
        const CliRun run =
            RunInProcess({"--port", port.c_str(), "logo", "download", bad.path.toStdString().c_str()});
        EXPECT_EQ(run.status, 65) << bad.what << run.err;
        EXPECT_NE(run.err.find(bad.path.toStdString()), std::string::npos) << run.err;
    }
    QThread::msleep(50);
    EXPECT_EQ(printer.ConnectionCount(), 0);
    EXPECT_EQ(
        RunInProcess({"--port", port.c_str(), "logo", "download", env.Path("logo.bmp").toStdString().c_str()})
            .status,
        0);
}
