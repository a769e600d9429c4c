#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace quillory {

// printf into a zeroed 1024-byte command buffer, taken up to its text length (the first zero
// byte), so a command can never grow beyond 1023 bytes.
[[nodiscard]] QByteArray FormatCommand(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Two-digit address texts: upper case for the fixed settings addresses, lower case where the whole
// EEPROM is walked.
[[nodiscard]] QByteArray AddressText(int address);
[[nodiscard]] QByteArray LowerAddressText(int address);

// Extension commands of the four "~WN00" languages.
[[nodiscard]] QByteArray WnVersionQuery(); // "~WN01@version~" CR LF
[[nodiscard]] QByteArray WnReadBitsCommand(QByteArrayView address, int first,
                                           int last); // "~WN00@eep,r,A,f,l~" CR LF
[[nodiscard]] QByteArray WnWriteBitsCommand(QByteArrayView address, int first, int last, int value);
[[nodiscard]] QByteArray WnDumpRequest(int address);     // "~WN00@eep,r,aa" CR LF, padded to 20 bytes
[[nodiscard]] QByteArray WnIniQuery(QByteArrayView key); // "~WN00@ini,r,KEY~"

// VKLA word access.
[[nodiscard]] QByteArray VklaVersionQuery(); // STX 'v' CR LF
[[nodiscard]] QByteArray VklaReadWordCommand(QByteArrayView address);
[[nodiscard]] QByteArray VklaMaskedWriteCommand(QByteArrayView address, std::uint16_t mask, unsigned value);

// A hexadecimal reply as the printer's routines read it: "0x" and the reply in a buffer of
// bufferSize bytes (so at most bufferSize - 3 reply characters), converted up to the first
// character that is not a hex digit. An empty or non-hex reply gives 0.
[[nodiscard]] unsigned ParseHexReply(QByteArrayView reply, int bufferSize);

// The forms of the replies whose shape is known. A reply of another form is not an answer to
// the request (junk on the line, a reply shifted by a late one), and ends the operation.
// A number: 1 to maxDigits hex digits, then nothing but line ends, blanks or zero bytes.
[[nodiscard]] bool IsHexReply(QByteArrayView reply, int maxDigits = 8);
// A version text: it ended before filling its buffer of capacity bytes, and up to its first zero
// byte it holds no control bytes but CR, LF and TAB. An empty reply passes only where allowed.
[[nodiscard]] bool IsVersionReply(QByteArrayView reply, int capacity, bool allowEmpty = false);
// The whole-EEPROM read: exactly 256 replies of four hex digits and two separators.
[[nodiscard]] bool IsDumpCollection(QByteArrayView collection);
// A reply as a message may quote it: printable ASCII kept, other bytes as \xNN, long ones cut.
[[nodiscard]] QString QuoteReply(QByteArrayView reply);

// Bytes up to the first zero byte.
[[nodiscard]] QByteArray UpToFirstZero(QByteArrayView bytes);

// Whether a version reply passes the check of the languages that require "FV" in it.
[[nodiscard]] bool HasFirmwareMarker(QByteArrayView version);

// The list position of a speed word (VKLZ, VKLE, VKLT: 0..4; VKLC has one more step: 0..5).
[[nodiscard]] int SpeedPosition(unsigned word);
[[nodiscard]] int VklcSpeedPosition(unsigned word);
// The darkness list position of the low byte at 12 (VKLE, VKLT).
[[nodiscard]] int DarknessPosition(unsigned value);
// One-byte offsets stored as "128 minus value" above 127.
[[nodiscard]] int SignedByteOffset(unsigned value);
// The byte SignedByteOffset reads value from: a negative value is stored as 128 minus it.
[[nodiscard]] unsigned SignedByteOffsetField(int value);

} // namespace quillory
