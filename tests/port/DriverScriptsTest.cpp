// The driver installer and uninstaller shipped in Driver/, run against a private print service.
#include "port/backends/Backends.h"
#include "support/CupsServer.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

using namespace quillory;
using namespace quillory::test;

namespace {

struct ScriptRun {
    int exitCode = -1;
    QString output;
};

// Runs a shipped script of the build's program folder with no terminal and no desktop to ask.
ScriptRun RunScript(const QString& name, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(BuildProgramFolder() + QStringLiteral("/Driver/") + name, arguments);
    process.closeWriteChannel();
    ScriptRun run;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.output = QString::fromLocal8Bit(process.readAll());
    return run;
}

// Runs a script on a terminal of its own (util-linux "script"), answering its question with input.
ScriptRun RunScriptOnTerminal(const QString& name, const QByteArray& input) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("script"),
                  {QStringLiteral("-qec"), BuildProgramFolder() + QStringLiteral("/Driver/") + name,
                   QStringLiteral("/dev/null")});
    process.waitForStarted(10000);
    process.write(input);
    ScriptRun run;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.output = QString::fromLocal8Bit(process.readAll());
    return run;
}

QStringList FamilyQueues() {
    try {
        return ListDriverPrinters();
    } catch (const CommunicationException& e) {
        ADD_FAILURE() << e.Detail().toStdString();
        return {};
    }
}

class DriverScripts : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CupsServer::Installed())
            GTEST_SKIP()
                << "cupsd is not installed; the driver scripts are tested where it is (CI installs it)";
        server = std::make_unique<CupsServer>();
        ASSERT_TRUE(server->IsRunning()) << server->ErrorText().toStdString();
    }
    std::unique_ptr<CupsServer> server;
};

} // namespace

TEST(DriverScriptFiles, TheBuildKeepsThemExecutable) {
    for (const char* name : {"Setup", "Uninstall"}) {
        const QFileInfo script(BuildProgramFolder() + QStringLiteral("/Driver/") + QLatin1String(name));
        EXPECT_TRUE(script.isFile() && script.isExecutable()) << name;
    }
}

TEST_F(DriverScripts, SetupAddsAQueueOfTheFamilyAndUninstallRemovesIt) {
    const ScriptRun setup = RunScript("Setup", {"socket://127.0.0.1:9", "Front-Desk_2"});
    ASSERT_EQ(setup.exitCode, 0) << setup.output.toStdString();
    EXPECT_TRUE(setup.output.contains("Front-Desk_2")) << setup.output.toStdString();
    EXPECT_EQ(FamilyQueues(), QStringList({"Front-Desk_2"}));

    const ScriptRun uninstall = RunScript("Uninstall", {"Front-Desk_2"});
    ASSERT_EQ(uninstall.exitCode, 0) << uninstall.output.toStdString();
    EXPECT_TRUE(FamilyQueues().isEmpty());
}

TEST_F(DriverScripts, OnATerminalTheyAskForWhatIsMissing) {
    const ScriptRun setup = RunScriptOnTerminal("Setup", "socket://127.0.0.1:9\n");
    ASSERT_EQ(setup.exitCode, 0) << setup.output.toStdString();
    EXPECT_TRUE(setup.output.contains("Device URI")) << setup.output.toStdString();
    ASSERT_TRUE(server->AddQueue("Office", "socket://127.0.0.1:9", server->PpdWithNickName("Office Laser")))
        << server->ErrorText().toStdString();
    ASSERT_TRUE(server->AddQueue("Back-Room", "socket://127.0.0.1:9")) << server->ErrorText().toStdString();

    // The question names the queues of the family only; Enter takes the first.
    const ScriptRun uninstall = RunScriptOnTerminal("Uninstall", "\n");
    ASSERT_EQ(uninstall.exitCode, 0) << uninstall.output.toStdString();
    EXPECT_TRUE(uninstall.output.contains("Quillory")) << uninstall.output.toStdString();
    EXPECT_TRUE(uninstall.output.contains("Back-Room")) << uninstall.output.toStdString();
    EXPECT_FALSE(uninstall.output.contains("Office")) << uninstall.output.toStdString();
    EXPECT_EQ(FamilyQueues().size(), 1);
}

TEST_F(DriverScripts, UnsafeOrMissingInputIsRefusedBeforeThePrintServiceIsAsked) {
    const struct {
        QStringList arguments;
        const char* says;
    } cases[] = {
        {{"socket://127.0.0.1:9 -x Other"}, "not a device URI"},
        {{"socket://127.0.0.1:9\nrm"}, "not a device URI"},
        {{"socket://127.0.0.1:9", "../etc/x"}, "cannot name a printer queue"},
        {{"socket://127.0.0.1:9", "$(id)"}, "cannot name a printer queue"},
        {{}, "no device URI given"},
    };
    for (const auto& c : cases) {
        const ScriptRun setup = RunScript("Setup", c.arguments);
        EXPECT_EQ(setup.exitCode, 64) << c.arguments.join('|').toStdString();
        EXPECT_TRUE(setup.output.contains(c.says)) << setup.output.toStdString();
    }
    EXPECT_TRUE(FamilyQueues().isEmpty());
}

TEST_F(DriverScripts, UninstallNeverRemovesAQueueOfAnotherPrinter) {
    ASSERT_TRUE(server->AddQueue("Office", "socket://127.0.0.1:9", server->PpdWithNickName("Office Laser")))
        << server->ErrorText().toStdString();
    const ScriptRun foreign = RunScript("Uninstall", {"Office"});
    EXPECT_EQ(foreign.exitCode, 66) << foreign.output.toStdString();
    const ScriptRun missing = RunScript("Uninstall", {"Nowhere"});
    EXPECT_EQ(missing.exitCode, 66) << missing.output.toStdString();
    EXPECT_TRUE(server->RunTool("lpstat", {"-p", "Office"})) << "the other printer's queue is still there";
}
