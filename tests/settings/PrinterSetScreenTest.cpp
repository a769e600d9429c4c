// The print-settings screens against the virtual printer, through the saved NET port.
#include "app/LanguageTexts.h"
#include "app/ui/Messages.h"
#include "app/ui/PageFactory.h"
#include "controls/DateTimeEdit.h"
#include "controls/PaperNunberEditEx.h"
#include "instruction/Commands.h"
#include "settings/ui/PrinterSetDlgs.h"
#include "support/ScreenFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

std::unique_ptr<CPrinterSetScreen> MakeScreen(int instruction) {
    std::unique_ptr<CPrinterSetScreen> screen(
        qobject_cast<CPrinterSetScreen*>(CreatePrinterSetScreen(instruction, nullptr)));
    screen->ApplyLanguage(LANGUAGE_ENGLISH);
    return screen;
}

QString Message(const char* key) {
    return GetMessageText(key, LANGUAGE_ENGLISH);
}

void Press(CPrinterSetScreen& screen, int id) {
    auto* button = screen.ControlAs<QPushButton>(id);
    ASSERT_TRUE(button);
    button->click();
    ASSERT_TRUE(WaitUntil([&] { return !screen.IsBusy(); }));
}

CPaperNunberEditEx* Field(const CPrinterSetScreen& screen, int id) {
    return screen.ControlAs<CPaperNunberEditEx>(id);
}

QComboBox* List(const CPrinterSetScreen& screen, int id) {
    return screen.ControlAs<QComboBox>(id);
}

// What the screen shows, control by control, to prove that something changed nothing.
QStringList Shown(const CPrinterSetScreen& screen) {
    QStringList shown;
    for (const int id : screen.ControlIds()) {
        QWidget* w = screen.Control(id);
        if (auto* list = qobject_cast<QComboBox*>(w))
            shown << QStringLiteral("%1=#%2").arg(id).arg(list->currentIndex());
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            shown << QStringLiteral("%1=%2").arg(id).arg(edit->text());
        else if (auto* box = qobject_cast<QAbstractButton*>(w))
            shown << QStringLiteral("%1:%2%3").arg(id).arg(box->isChecked()).arg(box->isEnabled());
    }
    return shown;
}

QByteArray Joined(const std::vector<QByteArray>& commands) {
    QByteArray all;
    for (const QByteArray& c : commands)
        all += c;
    return all;
}

// The bytes the language sends for the record the screen put into its object.
QByteArray ApplyBytes(const CPrinterSetScreen& screen) {
    const SettingsRecord record = screen.Instruction().GetSettingsRecord();
    switch (screen.Blueprint().instruction) {
    case INSTRUCTION_VKLZ:
        return Joined(VklzApplyCommands(std::get<VKLZSettings>(record)));
    case INSTRUCTION_VKLE:
        return Joined(VkleApplyCommands(std::get<VKLESettings>(record)));
    case INSTRUCTION_VKLT:
        return Joined(VkltApplyCommands(std::get<VKLTSettings>(record)));
    case INSTRUCTION_VKLA:
        return Joined(VklaApplyCommands(std::get<VKLASettings>(record)));
    default:
        return Joined(VklcApplyCommands(std::get<VKLCSettings>(record)));
    }
}

int RecordField(const CPrinterSetScreen& screen, const char* name) {
    for (const auto& [key, value] : SettingsFields(screen.Instruction().GetSettingsRecord())) {
        if (key == QLatin1String(name))
            return value.toInt();
    }
    ADD_FAILURE() << "no field " << name;
    return 0;
}

struct LanguageCase {
    int instruction;
    int darknessId;
    int newDarkness;
    // A word the read turns into a length field, and what the field then holds.
    int wordAddress;
    std::uint16_t word;
    int lengthId;
    int lengthDots;
    const char* applyMessage;
};

class PrinterSetContract : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(PrinterSetContract, ReadApplySaveLoadAndAFailedRead) {
    const LanguageCase c = GetParam();
    PrinterWorld world(c.instruction);
    world.printer.SetEepromWord(c.wordAddress, c.word);
    auto screen = MakeScreen(c.instruction);
    const PrinterSetBlueprint& blueprint = screen->Blueprint();
    CMessageCapture messages;

    // A fresh screen offers only Read and Load.
    EXPECT_TRUE(screen->Control(blueprint.readId)->isEnabled());
    EXPECT_TRUE(screen->Control(blueprint.loadId)->isEnabled());
    EXPECT_FALSE(screen->Control(blueprint.applyId)->isEnabled());
    EXPECT_FALSE(screen->Control(blueprint.saveId)->isEnabled());

    Press(*screen, blueprint.readId);
    EXPECT_EQ(messages.Texts(), QStringList{Message("ReadPrinterSuccess")});
    EXPECT_EQ(Field(*screen, c.lengthId)->GetValue(), c.lengthDots);
    EXPECT_FALSE(screen->ControlAs<QLabel>(blueprint.versionId)->text().isEmpty());
    EXPECT_TRUE(screen->Control(blueprint.applyId)->isEnabled());
    EXPECT_TRUE(screen->Control(blueprint.saveId)->isEnabled());

    // Apply sends what the screen shows (the settings read are kept as the backup, nothing is
    // read first), then reads it back.
    Field(*screen, c.darknessId)->SetValue(c.newDarkness);
    messages.Clear();
    world.printer.ClearLog();
    Press(*screen, blueprint.applyId);
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(messages.Texts()[0].startsWith(Message(c.applyMessage) + "\n" + Message("WriteVerified")))
        << messages.Texts()[0].toStdString();
    EXPECT_EQ(RecordField(*screen, "PrintDarkness"), c.newDarkness);
    const QByteArray expected = ApplyBytes(*screen);
    ASSERT_TRUE(world.printer.WaitForBytes(expected.size(), 5000));
    EXPECT_TRUE(world.printer.ReceivedBytes().startsWith(expected));
    EXPECT_TRUE(QFileInfo::exists(screen->Instruction().SettingsBackupFilePath()));

    // Save, change, load: the saved values come back.
    const QString path = world.env.Path("saved." + SettingsFileExtension(c.instruction));
    messages.Clear();
    {
        FileDialogAnswer answer(path);
        Press(*screen, blueprint.saveId);
        ASSERT_EQ(answer.requests.size(), 1);
        const QString pattern = "*." + SettingsFileExtension(c.instruction);
        EXPECT_EQ(answer.requests[0].kind, FileDialogRequest::Save);
        EXPECT_EQ(answer.requests[0].filter, FileFilter("text Files (" + pattern + ")", pattern));
        EXPECT_EQ(answer.requests[0].defaultSuffix, SettingsFileExtension(c.instruction));
    }
    EXPECT_EQ(messages.Texts(),
              c.instruction == INSTRUCTION_VKLA ? QStringList{} : QStringList{Message("SaveFileSuccess")});
    const QStringList saved = Shown(*screen);
    Field(*screen, c.darknessId)->SetValue(1);
    Field(*screen, c.lengthId)->SetValue(c.lengthDots + 8);
    {
        FileDialogAnswer answer(path);
        Press(*screen, blueprint.loadId);
    }
    EXPECT_EQ(Shown(*screen), saved);
    EXPECT_EQ(Field(*screen, c.darknessId)->GetValue(), c.newDarkness);

    // A read that fails shows the error and changes nothing.
    Field(*screen, c.darknessId)->SetValue(2);
    const QStringList before = Shown(*screen);
    world.printer.Stop();
    messages.Clear();
    Press(*screen, blueprint.readId);
    EXPECT_EQ(messages.Texts(), QStringList{Message("OpenPortError")});
    EXPECT_EQ(Shown(*screen), before);
    EXPECT_EQ(RecordField(*screen, "PrintDarkness"), c.newDarkness);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, PrinterSetContract,
    ::testing::Values(LanguageCase{INSTRUCTION_VKLZ, 1015, 7, 0x47, 812, 1568, 812, "ApplayEffective"},
                      LanguageCase{INSTRUCTION_VKLE, 1017, 9, 0x5A, 812, 1547, 812, "ApplayEffective"},
                      LanguageCase{INSTRUCTION_VKLT, 1016, 6, 0x5A, 812, 1609, 812, "ApplayEffective"},
                      LanguageCase{INSTRUCTION_VKLA, 1528, 22, 0x00, 812, 1525, 812, "RebootEffective"},
                      LanguageCase{INSTRUCTION_VKLC, 1015, 12, 0x47, 150, 1014, 150, "ApplayEffective"}),
    [](const auto& info) { return InstructionName(info.param.instruction).toStdString(); });

TEST(PrinterSetScreen, UnitsConvertEveryLengthAndComeBackExact) {
    TempEnvironment env;
    auto z = MakeScreen(INSTRUCTION_VKLZ);
    auto* unit = List(*z, 1564);
    auto* height = Field(*z, 1567);
    ASSERT_EQ(unit->currentIndex(), 0);
    EXPECT_EQ(height->text(), "800");
    unit->setCurrentIndex(2);
    EXPECT_EQ(height->text(), "100.099");
    EXPECT_EQ(Field(*z, 1568)->text(), "100.099");
    EXPECT_EQ(Field(*z, 1015)->text(), "13") << "darkness is never converted";
    unit->setCurrentIndex(1);
    EXPECT_EQ(height->text(), "3.941");
    unit->setCurrentIndex(0);
    EXPECT_EQ(height->text(), "800");
    EXPECT_EQ(height->GetValue(), 800);

    // VKLA lists the units the other way round: position 0 is millimetres, 2 dots.
    auto a = MakeScreen(INSTRUCTION_VKLA);
    auto* aUnit = List(*a, 1521);
    aUnit->setCurrentIndex(0);
    EXPECT_EQ(Field(*a, 1525)->GetUnit(), CPaperNumber::Millimetres);
    EXPECT_EQ(Field(*a, 1525)->text(), "50.049");
    aUnit->setCurrentIndex(2);
    EXPECT_EQ(Field(*a, 1525)->GetUnit(), CPaperNumber::Dots);
    EXPECT_EQ(Field(*a, 1525)->text(), "400");
}

TEST(PrinterSetScreen, VklaShowsOffsetsSignedSpeedsAsPositionsAndTheRecordsUnit) {
    PrinterWorld world(INSTRUCTION_VKLA);
    world.printer.SetEepromWord(0x18, 65531); // tear-off -5
    world.printer.SetEepromWord(0x1B, 55537); // vertical -9999
    world.printer.SetEepromWord(0x1C, 55536); // horizontal: not a negative number
    world.printer.SetEepromWord(0x0F, 'E');
    world.printer.SetEepromWord(0x1E, 2); // dots
    auto screen = MakeScreen(INSTRUCTION_VKLA);
    CMessageCapture messages;
    Press(*screen, 1532);
    EXPECT_EQ(List(*screen, 1521)->currentIndex(), 2);
    EXPECT_EQ(Field(*screen, 1529)->text(), "-5");
    EXPECT_EQ(Field(*screen, 1531)->GetValue(), -9999);
    EXPECT_EQ(Field(*screen, 1530)->GetValue(), 55536);
    EXPECT_EQ(List(*screen, 1010)->currentIndex(), 2);
    EXPECT_FALSE(Field(*screen, 1526)->isEnabled()) << "the gap is never edited here";

    List(*screen, 1010)->setCurrentIndex(9);
    world.printer.ClearLog();
    Press(*screen, 1533);
    ASSERT_TRUE(world.printer.WaitForBytes(ApplyBytes(*screen).size(), 5000));
    const QByteArray log = world.printer.ReceivedBytes();
    EXPECT_TRUE(log.contains(VklaMaskedWriteCommand("0F", 0xFFFF, 'L'))) << log.toStdString();
    EXPECT_TRUE(log.contains(VklaMaskedWriteCommand("18", 0xFFFF, 65531))) << "-5 goes out as fffb";
}

TEST(PrinterSetScreen, PaperTypeDecidesWhichLengthsCanBeEdited) {
    TempEnvironment env;
    auto z = MakeScreen(INSTRUCTION_VKLZ);
    for (const int position : {1, 2, 0}) {
        List(*z, 1566)->setCurrentIndex(position);
        EXPECT_EQ(Field(*z, 1567)->isEnabled(), position == 0) << position;
    }
    auto t = MakeScreen(INSTRUCTION_VKLT);
    EXPECT_TRUE(Field(*t, 1015)->isEnabled());
    List(*t, 1607)->setCurrentIndex(0);
    EXPECT_TRUE(Field(*t, 1608)->isEnabled());
    EXPECT_FALSE(Field(*t, 1015)->isEnabled()) << "a paper type change disables the gap";
    auto e = MakeScreen(INSTRUCTION_VKLE);
    EXPECT_FALSE(Field(*e, 1548)->isEnabled());
}

TEST(PrinterSetScreen, VkleGapRangeFollowsTheResolution) {
    PrinterWorld world(INSTRUCTION_VKLE);
    world.printer.SetEepromWord(0x18, 12); // 300 dpi
    world.printer.SetEepromWord(0x21, 16);
    auto screen = MakeScreen(INSTRUCTION_VKLE);
    CMessageCapture messages;
    Press(*screen, 1539);
    const CPaperNumber& gap = Field(*screen, 1548)->Number();
    EXPECT_EQ(gap.Value(), 16);
    EXPECT_EQ(gap.Minimum(), 18) << "16 lies below the range at 300 dpi";
    EXPECT_EQ(gap.Resolution(), 300);
    EXPECT_EQ(Field(*screen, 1546)->Number().Maximum(), 65535);
}

TEST(PrinterSetScreen, ClockChoiceIsSentAndSavedWithoutItsText) {
    TempEnvironment env;
    auto z = MakeScreen(INSTRUCTION_VKLZ);
    auto* check = z->ControlAs<QCheckBox>(1035);
    auto* now = z->ControlAs<QRadioButton>(1192);
    auto* setTo = z->ControlAs<QRadioButton>(1193);
    auto* field = z->ControlAs<CDateTimeEdit>(1191);
    EXPECT_FALSE(now->isEnabled());
    EXPECT_FALSE(field->isEnabled());
    check->setChecked(true);
    EXPECT_TRUE(now->isEnabled() && now->isChecked());
    EXPECT_FALSE(field->isEnabled());
    setTo->setChecked(true);
    EXPECT_TRUE(field->isEnabled());
    now->setChecked(true);
    EXPECT_FALSE(field->isEnabled());

    // Save needs a filled screen: load a file first.
    const QString empty = env.Path("empty.VKLZSET");
    WriteFileBytes(empty, "[First]\r\nPaperWidth=800\r\n");
    CMessageCapture messages;
    {
        FileDialogAnswer answer(empty);
        z->OnLoadFile();
    }
    check->setChecked(true);
    const QString path = env.Path("clock.VKLZSET");
    {
        FileDialogAnswer answer(path);
        z->OnSaveFile();
    }
    const auto record = std::get<VKLZSettings>(z->Instruction().GetSettingsRecord());
    EXPECT_TRUE(
        QRegularExpression(R"(^\d\d,\d\d,\d{4},\d\d,\d\d,\d\d,M$)").match(record.ClockText).hasMatch())
        << record.ClockText.toStdString();
    const QByteArray file = ReadFileBytes(path);
    EXPECT_TRUE(file.contains("SetClock=1\r\n"));
    EXPECT_TRUE(file.contains("SetClockMethod=0\r\n"));
    EXPECT_FALSE(file.contains(record.ClockText.toLatin1()));

    // The time field is the source for "Set the clock to:"; VKLE adds no suffix.
    auto e = MakeScreen(INSTRUCTION_VKLE);
    WriteFileBytes(empty, "[First]\r\nSetClock=1\r\nSetClockMethod=1\r\n");
    {
        FileDialogAnswer answer(empty);
        e->OnLoadFile();
    }
    EXPECT_TRUE(e->ControlAs<QCheckBox>(1536)->isChecked());
    EXPECT_TRUE(e->ControlAs<QRadioButton>(1538)->isChecked());
    EXPECT_TRUE(e->Control(1552)->isEnabled());
    e->ControlAs<CDateTimeEdit>(1552)->SetDateTimeText("2015-03-07 14:05:09");
    {
        FileDialogAnswer answer(env.Path("e.VKLESET"));
        e->OnSaveFile();
    }
    const auto vkle = std::get<VKLESettings>(e->Instruction().GetSettingsRecord());
    EXPECT_EQ(vkle.ClockText, "03,07,2015,14,05,09");
    EXPECT_EQ(vkle.SetClockMethod, 1) << "a saved choice loads back as it was";
    EXPECT_EQ(vkle.BitData, 8);
}

TEST(PrinterSetScreen, SavingWritesAValidResolution) {
    TempEnvironment env;
    auto screen = MakeScreen(INSTRUCTION_VKLZ);
    const QString path = env.Path("dpi.VKLZSET");
    WriteFileBytes(path, "[First]\r\nDPI=600\r\n");
    {
        FileDialogAnswer answer(path);
        screen->OnLoadFile();
    }
    auto& vklz = static_cast<CVKLZPrinterSetDlg&>(*screen).Typed();
    VKLZSettings record = vklz.GetSettings();
    record.DPI = 250;
    vklz.SetSettings(record);
    CMessageCapture messages;
    {
        FileDialogAnswer answer(path);
        screen->OnSaveFile();
    }
    EXPECT_TRUE(ReadFileBytes(path).contains("DPI=203\r\n"));
}

TEST(PrinterSetScreen, AListWithoutAPositionKeepsTheValueItStandsFor) {
    // A printer may hold a value its list has no place for: the screen keeps it. (A file holding
    // one is clamped when it loads, as every value outside what the screen allows.)
    PrinterWorld world(INSTRUCTION_VKLT);
    world.printer.SetEepromWord(0x1C, 0x0027); // paper type 7, output mode 2
    auto screen = MakeScreen(INSTRUCTION_VKLT);
    const QString path = world.env.Path("odd.VKLTSET");
    CMessageCapture messages;
    Press(*screen, 1031);
    EXPECT_EQ(List(*screen, 1607)->currentIndex(), -1);
    EXPECT_EQ(List(*screen, 1028)->currentIndex(), 2);
    {
        FileDialogAnswer answer(path);
        screen->OnSaveFile();
    }
    const QByteArray file = ReadFileBytes(path);
    EXPECT_TRUE(file.contains("PaperType=7\r\n")) << file.toStdString();
    EXPECT_TRUE(file.contains("OutPaperType=2\r\n"));
}

TEST(PrinterSetScreen, AFileThatCannotBeOpenedIsReportedAndEnablesNothing) {
    TempEnvironment env;
    auto screen = MakeScreen(INSTRUCTION_VKLC);
    const QStringList before = Shown(*screen);
    CMessageCapture messages;
    {
        FileDialogAnswer answer(env.Path("missing/none.VKLCSET"));
        screen->OnLoadFile();
    }
    EXPECT_EQ(messages.Texts(), QStringList{Message("ReadPrinterFail")});
    EXPECT_EQ(Shown(*screen), before);
    EXPECT_FALSE(screen->Control(1586)->isEnabled());

    // A cancelled dialog does nothing at all.
    messages.Clear();
    {
        FileDialogAnswer answer({});
        screen->OnLoadFile();
    }
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST(PrinterSetScreen, SaveFailureIsReported) {
    TempEnvironment env;
    auto screen = MakeScreen(INSTRUCTION_VKLA);
    const QString path = env.Path("a.VKLASET");
    WriteFileBytes(path, "[First]\r\nPaperHeight=400\r\nGapHeight=20\r\nPrintSpeed=70\r\n");
    {
        FileDialogAnswer answer(path);
        screen->OnLoadFile();
    }
    CMessageCapture messages;
    {
        FileDialogAnswer answer(env.Path("no/such/folder/a.VKLASET"));
        screen->OnSaveFile();
    }
    EXPECT_EQ(messages.Texts(), QStringList{Message("SaveFileFail")});
}

TEST(PrinterSetScreen, ASlowPrinterLeavesTheWindowResponsiveAndRefusesASecondPress) {
    PrinterWorld world(INSTRUCTION_VKLZ);
    world.printer.SetFaults({.replyDelayMs = 15});
    auto screen = MakeScreen(INSTRUCTION_VKLZ);
    screen->show();
    CMessageCapture messages;
    auto* read = screen->ControlAs<QPushButton>(1574);
    read->click();
    ASSERT_TRUE(screen->IsBusy());
    EXPECT_FALSE(read->isEnabled());
    EXPECT_FALSE(screen->Control(1577)->isEnabled());
    EXPECT_TRUE(screen->findChild<QProgressBar*>()->isVisible());
    screen->OnReadSettings(); // refused while busy
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    ASSERT_TRUE(WaitUntil([&] { return !screen->IsBusy(); }, 20000));
    EXPECT_GT(ticks, 3) << "the event loop ran during the exchange";
    EXPECT_EQ(world.printer.ConnectionCount(), 1);
    EXPECT_EQ(messages.Texts(), QStringList{Message("ReadPrinterSuccess")});
    EXPECT_TRUE(read->isEnabled());
    EXPECT_FALSE(screen->findChild<QProgressBar*>()->isVisible());
}

TEST(PrinterSetScreen, ALanguageChangeKeepsWhatTheListsShow) {
    TempEnvironment env;
    auto screen = MakeScreen(INSTRUCTION_VKLE);
    List(*screen, 1550)->setCurrentIndex(4);
    List(*screen, 1023)->setCurrentIndex(13);
    List(*screen, 1543)->setCurrentIndex(2);
    screen->ApplyLanguage(LANGUAGE_SIMPLIFIED_CHINESE);
    EXPECT_EQ(List(*screen, 1550)->currentIndex(), 4);
    EXPECT_EQ(List(*screen, 1550)->currentText(), "6 英寸/秒");
    EXPECT_EQ(List(*screen, 1023)->currentText(), "Latin 1(1252)");
    EXPECT_EQ(Field(*screen, 1546)->GetUnit(), CPaperNumber::Millimetres);
}

} // namespace
