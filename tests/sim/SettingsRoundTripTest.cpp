// Settings sent the way the host applies them must read back, through the host's own read rules,
// as what was sent (wherever a language's reading can tell the values apart).
#include "StreamHarness.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace quillory::sim;
using quillory::sim::test::StreamPrinter;

namespace {

using Record = std::map<std::string, int>;

QByteArray Line(const QByteArray& text) {
    return text + "\r\n";
}

QByteArray Number(int value) {
    return QByteArray::number(value);
}

// The host's read rules.
int SpeedPosition(unsigned word) {
    return word <= 60 ? 0 : word <= 90 ? 1 : word <= 110 ? 2 : word <= 135 ? 3 : 4;
}
int VklcSpeedPosition(unsigned word) {
    return word <= 25 ? 0 : word <= 60 ? 1 : word <= 90 ? 2 : word <= 110 ? 3 : word <= 135 ? 4 : 5;
}
int DarknessPosition(unsigned byte) {
    if (byte <= 6)
        return int(byte);
    constexpr int kTable[] = {7, 7, 8, 8, 8, 8, 9, 9, 10, 11, 12, 12, 13, 13}; // bytes 7..20
    return byte <= 20 ? kTable[byte - 7] : 15;
}
int Signed128(unsigned byte) {
    return byte > 127 ? 128 - int(byte) : int(byte);
}

unsigned Bits(StreamPrinter& p, int address, int first, int last) {
    const auto value = p.ReadBits(address, first, last);
    EXPECT_TRUE(value.has_value()) << "no reply for " << address;
    return value.value_or(0xFFFFFFFF);
}

// --- VKLZ ---

QByteArray ApplyVklz(const Record& r) {
    const char* media[] = {"^MNN", "^MNM", "^MNY", "^MNM"};
    const char* output[] = {"^MMR", "^MMT", "^MMP", "^MMC"};
    return Line("~MUD") + Line("~SD" + Number(r.at("PrintDarkness")).rightJustified(2, '0')) +
           Line("~TA" + QString::asprintf("%03d", r.at("TearPaperPosition")).toLatin1()) + Line("^XA") +
           Line(r.at("PrintType") ? "^MTT" : "^MTD") + Line("^PW" + Number(r.at("PaperWidth"))) +
           Line(media[r.at("PaperType")]) + Line("^LL" + Number(r.at("PaperHeight"))) +
           Line(r.at("PrintDrection") ? "^POI" : "^PON") +
           Line("^PR" + Number(r.at("PrintSpeed") + 2) + ',' + Number(r.at("PrintSpeed") + 2)) +
           Line(r.at("MirrorPrint") ? "^PMY" : "^PMN") +
           Line("^LS" + Number(r.at("HoriPrintPositionOffset"))) +
           Line("^LT" + Number(r.at("VertPrintPositionOffset"))) + Line(output[r.at("OutPaperType")]) +
           Line("^JUS^XZ");
}

Record ReadVklz(StreamPrinter& p) {
    Record r;
    r["PrintType"] = int(Bits(p, 0x0D, 0, 1));
    r["PaperType"] = int(Bits(p, 0x1C, 0, 2));
    r["OutPaperType"] = int(Bits(p, 0x1C, 4, 7));
    r["PrintSpeed"] = SpeedPosition(Bits(p, 0x0F, 0, 15));
    r["PrintDarkness"] = int(Bits(p, 0x12, 0, 7));
    r["PaperWidth"] = int(Bits(p, 0x47, 0, 15));
    r["PaperHeight"] = int(Bits(p, r["PaperType"] == 0 ? 0x1E : 0x1B, 0, 15));
    r["PrintDrection"] = int(Bits(p, 0x48, 0, 1));
    r["MirrorPrint"] = int(Bits(p, 0x48, 2, 3));
    r["TearPaperPosition"] = Signed128(Bits(p, 0x01, 0, 7));
    const int hori = int(Bits(p, 0x0C, 0, 15));
    r["HoriPrintPositionOffset"] = hori > 32760 ? hori - 65536 : hori;
    r["VertPrintPositionOffset"] = Signed128(Bits(p, 0x01, 8, 15));
    return r;
}

// --- VKLE ---

QByteArray ApplyVkle(const Record& r) {
    QByteArray media;
    const QByteArray height = Number(r.at("PaperHeight"));
    if (r.at("PaperType") == 0)
        media = "Q" + height + ",0,0";
    else if (r.at("PaperType") == 2)
        media = "Q" + height + ',' + Number(r.at("GapHeight")) + ",0";
    else
        media = "Q" + height + ",B" + Number(r.at("GapHeight")) + ",0";
    const char* output[] = {"JB", "JF", "OP", "OC"};
    const int page = r.at("CodePage");
    const QByteArray codePage = page <= 13
                                    ? "I" + Number(r.at("BitData")) + ',' + Number(page) + ",001"
                                    : "I" + Number(r.at("BitData")) + ',' + char('A' + page - 14) + ",001";
    return Line("q" + Number(r.at("PaperWidth"))) + Line(media) +
           Line(r.at("PrintDrection") == 1 ? "ZT" : "ZB") + Line("S" + Number(r.at("PrintSpeed") + 2)) +
           Line("D" + Number(r.at("PrintDarkness"))) + Line(r.at("PrintType") == 1 ? "O" : "OD") +
           Line(output[r.at("OutPaperType")]) + Line(codePage);
}

Record ReadVkle(StreamPrinter& p) {
    Record r;
    r["PaperType"] = int(Bits(p, 0x1C, 0, 2));
    r["PrintType"] = int(Bits(p, 0x0D, 0, 1));
    r["PaperWidth"] = int(Bits(p, 0x5A, 0, 15));
    r["PaperHeight"] = int(Bits(p, r["PaperType"] == 0 ? 0x19 : 0x1E, 0, 15));
    r["GapHeight"] = int(Bits(p, 0x21, 0, 15));
    const int output = int(Bits(p, 0x1C, 4, 7));
    r["OutPaperType"] = output == 1 ? (Bits(p, 0x35, 0, 7) == 100 ? 1 : 0) : output;
    r["PrintDrection"] = int(Bits(p, 0x48, 0, 1));
    r["PrintSpeed"] = SpeedPosition(Bits(p, 0x0F, 0, 15));
    r["PrintDarkness"] = DarknessPosition(Bits(p, 0x12, 0, 7));
    r["BitData"] = Bits(p, 0x53, 0, 7) != 7 ? 1 : 0;
    const unsigned page = Bits(p, 0x53, 8, 15);
    r["CodePage"] = page <= 13 ? int(page) : 19;
    return r;
}

// --- VKLT ---

constexpr const char* kVkltCodePages[] = {
    "USA",    "BRI",    "GER",    "FRE",    "DAN",    "ITA",     "SPA",    "SWE",   "SWI",    "437",
    "737",    "850",    "851",    "852",    "855",    "857",     "860",    "861",   "862",    "863",
    "864",    "865",    "866",    "869",    "1250",   "1251",    "1252",   "1253",  "1254",   "1255",
    "1256",   "1257",   "1258",   "932",    "936",    "949",     "950",    "UTF-8", "8859-1", "8859-2",
    "8859-3", "8859-4", "8859-7", "8859-8", "8859-9", "8859-10", "8859-15"};

QByteArray ApplyVklt(const Record& r) {
    QByteArray media = r.at("PaperType") == 0   ? QByteArray("GAP 0,0")
                       : r.at("PaperType") == 2 ? "GAP " + Number(r.at("GapHeight")) + " dot,0 dot"
                                                : QByteArray("BLINE 0,104 mm");
    const char* output[] = {"SET PEEL OFF\r\nSET CUTTER OFF\r\nSET TEAR OFF", "SET TEAR ON", "SET PEEL ON",
                            "SET CUTTER ON"};
    return Line(r.at("PrintType") ? "SET RIBBON ON" : "SET RIBBON OFF") + Line(media) +
           Line("SIZE " + Number(r.at("PaperWidth")) + " dot," + Number(r.at("PaperHeight")) + " dot") +
           Line("SPEED " + Number(r.at("PrintSpeed") + 2)) +
           Line("DENSITY " + Number(r.at("PrintDarkness"))) +
           Line("DIRECTION " + Number(r.at("PrintDrection")) + ',' + Number(r.at("MirrorPrint"))) +
           Line(output[r.at("OutPaperType")]) +
           Line(r.at("PrintAffterError") ? "SET REPRINT ON" : "SET REPRINT OFF") +
           Line(QByteArray("CODEPAGE ") + kVkltCodePages[r.at("CodePage")]) +
           Line("OFFSET " + Number(r.at("TearPaperPosition")) + " dot") +
           Line("REFERENCE " + Number(r.at("HoriPrintPositionOffset")) + ',' +
                Number(r.at("VertPrintPositionOffset")));
}

Record ReadVklt(StreamPrinter& p) {
    Record r;
    r["PaperType"] = int(Bits(p, 0x1C, 0, 2));
    r["OutPaperType"] = int(Bits(p, 0x1C, 4, 7));
    r["PrintSpeed"] = SpeedPosition(Bits(p, 0x0F, 0, 15));
    r["PrintDarkness"] = DarknessPosition(Bits(p, 0x12, 0, 7));
    r["PaperWidth"] = int(Bits(p, 0x5A, 0, 15));
    r["PaperHeight"] = int(Bits(p, r["PaperType"] == 0 ? 0x1E : 0x1B, 0, 15));
    r["GapHeight"] = int(Bits(p, 0x21, 0, 15));
    r["PrintDrection"] = int(Bits(p, 0x48, 0, 1));
    r["MirrorPrint"] = int(Bits(p, 0x48, 2, 3));
    r["TearPaperPosition"] = Signed128(Bits(p, 0x01, 0, 7));
    r["HoriPrintPositionOffset"] = int(Bits(p, 0x83, 0, 15));
    r["VertPrintPositionOffset"] = int(Bits(p, 0x5C, 0, 15));
    r["CodePage"] = int(Bits(p, 0x82, 0, 7));
    r["PrintType"] = int(Bits(p, 0x0D, 0, 1));
    r["PrintAffterError"] = int(Bits(p, 0x1D, 12, 12));
    return r;
}

// --- VKLC ---

QByteArray ApplyVklc(const Record& r) {
    const char* media[] = {"! U1 MN N 0", "! U1 MN M 0", "! U1 MN W 0", "! U1 MN M 0"};
    const int darkness = r.at("PrintDarkness");
    return Line(media[r.at("PaperType")]) + "IN-DOTS\r\nPW " + Number(r.at("PaperWidth")) + "\r\n" +
           Line("PH " + Number(r.at("PaperHeight"))) +
           Line("! U1 TONE " + Number(darkness == 0 ? -99 : darkness * 10 - 100)) +
           Line("! U1 SPEED " + Number(r.at("PrintSpeed")));
}

Record ReadVklc(StreamPrinter& p) {
    Record r;
    r["DPI"] = Bits(p, 0x18, 0, 7) == 8 ? 203 : 300;
    r["PaperType"] = int(Bits(p, 0x1C, 0, 2));
    r["PrintSpeed"] = VklcSpeedPosition(Bits(p, 0x0F, 0, 15));
    r["PrintDarkness"] = int(Bits(p, 0x12, 0, 7));
    r["PaperWidth"] = int(Bits(p, 0x47, 0, 15));
    r["PaperHeight"] = int(Bits(p, r["PaperType"] == 0 ? 0x1E : 0x1B, 0, 15));
    return r;
}

struct Language {
    int index;
    QByteArray (*apply)(const Record&);
    Record (*read)(StreamPrinter&);
};

void ExpectRoundTrip(const Language& language, const Record& applied, const Record& expected) {
    StreamPrinter p(language.index);
    // Whole, and in pieces that cut commands and line ends apart.
    p.Send(language.apply(applied));
    StreamPrinter q(language.index);
    q.SendInPieces(language.apply(applied), 3);
    const Record read = language.read(p);
    for (const auto& [field, value] : expected)
        EXPECT_EQ(read.at(field), value) << p.model.LanguageName().constData() << ' ' << field;
    EXPECT_EQ(q.model.ImageFileBytes(), p.model.ImageFileBytes());
}

} // namespace

TEST(SettingsRoundTrip, Vklz) {
    const Language vklz{SIM_VKLZ, ApplyVklz, ReadVklz};
    Record r{{"PrintType", 1},
             {"PaperType", 2},
             {"PaperHeight", 480},
             {"PaperWidth", 800},
             {"PrintDrection", 1},
             {"PrintSpeed", 3},
             {"PrintDarkness", 7},
             {"OutPaperType", 2},
             {"TearPaperPosition", -5},
             {"HoriPrintPositionOffset", -8},
             {"VertPrintPositionOffset", 12},
             {"MirrorPrint", 1}};
    ExpectRoundTrip(vklz, r, r);
    Record other{{"PrintType", 0},
                 {"PaperType", 0},
                 {"PaperHeight", 1200},
                 {"PaperWidth", 576},
                 {"PrintDrection", 0},
                 {"PrintSpeed", 0},
                 {"PrintDarkness", 30},
                 {"OutPaperType", 3},
                 {"TearPaperPosition", 120},
                 {"HoriPrintPositionOffset", 400},
                 {"VertPrintPositionOffset", -120},
                 {"MirrorPrint", 0}};
    ExpectRoundTrip(vklz, other, other);
    for (int speed = 0; speed <= 4; ++speed) {
        other["PrintSpeed"] = speed;
        ExpectRoundTrip(vklz, other, other);
    }
    // Paper type 3 is sent as mark paper.
    other["PaperType"] = 3;
    Record expected = other;
    expected["PaperType"] = 1;
    ExpectRoundTrip(vklz, other, expected);
}

TEST(SettingsRoundTrip, Vkle) {
    const Language vkle{SIM_VKLE, ApplyVkle, ReadVkle};
    Record r{{"PrintType", 1},    {"PaperType", 1},     {"PaperHeight", 400}, {"PaperWidth", 640},
             {"GapHeight", 24},   {"PrintDrection", 1}, {"PrintSpeed", 2},    {"PrintDarkness", 8},
             {"OutPaperType", 1}, {"CodePage", 10},     {"BitData", 1}};
    ExpectRoundTrip(vkle, r, r);
    r["PaperType"] = 2;
    r["OutPaperType"] = 3;
    r["BitData"] = 0;
    r["CodePage"] = 19;
    ExpectRoundTrip(vkle, r, r);
    r["PaperType"] = 0;
    r["OutPaperType"] = 0;
    r["PrintType"] = 0;
    r["PrintDrection"] = 0;
    for (const int darkness : {0, 6, 7, 8, 9, 10, 11, 12, 13, 15}) {
        r["PrintDarkness"] = darkness;
        Record expected = r;
        expected.erase("GapHeight"); // not sent for continuous paper
        ExpectRoundTrip(vkle, r, expected);
    }
}

TEST(SettingsRoundTrip, Vklt) {
    const Language vklt{SIM_VKLT, ApplyVklt, ReadVklt};
    Record r{{"PrintType", 1},
             {"PaperType", 2},
             {"PaperHeight", 400},
             {"PaperWidth", 832},
             {"GapHeight", 24},
             {"PrintSpeed", 4},
             {"PrintDarkness", 12},
             {"OutPaperType", 0},
             {"PrintDrection", 1},
             {"MirrorPrint", 1},
             {"TearPaperPosition", -16},
             {"HoriPrintPositionOffset", 30},
             {"VertPrintPositionOffset", 9999},
             {"CodePage", 37},
             {"PrintAffterError", 1}};
    ExpectRoundTrip(vklt, r, r);
    for (int output = 1; output <= 3; ++output) {
        r["OutPaperType"] = output;
        ExpectRoundTrip(vklt, r, r);
    }
    r["PaperType"] = 1; // black marks: the gap is not sent and stays
    r["PrintType"] = 0;
    r["PrintAffterError"] = 0;
    r["CodePage"] = 46;
    r["TearPaperPosition"] = 100;
    ExpectRoundTrip(vklt, r, r);
}

TEST(SettingsRoundTrip, Vklc) {
    const Language vklc{SIM_VKLC, ApplyVklc, ReadVklc};
    for (int speed = 0; speed <= 5; ++speed) {
        Record r{{"PaperType", speed % 3},
                 {"PaperHeight", 300 + speed},
                 {"PaperWidth", 200},
                 {"PrintSpeed", speed},
                 {"PrintDarkness", speed * 6}};
        Record expected = r;
        expected["DPI"] = 203;
        ExpectRoundTrip(vklc, r, expected);
    }
    // A width beyond one byte comes back whole.
    Record wide{{"PaperType", 2},
                {"PaperHeight", 400},
                {"PaperWidth", 0x0190},
                {"PrintSpeed", 3},
                {"PrintDarkness", 1}};
    Record expected = wide;
    expected["DPI"] = 203;
    ExpectRoundTrip(vklc, wide, expected);
}
