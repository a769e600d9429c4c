#include "WordModel.h"
#include "instruction/VKLZInstruction.h"
#include "support/ScriptedPrinter.h"

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

const tagPORTINFO kPort = MakePortInfo(PORT_NET);

VKLZSettings Sample() {
    VKLZSettings s;
    s.PrintDarkness = 7;
    s.TearPaperPosition = -5;
    s.PrintType = 1;
    s.PaperWidth = 800;
    s.PaperType = 2;
    s.PaperHeight = 400;
    s.PrintDrection = 0;
    s.PrintSpeed = 2;
    s.MirrorPrint = 1;
    s.HoriPrintPositionOffset = -8;
    s.VertPrintPositionOffset = 12;
    s.OutPaperType = 1;
    return s;
}

} // namespace

TEST(Vklz, ApplyCommandsInOrder) {
    const std::vector<QByteArray> expected{"~MUD\r\n",  "~SD07\r\n",  "~TA-05\r\n", "^XA\r\n",
                                           "^MTT\r\n",  "^PW800\r\n", "^MNY\r\n",   "^LL400\r\n",
                                           "^PON\r\n",  "^PR4,4\r\n", "^PMY\r\n",   "^LS-8\r\n",
                                           "^LT12\r\n", "^MMT\r\n",   "^JUS^XZ\r\n"};
    EXPECT_EQ(VklzApplyCommands(Sample()), expected);

    VKLZSettings clock = Sample();
    clock.SetClock = 1;
    clock.ClockText = "03,07,2015,14,05,09,M";
    const std::vector<QByteArray> withClock = VklzApplyCommands(clock);
    ASSERT_EQ(withClock.size(), 16u);
    EXPECT_EQ(withClock[5], QByteArray("^ST03,07,2015,14,05,09,M\r\n"));
}

TEST(Vklz, ListChoicesMapToCommands) {
    VKLZSettings s = Sample();
    for (const auto& [paper, command] :
         {std::pair{0, "^MNN\r\n"}, {1, "^MNM\r\n"}, {2, "^MNY\r\n"}, {3, "^MNM\r\n"}}) {
        s.PaperType = paper;
        EXPECT_EQ(VklzApplyCommands(s)[6], QByteArray(command)) << paper;
    }
    for (const auto& [out, command] :
         {std::pair{0, "^MMR\r\n"}, {1, "^MMT\r\n"}, {2, "^MMP\r\n"}, {3, "^MMC\r\n"}, {9, "^MMC\r\n"}}) {
        s.OutPaperType = out;
        EXPECT_EQ(VklzApplyCommands(s)[13], QByteArray(command)) << out;
    }
    s.PrintType = 0;
    s.PrintDrection = 1;
    s.MirrorPrint = 0;
    EXPECT_EQ(VklzApplyCommands(s)[4], QByteArray("^MTD\r\n"));
    EXPECT_EQ(VklzApplyCommands(s)[8], QByteArray("^POI\r\n"));
    EXPECT_EQ(VklzApplyCommands(s)[10], QByteArray("^PMN\r\n"));
}

TEST(Vklz, ApplySettingsIsOneExchangeOfSeparateWrites) {
    ScriptedPrinter printer;
    CVKLZInstruction vklz;
    vklz.SetSettings(Sample());
    EXPECT_EQ(vklz.ApplySettings(kPort), 0);
    EXPECT_EQ(printer.Connections(), 1);
    const QStringList events = printer.Events();
    ASSERT_GE(events.size(), 3);
    EXPECT_EQ(events.first(), "open");
    EXPECT_EQ(events[1], "timeouts 30 30");
    EXPECT_EQ(events.last(), "close");
    EXPECT_EQ(printer.Writes().size(), 15);
}

TEST(Vklz, ReadSettingsAsksTheResolutionByteUpToThreeTimes) {
    WordModel model;
    model.image[0x18] = 24;
    ScriptedPrinter printer(std::ref(model));
    CVKLZInstruction vklz;
    ASSERT_EQ(vklz.ReadSettings(kPort), 0);
    EXPECT_EQ(vklz.GetSettings().DPI, 600);
    ASSERT_GE(model.reads.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(model.reads[i], QByteArray("~WN00@eep,r,18,0,7~\r\n"));
    EXPECT_NE(model.reads[3], model.reads[0]);
    EXPECT_EQ(model.reads.size(), 15);

    model.reads.clear();
    model.image[0x18] = 8;
    ASSERT_EQ(vklz.ReadSettings(kPort), 0);
    EXPECT_EQ(vklz.GetSettings().DPI, 203);
    EXPECT_EQ(model.reads.size(), 13);
}

TEST(Vklz, ReadSettingsConvertsWhatThePrinterHolds) {
    WordModel model;
    model.version = "VKLZ 2.1";
    model.image[0x18] = 12;
    model.image[0x1C] = 0x0032; // paper type 2, output mode 3
    model.image[0x0D] = 1;
    model.image[0x0F] = 120;
    model.image[0x12] = 0x0D;
    model.image[0x47] = 832;
    model.image[0x1B] = 600;
    model.image[0x1E] = 999;
    model.image[0x48] = 0x0D;   // direction 1, mirror 3
    model.image[0x01] = 0x8385; // vertical 0x83 -> -3, tear-off 0x85 -> -5
    model.image[0x0C] = 65528;
    ScriptedPrinter printer(std::ref(model));
    printer.QueueReply("stale bytes");
    CVKLZInstruction vklz;
    VKLZSettings before;
    before.SetClock = 1;
    before.ClockText = "x";
    vklz.SetSettings(before);
    ASSERT_EQ(vklz.ReadSettings(kPort), 0);
    const VKLZSettings s = vklz.GetSettings();
    EXPECT_EQ(s.FirmwareVersion, "VKLZ 2.1");
    EXPECT_EQ(s.DPI, 300);
    EXPECT_EQ(s.PaperType, 2);
    EXPECT_EQ(s.OutPaperType, 3);
    EXPECT_EQ(s.PrintType, 1);
    EXPECT_EQ(s.PrintSpeed, 3);
    EXPECT_EQ(s.PrintDarkness, 13);
    EXPECT_EQ(s.PaperWidth, 832);
    EXPECT_EQ(s.PaperHeight, 600); // 1B for anything but continuous paper
    EXPECT_EQ(s.PrintDrection, 1);
    EXPECT_EQ(s.MirrorPrint, 3);
    EXPECT_EQ(s.TearPaperPosition, -5);
    EXPECT_EQ(s.VertPrintPositionOffset, -3);
    EXPECT_EQ(s.HoriPrintPositionOffset, -8);
    EXPECT_EQ(s.Unit, 0);
    EXPECT_EQ(s.SetClock, 0);
    EXPECT_TRUE(s.ClockText.isEmpty());
    // The stale bytes were drained with reads of 100 bytes before the version query.
    const QStringList events = printer.Events();
    EXPECT_EQ(events[2], "read 100 -> 11");
    EXPECT_EQ(events[3], "read 100 -> 0");
    EXPECT_EQ(printer.Writes().first(), QByteArray("~WN01@version~\r\n"));
}

TEST(Vklz, ASilentPrinterFailsTheReadInsteadOfReadingZeros) {
    ScriptedPrinter printer(
        [](const QByteArray& w) { return w.startsWith("~WN01") ? QByteArray("v") : QByteArray(); });
    CVKLZInstruction vklz;
    EXPECT_EQ(vklz.ReadSettings(kPort), 3);
    EXPECT_EQ(printer.Events().last(), "close");
}

TEST(Vklz, ServiceOperations) {
    ScriptedPrinter printer;
    CVKLZInstruction vklz;
    using Op = int (CVKLZInstruction::*)(tagPORTINFO);
    const std::pair<Op, const char*> operations[] = {
        {&CVKLZInstruction::PrintSelfTest, "~WC\r\n"},
        {&CVKLZInstruction::PrintFontList, "^XA^WD*:*.FNT^XZ\r\n"},
        {&CVKLZInstruction::PrintGraphicList, "^XA^WD*:*.PNG^XZ\r\n"},
        {&CVKLZInstruction::PrintFormList, "^XA^WD*:*.ZPL^XZ\r\n"},
        {&CVKLZInstruction::FeedLabel, "~PH\r\n"},
        {&CVKLZInstruction::CalibrateMedia, "~JC\r\n"},
        {&CVKLZInstruction::RestoreFactory, "^XZ^JUF^XZ\r\n"},
        {&CVKLZInstruction::RestartPrinter, "~JR\r\n"},
        {&CVKLZInstruction::EnterDumpMode, "~JD\r\n"},
        {&CVKLZInstruction::ExitDumpMode, "~JE\r\n"},
    };
    for (const auto& [op, bytes] : operations) {
        printer.Clear();
        EXPECT_EQ((vklz.*op)(kPort), 0);
        EXPECT_EQ(printer.Writes(), QList<QByteArray>{QByteArray(bytes)});
        EXPECT_EQ(printer.Events(),
                  QStringList({"open", "timeouts 30 30", QString("write %1").arg(qstrlen(bytes)), "close"}));
    }
    printer.Clear();
    EXPECT_EQ(vklz.ExitAutoMode(kPort), 0);
    EXPECT_EQ(printer.Connections(), 0);
}

TEST(Vklz, FailuresBecomeResultCodesAndCloseThePort) {
    ScriptedPrinter printer;
    CVKLZInstruction vklz;
    printer.FailOpen(1);
    EXPECT_EQ(vklz.PrintSelfTest(kPort), 1);
    printer.FailOpen(0);
    printer.FailOnWrite(3);
    vklz.SetSettings(Sample());
    printer.Clear();
    EXPECT_EQ(vklz.ApplySettings(kPort), 3);
    EXPECT_EQ(printer.Writes().size(), 3);
    EXPECT_EQ(printer.Events().last(), "close");
}
