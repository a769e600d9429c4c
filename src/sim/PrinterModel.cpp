#include "sim/PrinterModel.h"

#include <algorithm>

namespace quillory::sim {
namespace {

struct DefaultWord {
    std::uint8_t address;
    std::uint16_t value;
};

// A new printer of the ~WN languages: 203 dpi, 100 mm wide 50 mm labels with 3 mm gaps, tear-off,
// 4 ips, serial 9600 8N1, network 127.0.0.1/8 (the virtual printer lives on loopback).
constexpr DefaultWord kExtendedDefaults[] = {
    {0x01, 0x0000},                 // tear-off and vertical adjustment
    {0x06, 20},                     // print position to mark
    {0x0C, 0},                      // horizontal adjustment
    {0x0D, 0x0001},                 // thermal transfer
    {0x0F, 102},                    // print speed, mm/s
    {0x10, 102},                    // feed speed
    {0x11, 102},                    // back-feed speed
    {0x12, 15},                     // darkness
    {0x18, 0x0008},                 // 8 dots/mm: 203 dpi
    {0x19, 400},                    // continuous length (VKLE)
    {0x1B, 400},                    // label length
    {0x1C, 0x0012},                 // label paper, tear-off
    {0x1E, 400},                    // continuous length
    {0x20, 0x0000},                 // 9600 baud, 8 data bits, no parity, 1 stop bit, no handshake
    {0x21, 24},                     // gap
    {0x35, 100},                    // back-feed before printing, percent
    {0x3B, 0x7F00},                 // 127.0.0.1
    {0x3C, 0x0001}, {0x3D, 0xFF00}, // 255.0.0.0
    {0x3E, 0x0000}, {0x47, 800},    // label width
    {0x53, 0x0008},                 // code page 0, 8-bit data (VKLE)
    {0x58, 0x0020},                 // eR character (VKLE)
    {0x5A, 800},                    // print width (VKLE, VKLT)
    {0x82, 9},                      // code page "437" (VKLT)
};

constexpr DefaultWord kVklaDefaults[] = {
    {0x00, 400}, {0x01, 24},  {0x02, 2400}, {0x04, 640},    {0x05, 235}, {0x06, 235}, {0x07, 204},
    {0x08, 204}, {0x09, 204}, {0x0E, 0x50}, {0x0F, 75},     {0x10, 75},  {0x11, 75},  {0x12, 18},
    {0x14, 127}, {0x15, 127}, {0x16, 127},  {0x1D, 0x0050}, {0x21, 3},   {0x23, 66},  {0x24, 70},
    {0x25, 64},  {0x26, 100}, {0x27, 700},  {0x28, 173},    {0x2A, 128}, {0x2B, 200}, {0x2C, 200},
    {0x34, 127}, {0x35, 127}, {0x36, 127},  {0x37, 127},    {0x38, 400}, {0x39, 400}, {0x3A, 32},
    {0x3B, 32},  {0x40, 1},   {0x41, 50},   {0x42, 20},     {0x5C, 83},
};

constexpr const char* kLanguageNames[] = {"VKLZ", "VKLE", "VKLT", "VKLA", "VKLC"};

QByteArray Hex(unsigned value, int digits) {
    return QByteArray::number(value, 16).rightJustified(digits, '0');
}

} // namespace

PrinterModel::PrinterModel(int instructionIndex)
    : m_instruction(std::clamp(instructionIndex, int(SIM_VKLZ), int(SIM_VKLC))) {
    const QByteArray name = LanguageName();
    m_version = "Quillory virtual " + name + " FV1.0.0";
    m_idText = "QUILLORY";
    m_ini = {"Quillory " + name, "QVP-" + name + "-203", "0,0,0,0,0,0,0,0"};
    RestoreDefaults();
    m_revision = 0;
}

QByteArray PrinterModel::LanguageName() const {
    return kLanguageNames[m_instruction];
}

int PrinterModel::WordCount() const {
    return IsVkla() ? 126 : 256;
}

std::uint16_t PrinterModel::Word(int address) const {
    return ValidAddress(address) ? m_words[std::size_t(address)] : 0;
}

void PrinterModel::SetWord(int address, std::uint16_t value) {
    if (!ValidAddress(address) || m_words[std::size_t(address)] == value || m_ignored[std::size_t(address)])
        return;
    m_words[std::size_t(address)] = value;
    ++m_revision;
}

namespace {
unsigned FieldMask(int first, int last) {
    return ((1u << (last - first + 1)) - 1u) << first;
}
bool ValidField(int first, int last) {
    return first >= 0 && last <= 15 && first <= last;
}
} // namespace

unsigned PrinterModel::Bits(int address, int first, int last) const {
    if (!ValidField(first, last))
        return 0;
    return (Word(address) & FieldMask(first, last)) >> first;
}

void PrinterModel::SetBits(int address, int first, int last, unsigned value) {
    if (!ValidField(first, last))
        return;
    const unsigned mask = FieldMask(first, last);
    SetWord(address, std::uint16_t((Word(address) & ~mask) | ((value << first) & mask)));
}

void PrinterModel::SetMasked(int address, std::uint16_t mask, std::uint16_t value) {
    SetWord(address, std::uint16_t((Word(address) & ~mask) | (value & mask)));
}

int PrinterModel::Dpi() const {
    if (IsVkla())
        return Word(0x0E) == 0x50 ? 203 : 300;
    switch (Bits(0x18, 0, 7)) {
    case 12:
        return 300;
    case 24:
        return 600;
    default:
        return 203;
    }
}

void PrinterModel::SetVersion(const QByteArray& text) {
    m_version = text;
}

void PrinterModel::SetIdText(const QByteArray& text) {
    const QByteArray cut = text.left(kMaxIdTextBytes);
    if (cut == m_idText)
        return;
    m_idText = cut;
    ++m_revision;
}

int PrinterModel::IniIndex(QByteArrayView key) {
    for (int i = 0; i < 3; ++i) {
        if (key == QByteArrayView(kIniKeys[i]))
            return i;
    }
    return -1;
}

QByteArray PrinterModel::IniText(int index) const {
    return index >= 0 && index < 3 ? m_ini[std::size_t(index)] : QByteArray();
}

void PrinterModel::SetIniText(int index, const QByteArray& text) {
    if (index < 0 || index >= 3)
        return;
    const QByteArray cut = text.left(kIniTextLimits[index]);
    if (cut == m_ini[std::size_t(index)])
        return;
    m_ini[std::size_t(index)] = cut;
    ++m_revision;
}

void PrinterModel::AppendIniText(int index, QByteArrayView bytes) {
    if (index < 0 || index >= 3 || bytes.isEmpty())
        return;
    QByteArray& text = m_ini[std::size_t(index)];
    const qsizetype room = kIniTextLimits[index] - text.size();
    if (room <= 0)
        return;
    text.append(bytes.first(std::min(room, bytes.size())));
    ++m_revision;
}

void PrinterModel::RestoreDefaults() {
    std::array<std::uint16_t, 256> words{};
    if (IsVkla()) {
        for (const DefaultWord& d : kVklaDefaults)
            words[d.address] = d.value;
    } else {
        for (const DefaultWord& d : kExtendedDefaults)
            words[d.address] = d.value;
    }
    for (std::size_t a = 0; a < words.size(); ++a) {
        if (m_ignored[a])
            words[a] = m_words[a];
    }
    if (words != m_words) {
        m_words = words;
        ++m_revision;
    }
}

QByteArray PrinterModel::ImageFileBytes() const {
    QByteArray out;
    if (IsVkla()) {
        for (int a = 0; a < WordCount(); ++a)
            out += "\x02KE" + Hex(unsigned(a), 2) + Hex(Word(a), 4) + "\r\n";
        out += QByteArray("\x1BsBE\x92\x99\x1DIC") + m_idText + QByteArray("\0\r\n", 3);
        out += "\x02&05000100\x92\x99";
        return out;
    }
    for (int a = 0; a < WordCount(); ++a)
        out += "~WN00@eep,w," + Hex(unsigned(a), 2) + ',' + Hex(Word(a), 4) + "\r\n";
    for (int i = 0; i < 3; ++i)
        out += QByteArray("~WN00@ini,w,") + kIniKeys[i] + ',' + m_ini[std::size_t(i)];
    if (m_instruction != SIM_VKLC)
        out += "~WN10@CommunicateRST";
    return out;
}

} // namespace quillory::sim
