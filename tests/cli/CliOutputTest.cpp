// What the command line shows and takes beyond the commands themselves: --trace, printer text that
// cannot reach the terminal raw, JSON summaries, progress only on a terminal, standard input for
// send and for wireless keys.
#include "CliRun.h"
#include "app/AppSettings.h"
#include "app/PrinterText.h"
#include "port/LineSettings.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"
#include "tools/NetworkFrames.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace quillory;
using namespace quillory::test;

namespace {

CliRun Cli(const std::vector<std::string>& args) {
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    return RunInProcess(argv);
}

// The bytes of a trace's "send" or "recv" lines, in order.
QByteArray TracedBytes(const std::string& trace, const char* direction) {
    static const QRegularExpression line(
        QStringLiteral(R"(^\d\d:\d\d:\d\d\.\d{3} (send|recv) [0-9a-f]{4}  ((?:[0-9a-f]{2} )+) *\|)"),
        QRegularExpression::MultilineOption);
    QByteArray bytes;
    for (auto it = line.globalMatch(QString::fromStdString(trace)); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(1) == QLatin1String(direction))
            bytes += QByteArray::fromHex(match.captured(2).toLatin1());
    }
    return bytes;
}

// The program with its standard input fed from input (closed after it), or under a
// pseudo-terminal (script) when terminal is set, so that standard error is a terminal.
CliRun RunWith(const TempEnvironment& env, const QStringList& args, const QByteArray& input,
               bool terminal = false) {
    QProcess process;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_CONFIG_HOME", env.ConfigFolder());
    e.insert("XDG_DATA_HOME", env.Path("data"));
    e.insert("QUILLORY_PROGRAM_DIR", env.ProgramFolder());
    process.setProcessEnvironment(e);
    const QString program = BuildProgramFolder() + "/quillory-cli";
    if (terminal) {
        QStringList quoted{program};
        for (const QString& a : args)
            quoted << "'" + a + "'";
        process.start("script", {"-q", "-e", "-c", quoted.join(' '), "/dev/null"});
    } else {
        process.start(program, args);
    }
    CliRun run;
    if (!process.waitForStarted(10000))
        return run;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

bool HasScript() {
    return QProcess::execute("script", {"-q", "-e", "-c", "true", "/dev/null"}) == 0;
}

class CliOutput : public ::testing::Test {
protected:
    TempEnvironment env;
    sim::VirtualPrinter printer{INSTRUCTION_VKLZ};
    std::string port;

    void SetUp() override {
        ASSERT_TRUE(printer.StartTcp(0));
        port = NetPortAddress(printer.TcpPort()).toStdString();
    }
    CliRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", port, "--lang", "VKLZ"});
        return Cli(args);
    }
    QStringList Args(const QStringList& args) const {
        return QStringList{"--port", QString::fromStdString(port), "--lang", "VKLZ"} + args;
    }
};

} // namespace

TEST_F(CliOutput, TraceShowsEveryByteOfASettingsRead) {
    const CliRun run = Run({"--trace", "settings", "read"});
    ASSERT_EQ(run.status, 0) << run.err;
    // Every byte the printer received is in the trace's send lines, nothing more, in order.
    EXPECT_TRUE(printer.WaitForBytes(1, 1000));
    const QByteArray sent = TracedBytes(run.err, "send");
    EXPECT_FALSE(sent.isEmpty()) << run.err;
    EXPECT_EQ(sent.toHex(), printer.ReceivedBytes().toHex());
    // The replies: the version text among them, shown as text on the right.
    EXPECT_TRUE(TracedBytes(run.err, "recv").contains(printer.VersionText())) << run.err;
    EXPECT_NE(run.err.find(" open " + port), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" close"), std::string::npos);
    // Without --trace nothing of it.
    const CliRun quiet = Run({"settings", "read"});
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(quiet.out, run.out);
}

TEST_F(CliOutput, TraceNamesAFailedOpen) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const std::string dead = NetPortAddress(closed.serverPort()).toStdString();
    closed.close();
    const CliRun run = Cli({"--port", dead, "--lang", "VKLZ", "--trace", "settings", "read"});
    EXPECT_EQ(run.status, 11);
    EXPECT_NE(run.err.find("open failed: code 1"), std::string::npos) << run.err;
}

TEST_F(CliOutput, PrinterTextCannotReachTheTerminalOrAddLines) {
    const QByteArray normal = QByteArray::fromStdString(Run({"settings", "read"}).out);
    // Line ends, tabs and C1 controls pass the version check; each stays inside its field.
    printer.SetVersionText("FV1.0\nDPI=999\rX\t\xc2\x9b"
                           "1m");
    const CliRun text = Run({"settings", "read"});
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char c : text.out)
        EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << int(c);
    EXPECT_EQ(text.out.find("\xc2\x9b"), std::string::npos);
    EXPECT_EQ(text.out.find("\nDPI=999"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("FV1.0\\nDPI=999\\rX\\t\\u009b1m"), std::string::npos) << text.out;
    // One line per field, as with a plain version text.
    EXPECT_EQ(QByteArray::fromStdString(text.out).count('\n'), normal.count('\n'));

    const CliRun json = Run({"settings", "read", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.find("\xc2\x9b"), std::string::npos);
    EXPECT_EQ(QByteArray::fromStdString(json.out).count('\n'), 1);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out;
    // JSON keeps the value itself; only its spelling is escaped.
    const QString version = document.object().value("FirmwareVersion").toString();
    EXPECT_TRUE(version.contains(QChar(0x9b))) << json.out;
    EXPECT_TRUE(version.contains(u"\nDPI=999")) << json.out;
    EXPECT_NE(document.object().value("DPI").toInt(), 999);

    // A reply the printer check refuses is quoted in the message, escaped as well.
    printer.SetVersionText("FV1.0\x1b]0;owned\x07\x1b[2J");
    const CliRun refused = Run({"settings", "read"});
    EXPECT_EQ(refused.status, 13);
    EXPECT_EQ(refused.err.find('\x1b'), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("FV1.0"), std::string::npos) << refused.err;
}

TEST(PrinterText, EscapesWhatATerminalActsOn) {
    EXPECT_EQ(EscapePrinterText(u"plain 1.0 \u00e9\u4e2d"), u"plain 1.0 \u00e9\u4e2d");
    EXPECT_EQ(EscapePrinterText(u"a\nb\rc\td\x1b[0m\\"), u"a\\nb\\rc\\td\\e[0m\\\\");
    EXPECT_EQ(EscapePrinterText(QString::fromUtf8("\x01\x7f\xc2\x9b\xe2\x80\xa8\xe2\x80\xae")),
              u"\\x01\\x7f\\u009b\\u2028\\u202e");
    EXPECT_EQ(EscapeMessageText(u"line 1\nline\x1b 2"), u"line 1\nline\\e 2");
    const QByteArray json =
        TerminalSafeJson(QJsonDocument(QJsonArray{QString::fromUtf8("a\x7f\xc2\x85\xe2\x80\xa9\n")}));
    EXPECT_EQ(json, R"(["a\u007f\u0085\u2029\n"])");
    EXPECT_EQ(QJsonDocument::fromJson(json).array().at(0).toString(),
              QString::fromUtf8("a\x7f\xc2\x85\xe2\x80\xa9\n"));
}

TEST_F(CliOutput, EepromBackupAndToolsPrintASummary) {
    const std::string file = env.Path("backup.eep").toStdString();
    CliRun run = Run({"eeprom", "backup", file, "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    QJsonParseError error;
    QJsonObject summary = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out;
    EXPECT_EQ(summary.value("file").toString().toStdString(), file);
    EXPECT_EQ(summary.value("language").toString(), "VKLZ");
    EXPECT_EQ(summary.value("words").toInt(), 256);
    EXPECT_TRUE(QFile::exists(summary.value("backup").toString())) << run.out;

    run = Run({"eeprom", "backup", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("words=256\n"), std::string::npos) << run.out;

    run = Run({"tool", "feed", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    summary = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out;
    EXPECT_EQ(summary.value("tool").toString(), "feed");
    EXPECT_EQ(summary.value("result").toString(), "done");
    EXPECT_GT(summary.value("bytesSent").toInt(), 0);
    run = Run({"tool", "feed"});
    EXPECT_NE(run.out.find("feed: done ("), std::string::npos) << run.out;
}

TEST_F(CliOutput, AToolALanguageLacksIsNotReportedAsDone) {
    // VKLT has no form list: nothing goes out, and the result says so.
    const CliRun run = Cli({"--port", port, "--lang", "VKLT", "tool", "form-list", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject result = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    EXPECT_EQ(result.value("result").toString(), "not offered") << run.out;
    EXPECT_EQ(result.value("bytesSent").toInt(), 0);
}

TEST_F(CliOutput, ProgressOnATerminalOnly) {
    if (!HasScript())
        GTEST_SKIP() << "no script(1) to give the program a terminal";
    const QString file = env.Path("backup.eep");
    const CliRun piped = RunWith(env, Args({"eeprom", "backup", file}), {});
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.err, "");
    // script puts standard output and standard error on the one terminal.
    const CliRun terminal = RunWith(env, Args({"eeprom", "backup", file}), {}, true);
    ASSERT_EQ(terminal.status, 0) << terminal.out;
    EXPECT_NE(terminal.out.find("\reeprom backup: "), std::string::npos) << terminal.out;
    EXPECT_NE(terminal.out.find(" received"), std::string::npos) << terminal.out;

    const QString label = env.Path("label.prn");
    QFile out(label);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QByteArray(100000, 'x'));
    out.close();
    const CliRun send = RunWith(env, Args({"send", label}), {}, true);
    ASSERT_EQ(send.status, 0) << send.out;
    EXPECT_NE(send.out.find("\rsent "), std::string::npos) << send.out;
    // A trace on the terminal has no progress lines cutting through it.
    const CliRun traced = RunWith(env, Args({"--trace", "eeprom", "backup", file}), {}, true);
    EXPECT_EQ(traced.out.find("\reeprom backup: "), std::string::npos);
}

TEST_F(CliOutput, SendReadsStandardInput) {
    QByteArray label;
    for (int i = 0; i < 300000; ++i)
        label += char('A' + i % 26);
    const CliRun run = RunWith(env, {"--port", QString::fromStdString(port), "send", "-"}, label);
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(printer.WaitForBytes(label.size(), 10000));
    EXPECT_EQ(printer.ReceivedBytes(), label);
}

TEST_F(CliOutput, WirelessKeyFromAFileOrStandardInput) {
    const auto received = [this](const CliRun& run) {
        EXPECT_EQ(run.status, 0) << run.err;
        QThread::msleep(300);
        const QByteArray bytes = printer.ReceivedBytes();
        printer.ClearLog();
        return bytes;
    };
    const QStringList wpa{"network", "apply", "--encryption", "WPA2-PSK"};
    const QByteArray onCommandLine = received(RunWith(env,
                                                      QStringList{"--port", QString::fromStdString(port)} +
                                                          wpa + QStringList{"--key", "pass phrase 1"},
                                                      {}));
    ASSERT_TRUE(onCommandLine.contains("pass phrase 1"));

    const QString keyFile = env.Path("wifi.key");
    QFile file(keyFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("pass phrase 1\n");
    file.close();
    EXPECT_EQ(received(RunWith(env,
                               QStringList{"--port", QString::fromStdString(port)} + wpa +
                                   QStringList{"--key-file", keyFile},
                               {})),
              onCommandLine);
    EXPECT_EQ(
        received(RunWith(
            env, QStringList{"--port", QString::fromStdString(port)} + wpa + QStringList{"--key-file", "-"},
            "pass phrase 1\r\n")),
        onCommandLine);

    // Refusals name the file and the cause; nothing is sent.
    const int connections = printer.ConnectionCount();
    CliRun run = Cli({"--port", port, "network", "apply", "--encryption", "WPA2-PSK", "--key-file",
                      env.Path("missing.key").toStdString()});
    EXPECT_EQ(run.status, 65);
    EXPECT_NE(run.err.find("missing.key"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("No such file"), std::string::npos) << run.err;
    run = Cli({"--port", port, "network", "apply", "--encryption", "WPA2-PSK", "--key", "x", "--key-file",
               keyFile.toStdString()});
    EXPECT_EQ(run.status, 64);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("line one\nline two\n");
    file.close();
    run = Cli({"--port", port, "network", "apply", "--encryption", "WPA2-PSK", "--key-file",
               keyFile.toStdString()});
    EXPECT_EQ(run.status, 65);
    EXPECT_EQ(printer.ConnectionCount(), connections);
}

// What bash offers after the words given (the last one being completed).
QStringList Completions(const QStringList& words) {
    QProcess bash;
    bash.start("bash",
               QStringList{"-c",
                           "source \"$0\" || exit 9; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); "
                           "_quillory_cli; printf '%s\\n' \"${COMPREPLY[@]}\"",
                           QStringLiteral(QUILLORY_TEST_SOURCE_DIR "/resources/completion/quillory-cli")} +
                   words);
    if (!bash.waitForFinished(10000) || bash.exitCode() != 0)
        return {QStringLiteral("bash failed: ") + bash.readAllStandardError()};
    return QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

TEST(CliCompletion, TheScriptLoadsAndCompletesTheCommandTree) {
    EXPECT_EQ(Completions({"quillory-cli", "se"}), QStringList({"send", "search", "settings"}));
    EXPECT_EQ(Completions({"quillory-cli", "settings", ""}),
              QStringList({"read", "apply", "save", "restore"}));
    EXPECT_EQ(Completions({"quillory-cli", "fleet", ""}),
              QStringList({"apply", "snapshot", "diff", "restore"}));
    EXPECT_TRUE(Completions({"quillory-cli", "fleet", "apply", "--inv"}).contains("--inventory"));
    EXPECT_TRUE(Completions({"quillory-cli", "eeprom", "restore", "--"}).contains("--verify"));
    EXPECT_EQ(Completions({"quillory-cli", "--port", "net:127.0.0.1:9100", "eeprom", "b"}),
              QStringList({"backup"}));
    EXPECT_EQ(Completions({"quillory-cli", "--lang", "VKLA", "tool", "f"}),
              QStringList({"font-list", "form-list", "feed", "factory-reset"}));
    EXPECT_TRUE(Completions({"quillory-cli", "network", "apply", "--key-"}).contains("--key-file"));
    EXPECT_TRUE(Completions({"quillory-cli", "--t"}).contains("--trace"));
    EXPECT_EQ(Completions({"quillory-cli", "--lang", "VKLZ", "settings", "read", "--j"}),
              QStringList({"--json"}));
    // Every command the program offers is offered by the script.
    const QStringList commands = Completions({"quillory-cli", ""});
    for (const char* command :
         {"send", "logo", "network", "port-string", "usb", "search", "settings", "eeprom", "tool"})
        EXPECT_TRUE(commands.contains(command)) << command;
    // ... including any command added later: the help lists them all.
    const CliRun help = RunInProcess({"--help"});
    const std::string::size_type list = help.out.find("Subcommands:");
    ASSERT_NE(list, std::string::npos) << help.out;
    static const QRegularExpression line(QStringLiteral(R"(^  ([a-z][a-z-]+)\s)"),
                                         QRegularExpression::MultilineOption);
    int listed = 0;
    for (auto it = line.globalMatch(QString::fromStdString(help.out.substr(list))); it.hasNext(); ++listed) {
        const QString name = it.next().captured(1);
        EXPECT_TRUE(commands.contains(name)) << name.toStdString() << " is not completed";
    }
    EXPECT_GE(listed, 9);
}

TEST(CliErrors, FailuresNameWhatFailedAndWhy) {
    TempEnvironment env;
    // A saved serial port whose baud rate no line can use: the message says which setting.
    InitUserSettings();
    tagPORTINFO saved = MakePortInfo(PORT_COM);
    SetSerialPortName(saved, "/dev/serial/by-id/usb-Example_Printer-if00-port0");
    SetNewPortLineSettings(saved);
    saved.baudRate = 0;
    WritePortInfo(saved);
    CliRun run = RunInProcess({"--lang", "VKLZ", "tool", "feed"});
    EXPECT_EQ(run.status, 12);
    EXPECT_EQ(run.err.rfind("quillory-cli: The port settings are not valid.", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("by-id/usb-Example_Printer-if00-port0: baud rate 0"), std::string::npos)
        << run.err;

    // A refused connection names the host, the port and the system's reason.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 deadPort = closed.serverPort();
    const std::string dead = NetPortAddress(deadPort).toStdString();
    closed.close();
    run = RunInProcess({"--port", dead.c_str(), "--lang", "VKLZ", "settings", "read"});
    EXPECT_EQ(run.status, 11);
    EXPECT_NE(run.err.find("127.0.0.1:" + std::to_string(deadPort)), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("refused"), std::string::npos) << run.err;

    // A file that cannot be written names the path and the reason.
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    const std::string port = NetPortAddress(printer.TcpPort()).toStdString();
    const std::string target = env.Path("no-such-folder/backup.eep").toStdString();
    run = RunInProcess({"--port", port.c_str(), "--lang", "VKLZ", "eeprom", "backup", target.c_str()});
    EXPECT_EQ(run.status, 15);
    EXPECT_NE(run.err.find(target + ": "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;
    const std::string logo = env.Path("no-such-folder/x.logo").toStdString();
    QImage picture(128, 32, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QString png = env.Path("logo.png");
    ASSERT_TRUE(picture.save(png));
    run = RunInProcess({"logo", "convert", png.toStdString().c_str(), logo.c_str()});
    EXPECT_EQ(run.status, 15) << run.err;
    EXPECT_NE(run.err.find(logo + ": "), std::string::npos) << run.err;

    // A file that cannot be read says why: missing, or not allowed.
    printer.ClearLog();
    const std::string missing = env.Path("missing.VKLZSET").toStdString();
    run = RunInProcess({"--port", port.c_str(), "--lang", "VKLZ", "settings", "apply", missing.c_str()});
    EXPECT_EQ(run.status, 65);
    EXPECT_NE(run.err.find(missing + " could not be opened. (No such file or directory)"), std::string::npos)
        << run.err;
    for (const char* command : {"eeprom", "logo"}) {
        run =
            command == std::string("eeprom")
                ? RunInProcess({"--port", port.c_str(), "--lang", "VKLZ", "eeprom", "write", missing.c_str()})
                : RunInProcess({"logo", "convert", missing.c_str(), logo.c_str()});
        EXPECT_EQ(run.status, 65) << command;
        EXPECT_NE(run.err.find("(No such file or directory)"), std::string::npos)
            << command << ": " << run.err;
    }
    if (geteuid() != 0) {
        const QString locked = env.Path("locked.eep");
        WriteFileBytes(locked, "x");
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
        run = RunInProcess(
            {"--port", port.c_str(), "--lang", "VKLZ", "eeprom", "write", locked.toStdString().c_str()});
        EXPECT_NE(run.err.find("(Permission denied)"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(printer.ReceivedBytes().isEmpty()) << "nothing was sent for a file that was not read";
}
