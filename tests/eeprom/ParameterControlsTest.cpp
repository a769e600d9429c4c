#include "eeprom/ParameterControls.h"
#include "eeprom/ParameterTables.h"
#include "support/CollectedTexts.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace quillory;
using namespace quillory::test;

namespace {

constexpr int kLanguages[] = {0, 1, 2, 3, 4};

TEST(ParameterControls, EveryEntryHasOneControlOnOnePage) {
    for (const int language : kLanguages) {
        const auto rows = EepromControls(language);
        ASSERT_EQ(int(rows.size()), ParameterCount(language)) << language;
        std::map<int, std::set<int>> idsByPage;
        for (const EepromControlRow& row : rows) {
            EXPECT_GE(row.page, 1);
            EXPECT_LE(row.page, EepromPageCount(language));
            EXPECT_TRUE(idsByPage[row.page].insert(row.id).second)
                << "language " << language << " page " << int(row.page) << " id " << row.id;
            if (row.kind == EepromControlKind::Number) {
                EXPECT_TRUE(row.initial >= row.minimum && row.initial <= row.maximum) << int(row.entry);
            }
        }
        EXPECT_EQ(int(idsByPage.size()), EepromPageCount(language));
    }
}

TEST(ParameterControls, ConversionsBetweenPositionsAndValues) {
    using C = EepromConversion;
    EXPECT_EQ(EepromValueOfPosition(C::PlusOne, 0), 1);
    EXPECT_EQ(EepromPositionOfValue(C::PlusOne, 3), 2);
    EXPECT_EQ(EepromValueOfPosition(C::VklaParity, 0), 0);
    EXPECT_EQ(EepromValueOfPosition(C::VklaParity, 1), 2);
    EXPECT_EQ(EepromPositionOfValue(C::VklaParity, 0), 0);
    EXPECT_EQ(EepromPositionOfValue(C::VklaParity, 3), 2);
    EXPECT_EQ(EepromValueOfPosition(C::PlusSeven, 1), 8);
    EXPECT_EQ(EepromPositionOfValue(C::PlusSeven, 7), 0);
    EXPECT_EQ(EepromPositionOfValue(C::PlusSeven, 0), -7) << "no position: the caller shows none";
    EXPECT_EQ(EepromControls(3)[30].conversion, C::PlusOne);
    EXPECT_EQ(EepromControls(3)[33].conversion, C::VklaParity);
    EXPECT_EQ(EepromControls(1)[34].conversion, C::PlusSeven);
}

TEST(ParameterControls, WrittenEntriesAndAddressTips) {
    for (const int language : {0, 2, 4}) {
        EXPECT_FALSE(EepromEntryWritten(language, 20));
        EXPECT_TRUE(EepromEntryWritten(language, 21));
    }
    EXPECT_FALSE(EepromEntryWritten(1, 21));
    EXPECT_TRUE(EepromEntryWritten(3, 51));
    EXPECT_EQ(EepromAddressTip(0, 5), "0x1E");
    EXPECT_EQ(EepromAddressTip(2, 11), "0x83");
    EXPECT_EQ(EepromAddressTip(3, 51), "");
    EXPECT_EQ(EepromControls(2)[9].minimum, -120);
    EXPECT_EQ(EepromControls(0)[9].minimum, 0);
}

CollectedTexts Collect(int languageIndex, const char* element) {
    return CollectShippedTexts(languageIndex, element);
}

// Every language file offers every caption and the same number of entries per list, so that a
// position means the same thing whatever the language.
TEST(ParameterControls, LanguageFilesCarryEveryPageInEveryLanguage) {
    const char* const pages[5][3] = {{"VKLZEEPOneDlg", "VKLZEEPTwoDlg", nullptr},
                                     {"VKLEEEPOneDlg", "VKLEEEPTwoDlg", nullptr},
                                     {"VKLTEEPOneDlg", "VKLTEEPTwoDlg", nullptr},
                                     {"VKLAEEPOneDlg", "VKLAEEPTwoDlg", "VKLAEEPThreeDlg"},
                                     {"VKLCEEPOneDlg", "VKLCEEPTwoDlg", nullptr}};
    const char* const screens[5] = {"VKLZEEPDlg", "VKLEEEPDlg", "VKLTEEPDlg", "VKLAEEPDlg", "VKLCEEPDlg"};
    for (const int language : kLanguages) {
        for (int l = 0; l < 3; ++l)
            EXPECT_EQ(Collect(l, screens[language]).tabs[1072], EepromPageCount(language))
                << screens[language];
        for (int page = 1; page <= EepromPageCount(language); ++page) {
            const char* element = pages[language][page - 1];
            const CollectedTexts english = Collect(2, element);
            for (int l = 0; l < 3; ++l) {
                const CollectedTexts texts = Collect(l, element);
                for (const EepromControlRow& row : EepromControls(language)) {
                    if (row.page != page)
                        continue;
                    EXPECT_TRUE(texts.texts.count(10000 + row.id)) << element << " caption " << row.id;
                    const bool fromFile =
                        row.kind == EepromControlKind::List && row.fixedList == EepromFixedList::None;
                    ASSERT_EQ(texts.lists.count(row.id), fromFile ? 1u : 0u) << element << " list " << row.id;
                    if (fromFile) {
                        EXPECT_GE(texts.lists.at(row.id).size(), 2) << element << " " << row.id;
                        EXPECT_EQ(texts.lists.at(row.id).size(), english.lists.at(row.id).size())
                            << element << " " << row.id << " in language " << l;
                    }
                }
            }
        }
    }
}

} // namespace
