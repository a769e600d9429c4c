// EEPROM pages and screens without a printer: what the controls show and accept.
#include "EepromScreenTestSupport.h"

#include "controls/TooptipStatic.h"

using namespace quillory;
using namespace quillory::test;

namespace {

QString Tip(const CEepromScreen& screen, int entry) {
    CEepromPage* page = screen.PageOf(entry);
    auto* caption =
        page->ControlAs<CTooptipStatic>(kEepromCaptionOffset + Row(page->Instruction(), entry).id);
    return caption ? caption->TooltipText() : QStringLiteral("<none>");
}

TEST(EepromPage, CaptionsExplainTheirWordAddress) {
    TempEnvironment env;
    auto z = MakeEepromScreen(INSTRUCTION_VKLZ);
    EXPECT_EQ(Tip(*z, 3), "0x1B");
    EXPECT_EQ(Tip(*z, 29), "0x2B");
    EXPECT_EQ(Tip(*z, 10), "");
    auto t = MakeEepromScreen(INSTRUCTION_VKLT);
    EXPECT_EQ(Tip(*t, 10), "0x5C");
    EXPECT_EQ(Tip(*t, 11), "0x83");
    auto a = MakeEepromScreen(INSTRUCTION_VKLA);
    EXPECT_EQ(Tip(*a, 0), "0x1E");
    EXPECT_EQ(Tip(*a, 38), "0x5C");
}

TEST(EepromPage, PagesAndTheirOwnControls) {
    TempEnvironment env;
    auto a = MakeEepromScreen(INSTRUCTION_VKLA);
    ASSERT_EQ(a->Tabs()->count(), 3);
    EXPECT_EQ(a->PageOf(18)->PageNumber(), 2);
    EXPECT_EQ(a->PageOf(20)->PageNumber(), 1);
    EXPECT_TRUE(Number(*a, 79)->isReadOnly());
    QWidget* hidden = a->PageOf(54)->Control(kVklaHiddenFieldId);
    ASSERT_TRUE(hidden);
    EXPECT_TRUE(hidden->isHidden());
    auto z = MakeEepromScreen(INSTRUCTION_VKLZ);
    EXPECT_EQ(Number(*z, 4)->text(), "0448");
    EXPECT_EQ(List(*z, 24)->itemText(10), "115200") << "the baud rates are the page's own";
}

TEST(EepromPage, TypedNumbersStayInsideTheFieldsRange) {
    TempEnvironment env;
    auto z = MakeEepromScreen(INSTRUCTION_VKLZ);
    SetNumber(*z, 19, 999);
    EXPECT_EQ(Number(*z, 19)->text(), "0400");
    auto a = MakeEepromScreen(INSTRUCTION_VKLA);
    SetNumber(*a, 22, -150);
    EXPECT_EQ(Number(*a, 22)->text(), "-099");
    SetNumber(*a, 22, -5);
    std::vector<int> parameters(82, 0);
    a->PageOf(22)->Collect(parameters);
    EXPECT_EQ(parameters[22], -5);
    EXPECT_EQ(parameters[28], 2400);
    EXPECT_EQ(parameters[18], 0) << "an entry of another page stays";
    EXPECT_EQ(Number(*a, 28)->maxLength(), 5) << "the range needs five digits";
}

TEST(EepromPage, FillShowsValuesAndCollectGivesThemBack) {
    TempEnvironment env;
    auto e = MakeEepromScreen(INSTRUCTION_VKLE);
    std::vector<int> values(45, 0);
    values[3] = 812;
    values[25] = 8; // 38400
    values[34] = 8; // position 1
    values[31] = 5; // no such position
    for (CEepromPage* page : e->Tabs()->Pages())
        page->Fill(values);
    EXPECT_EQ(Number(*e, 3)->text(), "0812");
    EXPECT_EQ(List(*e, 25)->currentText(), "38400");
    EXPECT_EQ(List(*e, 34)->currentIndex(), 1);
    EXPECT_EQ(List(*e, 31)->currentIndex(), -1);
    std::vector<int> collected(45, -1);
    for (CEepromPage* page : e->Tabs()->Pages())
        page->Collect(collected);
    EXPECT_EQ(collected, values);

    List(*e, 31)->setCurrentIndex(1);
    List(*e, 34)->setCurrentIndex(0);
    for (CEepromPage* page : e->Tabs()->Pages())
        page->Collect(collected);
    EXPECT_EQ(collected[31], 1);
    EXPECT_EQ(collected[34], 7);
}

TEST(EepromPage, ALanguageChangeKeepsWhatThePagesShow) {
    TempEnvironment env;
    auto e = MakeEepromScreen(INSTRUCTION_VKLE);
    List(*e, 44)->setCurrentIndex(3);
    SetNumber(*e, 35, 64);
    e->ApplyLanguage(LANGUAGE_TRADITIONAL_CHINESE);
    EXPECT_EQ(List(*e, 44)->currentIndex(), 3);
    EXPECT_EQ(List(*e, 44)->currentText(), "無動作");
    EXPECT_EQ(Number(*e, 35)->text(), "0064");
    EXPECT_EQ(e->Tabs()->tabText(1), "機器特性");
}

} // namespace
