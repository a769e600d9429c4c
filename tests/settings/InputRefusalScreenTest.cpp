// What the print-settings screens refuse or clamp before anything can reach a printer.
#include "app/LanguageTexts.h"
#include "app/ui/Messages.h"
#include "app/ui/PageFactory.h"
#include "controls/PaperNunberEditEx.h"
#include "port/PortAbilities.h"
#include "settings/SettingsRanges.h"
#include "settings/SettingsScreenRules.h"
#include "settings/ui/PrinterSetDlgs.h"
#include "support/BadInputFiles.h"
#include "support/ScreenFixture.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>

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

QStringList Shown(const CPrinterSetScreen& screen) {
    QStringList shown;
    for (const int id : screen.ControlIds()) {
        QWidget* w = screen.Control(id);
        if (auto* list = qobject_cast<QComboBox*>(w))
            shown << QStringLiteral("%1=#%2").arg(id).arg(list->currentIndex());
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            shown << QStringLiteral("%1=%2").arg(id).arg(edit->text());
        shown << QStringLiteral("%1:%2").arg(id).arg(w->isEnabled());
    }
    return shown;
}

int Field(const SettingsRecord& record, const QString& key) {
    for (const auto& [name, value] : SettingsFields(record)) {
        if (name == key)
            return value.toInt();
    }
    return 0;
}

class ScreenRefusal : public ::testing::TestWithParam<int> {
protected:
    int language = GetParam();
    PrinterWorld world{language};
    std::unique_ptr<CPrinterSetScreen> screen = MakeScreen(language);

    void Load(const QString& path) {
        FileDialogAnswer answer(path);
        screen->OnLoadFile();
    }
};

std::string Name(const ::testing::TestParamInfo<int>& info) {
    return InstructionName(info.param).toStdString();
}

} // namespace

TEST_P(ScreenRefusal, FilesThatAreNoSettingsFileAreRefusedNamingThemAndChangeNothing) {
    QByteArray random(2000, '\0');
    QRandomGenerator(11).fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    std::vector<BadInputFile> files = RefusedInputFiles(world.env.Root(), InputFileKind::SettingsFile);
    for (const auto& [name, bytes] : std::vector<std::pair<QString, QByteArray>>{
             {"no-section.set", "[Settings]\r\nPrintDarkness=5\r\n"},
             {"no-key.set", "[First]\r\nColour=blue\r\n"},
             {"damaged.set", QByteArray("[First]\r\nPrintDarkness=5\0\0\x02\r\n", 29)},
             {"random.set", random}}) {
        WriteFileBytes(world.env.Path(name), bytes);
        files.push_back({name.toStdString(), world.env.Path(name)});
    }
    const QStringList before = Shown(*screen);
    const auto record = SettingsFields(screen->Instruction().GetSettingsRecord());
    CMessageCapture messages;
    for (const BadInputFile& bad : files) {
        const QByteArray content = QFileInfo(bad.path).isFile() ? ReadFileBytes(bad.path) : QByteArray();
        messages.Clear();
        Load(bad.path);
        ASSERT_EQ(messages.Texts().size(), 1) << bad.what;
        EXPECT_TRUE(messages.Texts()[0].contains(bad.path)) << messages.Texts()[0].toStdString();
        EXPECT_EQ(messages.Messages()[0].icon, MessageIcon::Warning);
        EXPECT_EQ(Shown(*screen), before) << bad.what;
        if (!content.isEmpty()) {
            EXPECT_EQ(ReadFileBytes(bad.path), content) << bad.what;
        }
    }
    EXPECT_FALSE(screen->Control(screen->Blueprint().applyId)->isEnabled());
    EXPECT_EQ(SettingsFields(screen->Instruction().GetSettingsRecord()), record);
    EXPECT_EQ(world.printer.ConnectionCount(), 0);
}

TEST_P(ScreenRefusal, ValuesOutsideTheRangesAreClampedAndListed) {
    for (const bool above : {true, false}) {
        // Every ranged field of the language just outside its range, in one file.
        QByteArray text = "[First]\r\nDPI=203\r\n";
        for (const SettingRange& range : SettingRanges(language)) {
            const SettingLimits limits = RangeLimits(range, 203);
            text += QByteArray(range.key) + '=' +
                    QByteArray::number(above ? limits.maximum + 1 : limits.minimum - 1) + "\r\n";
        }
        const QString path = world.env.Path("outside.set");
        WriteFileBytes(path, text);
        SettingsRecord loaded = MakeSettingsRecord(language);
        ASSERT_TRUE(LoadSettingsRecord(loaded, path));
        const std::vector<SettingViolation> expected = FindRangeViolations(loaded);
        ASSERT_FALSE(expected.empty());

        CMessageCapture messages;
        Load(path);
        ASSERT_EQ(messages.Texts().size(), 1);
        const QString message = messages.Texts()[0];
        EXPECT_TRUE(message.contains(path));
        for (const SettingViolation& v : expected) {
            EXPECT_TRUE(
                message.contains(QStringLiteral("%1: %2 became %3").arg(v.key).arg(v.shown).arg(v.clamped)))
                << message.toStdString();
        }
        EXPECT_TRUE(screen->Control(screen->Blueprint().applyId)->isEnabled());

        // What Apply sends is the clamped values, nothing outside the table.
        messages.Clear();
        world.printer.ClearLog();
        screen->ControlAs<QPushButton>(screen->Blueprint().applyId)->click();
        ASSERT_TRUE(WaitUntil([&] { return !screen->IsBusy(); }));
        const SettingsRecord applied = screen->Instruction().GetSettingsRecord();
        EXPECT_TRUE(FindRangeViolations(applied).empty());
        for (const SettingViolation& v : expected) {
            if (v.key != "Unit") {
                EXPECT_EQ(RangeValue(*FindSettingRange(language, v.key), Field(applied, v.key)), v.clamped)
                    << v.key.toStdString();
            }
        }
        EXPECT_TRUE(world.printer.WaitForBytes(1, 5000));
    }
}

TEST_P(ScreenRefusal, ReadOnAPortThatOnlySendsIsRefusedInEveryLanguage) {
    tagPORTINFO queue = MakePortInfo(PORT_DRIVER);
    SetPortText(queue.driverName, "Quillory");
    tagPORTINFO parallel = MakePortInfo(PORT_LPT);
    SetPortText(parallel.lptName, "LPT1");
    const QStringList before = Shown(*screen);
    CMessageCapture messages;
    for (const tagPORTINFO& port : {queue, parallel}) {
        WritePortInfo(port);
        for (int ui = 0; ui < 3; ++ui) {
            WriteLanguage(ui);
            messages.Clear();
            screen->OnReadSettings();
            EXPECT_FALSE(screen->IsBusy());
            ASSERT_EQ(messages.Texts(), QStringList{PortCannotReadText(port, ui)});
            EXPECT_TRUE(messages.Texts()[0].contains(PortAddressText(port)));
        }
    }
    EXPECT_EQ(Shown(*screen), before);
    EXPECT_FALSE(screen->Control(screen->Blueprint().applyId)->isEnabled());
}

TEST_P(ScreenRefusal, EveryListOffersExactlyThePositionsTheRangeTableAllows) {
    for (int ui = 0; ui < 3; ++ui) {
        screen->ApplyLanguage(ui);
        for (const SettingControl& control : screen->Controls()) {
            const auto* list = screen->ControlAs<QComboBox>(control.id);
            if (!list)
                continue;
            const SettingRange* range = FindSettingRange(language, control.key);
            ASSERT_TRUE(range) << control.key;
            const int positions = (control.flags & kVklaSpeed) ? kVklaSpeedPositions : list->count();
            EXPECT_EQ(list->count(), positions);
            EXPECT_EQ(range->maximum - range->minimum + 1, positions) << control.key << " language " << ui;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, ScreenRefusal, ::testing::Values(0, 1, 2, 3, 4), Name);
