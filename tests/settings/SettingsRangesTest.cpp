// The settings range table: what the command line refuses and the screens clamp; settings files
// that are not one; the clock text.
#include "settings/SettingsRanges.h"
#include "app/AppSettings.h"
#include "settings/SettingsClock.h"
#include "support/BadInputFiles.h"
#include "support/TestEnvironment.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// A record of a language with every ranged field at its minimum.
SettingsRecord ValidRecord(int language) {
    SettingsRecord record = MakeSettingsRecord(language);
    for (const SettingRange& range : SettingRanges(language))
        SetSettingsField(record, range.key, RangeLimits(range, 203).minimum);
    return record;
}

} // namespace

TEST(SettingsRanges, EveryFieldOfEveryLanguageIsRefusedJustOutsideItsRangeAndClamped) {
    for (int language = 0; language < 5; ++language) {
        EXPECT_TRUE(FindRangeViolations(ValidRecord(language)).empty()) << language;
        for (const SettingRange& range : SettingRanges(language)) {
            const SettingLimits limits = RangeLimits(range, 203);
            for (const int edge : {limits.minimum, limits.maximum}) {
                SettingsRecord record = ValidRecord(language);
                SetSettingsField(record, range.key, edge);
                EXPECT_TRUE(FindRangeViolations(record).empty()) << range.key << " " << edge;
            }
            for (const int outside : {limits.minimum - 1, limits.maximum + 1}) {
                SettingsRecord record = ValidRecord(language);
                ASSERT_TRUE(SetSettingsField(record, range.key, outside)) << range.key;
                const std::vector<SettingViolation> found = FindRangeViolations(record);
                ASSERT_EQ(found.size(), 1u) << language << " " << range.key << " " << outside;
                EXPECT_EQ(found[0].key, range.key);
                EXPECT_EQ(found[0].value, outside);
                EXPECT_EQ(found[0].minimum, limits.minimum);
                EXPECT_EQ(found[0].maximum, limits.maximum);
                const std::vector<SettingViolation> changed = ClampToRanges(record);
                ASSERT_EQ(changed.size(), 1u);
                const int clamped = outside < limits.minimum ? limits.minimum : limits.maximum;
                EXPECT_EQ(changed[0].clamped, clamped);
                EXPECT_TRUE(FindRangeViolations(record).empty());
            }
        }
    }
}

TEST(SettingsRanges, TheRulesOfVklaOffsetsAndVkleGapsAndTheMessages) {
    SettingsRecord a = ValidRecord(INSTRUCTION_VKLA);
    SetSettingsField(a, "TearPaperPosition", 65531); // -5 as the printer reports it
    SetSettingsField(a, "PaperHeight", 70000);
    const std::vector<SettingViolation> found = FindRangeViolations(a);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].key, "PaperHeight");
    SetSettingsField(a, "VertPrintPositionOffset", 65536 - 1000);
    const SettingViolation vert = FindRangeViolations(a).at(1);
    EXPECT_EQ(vert.shown, -1000);
    EXPECT_EQ(ViolationText(vert, "a.VKLASET", LANGUAGE_ENGLISH).toStdString(),
              "a.VKLASET: VertPrintPositionOffset=64536 (-1000) lies outside the allowed range -999 to 999.");

    SettingsRecord e = ValidRecord(INSTRUCTION_VKLE);
    SetSettingsField(e, "GapHeight", 17);
    EXPECT_TRUE(FindRangeViolations(e).empty());
    SetSettingsField(e, "DPI", 300);
    EXPECT_EQ(FindRangeViolations(e).size(), 1u);

    SettingsRecord z = ValidRecord(INSTRUCTION_VKLZ);
    SetSettingsField(z, "PrintDarkness", 150);
    SetSettingsField(z, "TearPaperPosition", 1000);
    SetSettingsField(z, "PaperHeight", -5);
    const std::vector<SettingViolation> changes = ClampToRanges(z);
    EXPECT_EQ(
        ClampedLines(changes, LANGUAGE_ENGLISH).toStdString(),
        "PaperHeight: -5 became 0 (allowed: 0 to 65535)\nPrintDarkness: 150 became 30 (allowed: 0 to 30)\n"
        "TearPaperPosition: 1000 became 120 (allowed: -120 to 120)");
    for (int language = 0; language < 3; ++language)
        EXPECT_TRUE(ClampedLines(changes, language).contains("150")) << language;
}

TEST(SettingsFiles, FilesThatAreNoSettingsFileAreRefusedAndChangeNothing) {
    TempEnvironment env;
    QByteArray random(2000, '\0');
    QRandomGenerator(3).fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    const struct {
        const char* name;
        QByteArray bytes;
        SettingsFileContent content;
    } cases[] = {
        {"no-section.set", "[Other]\r\nPaperHeight=300\r\n", SettingsFileContent::NoSection},
        {"empty.set", {}, SettingsFileContent::NoSection},
        {"no-key.set", "[First]\r\nSomething=1\r\n", SettingsFileContent::NoKnownKey},
        {"damaged.set", QByteArray("[First]\r\nPaperHeight=3\0\0\0\x01\r\n", 28),
         SettingsFileContent::Damaged},
        {"random.set", random, SettingsFileContent::Damaged},
    };
    for (int language = 0; language < 5; ++language) {
        SettingsRecord record = MakeSettingsRecord(language);
        SetSettingsField(record, "PrintDarkness", 7);
        const auto before = SettingsFields(record);
        for (const auto& c : cases) {
            const QString path = env.Path(c.name);
            WriteFileBytes(path, c.bytes);
            const SettingsFileVerdict verdict = CheckSettingsFile(path, language);
            EXPECT_EQ(verdict.content, c.content) << c.name;
            EXPECT_FALSE(LoadSettingsRecord(record, path)) << c.name;
            EXPECT_TRUE(SettingsFileVerdictText(verdict, path, language, LANGUAGE_ENGLISH).contains(path));
        }
        for (const BadInputFile& bad : RefusedInputFiles(env.Root(), InputFileKind::SettingsFile)) {
            EXPECT_FALSE(CheckSettingsFile(bad.path, language).Ok()) << bad.what;
            EXPECT_FALSE(LoadSettingsRecord(record, bad.path)) << bad.what;
        }
        EXPECT_EQ(SettingsFields(record), before);

        // A file of the program, and one of another language through the keys both share.
        ASSERT_TRUE(SaveSettingsRecord(record, env.Path("own.set")));
        EXPECT_EQ(CheckSettingsFile(env.Path("own.set"), language).keys.size(),
                  SettingsFileKeys(language).size() - (language == 0 || language == 1 ? 1 : 0));
        ASSERT_TRUE(SaveSettingsRecord(MakeSettingsRecord((language + 1) % 5), env.Path("other.set")));
        EXPECT_TRUE(LoadSettingsRecord(record, env.Path("other.set"))) << language;
    }
}

TEST(SettingsClock, BothMethodsGiveTheLanguagesClockText) {
    const QDateTime time(QDate(2026, 3, 7), QTime(14, 5, 9));
    SettingsRecord z = VKLZSettings{};
    FillClockText(z, time);
    EXPECT_EQ(std::get<VKLZSettings>(z).ClockText, ""); // no clock set, no text
    std::get<VKLZSettings>(z).SetClock = 1;
    FillClockText(z, time);
    EXPECT_EQ(std::get<VKLZSettings>(z).ClockText, "03,07,2026,14,05,09,M");
    SettingsRecord e = VKLESettings{};
    ASSERT_TRUE(SetClockTo(e, time));
    EXPECT_EQ(std::get<VKLESettings>(e).ClockText, "03,07,2026,14,05,09");
    EXPECT_EQ(std::get<VKLESettings>(e).SetClockMethod, 1);
    SettingsRecord a = VKLASettings{};
    EXPECT_FALSE(SetClockTo(a, time));
    EXPECT_FALSE(HasClock(INSTRUCTION_VKLT));

    EXPECT_EQ(ParseClockOption("2026-03-07 14:05:09"), time);
    for (const char* bad : {"", "2026-02-30 10:00:00", "2026-3-7 14:05:09", "2026-03-07 24:00:00",
                            "2026-03-07T14:05:09", "2026-03-07 14:05:09x", "07.03.2026 14:05:09"})
        EXPECT_FALSE(ParseClockOption(bad)) << bad;
}
