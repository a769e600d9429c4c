#include "controls/DateTimeRules.h"

#include <array>

namespace quillory::datetime_rules {
namespace {

constexpr std::array<SegmentRange, 6> kSegments{{{0, 4}, {5, 2}, {8, 2}, {11, 2}, {14, 2}, {17, 2}}};

// Date and time are read apart and kept in UTC so that a wall-clock time inside a daylight
// saving gap of the local zone still counts as a valid clock setting.
const QString& DatePattern() {
    static const QString pattern = QStringLiteral("yyyy-MM-dd");
    return pattern;
}

const QString& TimePattern() {
    static const QString pattern = QStringLiteral("HH:mm:ss");
    return pattern;
}

} // namespace

SegmentRange RangeOf(Segment segment) {
    return kSegments[std::size_t(segment)];
}

Segment SegmentAt(int position) {
    if (position <= 4)
        return Year;
    if (position <= 7)
        return Month;
    if (position <= 10)
        return Day;
    if (position <= 13)
        return Hour;
    if (position <= 16)
        return Minute;
    return Second;
}

std::optional<int> CaretAfterDigit(int position) {
    for (const SegmentRange& r : kSegments) {
        if (position >= r.start && position < r.start + r.length)
            return position + 1 < r.start + r.length ? position + 1 : r.start;
    }
    return std::nullopt;
}

std::optional<Segment> SegmentLeftOf(int start) {
    if (start <= 0)
        return std::nullopt;
    return SegmentAt(start - 1);
}

std::optional<Segment> SegmentRightOf(int end) {
    if (end > 16)
        return std::nullopt;
    return SegmentAt(end + 1);
}

std::optional<QDateTime> Parse(const QString& text) {
    if (text.size() != kTextLength || text[10] != QLatin1Char(' '))
        return std::nullopt;
    const QDate date = QDate::fromString(text.left(10), DatePattern());
    const QTime time = QTime::fromString(text.mid(11), TimePattern());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

QString Format(const QDateTime& value) {
    return value.date().toString(DatePattern()) + QLatin1Char(' ') + value.time().toString(TimePattern());
}

std::optional<QString> Step(const QString& text, Segment segment, int step) {
    const std::optional<QDateTime> value = Parse(text);
    if (!value)
        return std::nullopt;
    const QDate date = value->date();
    const QTime time = value->time();
    std::array<int, 6> parts{date.year(), date.month(),  date.day(),
                             time.hour(), time.minute(), time.second()};
    parts[std::size_t(segment)] += step;
    if (parts[std::size_t(segment)] < 0 || parts[0] > 9999)
        return std::nullopt;
    const QDate newDate(parts[0], parts[1], parts[2]);
    const QTime newTime(parts[3], parts[4], parts[5]);
    if (!newDate.isValid() || !newTime.isValid() || parts[0] < 1)
        return std::nullopt;
    return Format(QDateTime(newDate, newTime, Qt::UTC));
}

QString ReplaceDigit(const QString& text, int position, QChar digit) {
    QString result = text;
    if (position >= 0 && position < result.size())
        result[position] = digit;
    return result;
}

} // namespace quillory::datetime_rules
