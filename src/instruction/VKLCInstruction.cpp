#include "instruction/VKLCInstruction.h"

#include "instruction/Commands.h"

namespace quillory {
namespace {

constexpr ServiceCommands kServices{
    "! U1 PRN-CONFIG-LIST\r\n",                         // self-test
    QByteArrayView(),                                   // font list: none
    QByteArrayView(),                                   // graphic list: none
    QByteArrayView(),                                   // form list: none
    "\x0c\r\n",                                         // feed: form feed
    "! U1 MEDIA-CALIBRATE\r\n",                         // calibrate
    "RECOVER-FACTORY\r\n",                              // factory settings
    "\r\n! U1 do \"device.reset\" \"\"\r\n\x1bh",       // restart
    "\r\n! U1 do \"input.capture\" \"print\"\r\n\x1bh", // enter dump mode
    "\r\n! U1 do \"input.capture\" \"off\"\r\n\x1bh",   // exit dump mode
    QByteArrayView(),                                   // exit auto mode: none
};

} // namespace

CVKLCInstruction::CVKLCInstruction() : CWnLanguage(4, kServices, kStandardTimeouts, false) {}

int CVKLCInstruction::ReadSettings(tagPORTINFO port) {
    VKLCSettings s = m_settings;
    const int result = RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        s.FirmwareVersion = QString::fromLocal8Bit(QueryVersion(x, WnVersionQuery(), 1024, false));
        s.DPI = ReadEepromBits(x, "18", 0, 7) == 8 ? 203 : 300;
        s.PaperType = int(ReadEepromBits(x, "1C", 0, 2));
        s.PrintSpeed = VklcSpeedPosition(ReadEepromBits(x, "0F", 0, 15));
        s.PrintDarkness = int(ReadEepromBits(x, "12", 0, 7));
        // The whole word: it is the label width of the EEPROM page too, and a byte would turn
        // 800 dots into 32 and send that back on the next apply.
        s.PaperWidth = int(ReadEepromBits(x, "47", 0, 15));
        s.PaperHeight = int(ReadEepromBits(x, s.PaperType == 0 ? "1E" : "1B", 0, 15));
    });
    m_settings = s;
    return result;
}

int VklcTone(int darkness) {
    return darkness == 0 ? -99 : darkness * 10 - 100;
}

std::vector<QByteArray> VklcApplyCommands(const VKLCSettings& s) {
    return {
        s.PaperType == 0   ? "! U1 MN N 0\r\n"
        : s.PaperType == 2 ? "! U1 MN W 0\r\n"
                           : "! U1 MN M 0\r\n",
        FormatCommand("IN-DOTS\r\nPW %d\r\n", s.PaperWidth),
        FormatCommand("PH %d\r\n", s.PaperHeight),
        FormatCommand("! U1 TONE %d\r\n", VklcTone(s.PrintDarkness)),
        FormatCommand("! U1 SPEED %d\r\n", s.PrintSpeed),
    };
}

int CVKLCInstruction::ApplySettings(tagPORTINFO port) {
    return SendAll(port, VklcApplyCommands(m_settings));
}

} // namespace quillory
