// What the EEPROM screens refuse before anything can reach a printer, and the signed tear-off
// that reads back the same on both VKLT screens.
#include "EepromScreenTestSupport.h"

#include "app/ui/PageFactory.h"
#include "controls/PaperNunberEditEx.h"
#include "port/PortAbilities.h"
#include "settings/ui/PrinterSetScreen.h"
#include "support/BadInputFiles.h"

#include <QFileInfo>
#include <QRandomGenerator>

using namespace quillory;
using namespace quillory::test;

namespace {

class EepromRefusal : public ::testing::TestWithParam<int> {
protected:
    int language = GetParam();
    PrinterWorld world{language};
    std::unique_ptr<CEepromScreen> screen = MakeEepromScreen(language);

    void Load(const QString& path) {
        FileDialogAnswer answer(path);
        screen->OnLoadFile();
    }
};

std::string Name(const ::testing::TestParamInfo<int>& info) {
    return InstructionName(info.param).toStdString();
}

} // namespace

TEST_P(EepromRefusal, FilesThatAreNoWholeEepromFileAreRefusedNamingThem) {
    // The files the program writes for this language and for another.
    auto self = MakeInstruction(language);
    auto other = MakeInstruction(language == INSTRUCTION_VKLA ? INSTRUCTION_VKLZ : INSTRUCTION_VKLA);
    ASSERT_EQ(self->SaveEepromFile(world.env.Path("own.eep")), 1);
    ASSERT_EQ(other->SaveEepromFile(world.env.Path("other.eep")), 1);
    const QByteArray own = ReadFileBytes(world.env.Path("own.eep"));
    QByteArray random(2000, '\0');
    QRandomGenerator(5).fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    std::vector<BadInputFile> files = RefusedInputFiles(world.env.Root(), InputFileKind::EepromFile);
    for (const auto& [name, bytes] :
         std::vector<std::pair<QString, QByteArray>>{{"random.eep", random},
                                                     {"empty.eep", {}},
                                                     {"settings.eep", "[First]\r\nPrintDarkness=5\r\n"},
                                                     {"half.eep", own.left(own.size() / 2)}}) {
        WriteFileBytes(world.env.Path(name), bytes);
        files.push_back({name.toStdString(), world.env.Path(name)});
    }
    files.push_back({"other layout", world.env.Path("other.eep")});

    SetNumber(*screen, 7, 90);
    const QStringList before = Shown(*screen);
    const std::vector<int> parameters = screen->Instruction().GetParameters();
    CMessageCapture messages;
    for (const BadInputFile& bad : files) {
        messages.Clear();
        Load(bad.path);
        ASSERT_EQ(messages.Texts().size(), 1) << bad.what;
        EXPECT_TRUE(messages.Texts()[0].contains(bad.path)) << messages.Texts()[0].toStdString();
        EXPECT_NE(messages.Texts()[0], Message("ReadPrinterSuccess"));
        EXPECT_EQ(Shown(*screen), before) << bad.what;
    }
    EXPECT_TRUE(messages.Texts()[0].contains(InstructionName(language)));
    EXPECT_FALSE(screen->Control(screen->Blueprint().saveId)->isEnabled());
    EXPECT_EQ(screen->Instruction().GetParameters(), parameters);
    EXPECT_EQ(world.printer.ConnectionCount(), 0);

    // The file the program wrote loads.
    messages.Clear();
    Load(world.env.Path("own.eep"));
    EXPECT_EQ(messages.Texts(), QStringList{Message("ReadPrinterSuccess")});
}

TEST_P(EepromRefusal, ADamagedBackupIsNotRestoredAndStaysAsItWas) {
    CMessageCapture messages;
    Press(*screen, screen->Blueprint().readId);
    const QString backup = screen->Instruction().BackupFilePath();
    const QByteArray whole = ReadFileBytes(backup);
    WriteFileBytes(backup, whole.left(whole.size() - 300));
    const QStringList before = Shown(*screen);
    world.printer.ClearLog();
    const int connections = world.printer.ConnectionCount();
    messages.Clear();
    Press(*screen, screen->Blueprint().restoreId);
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(messages.Texts()[0].contains(backup)) << messages.Texts()[0].toStdString();
    EXPECT_EQ(Shown(*screen), before);
    EXPECT_EQ(ReadFileBytes(backup), whole.left(whole.size() - 300));
    EXPECT_EQ(world.printer.ConnectionCount(), connections);
    EXPECT_TRUE(world.printer.ReceivedBytes().isEmpty());
}

TEST_P(EepromRefusal, ReadOnAPortThatOnlySendsIsRefusedInEveryLanguage) {
    tagPORTINFO queue = MakePortInfo(PORT_DRIVER);
    SetPortText(queue.driverName, "Quillory");
    WritePortInfo(queue);
    const QStringList before = Shown(*screen);
    CMessageCapture messages;
    for (int ui = 0; ui < 3; ++ui) {
        WriteLanguage(ui);
        messages.Clear();
        screen->OnRead();
        EXPECT_FALSE(screen->IsBusy());
        ASSERT_EQ(messages.Texts(), QStringList{PortCannotReadText(queue, ui)});
    }
    EXPECT_EQ(Shown(*screen), before);
    EXPECT_FALSE(QFileInfo::exists(screen->Instruction().BackupFilePath()));
}

INSTANTIATE_TEST_SUITE_P(Languages, EepromRefusal, ::testing::Values(0, 1, 2, 3, 4), Name);

TEST(EepromScreen, TheVkltTearOffReadsBackTheSameOnBothScreens) {
    PrinterWorld world(INSTRUCTION_VKLT);
    auto eeprom = MakeEepromScreen(INSTRUCTION_VKLT);
    std::unique_ptr<CPrinterSetScreen> settings(
        qobject_cast<CPrinterSetScreen*>(CreatePrinterSetScreen(INSTRUCTION_VKLT, nullptr)));
    settings->ApplyLanguage(LANGUAGE_ENGLISH);
    CMessageCapture messages;

    // Written on the EEPROM page, read by the print settings.
    Press(*eeprom, eeprom->Blueprint().readId);
    SetNumber(*eeprom, 9, -5);
    world.printer.ClearLog();
    Press(*eeprom, eeprom->Blueprint().applyId);
    ASSERT_TRUE(WaitForEepromWrite(*eeprom, world.printer));
    EXPECT_TRUE(world.printer.ReceivedBytes().contains("~WN00@eep,w,01,85,0,7\r,\n"))
        << world.printer.ReceivedBytes().toStdString();
    EXPECT_EQ(world.printer.EepromWord(0x01) & 0xFF, 0x85);
    settings->ControlAs<QPushButton>(settings->Blueprint().readId)->click();
    ASSERT_TRUE(WaitUntil([&] { return !settings->IsBusy(); }));
    EXPECT_EQ(settings->ControlAs<CPaperNunberEditEx>(1021)->GetValue(), -5);

    // Set by the print settings, read on the EEPROM page.
    settings->ControlAs<CPaperNunberEditEx>(1021)->SetValue(-17);
    world.printer.ClearLog();
    settings->ControlAs<QPushButton>(settings->Blueprint().applyId)->click();
    ASSERT_TRUE(WaitUntil([&] { return !settings->IsBusy(); }));
    ASSERT_TRUE(WaitUntil([&] { return (world.printer.EepromWord(0x01) & 0xFF) == 128 + 17; }, 5000));
    Press(*eeprom, eeprom->Blueprint().readId);
    EXPECT_EQ(Number(*eeprom, 9)->GetValue(), -17);
    EXPECT_EQ(Number(*eeprom, 9)->text().toInt(), -17);
}
