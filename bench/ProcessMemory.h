#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The high-water mark of a process's resident memory in KiB ("self" or a process id): what the
// process itself has held, whoever started it.
inline long PeakResidentKiB(const QString& process = QStringLiteral("self")) {
    QFile status(QStringLiteral("/proc/%1/status").arg(process));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}
