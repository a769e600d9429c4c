// Lines that stop for a moment inside a reply (a busy printer, a USB adapter's buffer, a bridge's
// packets): a reply whose end can be seen is read whole, wherever the pause falls, rather than
// ended at the gap with its first part taken for the value.
#include "TimingContract.h"

#include "instruction/Exchange.h"
#include "instruction/VKLAInstruction.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

constexpr int kPauseMs = 40; // far beyond the 5 ms gap, well within the wait for the rest

class PausedReplies : public ::testing::Test {
protected:
    TempEnvironment env;
};

} // namespace

TEST_F(PausedReplies, NumbersAreReadWholeWhereverThePauseFalls) {
    // A word reply is four hex digits and a line end: pauses after each of its first five bytes.
    for (const int language : {3, 0}) {
        sim::VirtualPrinter printer(language);
        FillDistinctImage(printer, 7);
        printer.SetEepromWord(0x0a, 0x8ac6);
        ASSERT_TRUE(printer.StartTcp(0));
        const tagPORTINFO port = TcpPort(printer.TcpPort());
        for (int after = 1; after <= 5; ++after) {
            printer.SetFaults({.pauseInReplyMs = kPauseMs, .pauseAfterBytes = after});
            const int result = RunExchange(port, [&](CExchange& x) {
                x.Open(kStandardTimeouts);
                for (const int address : {0x0a, 0x1d, 0x3f}) {
                    const QByteArray text = QByteArray::number(address, 16).rightJustified(2, '0');
                    const unsigned value =
                        language == 3 ? ReadEepromWord(x, text, 0xFFFF) : ReadEepromBits(x, text, 0, 15);
                    EXPECT_EQ(value, printer.EepromWord(address))
                        << "language " << language << ", pause after " << after << ", word " << address;
                }
            });
            EXPECT_EQ(result, 0) << "language " << language << ", pause after " << after << ": "
                                 << LastCommunicationFailure().toStdString();
        }
    }
}

TEST_F(PausedReplies, ListingsAndTheIdTextAreReadWhole) {
    sim::VirtualPrinter printer(3);
    FillDistinctImage(printer, 9);
    const QByteArray id = "Packing line 4, left printer, second floor, hall B";
    printer.SetIdText(id);
    ASSERT_TRUE(printer.StartTcp(0));
    const tagPORTINFO port = TcpPort(printer.TcpPort());

    // Only replies longer than the version (29 bytes) pause: the listings and the ID reply.
    const Reading prompt = ReadEverything(3, port, printer);
    ASSERT_EQ(prompt.backupCode, 0);
    ASSERT_EQ(prompt.fontListCode, 0);
    printer.SetFaults({.pauseInReplyMs = kPauseMs, .pauseAfterBytes = 40});
    const Reading paused = ReadEverything(3, port, printer);
    EXPECT_EQ(Difference(prompt, paused).toStdString(), std::string());

    CVKLAInstruction object;
    ASSERT_EQ(object.BackupEeprom(port), 0);
    EXPECT_EQ(object.GetIdText().toLocal8Bit(), id);
}

TEST_F(PausedReplies, OnASerialLineTextsOutwaitTheBurstsOfAnAdapter) {
    // The version and the printer names have no end to wait for. A USB serial adapter delivers
    // them in bursts some milliseconds apart; a serial line waits that out before it takes a text
    // as whole, where a cut name in a backup would later be restored into the printer.
    sim::VirtualPrinter printer(0);
    FillDistinctImage(printer, 5);
    printer.SetIniText("PrinterName", "Packing line 4 left");
    printer.SetIniText("TphAdj", "3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3");
    const QString device = printer.StartPty();
    ASSERT_FALSE(device.isEmpty());
    const tagPORTINFO port = SerialLine(device, 115200);

    const Reading prompt = ReadEverything(0, port, printer);
    ASSERT_EQ(prompt.backupCode, 0);
    ASSERT_TRUE(prompt.backupFile.contains("Packing line 4 left"));
    // Twice the 5 ms gap; replies of up to eight bytes (numbers, the dump) go out whole.
    printer.SetFaults({.pauseInReplyMs = 10, .pauseAfterBytes = 8});
    const Reading paused = ReadEverything(0, port, printer);
    EXPECT_EQ(Difference(prompt, paused).toStdString(), std::string());
}
