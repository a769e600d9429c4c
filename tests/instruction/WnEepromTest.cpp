// The EEPROM procedures that VKLC, VKLE, VKLT and VKLZ share, run against every one of them.
#include "WordModel.h"
#include "eeprom/ParameterTables.h"
#include "instruction/InstructionProtocol.h"
#include "instruction/WnInstruction.h"
#include "support/ScriptedPrinter.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

const tagPORTINFO kPort = MakePortInfo(PORT_NET);

class WnEepromTest : public ::testing::TestWithParam<int> {
protected:
    TempEnvironment env;
    WordModel model;
    std::unique_ptr<CInstructionProtocol> object = MakeInstruction(GetParam());

    void SetUp() override {
        for (int a = 0; a < 256; ++a)
            model.image[std::size_t(a)] = std::uint16_t(a * 0x0101 ^ 0x5A00);
        model.image[0x20] = 0x0A48;
    }
    QString Backup() const { return object->BackupFilePath(); }
};

std::string LanguageName(const ::testing::TestParamInfo<int>& info) {
    return InstructionName(info.param).toStdString();
}

} // namespace

TEST_P(WnEepromTest, BackupSendsAllRequestsFirstThenCollectsExactly1536Bytes) {
    ScriptedPrinter printer(std::ref(model));
    ASSERT_EQ(object->BackupEeprom(kPort), 0);

    const QList<QByteArray> writes = printer.Writes();
    ASSERT_EQ(writes.size(), 256 + 3);
    for (int a = 0; a < 256; ++a) {
        ASSERT_EQ(writes[a].size(), 20);
        EXPECT_TRUE(
            writes[a].startsWith("~WN00@eep,r," + QByteArray::number(a, 16).rightJustified(2, '0') + "\r\n"));
    }
    EXPECT_EQ(writes[256], QByteArray("~WN00@ini,r,PrinterName~"));
    EXPECT_EQ(writes[257], QByteArray("~WN00@ini,r,PrinterNameZorv~"));
    EXPECT_EQ(writes[258], QByteArray("~WN00@ini,r,TphAdj~"));

    // No read before the last request; one read of 2048 collects all 1536 bytes and no more follow.
    const QStringList events = printer.Events();
    const qsizetype lastRequest = events.lastIndexOf(QRegularExpression("^write 20$"));
    EXPECT_EQ(events[lastRequest + 1], "read 2048 -> 1536");
    EXPECT_EQ(events[lastRequest + 2], "write 24");

    const std::vector<std::uint16_t> image = object->GetEepromImage();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), model.image.begin()));
    EXPECT_EQ(object->GetParameters(), DecodeParameters(GetParam(), model.image));
    EXPECT_EQ(ReadFileBytes(Backup()).left(21), QByteArray("~WN00@eep,w,00,5a00\r\n"));
    EXPECT_TRUE(
        ReadFileBytes(Backup()).contains("~WN00@ini,w,PrinterName,QL-200~WN00@ini,w,PrinterNameZorv,Q200"));
}

TEST_P(WnEepromTest, AnIncompleteDumpStopsWhenTheRepliesStopAndKeepsTheOldBackup) {
    {
        ScriptedPrinter good(std::ref(model));
        ASSERT_EQ(object->BackupEeprom(kPort), 0);
    }
    const QByteArray goodBackup = ReadFileBytes(Backup());
    const std::vector<std::uint16_t> goodImage = object->GetEepromImage();

    // Five bytes per word: the running total never equals 1536.
    ScriptedPrinter shortReplies(
        [](const QByteArray& w) { return w.size() == 20 ? QByteArray("1234\n") : QByteArray(); });
    model.image.fill(0);
    EXPECT_EQ(object->BackupEeprom(kPort), 3);
    int collectionReads = 0;
    for (const QString& e : shortReplies.Events())
        collectionReads += e.startsWith("read 2048") ? 1 : 0;
    // All replies came in the first read; the second brought nothing within the reply time-out.
    EXPECT_EQ(collectionReads, 2);
    EXPECT_EQ(ReadFileBytes(Backup()), goodBackup);
    EXPECT_EQ(object->GetEepromImage(), goodImage);
}

TEST_P(WnEepromTest, AFailedBackupKeepsTheOldBackupAndReportsTheCode) {
    {
        ScriptedPrinter good(std::ref(model));
        ASSERT_EQ(object->BackupEeprom(kPort), 0);
    }
    const QByteArray goodBackup = ReadFileBytes(Backup());
    ScriptedPrinter failing(std::ref(model));
    failing.FailOnWrite(100);
    EXPECT_EQ(object->BackupEeprom(kPort), 3);
    EXPECT_EQ(failing.Events().last(), "close");
    EXPECT_EQ(ReadFileBytes(Backup()), goodBackup);
}

TEST_P(WnEepromTest, TheBackupFolderIsCreatedWhenMissing) {
    ScriptedPrinter printer(std::ref(model));
    const QString folder = env.ProgramFolder() + "/EEPbak";
    ASSERT_FALSE(QFileInfo::exists(folder));
    ASSERT_EQ(object->BackupEeprom(kPort), 0);
    EXPECT_TRUE(QFileInfo(folder + "/" + InstructionName(GetParam()) + ".eep").isFile());
}

TEST_P(WnEepromTest, WriteSendsTheParametersInTheirOrderAndUpdatesTheImage) {
    ScriptedPrinter printer(std::ref(model));
    ASSERT_EQ(object->BackupEeprom(kPort), 0);
    std::vector<int> parameters = object->GetParameters();
    parameters[1] = 2;    // paper type, 1C bits 0-2
    parameters[4] = 1000; // label width, word 47
    object->SetParameters(parameters);
    printer.Clear();
    ASSERT_EQ(object->WriteEeprom(kPort), 0);

    const auto table = BitParameters(GetParam());
    const auto order = BitWriteOrder(GetParam());
    const QList<QByteArray> writes = printer.Writes();
    ASSERT_EQ(writes.size(), qsizetype(order.size()));
    for (std::size_t i = 0; i < order.size(); ++i) {
        const BitParameter& p = table[order[i]];
        EXPECT_EQ(writes[qsizetype(i)],
                  QByteArray("~WN00@eep,w,") +
                      QByteArray::number(p.address, 16).rightJustified(2, '0').toUpper() + ',' +
                      QByteArray::number(parameters[order[i]], 16) + ',' + QByteArray::number(p.first) + ',' +
                      QByteArray::number(p.last) + "\r,\n");
    }
    const bool setsTimeouts = GetParam() == 1 || GetParam() == 4;
    EXPECT_EQ(printer.Events().contains("timeouts 30 30"), setsTimeouts);
    const std::vector<std::uint16_t> image = object->GetEepromImage();
    EXPECT_EQ(image[0x1C] & 0x7, 2);
    EXPECT_EQ(image[0x47], 1000);
}

TEST_P(WnEepromTest, FilesHaveTheirExactLayoutAndRoundTrip) {
    ScriptedPrinter printer(std::ref(model));
    ASSERT_EQ(object->BackupEeprom(kPort), 0);
    const QString path = env.Path("saved.eep");
    ASSERT_EQ(object->SaveEepromFile(path), 1);
    const QByteArray bytes = ReadFileBytes(path);
    const bool vklc = GetParam() == 4;
    const QByteArray names =
        "~WN00@ini,w,PrinterName,QL-200~WN00@ini,w,PrinterNameZorv,Q200~WN00@ini,w,TphAdj,adj";
    EXPECT_EQ(bytes.size(), 256 * 21 + names.size() + (vklc ? 0 : 20));
    EXPECT_EQ(bytes.mid(0x20 * 21, 21), QByteArray("~WN00@eep,w,20,0a48\r\n"));
    EXPECT_EQ(bytes.mid(256 * 21), names + (vklc ? QByteArray() : QByteArray("~WN10@CommunicateRST")));

    // A fresh object loads it and saves the same bytes.
    auto other = MakeInstruction(GetParam());
    ASSERT_EQ(other->LoadEepromFile(path), 1);
    EXPECT_EQ(other->GetParameters(), object->GetParameters());
    const QString again = env.Path("again.eep");
    ASSERT_EQ(other->SaveEepromFile(again), 1);
    EXPECT_EQ(ReadFileBytes(again), bytes);
}

TEST_P(WnEepromTest, ShortFilesAndMissingLinesAreRefusedAndChangeNothing) {
    QByteArray text;
    for (int a = 0; a < 256; ++a)
        text += "~WN00@eep,w," + QByteArray::number(a, 16).rightJustified(2, '0') + ",1111\r\n";
    text.replace("~WN00@eep,w,05,1111", "~WN00@eep,w,05,ABCD");
    WriteFileBytes(env.Path("whole.eep"), text);
    ASSERT_EQ(object->LoadEepromFile(env.Path("whole.eep")), 1);
    EXPECT_EQ(object->GetEepromImage()[5], 0xABCD);

    // Lines that would have loaded as 0 (a short file, an empty value) refuse the whole file.
    WriteFileBytes(env.Path("short.eep"), text.left(10 * 21));
    EXPECT_EQ(object->LoadEepromFile(env.Path("short.eep")), 0);
    QByteArray empty = text;
    empty.replace("~WN00@eep,w,07,1111", "~WN00@eep,w,07,");
    WriteFileBytes(env.Path("empty-value.eep"), empty);
    EXPECT_EQ(object->LoadEepromFile(env.Path("empty-value.eep")), 0);
    EXPECT_EQ(object->LoadEepromFile(env.Path("missing.eep")), 0);
    const std::vector<std::uint16_t> image = object->GetEepromImage();
    EXPECT_EQ(image[5], 0xABCD);
    EXPECT_EQ(image[7], 0x1111);
    EXPECT_EQ(image[200], 0x1111);
}

TEST_P(WnEepromTest, NetworkSettingsReadEachWordTwice) {
    model.image[0x3B] = 0x7F00; // 127.0
    model.image[0x3C] = 0x0001; // 0.1
    model.image[0x3D] = 0xFFFF;
    model.image[0x3E] = 0xFF00;
    model.image[0x3F] = 0x7F00;
    model.image[0x40] = 0x00FE;
    model.image[0x38] = 0x1234;
    ScriptedPrinter printer(std::ref(model));
    const NetworkSettings n = object->ReadNetworkSettings(kPort);
    EXPECT_EQ(n.ipAddress, (std::array<std::uint8_t, 4>{127, 0, 0, 1}));
    EXPECT_EQ(n.subnetMask, (std::array<std::uint8_t, 4>{255, 255, 255, 0}));
    EXPECT_EQ(n.gateway, (std::array<std::uint8_t, 4>{127, 0, 0, 254}));
    EXPECT_EQ(n.port, 0x34);
    EXPECT_EQ(model.reads.size(), 13);
    EXPECT_EQ(model.reads[0], model.reads[1]);
}

TEST_P(WnEepromTest, NetworkSettingsLetTheFailureThrough) {
    ScriptedPrinter printer;
    printer.FailOpen(1);
    try {
        (void)object->ReadNetworkSettings(kPort);
        FAIL() << "expected an exception";
    } catch (const CommunicationException& e) {
        EXPECT_EQ(e.GetErrorCode(), 1);
    }
    EXPECT_EQ(printer.Events().last(), "close");
}

INSTANTIATE_TEST_SUITE_P(Languages, WnEepromTest, ::testing::Values(0, 1, 2, 4), LanguageName);

TEST(InstructionFactory, HolderFollowsItsIndex) {
    InstructionHolder holder;
    for (int index = 0; index < 5; ++index) {
        holder.instructionIndex = index;
        ASSERT_NE(CreateInstruction(holder), nullptr);
        EXPECT_EQ(holder.object->InstructionIndex(), index);
    }
    holder.instructionIndex = 5;
    EXPECT_EQ(CreateInstruction(holder), nullptr);
    EXPECT_EQ(holder.object, nullptr);
    holder.instructionIndex = 0;
    CreateInstruction(holder);
    DestroyInstruction(holder);
    EXPECT_EQ(holder.object, nullptr);
}
