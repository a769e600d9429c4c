#pragma once

#include "port/PortInfo.h"

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

namespace quillory {

enum class ActivityResult {
    Success,
    Failure,
};

// One operation the operator started and how it ended, as the activity log keeps it.
struct ActivityEntry {
    QDateTime time; // when the outcome was known
    QString page;   // the page or dialog it was started from
    QString operation;
    QString port; // the port it used (DescribePort), empty when it used none
    ActivityResult result = ActivityResult::Success;
    QString message; // what the operator was told
    QString detail;  // the technical detail behind the message (path and cause); often empty
};

// The message followed by the detail when there is one.
[[nodiscard]] QString MessageWithDetail(const QString& message, const QString& detail);
// A port as the log and the messages name it: "127.0.0.1:9100", "COM1 9600 8N1", "LPT1", a USB
// printer's or a queue's name.
[[nodiscard]] QString DescribePort(const tagPORTINFO& port);
// One entry as a line of text: time with date, page, operation, port, result and message (with
// the detail), separated by tabs so that the lines paste into a spreadsheet as columns.
// resultText names the result in the operator's language.
[[nodiscard]] QString FormatActivityLine(const ActivityEntry& entry, const QString& resultText);
// Every entry as lines, oldest first, with the result words of a language; a first line says how
// many earlier entries were dropped, when any were.
[[nodiscard]] QString FormatActivityLog(const QList<ActivityEntry>& entries, qint64 dropped,
                                        int languageIndex);
// The word for a result in a language ("OK", "Failed").
[[nodiscard]] QString ActivityResultText(ActivityResult result, int languageIndex);

// Every operation since the program started. One log per process; entries may be added from any
// thread, and entryAdded reaches a receiver on its own thread. The oldest entries give way once
// kMaxEntries are kept, so that a long session cannot exhaust the memory.
class CActivityLog : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kMaxEntries = 20000;

    [[nodiscard]] static CActivityLog& Instance();

    void Add(ActivityEntry entry);
    [[nodiscard]] QList<ActivityEntry> Entries() const;
    [[nodiscard]] qsizetype Count() const;
    // How many of the oldest entries were dropped to keep the limit.
    [[nodiscard]] qint64 Dropped() const;
    // Forgets everything (tests start from an empty log).
    void Clear();

signals:
    void entryAdded(const quillory::ActivityEntry& entry);
    void cleared();

private:
    CActivityLog() = default;

    mutable QMutex m_mutex;
    QList<ActivityEntry> m_entries;
    qint64 m_dropped = 0;
};

} // namespace quillory

Q_DECLARE_METATYPE(quillory::ActivityEntry)
