#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>
#include <optional>

// SNMP messages (versions 1 and 2c) in BER, both ways: the network search asks printers, the
// virtual printer answers like an agent. Messages come from the network, so decoding is bounded,
// strict and never reads outside the datagram; anything malformed decodes to nothing.
namespace quillory::snmp {

// Object identifiers as their arcs (1.3.6.1.2.1.1.1.0 = {1, 3, 6, 1, 2, 1, 1, 1, 0}); QList
// compares them lexicographically, which is the order of a MIB walk.
using Oid = QList<std::uint32_t>;

// BER tags of the value types used here.
inline constexpr std::uint8_t kInteger = 0x02;
inline constexpr std::uint8_t kOctetString = 0x04;
inline constexpr std::uint8_t kNull = 0x05;
inline constexpr std::uint8_t kObjectId = 0x06;
inline constexpr std::uint8_t kSequence = 0x30;
inline constexpr std::uint8_t kTimeTicks = 0x43;
// SNMPv2c exceptions, in place of a value.
inline constexpr std::uint8_t kNoSuchObject = 0x80;
inline constexpr std::uint8_t kNoSuchInstance = 0x81;
inline constexpr std::uint8_t kEndOfMibView = 0x82;

// The version field: 0 is SNMPv1, 1 is SNMPv2c.
inline constexpr int kVersion1 = 0;
inline constexpr int kVersion2c = 1;

enum class PduType : std::uint8_t {
    Get = 0xA0,
    GetNext = 0xA1,
    Response = 0xA2,
    Set = 0xA3,
    GetBulk = 0xA5,
};

// Error statuses of a response.
inline constexpr int kNoError = 0;
inline constexpr int kTooBig = 1;
inline constexpr int kNoSuchName = 2; // SNMPv1: an object that is not there
inline constexpr int kGenErr = 5;
inline constexpr int kNoAccess = 6;

// More variables than this in one message are no request of ours and no answer to one.
inline constexpr int kMaxVarBinds = 64;

// A value as its tag and the bytes of its content.
struct Value {
    std::uint8_t tag = kNull;
    QByteArray content;
    friend bool operator==(const Value&, const Value&) = default;
};

struct VarBind {
    Oid oid;
    Value value;
    friend bool operator==(const VarBind&, const VarBind&) = default;
};

struct Message {
    int version = kVersion1;
    QByteArray community = "public";
    PduType type = PduType::Get;
    std::int32_t requestId = 0;
    // For GetBulk these two fields hold non-repeaters and max-repetitions.
    std::int32_t errorStatus = 0;
    std::int32_t errorIndex = 0;
    QList<VarBind> varBinds;
    friend bool operator==(const Message&, const Message&) = default;
};

[[nodiscard]] Value Null();
[[nodiscard]] Value Integer(std::int64_t value);
[[nodiscard]] Value OctetString(const QByteArray& text);
[[nodiscard]] Value ObjectId(const Oid& oid);
// A v2c exception (kNoSuchObject, kNoSuchInstance, kEndOfMibView): a tag with no content.
[[nodiscard]] Value Exception(std::uint8_t tag);

// The number of an INTEGER value, or nothing for any other value (or one past 64 bits).
[[nodiscard]] std::optional<std::int64_t> AsInteger(const Value& value);
// The identifier of an OBJECT IDENTIFIER value, or nothing.
[[nodiscard]] std::optional<Oid> AsObjectId(const Value& value);

// BER content of an object identifier; empty when it cannot be encoded (fewer than two arcs, a
// first arc above 2, a second arc above 39 under 0 or 1).
[[nodiscard]] QByteArray EncodeOid(const Oid& oid);
[[nodiscard]] std::optional<Oid> DecodeOid(QByteArrayView content);
[[nodiscard]] bool StartsWith(const Oid& oid, const Oid& prefix);

// The message in BER; empty when an identifier in it cannot be encoded.
[[nodiscard]] QByteArray EncodeMessage(const Message& message);
// One whole message of version 1 or 2c with a PDU of the known kinds, nothing after it.
[[nodiscard]] std::optional<Message> DecodeMessage(QByteArrayView datagram);

} // namespace quillory::snmp
