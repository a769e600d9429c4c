// The pure reply parsers of the instruction layer: hexadecimal word replies and the listing label
// that VKLA builds from a font or graphic listing.
#include "FuzzSupport.h"

#include "app/NumberText.h"
#include "instruction/Commands.h"
#include "instruction/VKLAInstruction.h"

using namespace quillory;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::InitFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input = fuzz::InputBytes(data, size);
    if (input.isEmpty())
        return 0;
    const QByteArrayView reply = input.sliced(1);

    // The word readers use buffers of 10 and 30 bytes; anything else must be harmless too.
    const int bufferSize = int(std::int8_t(input[0]));
    (void)ParseHexReply(reply, bufferSize);
    FUZZ_CHECK(ParseHexReply(reply, 10) < (1u << 28));
    const unsigned bits = ParseHexReply(reply, 30);
    FUZZ_CHECK(ParseHexReply(reply, 1) == 0 && ParseHexReply(reply, 3) == 0);
    if (reply.size() >= 4 && !reply.first(4).contains('\0'))
        FUZZ_CHECK(ParseHexReply(reply, 7) == ParseLeadingHex(reply.first(4)));
    FUZZ_CHECK(!UpToFirstZero(reply).contains('\0'));
    (void)bits;
    (void)HasFirmwareMarker(reply);

    const QString text = QString::fromLocal8Bit(reply);
    for (const char* marker : {"MODULE: FLASH\r\n", "MODULE: RAM\r\n"}) {
        const std::vector<QByteArray> label = VklaListingLabel(text, QString::fromLatin1(marker));
        FUZZ_CHECK(label.size() >= 2);
        FUZZ_CHECK(label.front() == "\x02m\r\n\x02L\r\n" && label.back() == "E\r\n");
        FUZZ_CHECK(qsizetype(label.size()) <= text.size() / 2 + 2);
        for (const QByteArray& command : label)
            FUZZ_CHECK(command.size() <= 1023);
    }
    return 0;
}
