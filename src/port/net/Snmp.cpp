#include "port/net/Snmp.h"

namespace quillory::snmp {
namespace {

// Length fields of more bytes than this would describe more than any datagram holds.
constexpr int kMaxLengthBytes = 4;
// Arcs of an identifier, and bytes of one arc (32 bits in base 128).
constexpr int kMaxArcs = 128;
constexpr int kMaxArcBytes = 5;

QByteArray Length(qsizetype length) {
    QByteArray bytes;
    if (length < 0x80)
        return QByteArray(1, char(length));
    for (qsizetype rest = length; rest > 0; rest >>= 8)
        bytes.prepend(char(rest & 0xFF));
    return char(0x80 | bytes.size()) + bytes;
}

QByteArray Tlv(std::uint8_t tag, QByteArrayView content) {
    return char(tag) + Length(content.size()) + content.toByteArray();
}

// Minimal two's-complement form, most significant byte first.
QByteArray IntegerContent(std::int64_t value) {
    QByteArray bytes;
    std::int64_t rest = value;
    do {
        bytes.prepend(char(rest & 0xFF));
        rest >>= 8;
    } while (!((rest == 0 && !(bytes.front() & 0x80)) || (rest == -1 && (bytes.front() & 0x80))));
    return bytes;
}

// A cursor over the elements of one BER level; definite lengths only.
class Reader {
public:
    explicit Reader(QByteArrayView data) : m_data(data) {}
    [[nodiscard]] bool AtEnd() const { return m_pos == m_data.size(); }

    // The next element: its tag in *tag, its content in *content.
    bool Next(std::uint8_t* tag, QByteArrayView* content) {
        if (m_data.size() - m_pos < 2)
            return false;
        *tag = std::uint8_t(m_data[m_pos]);
        if ((*tag & 0x1F) == 0x1F)
            return false; // multi-byte tags belong to no SNMP message
        qsizetype pos = m_pos + 1;
        qsizetype length = std::uint8_t(m_data[pos++]);
        if (length & 0x80) {
            const int lengthBytes = int(length & 0x7F);
            if (lengthBytes < 1 || lengthBytes > kMaxLengthBytes || m_data.size() - pos < lengthBytes)
                return false;
            length = 0;
            for (int i = 0; i < lengthBytes; ++i)
                length = length << 8 | std::uint8_t(m_data[pos++]);
        }
        if (length > m_data.size() - pos)
            return false;
        *content = m_data.sliced(pos, length);
        m_pos = pos + length;
        return true;
    }

    bool Next(std::uint8_t expected, QByteArrayView* content) {
        std::uint8_t tag = 0;
        return Next(&tag, content) && tag == expected;
    }

    bool NextInteger(std::int64_t* value) {
        QByteArrayView content;
        if (!Next(kInteger, &content))
            return false;
        const std::optional<std::int64_t> number = AsInteger(Value{kInteger, content.toByteArray()});
        if (!number)
            return false;
        *value = *number;
        return true;
    }

    bool NextInt32(std::int32_t* value) {
        std::int64_t number = 0;
        if (!NextInteger(&number) || number < INT32_MIN || number > INT32_MAX)
            return false;
        *value = std::int32_t(number);
        return true;
    }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

bool IsPduType(std::uint8_t tag) {
    switch (PduType(tag)) {
    case PduType::Get:
    case PduType::GetNext:
    case PduType::Response:
    case PduType::Set:
    case PduType::GetBulk:
        return true;
    }
    return false;
}

} // namespace

Value Null() {
    return {};
}

Value Integer(std::int64_t value) {
    return {kInteger, IntegerContent(value)};
}

Value OctetString(const QByteArray& text) {
    return {kOctetString, text};
}

Value ObjectId(const Oid& oid) {
    return {kObjectId, EncodeOid(oid)};
}

Value Exception(std::uint8_t tag) {
    return {tag, {}};
}

std::optional<std::int64_t> AsInteger(const Value& value) {
    const QByteArray& content = value.content;
    if (value.tag != kInteger || content.isEmpty() || content.size() > 8)
        return std::nullopt;
    std::uint64_t bits = (std::uint8_t(content[0]) & 0x80) ? ~std::uint64_t(0) : 0;
    for (const char byte : content)
        bits = bits << 8 | std::uint8_t(byte);
    return std::int64_t(bits);
}

std::optional<Oid> AsObjectId(const Value& value) {
    if (value.tag != kObjectId)
        return std::nullopt;
    return DecodeOid(value.content);
}

QByteArray EncodeOid(const Oid& oid) {
    if (oid.size() < 2 || oid.size() > kMaxArcs || oid[0] > 2 || (oid[0] < 2 && oid[1] > 39) ||
        oid[1] > 0xFFFFFFFFu - 80)
        return {};
    QByteArray bytes;
    for (qsizetype i = 1; i < oid.size(); ++i) {
        std::uint32_t arc = i == 1 ? oid[0] * 40 + oid[1] : oid[i];
        QByteArray encoded(1, char(arc & 0x7F));
        while (arc >>= 7)
            encoded.prepend(char(0x80 | (arc & 0x7F)));
        bytes += encoded;
    }
    return bytes;
}

std::optional<Oid> DecodeOid(QByteArrayView content) {
    Oid oid;
    std::uint64_t arc = 0;
    int arcBytes = 0;
    for (const char c : content) {
        const std::uint8_t byte = std::uint8_t(c);
        if (arcBytes == 0 && byte == 0x80)
            return std::nullopt; // a leading zero group is not the shortest form
        arc = arc << 7 | (byte & 0x7F);
        if (++arcBytes > kMaxArcBytes || arc > 0xFFFFFFFFu)
            return std::nullopt;
        if (byte & 0x80)
            continue;
        if (oid.isEmpty()) {
            const std::uint32_t first = arc < 40 ? 0 : arc < 80 ? 1 : 2;
            oid << first << std::uint32_t(arc - 40 * first);
        } else {
            oid << std::uint32_t(arc);
        }
        if (oid.size() > kMaxArcs)
            return std::nullopt;
        arc = 0;
        arcBytes = 0;
    }
    if (oid.isEmpty() || arcBytes != 0)
        return std::nullopt;
    return oid;
}

bool StartsWith(const Oid& oid, const Oid& prefix) {
    return oid.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), oid.begin());
}

QByteArray EncodeMessage(const Message& message) {
    QByteArray bindings;
    for (const VarBind& bind : message.varBinds) {
        const QByteArray oid = EncodeOid(bind.oid);
        if (oid.isEmpty())
            return {};
        bindings += Tlv(kSequence, Tlv(kObjectId, oid) + Tlv(bind.value.tag, bind.value.content));
    }
    const QByteArray pdu = Tlv(kInteger, IntegerContent(message.requestId)) +
                           Tlv(kInteger, IntegerContent(message.errorStatus)) +
                           Tlv(kInteger, IntegerContent(message.errorIndex)) + Tlv(kSequence, bindings);
    return Tlv(kSequence, Tlv(kInteger, IntegerContent(message.version)) +
                              Tlv(kOctetString, message.community) + Tlv(std::uint8_t(message.type), pdu));
}

std::optional<Message> DecodeMessage(QByteArrayView datagram) {
    Reader top(datagram);
    QByteArrayView body;
    if (!top.Next(kSequence, &body) || !top.AtEnd())
        return std::nullopt;
    Reader fields(body);
    Message message;
    std::int64_t version = -1;
    QByteArrayView community;
    std::uint8_t pduTag = 0;
    QByteArrayView pdu;
    if (!fields.NextInteger(&version) || (version != kVersion1 && version != kVersion2c) ||
        !fields.Next(kOctetString, &community) || !fields.Next(&pduTag, &pdu) || !IsPduType(pduTag) ||
        !fields.AtEnd())
        return std::nullopt;
    // GetBulk is SNMPv2c only.
    if (version == kVersion1 && PduType(pduTag) == PduType::GetBulk)
        return std::nullopt;
    message.version = int(version);
    message.community = community.toByteArray();
    message.type = PduType(pduTag);

    Reader pduFields(pdu);
    QByteArrayView bindings;
    if (!pduFields.NextInt32(&message.requestId) || !pduFields.NextInt32(&message.errorStatus) ||
        !pduFields.NextInt32(&message.errorIndex) || !pduFields.Next(kSequence, &bindings) ||
        !pduFields.AtEnd())
        return std::nullopt;
    Reader list(bindings);
    while (!list.AtEnd()) {
        QByteArrayView binding;
        QByteArrayView oidContent;
        VarBind bind;
        QByteArrayView valueContent;
        if (message.varBinds.size() == kMaxVarBinds || !list.Next(kSequence, &binding))
            return std::nullopt;
        Reader parts(binding);
        if (!parts.Next(kObjectId, &oidContent) || !parts.Next(&bind.value.tag, &valueContent) ||
            !parts.AtEnd())
            return std::nullopt;
        const std::optional<Oid> oid = DecodeOid(oidContent);
        if (!oid)
            return std::nullopt;
        bind.oid = *oid;
        bind.value.content = valueContent.toByteArray();
        message.varBinds.append(bind);
    }
    return message;
}

} // namespace quillory::snmp
