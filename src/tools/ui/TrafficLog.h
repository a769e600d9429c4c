#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QFile>
#include <QString>

namespace quillory {

// The debug terminal's traffic written to a file as it happens, one line per send or reply:
//     2026-05-01 12:00:00.123 > 16  7e 57 4e 30 31 ... 0d 0a  "~WN01@version~<\x0d><\x0a>"
// A log grows while the terminal talks, so it is appended to and flushed line by line rather
// than replaced atomically; choosing a file starts it afresh.
class CTrafficLog {
public:
    enum class Direction { Sent, Received };

    // Starts a log in path (emptied first); false, with the system's reason in why, when it
    // cannot be written.
    bool Open(const QString& path, QString& why);
    void Close();
    [[nodiscard]] bool IsOpen() const { return m_file.isOpen(); }
    [[nodiscard]] QString Path() const { return m_file.fileName(); }

    // One line of bytes that went out or came in.
    bool Write(const QDateTime& time, Direction direction, QByteArrayView bytes, QString& why);
    // One line of a note (a file send, which is not written out byte for byte).
    bool WriteNote(const QDateTime& time, Direction direction, const QString& note, QString& why);

    // The line Write writes, without its line break.
    [[nodiscard]] static QString Line(const QDateTime& time, Direction direction, QByteArrayView bytes);

private:
    bool WriteLine(const QString& line, QString& why);

    QFile m_file;
};

} // namespace quillory
