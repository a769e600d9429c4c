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
