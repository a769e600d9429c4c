#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>
#include <optional>

// DNS messages (as multicast DNS and DNS-SD use them), both ways: the network search asks for
// printers, the virtual printer answers. Messages come from the network, so decoding is bounded
// and never reads outside the datagram; compressed names are followed only backwards, so a walk
// always ends. Anything malformed decodes to nothing.
namespace quillory::dns {

inline constexpr std::uint16_t kTypeA = 1;
inline constexpr std::uint16_t kTypePtr = 12;
inline constexpr std::uint16_t kTypeTxt = 16;
inline constexpr std::uint16_t kTypeSrv = 33;
inline constexpr std::uint16_t kTypeAny = 255;
inline constexpr std::uint16_t kClassIn = 1;
inline constexpr std::uint16_t kClassAny = 255;
// The top bit of a class: "unicast response" in a question, "cache flush" in a record.
inline constexpr std::uint16_t kClassTopBit = 0x8000;

inline constexpr std::uint16_t kFlagResponse = 0x8000;
inline constexpr std::uint16_t kFlagAuthoritative = 0x0400;

inline constexpr int kHeaderBytes = 12;
inline constexpr int kMaxNameBytes = 255;
inline constexpr int kMaxLabelBytes = 63;
// More questions or records than this are no query of ours and no answer to one.
inline constexpr int kMaxEntries = 64;

struct Question {
    QByteArray name; // dotted, without the final dot
    std::uint16_t type = kTypePtr;
    std::uint16_t questionClass = kClassIn;
    friend bool operator==(const Question&, const Question&) = default;
};

// A resource record. Decoding fills the fields of its type (target for PTR and SRV, the SRV
// numbers, texts for TXT, ipv4 for A) besides data; encoding builds data from those fields for
// these four types and takes data as it is for any other.
struct Record {
    QByteArray name;
    std::uint16_t type = kTypeA;
    std::uint16_t recordClass = kClassIn;
    std::uint32_t ttl = 0;
    QByteArray data;
    QByteArray target;
    std::uint16_t priority = 0;
    std::uint16_t weight = 0;
    std::uint16_t port = 0;
    QList<QByteArray> texts;
    std::uint32_t ipv4 = 0;
    friend bool operator==(const Record&, const Record&) = default;
};

struct Message {
    std::uint16_t id = 0;
    std::uint16_t flags = 0;
    QList<Question> questions;
    QList<Record> answers;
    QList<Record> authorities;
    QList<Record> additionals;

    [[nodiscard]] bool IsResponse() const { return flags & kFlagResponse; }
    [[nodiscard]] int Opcode() const { return flags >> 11 & 0x0F; }
    [[nodiscard]] int ResponseCode() const { return flags & 0x0F; }
};

// The message with every name written out in full; empty when a name cannot be encoded (an empty
// or too long label, a name past 255 bytes) or a count or length does not fit its field.
[[nodiscard]] QByteArray EncodeMessage(const Message& message);
[[nodiscard]] std::optional<Message> DecodeMessage(QByteArrayView datagram);

// Names compare without regard to ASCII case.
[[nodiscard]] bool SameName(QByteArrayView a, QByteArrayView b);

} // namespace quillory::dns
