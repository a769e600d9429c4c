// snapshot, diff and fleet against virtual printers: outcomes, no writes to printers already equal,
// verification, restore byte for byte, refusals and atomic snapshots.
#include "CliRun.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>

using namespace quillory;
using namespace quillory::test;

namespace {

struct Fleet {
    TempEnvironment env;
    std::map<std::string, std::unique_ptr<sim::VirtualPrinter>> printers;

    sim::VirtualPrinter& Add(const std::string& name, int language, const sim::Faults& faults = {}) {
        auto printer = std::make_unique<sim::VirtualPrinter>(language);
        EXPECT_TRUE(printer->StartTcp());
        printer->SetFaults(faults);
        return *(printers[name] = std::move(printer));
    }
    std::string Address(const std::string& name) {
        return NetPortAddress(printers[name]->TcpPort()).toStdString();
    }
    std::string Path(const char* relative) const { return env.Path(relative).toStdString(); }
    void Write(const char* relative, const QByteArray& bytes) const {
        QFile file(env.Path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    std::array<std::uint16_t, 256> Image(const std::string& name) {
        std::array<std::uint16_t, 256> words{};
        for (int i = 0; i < 256; ++i)
            words[std::size_t(i)] = printers[name]->EepromWord(i);
        return words;
    }
};

QByteArray Read(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Changed(QByteArray settings) {
    settings.replace("PaperHeight=400", "PaperHeight=480");
    settings.replace("PrintDarkness=15", "PrintDarkness=12");
    return settings;
}

std::map<QString, QJsonObject> ByName(const QJsonObject& report) {
    std::map<QString, QJsonObject> out;
    for (const QJsonValue& v : report.value("printers").toArray())
        out[v.toObject().value("name").toString()] = v.toObject();
    return out;
}

TEST(FleetCli, ApplyReportsEachOutcomeWritesOnlyWhereNeededAndRestoreBringsBackEveryByte) {
    Fleet f;
    f.Add("equal", 0);
    sim::Faults ignore;
    ignore.ignoreWrites = {0x1B}; // where the label length of a gap printer lands
    f.Add("ignores", 0, ignore);
    f.Add("other", 1);
    sim::Faults refuse;
    refuse.refuseConnections = true;
    f.Add("refuses", 0, refuse);
    sim::Faults late;
    late.latencyMs = 250;
    f.Add("late", 0, late);

    // The profile: the printers' own settings with two values changed.
    const std::string snap = f.Path("equal-before");
    ASSERT_EQ(RunInProcess({"--port", f.Address("equal").c_str(), "--lang", "VKLZ", "snapshot", snap.c_str()})
                  .status,
              0);
    const QByteArray profile = Changed(Read(snap + "/settings.VKLZSET"));
    ASSERT_NE(profile, Read(snap + "/settings.VKLZSET"));
    f.Write("site.VKLZSET", profile);
    const std::string profilePath = f.Path("site.VKLZSET");

    // One printer already holds the profile.
    f.Write("one.txt", QByteArray("equal ") + f.Address("equal").c_str() + " VKLZ\n");
    const std::string one = f.Path("one.txt");
    ASSERT_EQ(RunInProcess({"fleet", "apply", profilePath.c_str(), "--inventory", one.c_str(), "--report",
                            f.Path("first.json").c_str()})
                  .status,
              0);

    std::map<std::string, std::array<std::uint16_t, 256>> before;
    for (auto& [name, printer] : f.printers) {
        before[name] = f.Image(name);
        printer->ClearLog();
    }
    QByteArray inventory = "# the site\n\n";
    for (const char* name : {"equal", "ignores", "other", "refuses", "late"})
        inventory += QByteArray(name) + "  " + f.Address(name).c_str() + "\t" +
                     (name == std::string("other") ? "VKLE" : "vklz") + "  # comment\n";
    f.Write("inventory.txt", inventory);
    const std::string inv = f.Path("inventory.txt");
    const std::string report = f.Path("run/report.json");
    QDir().mkpath(f.env.Path("run"));
    const CliRun run = RunInProcess({"fleet", "apply", profilePath.c_str(), "--inventory", inv.c_str(),
                                     "--jobs", "5", "--report", report.c_str()});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    const QJsonObject doc = QJsonDocument::fromJson(Read(report)).object();
    EXPECT_FALSE(doc.value("succeeded").toBool());
    auto results = ByName(doc);
    ASSERT_EQ(results.size(), 5u) << run.out;
    EXPECT_EQ(results["equal"].value("outcome").toString(), "unchanged");
    EXPECT_EQ(results["late"].value("outcome").toString(), "applied");
    EXPECT_EQ(results["other"].value("outcome").toString(), "skipped");
    EXPECT_EQ(results["refuses"].value("outcome").toString(), "failed");
    EXPECT_TRUE(results["refuses"].value("reason").toString().contains("nothing was written"));
    EXPECT_EQ(results["ignores"].value("outcome").toString(), "failed");
    EXPECT_TRUE(results["ignores"].value("reason").toString().contains("PaperHeight"))
        << results["ignores"].value("reason").toString().toStdString();
    EXPECT_NE(run.out.find("late"), std::string::npos); // the summary table

    // Reads only: the printer already equal received no command that changes anything.
    const QByteArray log = f.printers["equal"]->ReceivedBytes();
    EXPECT_FALSE(log.isEmpty());
    for (const char* write : {"^LL", "~SD", "^PR", ",w,", "^MT", "^MN"})
        EXPECT_FALSE(log.contains(write)) << write;
    EXPECT_TRUE(f.printers["other"]->ReceivedBytes().isEmpty());
    EXPECT_NE(f.Image("late"), before["late"]);
    EXPECT_TRUE(QFileInfo::exists(f.env.Path("run/snapshots/late/snapshot.json")));
    EXPECT_FALSE(QFileInfo::exists(f.env.Path("run/snapshots/equal")));

    const std::string snapshots = f.Path("run/snapshots");
    const CliRun restore =
        RunInProcess({"fleet", "restore", "--snapshots", snapshots.c_str(), "--inventory", inv.c_str()});
    EXPECT_EQ(restore.status, 0) << restore.out << restore.err;
    for (const char* name : {"equal", "ignores", "other", "late"})
        EXPECT_EQ(f.Image(name), before[name]) << name;

    // A dry run reads and reports, and writes nothing.
    f.printers["late"]->ClearLog();
    const CliRun dry =
        RunInProcess({"fleet", "apply", profilePath.c_str(), "--inventory", inv.c_str(), "--dry-run"});
    EXPECT_EQ(dry.status, 1);
    EXPECT_NE(dry.out.find("would-apply"), std::string::npos) << dry.out;
    EXPECT_EQ(f.Image("late"), before["late"]);
}

TEST(FleetCli, InventoryErrorsNameTheirLines) {
    Fleet f;
    f.Write("bad.txt", "a net:127.0.0.1:1 VKLZ\n# fine\nb net:127.0.0.1:2\nc nowhere:1 VKLZ\na "
                       "net:127.0.0.1:3 VKLE\nd net:127.0.0.1:4 XYZ\n");
    f.Write("p.VKLZSET", "[First]\nPaperHeight=400\n");
    const CliRun run = RunInProcess(
        {"fleet", "apply", f.Path("p.VKLZSET").c_str(), "--inventory", f.Path("bad.txt").c_str()});
    EXPECT_EQ(run.status, 65);
    for (const char* line : {"bad.txt:3:", "bad.txt:4:", "bad.txt:5:", "bad.txt:6:"})
        EXPECT_NE(run.err.find(line), std::string::npos) << line << run.err;
    EXPECT_EQ(run.err.find("bad.txt:1:"), std::string::npos);
}

TEST(FleetCli, DiffOfIdenticalSlightlyDifferentAndOtherLanguageInputs) {
    Fleet f;
    f.Add("z", 0);
    f.Add("e", 1);
    const std::string a = f.Path("a");
    const std::string e = f.Path("e");
    ASSERT_EQ(
        RunInProcess({"--port", f.Address("z").c_str(), "--lang", "VKLZ", "snapshot", a.c_str()}).status, 0);
    ASSERT_EQ(
        RunInProcess({"--port", f.Address("e").c_str(), "--lang", "VKLE", "snapshot", e.c_str()}).status, 0);

    CliRun same =
        RunInProcess({"--port", f.Address("z").c_str(), "--lang", "VKLZ", "diff", "printer", a.c_str()});
    EXPECT_EQ(same.status, 0) << same.out << same.err;
    EXPECT_NE(same.out.find("no differences"), std::string::npos);

    f.Write("b.VKLZSET", Changed(Read(a + "/settings.VKLZSET")));
    const CliRun differ = RunInProcess({"diff", a.c_str(), f.Path("b.VKLZSET").c_str(), "--json"});
    EXPECT_EQ(differ.status, 1) << differ.err;
    const QJsonObject doc = QJsonDocument::fromJson(QByteArray::fromStdString(differ.out)).object();
    EXPECT_FALSE(doc.value("equal").toBool());
    const QJsonArray list = doc.value("differences").toArray();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].toObject().value("key").toString(), "PaperHeight");
    EXPECT_EQ(list[0].toObject().value("left").toString(), "400 dots");
    EXPECT_EQ(list[0].toObject().value("right").toString(), "480 dots");
    EXPECT_EQ(list[1].toObject().value("key").toString(), "PrintDarkness");

    // An EEPROM file takes the language of the other side.
    const CliRun eep = RunInProcess({"diff", (a + "/eeprom.eep").c_str(), a.c_str()});
    EXPECT_EQ(eep.status, 0) << eep.err;

    const CliRun foreign = RunInProcess({"diff", a.c_str(), e.c_str()});
    EXPECT_EQ(foreign.status, 65);
    EXPECT_NE(foreign.err.find("different command languages"), std::string::npos) << foreign.err;

    // A snapshot changed after it was taken is refused.
    QFile file(QString::fromStdString(a + "/settings.VKLZSET"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("PrintSpeed=3\n");
    file.close();
    const CliRun damaged = RunInProcess({"diff", a.c_str(), f.Path("b.VKLZSET").c_str()});
    EXPECT_EQ(damaged.status, 65);
    EXPECT_NE(damaged.err.find("checksum"), std::string::npos) << damaged.err;
}

TEST(FleetCli, SnapshotRefusesAnExistingFolderAndAKilledOneLeavesNoHalfFolder) {
    Fleet f;
    f.Add("z", 0);
    const std::string dir = f.Path("snap");
    ASSERT_EQ(
        RunInProcess({"--port", f.Address("z").c_str(), "--lang", "VKLZ", "snapshot", dir.c_str()}).status,
        0);
    const QByteArray manifest = Read(dir + "/snapshot.json");
    const CliRun again =
        RunInProcess({"--port", f.Address("z").c_str(), "--lang", "VKLZ", "snapshot", dir.c_str()});
    EXPECT_EQ(again.status, 73);
    EXPECT_EQ(Read(dir + "/snapshot.json"), manifest);
    const CliRun forced = RunInProcess(
        {"--port", f.Address("z").c_str(), "--lang", "VKLZ", "snapshot", dir.c_str(), "--force"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_NE(Read(dir + "/snapshot.json"), manifest); // a new time
    EXPECT_EQ(QDir(f.env.Root()).entryList({".snap.partial-*"}, QDir::Dirs | QDir::Hidden).size(), 0);

    // Killed in the middle of reading a slow printer: the target never appears.
    sim::Faults slow;
    slow.latencyMs = 100;
    f.printers["z"]->SetFaults(slow);
    const QString target = f.env.Path("killed");
    QProcess process;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_CONFIG_HOME", f.env.ConfigFolder());
    e.insert("XDG_DATA_HOME", f.env.Path("data"));
    process.setProcessEnvironment(e);
    process.start(BuildProgramFolder() + "/quillory-cli",
                  {"--port", QString::fromStdString(f.Address("z")), "--lang", "VKLZ", "snapshot", target});
    ASSERT_TRUE(process.waitForStarted());
    ASSERT_TRUE(f.printers["z"]->WaitForBytes(20, 10000));
    QThread::msleep(300);
    process.kill();
    process.waitForFinished();
    EXPECT_FALSE(QFileInfo::exists(target));
    // The abandoned partial folder is hidden, and the next snapshot of the name clears it away.
    f.printers["z"]->SetFaults({});
    const std::string killed = target.toStdString();
    EXPECT_EQ(
        RunInProcess({"--port", f.Address("z").c_str(), "--lang", "VKLZ", "snapshot", killed.c_str()}).status,
        0);
    EXPECT_TRUE(QFileInfo::exists(target + "/snapshot.json"));
    EXPECT_EQ(QDir(f.env.Root()).entryList({".killed.partial-*"}, QDir::Dirs | QDir::Hidden).size(), 0);
}

} // namespace

namespace {

// The example playbook runs fleet apply as a task against virtual printers.
TEST(FleetPlaybook, ExampleRunsWithAnsible) {
    const QString ansible = QStandardPaths::findExecutable(QStringLiteral("ansible-playbook"));
    if (ansible.isEmpty())
        GTEST_SKIP() << "ansible-playbook is not installed (Debian package ansible-core)";
    Fleet f;
    f.Add("a", 0);
    f.Add("b", 0);
    const std::string snap = f.Path("standard");
    ASSERT_EQ(
        RunInProcess({"--port", f.Address("a").c_str(), "--lang", "VKLZ", "snapshot", snap.c_str()}).status,
        0);
    f.Write("site.VKLZSET", Changed(Read(snap + "/settings.VKLZSET")));
    f.Write("printers.txt",
            QByteArray("a ") + f.Address("a").c_str() + " VKLZ\nb " + f.Address("b").c_str() + " VKLZ\n");

    const auto play = [&](const QString& report) {
        QProcess process;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("XDG_CONFIG_HOME", f.env.ConfigFolder());
        e.insert("XDG_DATA_HOME", f.env.Path("data"));
        e.insert("ANSIBLE_LOCAL_TEMP", f.env.Path("ansible-tmp"));
        e.insert("ANSIBLE_HOME", f.env.Path("ansible-home"));
        e.insert("ANSIBLE_NOCOLOR", "1");
        process.setProcessEnvironment(e);
        process.start(ansible, {"-i", "localhost,", "-c", "local",
                                QStringLiteral(QUILLORY_TEST_SOURCE_DIR "/docs/fleet-playbook.yml"), "-e",
                                "quillory_cli=" + BuildProgramFolder() + "/quillory-cli", "-e",
                                "profile=" + f.env.Path("site.VKLZSET"), "-e",
                                "inventory=" + f.env.Path("printers.txt"), "-e", "report=" + report});
        EXPECT_TRUE(process.waitForFinished(180000));
        return std::make_pair(process.exitCode(),
                              process.readAllStandardOutput() + process.readAllStandardError());
    };
    QDir().mkpath(f.env.Path("run"));
    const auto [status, output] = play(f.env.Path("run/report.json"));
    EXPECT_EQ(status, 0) << output.toStdString();
    const auto results = ByName(QJsonDocument::fromJson(Read(f.Path("run/report.json"))).object());
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results.at("a").value("outcome").toString(), "applied");
    EXPECT_EQ(results.at("b").value("outcome").toString(), "applied");

    // A printer that cannot be reached fails the play.
    sim::Faults refuse;
    refuse.refuseConnections = true;
    f.printers["b"]->SetFaults(refuse);
    const auto [failed, failedOutput] = play(f.env.Path("run/report2.json"));
    EXPECT_NE(failed, 0) << failedOutput.toStdString();
    EXPECT_TRUE(failedOutput.contains("not every printer")) << failedOutput.toStdString();
}

} // namespace

namespace {

// SIGTERM during a run: the printer in progress finishes, no further one starts, the report says so.
TEST(FleetCli, StopsCleanlyAfterThePrintersInProgress) {
    Fleet f;
    sim::Faults late;
    late.latencyMs = 40;
    QByteArray inventory;
    for (const char* name : {"p1", "p2", "p3", "p4"}) {
        f.Add(name, 0, late);
        inventory += QByteArray(name) + " " + f.Address(name).c_str() + " VKLZ\n";
    }
    f.Write("inventory.txt", inventory);
    const std::string snap = f.Path("standard");
    ASSERT_EQ(
        RunInProcess({"--port", f.Address("p1").c_str(), "--lang", "VKLZ", "snapshot", snap.c_str()}).status,
        0);
    f.Write("site.VKLZSET", Changed(Read(snap + "/settings.VKLZSET")));
    f.printers["p1"]->ClearLog();

    QProcess process;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_CONFIG_HOME", f.env.ConfigFolder());
    e.insert("XDG_DATA_HOME", f.env.Path("data"));
    process.setProcessEnvironment(e);
    process.start(BuildProgramFolder() + "/quillory-cli",
                  {"fleet", "apply", f.env.Path("site.VKLZSET"), "--inventory", f.env.Path("inventory.txt"),
                   "--jobs", "1", "--report", f.env.Path("report.json")});
    ASSERT_TRUE(f.printers["p1"]->WaitForBytes(20, 10000));
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    const QJsonObject report = QJsonDocument::fromJson(Read(f.Path("report.json"))).object();
    EXPECT_TRUE(report.value("stopped").toBool());
    auto results = ByName(report);
    EXPECT_EQ(results["p1"].value("outcome").toString(), "applied");
    EXPECT_EQ(results["p4"].value("outcome").toString(), "failed");
    EXPECT_TRUE(results["p4"].value("reason").toString().contains("not started"));
    EXPECT_TRUE(f.printers["p4"]->ReceivedBytes().isEmpty());
}

} // namespace
