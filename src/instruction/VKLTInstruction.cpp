#include "instruction/VKLTInstruction.h"

#include "instruction/Commands.h"

namespace quillory {
namespace {

constexpr ServiceCommands kServices{
    "SELFTEST\r\n",      // self-test
    QByteArrayView(),    // font list: none
    QByteArrayView(),    // graphic list: none
    QByteArrayView(),    // form list: none
    "\x1b!F\r\n",        // feed
    "AUTODETECT\r\n",    // calibrate
    "INITALPRINTER\r\n", // factory settings
    "\x1b!R\r\n",        // restart
    "\x1b!D \r\n",       // enter dump mode
    QByteArrayView(),    // exit dump mode: none
    QByteArrayView(),    // exit auto mode: none
};

} // namespace

CVKLTInstruction::CVKLTInstruction() : CWnLanguage(2, kServices, kNoTimeouts, true) {}

int CVKLTInstruction::ReadSettings(tagPORTINFO port) {
    VKLTSettings s = m_settings;
    const int result = RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        x.DrainUntilQuiet(100);
        s.FirmwareVersion = QString::fromLocal8Bit(QueryVersion(x, WnVersionQuery(), 1024, false));

        s.DPI = ReadResolution(x);
        s.PaperType = int(ReadEepromBits(x, "1C", 0, 2));
        s.OutPaperType = int(ReadEepromBits(x, "1C", 4, 7));
        s.PrintSpeed = SpeedPosition(ReadEepromBits(x, "0F", 0, 15));
        s.PrintDarkness = DarknessPosition(ReadEepromBits(x, "12", 0, 7));
        s.PaperWidth = int(ReadEepromBits(x, "5A", 0, 15));
        s.PaperHeight = int(ReadEepromBits(x, s.PaperType == 0 ? "1E" : "1B", 0, 15));
        s.GapHeight = int(ReadEepromBits(x, "21", 0, 15));
        s.PrintDrection = int(ReadEepromBits(x, "48", 0, 1));
        s.MirrorPrint = int(ReadEepromBits(x, "48", 2, 3));
        s.TearPaperPosition = SignedByteOffset(ReadEepromBits(x, "01", 0, 7));
        s.HoriPrintPositionOffset = int(ReadEepromBits(x, "83", 0, 15));
        s.VertPrintPositionOffset = int(ReadEepromBits(x, "5C", 0, 15));
        s.CodePage = int(ReadEepromBits(x, "82", 0, 7));
        s.PrintType = int(ReadEepromBits(x, "0D", 0, 1));
        s.PrintAffterError = int(ReadEepromBits(x, "1D", 12, 12));
        s.Unit = 0;
    });
    m_settings = s;
    return result;
}

std::vector<QByteArray> VkltApplyCommands(const VKLTSettings& s) {
    std::vector<QByteArray> commands{s.PrintType != 0 ? "SET RIBBON ON\r\n" : "SET RIBBON OFF\r\n"};
    if (s.PaperType == 0)
        commands.push_back("GAP 0,0\r\n");
    else if (s.PaperType == 2)
        commands.push_back(FormatCommand("GAP %d dot,0 dot\r\n", s.GapHeight));
    else
        commands.push_back("BLINE 0,104 mm\r\n");
    commands.push_back(FormatCommand("SIZE %d dot,%d dot\r\n", s.PaperWidth, s.PaperHeight));
    commands.push_back(FormatCommand("SPEED %d\r\n", s.PrintSpeed + 2));
    commands.push_back(FormatCommand("DENSITY %d\r\n", s.PrintDarkness));
    commands.push_back(FormatCommand("DIRECTION %d,%d\r\n", s.PrintDrection, s.MirrorPrint));
    if (s.OutPaperType == 0)
        commands.push_back("SET PEEL OFF\r\nSET CUTTER OFF\r\nSET TEAR OFF\r\n");
    else if (s.OutPaperType == 1)
        commands.push_back("SET TEAR ON\r\n");
    else if (s.OutPaperType == 2)
        commands.push_back("SET PEEL ON\r\n");
    else
        commands.push_back("SET CUTTER ON\r\n");
    commands.push_back(s.PrintAffterError != 0 ? "SET REPRINT ON\r\n" : "SET REPRINT OFF\r\n");
    // The code page goes out as the name the settings screen shows at that position.
    const auto& pages = VkltCodePageList();
    if (s.CodePage >= 0 && s.CodePage < int(pages.size()))
        commands.push_back(FormatCommand("CODEPAGE %s\r\n", pages[std::size_t(s.CodePage)]));
    commands.push_back(FormatCommand("OFFSET %d dot\r\n", s.TearPaperPosition));
    commands.push_back(
        FormatCommand("REFERENCE %d,%d\r\n", s.HoriPrintPositionOffset, s.VertPrintPositionOffset));
    return commands;
}

int CVKLTInstruction::ApplySettings(tagPORTINFO port) {
    return SendAll(port, VkltApplyCommands(m_settings));
}

} // namespace quillory
