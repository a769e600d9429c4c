#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

namespace quillory {

// The debug terminal's replies, one line each in the reply area, newest first: as text (control
// bytes written as the editor's escapes, so that the line breaks inside a reply do not break the
// line) or as hex tokens, each optionally after its time of arrival. Only the newest kMaxReplies
// (or the limit given) are kept, so that a long session cannot make the area grow without bound.
class CReplyList {
public:
    static constexpr qsizetype kMaxReplies = 5000;

    struct Reply {
        QDateTime time;
        QByteArray bytes;
    };

    explicit CReplyList(qsizetype limit = kMaxReplies) : m_limit(limit) {}
    // How many replies are kept (tests use a small limit).
    void SetLimit(qsizetype limit) { m_limit = limit; }
    [[nodiscard]] qsizetype Limit() const { return m_limit; }

    // Adds the newest reply; returns whether the oldest was dropped to make room.
    bool Add(const QDateTime& time, const QByteArray& bytes);
    void Clear() { m_replies.clear(); }
    [[nodiscard]] qsizetype Count() const { return m_replies.size(); }
    [[nodiscard]] bool IsEmpty() const { return m_replies.isEmpty(); }
    // The replies, oldest first.
    [[nodiscard]] const QList<Reply>& Replies() const { return m_replies; }

    // One reply's line.
    [[nodiscard]] static QString Line(const Reply& reply, bool hexView, bool timeStamps);
    // Bytes as the text view shows them: the 8-bit text, with control bytes as "<\x0d>" escapes.
    [[nodiscard]] static QString TextView(QByteArrayView bytes);
    // The whole area, newest line first, lines ended by '\n'.
    [[nodiscard]] QString Text(bool hexView, bool timeStamps) const;
    // What Save writes: in hex view the replies' bytes, newest first; in text view the lines as
    // shown, in the 8-bit encoding.
    [[nodiscard]] QByteArray SaveBytes(bool hexView, bool timeStamps) const;

private:
    qsizetype m_limit;
    QList<Reply> m_replies;
};

} // namespace quillory
