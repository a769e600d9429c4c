// A printer told to ignore writes to some words takes every write but keeps those words: reads
// over the wire return the old value, in every language and whatever form the write has.
#include "SimClients.h"
#include "sim/PrinterModel.h"
#include "sim/VirtualPrinter.h"

#include <gtest/gtest.h>

using namespace quillory::sim;
using namespace quillory::sim::test;

namespace {

struct IgnoredWrite {
    const char* name;
    int language;
    const char* write; // lands in address
    int address;
    std::uint16_t written; // the value the write gives when it is not ignored
};

const IgnoredWrite kWrites[] = {
    {"VklzWholeWord", SIM_VKLZ, "~WN00@eep,w,12,0019\r\n", 0x12, 0x19},
    {"VklzBitField", SIM_VKLZ, "~WN00@eep,w,12,00000019,0,7\r,\n", 0x12, 0x19},
    {"VklzDarkness", SIM_VKLZ, "~SD25\r\n", 0x12, 25},
    {"VklzLabelLength", SIM_VKLZ, "^XA^LL800^XZ\r\n", 0x1B, 800},
    {"VkleWidth", SIM_VKLE, "q640\r\n", 0x5A, 640},
    {"VkleBitField", SIM_VKLE, "~WN00@eep,w,5a,00000007,0,3\r,\n", 0x5A, 0x0327},
    {"VkltRibbon", SIM_VKLT, "SET RIBBON OFF\r\n", 0x0D, 0},
    {"VkltBitField", SIM_VKLT, "~WN00@eep,w,0d,00000003,0,1\r,\n", 0x0D, 3},
    {"VklaMasked", SIM_VKLA, "\x02KB1200ff0005\r\n", 0x12, 5},
    {"VklaWholeWord", SIM_VKLA, "\x02KE120005\r\n", 0x12, 5},
    {"VklcSpeed", SIM_VKLC, "! U1 SPEED 5\r\n", 0x0F, 0x98},
    {"VklcWidth", SIM_VKLC, "PW 500\r\n", 0x47, 500},
    {"VklcBitField", SIM_VKLC, "~WN00@eep,w,47,00000001,0,3\r,\n", 0x47, 0x0321},
};

QByteArray ReadCommand(int language, int address) {
    const QByteArray hex = QByteArray::number(address, 16).rightJustified(2, '0');
    return language == SIM_VKLA ? "\x02Ke" + hex.toUpper() + "\r\n" : "~WN00@eep,r," + hex + ",0,15~\r\n";
}

// A write to a word the fault leaves alone, sent with the ignored one.
QByteArray OtherWrite(int language) {
    return language == SIM_VKLA ? QByteArray("\x02KE130007\r\n") : QByteArray("~WN00@eep,w,13,0007\r\n");
}

class IgnoreWrites : public ::testing::TestWithParam<IgnoredWrite> {};

} // namespace

TEST_P(IgnoreWrites, TheWordKeepsItsValueAndReadsBackOld) {
    const IgnoredWrite& row = GetParam();
    VirtualPrinter printer(row.language);
    ASSERT_TRUE(printer.StartTcp(0));
    const std::uint16_t old = printer.EepromWord(row.address);
    ASSERT_NE(old, row.written) << "the row must change the word";

    Faults faults;
    faults.ignoreWrites = {0x40, row.address};
    printer.SetFaults(faults);
    {
        TcpClient client(printer.TcpPort());
        ASSERT_TRUE(client.Send(QByteArray(row.write) + OtherWrite(row.language) +
                                ReadCommand(row.language, row.address)));
        EXPECT_EQ(client.Receive(6), HexWordReply(old));
    }
    EXPECT_EQ(printer.EepromWord(row.address), old);
    EXPECT_EQ(printer.EepromWord(0x13), 7); // other words take their writes

    // Without the fault the same write lands in the word.
    printer.SetFaults({});
    TcpClient client(printer.TcpPort());
    ASSERT_TRUE(client.Send(QByteArray(row.write) + ReadCommand(row.language, row.address)));
    EXPECT_EQ(client.Receive(6), HexWordReply(row.written));
    EXPECT_EQ(printer.EepromWord(row.address), row.written);
}

INSTANTIATE_TEST_SUITE_P(Writes, IgnoreWrites, ::testing::ValuesIn(kWrites),
                         [](const ::testing::TestParamInfo<IgnoredWrite>& info) { return info.param.name; });

TEST(IgnoreWritesFault, FactoryResetLeavesTheWordAndTheCallerMaySetIt) {
    VirtualPrinter printer(SIM_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    Faults faults;
    faults.ignoreWrites = {0x12};
    printer.SetFaults(faults);
    // The test's own hand on the image is no write from a host.
    printer.SetEepromWord(0x12, 9);
    printer.SetEepromWord(0x0F, 50);
    {
        TcpClient client(printer.TcpPort());
        ASSERT_TRUE(client.Send("^XA^JUF^XZ\r\n" + ReadCommand(SIM_VKLZ, 0x0F)));
        EXPECT_EQ(client.Receive(6), HexWordReply(102));
    }
    EXPECT_EQ(printer.EepromWord(0x12), 9);
    EXPECT_EQ(printer.EepromWord(0x0F), 102);
}
