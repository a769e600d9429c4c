// The print-settings screens keep the printer's settings before every Apply, read back what they
// applied, and put a chosen backup back.
#include "app/LanguageTexts.h"
#include "app/ui/BackupChooser.h"
#include "app/ui/Messages.h"
#include "app/ui/PageFactory.h"
#include "controls/PaperNunberEditEx.h"
#include "instruction/BackupFiles.h"
#include "settings/ui/PrinterSetScreen.h"
#include "support/ScreenFixture.h"

#include <QPushButton>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

struct ScreenCase {
    int instruction;
    int darknessId;
    int applyId;
    int readId;
    const char* applyMessage;
};

class SettingsUndo : public ::testing::TestWithParam<ScreenCase> {
protected:
    PrinterWorld world{GetParam().instruction};
    std::unique_ptr<CPrinterSetScreen> screen{
        qobject_cast<CPrinterSetScreen*>(CreatePrinterSetScreen(GetParam().instruction, nullptr))};
    CMessageCapture messages;

    void SetUp() override { screen->ApplyLanguage(LANGUAGE_ENGLISH); }
    void Press(int id) {
        auto* button = screen->ControlAs<QPushButton>(id);
        ASSERT_TRUE(button);
        ASSERT_TRUE(button->isEnabled()) << id;
        button->click();
        ASSERT_TRUE(WaitUntil([&] { return !screen->IsBusy(); }));
    }
    void ApplyDarkness(int value) {
        screen->ControlAs<CPaperNunberEditEx>(GetParam().darknessId)->SetValue(value);
        Press(GetParam().applyId);
    }
    std::vector<std::uint16_t> Words() {
        qsizetype size = -1;
        while (world.printer.ReceivedBytes().size() != size) {
            size = world.printer.ReceivedBytes().size();
            QThread::msleep(50);
        }
        std::vector<std::uint16_t> words;
        for (int a = 0; a < 256; ++a)
            words.push_back(world.printer.EepromWord(a));
        return words;
    }
    int Darkness() const { return screen->ControlAs<CPaperNunberEditEx>(GetParam().darknessId)->GetValue(); }
};

std::string Name(const ::testing::TestParamInfo<ScreenCase>& info) {
    return InstructionName(info.param.instruction).toStdString();
}

QString Message(const char* key) {
    return GetMessageText(key, LANGUAGE_ENGLISH);
}

} // namespace

TEST_P(SettingsUndo, ApplyIsVerifiedAndRestoreTakesTheChosenBackup) {
    const ScreenCase c = GetParam();
    EXPECT_FALSE(screen->Control(kSettingsRestoreId)->isEnabled()) << "no backup yet";
    Press(c.readId);
    const std::vector<std::uint16_t> original = Words();
    const int darkness = Darkness();
    const int first = darkness >= 6 ? darkness - 3 : darkness + 3;

    messages.Clear();
    ApplyDarkness(first);
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(messages.Texts()[0].startsWith(Message(c.applyMessage) + "\n" + Message("WriteVerified")))
        << messages.Texts()[0].toStdString();
    EXPECT_TRUE(screen->Control(kSettingsRestoreId)->isEnabled());
    ApplyDarkness(first + 1);
    const std::vector<BackupEntry> kept = ListBackups(screen->Instruction().SettingsBackupFilePath());
    ASSERT_EQ(kept.size(), 2u) << "the state read, then the state after the first Apply";

    // The older backup is the printer as first read: restoring it undoes both applies.
    messages.Clear();
    QStringList offered;
    const BackupChooserHook previous = SetBackupChooserHook([&](const QStringList& choices) {
        offered = choices;
        return int(choices.size()) - 1;
    });
    Press(kSettingsRestoreId);
    SetBackupChooserHook(previous);
    EXPECT_EQ(offered, BackupChoiceTexts(kept, LANGUAGE_ENGLISH));
    EXPECT_EQ(Words(), original);
    EXPECT_EQ(Darkness(), darkness);
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(messages.Texts()[0].contains(Message("WriteVerified")));

    // A chooser that is cancelled sends nothing.
    world.printer.ClearLog();
    SetBackupChooserHook([](const QStringList&) { return -1; });
    Press(kSettingsRestoreId);
    SetBackupChooserHook(previous);
    EXPECT_TRUE(world.printer.ReceivedBytes().isEmpty());
}

TEST_P(SettingsUndo, AValueThePrinterIgnoresIsListedWithBothValues) {
    const ScreenCase c = GetParam();
    Press(c.readId);
    const int darkness = Darkness();
    sim::Faults faults;
    faults.ignoreWrites = {0x12};
    world.printer.SetFaults(faults);
    const int wanted = darkness >= 6 ? darkness - 3 : darkness + 3;
    messages.Clear();
    ApplyDarkness(wanted);
    ASSERT_EQ(messages.Messages().size(), 1);
    const ShownMessage& shown = messages.Messages()[0];
    EXPECT_EQ(shown.icon, MessageIcon::Warning);
    EXPECT_TRUE(shown.text.contains("(PrintDarkness): written " + QString::number(wanted)))
        << shown.text.toStdString();
    EXPECT_FALSE(shown.text.contains(Message("WriteVerified")));
}

INSTANTIATE_TEST_SUITE_P(Languages, SettingsUndo,
                         ::testing::Values(ScreenCase{INSTRUCTION_VKLZ, 1015, 1575, 1574, "ApplayEffective"},
                                           ScreenCase{INSTRUCTION_VKLE, 1017, 1540, 1539, "ApplayEffective"},
                                           ScreenCase{INSTRUCTION_VKLT, 1016, 1003, 1031, "ApplayEffective"},
                                           ScreenCase{INSTRUCTION_VKLA, 1528, 1533, 1532, "RebootEffective"},
                                           ScreenCase{INSTRUCTION_VKLC, 1015, 1586, 1585, "ApplayEffective"}),
                         Name);
