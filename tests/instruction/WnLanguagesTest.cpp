// Settings commands and replies of VKLE, VKLT and VKLC.
#include "WordModel.h"
#include "instruction/VKLCInstruction.h"
#include "instruction/VKLEInstruction.h"
#include "instruction/VKLTInstruction.h"
#include "support/ScriptedPrinter.h"

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {
const tagPORTINFO kPort = MakePortInfo(PORT_NET);
using Commands = std::vector<QByteArray>;
} // namespace

TEST(Vkle, ApplyCommandForms) {
    VKLESettings s;
    s.PaperWidth = 832;
    s.PaperType = 1;
    s.PaperHeight = 400;
    s.GapHeight = 24;
    s.PrintDrection = 1;
    s.PrintSpeed = 2;
    s.PrintDarkness = 9;
    s.PrintType = 1;
    s.OutPaperType = 0;
    s.BitData = 8;
    s.CodePage = 3;
    EXPECT_EQ(VkleApplyCommands(s), (Commands{"q832\r\n", "Q400,B24,0\r\n", "ZT\r\n", "S4\r\n", "D9\r\n",
                                              "O\r\n", "JB\r\n", "I8,3,001\r\n"}));
    s.PaperType = 0;
    EXPECT_EQ(VkleApplyCommands(s)[1], QByteArray("Q400,0,0\r\n"));
    s.PaperType = 2;
    EXPECT_EQ(VkleApplyCommands(s)[1], QByteArray("Q400,24,0\r\n"));
    s.PrintDrection = 2;
    s.PrintType = 0;
    EXPECT_EQ(VkleApplyCommands(s)[2], QByteArray("ZB\r\n"));
    EXPECT_EQ(VkleApplyCommands(s)[5], QByteArray("OD\r\n"));
    for (const auto& [out, command] : {std::pair{1, "JF\r\n"}, {2, "OP\r\n"}, {3, "OC\r\n"}}) {
        s.OutPaperType = out;
        EXPECT_EQ(VkleApplyCommands(s)[6], QByteArray(command));
    }
    s.CodePage = 14;
    EXPECT_EQ(VkleApplyCommands(s)[7], QByteArray("I8,A,001\r\n"));
    s.CodePage = 19;
    EXPECT_EQ(VkleApplyCommands(s)[7], QByteArray("I8,F,001\r\n"));
    // A code page off the list sends no code-page command at all (never a repeat of another one).
    s.CodePage = 20;
    EXPECT_EQ(VkleApplyCommands(s).size(), 7u);
    s.CodePage = -1;
    s.SetClock = 1;
    s.ClockText = "03,07,2015,14,05,09";
    EXPECT_EQ(VkleApplyCommands(s).back(), QByteArray("TS03,07,2015,14,05,09\r\n"));
}

TEST(Vkle, ReadSettingsListPositionsAndTheOutputCheck) {
    WordModel model;
    model.image[0x18] = 12;
    model.image[0x1C] = 0x0011; // paper type 1, output 1
    model.image[0x35] = 99;     // not 100: output becomes 0
    model.image[0x1E] = 450;
    model.image[0x12] = 14;
    model.image[0x53] = 0x0A07; // code page 10, data length 7 -> BitData 0
    ScriptedPrinter printer(std::ref(model));
    CVKLEInstruction vkle;
    ASSERT_EQ(vkle.ReadSettings(kPort), 0);
    VKLESettings s = vkle.GetSettings();
    EXPECT_EQ(s.DPI, 300);
    EXPECT_EQ(s.PaperHeight, 450); // 1E for anything but continuous paper
    EXPECT_EQ(s.OutPaperType, 0);
    EXPECT_EQ(s.PrintDarkness, 9);
    EXPECT_EQ(s.CodePage, 10);
    EXPECT_EQ(s.BitData, 0);
    EXPECT_EQ(printer.Events()[2], "read 100 -> 0");          // drain with 100-byte reads
    EXPECT_TRUE(printer.Events().contains("read 100 -> 11")); // the version in a 100-byte read

    model.image[0x35] = 100;
    model.image[0x12] = 21;
    model.image[0x53] = 0x0E08;
    ASSERT_EQ(vkle.ReadSettings(kPort), 0);
    s = vkle.GetSettings();
    EXPECT_EQ(s.OutPaperType, 1);
    EXPECT_EQ(s.PrintDarkness, 15);
    EXPECT_EQ(s.CodePage, 19);
    EXPECT_EQ(s.BitData, 1);

    model.version = "no marker";
    model.reads.clear();
    EXPECT_EQ(vkle.ReadSettings(kPort), 3);
    EXPECT_TRUE(model.reads.isEmpty());
}

TEST(Vkle, ServiceBytes) {
    ScriptedPrinter printer;
    CVKLEInstruction vkle;
    EXPECT_EQ(vkle.FeedLabel(kPort), 0);
    EXPECT_EQ(vkle.ExitAutoMode(kPort), 0);
    EXPECT_EQ(vkle.RestoreFactory(kPort), 0);
    EXPECT_EQ(printer.Writes(), (QList<QByteArray>{"N\r\nP1\r\n", QByteArray("\0\r\n", 3), "^default\r\n"}));
    const int before = printer.Connections();
    EXPECT_EQ(vkle.ExitDumpMode(kPort), 0);
    EXPECT_EQ(printer.Connections(), before);
}

TEST(Vklt, ApplyCommands) {
    VKLTSettings s;
    s.PrintType = 1;
    s.PaperType = 1;
    s.GapHeight = 99;
    s.PaperWidth = 800;
    s.PaperHeight = 600;
    s.PrintSpeed = 1;
    s.PrintDarkness = 8;
    s.PrintDrection = 1;
    s.MirrorPrint = 0;
    s.OutPaperType = 0;
    s.PrintAffterError = 1;
    s.CodePage = 37;
    s.TearPaperPosition = -5;
    s.HoriPrintPositionOffset = 12;
    s.VertPrintPositionOffset = 34;
    EXPECT_EQ(
        VkltApplyCommands(s),
        (Commands{"SET RIBBON ON\r\n", "BLINE 0,104 mm\r\n", "SIZE 800 dot,600 dot\r\n", "SPEED 3\r\n",
                  "DENSITY 8\r\n", "DIRECTION 1,0\r\n", "SET PEEL OFF\r\nSET CUTTER OFF\r\nSET TEAR OFF\r\n",
                  "SET REPRINT ON\r\n", "CODEPAGE UTF-8\r\n", "OFFSET -5 dot\r\n", "REFERENCE 12,34\r\n"}));
    s.PaperType = 2;
    s.GapHeight = 24;
    EXPECT_EQ(VkltApplyCommands(s)[1], QByteArray("GAP 24 dot,0 dot\r\n"));
    s.PaperType = 0;
    EXPECT_EQ(VkltApplyCommands(s)[1], QByteArray("GAP 0,0\r\n"));
    for (const auto& [out, command] :
         {std::pair{1, "SET TEAR ON\r\n"}, {2, "SET PEEL ON\r\n"}, {3, "SET CUTTER ON\r\n"}}) {
        s.OutPaperType = out;
        EXPECT_EQ(VkltApplyCommands(s)[6], QByteArray(command));
    }
    // The code page is sent by the name the screen shows at that position, the last ones included.
    const std::pair<int, const char*> pages[] = {
        {41, "8859-4"}, {42, "8859-5"}, {43, "8859-7"}, {47, "8859-15"}};
    for (const auto& [position, name] : pages) {
        s.CodePage = position;
        EXPECT_EQ(VkltApplyCommands(s)[8], "CODEPAGE " + QByteArray(name) + "\r\n");
    }
    s.CodePage = 48;
    EXPECT_EQ(VkltApplyCommands(s).size(), 10u);
}

TEST(Vklt, ReadSettingsKeepsWholeWordAdjustments) {
    WordModel model;
    model.version = "";
    model.image[0x18] = 8;
    model.image[0x83] = 65535;
    model.image[0x5C] = 40;
    model.image[0x82] = 37;
    model.image[0x1D] = 0x1000;
    model.image[0x01] = 0x0085;
    ScriptedPrinter printer(std::ref(model));
    CVKLTInstruction vklt;
    ASSERT_EQ(vklt.ReadSettings(kPort), 0);
    const VKLTSettings s = vklt.GetSettings();
    EXPECT_EQ(s.FirmwareVersion, "");
    EXPECT_EQ(s.HoriPrintPositionOffset, 65535);
    EXPECT_EQ(s.VertPrintPositionOffset, 40);
    EXPECT_EQ(s.CodePage, 37);
    EXPECT_EQ(s.PrintAffterError, 1);
    EXPECT_EQ(s.TearPaperPosition, -5);
    EXPECT_EQ(model.reads.size(), 16);
}

TEST(Vklt, ServiceBytes) {
    ScriptedPrinter printer;
    CVKLTInstruction vklt;
    EXPECT_EQ(vklt.FeedLabel(kPort), 0);
    EXPECT_EQ(vklt.RestartPrinter(kPort), 0);
    EXPECT_EQ(vklt.EnterDumpMode(kPort), 0);
    EXPECT_EQ(vklt.CalibrateMedia(kPort), 0);
    EXPECT_EQ(printer.Writes(),
              (QList<QByteArray>{"\x1b!F\r\n", "\x1b!R\r\n", "\x1b!D \r\n", "AUTODETECT\r\n"}));
    printer.Clear();
    for (auto op :
         {&CVKLTInstruction::PrintFontList, &CVKLTInstruction::PrintGraphicList,
          &CVKLTInstruction::PrintFormList, &CVKLTInstruction::ExitDumpMode, &CVKLTInstruction::ExitAutoMode})
        EXPECT_EQ((vklt.*op)(kPort), 0);
    EXPECT_EQ(printer.Connections(), 0);
}

TEST(Vklc, ToneSpeedAndMedia) {
    EXPECT_EQ(VklcTone(0), -99);
    EXPECT_EQ(VklcTone(1), -90);
    EXPECT_EQ(VklcTone(10), 0);
    EXPECT_EQ(VklcTone(20), 100);
    VKLCSettings s;
    s.PaperType = 3;
    s.PaperWidth = 400;
    s.PaperHeight = 240;
    s.PrintDarkness = 0;
    s.PrintSpeed = 5;
    EXPECT_EQ(VklcApplyCommands(s), (Commands{"! U1 MN M 0\r\n", "IN-DOTS\r\nPW 400\r\n", "PH 240\r\n",
                                              "! U1 TONE -99\r\n", "! U1 SPEED 5\r\n"}));
    s.PaperType = 0;
    EXPECT_EQ(VklcApplyCommands(s)[0], QByteArray("! U1 MN N 0\r\n"));
    s.PaperType = 2;
    EXPECT_EQ(VklcApplyCommands(s)[0], QByteArray("! U1 MN W 0\r\n"));
    s.PaperType = 1;
    EXPECT_EQ(VklcApplyCommands(s)[0], QByteArray("! U1 MN M 0\r\n"));
}

TEST(Vklc, ReadSettingsWithoutDrainAndOneResolutionRead) {
    WordModel model;
    model.image[0x18] = 24;     // anything but 8 is 300 dpi
    model.image[0x47] = 0x0190; // the whole word, not only its low byte
    model.image[0x0F] = 136;
    ScriptedPrinter printer(std::ref(model));
    printer.QueueReply("old");
    CVKLCInstruction vklc;
    VKLCSettings before;
    before.Unit = 2;
    vklc.SetSettings(before);
    ASSERT_EQ(vklc.ReadSettings(kPort), 0);
    const VKLCSettings s = vklc.GetSettings();
    EXPECT_EQ(s.DPI, 300);
    EXPECT_EQ(s.PaperWidth, 0x190);
    EXPECT_EQ(s.PrintSpeed, 5);
    EXPECT_EQ(s.Unit, 2);
    EXPECT_EQ(model.reads.size(), 6);
    EXPECT_EQ(printer.Writes().first(), QByteArray("~WN01@version~\r\n")); // no drain before it
}

TEST(Vklc, DeviceActionCommands) {
    ScriptedPrinter printer;
    CVKLCInstruction vklc;
    EXPECT_EQ(vklc.RestartPrinter(kPort), 0);
    EXPECT_EQ(vklc.EnterDumpMode(kPort), 0);
    EXPECT_EQ(vklc.ExitDumpMode(kPort), 0);
    EXPECT_EQ(vklc.FeedLabel(kPort), 0);
    EXPECT_EQ(printer.Writes(),
              (QList<QByteArray>{"\r\n! U1 do \"device.reset\" \"\"\r\n\x1bh",
                                 "\r\n! U1 do \"input.capture\" \"print\"\r\n\x1bh",
                                 "\r\n! U1 do \"input.capture\" \"off\"\r\n\x1bh", "\x0c\r\n"}));
}
