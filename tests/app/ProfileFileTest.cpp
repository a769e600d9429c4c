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
