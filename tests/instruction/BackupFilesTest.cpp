// The backup folder keeps the last ten backups of a kind: a new one never costs the one before it.
#include "instruction/BackupFiles.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// Gives the newest backup the time it was taken at, minutes apart, as a running program would.
void Age(const QString& path, int minute) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        file.setFileTime(QDateTime(QDate(2026, 12, 9), QTime(8, minute)), QFileDevice::FileModificationTime));
}

bool WriteText(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

TEST(BackupFiles, KeepsTheLastTenNewestFirstUnderTheRestoreName) {
    TempEnvironment env;
    QDir().mkpath(env.Path("EEPbak"));
    const QString newest = env.Path("EEPbak/VKLZ.eep");
    EXPECT_TRUE(ListBackups(newest).empty());
    for (int i = 0; i < 13; ++i) {
        ASSERT_TRUE(KeepBackup(
            newest, [&](const QString& p) { return WriteText(p, "backup " + QByteArray::number(i)); }));
        Age(newest, i);
    }
    EXPECT_EQ(ReadFileBytes(newest), "backup 12");
    const std::vector<BackupEntry> list = ListBackups(newest);
    ASSERT_EQ(list.size(), std::size_t(kKeptBackups));
    EXPECT_EQ(list[0].path, newest);
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(ReadFileBytes(list[i].path), "backup " + QByteArray::number(12 - int(i))) << i;
        EXPECT_EQ(list[i].time.time().minute(), 12 - int(i)) << i;
    }
    EXPECT_EQ(QFileInfo(list[1].path).fileName(), QStringLiteral("VKLZ-20261209-081100.eep"));
    // Backups of another kind in the same folder are neither listed nor removed.
    const QString other = env.Path("EEPbak/VKLZ.VKLZSET");
    ASSERT_TRUE(KeepBackup(other, [&](const QString& p) { return WriteText(p, "settings"); }));
    EXPECT_EQ(ListBackups(newest).size(), std::size_t(kKeptBackups));
    EXPECT_EQ(ListBackups(other).size(), 1u);
    EXPECT_EQ(BackupTimeText(list[1].time), QStringLiteral("2026-12-09 08:11:00"));
}

TEST(BackupFiles, AFailedOrUnchangedBackupTakesNoPlace) {
    TempEnvironment env;
    const QString newest = env.Path("VKLA.eep");
    ASSERT_TRUE(KeepBackup(newest, [&](const QString& p) { return WriteText(p, "good"); }));
    Age(newest, 1);
    // A write that fails leaves the good backup where the restore takes it, and nothing else.
    EXPECT_FALSE(KeepBackup(newest, [](const QString&) { return false; }));
    EXPECT_EQ(ReadFileBytes(newest), "good");
    EXPECT_EQ(ListBackups(newest).size(), 1u);
    // The same backup again does not push an older, different one out.
    ASSERT_TRUE(KeepBackup(newest, [&](const QString& p) { return WriteText(p, "good"); }));
    EXPECT_EQ(ListBackups(newest).size(), 1u);
    ASSERT_TRUE(KeepBackup(newest, [&](const QString& p) { return WriteText(p, "newer"); }));
    const std::vector<BackupEntry> list = ListBackups(newest);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(ReadFileBytes(list[1].path), "good");
}
