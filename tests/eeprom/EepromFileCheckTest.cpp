// EEPROM files: only a whole file of the language's layout loads; every file the program writes
// loads and writes back byte for byte.
#include "eeprom/EepromFileCheck.h"
#include "app/AppSettings.h"
#include "instruction/InstructionProtocol.h"
#include "instruction/VKLAInstruction.h"
#include "support/BadInputFiles.h"
#include "support/TestEnvironment.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// A file as the program writes it, from random words (and names with bytes that break lines).
QByteArray ProgramFile(int language, quint32 seed) {
    QRandomGenerator random(seed);
    if (language == INSTRUCTION_VKLA) {
        VklaImage image{};
        for (auto& word : image)
            word = std::uint16_t(random.bounded(0x10000));
        return BuildVklaEepromFile(image, "NAME\nWITH A LINE FEED AND MORE THAN THIRTY BYTES " +
                                              QByteArray::number(seed));
    }
    WnImage image{};
    for (auto& word : image)
        word = std::uint16_t(random.bounded(0x10000));
    return BuildWnEepromFile(image, {"QL-200", "Q200\r\n", QByteArray(300, 'a')},
                             language != INSTRUCTION_VKLC);
}

class EepromFileCheck : public ::testing::TestWithParam<int> {
protected:
    TempEnvironment env;
    int language = GetParam();
    QString Write(const char* name, const QByteArray& bytes) {
        const QString path = env.Path(name);
        WriteFileBytes(path, bytes);
        return path;
    }
};

std::string Name(const ::testing::TestParamInfo<int>& info) {
    return InstructionName(info.param).toStdString();
}

} // namespace

TEST_P(EepromFileCheck, FilesTheProgramWritesLoadAndWriteBackUnchanged) {
    for (const quint32 seed : {1u, 2u, 3u}) {
        const QByteArray bytes = ProgramFile(language, seed);
        const QString path = Write("program.eep", bytes);
        EXPECT_TRUE(ReadEepromFile(path, language).Ok());
        auto first = MakeInstruction(language);
        ASSERT_EQ(first->LoadEepromFile(path), 1) << seed;
        ASSERT_EQ(first->SaveEepromFile(env.Path("saved.eep")), 1);
        EXPECT_EQ(ReadFileBytes(env.Path("saved.eep")), bytes) << seed;
        auto second = MakeInstruction(language);
        ASSERT_EQ(second->LoadEepromFile(env.Path("saved.eep")), 1);
        EXPECT_EQ(second->GetEepromImage(), first->GetEepromImage());
        EXPECT_EQ(second->GetParameters(), first->GetParameters());
    }
    // Hand edits that keep every line: upper-case digits, line feeds without carriage returns.
    QByteArray edited = ProgramFile(language, 4);
    const QByteArray end = language == INSTRUCTION_VKLA ? QByteArray("\x1bsBE") : QByteArray("~WN00@ini");
    const qsizetype lines = edited.indexOf(end);
    edited = edited.left(lines).toUpper().replace("\r\n", "\n").replace("~WN00@EEP,W,", "~WN00@eep,w,") +
             edited.mid(lines);
    EXPECT_TRUE(ReadEepromFile(Write("edited.eep", edited), language).Ok());
}

TEST_P(EepromFileCheck, FilesWithoutTheLanguagesLinesAreRefusedAndChangeNothing) {
    auto object = MakeInstruction(language);
    ASSERT_EQ(object->LoadEepromFile(Write("good.eep", ProgramFile(language, 9))), 1);
    const std::vector<std::uint16_t> image = object->GetEepromImage();
    const std::vector<int> parameters = object->GetParameters();

    QByteArray random(2000, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    const int other = language == INSTRUCTION_VKLA ? INSTRUCTION_VKLZ : INSTRUCTION_VKLA;
    const QByteArray whole = ProgramFile(language, 5);
    const int lineBytes = language == INSTRUCTION_VKLA ? 11 : 21;
    QByteArray oneLineLess = whole;
    oneLineLess.remove(language == INSTRUCTION_VKLA ? 11 * 40 : 21 * 40,
                       language == INSTRUCTION_VKLA ? 11 : 21);
    QByteArray badDigit = whole;
    badDigit[language == INSTRUCTION_VKLA ? 11 * 3 + 6 : 21 * 3 + 16] = 'g';
    const int expected = language == INSTRUCTION_VKLA ? 119 : 256;
    const struct {
        const char* name;
        QByteArray bytes;
        int found;
    } cases[] = {
        {"random.eep", random, 0},
        {"empty.eep", {}, 0},
        {"settings.eep", "[First]\r\nDPI=203\r\nPaperHeight=800\r\n", 0},
        {"other-layout.eep", ProgramFile(other, 5), 0},
        {"half.eep", whole.left(whole.size() / 2), int(whole.size() / 2 / lineBytes)},
        {"one-line-less.eep", oneLineLess, 40},
        {"bad-digit.eep", badDigit, expected - 1},
    };
    for (const auto& c : cases) {
        const QString path = Write(c.name, c.bytes);
        const EepromFileVerdict verdict = ReadEepromFile(path, language);
        EXPECT_FALSE(verdict.Ok()) << c.name;
        EXPECT_EQ(verdict.lines.found, c.found) << c.name;
        EXPECT_EQ(verdict.lines.expected, expected);
        EXPECT_EQ(object->LoadEepromFile(path), 0) << c.name;
        const QString text = EepromFileVerdictText(verdict, path, language, LANGUAGE_ENGLISH);
        EXPECT_TRUE(text.contains(path)) << text.toStdString();
        EXPECT_TRUE(text.contains(InstructionName(language)));
        if (c.found > 0) {
            EXPECT_TRUE(text.contains(QStringLiteral("%1 of its %2 lines").arg(c.found).arg(expected)))
                << text.toStdString();
        }
    }
    for (const BadInputFile& bad : RefusedInputFiles(env.Root(), InputFileKind::EepromFile)) {
        const EepromFileVerdict verdict = ReadEepromFile(bad.path, language);
        EXPECT_NE(verdict.file, InputFileProblem::None) << bad.what;
        EXPECT_EQ(object->LoadEepromFile(bad.path), 0) << bad.what;
        EXPECT_TRUE(EepromFileVerdictText(verdict, bad.path, language, LANGUAGE_ENGLISH).contains(bad.path));
    }
    EXPECT_EQ(object->GetEepromImage(), image);
    EXPECT_EQ(object->GetParameters(), parameters);
}

INSTANTIATE_TEST_SUITE_P(Languages, EepromFileCheck, ::testing::Values(0, 1, 2, 3, 4), Name);
