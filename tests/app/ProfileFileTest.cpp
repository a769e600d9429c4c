#include "app/ProfileFile.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

class ProfileFileTest : public ::testing::Test {
protected:
    TempEnvironment env;
    QString path = env.Path(QStringLiteral("a.ini"));
};

TEST_F(ProfileFileTest, NamesAreCaseInsensitiveAndMissingKeysReadTheirDefault) {
    WriteFileBytes(path, "[Main]\r\nLanguage=2\r\n");
    EXPECT_EQ(ReadProfileString(path, "main", "LANGUAGE", "x"), "2");
    EXPECT_EQ(ReadProfileString(path, "Main", "Wizard", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(env.Path("missing.ini"), "Main", "Wizard", "0"), "0");
}

TEST_F(ProfileFileTest, IntegersReadFromLeadingDigits) {
    WriteFileBytes(path, "[A]\r\nx=abc\r\ny=12abc\r\nz=-3\r\nempty=\r\n");
    EXPECT_EQ(ReadProfileInt(path, "A", "x", "5"), 0);
    EXPECT_EQ(ReadProfileInt(path, "A", "y", "5"), 12);
    EXPECT_EQ(ReadProfileInt(path, "A", "z", "5"), -3);
    // Present but empty is not missing: the default does not apply.
    EXPECT_EQ(ReadProfileInt(path, "A", "empty", "5"), 0);
    EXPECT_EQ(ReadProfileInt(path, "A", "none", "5"), 5);
}

TEST_F(ProfileFileTest, WritesUpdateInPlaceAndAppendNewKeysToTheirSection) {
    WriteFileBytes(path, "[One]\r\na=1\r\nb=2\r\n[Two]\r\nc=3\r\n");
    ASSERT_TRUE(WriteProfileString(path, "ONE", "A", "10"));
    ASSERT_TRUE(WriteProfileString(path, "One", "new", "4"));
    ASSERT_TRUE(WriteProfileString(path, "Three", "d", "5"));
    EXPECT_EQ(ReadFileBytes(path),
              QByteArray("[One]\r\na=10\r\nb=2\r\nnew=4\r\n\r\n\r\n[Two]\r\nc=3\r\n\r\n\r\n"
                         "[Three]\r\nd=5\r\n"));
}

TEST_F(ProfileFileTest, EveryLineEndsInCrLf) {
    ASSERT_TRUE(WriteProfileString(path, "S", "k", "v"));
    const QByteArray bytes = ReadFileBytes(path);
    EXPECT_FALSE(bytes.isEmpty());
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
}

TEST_F(ProfileFileTest, ReadsAreCutToTheBuffer) {
    WriteFileBytes(path, "[S]\r\nname=ABCDEFGHIJ\r\n");
    EXPECT_EQ(ReadProfileString(path, "S", "name", "", 4), "ABCD");
}

TEST_F(ProfileFileTest, LineBreaksInValuesCannotInjectKeys) {
    ASSERT_TRUE(WriteProfileString(path, "S", "k", "a\r\n[Evil]\r\nx=1"));
    CProfileFile file(path);
    ASSERT_TRUE(file.Load());
    EXPECT_FALSE(file.HasSection("Evil"));
}

TEST_F(ProfileFileTest, AFailedSaveLeavesThePreviousFileIntact) {
    WriteFileBytes(path, "[S]\r\nk=old\r\n");
    CProfileFile file(path);
    ASSERT_TRUE(file.Load());
    file.SetString("S", "k", QString(4096, QLatin1Char('x')));
    // A file-size limit makes the write fail the way a full disk would, whatever our rights.
    FileSizeLimit limit(64);
    EXPECT_FALSE(file.Save());
    limit.Release();
    EXPECT_EQ(ReadFileBytes(path), QByteArray("[S]\r\nk=old\r\n"));
}

TEST_F(ProfileFileTest, OfDuplicateKeysAndSectionsTheFirstCounts) {
    WriteFileBytes(path, "[Main]\r\nLanguage=2\r\nlanguage=1\r\nWizard=0\r\n"
                         "[Port]\r\ntype=4\r\n"
                         " [ MAIN ] \r\nLanguage=0\r\nOnlyLater=7\r\n"
                         "[Port]\r\ntype=1\r\n[Other]\r\nx=1\r\n");
    CProfileFile file(path);
    ASSERT_TRUE(file.Load());
    EXPECT_EQ(file.GetString("Main", "Language", ""), "2");
    EXPECT_EQ(file.GetString("Port", "type", ""), "4");
    // A key that only the repeated section holds is not there, as for the profile functions.
    EXPECT_FALSE(file.HasKey("Main", "OnlyLater"));
    EXPECT_EQ(file.GetString("Other", "x", ""), "1");

    // A write changes the value that counts; the duplicates that no read could see go.
    ASSERT_TRUE(WriteProfileString(path, "main", "LANGUAGE", "1"));
    EXPECT_EQ(ReadFileBytes(path), QByteArray("[Main]\r\nLanguage=1\r\nWizard=0\r\n\r\n\r\n"
                                              "[Port]\r\ntype=4\r\n\r\n\r\n[Other]\r\nx=1\r\n"));
    // "[" without "]" is no header for the reader, so it ends no section.
    EXPECT_EQ(FirstSectionsOnly("[A]\nk=1\n[A\n[A]\nk=2\n[B]\n"), QByteArray("[A]\nk=1\n[A\n[B]\n"));
}

TEST_F(ProfileFileTest, MatchingSurroundingQuotesAreStripped) {
    WriteFileBytes(path, "[S]\r\nd=\"net printer\"\r\ns='x'\r\nmixed=\"x'\r\none=\"\r\n"
                         "inner=a \"b\" c\r\nempty=\"\"\r\ntwice=\"\"x\"\"\r\n");
    CProfileFile file(path);
    ASSERT_TRUE(file.Load());
    EXPECT_EQ(file.GetString("S", "d", ""), "net printer");
    EXPECT_EQ(file.GetString("S", "s", ""), "x");
    EXPECT_EQ(file.GetString("S", "mixed", ""), "\"x'");
    EXPECT_EQ(file.GetString("S", "one", ""), "\"");
    EXPECT_EQ(file.GetString("S", "inner", ""), "a \"b\" c");
    EXPECT_EQ(file.GetString("S", "empty", "dflt"), "");
    EXPECT_EQ(file.GetString("S", "twice", ""), "\"x\"");
    // The buffer limit applies to the value without its quotes; a default keeps its quotes.
    EXPECT_EQ(file.GetString("S", "d", "", 3), "net");
    EXPECT_EQ(file.GetString("S", "none", "'q'"), "'q'");
    EXPECT_EQ(file.GetInt("S", "none", "\"5\""), 0);

    // What is written reads back unchanged, quotes and blanks around it included.
    for (const QString& value : {QStringLiteral("'quoted'"), QStringLiteral("\"\""), QStringLiteral(" pad "),
                                 QStringLiteral("plain"), QStringLiteral("a\"b")}) {
        ASSERT_TRUE(WriteProfileString(path, "W", "k", value));
        EXPECT_EQ(ReadProfileString(path, "W", "k", "?"), value);
    }
    ASSERT_TRUE(WriteProfileString(path, "W", "k", "plain"));
    EXPECT_TRUE(ReadFileBytes(path).contains("\r\nk=plain\r\n"));
}
