// Picture import for the display logo: any picture bytes either convert or are refused, never
// harm the program, and a refusal leaves the logo as it was.
#include "FuzzSupport.h"

#include "tools/imaging/LogoImport.h"
#include "tools/imaging/PictureDecode.h"

using namespace quillory;

namespace {
// Pictures beyond this size only slow the search down; the decoders see the same code paths.
constexpr std::size_t kMaxInputBytes = 64 * 1024;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::InitFuzzing(argc, argv);
    // Linked in, so the decoder is instrumented and seen by the fuzzer.
    SetPictureDecoder(&quillory_picture_to_logo_bits);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInputBytes)
        return 0;
    CLogoBitmap logo;
    logo.Toggle(3, 4);
    const CLogoBitmap before = logo;
    const QByteArray picture(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!PictureToLogo(picture, logo))
        FUZZ_CHECK(logo == before);
    return 0;
}
