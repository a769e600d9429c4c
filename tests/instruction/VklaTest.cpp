#include "WordModel.h"
#include "eeprom/ParameterTables.h"
#include "instruction/VKLAInstruction.h"
#include "support/ScriptedPrinter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {
const tagPORTINFO kPort = MakePortInfo(PORT_NET);

QByteArray Masked(const char* address, const char* mask, const char* value) {
    return QByteArray("\x02KB") + address + mask + value + "\r\n";
}
} // namespace

TEST(Vkla, ApplySendsMaskedWritesInOrder) {
    VKLASettings s;
    s.Unit = 2;
    s.PaperType = 1;
    s.PaperHeight = 400;
    s.PrintType = 1;
    s.GapHeight = 24;
    s.PrintSpeed = 69;
    s.PrintDarkness = 18;
    s.OutPaperType = 2;
    s.PrintAffterError = 1;
    s.CheckPaperType = 3;
    s.TearPaperPosition = 65531;
    s.HoriPrintPositionOffset = -8;
    s.VertPrintPositionOffset = 0;
    const std::vector<QByteArray> expected{
        Masked("1E", "0003", "0002"), Masked("38", "ffff", "0190"), Masked("1D", "0040", "0000"),
        Masked("1F", "0080", "0000"), Masked("1D", "0080", "0080"), Masked("01", "ffff", "0018"),
        Masked("0F", "ffff", "0045"), Masked("12", "ffff", "0012"), Masked("1D", "0030", "0020"),
        Masked("30", "0010", "0010"), Masked("55", "0003", "0003"), Masked("18", "ffff", "fffb"),
        Masked("1C", "ffff", "fff8"), Masked("1B", "ffff", "0000")};
    EXPECT_EQ(VklaApplyCommands(s), expected);

    s.PaperType = 0;
    const std::vector<QByteArray> label = VklaApplyCommands(s);
    EXPECT_EQ(label.size(), 13u);
    EXPECT_EQ(label[1], Masked("00", "ffff", "0190"));
    EXPECT_EQ(label[2], Masked("1D", "0040", "0040"));
    s.PaperType = 3; // sent like 2
    EXPECT_EQ(VklaApplyCommands(s)[3], Masked("1F", "0080", "0080"));

    ScriptedPrinter printer;
    CVKLAInstruction vkla;
    vkla.SetSettings(s);
    EXPECT_EQ(vkla.ApplySettings(kPort), 0);
    EXPECT_EQ(printer.Events()[1], "timeouts 10 10");
    EXPECT_EQ(printer.ReadCalls(), 0);
}

TEST(Vkla, ReadSettingsChecksTheVersionAndReadsWords) {
    WordModel model;
    model.version = "VKLA FV3.2";
    model.image[0x1E] = 0x0007; // unit 3 -> 2
    model.image[0x0E] = 0x0051; // not 0x50 -> 300
    model.image[0x1D] = 0x00F0; // bit 6 set: label paper; bits 4-5: 3; bit 7: 1
    model.image[0x1F] = 0x0080;
    model.image[0x00] = 640;
    model.image[0x30] = 0x0010;
    model.image[0x18] = 65531;
    ScriptedPrinter printer(std::ref(model));
    CVKLAInstruction vkla;
    ASSERT_EQ(vkla.ReadSettings(kPort), 0);
    const VKLASettings s = vkla.GetSettings();
    EXPECT_EQ(s.Unit, 2);
    EXPECT_EQ(s.DPI, 300);
    EXPECT_EQ(s.PaperType, 0);
    EXPECT_EQ(s.PrintType, 1);
    EXPECT_EQ(s.OutPaperType, 3);
    EXPECT_EQ(s.PaperHeight, 640);
    EXPECT_EQ(s.PrintAffterError, 1);
    EXPECT_EQ(s.TearPaperPosition, 65531); // the record keeps the word; screens show -5
    // With bit 6 of 1D set, word 1F is never asked for.
    for (const QByteArray& read : model.reads)
        EXPECT_NE(read, QByteArray("\x02Ke1F\r\n"));
    EXPECT_EQ(model.reads.size(), 14);

    model.image[0x0E] = 0x0050;
    model.image[0x1D] = 0;
    ASSERT_EQ(vkla.ReadSettings(kPort), 0);
    EXPECT_EQ(vkla.GetSettings().DPI, 203);
    EXPECT_EQ(vkla.GetSettings().PaperType, 2);
}

TEST(Vkla, AVersionWithoutFvStopsBeforeAnyWordRead) {
    WordModel model;
    model.version = "fv lower case";
    ScriptedPrinter printer(std::ref(model));
    CVKLAInstruction vkla;
    EXPECT_EQ(vkla.ReadSettings(kPort), 3);
    EXPECT_EQ(vkla.BackupEeprom(kPort), 3);
    EXPECT_TRUE(model.reads.isEmpty());
    EXPECT_EQ(printer.Events().last(), "close");
}

TEST(Vkla, ServiceOperationsAndEmptyOnes) {
    ScriptedPrinter printer;
    CVKLAInstruction vkla;
    EXPECT_EQ(vkla.PrintSelfTest(kPort), 0);
    EXPECT_EQ(vkla.FeedLabel(kPort), 0);
    EXPECT_EQ(vkla.RestartPrinter(kPort), 0);
    EXPECT_EQ(printer.Writes(), (QList<QByteArray>{"\x02Z\r\n",
                                                   "\x02"
                                                   "F\r\n",
                                                   "\x01#\r\n"}));
    printer.Clear();
    EXPECT_EQ(vkla.CalibrateMedia(kPort), 0);
    EXPECT_EQ(printer.Events(), QStringList({"open", "write 5", "close"}));
    printer.Clear();
    for (auto op :
         {&CVKLAInstruction::PrintFormList, &CVKLAInstruction::RestoreFactory,
          &CVKLAInstruction::EnterDumpMode, &CVKLAInstruction::ExitDumpMode, &CVKLAInstruction::ExitAutoMode})
        EXPECT_EQ((vkla.*op)(kPort), 0);
    EXPECT_EQ(printer.Connections(), 0);
    const NetworkSettings n = vkla.ReadNetworkSettings(kPort);
    EXPECT_EQ(n.port, 9600);
    EXPECT_EQ(n.ipAddress, (std::array<std::uint8_t, 4>{}));
    EXPECT_EQ(printer.Connections(), 0);
}

TEST(Vkla, ListingsPrintALabelFromTheReply) {
    const QString reply =
        "hdr\r\nMODULE: FLASH\r\nARIAL.TTF 12000\r\nMONO.FNT 800\r\nAVAILABLE BYTES IN MODULE: 4096\r\n";
    const std::vector<QByteArray> label = VklaListingLabel(reply, "MODULE: FLASH\r\n");
    const std::vector<QByteArray> expected{"\x02m\r\n\x02L\r\n",
                                           "18110000192"
                                           "0000ARIAL.TTF 12000\r\n",
                                           "18110000222"
                                           "0000MONO.FNT 800\r\n",
                                           "E\r\n"};
    EXPECT_EQ(label, expected);
    // Without the closing line nothing is listed.
    EXPECT_EQ(VklaListingLabel("MODULE: FLASH\r\nA\r\nB\r\n", "MODULE: FLASH\r\n").size(), 2u);

    ScriptedPrinter printer([&](const QByteArray& w) {
        return w == "\x02WG\r\n" ? QByteArray("MODULE: RAM\r\nLOGO.PCX\r\nAVAILABLE BYTES IN MODULE")
                                 : QByteArray();
    });
    CVKLAInstruction vkla;
    ASSERT_EQ(vkla.PrintGraphicList(kPort), 0);
    EXPECT_EQ(printer.Writes(), (QList<QByteArray>{"\x02WG\r\n", "\x02m\r\n\x02L\r\n",
                                                   "181100001920000LOGO.PCX\r\n", "E\r\n"}));
}

TEST(Vkla, BackupReadsEveryWordAndTheIdTextThenWritesTheFile) {
    TempEnvironment env;
    WordModel model;
    for (int a = 0; a < 126; ++a)
        model.image[std::size_t(a)] = std::uint16_t(0x100 + a);
    model.idText = "SHOP-FLOOR-3";
    ScriptedPrinter printer(std::ref(model));
    CVKLAInstruction vkla;
    ASSERT_EQ(vkla.BackupEeprom(kPort), 0);
    ASSERT_EQ(model.reads.size(), 126);
    EXPECT_EQ(model.reads[0x1d], QByteArray("\x02Ke1d\r\n")); // whole-EEPROM walks use lower case
    EXPECT_EQ(vkla.GetIdText(), "SHOP-FLOOR-3");
    EXPECT_EQ(vkla.GetEepromImage()[0x7D], 0x17D);
    const QByteArray backup = ReadFileBytes(vkla.BackupFilePath());
    EXPECT_TRUE(backup.endsWith(QByteArray("ICSHOP-FLOOR-3\0\r\n\x02&05000100\x92\x99", 29)));

    // A word that never comes fails the backup and leaves the file as it was.
    ScriptedPrinter silent(
        [&](const QByteArray& w) { return w == "\x02Ke40\r\n" ? QByteArray() : model(w); });
    model.image.fill(0);
    EXPECT_EQ(vkla.BackupEeprom(kPort), 3);
    EXPECT_EQ(ReadFileBytes(vkla.BackupFilePath()), backup);
    EXPECT_EQ(vkla.GetEepromImage()[0x7D], 0x17D);
}

TEST(Vkla, WriteEepromSendsEveryWordParameterTheIdTextAndTheEnd) {
    ScriptedPrinter printer;
    CVKLAInstruction vkla;
    std::vector<int> parameters = vkla.GetParameters();
    parameters[33] = 2;  // parity under mask 0030
    parameters[22] = -8; // signed whole word
    parameters[38] = 83;
    vkla.SetParameters(parameters);
    vkla.SetIdText("ABC");
    ASSERT_EQ(vkla.WriteEeprom(kPort), 0);
    const QList<QByteArray> writes = printer.Writes();
    ASSERT_EQ(writes.size(), 81 + 3);
    EXPECT_EQ(writes[0], Masked("1E", "0003", "0000"));
    EXPECT_EQ(writes[22], Masked("18", "ffff", "fff8"));
    EXPECT_EQ(writes[33], Masked("20", "0030", "0020"));
    EXPECT_EQ(writes[38], Masked("5c", "ffff", "0053"));
    EXPECT_EQ(writes[51], Masked("31", "0020", "0000")); // entry 52: the text entry is skipped
    EXPECT_EQ(writes[81], QByteArray("\x1bsBE\x92\x99\x1dIC"
                                     "ABC\0\r\n",
                                     15));
    EXPECT_EQ(writes[82], QByteArray("\x02&05000100\x92\x99"));
    EXPECT_EQ(writes[83], QByteArray("\x02JX00\r\n"));
    EXPECT_EQ(vkla.GetEepromImage()[0x20], 0x0020);
    EXPECT_EQ(vkla.GetEepromImage()[0x18], 0xFFF8);
}

TEST(Vkla, AListingIsTakenOnlyWhenItClosesWithTheFreeSpace) {
    const QByteArray listing =
        "DIRECTORY OF MODULE: FLASH\r\nARIAL.FNT 24576\r\nAVAILABLE BYTES IN MODULE: 1835008\r\n";
    EXPECT_TRUE(IsVklaListing(listing));
    EXPECT_TRUE(IsVklaListing(listing.chopped(2))) << "the last line end may be missing";
    EXPECT_FALSE(IsVklaListing(listing.left(40))) << "cut short";
    EXPECT_FALSE(IsVklaListing(listing + "#junk#")) << "junk after the listing";
    EXPECT_TRUE(IsVklaListing("AVAILABLE BYTES IN MODULE\r\n"));
    EXPECT_FALSE(IsVklaListing("AVAILABLE BYTES IN MODULE: 12k\r\n"));
    EXPECT_FALSE(IsVklaListing(""));
}
