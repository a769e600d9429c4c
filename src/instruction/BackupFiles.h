#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace quillory {

// How many backups of one kind the backup folder keeps: the newest under the name a restore
// takes by default, the older ones beside it with their time in the name.
inline constexpr int kKeptBackups = 10;

struct BackupEntry {
    QString path;
    QDateTime time; // when the backup was taken
};

// Makes write(path) the newest backup of its kind without losing the one it replaces: that one is
// first copied to a name carrying its time ("VKLZ-20261209-101500.eep"), so one bad read never
// costs a good backup, and copies beyond the last kKeptBackups are removed. A new backup that is
// the same as the newest takes no extra place. write must replace path atomically. False when the
// old backup could not be kept or write failed; the previous newest then still stands at path.
[[nodiscard]] bool KeepBackup(const QString& path, const std::function<bool(const QString&)>& write);

// The backups of path's kind, newest first (path itself, when it exists, is the first).
[[nodiscard]] std::vector<BackupEntry> ListBackups(const QString& path);

// The time of a backup as lists and choosers show it: "2026-12-09 10:15:00".
[[nodiscard]] QString BackupTimeText(const QDateTime& time);

} // namespace quillory
