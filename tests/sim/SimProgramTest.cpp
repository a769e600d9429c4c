#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <csignal>

using namespace quillory::test;

namespace {

QString Program() {
    return BuildProgramFolder() + "/quillory-printer-sim";
}

// Reads the announcement lines ("tcp 127.0.0.1:PORT", "pty /dev/pts/N", "search 127.0.0.1:PORT").
QMap<QString, QString> Announcements(QProcess& process, int lines) {
    QMap<QString, QString> found;
    QElapsedTimer timer;
    timer.start();
    while (found.size() < lines && timer.elapsed() < 10000) {
        if (!process.canReadLine() && !process.waitForReadyRead(500))
            continue;
        while (process.canReadLine()) {
            const QString line = QString::fromUtf8(process.readLine()).trimmed();
            found.insert(line.section(' ', 0, 0), line.section(' ', 1));
        }
    }
    return found;
}

} // namespace

TEST(SimProgram, ServesUntilTerminatedAndKeepsItsFiles) {
    TempEnvironment env;
    const QString image = env.Path("vkla.eep");
    const QString log = env.Path("log.bin");
    QProcess sim;
    sim.start(Program(), {"--lang", "vkla", "--port", "0", "--pty", "--search-port", "0", "--eeprom", image,
                          "--log", log});
    ASSERT_TRUE(sim.waitForStarted(5000));
    const QMap<QString, QString> at = Announcements(sim, 3);
    ASSERT_TRUE(at.value("tcp").startsWith("127.0.0.1:")) << at.value("tcp").toStdString();
    EXPECT_TRUE(at.value("pty").startsWith("/dev/pts/"));
    EXPECT_TRUE(at.value("search").startsWith("127.0.0.1:"));

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(at.value("tcp").section(':', 1).toUInt()));
    ASSERT_TRUE(socket.waitForConnected(3000));
    socket.write("\x02KB1c00ff0042\r\n\x02v\r\n");
    QByteArray reply;
    while (!reply.contains("FV") && socket.waitForReadyRead(3000))
        reply += socket.readAll();
    EXPECT_TRUE(reply.contains("FV"));
    socket.disconnectFromHost();

    ::kill(pid_t(sim.processId()), SIGTERM);
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_EQ(ReadFileBytes(log), QByteArray("\x02KB1c00ff0042\r\n\x02v\r\n"));
    EXPECT_TRUE(ReadFileBytes(image).contains("\x02KE1c0042\r\n"));
}

TEST(SimProgram, WrongOptionsAreUsageErrors) {
    for (const QStringList& args :
         {QStringList{"--lang", "XYZ"}, QStringList{"--port", "70000"}, QStringList{"--bogus"}}) {
        QProcess sim;
        sim.start(Program(), args);
        ASSERT_TRUE(sim.waitForFinished(5000));
        EXPECT_EQ(sim.exitCode(), 64) << args.join(' ').toStdString();
    }
}
