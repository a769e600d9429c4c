// The language files give every print-settings list as many entries, in every language, as the
// command language has positions for.
#include "support/CollectedTexts.h"

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

struct ListSize {
    int id;
    int entries;
};

struct ScreenLists {
    const char* element;
    std::vector<ListSize> lists;
    std::vector<int> captions;
};

const ScreenLists kScreens[] = {
    {"VKLZPrinterSetDlg",
     {{1564, 3}, {1565, 2}, {1566, 3}, {1569, 2}, {1570, 5}, {1018, 4}},
     {1564, 1565, 1566, 1567, 1568, 1569, 1570, 1015, 1018, 1571, 1572, 1573, 1190}},
    {"VKLEPrinterSetDlg",
     {{1543, 3}, {1544, 2}, {1545, 3}, {1549, 2}, {1550, 5}, {1551, 4}},
     {1543, 1544, 1545, 1546, 1547, 1548, 1549, 1550, 1017, 1551, 1023, 1190}},
    {"VKLTPrinterSetDlg",
     {{1606, 3}, {1011, 2}, {1607, 3}, {1019, 2}, {1610, 5}, {1028, 4}, {1029, 2}, {1020, 2}},
     {1606, 1011, 1607, 1608, 1609, 1015, 1019, 1610, 1016, 1028, 1029, 1027, 1020, 1021, 1022, 1023, 1630}},
    {"VKLAPrinterSetDlg",
     {{1521, 3}, {1522, 2}, {1523, 3}, {1010, 10}, {1524, 4}, {1019, 2}, {1020, 4}},
     {1521, 1522, 1523, 1525, 1526, 1010, 1528, 1524, 1019, 1020, 1529, 1530, 1531, 1184}},
    {"VKLCPrinterSetDlg", {{1029, 3}, {1012, 3}, {1016, 6}}, {1029, 1012, 1030, 1014, 1016, 1015, 1631}},
};

TEST(SettingsTexts, EveryListHasThePositionsItsCommandsUse) {
    for (const ScreenLists& screen : kScreens) {
        for (int language = 0; language < 3; ++language) {
            const CollectedTexts texts = CollectShippedTexts(language, screen.element);
            for (const ListSize& list : screen.lists) {
                ASSERT_TRUE(texts.lists.count(list.id)) << screen.element << " " << list.id;
                EXPECT_EQ(texts.lists.at(list.id).size(), list.entries)
                    << screen.element << " list " << list.id << " language " << language;
            }
            for (const int id : screen.captions)
                EXPECT_TRUE(texts.texts.count(10000 + id)) << screen.element << " caption " << id;
        }
    }
}

} // namespace
