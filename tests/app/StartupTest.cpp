#include "support/TestEnvironment.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

using namespace quillory::test;

namespace {

QProcessEnvironment ProgramEnvironment(const TempEnvironment& env) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("QT_QPA_PLATFORM", "offscreen");
    e.insert("XDG_CONFIG_HOME", env.ConfigFolder());
    e.insert("XDG_DATA_HOME", env.Path("data"));
    e.insert("XDG_RUNTIME_DIR", env.Path("run"));
    e.insert("QUILLORY_PROGRAM_DIR", env.ProgramFolder());
    return e;
}

} // namespace

TEST(Startup, SecondCopyExitsSilentlyWhileTheFirstRuns) {
    TempEnvironment env;
    const QString program = BuildProgramFolder() + "/quillory";
    QProcess first;
    first.setProcessEnvironment(ProgramEnvironment(env));
    first.start(program, {});
    ASSERT_TRUE(first.waitForStarted(10000));

    // The first copy holds the lock once it has prepared the settings folder.
    QDeadlineTimer deadline(15000);
    while (!QFileInfo::exists(env.ConfigFolder() + "/Quillory/Port/Setting.ini") && !deadline.hasExpired())
        QThread::msleep(20);
    ASSERT_TRUE(QFileInfo::exists(env.ConfigFolder() + "/Quillory/Port/Setting.ini"));

    QProcess second;
    second.setProcessEnvironment(ProgramEnvironment(env));
    second.start(program, {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(5000)) {
        first.kill();
        first.waitForFinished(5000);
    }
}

TEST(Startup, DemoRunsOnItsOwnPrinterAndLeavesTheUsersSettingsAlone) {
    TempEnvironment env;
    QProcess demo;
    demo.setProcessEnvironment(ProgramEnvironment(env));
    demo.start(BuildProgramFolder() + "/quillory", {"--demo"});
    ASSERT_TRUE(demo.waitForStarted(10000));
    QByteArray announced;
    QDeadlineTimer deadline(15000);
    while (!announced.contains('\n') && !deadline.hasExpired()) {
        demo.waitForReadyRead(100);
        announced += demo.readAllStandardOutput();
    }
    const QRegularExpressionMatch match =
        QRegularExpression("127\\.0\\.0\\.1:(\\d+)").match(QString::fromUtf8(announced));
    ASSERT_TRUE(match.hasMatch()) << announced.toStdString();

    // The demo printer answers like a real one.
    QProcess cli;
    cli.setProcessEnvironment(ProgramEnvironment(env));
    cli.start(BuildProgramFolder() + "/quillory-cli", {"--port", "net:127.0.0.1:" + match.captured(1),
                                                       "--lang", "VKLZ", "settings", "read", "--json"});
    ASSERT_TRUE(cli.waitForFinished(20000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_TRUE(cli.readAllStandardOutput().contains("\"DPI\":203"));
    EXPECT_EQ(demo.state(), QProcess::Running);
    EXPECT_FALSE(QFileInfo::exists(env.ConfigFolder() + "/Quillory"));

    demo.terminate();
    if (!demo.waitForFinished(5000)) {
        demo.kill();
        demo.waitForFinished(5000);
    }
}
