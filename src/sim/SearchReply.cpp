#include "sim/SearchReply.h"

#include <algorithm>
#include <optional>

namespace quillory::sim {
namespace {

// --- SNMP (BER) ---

constexpr std::uint8_t kInteger = 0x02;
constexpr std::uint8_t kOctetString = 0x04;
constexpr std::uint8_t kNull = 0x05;
constexpr std::uint8_t kOid = 0x06;
constexpr std::uint8_t kSequence = 0x30;
constexpr std::uint8_t kGetRequest = 0xA0;
constexpr std::uint8_t kGetResponse = 0xA2;
constexpr std::uint8_t kNoSuchName = 2;
constexpr QByteArrayView kSysDescr("\x2B\x06\x01\x02\x01\x01\x01\x00", 8); // 1.3.6.1.2.1.1.1.0
constexpr int kMaxVarBinds = 16;

struct Tlv {
    std::uint8_t tag = 0;
    QByteArrayView content;
};

// A cursor over the elements of one BER level; definite lengths of up to two bytes only.
class BerReader {
public:
    explicit BerReader(QByteArrayView data) : m_data(data) {}
    [[nodiscard]] bool AtEnd() const { return m_pos == m_data.size(); }

    std::optional<Tlv> Next() {
        if (m_data.size() - m_pos < 2)
            return std::nullopt;
        Tlv tlv;
        tlv.tag = std::uint8_t(m_data[m_pos]);
        qsizetype pos = m_pos + 1;
        qsizetype length = std::uint8_t(m_data[pos++]);
        if (length & 0x80) {
            const int lengthBytes = int(length & 0x7F);
            if (lengthBytes < 1 || lengthBytes > 2 || m_data.size() - pos < lengthBytes)
                return std::nullopt;
            length = 0;
            for (int i = 0; i < lengthBytes; ++i)
                length = length << 8 | std::uint8_t(m_data[pos++]);
        }
        if (length > m_data.size() - pos)
            return std::nullopt;
        tlv.content = m_data.sliced(pos, length);
        m_pos = pos + length;
        return tlv;
    }

    std::optional<QByteArrayView> Next(std::uint8_t tag) {
        const auto tlv = Next();
        if (!tlv || tlv->tag != tag)
            return std::nullopt;
        return tlv->content;
    }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

QByteArray Encode(std::uint8_t tag, QByteArrayView content) {
    QByteArray out(1, char(tag));
    const qsizetype n = content.size();
    if (n < 0x80) {
        out += char(n);
    } else if (n <= 0xFF) {
        out += char(0x81);
        out += char(n);
    } else {
        out += char(0x82);
        out += char(n >> 8 & 0xFF);
        out += char(n & 0xFF);
    }
    out.append(content.data(), content.size());
    return out;
}

QByteArray SmallInteger(int value) {
    return Encode(kInteger, QByteArray(1, char(value)));
}

} // namespace

QByteArray AnswerSnmpProbe(QByteArrayView datagram, const SearchIdentity& identity) {
    BerReader top(datagram);
    const auto message = top.Next(kSequence);
    if (!message || !top.AtEnd())
        return {};
    BerReader fields(*message);
    const auto version = fields.Next(kInteger);
    const auto community = fields.Next(kOctetString);
    const auto pdu = fields.Next(kGetRequest);
    // Version 0 is SNMPv1; version 1 (v2c) is answered the same way.
    if (!version || version->size() != 1 || (*version != QByteArrayView("\0", 1) && *version != "\x01") ||
        !community || !pdu || !fields.AtEnd())
        return {};
    BerReader pduFields(*pdu);
    const auto requestId = pduFields.Next(kInteger);
    const auto errorStatus = pduFields.Next(kInteger);
    const auto errorIndex = pduFields.Next(kInteger);
    const auto varBinds = pduFields.Next(kSequence);
    if (!requestId || requestId->isEmpty() || requestId->size() > 4 || !errorStatus || !errorIndex ||
        !varBinds || !pduFields.AtEnd())
        return {};

    QByteArray answers;
    int failedIndex = 0;
    int count = 0;
    BerReader bindings(*varBinds);
    while (!bindings.AtEnd()) {
        const auto binding = bindings.Next(kSequence);
        if (!binding || ++count > kMaxVarBinds)
            return {};
        BerReader parts(*binding);
        const auto oid = parts.Next(kOid);
        if (!oid || oid->isEmpty() || !parts.Next() || !parts.AtEnd())
            return {};
        const bool known = *oid == kSysDescr;
        if (!known && failedIndex == 0)
            failedIndex = count;
        answers += Encode(kSequence, Encode(kOid, *oid) + (known ? Encode(kOctetString, identity.description)
                                                                 : Encode(kNull, {})));
    }
    if (count == 0)
        return {};
    const QByteArray response = Encode(kInteger, *requestId) + SmallInteger(failedIndex ? kNoSuchName : 0) +
                                SmallInteger(failedIndex) + Encode(kSequence, answers);
    return Encode(kSequence, Encode(kInteger, *version) + Encode(kOctetString, *community) +
                                 Encode(kGetResponse, response));
}

namespace {

// --- DNS-SD ---

constexpr QByteArrayView kService("_pdl-datastream._tcp.local");
constexpr std::uint16_t kTypeA = 1;
constexpr std::uint16_t kTypePtr = 12;
constexpr std::uint16_t kTypeTxt = 16;
constexpr std::uint16_t kTypeSrv = 33;
constexpr std::uint16_t kTypeAny = 255;
constexpr std::uint16_t kClassIn = 1;
constexpr std::uint16_t kClassAny = 255;
constexpr int kHeaderBytes = 12;
constexpr int kMaxQuestions = 8;
constexpr int kMaxNameBytes = 255;
// Replies to one-shot queries carry short lifetimes (RFC 6762, 6.7).
constexpr std::uint32_t kTtl = 10;

std::uint16_t Read16(QByteArrayView data, qsizetype pos) {
    return std::uint16_t(std::uint8_t(data[pos]) << 8 | std::uint8_t(data[pos + 1]));
}

void Append16(QByteArray& out, std::uint16_t value) {
    out += char(value >> 8);
    out += char(value & 0xFF);
}

void Append32(QByteArray& out, std::uint32_t value) {
    Append16(out, std::uint16_t(value >> 16));
    Append16(out, std::uint16_t(value & 0xFFFF));
}

// Reads a possibly compressed name at *pos (moved past it). Pointers must lead strictly backwards,
// so the walk ends.
std::optional<QByteArray> ReadName(QByteArrayView data, qsizetype* pos) {
    QByteArray name;
    qsizetype cursor = *pos;
    qsizetype limit = *pos;
    bool jumped = false;
    for (;;) {
        if (cursor >= data.size())
            return std::nullopt;
        const std::uint8_t length = std::uint8_t(data[cursor]);
        if ((length & 0xC0) == 0xC0) {
            if (cursor + 1 >= data.size())
                return std::nullopt;
            const qsizetype target = qsizetype(length & 0x3F) << 8 | std::uint8_t(data[cursor + 1]);
            if (target >= limit)
                return std::nullopt;
            if (!jumped)
                *pos = cursor + 2;
            jumped = true;
            cursor = limit = target;
            continue;
        }
        if (length & 0xC0)
            return std::nullopt;
        if (length == 0) {
            if (!jumped)
                *pos = cursor + 1;
            return name;
        }
        if (cursor + 1 + length > data.size() || name.size() + length + 1 > kMaxNameBytes)
            return std::nullopt;
        if (!name.isEmpty())
            name += '.';
        name.append(data.data() + cursor + 1, length);
        cursor += 1 + length;
    }
}

bool AppendName(QByteArray& out, QByteArrayView dotted) {
    qsizetype start = 0;
    for (qsizetype i = 0; i <= dotted.size(); ++i) {
        if (i == dotted.size() || dotted[i] == '.') {
            const qsizetype length = i - start;
            if (length == 0 || length > 63)
                return false;
            out += char(length);
            out.append(dotted.data() + start, length);
            start = i + 1;
        }
    }
    out += '\0';
    return true;
}

bool AppendRecord(QByteArray& out, QByteArrayView name, std::uint16_t type, const QByteArray& data) {
    if (!AppendName(out, name) || data.size() > 0xFFFF)
        return false;
    Append16(out, type);
    Append16(out, kClassIn);
    Append32(out, kTtl);
    Append16(out, std::uint16_t(data.size()));
    out += data;
    return true;
}

} // namespace

QByteArray AnswerDnsSdProbe(QByteArrayView datagram, const SearchIdentity& identity) {
    if (datagram.size() < kHeaderBytes)
        return {};
    const std::uint16_t flags = Read16(datagram, 2);
    const int questions = Read16(datagram, 4);
    // A query (QR clear) with the standard opcode.
    if ((flags & 0x8000) || (flags >> 11 & 0x0F) != 0 || questions < 1 || questions > kMaxQuestions)
        return {};
    qsizetype pos = kHeaderBytes;
    bool asked = false;
    for (int i = 0; i < questions; ++i) {
        const auto name = ReadName(datagram, &pos);
        if (!name || datagram.size() - pos < 4)
            return {};
        const std::uint16_t type = Read16(datagram, pos);
        const std::uint16_t questionClass = Read16(datagram, pos + 2) & 0x7FFF; // without the unicast bit
        pos += 4;
        if (name->compare(kService, Qt::CaseInsensitive) == 0 && (type == kTypePtr || type == kTypeAny) &&
            (questionClass == kClassIn || questionClass == kClassAny))
            asked = true;
    }
    if (!asked)
        return {};

    const QByteArray instance = identity.instanceName + '.' + kService.toByteArray();
    QByteArray ptr;
    QByteArray srv;
    QByteArray txt;
    QByteArray address;
    if (!AppendName(ptr, instance))
        return {};
    Append16(srv, 0); // priority
    Append16(srv, 0); // weight
    Append16(srv, identity.tcpPort);
    if (!AppendName(srv, identity.hostName))
        return {};
    for (const QByteArray& entry : identity.txt) {
        txt += char(std::min<qsizetype>(entry.size(), 255));
        txt += entry.left(255);
    }
    if (txt.isEmpty())
        txt += '\0';
    Append32(address, identity.ipv4);

    QByteArray reply;
    Append16(reply, Read16(datagram, 0));
    Append16(reply, 0x8400); // response, authoritative
    Append16(reply, 1);      // the question, repeated
    Append16(reply, 1);      // PTR
    Append16(reply, 0);
    Append16(reply, 3); // SRV, TXT and A as additional records
    AppendName(reply, kService);
    Append16(reply, kTypePtr);
    Append16(reply, kClassIn);
    if (!AppendRecord(reply, kService, kTypePtr, ptr) || !AppendRecord(reply, instance, kTypeSrv, srv) ||
        !AppendRecord(reply, instance, kTypeTxt, txt) ||
        !AppendRecord(reply, identity.hostName, kTypeA, address))
        return {};
    return reply;
}

QByteArray AnswerSearchProbe(QByteArrayView datagram, const SearchIdentity& identity) {
    if (QByteArray snmp = AnswerSnmpProbe(datagram, identity); !snmp.isEmpty())
        return snmp;
    return AnswerDnsSdProbe(datagram, identity);
}

} // namespace quillory::sim
