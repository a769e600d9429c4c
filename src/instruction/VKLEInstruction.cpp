#include "instruction/VKLEInstruction.h"

#include "instruction/Commands.h"

namespace quillory {
namespace {

constexpr ServiceCommands kServices{
    "U\r\n",                     // self-test
    "EI\r\n",                    // font list
    "GI\r\n",                    // graphic list
    "FI\r\n",                    // form list
    "N\r\nP1\r\n",               // feed
    "xa\r\n",                    // calibrate
    "^default\r\n",              // factory settings
    "^@\r\n",                    // restart
    "dump\r\n",                  // enter dump mode
    QByteArrayView(),            // exit dump mode: none
    QByteArrayView("\0\r\n", 3), // exit auto mode: a zero byte, CR, LF
};

} // namespace

CVKLEInstruction::CVKLEInstruction() : CWnLanguage(1, kServices, kStandardTimeouts, true) {}

int VkleCodePagePosition(unsigned value) {
    return value <= 13 ? int(value) : 19;
}

int CVKLEInstruction::ReadSettings(tagPORTINFO port) {
    VKLESettings s = m_settings;
    const int result = RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        x.DrainUntilQuiet(100);
        s.FirmwareVersion = QString::fromLocal8Bit(QueryVersion(x, WnVersionQuery(), 100, true));

        s.DPI = ReadResolution(x);
        s.PaperType = int(ReadEepromBits(x, "1C", 0, 2));
        s.PrintType = int(ReadEepromBits(x, "0D", 0, 1));
        s.PaperWidth = int(ReadEepromBits(x, "5A", 0, 15));
        s.PaperHeight = int(ReadEepromBits(x, s.PaperType == 0 ? "19" : "1E", 0, 15));
        s.GapHeight = int(ReadEepromBits(x, "21", 0, 15));
        s.OutPaperType = int(ReadEepromBits(x, "1C", 4, 7));
        if (s.OutPaperType == 1)
            s.OutPaperType = ReadEepromBits(x, "35", 0, 7) == 100 ? 1 : 0;
        s.PrintDrection = int(ReadEepromBits(x, "48", 0, 1));
        s.PrintSpeed = SpeedPosition(ReadEepromBits(x, "0F", 0, 15));
        s.PrintDarkness = DarknessPosition(ReadEepromBits(x, "12", 0, 7));
        s.BitData = ReadEepromBits(x, "53", 0, 7) != 7 ? 1 : 0;
        s.CodePage = VkleCodePagePosition(ReadEepromBits(x, "53", 8, 15));
        s.Unit = 0;
    });
    m_settings = s;
    return result;
}

std::vector<QByteArray> VkleApplyCommands(const VKLESettings& s) {
    std::vector<QByteArray> commands{FormatCommand("q%d\r\n", s.PaperWidth)};
    if (s.PaperType == 0)
        commands.push_back(FormatCommand("Q%d,0,%d\r\n", s.PaperHeight, 0));
    else if (s.PaperType == 2)
        commands.push_back(FormatCommand("Q%d,%d,0\r\n", s.PaperHeight, s.GapHeight));
    else
        commands.push_back(FormatCommand("Q%d,B%d,0\r\n", s.PaperHeight, s.GapHeight));
    commands.push_back(s.PrintDrection == 1 ? "ZT\r\n" : "ZB\r\n");
    commands.push_back(FormatCommand("S%d\r\n", s.PrintSpeed + 2));
    commands.push_back(FormatCommand("D%d\r\n", s.PrintDarkness));
    commands.push_back(s.PrintType == 1 ? "O\r\n" : "OD\r\n");
    static const char* const output[] = {"JB\r\n", "JF\r\n", "OP\r\n"};
    commands.push_back(s.OutPaperType >= 0 && s.OutPaperType <= 2 ? output[s.OutPaperType] : "OC\r\n");
    // Positions 14..19 are sent as the letters A..F; a position outside the list sends nothing.
    if (s.CodePage >= 0 && s.CodePage <= 13)
        commands.push_back(FormatCommand("I%d,%d,001\r\n", s.BitData, s.CodePage));
    else if (s.CodePage >= 14 && s.CodePage <= 19)
        commands.push_back(FormatCommand("I%d,%c,001\r\n", s.BitData, 'A' + (s.CodePage - 14)));
    if (s.SetClock != 0)
        commands.push_back(FormatCommand("TS%s\r\n", s.ClockText.toLocal8Bit().constData()));
    return commands;
}

int CVKLEInstruction::ApplySettings(tagPORTINFO port) {
    return SendAll(port, VkleApplyCommands(m_settings));
}

} // namespace quillory
