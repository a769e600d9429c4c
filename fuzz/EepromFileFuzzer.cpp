// EEPROM command files of both layouts: any bytes must parse within bounds, and what was parsed
// must come back unchanged from the file the program writes for it.
#include "FuzzSupport.h"

#include "eeprom/EepromFile.h"

using namespace quillory;

namespace {

QByteArray Words(const auto& image) {
    QByteArray out;
    for (const std::uint16_t word : image)
        out += char(word >> 8) + QByteArray(1, char(word & 0xFF));
    return out;
}

// The name texts follow one another without separators, so a name that itself holds one of the
// command keys (or ends like the closing reset) cannot be told apart on reading.
bool NamesAreSeparable(const PrinterNameTexts& names) {
    for (const QByteArray& text : {names.printerName, names.printerNameZorv, names.tphAdj}) {
        if (text.contains("~WN00@ini,w,"))
            return false;
    }
    return !names.tphAdj.endsWith("~WN10@CommunicateRST");
}

void FuzzWn(QByteArrayView data) {
    WnImage image{};
    PrinterNameTexts names;
    ParseWnEepromFile(data, image, names);
    FUZZ_CHECK(names.printerName.size() <= 30 && names.printerNameZorv.size() <= 30 &&
               names.tphAdj.size() <= 300);

    for (const bool withReset : {false, true}) {
        const QByteArray file = BuildWnEepromFile(image, names, withReset);
        WnImage again{};
        again.fill(0xA5A5);
        PrinterNameTexts namesAgain;
        ParseWnEepromFile(file, again, namesAgain);
        FUZZ_CHECK_EQ(Words(image), Words(again));
        // Every file the program writes is one it accepts again.
        FUZZ_CHECK(CountWnEepromLines(file).Complete());
        if (NamesAreSeparable(names)) {
            FUZZ_CHECK_EQ(names.printerName, namesAgain.printerName);
            FUZZ_CHECK_EQ(names.printerNameZorv, namesAgain.printerNameZorv);
            FUZZ_CHECK_EQ(names.tphAdj, namesAgain.tphAdj);
        }
    }
}

void FuzzVkla(QByteArrayView data) {
    VklaImage image{};
    image.fill(0x5A5A);
    QByteArray idText;
    ParseVklaEepromFile(data, image, idText);
    FUZZ_CHECK(idText.size() <= 199 && !idText.contains('\0'));
    for (int a = 0; a < 126; ++a) {
        if (!VklaFileHasAddress(a))
            FUZZ_CHECK(image[std::size_t(a)] == 0x5A5A);
    }

    const QByteArray file = BuildVklaEepromFile(image, idText);
    VklaImage again = image;
    for (int a = 0; a < 126; ++a) {
        if (VklaFileHasAddress(a))
            again[std::size_t(a)] = std::uint16_t(~image[std::size_t(a)]);
    }
    QByteArray idAgain;
    ParseVklaEepromFile(file, again, idAgain);
    FUZZ_CHECK_EQ(Words(image), Words(again));
    FUZZ_CHECK_EQ(idText, idAgain);
    FUZZ_CHECK(CountVklaEepromLines(file).Complete());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::InitFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes = fuzz::InputBytes(data, size);
    FuzzWn(bytes);
    FuzzVkla(bytes);
    const EepromLineCount wn = CountWnEepromLines(bytes);
    const EepromLineCount vkla = CountVklaEepromLines(bytes);
    FUZZ_CHECK(wn.found >= 0 && wn.found <= wn.expected && vkla.found >= 0 && vkla.found <= vkla.expected);
    return 0;
}
