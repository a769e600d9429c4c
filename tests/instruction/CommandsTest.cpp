#include "instruction/Commands.h"

#include <gtest/gtest.h>

using namespace quillory;

TEST(Commands, BitFieldCommandsAreByteExact) {
    EXPECT_EQ(WnReadBitsCommand("18", 0, 7), QByteArray("~WN00@eep,r,18,0,7~\r\n"));
    // Bit numbers travel as bytes.
    EXPECT_EQ(WnReadBitsCommand("01", 264, 271), QByteArray("~WN00@eep,r,01,8,15~\r\n"));
    // The write ends with CR ',' LF and carries the value in lower-case hex without leading zeros.
    EXPECT_EQ(WnWriteBitsCommand("01", 8, 15, 10), QByteArray("~WN00@eep,w,01,a,8,15\r,\n"));
    EXPECT_EQ(WnWriteBitsCommand("5C", 0, 15, 0xBEEF), QByteArray("~WN00@eep,w,5C,beef,0,15\r,\n"));
    EXPECT_EQ(WnWriteBitsCommand("01", 0, 7, -120), QByteArray("~WN00@eep,w,01,ffffff88,0,7\r,\n"));
}

TEST(Commands, DumpRequestsAreTwentyBytesWithZeroFill) {
    const QByteArray request = WnDumpRequest(0x1d);
    EXPECT_EQ(request.size(), 20);
    EXPECT_EQ(request, QByteArray("~WN00@eep,r,1d\r\n\0\0\0\0", 20));
    EXPECT_EQ(WnDumpRequest(255).left(16), QByteArray("~WN00@eep,r,ff\r\n"));
}

TEST(Commands, QueriesAndVklaWordAccess) {
    EXPECT_EQ(WnVersionQuery(), QByteArray("~WN01@version~\r\n"));
    EXPECT_EQ(WnIniQuery("PrinterName"), QByteArray("~WN00@ini,r,PrinterName~"));
    EXPECT_EQ(VklaVersionQuery(), QByteArray("\x02v\r\n"));
    EXPECT_EQ(VklaReadWordCommand("1E"), QByteArray("\x02Ke1E\r\n"));
    EXPECT_EQ(VklaMaskedWriteCommand("1D", 0x0030, 0x20), QByteArray("\x02KB1D00300020\r\n"));
    EXPECT_EQ(VklaMaskedWriteCommand("1C", 0xFFFF, 0xFFF8), QByteArray("\x02KB1Cfffffff8\r\n"));
    EXPECT_EQ(AddressText(0x5c), QByteArray("5C"));
    EXPECT_EQ(LowerAddressText(0x5c), QByteArray("5c"));
    EXPECT_EQ(AddressText(7), QByteArray("07"));
}

TEST(Commands, FormattedCommandsNeverOutgrowTheirBuffer) {
    const QByteArray text(5000, 'x');
    EXPECT_EQ(FormatCommand("^ST%s\r\n", text.constData()).size(), 1023);
}

TEST(Commands, HexRepliesParseDefensively) {
    EXPECT_EQ(ParseHexReply("0a48\r\n", 30), 0x0A48u);
    EXPECT_EQ(ParseHexReply("", 30), 0u);
    EXPECT_EQ(ParseHexReply("zz12", 30), 0u);
    EXPECT_EQ(ParseHexReply(QByteArray("12\0"
                                       "34",
                                       5),
                            30),
              0x12u);
    // "0x" and the reply share a 10-byte buffer: seven reply characters at most.
    EXPECT_EQ(ParseHexReply("123456789", 10), 0x1234567u);
}

TEST(Commands, ListPositionsFromPrinterValues) {
    const std::pair<unsigned, int> speeds[] = {{0, 0},   {60, 0},  {61, 1},  {90, 1},  {91, 2},
                                               {110, 2}, {111, 3}, {135, 3}, {136, 4}, {65535, 4}};
    for (const auto& [word, position] : speeds)
        EXPECT_EQ(SpeedPosition(word), position) << word;
    EXPECT_EQ(VklcSpeedPosition(25), 0);
    EXPECT_EQ(VklcSpeedPosition(26), 1);
    EXPECT_EQ(VklcSpeedPosition(60), 1);
    EXPECT_EQ(VklcSpeedPosition(61), 2);
    EXPECT_EQ(VklcSpeedPosition(136), 5);

    const std::pair<unsigned, int> darkness[] = {{0, 0},   {6, 6},   {7, 7},   {8, 7},   {9, 8},
                                                 {12, 8},  {13, 9},  {14, 9},  {15, 10}, {16, 11},
                                                 {17, 12}, {18, 12}, {19, 13}, {20, 13}, {21, 15}};
    for (const auto& [value, position] : darkness)
        EXPECT_EQ(DarknessPosition(value), position) << value;

    EXPECT_EQ(SignedByteOffset(0x85), -5);
    EXPECT_EQ(SignedByteOffset(127), 127);
    EXPECT_EQ(SignedByteOffset(128), 0);
}

TEST(Commands, FirmwareMarkerIsCaseSensitive) {
    EXPECT_TRUE(HasFirmwareMarker("V2 FV1.3"));
    EXPECT_FALSE(HasFirmwareMarker("fv1.3"));
    EXPECT_FALSE(HasFirmwareMarker(""));
}
