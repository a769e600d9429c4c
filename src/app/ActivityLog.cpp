#include "app/ActivityLog.h"

#include "app/LanguageTexts.h"
#include "port/PortChoice.h"

#include <QMutexLocker>

#include <array>

namespace quillory {
namespace {

// Line breaks inside a field would split one entry over several lines of the saved log.
QString OneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
}

QString SerialShape(const tagPORTINFO& port) {
    static constexpr std::array<const char*, 3> kStopBits{"1", "1.5", "2"};
    static constexpr std::array<char, 5> kParity{'N', 'O', 'E', 'M', 'S'};
    const QString stop = port.stopBits >= 0 && std::size_t(port.stopBits) < kStopBits.size()
                             ? QString::fromLatin1(kStopBits[std::size_t(port.stopBits)])
                             : QStringLiteral("?");
    const QChar parity = port.parity >= 0 && std::size_t(port.parity) < kParity.size()
                             ? QLatin1Char(kParity[std::size_t(port.parity)])
                             : QLatin1Char('?');
    return QStringLiteral("%1%2%3").arg(port.dataBits).arg(parity).arg(stop);
}

} // namespace

QString MessageWithDetail(const QString& message, const QString& detail) {
    if (detail.isEmpty())
        return message;
    if (message.isEmpty())
        return detail;
    return message + QStringLiteral(" \u2014 ") + detail;
}

QString DescribePort(const tagPORTINFO& port) {
    switch (port.portType) {
    case PORT_COM:
        return QStringLiteral("%1 %2 %3").arg(SerialPortName(port)).arg(port.baudRate).arg(SerialShape(port));
    case PORT_LPT:
        return PortText(port.lptName);
    case PORT_USBCLASS:
        return PortText(port.usbClassName);
    case PORT_USBAPI:
        return UsbApiItemText(port.usbApiId);
    case PORT_DRIVER:
        return PortText(port.driverName);
    case PORT_NET:
        return PortText(port.netAddress) + QLatin1Char(':') + QString::number(port.netPort);
    default:
        return {};
    }
}

QString ActivityResultText(ActivityResult result, int languageIndex) {
    const char* key = result == ActivityResult::Success ? "ActivitySucceeded" : "ActivityFailed";
    const QString text = GetMessageText(key, languageIndex);
    if (!text.isEmpty())
        return text;
    return result == ActivityResult::Success ? QStringLiteral("OK") : QStringLiteral("Failed");
}

QString FormatActivityLine(const ActivityEntry& entry, const QString& resultText) {
    const QStringList fields{
        entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
        OneLine(entry.page),
        OneLine(entry.operation),
        OneLine(entry.port),
        OneLine(resultText),
        OneLine(MessageWithDetail(entry.message, entry.detail)),
    };
    return fields.join(QLatin1Char('\t'));
}

QString FormatActivityLog(const QList<ActivityEntry>& entries, qint64 dropped, int languageIndex) {
    QStringList lines;
    if (dropped > 0) {
        QString note = GetMessageText("ActivityDropped", languageIndex);
        if (note.isEmpty())
            note = QStringLiteral("%1 earlier entries are no longer kept.");
        lines << note.arg(dropped);
    }
    const QString ok = ActivityResultText(ActivityResult::Success, languageIndex);
    const QString failed = ActivityResultText(ActivityResult::Failure, languageIndex);
    for (const ActivityEntry& entry : entries)
        lines << FormatActivityLine(entry, entry.result == ActivityResult::Success ? ok : failed);
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

CActivityLog& CActivityLog::Instance() {
    static CActivityLog* log = [] {
        qRegisterMetaType<ActivityEntry>();
        return new CActivityLog;
    }();
    return *log;
}

void CActivityLog::Add(ActivityEntry entry) {
    if (!entry.time.isValid())
        entry.time = QDateTime::currentDateTime();
    {
        QMutexLocker lock(&m_mutex);
        m_entries.append(entry);
        if (m_entries.size() > kMaxEntries) {
            const qsizetype surplus = m_entries.size() - kMaxEntries;
            m_entries.remove(0, surplus);
            m_dropped += surplus;
        }
    }
    emit entryAdded(entry);
}

QList<ActivityEntry> CActivityLog::Entries() const {
    QMutexLocker lock(&m_mutex);
    return m_entries;
}

qsizetype CActivityLog::Count() const {
    QMutexLocker lock(&m_mutex);
    return m_entries.size();
}

qint64 CActivityLog::Dropped() const {
    QMutexLocker lock(&m_mutex);
    return m_dropped;
}

void CActivityLog::Clear() {
    {
        QMutexLocker lock(&m_mutex);
        m_entries.clear();
        m_dropped = 0;
    }
    emit cleared();
}

} // namespace quillory
