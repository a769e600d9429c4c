#include "instruction/VKLZInstruction.h"

#include "instruction/Commands.h"

namespace quillory {
namespace {

constexpr ServiceCommands kServices{
    "~WC\r\n",              // self-test
    "^XA^WD*:*.FNT^XZ\r\n", // font list
    "^XA^WD*:*.PNG^XZ\r\n", // graphic list
    "^XA^WD*:*.ZPL^XZ\r\n", // form list
    "~PH\r\n",              // feed
    "~JC\r\n",              // calibrate
    "^XZ^JUF^XZ\r\n",       // factory settings
    "~JR\r\n",              // restart
    "~JD\r\n",              // enter dump mode
    "~JE\r\n",              // exit dump mode
    QByteArrayView(),       // exit auto mode: none
};

} // namespace

CVKLZInstruction::CVKLZInstruction() : CWnLanguage(0, kServices, kNoTimeouts, true) {}

int CVKLZInstruction::ReadSettings(tagPORTINFO port) {
    VKLZSettings s = m_settings;
    const int result = RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        x.DrainUntilQuiet(100);
        s.FirmwareVersion = QString::fromLocal8Bit(QueryVersion(x, WnVersionQuery(), 1024, false));

        s.DPI = ReadResolution(x);
        s.PaperType = int(ReadEepromBits(x, "1C", 0, 2));
        s.PrintType = int(ReadEepromBits(x, "0D", 0, 1));
        s.OutPaperType = int(ReadEepromBits(x, "1C", 4, 7));
        s.PrintSpeed = SpeedPosition(ReadEepromBits(x, "0F", 0, 15));
        s.PrintDarkness = int(ReadEepromBits(x, "12", 0, 7));
        s.PaperWidth = int(ReadEepromBits(x, "47", 0, 15));
        s.PaperHeight = int(ReadEepromBits(x, s.PaperType == 0 ? "1E" : "1B", 0, 15));
        s.PrintDrection = int(ReadEepromBits(x, "48", 0, 1));
        s.MirrorPrint = int(ReadEepromBits(x, "48", 2, 3));
        s.TearPaperPosition = SignedByteOffset(ReadEepromBits(x, "01", 0, 7));
        const int hori = int(ReadEepromBits(x, "0C", 0, 15));
        s.HoriPrintPositionOffset = hori > 32760 ? hori - 65536 : hori;
        s.VertPrintPositionOffset = SignedByteOffset(ReadEepromBits(x, "01", 8, 15));
        s.Unit = 0;
        s.SetClock = 0;
        s.ClockText.clear();
    });
    m_settings = s;
    return result;
}

std::vector<QByteArray> VklzApplyCommands(const VKLZSettings& s) {
    std::vector<QByteArray> commands{
        "~MUD\r\n",
        FormatCommand("~SD%02d\r\n", s.PrintDarkness),
        FormatCommand("~TA%03d\r\n", s.TearPaperPosition),
        "^XA\r\n",
        s.PrintType != 0 ? "^MTT\r\n" : "^MTD\r\n",
    };
    if (s.SetClock != 0)
        commands.push_back(FormatCommand("^ST%s\r\n", s.ClockText.toLocal8Bit().constData()));
    commands.push_back(FormatCommand("^PW%d\r\n", s.PaperWidth));
    commands.push_back(s.PaperType == 0 ? "^MNN\r\n" : s.PaperType == 2 ? "^MNY\r\n" : "^MNM\r\n");
    commands.push_back(FormatCommand("^LL%d\r\n", s.PaperHeight));
    commands.push_back(s.PrintDrection != 0 ? "^POI\r\n" : "^PON\r\n");
    commands.push_back(FormatCommand("^PR%d,%d\r\n", s.PrintSpeed + 2, s.PrintSpeed + 2));
    commands.push_back(s.MirrorPrint != 0 ? "^PMY\r\n" : "^PMN\r\n");
    commands.push_back(FormatCommand("^LS%d\r\n", s.HoriPrintPositionOffset));
    commands.push_back(FormatCommand("^LT%d\r\n", s.VertPrintPositionOffset));
    static const char* const output[] = {"^MMR\r\n", "^MMT\r\n", "^MMP\r\n"};
    commands.push_back(s.OutPaperType >= 0 && s.OutPaperType <= 2 ? output[s.OutPaperType] : "^MMC\r\n");
    commands.push_back("^JUS^XZ\r\n");
    return commands;
}

int CVKLZInstruction::ApplySettings(tagPORTINFO port) {
    return SendAll(port, VklzApplyCommands(m_settings));
}

} // namespace quillory
