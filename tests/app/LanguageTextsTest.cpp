#include "app/LanguageTexts.h"
#include "support/TestEnvironment.h"

#include <QMap>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// A screen with a fixed set of controls that records what the language texts do to it.
class FakeScreen : public IScreenTexts {
public:
    QString caption = "built-in";
    QMap<int, QString> texts;     // controls that take a text
    QMap<int, QStringList> lists; // combo boxes
    QMap<int, int> selection;     // -1: nothing selected
    QMap<int, QStringList> tabs;  // tab controls with their existing tabs
    QStringList calls;

    void SetCaption(const QString& c) override { caption = c; }
    bool SetControlText(int id, const QString& text) override {
        calls << QString("text %1").arg(id);
        if (!texts.contains(id) && !lists.contains(id))
            return false;
        texts[id] = text;
        return true;
    }
    bool SetListItems(int id, const QStringList& items, int select) override {
        calls << QString("list %1").arg(id);
        if (!lists.contains(id))
            return false;
        lists[id] = items;
        selection[id] = select >= 0 && select < items.size() ? select : -1;
        return true;
    }
    bool SetTabCaption(int id, int tab, const QString& text) override {
        if (!tabs.contains(id) || tab >= tabs[id].size())
            return false;
        tabs[id][tab] = text;
        return true;
    }
};

class LanguageTextsTest : public ::testing::Test {
protected:
    TempEnvironment env;
    QString file = env.Path("texts.xml");
    FakeScreen screen;
    void Write(const QByteArray& xml) {
        WriteFileBytes(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + xml);
    }
};

} // namespace

TEST_F(LanguageTextsTest, EachWalkStartsAtItsFirstElementAndRunsOverAllLaterSiblings) {
    Write(R"(<Dlg title="Caption">
               <Static ID="10" text="before"/>
               <Button ID="1" text="OK"/>
               <Commbox ID="5" select="1"><I text="a"/><I text="b"/></Commbox>
               <Static ID="11" text="after"/>
             </Dlg>)");
    screen.texts = {{10, ""}, {1, ""}, {11, ""}};
    screen.lists = {{5, {}}};
    ApplyScreenTextsFromFile(file, "Dlg", screen);
    EXPECT_EQ(screen.caption, "Caption");
    EXPECT_EQ(screen.texts[10], "before");
    EXPECT_EQ(screen.texts[1], "OK");
    EXPECT_EQ(screen.texts[11], "after");
    // The combo box is visited by the Button and Static walks first (empty text), then filled.
    EXPECT_EQ(screen.calls, QStringList({"text 1", "text 5", "text 11", "text 10", "text 1", "text 5",
                                         "text 11", "list 5"}));
    EXPECT_EQ(screen.lists[5], QStringList({"a", "b"}));
    EXPECT_EQ(screen.selection[5], 1);
}

TEST_F(LanguageTextsTest, OnlyTheFirstScreenElementCounts) {
    Write(
        R"(<Dlg><Button ID="1" text="first"/></Dlg><Dlg title="second"><Button ID="1" text="second"/></Dlg>)");
    screen.texts = {{1, ""}};
    ApplyScreenTextsFromFile(file, "Dlg", screen);
    EXPECT_EQ(screen.texts[1], "first");
    EXPECT_EQ(screen.caption, "built-in");
}

TEST_F(LanguageTextsTest, SelectBeyondTheItemsLeavesNoSelection) {
    Write(R"(<Dlg><Commbox ID="5" select="7"><I text="a"/><I text="b"/></Commbox></Dlg>)");
    screen.lists = {{5, {"old"}}};
    ApplyScreenTextsFromFile(file, "Dlg", screen);
    EXPECT_EQ(screen.lists[5], QStringList({"a", "b"}));
    EXPECT_EQ(screen.selection[5], -1);
}

TEST_F(LanguageTextsTest, SurplusTabItemsChangeNothing) {
    Write(R"(<Dlg><TabCtrl ID="1072"><T text="One"/><T text="Two"/><T text="Three"/></TabCtrl></Dlg>)");
    screen.tabs = {{1072, {"a", "b"}}};
    ApplyScreenTextsFromFile(file, "Dlg", screen);
    EXPECT_EQ(screen.tabs[1072], QStringList({"One", "Two"}));
}

TEST_F(LanguageTextsTest, MissingPiecesAreSkippedNotFatal) {
    Write(R"(<Dlg>
               <Button text="no id"/>
               <Button ID="1"/>
               <Button ID="999" text="unknown control"/>
               <Commbox ID="5"><I text="no select"/></Commbox>
               <Commbox ID="6" select="0"><I text="x"/></Commbox>
               <TabCtrl ID="77"><T text="unknown tab control"/></TabCtrl>
             </Dlg>)");
    screen.texts = {{1, "keep?"}};
    screen.lists = {{5, {"kept"}}, {6, {}}};
    ApplyScreenTextsFromFile(file, "Dlg", screen);
    EXPECT_EQ(screen.texts[1], ""); // a missing "text" sets empty text
    EXPECT_EQ(screen.lists[5], QStringList({"kept"}));
    EXPECT_EQ(screen.lists[6], QStringList({"x"}));
}

TEST_F(LanguageTextsTest, MissingFileOrElementKeepsBuiltInTexts) {
    screen.texts = {{1, "built-in"}};
    ApplyScreenTextsFromFile(env.Path("none.xml"), "Dlg", screen);
    Write("<Other/>");
    ApplyScreenTextsFromFile(file, "Dlg", screen);
    Write("<Dlg><Button ID=\"1\" text=\"broken\"");
    ApplyScreenTextsFromFile(file, "Dlg", screen);
    EXPECT_EQ(screen.texts[1], "built-in");
    EXPECT_EQ(screen.caption, "built-in");
}

TEST_F(LanguageTextsTest, MessagesAreEmptyWhenAnythingIsMissing) {
    Write(R"(<Message><Present text="here"/><NoText/></Message>)");
    EXPECT_EQ(GetMessageTextFromFile(file, "Present"), "here");
    EXPECT_EQ(GetMessageTextFromFile(file, "NoText"), "");
    EXPECT_EQ(GetMessageTextFromFile(file, "Absent"), "");
    EXPECT_EQ(GetMessageTextFromFile(env.Path("none.xml"), "Present"), "");
}

TEST_F(LanguageTextsTest, LongTextsAreCut) {
    Write("<Message><Long text=\"" + QByteArray(3000, 'x') + "\"/></Message>");
    EXPECT_EQ(GetMessageTextFromFile(file, "Long").size(), 1023);
}

TEST_F(LanguageTextsTest, ShippedFilesCarryEveryMessageAndTheShellScreens) {
    for (int language : {0, 1, 2, 5}) {
        for (const QString& key : MessageKeys())
            EXPECT_FALSE(GetMessageText(key.toUtf8().constData(), language).isEmpty())
                << key.toStdString() << " in " << LanguageFileName(language).toStdString();
        for (const char* element : {"MainDlg", "MainSetDlg", "PasswordDlg", "AboutDlg"}) {
            FakeScreen s;
            ApplyScreenTexts(element, language, s);
            EXPECT_NE(s.caption, "built-in") << element;
        }
    }
    EXPECT_EQ(GetMessageText("OpenPortError", 0), QString::fromUtf8("无法打开端口。"));
    EXPECT_EQ(GetMessageText("OpenPortError", 5), GetMessageText("OpenPortError", 2));
}

TEST(CommErrorMessages, EveryCodeHasItsKey) {
    EXPECT_STREQ(CommErrorMessageKey(1), "OpenPortError");
    EXPECT_STREQ(CommErrorMessageKey(2), "ParameterError");
    EXPECT_STREQ(CommErrorMessageKey(3), "CommunicationFail");
    EXPECT_STREQ(CommErrorMessageKey(4), "LoadDllError");
    EXPECT_STREQ(CommErrorMessageKey(5), "CreateFileError");
    EXPECT_STREQ(CommErrorMessageKey(6), "DriverHaveJobError");
    EXPECT_STREQ(CommErrorMessageKey(8), "PortAccessError");
    EXPECT_EQ(CommErrorMessageKey(7), nullptr);
    EXPECT_EQ(CommErrorMessageKey(0), nullptr);
}
