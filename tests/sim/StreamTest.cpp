#include "StreamHarness.h"

#include <gtest/gtest.h>

#include <random>

using namespace quillory::sim;
using quillory::sim::test::StreamPrinter;

namespace {

QByteArray Hex2(int value) {
    return QByteArray::number(value, 16).rightJustified(2, '0');
}

// The whole-EEPROM request: 16 bytes of text written with length 20.
QByteArray DumpRequest(int address) {
    return "~WN00@eep,r," + Hex2(address) + "\r\n" + QByteArray(4, '\0');
}

class ExtendedLanguage : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(ExtendedLanguage, AnswersVersionAndBitFieldReads) {
    StreamPrinter p(GetParam());
    EXPECT_EQ(p.Send("~WN01@version~\r\n"), p.model.Version());
    EXPECT_EQ(p.Send("~WN00@eep,r,18,0,7~\r\n"), "0008\r\n");
    p.model.SetWord(0x1C, 0xA5F2);
    EXPECT_EQ(p.Send("~WN00@eep,r,1C,4,7~\r\n"), "000f\r\n");
    EXPECT_EQ(p.Send("~WN00@eep,r,1c,0,15~\r\n"), "a5f2\r\n");
    EXPECT_EQ(p.Send("~WN00@eep,r,1C,12,12~\r\n"), "0000\r\n");
}

TEST_P(ExtendedLanguage, BitFieldWritesKeepTheOtherBitsWhateverWayTheOddTerminatorArrives) {
    StreamPrinter p(GetParam());
    p.model.SetWord(0x01, 0x1234);
    EXPECT_TRUE(p.Send("~WN00@eep,w,01,a,8,15\r,\n").isEmpty());
    EXPECT_EQ(p.model.Word(0x01), 0x0A34);
    // The comma in a later read must not start a command of its own.
    p.Send("~WN00@eep,w,01,7,0,3\r");
    p.Send(",");
    p.Send("\n~WN00@eep,r,01,0,15~\r\n");
    EXPECT_EQ(p.model.Word(0x01), 0x0A37);
    // A value wider than its field is cut to the field.
    p.Send("~WN00@eep,w,48,ff,2,3\r,\n");
    EXPECT_EQ(p.model.Bits(0x48, 0, 15), 0x000Cu);
    // The network page ends the same write with CR LF alone.
    p.Send("~WN00@eep,w,37,2,0,1\r\n");
    EXPECT_EQ(p.model.Bits(0x37, 0, 1), 2u);
}

TEST_P(ExtendedLanguage, WholeEepromDumpIsSixBytesPerWordHoweverTheRequestsArrive) {
    StreamPrinter p(GetParam());
    for (int a = 0; a < 256; ++a)
        p.model.SetWord(a, std::uint16_t(a * 0x0101 ^ 0x5A3C));
    QByteArray requests;
    for (int a = 0; a < 256; ++a)
        requests += DumpRequest(a);
    const QByteArray all = p.Send(requests);
    ASSERT_EQ(all.size(), 1536);
    for (int a = 0; a < 256; ++a)
        ASSERT_EQ(all.mid(6 * a, 6),
                  QByteArray::number(a * 0x0101 ^ 0x5A3C, 16).rightJustified(4, '0') + "\r\n");
    EXPECT_EQ(p.SendInPieces(requests, 7), all);
    EXPECT_EQ(p.SendInPieces(requests, 1), all);
}

TEST_P(ExtendedLanguage, NameTextsAreRawRepliesAndTakeWritesWithoutTerminator) {
    StreamPrinter p(GetParam());
    EXPECT_EQ(p.Send("~WN00@ini,r,PrinterName~"), p.model.IniText(0));
    EXPECT_EQ(p.Send("~WN00@ini,r,TphAdj~"), p.model.IniText(2));
    p.Send("~WN00@ini,w,PrinterName,Shop 1~WN00@ini,w,PrinterNameZorv,Z-9~WN00@ini,w,TphAdj,");
    p.Send("1,2,3");
    EXPECT_EQ(p.model.IniText(0), "Shop 1");
    EXPECT_EQ(p.model.IniText(1), "Z-9");
    EXPECT_EQ(p.model.IniText(2), "1,2,3");
    // "PrinterName" must not answer for "PrinterNameZorv" while the key is still arriving.
    EXPECT_TRUE(p.Send("~WN00@ini,r,PrinterName").isEmpty());
    EXPECT_EQ(p.Send("Zorv~"), "Z-9");
    EXPECT_TRUE(p.Send("~WN00@ini,r,Unknown~").isEmpty());
    // Texts are kept within the printer's fields.
    p.Send("~WN00@ini,w,PrinterName," + QByteArray(50, 'x') + "\r\n");
    EXPECT_EQ(p.model.IniText(0), QByteArray(30, 'x'));
}

TEST_P(ExtendedLanguage, EepromFileSentRawProgramsTheImage) {
    // Laid out as the host writes its EEPROM files.
    QByteArray file;
    for (int a = 0; a < 256; ++a)
        file += "~WN00@eep,w," + Hex2(a) + ',' + QByteArray::number(0xF00F ^ a, 16).rightJustified(4, '0') +
                "\r\n";
    file += "~WN00@ini,w,PrinterName,Line 3~WN00@ini,w,PrinterNameZorv,Z~WN00@ini,w,TphAdj,9,9";
    if (GetParam() != SIM_VKLC)
        file += "~WN10@CommunicateRST";
    StreamPrinter p(GetParam());
    EXPECT_TRUE(p.SendInPieces(file, 64).isEmpty());
    p.stream.Finish(p.model);
    for (int a = 0; a < 256; ++a)
        ASSERT_EQ(p.model.Word(a), 0xF00F ^ a) << a;
    EXPECT_EQ(p.model.IniText(0), "Line 3");
    EXPECT_EQ(p.model.IniText(2), "9,9");

    // The printer's own image file is the same kind of file.
    StreamPrinter copy(GetParam());
    copy.Send(p.model.ImageFileBytes());
    copy.stream.Finish(copy.model);
    EXPECT_EQ(copy.model.ImageFileBytes(), p.model.ImageFileBytes());
}

TEST_P(ExtendedLanguage, MalformedOrForeignBytesChangeAndAnswerNothing) {
    StreamPrinter p(GetParam());
    const QByteArray before = p.model.ImageFileBytes();
    const char* const bad[] = {
        "~WN00@eep,r,18,8,7~\r\n",  "~WN00@eep,r,18,0,16~\r\n",    "~WN00@eep,r,zz,0,7~\r\n",
        "~WN00@eep,r,1ff,0,7~\r\n", "~WN00@eep,w,18,xyz,0,7\r,\n", "~WN00@eep,w,18,12345\r\n",
        "~WN00@eep,w,18,1,0\r\n",   "~WN00@eep,r,18,0,7,9~\r\n",   "~WN99@something~\r\n",
        "~WN00@eep,r,18,-1,7~\r\n",
    };
    for (const char* command : bad)
        EXPECT_TRUE(p.Send(command).isEmpty()) << command;
    // Binary data between commands is passed over.
    QByteArray noise(3000, '\0');
    std::mt19937 random(7);
    for (char& c : noise)
        c = char(random() % 256 == 0 ? '~' : 'a' + random() % 26);
    p.Send(noise + "\r\n");
    EXPECT_EQ(p.model.ImageFileBytes(), before);
    EXPECT_EQ(p.Send("~WN00@eep,r,18,0,7~\r\n"), "0008\r\n");
    // An overlong name key is data; what follows it is still heard.
    EXPECT_EQ(p.Send("~WN00@ini,w," + QByteArray(400, 'k') + "~WN00@eep,r,18,0,7~\r\n"), "0008\r\n");
}

INSTANTIATE_TEST_SUITE_P(Languages, ExtendedLanguage,
                         ::testing::Values(SIM_VKLZ, SIM_VKLE, SIM_VKLT, SIM_VKLC), [](const auto& info) {
                             return PrinterModel(info.param).LanguageName().toStdString();
                         });

TEST(Vkla, WordReadsMaskedWritesAndFileWrites) {
    StreamPrinter p(SIM_VKLA);
    EXPECT_EQ(p.Send("\x02v\r\n"), p.model.Version());
    EXPECT_TRUE(p.model.Version().contains("FV"));
    EXPECT_EQ(p.Send("\x02Ke0E\r\n"), "0050\r\n");
    p.model.SetWord(0x1D, 0x00B5);
    // Mask 0030 value 0020: only bits 4 and 5 change.
    EXPECT_TRUE(p.Send("\x02KB1D00300020\r\n").isEmpty());
    EXPECT_EQ(p.ReadWord(0x1D), 0x00A5u);
    p.Send("\x02KB1cfffffff8\r\n");
    EXPECT_EQ(p.ReadWord(0x1C), 0xFFF8u);
    p.Send("\x02KE1e0123\r\n\x02KE5cabcd\r\n");
    EXPECT_EQ(p.model.Word(0x1E), 0x0123);
    EXPECT_EQ(p.model.Word(0x5C), 0xABCD);
    // 126 words only; a short or overlong write is no write.
    EXPECT_TRUE(p.Send("\x02Ke7E\r\n").isEmpty());
    p.Send("\x02KB1D003000\r\n\x02KB1D0030002000\r\n\x02KE7e0001\r\n");
    EXPECT_EQ(p.ReadWord(0x1D), 0x00A5u);
}

TEST(Vkla, IdTextRoundTripAndListings) {
    StreamPrinter p(SIM_VKLA);
    // The host drops the last six characters of the reply.
    EXPECT_EQ(p.Send("\x1DI\x99\r\n"), p.model.IdText() + "\r\nOK\r\n");
    p.Send(QByteArray("\x1BsBE\x92\x99\x1DIC", 9) + "Line 7" + QByteArray("\0\r\n", 3));
    EXPECT_EQ(p.model.IdText(), "Line 7");
    p.Send(QByteArray("\x1BsBE\x92\x99\x1DIC", 9) + QByteArray("\0\r\n", 3));
    EXPECT_EQ(p.Send("\x1DI\x99\r\n"), "\r\nOK\r\n");

    const QByteArray fonts = p.Send("\x02WF\r\n");
    const QByteArray graphics = p.Send("\x02WG\r\n");
    for (const auto& [listing, marker] :
         {std::pair{fonts, "MODULE: FLASH\r\n"}, std::pair{graphics, "MODULE: RAM\r\n"}}) {
        const qsizetype start = listing.indexOf(marker);
        const qsizetype end = listing.indexOf("AVAILABLE BYTES IN MODULE: ");
        ASSERT_GE(start, 0);
        ASSERT_GT(end, start);
        EXPECT_GE(listing.mid(start, end - start).count("\r\n"), 2);
        EXPECT_TRUE(listing.endsWith("\r\n"));
        EXPECT_LE(listing.size(), 1023);
    }
}

TEST(Vkla, EepromFileProgramsTheImageAndItsEndCommandHasNoLineEnd) {
    // As the host writes it: 118 word lines, the ID line, then the 12-byte end command.
    QByteArray file;
    for (int a = 0; a < 126; ++a) {
        if (a == 10 || a == 11 || a == 12 || a == 13 || a == 62 || a == 63 || a == 118 || a == 119)
            continue;
        file += "\x02KE" + Hex2(a) + QByteArray::number(0x1000 + a, 16) + "\r\n";
    }
    file += QByteArray("\x1BsBE\x92\x99\x1DIC", 9) + "Depot" + QByteArray("\0\r\n", 3);
    file += "\x02&05000100\x92\x99";
    StreamPrinter p(SIM_VKLA);
    p.model.SetWord(0x0A, 0x4444);
    p.SendInPieces(file + "\x02Ke00\r\n", 5);
    EXPECT_EQ(p.model.Word(0x00), 0x1000);
    EXPECT_EQ(p.model.Word(0x7D), 0x107D);
    EXPECT_EQ(p.model.Word(0x0A), 0x4444); // no line for it
    EXPECT_EQ(p.model.IdText(), "Depot");
    EXPECT_TRUE(p.model.Actions().contains("eeprom-end"));
    // The query straight after the end command was answered.
    EXPECT_EQ(p.Send("\x02Ke7D\r\n"), "107d\r\n");
}

namespace {

struct ActionCase {
    int language;
    QByteArray bytes;
    const char* action;
};

} // namespace

TEST(ServiceCommands, EveryLanguageRecognisesItsServiceActions) {
    const ActionCase cases[] = {
        {SIM_VKLZ, "~WC\r\n", "self-test"},
        {SIM_VKLZ, "^XA^WD*:*.FNT^XZ\r\n", "font-list"},
        {SIM_VKLZ, "^XA^WD*:*.ZPL^XZ\r\n", "form-list"},
        {SIM_VKLZ, "~PH\r\n", "feed"},
        {SIM_VKLZ, "~JC\r\n", "calibrate"},
        {SIM_VKLZ, "~JR\r\n", "restart"},
        {SIM_VKLZ, "~JD\r\n", "dump-on"},
        {SIM_VKLZ, "~JE\r\n", "dump-off"},
        {SIM_VKLE, "U\r\n", "self-test"},
        {SIM_VKLE, "GI\r\n", "graphic-list"},
        {SIM_VKLE, "xa\r\n", "calibrate"},
        {SIM_VKLE, "^@\r\n", "restart"},
        {SIM_VKLE, "dump\r\n", "dump-on"},
        {SIM_VKLE, QByteArray("\0\r\n", 3), "auto-off"},
        {SIM_VKLT, "SELFTEST\r\n", "self-test"},
        {SIM_VKLT, "\x1B!F\r\n", "feed"},
        {SIM_VKLT, "AUTODETECT\r\n", "calibrate"},
        {SIM_VKLT, "\x1B!R\r\n", "restart"},
        {SIM_VKLT, "\x1B!D \r\n", "dump-on"},
        {SIM_VKLC, "! U1 PRN-CONFIG-LIST\r\n", "self-test"},
        {SIM_VKLC, "\x0C\r\n", "feed"},
        {SIM_VKLC, "! U1 MEDIA-CALIBRATE\r\n", "calibrate"},
        {SIM_VKLC, "\r\n! U1 do \"device.reset\" \"\"\r\n\x1Bh", "restart"},
        {SIM_VKLC, "\r\n! U1 do \"input.capture\" \"print\"\r\n\x1Bh", "dump-on"},
        {SIM_VKLC, "\r\n! U1 do \"input.capture\" \"off\"\r\n\x1Bh", "dump-off"},
        {SIM_VKLA, "\x02Z\r\n", "self-test"},
        {SIM_VKLA,
         "\x02"
         "F\r\n",
         "feed"},
        {SIM_VKLA, "\x02JC\r\n", "calibrate"},
        {SIM_VKLA, "\x01#\r\n", "restart"},
    };
    for (const ActionCase& c : cases) {
        StreamPrinter p(c.language);
        EXPECT_TRUE(p.Send(c.bytes).isEmpty()) << c.action;
        EXPECT_EQ(p.model.Actions(), QStringList{c.action})
            << p.model.LanguageName().constData() << ' ' << c.action;
    }
}

TEST(ServiceCommands, FactoryResetRestoresTheDefaults) {
    const std::pair<int, QByteArray> resets[] = {{SIM_VKLZ, "^XZ^JUF^XZ\r\n"},
                                                 {SIM_VKLE, "^default\r\n"},
                                                 {SIM_VKLT, "INITALPRINTER\r\n"},
                                                 {SIM_VKLC, "RECOVER-FACTORY\r\n"}};
    for (const auto& [language, command] : resets) {
        StreamPrinter p(language);
        const std::uint16_t darkness = p.model.Word(0x12);
        p.Send("~WN00@eep,w,12,1e,0,7\r,\n");
        ASSERT_NE(p.model.Word(0x12), darkness);
        p.Send(command);
        EXPECT_EQ(p.model.Word(0x12), darkness) << command.constData();
        EXPECT_TRUE(p.model.Actions().contains("factory-reset"));
    }
}

TEST(NetworkFrames, StaticAddressReachesTheNetworkWordsAndFramesAreNotMistakenForCommands) {
    StreamPrinter p(SIM_VKLZ);
    const QByteArray header("\x1D\x99\x42\x45\x92\x99", 6);
    // DHCP off, then the static address 10.1.2.3/255.255.0.0 via 10.1.0.1 (its data holds '^' and '~').
    p.SendInPieces(header + QByteArray("\x51\x01\x00\xBA", 4) + header + 'I' +
                       QByteArray("\x0A\x01\x02\x03\xFF\xFF\x00\x00\x0A\x01\x00\x01", 12) + header +
                       QByteArray("\x57\x02\x5E\x7E", 4) + char(0) + "~WN00@eep,r,3b,0,15~\r\n",
                   3);
    EXPECT_EQ(p.model.Word(0x3B), 0x0A01);
    EXPECT_EQ(p.model.Word(0x3C), 0x0203);
    EXPECT_EQ(p.model.Word(0x3D), 0xFFFF);
    EXPECT_EQ(p.model.Word(0x40), 0x0001);
    EXPECT_EQ(p.model.Actions().count("network"), 3);
    // Factory defaults bring the loopback address back.
    p.Send(header + QByteArray("\x58\x00\xC0", 3));
    EXPECT_EQ(p.model.Word(0x3B), 0x7F00);
}

TEST(Logo, BitmapBytesAreNotParsedAsCommands) {
    StreamPrinter p(SIM_VKLZ);
    QByteArray bitmap(512, '^');
    bitmap.replace(0, 6, "~JR\r\n~");
    p.Send("~WN11@DownLogo,512~" + bitmap.left(100));
    p.Send(bitmap.mid(100) + "~JR~");
    EXPECT_EQ(p.model.Actions(), (QStringList{"logo", "restart"}));
}
