// The EEPROM screens against the virtual printer, through the saved NET port.
#include "EepromScreenTestSupport.h"

#include "eeprom/ParameterTables.h"
#include "instruction/Commands.h"

#include <QFileInfo>

using namespace quillory;
using namespace quillory::test;

namespace {

struct EepromCase {
    int instruction;
    int numberEntry; // on the last page, out of view at first
    int newNumber;
    int listEntry; // on page 1
    int newPosition;
    const char* readMessage;
    const char* applyMessage;
    const char* restoreMessage;
};

// The value the printer's EEPROM holds for an entry.
int PrinterValue(const sim::VirtualPrinter& printer, int instruction, int entry) {
    if (instruction == INSTRUCTION_VKLA) {
        const MaskParameter& p = VklaParameters()[std::size_t(entry)];
        const unsigned v = DecodeMask(printer.EepromWord(p.address), p.mask);
        return p.signedWord && v >= 0x8000 ? int(v) - 0x10000 : int(v);
    }
    const BitParameter& p = BitParameters(instruction)[std::size_t(entry)];
    return int(DecodeBits(printer.EepromWord(p.address), p.first, p.last));
}

// The write command of one entry and value, as the language sends it.
QByteArray WriteCommand(int instruction, int entry, int value) {
    if (instruction == INSTRUCTION_VKLA) {
        const MaskParameter& p = VklaParameters()[std::size_t(entry)];
        const QByteArray address = p.lowerCaseAddress ? LowerAddressText(p.address) : AddressText(p.address);
        return VklaMaskedWriteCommand(address, p.mask, MaskedValue(value, p.mask));
    }
    const BitParameter& p = BitParameters(instruction)[std::size_t(entry)];
    return WnWriteBitsCommand(AddressText(p.address), p.first, p.last, value);
}

class EepromContract : public ::testing::TestWithParam<EepromCase> {};

TEST_P(EepromContract, ReadApplySaveLoadRestoreAndAFailedRead) {
    const EepromCase c = GetParam();
    PrinterWorld world(c.instruction);
    auto screen = MakeEepromScreen(c.instruction);
    const EepromScreenBlueprint& blueprint = screen->Blueprint();
    CMessageCapture messages;
    const QString backup = screen->Instruction().BackupFilePath();

    // Fresh: nothing to save and no backup to restore yet.
    EXPECT_TRUE(screen->Control(blueprint.readId)->isEnabled());
    EXPECT_TRUE(screen->Control(blueprint.applyId)->isEnabled());
    EXPECT_TRUE(screen->Control(blueprint.loadId)->isEnabled());
    EXPECT_FALSE(screen->Control(blueprint.saveId)->isEnabled());
    EXPECT_FALSE(screen->Control(blueprint.restoreId)->isEnabled());
    EXPECT_EQ(screen->Tabs()->currentIndex(), 0);

    // Read fills every page from the printer and leaves a backup.
    Press(*screen, blueprint.readId);
    EXPECT_EQ(messages.Texts(), QStringList{Message(c.readMessage)});
    const std::vector<int> read = screen->Instruction().GetParameters();
    for (const EepromControlRow& row : EepromControls(c.instruction)) {
        if (row.kind == EepromControlKind::Text)
            continue;
        EXPECT_EQ(read[row.entry], PrinterValue(world.printer, c.instruction, row.entry)) << row.entry;
        EXPECT_EQ(ShownValue(*screen, row), read[row.entry]) << "entry " << row.entry;
    }
    EXPECT_TRUE(QFileInfo::exists(backup));
    EXPECT_TRUE(screen->Control(blueprint.saveId)->isEnabled());
    EXPECT_TRUE(screen->Control(blueprint.restoreId)->isEnabled()) << "the first read made a backup";

    // A value typed on the page out of view survives a tab switch; Apply writes the pages.
    SetNumber(*screen, c.numberEntry, c.newNumber);
    screen->Tabs()->setCurrentIndex(screen->Tabs()->count() - 1);
    screen->Tabs()->setCurrentIndex(0);
    EXPECT_EQ(ShownValue(*screen, Row(c.instruction, c.numberEntry)), c.newNumber);
    List(*screen, c.listEntry)->setCurrentIndex(c.newPosition);
    world.printer.ClearLog();
    messages.Clear();
    Press(*screen, blueprint.applyId);
    ASSERT_TRUE(WaitForEepromWrite(*screen, world.printer));
    // The write is read back: every value the pages sent is in the printer.
    EXPECT_EQ(messages.Texts(), QStringList{Message(c.applyMessage) + "\n" + Message("WriteVerified")});
    const QByteArray log = world.printer.ReceivedBytes();
    EXPECT_TRUE(log.contains(WriteCommand(c.instruction, c.numberEntry, c.newNumber))) << log.toStdString();
    EXPECT_TRUE(log.contains(WriteCommand(c.instruction, c.listEntry, c.newPosition)));
    const std::vector<int> written = screen->Instruction().GetParameters();
    EXPECT_EQ(written[std::size_t(c.numberEntry)], c.newNumber);
    for (const EepromControlRow& row : EepromControls(c.instruction)) {
        if (row.kind != EepromControlKind::Text && EepromEntryWritten(c.instruction, row.entry)) {
            EXPECT_EQ(PrinterValue(world.printer, c.instruction, row.entry), written[row.entry]) << row.entry;
        }
    }

    // Save after Load writes the loaded file unchanged.
    const QString first = world.env.Path("first.eep");
    const QString second = world.env.Path("second.eep");
    messages.Clear();
    {
        FileDialogAnswer answer(first);
        Press(*screen, blueprint.saveId);
        const QString pattern = c.instruction == INSTRUCTION_VKLE ? "*.EEP" : "*.eep";
        EXPECT_EQ(answer.requests.at(0).filter, FileFilter("EEP Files (" + pattern + ")", pattern));
    }
    {
        FileDialogAnswer answer(first);
        Press(*screen, blueprint.loadId);
    }
    {
        FileDialogAnswer answer(second);
        Press(*screen, blueprint.saveId);
    }
    EXPECT_EQ(messages.Texts(), (QStringList{Message("SaveFileSuccess"), Message("ReadPrinterSuccess"),
                                             Message("SaveFileSuccess")}));
    EXPECT_FALSE(ReadFileBytes(first).isEmpty());
    EXPECT_EQ(ReadFileBytes(first), ReadFileBytes(second));

    // Restore writes the backup of the read back to the printer.
    messages.Clear();
    world.printer.ClearLog();
    Press(*screen, blueprint.restoreId);
    ASSERT_TRUE(WaitForEepromWrite(*screen, world.printer));
    EXPECT_EQ(messages.Texts(), QStringList{Message(c.restoreMessage) + "\n" + Message("WriteVerified")});
    EXPECT_EQ(PrinterValue(world.printer, c.instruction, c.numberEntry), read[std::size_t(c.numberEntry)]);
    EXPECT_EQ(ShownValue(*screen, Row(c.instruction, c.numberEntry)), read[std::size_t(c.numberEntry)]);

    // A read that fails shows the error and leaves the pages as they were.
    SetNumber(*screen, c.numberEntry, c.newNumber);
    const QStringList before = Shown(*screen);
    world.printer.Stop();
    messages.Clear();
    Press(*screen, blueprint.readId);
    EXPECT_EQ(messages.Texts(), QStringList{Message("OpenPortError")});
    EXPECT_EQ(Shown(*screen), before);
}

INSTANTIATE_TEST_SUITE_P(Languages, EepromContract,
                         ::testing::Values(EepromCase{INSTRUCTION_VKLZ, 19, 150, 13, 1, "ReadPrinterSuccess",
                                                      "RebootEffective", "RebootEffective"},
                                           EepromCase{INSTRUCTION_VKLE, 35, 65, 14, 1, "ReadPrinterSuccess",
                                                      "RebootEffective", "RebootEffective"},
                                           EepromCase{INSTRUCTION_VKLT, 19, 150, 13, 1, "ReadPrinterSuccess",
                                                      "RebootEffective", "ApplayEffective"},
                                           EepromCase{INSTRUCTION_VKLA, 63, 33, 2, 1, "ReadPrinterSuccess",
                                                      "RebootEffective", "RebootEffective"},
                                           EepromCase{INSTRUCTION_VKLC, 19, 150, 13, 1, "ReadPrinterSuccess",
                                                      "ApplayEffective", "RebootEffective"}),
                         [](const auto& info) {
                             return InstructionName(info.param.instruction).toStdString();
                         });

TEST(EepromScreen, VklzSerialWordDecodesIntoItsFiveLists) {
    PrinterWorld world(INSTRUCTION_VKLZ);
    world.printer.SetEepromWord(0x20, 0x0A48);
    auto screen = MakeEepromScreen(INSTRUCTION_VKLZ);
    CMessageCapture messages;
    Press(*screen, 1370);
    EXPECT_EQ(List(*screen, 24)->currentText(), "38400");
    EXPECT_EQ(List(*screen, 25)->currentIndex(), 0);
    EXPECT_EQ(List(*screen, 27)->currentIndex(), 1);
    EXPECT_EQ(List(*screen, 28)->currentIndex(), 2);
    EXPECT_EQ(List(*screen, 26)->currentIndex(), 2);
}

TEST(EepromScreen, VklaConversionsOfBaudRateAndParity) {
    PrinterWorld world(INSTRUCTION_VKLA);
    world.printer.SetEepromWord(0x21, 3);
    auto screen = MakeEepromScreen(INSTRUCTION_VKLA);
    CMessageCapture messages;
    Press(*screen, 1364);
    ASSERT_EQ(messages.Texts(), QStringList{Message("ReadPrinterSuccess")});
    EXPECT_EQ(List(*screen, 30)->currentIndex(), 2);
    List(*screen, 30)->setCurrentIndex(0);
    List(*screen, 33)->setCurrentIndex(1);
    world.printer.ClearLog();
    Press(*screen, 1365);
    ASSERT_TRUE(WaitForEepromWrite(*screen, world.printer));
    const QByteArray log = world.printer.ReceivedBytes();
    EXPECT_TRUE(log.contains(VklaMaskedWriteCommand("21", 0xFFFF, 1))) << log.toStdString();
    EXPECT_TRUE(log.contains(VklaMaskedWriteCommand("20", 0x0030, 0x0020)));
    EXPECT_EQ(world.printer.EepromWord(0x21), 1);
    EXPECT_EQ(world.printer.EepromWord(0x20) & 0x0030, 0x0020);
}

TEST(EepromScreen, VkleDataLengthIsStoredSevenAboveItsPosition) {
    PrinterWorld world(INSTRUCTION_VKLE);
    world.printer.SetEepromWord(0x53, 0x0507);
    auto screen = MakeEepromScreen(INSTRUCTION_VKLE);
    CMessageCapture messages;
    Press(*screen, 1354);
    EXPECT_EQ(List(*screen, 34)->currentIndex(), 0);
    List(*screen, 34)->setCurrentIndex(1);
    world.printer.ClearLog();
    Press(*screen, 1355);
    ASSERT_TRUE(WaitForEepromWrite(*screen, world.printer));
    EXPECT_TRUE(world.printer.ReceivedBytes().contains(WnWriteBitsCommand("53", 0, 7, 8)));
    EXPECT_EQ(world.printer.EepromWord(0x53), 0x0508);
}

// Values the controls cannot show as a choice go back to the printer as they were read.
TEST(EepromScreen, StoredValuesWithoutAPlaceOnThePageAreKept) {
    PrinterWorld world(INSTRUCTION_VKLZ);
    world.printer.SetEepromWord(0x20, 0x000F); // baud rate 15: no such position
    world.printer.SetEepromWord(0x0C, 65535);  // more digits than the field takes
    world.printer.SetEepromWord(0x34, 0x7000); // USB ID 7
    auto screen = MakeEepromScreen(INSTRUCTION_VKLZ);
    CMessageCapture messages;
    Press(*screen, 1370);
    EXPECT_EQ(List(*screen, 24)->currentIndex(), -1);
    EXPECT_EQ(Number(*screen, 11)->text(), "65535");
    world.printer.ClearLog();
    Press(*screen, 1371);
    ASSERT_TRUE(WaitForEepromWrite(*screen, world.printer));
    const QByteArray log = world.printer.ReceivedBytes();
    EXPECT_TRUE(log.contains(WnWriteBitsCommand("20", 0, 3, 15))) << log.toStdString();
    EXPECT_TRUE(log.contains(WnWriteBitsCommand("0C", 0, 15, 65535)));
    EXPECT_EQ(world.printer.EepromWord(0x20), 0x000F);

    PrinterWorld vklaWorld(INSTRUCTION_VKLA);
    vklaWorld.printer.SetEepromWord(0x20, 0x0010); // parity value 1 shows as position 0
    vklaWorld.printer.SetEepromWord(0x19, 500);    // beyond the field's 0..199
    vklaWorld.printer.SetIdText("LONGER-THAN-TEN");
    auto vkla = MakeEepromScreen(INSTRUCTION_VKLA);
    Press(*vkla, 1364);
    EXPECT_EQ(List(*vkla, 33)->currentIndex(), 0);
    EXPECT_EQ(Number(*vkla, 23)->text(), "0500");
    EXPECT_EQ(Text(*vkla, 51)->text(), "LONGER-THA");
    vklaWorld.printer.ClearLog();
    Press(*vkla, 1365);
    ASSERT_TRUE(WaitForEepromWrite(*vkla, vklaWorld.printer));
    const QByteArray vklaLog = vklaWorld.printer.ReceivedBytes();
    EXPECT_TRUE(vklaLog.contains(VklaMaskedWriteCommand("20", 0x0030, 0x0010))) << vklaLog.toStdString();
    EXPECT_TRUE(vklaLog.contains(VklaMaskedWriteCommand("19", 0xFFFF, 500)));
    EXPECT_EQ(vklaWorld.printer.IdText(), "LONGER-THAN-TEN");
}

TEST(EepromScreen, BackFeedBeforePrintingIsShownButNotEditable) {
    for (const auto& [instruction, entry] :
         {std::pair{INSTRUCTION_VKLZ, 20}, std::pair{INSTRUCTION_VKLC, 20}, std::pair{INSTRUCTION_VKLT, 20},
          std::pair{INSTRUCTION_VKLE, 21}}) {
        PrinterWorld world(instruction);
        auto screen = MakeEepromScreen(instruction);
        CMessageCapture messages;
        Press(*screen, screen->Blueprint().readId);
        EXPECT_TRUE(Number(*screen, entry)->isReadOnly()) << instruction;
        EXPECT_EQ(Number(*screen, entry)->GetValue(), 100) << "shown as read";
        EXPECT_FALSE(Number(*screen, entry + 1)->isReadOnly());
    }
}

TEST(EepromScreen, VklcSavesItsFileAndKeepsEveryEditAtOnce) {
    PrinterWorld world(INSTRUCTION_VKLC);
    auto screen = MakeEepromScreen(INSTRUCTION_VKLC);
    CMessageCapture messages;
    Press(*screen, 1375);
    List(*screen, 16)->setCurrentIndex(2);
    EXPECT_EQ(screen->ScreenParameters()[16], 2) << "a list change goes into the copy at once";
    SetNumber(*screen, 7, 120);
    EXPECT_EQ(screen->ScreenParameters()[7], 120);
    EXPECT_EQ(screen->Instruction().GetParameters()[7], 102) << "the object changes on Apply only";

    const QString path = world.env.Path("vklc.eep");
    messages.Clear();
    {
        FileDialogAnswer answer(path);
        Press(*screen, 1377);
    }
    EXPECT_EQ(messages.Texts(), QStringList{Message("SaveFileSuccess")});
    EXPECT_TRUE(ReadFileBytes(path).endsWith("~WN00@ini,w,TphAdj," + world.printer.IniText("TphAdj")));
}

TEST(EepromScreen, RestoreFollowsTheBackupFile) {
    PrinterWorld world(INSTRUCTION_VKLT);
    auto screen = MakeEepromScreen(INSTRUCTION_VKLT);
    CMessageCapture messages;
    Press(*screen, 1442);
    const QString backup = screen->Instruction().BackupFilePath();
    ASSERT_TRUE(QFile::remove(backup));
    world.printer.ClearLog();
    messages.Clear();
    screen->OnRestore();
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_TRUE(world.printer.ReceivedBytes().isEmpty());
    EXPECT_FALSE(screen->Control(1445)->isEnabled());

    // A screen made while a backup exists offers it at once.
    WriteFileBytes(backup, "~WN00@eep,w,00,0001\r\n");
    auto later = MakeEepromScreen(INSTRUCTION_VKLT);
    EXPECT_TRUE(later->Control(1445)->isEnabled());
}

TEST(EepromScreen, AReadWhoseBackupCannotBeWrittenShowsWhatWasReadAndSaysSo) {
    PrinterWorld world(INSTRUCTION_VKLE);
    world.printer.SetEepromWord(0x0F, 77);
    const QString notAFolder = world.env.Path("plain-file");
    WriteFileBytes(notAFolder, "x");
    qputenv("QUILLORY_EEPBAK_DIR", notAFolder.toLocal8Bit());
    auto screen = MakeEepromScreen(INSTRUCTION_VKLE);
    CMessageCapture messages;
    Press(*screen, 1354);
    EXPECT_EQ(messages.Texts(), QStringList{Message("CreateFileError")});
    EXPECT_EQ(Number(*screen, 7)->GetValue(), 77);
    EXPECT_FALSE(screen->Control(1357)->isEnabled());
}

TEST(EepromScreen, AFileThatCannotBeOpenedIsReportedAndChangesNothing) {
    TempEnvironment env;
    for (const int instruction : {int(INSTRUCTION_VKLA), int(INSTRUCTION_VKLZ)}) {
        auto screen = MakeEepromScreen(instruction);
        SetNumber(*screen, 7, 90);
        const QStringList before = Shown(*screen);
        CMessageCapture messages;
        {
            FileDialogAnswer answer(env.Path("missing/none.eep"));
            screen->OnLoadFile();
        }
        EXPECT_EQ(messages.Texts(), QStringList{Message("ReadPrinterFail")});
        EXPECT_EQ(Shown(*screen), before);
        EXPECT_FALSE(screen->Control(screen->Blueprint().saveId)->isEnabled());
    }
}

TEST(EepromScreen, AWholeReadKeepsTheWindowResponsiveAndRefusesASecondPress) {
    PrinterWorld world(INSTRUCTION_VKLA);
    world.printer.SetFaults({.replyDelayMs = 2});
    auto screen = MakeEepromScreen(INSTRUCTION_VKLA);
    screen->show();
    CMessageCapture messages;
    screen->ControlAs<QPushButton>(1364)->click();
    ASSERT_TRUE(screen->IsBusy());
    EXPECT_TRUE(screen->findChild<QProgressBar*>()->isVisible());
    for (const int id : {1364, 1365, 1366, 1367, 1368})
        EXPECT_FALSE(screen->Control(id)->isEnabled()) << id;
    screen->OnRead();
    screen->OnApply();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    ASSERT_TRUE(WaitUntil([&] { return !screen->IsBusy(); }, 30000));
    EXPECT_GT(ticks, 2) << "the event loop ran during the exchange";
    EXPECT_EQ(world.printer.ConnectionCount(), 1);
    EXPECT_EQ(messages.Texts(), QStringList{Message("ReadPrinterSuccess")});
    EXPECT_FALSE(screen->findChild<QProgressBar*>()->isVisible());
}

} // namespace
