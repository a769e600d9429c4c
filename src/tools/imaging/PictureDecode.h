#pragma once

// The picture decoding the logo conversion needs, behind a C interface: it is the only piece that
// needs Qt's image library, so the command line loads it (as the module quillory-picture.so) only
// when a picture is converted, and starts without that library and its dependencies otherwise.
// The desktop program links it and registers it with SetPictureDecoder.

#define QUILLORY_PICTURE_ENTRY "quillory_picture_to_logo_bits"

extern "C" {
// Decodes a picture file held in memory, reduces it to two colours at grey level 128, resamples
// it to 128 x 32 dots and writes the 512 bytes of its one-bit rows (bottom row first, a set bit
// white) to bits. Returns 1 when converted, 0 when the picture cannot be read or bitsSize is not
// 512 (bits untouched then).
__attribute__((visibility("default"))) int quillory_picture_to_logo_bits(const unsigned char* picture,
                                                                         unsigned long long size,
                                                                         unsigned char* bits, int bitsSize);
}
