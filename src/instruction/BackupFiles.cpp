#include "instruction/BackupFiles.h"

#include "app/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace quillory {
namespace {

// Backups are a few kilobytes; anything far larger is not one of ours and is not read whole.
constexpr qint64 kMaxBackupBytes = 1 << 20;
constexpr const char* kStampFormat = "yyyyMMdd-HHmmss";

QString StampedName(const QFileInfo& newest, const QDateTime& time, int serial) {
    QString name = newest.completeBaseName() + QLatin1Char('-') + time.toString(QLatin1String(kStampFormat));
    if (serial > 1)
        name += QLatin1Char('-') + QString::number(serial);
    return name + QLatin1Char('.') + newest.suffix();
}

// The older copies of newest's kind: "<base>-yyyyMMdd-HHmmss[-n].<suffix>".
std::vector<BackupEntry> OlderCopies(const QFileInfo& newest) {
    const QRegularExpression pattern(QStringLiteral("^%1-(\\d{8}-\\d{6})(-\\d+)?\\.%2$")
                                         .arg(QRegularExpression::escape(newest.completeBaseName()),
                                              QRegularExpression::escape(newest.suffix())));
    std::vector<BackupEntry> copies;
    const QDir folder = newest.dir();
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files)) {
        const QRegularExpressionMatch match = pattern.match(file.fileName());
        if (!match.hasMatch())
            continue;
        copies.push_back({file.filePath(), file.lastModified()});
    }
    std::sort(copies.begin(), copies.end(), [](const BackupEntry& a, const BackupEntry& b) {
        return a.time != b.time ? a.time > b.time : a.path > b.path;
    });
    return copies;
}

std::optional<QByteArray> ReadSmallFile(const QString& path) {
    QFile file(path);
    if (file.size() > kMaxBackupBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

bool KeepBackup(const QString& path, const std::function<bool(const QString&)>& write) {
    const QFileInfo newest(path);
    QString copy;
    std::optional<QByteArray> old;
    if (newest.isFile()) {
        old = ReadSmallFile(path);
        if (!old)
            return false;
        const QDateTime taken = newest.lastModified();
        int serial = 1;
        do
            copy = newest.dir().filePath(StampedName(newest, taken, serial++));
        while (QFileInfo::exists(copy));
        if (!WriteFileAtomically(copy, *old))
            return false;
        // The copy keeps the time the backup was taken, which is how lists order and show it.
        QFile stamped(copy);
        if (stamped.open(QIODevice::ReadWrite))
            stamped.setFileTime(taken, QFileDevice::FileModificationTime);
    }
    if (!write(path)) {
        if (!copy.isEmpty())
            QFile::remove(copy);
        return false;
    }
    if (old && ReadSmallFile(path) == old)
        QFile::remove(copy); // nothing new: the older copy would only push a different one out
    const std::vector<BackupEntry> older = OlderCopies(newest);
    for (std::size_t i = kKeptBackups - 1; i < older.size(); ++i)
        QFile::remove(older[i].path);
    return true;
}

std::vector<BackupEntry> ListBackups(const QString& path) {
    const QFileInfo newest(path);
    std::vector<BackupEntry> list;
    if (path.isEmpty())
        return list;
    if (newest.isFile())
        list.push_back({path, newest.lastModified()});
    for (const BackupEntry& entry : OlderCopies(newest))
        list.push_back(entry);
    return list;
}

QString BackupTimeText(const QDateTime& time) {
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace quillory
