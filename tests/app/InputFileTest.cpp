// Bounded input files: nothing that is not an ordinary file, nor anything larger than its kind can
// be, is read; the user settings file's numbers are checked before use.
#include "app/InputFile.h"
#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ProfileFile.h"
#include "support/BadInputFiles.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

TEST(InputFile, OnlyOrdinaryFilesWithinTheirBoundAreRead) {
    TempEnvironment env;
    const QString good = env.Path("good.dat");
    WriteFileBytes(good, "[First]\r\nDPI=203\r\n");
    const InputFileData read = ReadInputFile(good, InputFileKind::SettingsFile);
    EXPECT_TRUE(read.Ok());
    EXPECT_EQ(read.bytes, "[First]\r\nDPI=203\r\n");
    WriteFileBytes(env.Path("empty.dat"), {});
    EXPECT_TRUE(ReadInputFile(env.Path("empty.dat"), InputFileKind::EepromFile).Ok());
    EXPECT_EQ(ReadInputFile(env.Path("none.dat"), InputFileKind::Picture).problem, InputFileProblem::Missing);

    // None of these may hang (the fifo) or grow the process (the devices).
    QElapsedTimer timer;
    timer.start();
    for (const BadInputFile& bad : NotRegularFiles(env.Root())) {
        for (const InputFileBound& bound : InputFileBounds()) {
            const InputFileData data = ReadInputFile(bad.path, bound.kind);
            EXPECT_EQ(data.problem, InputFileProblem::NotRegular) << bad.what;
            EXPECT_TRUE(data.bytes.isEmpty());
        }
    }
    EXPECT_LT(timer.elapsed(), 5000);

    for (const InputFileBound& bound : InputFileBounds()) {
        EXPECT_GT(bound.maxBytes, 0);
        const QString oversized = OversizedFile(env.Root(), bound.kind);
        EXPECT_EQ(CheckInputFile(oversized, bound.kind), InputFileProblem::TooLarge);
        QFile(oversized).resize(bound.maxBytes);
        EXPECT_EQ(CheckInputFile(oversized, bound.kind), InputFileProblem::None);
    }
}

TEST(InputFile, ProblemsAreExplainedNamingTheFileInEveryLanguage) {
    TempEnvironment env;
    for (int language = 0; language < 3; ++language) {
        for (const auto problem : {InputFileProblem::Missing, InputFileProblem::NotRegular,
                                   InputFileProblem::TooLarge, InputFileProblem::Unreadable}) {
            const QString text =
                InputFileProblemText(problem, "/some/file.eep", InputFileKind::EepromFile, language);
            EXPECT_TRUE(text.contains("/some/file.eep")) << text.toStdString();
            EXPECT_FALSE(text.contains("%1"));
            EXPECT_NE(text, QString(InputFileProblemKey(problem)) + ": /some/file.eep") << "text missing";
        }
    }
    EXPECT_TRUE(InputFileProblemText(InputFileProblem::TooLarge, "f", InputFileKind::SettingsFile, 2)
                    .contains(QString::number(InputFileLimit(InputFileKind::SettingsFile))));
    // A message text never fills in what an argument itself holds.
    EXPECT_EQ(FormatMessageText("NoSuchKey", 2, {"a%2", "b"}), "NoSuchKey: a%2, b");
}

TEST(InputFile, ARefusedUserSettingsFileReadsAsDefaultsAndIsNeverWrittenOver) {
    TempEnvironment env;
    InitUserSettings();
    const QString path = UserSettingsFilePath();
    EXPECT_EQ(CheckUserSettingsFile(), InputFileProblem::None);
    EXPECT_TRUE(UserSettingsFileWarning(LANGUAGE_ENGLISH).isEmpty());

    // Too large: refused, and a write must not replace it with a single key.
    QFile(path).resize(InputFileLimit(InputFileKind::UserSettings) + 1);
    EXPECT_EQ(CheckUserSettingsFile(), InputFileProblem::TooLarge);
    WriteInstruction(INSTRUCTION_VKLA);
    WritePortInfo(MakePortInfo(PORT_NET));
    EXPECT_EQ(QFileInfo(path).size(), InputFileLimit(InputFileKind::UserSettings) + 1);
    EXPECT_EQ(ReadInstruction(), INSTRUCTION_VKLZ);

    QFile::remove(path);
    ASSERT_TRUE(QFile::link("/dev/zero", path));
    EXPECT_EQ(CheckUserSettingsFile(), InputFileProblem::NotRegular);
    EXPECT_EQ(ReadPortInfo().baudRate, 38400);
    WriteLanguage(LANGUAGE_ENGLISH);
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    for (int language = 0; language < 3; ++language) {
        const QString warning = UserSettingsFileWarning(language);
        EXPECT_TRUE(warning.contains(path));
        EXPECT_TRUE(warning.contains(GetMessageText("UserSettingsIgnored", language)));
    }
}

TEST(InputFile, PortNumbersOutsideWhatTheyCanMeanReadAsTheirDefaults) {
    TempEnvironment env;
    InitUserSettings();
    const QString path = UserSettingsFilePath();
    const auto set = [&](const char* section, const char* key, const char* value) {
        ASSERT_TRUE(WriteProfileString(path, section, key, value));
    };
    set("USBAPI", "ID", "2147483647");
    set("COM", "Bandate", "-9600");
    set("COM", "DataSize", "9");
    set("COM", "StopBit", "-1");
    set("COM", "Parity", "5");
    set("COM", "FlowControl", "3");
    set("Net", "Port", "70000");
    tagPORTINFO info = ReadPortInfo();
    EXPECT_EQ(info.usbApiId, 0);
    EXPECT_EQ(info.baudRate, 38400);
    EXPECT_EQ(info.dataBits, 8);
    EXPECT_EQ(info.stopBits, 0);
    EXPECT_EQ(info.parity, 0);
    EXPECT_EQ(info.flowControl, 0);
    EXPECT_EQ(info.netPort, 9100);

    set("USBAPI", "ID", "3");
    set("COM", "Bandate", "115200");
    set("COM", "DataSize", "7");
    set("COM", "StopBit", "2");
    set("COM", "Parity", "4");
    set("COM", "FlowControl", "2");
    set("Net", "Port", "65535");
    info = ReadPortInfo();
    EXPECT_EQ(info.usbApiId, 3);
    EXPECT_EQ(info.baudRate, 115200);
    EXPECT_EQ(info.dataBits, 7);
    EXPECT_EQ(info.stopBits, 2);
    EXPECT_EQ(info.parity, 4);
    EXPECT_EQ(info.flowControl, 2);
    EXPECT_EQ(info.netPort, 65535);
}
