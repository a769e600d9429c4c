// "Compare with file" on the print-settings and EEPROM screens: what the printer gave at the last
// read against a file or a snapshot, the screen left as it was.
#include "app/ui/CompareWithFile.h"
#include "app/LanguageTexts.h"
#include "app/ui/Messages.h"
#include "app/ui/PageFactory.h"
#include "eeprom/ui/EepromScreen.h"
#include "settings/SettingsRanges.h"
#include "settings/ui/PrinterSetScreen.h"
#include "support/ScreenFixture.h"

#include <QPushButton>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

struct CompareCase {
    int instruction;
    int settingsReadId;
    int eepromReadId;
    std::uint8_t darknessWord; // an EEPROM word a write reaches
};

class CompareWithFile : public ::testing::TestWithParam<CompareCase> {
protected:
    PrinterWorld world{GetParam().instruction};
    CMessageCapture messages;

    template <typename Screen>
    void Press(Screen& screen, int id) {
        auto* button = screen.template ControlAs<QPushButton>(id);
        ASSERT_TRUE(button);
        ASSERT_TRUE(button->isEnabled()) << id;
        button->click();
        ASSERT_TRUE(WaitUntil([&] { return !screen.IsBusy(); }));
    }
    template <typename Screen>
    QString CompareWith(Screen& screen, const QString& path) {
        messages.Clear();
        const FileDialogAnswer answer(path);
        Press(screen, kCompareWithFileId);
        return messages.Texts().isEmpty() ? QString() : messages.Texts().last();
    }
    QString Path(const QString& name) const { return world.env.Path(name); }
};

QString Text(const char* key, const QString& arg = {}) {
    return FormatMessageText(key, LANGUAGE_ENGLISH, arg.isEmpty() ? QStringList() : QStringList{arg});
}

std::string Name(const ::testing::TestParamInfo<CompareCase>& info) {
    return InstructionName(info.param.instruction).toStdString();
}

} // namespace

TEST_P(CompareWithFile, SettingsScreenListsWhatDiffersAndRefusesWhatCannotBeCompared) {
    const CompareCase c = GetParam();
    std::unique_ptr<CPrinterSetScreen> screen{
        qobject_cast<CPrinterSetScreen*>(CreatePrinterSetScreen(c.instruction, nullptr))};
    screen->ApplyLanguage(LANGUAGE_ENGLISH);
    const QString same = Path("same." + SettingsFileExtension(c.instruction));
    EXPECT_EQ(CompareWith(*screen, same), Text("CompareNotRead")) << "nothing read yet";

    Press(*screen, c.settingsReadId);
    ASSERT_EQ(screen->Instruction().SaveSettingsFile(same), 1);
    EXPECT_EQ(CompareWith(*screen, same), Text("CompareSame", same));

    SettingsRecord record = screen->Instruction().GetSettingsRecord();
    int shown = 0;
    for (const auto& [key, value] : SettingsFields(record))
        if (key == QLatin1String("PrintDarkness"))
            shown = value.toInt();
    ASSERT_TRUE(
        SetSettingsField(record, QStringLiteral("PrintDarkness"), shown >= 6 ? shown - 3 : shown + 3));
    const QString other = Path("other." + SettingsFileExtension(c.instruction));
    ASSERT_TRUE(SaveSettingsRecord(record, other));
    const QString differs = CompareWith(*screen, other);
    EXPECT_TRUE(differs.startsWith(Text("CompareDiffers", other) + "\n")) << differs.toStdString();
    EXPECT_EQ(differs.count('\n'), 1) << "one field differs: " << differs.toStdString();

    // Another language's file, a damaged file: refused with the file named, the screen unchanged.
    const int otherLanguage = c.instruction == INSTRUCTION_VKLZ ? INSTRUCTION_VKLE : INSTRUCTION_VKLZ;
    const QString foreign = Path("foreign." + SettingsFileExtension(otherLanguage));
    SettingsRecord foreignRecord = MakeSettingsRecord(otherLanguage);
    ClampToRanges(foreignRecord);
    ASSERT_TRUE(SaveSettingsRecord(foreignRecord, foreign));
    EXPECT_EQ(CompareWith(*screen, foreign).toStdString(),
              Text("CompareOtherLanguage", foreign).toStdString());
    const QString damaged = Path("damaged." + SettingsFileExtension(c.instruction));
    WriteFileBytes(damaged, QByteArray(2000, '\x01'));
    const QString refused = CompareWith(*screen, damaged);
    EXPECT_TRUE(refused.contains(damaged)) << refused.toStdString();
    world.printer.ClearLog();
    EXPECT_EQ(CompareWith(*screen, same), Text("CompareSame", same)) << "the last read still counts";
    EXPECT_TRUE(world.printer.ReceivedBytes().isEmpty()) << "a comparison sends nothing";
}

TEST_P(CompareWithFile, EepromScreenComparesTheLastReadWithAFileOrASnapshot) {
    const CompareCase c = GetParam();
    std::unique_ptr<CEepromScreen> screen{
        qobject_cast<CEepromScreen*>(CreateEepromScreen(c.instruction, nullptr))};
    ASSERT_TRUE(screen);
    screen->ApplyLanguage(LANGUAGE_ENGLISH);
    Press(*screen, c.eepromReadId);
    const QString before = Path("before.eep");
    ASSERT_NE(screen->Instruction().SaveEepromFile(before), 0);
    EXPECT_EQ(CompareWith(*screen, before), Text("CompareSame", before));

    world.printer.SetEepromWord(c.darknessWord,
                                std::uint16_t(world.printer.EepromWord(c.darknessWord) ^ 0x0003));
    Press(*screen, c.eepromReadId);
    const QString differs = CompareWith(*screen, before);
    EXPECT_TRUE(differs.startsWith(Text("CompareDiffers", before) + "\n")) << differs.toStdString();

    // A settings file holds no EEPROM to compare with.
    const QString settings = Path("s." + SettingsFileExtension(c.instruction));
    SettingsRecord record = MakeSettingsRecord(c.instruction);
    ClampToRanges(record);
    ASSERT_TRUE(SaveSettingsRecord(record, settings));
    EXPECT_EQ(CompareWith(*screen, settings).toStdString(), Text("CompareNothing", settings).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Languages, CompareWithFile,
                         ::testing::Values(CompareCase{INSTRUCTION_VKLZ, 1574, 1370, 0x12},
                                           CompareCase{INSTRUCTION_VKLE, 1539, 1354, 0x12},
                                           CompareCase{INSTRUCTION_VKLT, 1031, 1442, 0x12},
                                           CompareCase{INSTRUCTION_VKLA, 1532, 1364, 0x12},
                                           CompareCase{INSTRUCTION_VKLC, 1585, 1375, 0x12}),
                         Name);
