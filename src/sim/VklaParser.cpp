// VKLA: commands start with a control byte (STX, SOH, ESC, GS) and a short letter code; lines
// without one are label data. The EEPROM is read and written one word at a time.
#include "sim/LanguageParser.h"
#include "sim/SimConversions.h"

namespace quillory::sim {
namespace {

constexpr char kStx = 0x02;
constexpr char kSoh = 0x01;
constexpr char kEsc = 0x1B;
constexpr char kGs = 0x1D;
constexpr QByteArrayView kIdCommand("\x1BsBE\x92\x99\x1DIC");
constexpr QByteArrayView kIdQuery("I\x99");
constexpr QByteArrayView kEndMarker("\x92\x99");
constexpr qsizetype kEndCommandBytes = 12; // STX '&' 8 characters 0x92 0x99
// The host drops the last six characters of the ID reply.
constexpr QByteArrayView kIdTrailer("\r\nOK\r\n");

constexpr QByteArrayView kFlashListing("DIRECTORY OF MODULE: FLASH\r\n"
                                       "SIMSUN.FNT      131072\r\n"
                                       "ARIAL.FNT        24576\r\n"
                                       "OCRB.FNT         16384\r\n"
                                       "AVAILABLE BYTES IN MODULE: 1835008\r\n");
constexpr QByteArrayView kRamListing("DIRECTORY OF MODULE: RAM\r\n"
                                     "LOGO.PCX          1024\r\n"
                                     "ARROW.PCX          512\r\n"
                                     "AVAILABLE BYTES IN MODULE: 262144\r\n");

void Action(PrinterModel& model, const char* name) {
    model.NoteAction(QString::fromLatin1(name));
}

std::optional<int> Address(QByteArrayView text, const PrinterModel& m) {
    const auto address = text.size() == 2 ? ParseHexDigits(text, 2) : std::nullopt;
    if (!address || !m.ValidAddress(int(*address)))
        return std::nullopt;
    return int(*address);
}

std::optional<std::uint16_t> Word(QByteArrayView text) {
    const auto word = text.size() == 4 ? ParseHexDigits(text, 4) : std::nullopt;
    return word ? std::optional<std::uint16_t>(std::uint16_t(*word)) : std::nullopt;
}

void StxCommand(QByteArrayView text, PrinterModel& m, Replies& replies) {
    if (text == "v") {
        replies.append(m.Version());
    } else if (text.startsWith("Ke") && text.size() == 4) {
        if (const auto address = Address(text.sliced(2), m))
            replies.append(QByteArray::number(m.Word(*address), 16).rightJustified(4, '0') + "\r\n");
    } else if (text.startsWith("KB") && text.size() == 12) {
        const auto address = Address(text.sliced(2, 2), m);
        const auto mask = Word(text.sliced(4, 4));
        const auto value = Word(text.sliced(8, 4));
        if (address && mask && value)
            m.SetMasked(*address, *mask, *value);
    } else if (text.startsWith("KE") && text.size() == 8) {
        const auto address = Address(text.sliced(2, 2), m);
        const auto value = Word(text.sliced(4, 4));
        if (address && value)
            m.SetWord(*address, *value);
    } else if (text == "WF") {
        replies.append(kFlashListing.toByteArray());
    } else if (text == "WG") {
        replies.append(kRamListing.toByteArray());
    } else if (text == "Z") {
        Action(m, "self-test");
    } else if (text == "F") {
        Action(m, "feed");
    } else if (text == "JC") {
        Action(m, "calibrate");
    } else if (text == "L") {
        Action(m, "label");
    } else if (text == "JX00") {
        Action(m, "commit");
    }
}

class VklaParser final : public LanguageParser {
public:
    qsizetype Parse(QByteArrayView data, bool atEnd, PrinterModel& model, Replies& replies) override {
        if (data[0] == kStx && data.size() >= 2 && data[1] == '&') {
            if (const qsizetype used = EndCommand(data, atEnd, model); used >= 0)
                return used;
        }
        if (data[0] == kEsc && (data.startsWith(kIdCommand) || (!atEnd && kIdCommand.startsWith(data))))
            return IdCommand(data, atEnd, model);
        if (data[0] == kStx && data.size() < 2 && !atEnd)
            return 0;

        const auto line = TakeLine(data, atEnd);
        if (!line)
            return 0;
        const QByteArrayView text = line->text.sliced(1);
        if (data[0] == kStx)
            StxCommand(text, model, replies);
        else if (data[0] == kSoh && text == "#")
            Action(model, "restart");
        else if (data[0] == kGs && text == kIdQuery)
            replies.append(model.IdText() + kIdTrailer.toByteArray());
        return line->consumed;
    }

private:
    // STX '&' with eight characters and 0x92 0x99 closes an EEPROM file; it has no line end.
    // Returns -1 when the bytes are some other '&' command.
    static qsizetype EndCommand(QByteArrayView data, bool atEnd, PrinterModel& model) {
        const QByteArrayView head = data.first(std::min(data.size(), kEndCommandBytes));
        if (head.contains('\r') || head.contains('\n'))
            return -1;
        if (head.size() < kEndCommandBytes)
            return atEnd ? -1 : 0;
        if (!head.endsWith(kEndMarker))
            return -1;
        Action(model, "eeprom-end");
        return kEndCommandBytes;
    }

    // ESC s B E 0x92 0x99 GS I C, the ID text, NUL (then CR LF, skipped as a line end).
    static qsizetype IdCommand(QByteArrayView data, bool atEnd, PrinterModel& model) {
        const QByteArrayView text = data.sliced(std::min(data.size(), kIdCommand.size()));
        const qsizetype nul = text.indexOf('\0');
        if (nul < 0 && !atEnd && text.size() <= kMaxIdTextBytes)
            return 0;
        // An ID without its NUL ends at the line end or where the printer's ID field ends.
        qsizetype end = nul;
        if (end < 0) {
            end = 0;
            while (end < text.size() && end < kMaxIdTextBytes && text[end] != '\r' && text[end] != '\n')
                ++end;
        }
        if (data.size() >= kIdCommand.size())
            model.SetIdText(text.first(end).toByteArray());
        return data.size() - text.size() + end + (nul >= 0 ? 1 : 0);
    }
};

} // namespace

std::unique_ptr<LanguageParser> MakeVklaParser() {
    return std::make_unique<VklaParser>();
}

} // namespace quillory::sim
