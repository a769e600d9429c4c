// A printer that hangs up after every possible number of bytes, for every exchange of every
// language: the operation ends with code 3, closes its port, and leaves the object's EEPROM
// image and the backup file exactly as they were.
#include "WordModel.h"
#include "instruction/InstructionProtocol.h"
#include "support/ScriptedPrinter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

const tagPORTINFO kPort = MakePortInfo(PORT_NET);

struct Operation {
    const char* name;
    int (CInstructionProtocol::*run)(tagPORTINFO);
};

constexpr Operation kOperations[] = {
    {"ReadSettings", &CInstructionProtocol::ReadSettings},
    {"ApplySettings", &CInstructionProtocol::ApplySettings},
    {"BackupEeprom", &CInstructionProtocol::BackupEeprom},
    {"WriteEeprom", &CInstructionProtocol::WriteEeprom},
};

class HangUp : public ::testing::TestWithParam<int> {};

std::string Name(const ::testing::TestParamInfo<int>& info) {
    return InstructionName(info.param).toStdString();
}

} // namespace

TEST_P(HangUp, EveryOperationAfterEveryByteCount) {
    TempEnvironment env;
    WordModel model;
    for (int a = 0; a < 256; ++a)
        model.image[std::size_t(a)] = std::uint16_t(0x1111 * (a % 7) + a);
    model.image[0x18] = 8;
    auto object = MakeInstruction(GetParam());
    {
        ScriptedPrinter healthy(std::ref(model));
        ASSERT_EQ(object->BackupEeprom(kPort), 0);
        ASSERT_EQ(object->ReadSettings(kPort), 0);
    }
    const QString backup = object->BackupFilePath();
    const QByteArray goodBackup = ReadFileBytes(backup);
    ASSERT_FALSE(goodBackup.isEmpty());

    for (const Operation& operation : kOperations) {
        qint64 total = 0;
        {
            ScriptedPrinter healthy(std::ref(model));
            ASSERT_EQ((*object.*operation.run)(kPort), 0) << operation.name;
            total = healthy.BytesWritten();
        }
        ASSERT_GT(total, 0) << operation.name;
        const std::vector<std::uint16_t> image = object->GetEepromImage();
        for (qint64 n = 0; n < total; ++n) {
            ScriptedPrinter broken(std::ref(model));
            broken.FailAfterBytes(n);
            ASSERT_EQ((*object.*operation.run)(kPort), 3) << operation.name << " after " << n << " bytes";
            ASSERT_EQ(broken.Events().last(), "close") << operation.name << " after " << n;
            if (operation.run == &CInstructionProtocol::BackupEeprom) {
                ASSERT_EQ(object->GetEepromImage(), image) << "after " << n;
            }
        }
        EXPECT_EQ(ReadFileBytes(backup), goodBackup) << operation.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, HangUp, ::testing::Values(0, 1, 2, 3, 4), Name);
