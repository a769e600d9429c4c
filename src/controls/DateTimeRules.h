#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace quillory {

// Rules of the segment-by-segment date-and-time field, whose text has the form
// "YYYY-MM-DD hh:mm:ss" (19 characters).
namespace datetime_rules {

enum Segment : int { Year, Month, Day, Hour, Minute, Second };

struct SegmentRange {
    int start;
    int length;
};

inline constexpr int kTextLength = 19;
// The text a new field starts with; it is never a valid date and time.
inline constexpr const char* kBlankText = "    -  -     :  :  ";

[[nodiscard]] SegmentRange RangeOf(Segment segment);
// The segment a character position belongs to, as a click selects it: 0-4 year, 5-7 month,
// 8-10 day, 11-13 hour, 14-16 minute, 17 and after second.
[[nodiscard]] Segment SegmentAt(int position);
// Where the caret goes after a digit typed at position; it wraps inside the segment. Positions
// on a separator have no digit to replace and give nothing.
[[nodiscard]] std::optional<int> CaretAfterDigit(int position);
// The segment Left moves to from a selection starting at start; nothing at position 0.
[[nodiscard]] std::optional<Segment> SegmentLeftOf(int start);
// The segment Right moves to from a selection ending at end; nothing beyond position 16.
[[nodiscard]] std::optional<Segment> SegmentRightOf(int end);

[[nodiscard]] std::optional<QDateTime> Parse(const QString& text);
[[nodiscard]] QString Format(const QDateTime& value);
// The text with the number of segment moved by step, or nothing when the text is not a date
// and time, the number would go below 0, or the result is no valid date and time.
[[nodiscard]] std::optional<QString> Step(const QString& text, Segment segment, int step);
// The text with digit put at position (no check that the result is a valid date).
[[nodiscard]] QString ReplaceDigit(const QString& text, int position, QChar digit);

} // namespace datetime_rules
} // namespace quillory
