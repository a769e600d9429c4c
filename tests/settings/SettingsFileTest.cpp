#include "instruction/InstructionProtocol.h"
#include "settings/PrintSettings.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

QByteArray ExpectedFile(const std::vector<std::pair<const char*, int>>& keys) {
    QByteArray text = "[First]\r\n";
    for (const auto& [key, value] : keys)
        text += QByteArray(key) + '=' + QByteArray::number(value) + "\r\n";
    return text;
}

} // namespace

TEST(SettingsFile, EveryLanguageWritesItsKeysInItsOrder) {
    TempEnvironment env;
    const QString path = env.Path("s.set");

    VKLASettings a;
    a.Unit = 0;
    a.PrintSpeed = 69;
    a.TearPaperPosition = 65531;
    a.FirmwareVersion = "FV never stored";
    ASSERT_TRUE(SaveSettingsRecord(a, path));
    EXPECT_EQ(ReadFileBytes(path), ExpectedFile({{"Unit", 0},
                                                 {"DPI", 203},
                                                 {"PrintType", 0},
                                                 {"PaperType", 0},
                                                 {"PaperHeight", 0},
                                                 {"GapHeight", 0},
                                                 {"PrintDarkness", 0},
                                                 {"PrintSpeed", 69},
                                                 {"OutPaperType", 0},
                                                 {"PrintAffterError", 0},
                                                 {"CheckPaperType", 0},
                                                 {"HoriPrintPositionOffset", 0},
                                                 {"TearPaperPosition", 65531},
                                                 {"VertPrintPositionOffset", 0}}));

    VKLCSettings c;
    c.Unit = 2;
    c.PaperHeight = 400;
    ASSERT_TRUE(SaveSettingsRecord(c, path));
    EXPECT_EQ(ReadFileBytes(path), ExpectedFile({{"DPI", 203},
                                                 {"PaperHeight", 400},
                                                 {"PaperType", 0},
                                                 {"PaperWidth", 0},
                                                 {"PrintDarkness", 0},
                                                 {"PrintSpeed", 0}}));

    const std::pair<int, int> keyCounts[] = {{0, 16}, {1, 15}, {2, 17}, {3, 14}, {4, 6}};
    for (const auto& [language, count] : keyCounts) {
        ASSERT_TRUE(SaveSettingsRecord(MakeSettingsRecord(language), path));
        EXPECT_EQ(ReadFileBytes(path).count("\r\n"), count + 1) << language;
    }
    EXPECT_EQ(SettingsFileKeys(0).front(), std::string_view("Unit"));
    EXPECT_EQ(SettingsFileKeys(2).back(), std::string_view("VertPrintPositionOffset"));
}

TEST(SettingsFile, ClockFieldsAreStoredButNotTheClockText) {
    TempEnvironment env;
    VKLZSettings z;
    z.SetClock = 1;
    z.SetClockMethod = 0;
    z.ClockText = "12,31,2026,23,59,59,M";
    ASSERT_TRUE(SaveSettingsRecord(z, env.Path("z.set")));
    const QByteArray bytes = ReadFileBytes(env.Path("z.set"));
    EXPECT_TRUE(bytes.contains("SetClock=1\r\nSetClockMethod=0\r\n"));
    EXPECT_FALSE(bytes.contains("2026"));
}

TEST(SettingsFile, LoadingAppliesDefaultsAndTheDpiAndUnitRules) {
    TempEnvironment env;
    const QString path = env.Path("in.set");
    WriteFileBytes(path, "[First]\r\nDPI=250\r\nUnit=2\r\nPaperHeight=12abc\r\nPaperWidth=abc\r\n"
                         "TearPaperPosition=-15\r\n");
    SettingsRecord z = VKLZSettings{};
    std::get<VKLZSettings>(z).ClockText = "kept";
    std::get<VKLZSettings>(z).PrintSpeed = 4;
    ASSERT_TRUE(LoadSettingsRecord(z, path));
    const VKLZSettings& zs = std::get<VKLZSettings>(z);
    EXPECT_EQ(zs.DPI, 203);
    EXPECT_EQ(zs.Unit, 0); // VKLZ ignores the stored unit
    EXPECT_EQ(zs.PaperHeight, 12);
    EXPECT_EQ(zs.PaperWidth, 0);
    EXPECT_EQ(zs.TearPaperPosition, -15);
    EXPECT_EQ(zs.PrintSpeed, 0); // missing key: default 0
    EXPECT_EQ(zs.ClockText, "kept");

    SettingsRecord t = VKLTSettings{};
    ASSERT_TRUE(LoadSettingsRecord(t, path));
    EXPECT_EQ(std::get<VKLTSettings>(t).Unit, 2); // VKLT reads it

    WriteFileBytes(path, "[First]\r\nDPI=600\r\n");
    SettingsRecord a = VKLASettings{};
    ASSERT_TRUE(LoadSettingsRecord(a, path));
    EXPECT_EQ(std::get<VKLASettings>(a).DPI, 600);

    // Without a DPI key, VKLA and VKLE default to "0" (then 203 as invalid), the others to "203".
    WriteFileBytes(path, "[First]\r\nPaperHeight=300\r\n[Other]\r\nDPI=300\r\n");
    for (int language = 0; language < 5; ++language) {
        SettingsRecord r = MakeSettingsRecord(language);
        ASSERT_TRUE(LoadSettingsRecord(r, path));
        EXPECT_EQ(SettingsFields(r)[language == 1 ? 1 : 2].second.toInt(), 203) << language;
    }
    // Without the section nothing loads (it would load as all defaults).
    WriteFileBytes(path, "[Other]\r\nDPI=300\r\n");
    for (int language = 0; language < 5; ++language) {
        SettingsRecord r = MakeSettingsRecord(language);
        EXPECT_FALSE(LoadSettingsRecord(r, path));
    }
}

TEST(SettingsFile, VklcReadsAUnitOnlyFromAHandEditedFile) {
    TempEnvironment env;
    const QString path = env.Path("c.set");
    VKLCSettings c;
    c.Unit = 2;
    ASSERT_TRUE(SaveSettingsRecord(c, path));
    SettingsRecord r = VKLCSettings{};
    std::get<VKLCSettings>(r).Unit = 1;
    ASSERT_TRUE(LoadSettingsRecord(r, path));
    EXPECT_EQ(std::get<VKLCSettings>(r).Unit, 0);
    WriteFileBytes(path, "[First]\r\nUnit=1\r\n");
    ASSERT_TRUE(LoadSettingsRecord(r, path));
    EXPECT_EQ(std::get<VKLCSettings>(r).Unit, 1);
}

TEST(SettingsFile, SavingOverAFileLeavesOnlyTheLanguagesKeys) {
    TempEnvironment env;
    const QString path = env.Path("over.set");
    WriteFileBytes(path, "; comment\r\n[Extra]\r\nx=1\r\n[First]\r\nStray=5\r\nDPI=300\r\n");
    VKLESettings e;
    e.DPI = 300;
    ASSERT_TRUE(SaveSettingsRecord(e, path));
    const QByteArray bytes = ReadFileBytes(path);
    EXPECT_FALSE(bytes.contains("Extra"));
    EXPECT_FALSE(bytes.contains("Stray"));
    EXPECT_FALSE(bytes.contains("comment"));
    EXPECT_TRUE(bytes.startsWith("[First]\r\nUnit=0\r\nDPI=300\r\n"));
}

TEST(SettingsFile, UnreadableFilesChangeNothingAndUnwritableOnesFail) {
    TempEnvironment env;
    auto object = MakeInstruction(0);
    VKLZSettings z;
    z.PaperWidth = 123;
    object->SetSettingsRecord(z);
    EXPECT_EQ(object->LoadSettingsFile(env.Path("none.VKLZSET")), 0);
    EXPECT_EQ(std::get<VKLZSettings>(object->GetSettingsRecord()).PaperWidth, 123);
    EXPECT_EQ(object->SaveSettingsFile(env.Path("no/such/folder/x.VKLZSET")), 0);
    EXPECT_EQ(object->SaveSettingsFile(env.Path("x.VKLZSET")), 1);
    // A record of another language is refused.
    EXPECT_FALSE(object->SetSettingsRecord(VKLASettings{}));
}

TEST(SettingsFile, EveryLanguageRoundTripsItsStoredFields) {
    TempEnvironment env;
    for (int language = 0; language < 5; ++language) {
        SettingsRecord record = MakeSettingsRecord(language);
        int value = 1;
        for (const char* key : SettingsFileKeys(language)) {
            if (QByteArray(key) != "DPI" && QByteArray(key) != "Unit") {
                ASSERT_TRUE(SetSettingsField(record, key, value % 2 ? -value : value));
                ++value;
            }
        }
        SetSettingsField(record, "DPI", 300);
        const QString path = env.Path(QString("rt%1.set").arg(language));
        ASSERT_TRUE(SaveSettingsRecord(record, path));
        SettingsRecord loaded = MakeSettingsRecord(language);
        ASSERT_TRUE(LoadSettingsRecord(loaded, path));
        EXPECT_EQ(SettingsFields(loaded), SettingsFields(record)) << language;
    }
}
