#include "sim/LanguageParser.h"

#include <cstring>

namespace quillory::sim {

std::unique_ptr<LanguageParser> MakeLanguageParser(int instructionIndex) {
    switch (instructionIndex) {
    case SIM_VKLE:
        return MakeVkleParser();
    case SIM_VKLT:
        return MakeVkltParser();
    case SIM_VKLA:
        return MakeVklaParser();
    case SIM_VKLC:
        return MakeVklcParser();
    default:
        return MakeVklzParser();
    }
}

qsizetype FindFirstOf(QByteArrayView data, QByteArrayView chars) {
    qsizetype end = data.size();
    for (const char c : chars) {
        if (const void* hit = std::memchr(data.data(), c, std::size_t(end)))
            end = static_cast<const char*>(hit) - data.data();
    }
    return end;
}

std::optional<Line> TakeLine(QByteArrayView data, bool atEnd, QByteArrayView ends) {
    if (const qsizetype end = FindFirstOf(data, ends); end < data.size())
        return Line{data.first(end), end};
    if (atEnd || data.size() > kMaxCommandBytes)
        return Line{data, data.size()};
    return std::nullopt;
}

std::optional<Line> TakeTextLine(QByteArrayView data, bool atEnd) {
    if (data.startsWith('~'))
        return Line{data.first(1), 1};
    return TakeLine(data, atEnd, "\r\n~");
}

QList<QByteArrayView> SplitView(QByteArrayView text, char separator) {
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.append(text.sliced(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

QList<QByteArrayView> Words(QByteArrayView text) {
    QList<QByteArrayView> words;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const qsizetype start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            words.append(text.sliced(start, i - start));
    }
    return words;
}

void SetPaperLength(PrinterModel& model, int continuousAddress, int labelAddress, std::uint16_t length) {
    model.SetWord(model.Bits(0x1C, 0, 2) == 0 ? continuousAddress : labelAddress, length);
}

} // namespace quillory::sim
