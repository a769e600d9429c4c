#include "support/TestEnvironment.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
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
