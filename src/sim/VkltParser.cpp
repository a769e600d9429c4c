// VKLT: upper-case command words with comma-separated arguments, one command per line, and a few
// ESC '!' immediate commands.
#include "sim/LanguageParser.h"
#include "sim/SimConversions.h"

#include <array>

namespace quillory::sim {
namespace {

constexpr char kEsc = 0x1B;

// Code pages by the number the printer stores at word 82.
constexpr std::array<const char*, 47> kCodePages = {
    "USA",    "BRI",    "GER",    "FRE",    "DAN",    "ITA",     "SPA",    "SWE",   "SWI",    "437",
    "737",    "850",    "851",    "852",    "855",    "857",     "860",    "861",   "862",    "863",
    "864",    "865",    "866",    "869",    "1250",   "1251",    "1252",   "1253",  "1254",   "1255",
    "1256",   "1257",   "1258",   "932",    "936",    "949",     "950",    "UTF-8", "8859-1", "8859-2",
    "8859-3", "8859-4", "8859-7", "8859-8", "8859-9", "8859-10", "8859-15"};

void Action(PrinterModel& model, const char* name) {
    model.NoteAction(QString::fromLatin1(name));
}

// "SET TEAR|PEEL|CUTTER ON|OFF" choose the media output mode; OFF only clears its own mode.
void SetOutput(PrinterModel& m, unsigned mode, bool on) {
    if (on)
        m.SetBits(0x1C, 4, 7, mode);
    else if (m.Bits(0x1C, 4, 7) == mode)
        m.SetBits(0x1C, 4, 7, 0);
}

void SetCommand(const QList<QByteArrayView>& words, PrinterModel& m) {
    if (words.size() != 3 || (words[2] != "ON" && words[2] != "OFF"))
        return;
    const bool on = words[2] == "ON";
    if (words[1] == "RIBBON")
        m.SetBits(0x0D, 0, 1, on ? 1 : 0);
    else if (words[1] == "REPRINT")
        m.SetBits(0x1D, 12, 12, on ? 1 : 0);
    else if (words[1] == "TEAR")
        SetOutput(m, 1, on);
    else if (words[1] == "PEEL")
        SetOutput(m, 2, on);
    else if (words[1] == "CUTTER")
        SetOutput(m, 3, on);
}

std::optional<std::uint16_t> Dots(QByteArrayView text, const PrinterModel& m) {
    const auto dots = ParseVkltLength(text, m.Dpi());
    if (!dots || *dots < 0)
        return std::nullopt;
    return std::uint16_t(*dots);
}

void RunCommand(QByteArrayView keyword, QByteArrayView args, PrinterModel& m) {
    const QList<QByteArrayView> parts = SplitView(args, ',');
    if (keyword == "GAP") {
        // A gap of zero means continuous paper.
        const auto gap = parts.size() == 2 ? Dots(parts[0], m) : std::nullopt;
        if (!gap)
            return;
        m.SetBits(0x1C, 0, 2, *gap == 0 ? 0 : 2);
        if (*gap != 0)
            m.SetWord(0x21, *gap);
    } else if (keyword == "BLINE") {
        const auto height = parts.size() == 2 ? Dots(parts[0], m) : std::nullopt;
        if (!height)
            return;
        m.SetBits(0x1C, 0, 2, 1);
        if (*height != 0)
            m.SetWord(0x21, *height);
    } else if (keyword == "SIZE") {
        const auto width = parts.size() == 2 ? Dots(parts[0], m) : std::nullopt;
        const auto height = parts.size() == 2 ? Dots(parts[1], m) : std::nullopt;
        if (!width || !height)
            return;
        m.SetWord(0x5A, *width);
        SetPaperLength(m, 0x1E, 0x1B, *height);
    } else if (keyword == "SPEED") {
        if (const auto ips = ParseDecimalNumber(args); ips && *ips > 0 && *ips <= 14)
            m.SetWord(0x0F, SpeedWordFromInches(*ips));
    } else if (keyword == "DENSITY") {
        if (const auto position = ParseDecimalInt(args))
            if (const auto byte = DarknessByteFromPosition(*position))
                m.SetBits(0x12, 0, 7, *byte);
    } else if (keyword == "DIRECTION") {
        const auto direction = ParseDecimalInt(parts.value(0));
        const auto mirror =
            parts.size() > 1 ? ParseDecimalInt(parts[1]) : std::optional<int>(int(m.Bits(0x48, 2, 3)));
        if (parts.size() > 2 || !direction || !mirror || *direction < 0 || *direction > 1 || *mirror < 0 ||
            *mirror > 1)
            return;
        m.SetBits(0x48, 0, 1, unsigned(*direction));
        m.SetBits(0x48, 2, 3, unsigned(*mirror));
    } else if (keyword == "CODEPAGE") {
        const QList<QByteArrayView> names = Words(args);
        for (std::size_t i = 0; names.size() == 1 && i < kCodePages.size(); ++i) {
            if (names[0] == QByteArrayView(kCodePages[i]))
                m.SetBits(0x82, 0, 7, unsigned(i));
        }
    } else if (keyword == "OFFSET") {
        const auto dots = ParseVkltLength(args, m.Dpi());
        if (const auto byte = dots ? SignedByteFromAdjustment(*dots) : std::nullopt)
            m.SetBits(0x01, 0, 7, *byte);
    } else if (keyword == "REFERENCE") {
        const auto x = parts.size() == 2 ? ParseDecimalInt(parts[0]) : std::nullopt;
        const auto y = parts.size() == 2 ? ParseDecimalInt(parts[1]) : std::nullopt;
        const auto xWord = x ? WordFromSigned(*x) : std::nullopt;
        const auto yWord = y ? WordFromSigned(*y) : std::nullopt;
        if (!xWord || !yWord)
            return;
        m.SetWord(0x83, *xWord);
        m.SetWord(0x5C, *yWord);
    } else if (keyword == "SELFTEST" && args.isEmpty()) {
        Action(m, "self-test");
    } else if (keyword == "AUTODETECT") {
        Action(m, "calibrate");
    } else if (keyword == "INITALPRINTER" && args.isEmpty()) {
        m.RestoreDefaults();
        Action(m, "factory-reset");
    } else if (keyword == "PRINT") {
        Action(m, "print");
    }
}

class VkltParser final : public LanguageParser {
public:
    qsizetype Parse(QByteArrayView data, bool atEnd, PrinterModel& model, Replies&) override {
        if (data[0] == kEsc) {
            if (data.size() < 3)
                return atEnd ? data.size() : 0;
            if (data[1] == '!') {
                switch (data[2]) {
                case 'F':
                    Action(model, "feed");
                    break;
                case 'R':
                    Action(model, "restart");
                    break;
                case 'D':
                    Action(model, "dump-on");
                    break;
                default:
                    break;
                }
            }
            return 3;
        }
        const auto line = TakeTextLine(data, atEnd);
        if (!line)
            return 0;
        // Commands are upper-case words; anything else is label data and not worth splitting.
        const QByteArrayView trimmed = line->text.trimmed();
        if (trimmed.isEmpty() || trimmed[0] < 'A' || trimmed[0] > 'Z')
            return line->consumed;
        const QList<QByteArrayView> words = Words(line->text);
        if (!words.isEmpty()) {
            if (words[0] == "SET") {
                SetCommand(words, model);
            } else {
                const QByteArrayView text = line->text;
                const qsizetype keywordEnd = (words[0].data() - text.data()) + words[0].size();
                RunCommand(words[0], text.sliced(keywordEnd).trimmed(), model);
            }
        }
        return line->consumed;
    }
};

} // namespace

std::unique_ptr<LanguageParser> MakeVkltParser() {
    return std::make_unique<VkltParser>();
}

} // namespace quillory::sim
