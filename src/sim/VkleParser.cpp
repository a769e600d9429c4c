// VKLE: one command per line, a command word followed by comma-separated arguments.
#include "sim/LanguageParser.h"
#include "sim/SimConversions.h"

namespace quillory::sim {
namespace {

void Action(PrinterModel& model, const char* name) {
    model.NoteAction(QString::fromLatin1(name));
}

// Lines that are a whole command without arguments.
struct FixedLine {
    const char* text;
    void (*run)(PrinterModel& model);
};

constexpr FixedLine kFixedLines[] = {
    {"ZT", [](PrinterModel& m) { m.SetBits(0x48, 0, 1, 1); }},
    {"ZB", [](PrinterModel& m) { m.SetBits(0x48, 0, 1, 0); }},
    {"O", [](PrinterModel& m) { m.SetBits(0x0D, 0, 1, 1); }},
    {"OD", [](PrinterModel& m) { m.SetBits(0x0D, 0, 1, 0); }},
    {"JB", [](PrinterModel& m) { m.SetBits(0x1C, 4, 7, 0); }},
    // Tear-off is told apart from plain back-feed by a full back-feed before printing.
    {"JF",
     [](PrinterModel& m) {
         m.SetBits(0x1C, 4, 7, 1);
         m.SetBits(0x35, 0, 7, 100);
     }},
    {"OP", [](PrinterModel& m) { m.SetBits(0x1C, 4, 7, 2); }},
    {"OC", [](PrinterModel& m) { m.SetBits(0x1C, 4, 7, 3); }},
    {"U", [](PrinterModel& m) { Action(m, "self-test"); }},
    {"EI", [](PrinterModel& m) { Action(m, "font-list"); }},
    {"GI", [](PrinterModel& m) { Action(m, "graphic-list"); }},
    {"FI", [](PrinterModel& m) { Action(m, "form-list"); }},
    {"N", [](PrinterModel& m) { Action(m, "clear-buffer"); }},
    {"xa", [](PrinterModel& m) { Action(m, "calibrate"); }},
    {"^default",
     [](PrinterModel& m) {
         m.RestoreDefaults();
         Action(m, "factory-reset");
     }},
    {"^@", [](PrinterModel& m) { Action(m, "restart"); }},
    {"dump", [](PrinterModel& m) { Action(m, "dump-on"); }},
};

std::optional<std::uint16_t> Length(QByteArrayView text) {
    const auto value = ParseDecimalInt(text);
    if (!value || *value < 0 || *value > 65535)
        return std::nullopt;
    return std::uint16_t(*value);
}

// "Qh,g,o": continuous paper when the gap is 0, "Bg" for black marks, otherwise labels with gaps.
void MediaCommand(QByteArrayView args, PrinterModel& m) {
    const QList<QByteArrayView> parts = SplitView(args, ',');
    if (parts.size() < 2)
        return;
    const auto height = Length(parts[0]);
    const bool mark = parts[1].startsWith('B');
    const auto gap = Length(mark ? parts[1].sliced(1) : parts[1]);
    if (!height || !gap)
        return;
    if (!mark && *gap == 0) {
        m.SetBits(0x1C, 0, 2, 0);
        m.SetWord(0x19, *height);
        return;
    }
    m.SetBits(0x1C, 0, 2, mark ? 1 : 2);
    m.SetWord(0x1E, *height);
    m.SetWord(0x21, *gap);
}

// "Ib,p,k": b the data bits (0 or 7: seven, 1 or 8: eight), p the code page number 0..13 or a letter
// A..F for the pages after them.
void CodePageCommand(QByteArrayView args, PrinterModel& m) {
    const QList<QByteArrayView> parts = SplitView(args, ',');
    if (parts.size() != 3)
        return;
    const auto bits = ParseDecimalInt(parts[0]);
    if (!bits || (*bits != 0 && *bits != 1 && *bits != 7 && *bits != 8))
        return;
    std::optional<int> page;
    if (parts[1].size() == 1 && parts[1][0] >= 'A' && parts[1][0] <= 'F')
        page = 14 + (parts[1][0] - 'A');
    else if (const auto number = ParseDecimalInt(parts[1]); number && *number >= 0 && *number <= 13)
        page = number;
    if (!page)
        return;
    m.SetBits(0x53, 0, 7, (*bits == 0 || *bits == 7) ? 7 : 8);
    m.SetBits(0x53, 8, 15, unsigned(*page));
}

void RunLine(QByteArrayView line, PrinterModel& m) {
    for (const FixedLine& fixed : kFixedLines) {
        if (line == QByteArrayView(fixed.text)) {
            fixed.run(m);
            return;
        }
    }
    if (line.isEmpty())
        return;
    const QByteArrayView args = line.sliced(1);
    switch (line[0]) {
    case 'q':
        if (const auto width = Length(args))
            m.SetWord(0x5A, *width);
        break;
    case 'Q':
        MediaCommand(args, m);
        break;
    case 'S':
        if (const auto ips = ParseDecimalNumber(args); ips && *ips > 0 && *ips <= 14)
            m.SetWord(0x0F, SpeedWordFromInches(*ips));
        break;
    case 'D':
        if (const auto position = ParseDecimalInt(args))
            if (const auto byte = DarknessByteFromPosition(*position))
                m.SetBits(0x12, 0, 7, *byte);
        break;
    case 'I':
        CodePageCommand(args, m);
        break;
    case 'P':
        if (const auto copies = ParseDecimalInt(args); copies && *copies > 0)
            Action(m, "print");
        break;
    case 'T':
        if (line.startsWith("TS"))
            Action(m, "set-clock");
        break;
    default:
        break;
    }
}

class VkleParser final : public LanguageParser {
public:
    qsizetype Parse(QByteArrayView data, bool atEnd, PrinterModel& model, Replies&) override {
        if (data[0] == '\0') {
            // NUL CR LF leaves the automatic mode; other NULs are padding.
            if (data.size() < 2)
                return atEnd ? 1 : 0;
            if (data[1] == '\r')
                Action(model, "auto-off");
            return 1;
        }
        const auto line = TakeTextLine(data, atEnd);
        if (!line)
            return 0;
        RunLine(line->text, model);
        return line->consumed;
    }
};

} // namespace

std::unique_ptr<LanguageParser> MakeVkleParser() {
    return std::make_unique<VkleParser>();
}

} // namespace quillory::sim
