#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <cstdint>

namespace quillory {

// An EEPROM file holds the image as the printer commands that write it back, so the file can
// also be sent to the printer unchanged.

// Printer name texts of the four "~WN00" languages, raw bytes as the printer reported them.
struct PrinterNameTexts {
    QByteArray printerName;     // at most 30 bytes
    QByteArray printerNameZorv; // at most 30 bytes
    QByteArray tphAdj;          // at most 300 bytes
};

using WnImage = std::array<std::uint16_t, 256>;
using VklaImage = std::array<std::uint16_t, 126>;

// VKLC, VKLE, VKLT, VKLZ layout: 256 word lines, the three name commands, and (except VKLC) the
// closing "~WN10@CommunicateRST".
[[nodiscard]] QByteArray BuildWnEepromFile(const WnImage& image, const PrinterNameTexts& names,
                                           bool withReset);
// Reads the words back (a missing or short line gives 0) and, when present, the name texts.
void ParseWnEepromFile(QByteArrayView data, WnImage& image, PrinterNameTexts& names);

// VKLA layout: 118 word lines (no lines for 0A-0D, 3E, 3F, 76, 77), the ID-text line, the end command.
[[nodiscard]] QByteArray BuildVklaEepromFile(const VklaImage& image, const QByteArray& idText);
// Reads the listed words back (the skipped addresses keep theirs) and the whole ID text (at most
// 199 bytes, up to the zero byte that ends it), so a file written by the program loads back
// unchanged.
void ParseVklaEepromFile(QByteArrayView data, VklaImage& image, QByteArray& idText);

// How many of its layout's lines a file holds where the loader takes them: the k-th line must be
// the write line of the k-th address of the layout (hexadecimal digits in either case, ended by
// CR LF or LF); VKLA also counts its ID line. A file the program wrote holds all of them, and only
// such a file may be loaded: a missing line would otherwise load as 0 and go to the printer.
struct EepromLineCount {
    int found = 0;
    int expected = 0;
    [[nodiscard]] bool Complete() const { return expected > 0 && found == expected; }
};
[[nodiscard]] EepromLineCount CountWnEepromLines(QByteArrayView data);
[[nodiscard]] EepromLineCount CountVklaEepromLines(QByteArrayView data);

// True for the VKLA addresses that have a line in the file.
[[nodiscard]] bool VklaFileHasAddress(int address);

// The ID-text command (also the file's ID line): ESC "sBE" 0x92 0x99 GS "IC" text NUL CR LF.
[[nodiscard]] QByteArray VklaIdTextCommand(const QByteArray& idText);
// STX "&05000100" 0x92 0x99, no line end.
[[nodiscard]] QByteArray VklaEndCommand();

// Cuts 8-bit text to at most maxBytes without splitting a UTF-8 sequence.
[[nodiscard]] QByteArray CutText(const QByteArray& text, int maxBytes);

} // namespace quillory
