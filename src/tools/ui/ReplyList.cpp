#include "tools/ui/ReplyList.h"

#include <algorithm>

namespace quillory {

bool CReplyList::Add(const QDateTime& time, const QByteArray& bytes) {
    m_replies.append({time, bytes});
    if (m_replies.size() <= std::max<qsizetype>(m_limit, 1))
        return false;
    m_replies.removeFirst();
    return true;
}

QString CReplyList::TextView(QByteArrayView bytes) {
    const QString text = QString::fromLocal8Bit(bytes);
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            shown += QStringLiteral("<\\x%1>").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString CReplyList::Line(const Reply& reply, bool hexView, bool timeStamps) {
    const QString body = hexView ? QString::fromLatin1(reply.bytes.toHex(' ')) : TextView(reply.bytes);
    if (!timeStamps)
        return body;
    return reply.time.toString(QStringLiteral("[HH:mm:ss.zzz] ")) + body;
}

QString CReplyList::Text(bool hexView, bool timeStamps) const {
    QString text;
    for (qsizetype i = m_replies.size() - 1; i >= 0; --i)
        text += Line(m_replies[i], hexView, timeStamps) + QLatin1Char('\n');
    return text;
}

QByteArray CReplyList::SaveBytes(bool hexView, bool timeStamps) const {
    if (!hexView)
        return Text(false, timeStamps).toLocal8Bit();
    QByteArray bytes;
    for (qsizetype i = m_replies.size() - 1; i >= 0; --i)
        bytes += m_replies[i].bytes;
    return bytes;
}

} // namespace quillory
