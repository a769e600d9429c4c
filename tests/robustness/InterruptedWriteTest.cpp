// Killing the program while it saves a file leaves a complete file: the old one or the new one.
#include "app/AppSettings.h"
#include "eeprom/EepromFile.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// Starts the saving loop, kills it at random moments and checks the file after every kill.
void KillWhileSaving(const TempEnvironment& env, const QString& kind, const QString& target,
                     const QList<QByteArray>& complete) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_CONFIG_HOME", env.ConfigFolder());
    e.insert("QUILLORY_PROGRAM_DIR", env.ProgramFolder());
    QRandomGenerator random(42);
    for (int round = 0; round < 25; ++round) {
        QProcess loop;
        loop.setProcessEnvironment(e);
        loop.start(BuildProgramFolder() + "/save-loop", {kind, env.Root()});
        ASSERT_TRUE(loop.waitForStarted(5000));
        for (int i = 0; i < 500 && !QFileInfo::exists(target); ++i)
            QThread::msleep(2);
        QThread::usleep(random.bounded(200, 20000));
        loop.kill();
        loop.waitForFinished(5000);
        const QByteArray bytes = ReadFileBytes(target);
        ASSERT_TRUE(complete.contains(bytes))
            << kind.toStdString() << " round " << round << ": " << bytes.size() << " bytes";
    }
}

} // namespace

TEST(InterruptedWrite, SettingsFile) {
    TempEnvironment env;
    QList<QByteArray> versions;
    for (const int width : {111, 222}) {
        versions
            << "[First]\r\nUnit=0\r\nDPI=203\r\nPrintType=0\r\nPaperType=0\r\nPaperHeight=0\r\nPaperWidth=" +
                   QByteArray::number(width) +
                   "\r\nPrintDrection=0\r\nPrintDarkness=0\r\nPrintSpeed=0\r\nOutPaperType=0\r\nMirrorPrint="
                   "0\r\n"
                   "TearPaperPosition=0\r\nHoriPrintPositionOffset=0\r\nVertPrintPositionOffset="
                   "0\r\nSetClock=0\r\n"
                   "SetClockMethod=0\r\n";
    }
    KillWhileSaving(env, "settings", env.Path("target"), versions);
}

TEST(InterruptedWrite, EepromFile) {
    TempEnvironment env;
    QList<QByteArray> versions;
    for (const char* name : {"a.eep", "b.eep"}) {
        WnImage image{};
        image.fill(name[0] == 'a' ? 0x1111 : 0x2222);
        versions << BuildWnEepromFile(image, {}, true);
        WriteFileBytes(env.Path(name), versions.last());
    }
    KillWhileSaving(env, "eeprom", env.Path("target"), versions);
}

TEST(InterruptedWrite, ConfigurationFile) {
    TempEnvironment env;
    InitUserSettings();
    const QString file = UserSettingsFilePath();
    QList<QByteArray> versions;
    for (const char* address : {"127.0.0.1", "127.0.0.2"}) {
        tagPORTINFO port = ReadPortInfo();
        port.portType = PORT_NET;
        SetPortText(port.netAddress, address);
        WritePortInfo(port);
        versions << ReadFileBytes(file);
    }
    KillWhileSaving(env, "config", file, versions);
}
