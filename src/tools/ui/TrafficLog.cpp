#include "tools/ui/TrafficLog.h"

#include "tools/ui/ReplyList.h"

namespace quillory {
namespace {

QString Prefix(const QDateTime& time, CTrafficLog::Direction direction) {
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
           (direction == CTrafficLog::Direction::Sent ? QStringLiteral(" > ") : QStringLiteral(" < "));
}

} // namespace

bool CTrafficLog::Open(const QString& path, QString& why) {
    Close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        why = m_file.errorString();
        return false;
    }
    return true;
}

void CTrafficLog::Close() {
    if (m_file.isOpen())
        m_file.close();
}

QString CTrafficLog::Line(const QDateTime& time, Direction direction, QByteArrayView bytes) {
    return Prefix(time, direction) + QString::number(bytes.size()) + QStringLiteral("  ") +
           QString::fromLatin1(bytes.toByteArray().toHex(' ')) + QStringLiteral("  \"") +
           CReplyList::TextView(bytes) + QLatin1Char('"');
}

bool CTrafficLog::Write(const QDateTime& time, Direction direction, QByteArrayView bytes, QString& why) {
    return WriteLine(Line(time, direction, bytes), why);
}

bool CTrafficLog::WriteNote(const QDateTime& time, Direction direction, const QString& note, QString& why) {
    return WriteLine(Prefix(time, direction) + note, why);
}

bool CTrafficLog::WriteLine(const QString& line, QString& why) {
    if (!m_file.isOpen()) {
        why = QStringLiteral("the log is not open");
        return false;
    }
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    if (m_file.write(bytes) != bytes.size() || !m_file.flush()) {
        why = m_file.errorString();
        return false;
    }
    return true;
}

} // namespace quillory
