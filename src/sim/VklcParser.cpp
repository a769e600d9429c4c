// VKLC: line commands; utilities start with "! U1", device actions are "! U1 do" with quoted names.
#include "sim/LanguageParser.h"
#include "sim/SimConversions.h"

namespace quillory::sim {
namespace {

constexpr char kEsc = 0x1B;
constexpr char kFormFeed = 0x0C;

void Action(PrinterModel& model, const char* name) {
    model.NoteAction(QString::fromLatin1(name));
}

std::optional<int> Number(const QList<QByteArrayView>& words, qsizetype index) {
    return words.size() == index + 1 ? ParseDecimalInt(words[index]) : std::nullopt;
}

void DeviceAction(const QList<QByteArrayView>& words, PrinterModel& m) {
    if (words.size() != 5)
        return;
    if (words[3] == "\"device.reset\"" && words[4] == "\"\"")
        Action(m, "restart");
    else if (words[3] == "\"input.capture\"" && words[4] == "\"print\"")
        Action(m, "dump-on");
    else if (words[3] == "\"input.capture\"" && words[4] == "\"off\"")
        Action(m, "dump-off");
}

// words[0..1] are "!" "U1".
void UtilityCommand(const QList<QByteArrayView>& words, PrinterModel& m) {
    if (words.size() < 3)
        return;
    const QByteArrayView command = words[2];
    if (command == "MN" && words.size() == 5 && words[4] == "0") {
        if (words[3] == "N")
            m.SetBits(0x1C, 0, 2, 0);
        else if (words[3] == "W")
            m.SetBits(0x1C, 0, 2, 2);
        else if (words[3] == "M")
            m.SetBits(0x1C, 0, 2, 1);
    } else if (command == "TONE") {
        if (const auto tone = Number(words, 3))
            if (const auto byte = DarknessByteFromTone(*tone))
                m.SetBits(0x12, 0, 7, *byte);
    } else if (command == "SPEED") {
        if (const auto level = Number(words, 3))
            if (const auto word = VklcSpeedWord(*level))
                m.SetWord(0x0F, *word);
    } else if (command == "PRN-CONFIG-LIST" && words.size() == 3) {
        Action(m, "self-test");
    } else if (command == "MEDIA-CALIBRATE" && words.size() == 3) {
        Action(m, "calibrate");
    } else if (command == "do") {
        DeviceAction(words, m);
    }
}

void RunLine(QByteArrayView line, PrinterModel& m) {
    if (line == QByteArrayView(&kFormFeed, 1)) {
        Action(m, "feed");
        return;
    }
    // Every other command starts with '!', "PW", "PH" or "RECOVER"; the rest is label data.
    const QByteArrayView trimmed = line.trimmed();
    if (trimmed.isEmpty() || (trimmed[0] != '!' && trimmed[0] != 'P' && trimmed[0] != 'R'))
        return;
    const QList<QByteArrayView> words = Words(line);
    if (words.isEmpty())
        return;
    if (words.size() >= 2 && words[0] == "!" && words[1] == "U1") {
        UtilityCommand(words, m);
    } else if (words[0] == "PW" || words[0] == "PH") {
        const auto value = Number(words, 1);
        if (!value || *value < 0 || *value > 65535)
            return;
        if (words[0] == "PW")
            m.SetWord(0x47, std::uint16_t(*value));
        else
            SetPaperLength(m, 0x1E, 0x1B, std::uint16_t(*value));
    } else if (line == "RECOVER-FACTORY") {
        m.RestoreDefaults();
        Action(m, "factory-reset");
    }
}

class VklcParser final : public LanguageParser {
public:
    qsizetype Parse(QByteArrayView data, bool atEnd, PrinterModel& model, Replies&) override {
        // ESC 'h' asks for the status; the printer's one-byte answer is left out because no client
        // reads it, and on a serial line it would wait for the next exchange.
        if (data[0] == kEsc) {
            if (data.size() < 2)
                return atEnd ? 1 : 0;
            return 2;
        }
        const auto line = TakeTextLine(data, atEnd);
        if (!line)
            return 0;
        RunLine(line->text, model);
        return line->consumed;
    }
};

} // namespace

std::unique_ptr<LanguageParser> MakeVklcParser() {
    return std::make_unique<VklcParser>();
}

} // namespace quillory::sim
