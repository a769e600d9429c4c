// search, usb list, port-string and --version on the command line; the JSON goes through a parser.
#include "CliRun.h"
#include "port/FakePort.h"
#include "sim/PrinterModel.h"
#include "sim/VirtualPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// The single JSON document of a command's output, or a failure saying why it is none.
QJsonDocument ParseJson(const std::string& out) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << " in " << out;
    EXPECT_TRUE(out.ends_with("\n") && std::count(out.begin(), out.end(), '\n') == 1) << "one line: " << out;
    return document;
}

class SearchTargets {
public:
    explicit SearchTargets(const QByteArray& value) : m_saved(qgetenv("QUILLORY_SEARCH_TARGETS")) {
        qputenv("QUILLORY_SEARCH_TARGETS", value);
    }
    ~SearchTargets() { qputenv("QUILLORY_SEARCH_TARGETS", m_saved); }

private:
    QByteArray m_saved;
};

} // namespace

TEST(CliSearch, PrintsAddressesThatPortTakesWithTheDescription) {
    TempEnvironment env;
    sim::VirtualPrinter printer(sim::SIM_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    const std::uint16_t searchPort = printer.StartSearchResponder(0);
    ASSERT_NE(searchPort, 0);
    const SearchTargets targets(QByteArray("127.0.0.1:") + QByteArray::number(searchPort));
    const QString address = NetPortAddress(printer.TcpPort());
    const QString description = QString::fromUtf8(printer.VersionText()).simplified();
    ASSERT_FALSE(description.isEmpty());

    // SNMP finds the agent, DNS-SD the same host with its TCP port: one line.
    const CliRun text = RunInProcess({"search"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, (address + '\t' + description + '\n').toStdString());
    EXPECT_TRUE(text.err.empty()) << text.err;

    const CliRun json = RunInProcess({"search", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonDocument document = ParseJson(json.out);
    ASSERT_TRUE(document.isArray());
    ASSERT_EQ(document.array().size(), 1);
    const QJsonObject found = document.array().first().toObject();
    EXPECT_EQ(found["port"].toString(), address);
    EXPECT_EQ(found["host"].toString(), "127.0.0.1");
    EXPECT_EQ(found["tcpPort"].toInt(), printer.TcpPort());
    EXPECT_EQ(found["description"].toString(), description);

    // What search prints is what --port takes.
    const std::string port = found["port"].toString().toStdString();
    const CliRun read = RunInProcess({"--port", port.c_str(), "--lang", "VKLZ", "settings", "read"});
    EXPECT_EQ(read.status, 0) << read.err;
}

TEST(CliSearch, NothingFoundAndMalformedTargets) {
    TempEnvironment env;
    {
        const SearchTargets targets("127.0.0.1:1");
        const CliRun none = RunInProcess({"search", "--json"});
        EXPECT_EQ(none.status, 0) << none.err;
        EXPECT_TRUE(ParseJson(none.out).isArray());
        EXPECT_TRUE(ParseJson(none.out).array().isEmpty());
        const CliRun text = RunInProcess({"search"});
        EXPECT_EQ(text.status, 0);
        EXPECT_EQ(text.out, "");
    }
    const SearchTargets targets("127.0.0.1:161,printer:9100");
    const CliRun bad = RunInProcess({"search"});
    EXPECT_EQ(bad.status, 12) << bad.err; // 10 + bad parameter
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("QUILLORY_SEARCH_TARGETS"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("printer:9100"), std::string::npos) << bad.err;
}

TEST(CliPorts, UsbListAndPortStringAsJson) {
    TempEnvironment env;
    FakePortScope fake;
    fake.world->usbClassNames = {"QL-200 Label", "QL \"quoted\" model"};
    fake.world->usbApiCount = 2;
    const CliRun text = RunInProcess({"usb", "list"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, "QL-200 Label\nQL \"quoted\" model\nQXUSB-1\nQXUSB-2\n");

    const CliRun json = RunInProcess({"usb", "list", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonArray list = ParseJson(json.out).array();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[0].toObject(), QJsonObject({{"port", "usb:QL-200 Label"}, {"name", "QL-200 Label"}}));
    EXPECT_EQ(list[1].toObject()["name"].toString(), "QL \"quoted\" model");
    EXPECT_EQ(list[3].toObject(), QJsonObject({{"port", "usbapi:2"}, {"name", "QXUSB-2"}}));

    fake.world->usbClassNames.clear();
    fake.world->usbApiCount = 0;
    const CliRun empty = RunInProcess({"usb", "list", "--json"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(ParseJson(empty.out).array().isEmpty());
    // A failure prints no half document.
    fake.world->usbError = COMM_UNAVAILABLE;
    const CliRun failed = RunInProcess({"usb", "list", "--json"});
    EXPECT_EQ(failed.status, 14);
    EXPECT_EQ(failed.out, "");

    const CliRun portString = RunInProcess({"--port", "com:COM2", "--lang", "vkla", "port-string", "--json"});
    ASSERT_EQ(portString.status, 0) << portString.err;
    EXPECT_EQ(ParseJson(portString.out).object(), QJsonObject({{"portString", "VKLA,COM,2,9600,8,0,0,1"}}));
}

TEST(CliVersion, EveryProgramPrintsTheOneVersionAndExitsZero) {
    const CliRun inProcess = RunInProcess({"--version"});
    EXPECT_EQ(inProcess.status, 0);
    EXPECT_EQ(inProcess.out, "quillory-cli " QUILLORY_VERSION "\n");
    EXPECT_TRUE(inProcess.err.empty());

    // As programs, without a display: the desktop program answers before it opens any window.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    for (const char* program : {"quillory-cli", "quillory-printer-sim", "quillory"}) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(BuildProgramFolder() + "/" + program, {"--version"});
        ASSERT_TRUE(process.waitForFinished(20000)) << program;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << program;
        EXPECT_EQ(process.exitCode(), 0) << program;
        EXPECT_EQ(process.readAllStandardOutput().toStdString(),
                  std::string(program) + " " QUILLORY_VERSION "\n");
        EXPECT_EQ(process.readAllStandardError().toStdString(), "") << program;
    }
}

// The command line starts without the picture and print-queue libraries (and all they bring):
// they are loaded when a picture is converted or a queue is used, and a missing picture module
// is said as such, not blamed on the picture.
TEST(CliStart, PictureSearchAndPrintQueueLibrariesAreLoadedOnlyWhenUsed) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LD_TRACE_LOADED_OBJECTS", "1"); // the loader lists what it loads, then stops
    QProcess listing;
    listing.setProcessEnvironment(environment);
    listing.start(BuildProgramFolder() + "/quillory-cli", {"--version"});
    ASSERT_TRUE(listing.waitForFinished(20000));
    const QString loaded = QString::fromUtf8(listing.readAllStandardOutput());
    EXPECT_TRUE(loaded.contains("libQt6Core")) << loaded.toStdString();
    EXPECT_FALSE(loaded.contains("libQt6Gui")) << loaded.toStdString();
    EXPECT_FALSE(loaded.contains("libQt6Network")) << loaded.toStdString();
    EXPECT_FALSE(loaded.contains("libcups")) << loaded.toStdString();

    TempEnvironment env;
    QImage picture(128, 32, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QString png = env.Path("white.png");
    ASSERT_TRUE(picture.save(png));
    const CliRun converted = RunInProcess(
        {"logo", "convert", png.toStdString().c_str(), env.Path("white.logo").toStdString().c_str()});
    EXPECT_EQ(converted.status, 0) << converted.err;

    // A copy of the program with no module beside it or in its library folder.
    const QString lonely = env.Path("lonely");
    ASSERT_TRUE(QDir().mkpath(lonely + "/bin"));
    ASSERT_TRUE(QFile::copy(BuildProgramFolder() + "/quillory-cli", lonely + "/bin/quillory-cli"));
    QProcess process;
    QProcessEnvironment user = QProcessEnvironment::systemEnvironment();
    user.insert("XDG_CONFIG_HOME", env.ConfigFolder());
    user.insert("XDG_DATA_HOME", env.Path("data"));
    process.setProcessEnvironment(user);
    process.start(lonely + "/bin/quillory-cli", {"logo", "convert", png, env.Path("lonely.logo")});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 14);
    const QString error = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(error.contains("pictures cannot be read: quillory-picture.so is not installed"))
        << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(env.Path("lonely.logo")));

    user.insert("QUILLORY_SEARCH_TARGETS", "127.0.0.1:1"); // were the module there, only loopback
    process.setProcessEnvironment(user);
    process.start(lonely + "/bin/quillory-cli", {"search"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 14);
    const QString searchError = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(searchError.contains("network search: quillory-search.so is not installed"))
        << searchError.toStdString();
}
