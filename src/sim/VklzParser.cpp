// VKLZ: "^" format commands and "~" control commands, each a two-letter code followed by its
// parameters up to the next command or line end.
#include "sim/LanguageParser.h"
#include "sim/SimConversions.h"

namespace quillory::sim {
namespace {

using Handler = void (*)(QByteArrayView param, PrinterModel& model);

void Action(PrinterModel& model, const char* name) {
    model.NoteAction(QString::fromLatin1(name));
}

// A one-letter choice among the letters of choices, stored as its position.
void SetChoice(PrinterModel& model, QByteArrayView param, const char* choices, int address, int first,
               int last) {
    if (param.size() != 1)
        return;
    for (int i = 0; choices[i]; ++i) {
        if (param[0] == choices[i]) {
            model.SetBits(address, first, last, unsigned(i));
            return;
        }
    }
}

void Word(PrinterModel& model, QByteArrayView param, int address) {
    const auto value = ParseDecimalInt(param);
    if (value && *value >= 0 && *value <= 65535)
        model.SetWord(address, std::uint16_t(*value));
}

struct Command {
    char code[3];
    Handler run;
};

constexpr Command kCommands[] = {
    {"MT", [](QByteArrayView p, PrinterModel& m) { SetChoice(m, p, "DT", 0x0D, 0, 1); }},
    // Continuous, mark, or label ("Y" and "W" both sense the gap between labels).
    {"MN",
     [](QByteArrayView p, PrinterModel& m) {
         if (p == "N")
             m.SetBits(0x1C, 0, 2, 0);
         else if (p == "Y" || p == "W")
             m.SetBits(0x1C, 0, 2, 2);
         else if (p == "M")
             m.SetBits(0x1C, 0, 2, 1);
     }},
    {"MM", [](QByteArrayView p, PrinterModel& m) { SetChoice(m, p, "RTPC", 0x1C, 4, 7); }},
    {"PO", [](QByteArrayView p, PrinterModel& m) { SetChoice(m, p, "NI", 0x48, 0, 1); }},
    {"PM", [](QByteArrayView p, PrinterModel& m) { SetChoice(m, p, "NY", 0x48, 2, 3); }},
    {"PW", [](QByteArrayView p, PrinterModel& m) { Word(m, p, 0x47); }},
    {"LL",
     [](QByteArrayView p, PrinterModel& m) {
         const auto value = ParseDecimalInt(p);
         if (value && *value >= 0 && *value <= 65535)
             SetPaperLength(m, 0x1E, 0x1B, std::uint16_t(*value));
     }},
    {"LS",
     [](QByteArrayView p, PrinterModel& m) {
         const auto value = ParseDecimalInt(p);
         if (const auto word = value ? WordFromSigned(*value) : std::nullopt)
             m.SetWord(0x0C, *word);
     }},
    {"LT",
     [](QByteArrayView p, PrinterModel& m) {
         const auto value = ParseDecimalInt(p);
         if (const auto byte = value ? SignedByteFromAdjustment(*value) : std::nullopt)
             m.SetBits(0x01, 8, 15, *byte);
     }},
    {"TA",
     [](QByteArrayView p, PrinterModel& m) {
         const auto value = ParseDecimalInt(p);
         if (const auto byte = value ? SignedByteFromAdjustment(*value) : std::nullopt)
             m.SetBits(0x01, 0, 7, *byte);
     }},
    {"SD",
     [](QByteArrayView p, PrinterModel& m) {
         const auto value = ParseDecimalInt(p);
         if (value && *value >= 0 && *value <= 30)
             m.SetBits(0x12, 0, 7, unsigned(*value));
     }},
    // Print, feed and back-feed speeds in inches per second.
    {"PR",
     [](QByteArrayView p, PrinterModel& m) {
         const QList<QByteArrayView> speeds = SplitView(p, ',');
         constexpr int kAddresses[] = {0x0F, 0x10, 0x11};
         for (int i = 0; i < 3 && i < speeds.size(); ++i) {
             const auto ips = ParseDecimalInt(speeds[i]);
             if (ips && *ips >= 1 && *ips <= 14)
                 m.SetWord(kAddresses[i], SpeedWordFromInches(*ips));
         }
     }},
    {"JU",
     [](QByteArrayView p, PrinterModel& m) {
         if (p == "F") {
             m.RestoreDefaults();
             Action(m, "factory-reset");
         } else if (p == "S") {
             Action(m, "save-settings");
         }
     }},
    {"WD",
     [](QByteArrayView p, PrinterModel& m) {
         if (p.endsWith(".FNT"))
             Action(m, "font-list");
         else if (p.endsWith(".PNG"))
             Action(m, "graphic-list");
         else if (p.endsWith(".ZPL"))
             Action(m, "form-list");
     }},
    {"ST", [](QByteArrayView, PrinterModel& m) { Action(m, "set-clock"); }},
    {"WC", [](QByteArrayView p, PrinterModel& m) { p.isEmpty() ? Action(m, "self-test") : void(); }},
    {"PH", [](QByteArrayView p, PrinterModel& m) { p.isEmpty() ? Action(m, "feed") : void(); }},
    {"JC", [](QByteArrayView p, PrinterModel& m) { p.isEmpty() ? Action(m, "calibrate") : void(); }},
    {"JR", [](QByteArrayView p, PrinterModel& m) { p.isEmpty() ? Action(m, "restart") : void(); }},
    {"JD", [](QByteArrayView p, PrinterModel& m) { p.isEmpty() ? Action(m, "dump-on") : void(); }},
    {"JE", [](QByteArrayView p, PrinterModel& m) { p.isEmpty() ? Action(m, "dump-off") : void(); }},
};

class VklzParser final : public LanguageParser {
public:
    qsizetype Parse(QByteArrayView data, bool atEnd, PrinterModel& model, Replies&) override {
        if (data[0] != '^' && data[0] != '~')
            return 1 + FindFirstOf(data.sliced(1), "^~");
        if (data.size() < 3)
            return atEnd ? data.size() : 0;
        const qsizetype end = 3 + FindFirstOf(data.sliced(3), "^~\r\n");
        if (end == data.size() && !atEnd && end <= kMaxCommandBytes)
            return 0;
        for (const Command& command : kCommands) {
            if (data[1] == command.code[0] && data[2] == command.code[1]) {
                command.run(data.sliced(3, end - 3), model);
                break;
            }
        }
        return end;
    }
};

} // namespace

std::unique_ptr<LanguageParser> MakeVklzParser() {
    return std::make_unique<VklzParser>();
}

} // namespace quillory::sim
