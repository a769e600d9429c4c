// Probe packets of the network search and the parsing of their replies. Replies come from
// anything on the network, so every read is bounded and malformed input is simply no answer.
#include "port/backends/NetSearch.h"

namespace quillory {
namespace {

// --- BER (SNMP) ---

constexpr std::uint8_t kBerInteger = 0x02;
constexpr std::uint8_t kBerOctetString = 0x04;
constexpr std::uint8_t kBerNull = 0x05;
constexpr std::uint8_t kBerOid = 0x06;
constexpr std::uint8_t kBerSequence = 0x30;
constexpr std::uint8_t kSnmpGetRequest = 0xA0;
constexpr std::uint8_t kSnmpGetResponse = 0xA2;
// 1.3.6.1.2.1.1.1.0 (sysDescr.0) in BER form.
constexpr std::uint8_t kSysDescrOid[] = {0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00};
constexpr char kCommunity[] = "public";

QByteArray BerLength(qsizetype length) {
    if (length < 0x80)
        return QByteArray(1, char(length));
    if (length <= 0xFF)
        return QByteArray("\x81", 1) + char(length);
    return QByteArray("\x82", 1) + char((length >> 8) & 0xFF) + char(length & 0xFF);
}

QByteArray Tlv(std::uint8_t tag, const QByteArray& content) {
    return char(tag) + BerLength(content.size()) + content;
}

QByteArray BerInteger(std::int32_t value) {
    // Minimal two's-complement form, most significant byte first.
    QByteArray bytes;
    std::int64_t v = value;
    do {
        bytes.prepend(char(v & 0xFF));
        v >>= 8;
    } while (!((v == 0 && !(bytes.front() & 0x80)) || (v == -1 && (bytes.front() & 0x80))));
    return Tlv(kBerInteger, bytes);
}

// A bounded cursor over one BER level.
class BerReader {
public:
    explicit BerReader(QByteArrayView data) : m_data(data) {}
    [[nodiscard]] bool AtEnd() const { return m_pos >= m_data.size(); }

    // The next element of the expected tag; its content in *content.
    bool Next(std::uint8_t tag, QByteArrayView* content) {
        if (m_pos + 2 > m_data.size() || std::uint8_t(m_data[m_pos]) != tag)
            return false;
        qsizetype pos = m_pos + 1;
        qsizetype length = std::uint8_t(m_data[pos++]);
        if (length & 0x80) {
            const int lengthBytes = int(length & 0x7F);
            if (lengthBytes == 0 || lengthBytes > 2 || pos + lengthBytes > m_data.size())
                return false; // indefinite or absurd lengths are not SNMP
            length = 0;
            for (int i = 0; i < lengthBytes; ++i)
                length = (length << 8) | std::uint8_t(m_data[pos++]);
        }
        if (length > m_data.size() - pos)
            return false;
        *content = m_data.sliced(pos, length);
        m_pos = pos + length;
        return true;
    }

    bool NextInteger(std::int64_t* value) {
        QByteArrayView content;
        if (!Next(kBerInteger, &content) || content.isEmpty() || content.size() > 5)
            return false;
        std::int64_t v = (std::uint8_t(content[0]) & 0x80) ? -1 : 0;
        for (const char byte : content)
            v = v * 256 + std::uint8_t(byte);
        *value = v;
        return true;
    }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

// --- DNS ---

constexpr char kDnsSdService[] = "_pdl-datastream._tcp.local";
constexpr quint16 kDnsTypeA = 1;
constexpr quint16 kDnsTypePtr = 12;
constexpr quint16 kDnsClassIn = 1;
constexpr int kDnsHeaderBytes = 12;
constexpr int kMaxDnsNameBytes = 255;
constexpr int kMaxDnsLabelBytes = 63;

quint16 Read16(QByteArrayView data, qsizetype pos) {
    return quint16((std::uint8_t(data[pos]) << 8) | std::uint8_t(data[pos + 1]));
}

// Reads a possibly compressed name at *pos; *pos moves past it. Every compression pointer must
// point before everything read so far for this name, so the walk always ends.
bool ReadDnsName(QByteArrayView data, qsizetype* pos, QByteArray* name) {
    name->clear();
    qsizetype cursor = *pos;
    qsizetype lowest = *pos;
    bool jumped = false;
    for (;;) {
        if (cursor >= data.size())
            return false;
        const std::uint8_t length = std::uint8_t(data[cursor]);
        if ((length & 0xC0) == 0xC0) {
            if (cursor + 1 >= data.size())
                return false;
            const qsizetype target = ((length & 0x3F) << 8) | std::uint8_t(data[cursor + 1]);
            if (target >= lowest)
                return false;
            if (!jumped)
                *pos = cursor + 2;
            jumped = true;
            cursor = lowest = target;
            continue;
        }
        if (length & 0xC0)
            return false; // reserved label kinds
        if (length == 0) {
            if (!jumped)
                *pos = cursor + 1;
            return true;
        }
        if (length > kMaxDnsLabelBytes || cursor + 1 + length > data.size() ||
            name->size() + length + 1 > kMaxDnsNameBytes)
            return false;
        if (!name->isEmpty())
            name->append('.');
        name->append(data.sliced(cursor + 1, length).toByteArray());
        cursor += 1 + length;
    }
}

void AppendDnsName(QByteArray* packet, const char* dotted) {
    for (const QByteArray& label : QByteArray(dotted).split('.')) {
        packet->append(char(label.size()));
        packet->append(label);
    }
    packet->append('\0');
}

} // namespace

QByteArray BuildSnmpSysDescrRequest(std::int32_t requestId) {
    const QByteArray varBind =
        Tlv(kBerSequence,
            Tlv(kBerOid, QByteArray(reinterpret_cast<const char*>(kSysDescrOid), sizeof kSysDescrOid)) +
                Tlv(kBerNull, {}));
    const QByteArray pdu = BerInteger(requestId) + BerInteger(0) + BerInteger(0) + Tlv(kBerSequence, varBind);
    return Tlv(kBerSequence,
               BerInteger(0) + Tlv(kBerOctetString, QByteArray(kCommunity)) + Tlv(kSnmpGetRequest, pdu));
}

std::optional<SnmpResponse> ParseSnmpResponse(QByteArrayView datagram) {
    BerReader top(datagram);
    QByteArrayView message;
    if (!top.Next(kBerSequence, &message))
        return std::nullopt;
    BerReader fields(message);
    std::int64_t version = -1;
    QByteArrayView community;
    QByteArrayView pdu;
    if (!fields.NextInteger(&version) || (version != 0 && version != 1) ||
        !fields.Next(kBerOctetString, &community) || !fields.Next(kSnmpGetResponse, &pdu))
        return std::nullopt;
    SnmpResponse response;
    std::int64_t errorIndex = 0;
    BerReader pduFields(pdu);
    QByteArrayView varBinds;
    if (!pduFields.NextInteger(&response.requestId) || !pduFields.NextInteger(&response.errorStatus) ||
        !pduFields.NextInteger(&errorIndex) || !pduFields.Next(kBerSequence, &varBinds))
        return std::nullopt;
    // The value is a courtesy: a reply without it still shows an agent at that address.
    BerReader bindings(varBinds);
    QByteArrayView first;
    if (bindings.Next(kBerSequence, &first)) {
        BerReader binding(first);
        QByteArrayView oid;
        QByteArrayView value;
        if (binding.Next(kBerOid, &oid) && binding.Next(kBerOctetString, &value))
            response.sysDescr = value.toByteArray();
    }
    return response;
}

QByteArray BuildDnsSdQuery(quint16 id) {
    QByteArray packet;
    packet.append(char(id >> 8)).append(char(id & 0xFF));
    packet.append(QByteArray("\x00\x00" // flags: standard query
                             "\x00\x01" // one question
                             "\x00\x00\x00\x00\x00\x00",
                             10));
    AppendDnsName(&packet, kDnsSdService);
    packet.append(QByteArray("\x00\x0C\x00\x01", 4)); // PTR, IN
    return packet;
}

std::optional<DnsSdResponse> ParseDnsSdResponse(QByteArrayView datagram) {
    if (datagram.size() < kDnsHeaderBytes)
        return std::nullopt;
    const quint16 flags = Read16(datagram, 2);
    const bool isResponse = flags & 0x8000;
    const int opcode = (flags >> 11) & 0x0F;
    const int rcode = flags & 0x0F;
    if (!isResponse || opcode != 0 || rcode != 0)
        return std::nullopt;
    DnsSdResponse response;
    response.id = Read16(datagram, 0);
    const int questions = Read16(datagram, 4);
    const int records = Read16(datagram, 6) + Read16(datagram, 8) + Read16(datagram, 10);
    qsizetype pos = kDnsHeaderBytes;
    QByteArray name;
    for (int i = 0; i < questions; ++i) {
        if (!ReadDnsName(datagram, &pos, &name) || pos + 4 > datagram.size())
            return std::nullopt;
        pos += 4;
    }
    bool answersService = false;
    for (int i = 0; i < records; ++i) {
        if (!ReadDnsName(datagram, &pos, &name) || pos + 10 > datagram.size())
            return std::nullopt;
        const quint16 type = Read16(datagram, pos);
        const quint16 recordClass = Read16(datagram, pos + 2) & 0x7FFF; // without the cache-flush bit
        const quint16 dataLength = Read16(datagram, pos + 8);
        pos += 10;
        if (dataLength > datagram.size() - pos)
            return std::nullopt;
        if (recordClass == kDnsClassIn) {
            if (type == kDnsTypePtr && name.compare(kDnsSdService, Qt::CaseInsensitive) == 0)
                answersService = true;
            else if (type == kDnsTypeA && dataLength == 4 && !response.address) {
                const quint32 address = (quint32(Read16(datagram, pos)) << 16) | Read16(datagram, pos + 2);
                if (address != 0)
                    response.address = address;
            }
        }
        pos += dataLength;
    }
    if (!answersService)
        return std::nullopt;
    return response;
}

} // namespace quillory
