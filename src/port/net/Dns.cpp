#include "port/net/Dns.h"

namespace quillory::dns {
namespace {

std::uint16_t Read16(QByteArrayView data, qsizetype pos) {
    return std::uint16_t(std::uint8_t(data[pos]) << 8 | std::uint8_t(data[pos + 1]));
}

std::uint32_t Read32(QByteArrayView data, qsizetype pos) {
    return std::uint32_t(Read16(data, pos)) << 16 | Read16(data, pos + 2);
}

void Append16(QByteArray& out, std::uint16_t value) {
    out += char(value >> 8);
    out += char(value & 0xFF);
}

void Append32(QByteArray& out, std::uint32_t value) {
    Append16(out, std::uint16_t(value >> 16));
    Append16(out, std::uint16_t(value & 0xFFFF));
}

// Reads a possibly compressed name at *pos; *pos moves past it. Every pointer must lead before
// everything read so far for this name.
std::optional<QByteArray> ReadName(QByteArrayView data, qsizetype* pos) {
    QByteArray name;
    qsizetype cursor = *pos;
    qsizetype lowest = *pos;
    bool jumped = false;
    for (;;) {
        if (cursor >= data.size())
            return std::nullopt;
        const std::uint8_t length = std::uint8_t(data[cursor]);
        if ((length & 0xC0) == 0xC0) {
            if (cursor + 1 >= data.size())
                return std::nullopt;
            const qsizetype target = qsizetype(length & 0x3F) << 8 | std::uint8_t(data[cursor + 1]);
            if (target >= lowest)
                return std::nullopt;
            if (!jumped)
                *pos = cursor + 2;
            jumped = true;
            cursor = lowest = target;
            continue;
        }
        if (length & 0xC0)
            return std::nullopt; // reserved label kinds
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
    if (dotted.size() > kMaxNameBytes - 1)
        return false;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= dotted.size(); ++i) {
        if (i == dotted.size() || dotted[i] == '.') {
            const qsizetype length = i - start;
            if (length == 0 || length > kMaxLabelBytes)
                return false;
            out += char(length);
            out.append(dotted.data() + start, length);
            start = i + 1;
        }
    }
    out += '\0';
    return true;
}

// The type-specific fields of a record whose data lie at [begin, end) of the message.
bool ReadRecordData(QByteArrayView message, qsizetype begin, qsizetype end, Record* record) {
    const QByteArrayView data = message.sliced(begin, end - begin);
    record->data = data.toByteArray();
    qsizetype pos = begin;
    switch (record->type) {
    case kTypeA:
        if (data.size() != 4)
            return false;
        record->ipv4 = Read32(data, 0);
        return true;
    case kTypePtr: {
        // The name may point back into the message, but must end inside the data.
        const std::optional<QByteArray> target = ReadName(message.first(end), &pos);
        if (!target || pos != end)
            return false;
        record->target = *target;
        return true;
    }
    case kTypeSrv: {
        if (data.size() < 7)
            return false;
        record->priority = Read16(data, 0);
        record->weight = Read16(data, 2);
        record->port = Read16(data, 4);
        pos += 6;
        const std::optional<QByteArray> target = ReadName(message.first(end), &pos);
        if (!target || pos != end)
            return false;
        record->target = *target;
        return true;
    }
    case kTypeTxt:
        for (qsizetype i = 0; i < data.size();) {
            const qsizetype length = std::uint8_t(data[i]);
            if (i + 1 + length > data.size())
                return false;
            if (length > 0)
                record->texts.append(data.sliced(i + 1, length).toByteArray());
            i += 1 + length;
        }
        return true;
    default:
        return true;
    }
}

bool AppendRecord(QByteArray& out, const Record& record) {
    QByteArray data;
    switch (record.type) {
    case kTypeA:
        Append32(data, record.ipv4);
        break;
    case kTypePtr:
        if (!AppendName(data, record.target))
            return false;
        break;
    case kTypeSrv:
        Append16(data, record.priority);
        Append16(data, record.weight);
        Append16(data, record.port);
        if (!AppendName(data, record.target))
            return false;
        break;
    case kTypeTxt:
        for (const QByteArray& text : record.texts) {
            if (text.size() > 255)
                return false;
            data += char(text.size());
            data += text;
        }
        if (data.isEmpty())
            data += '\0'; // a TXT record holds at least one (empty) string
        break;
    default:
        data = record.data;
    }
    if (!AppendName(out, record.name) || data.size() > 0xFFFF)
        return false;
    Append16(out, record.type);
    Append16(out, record.recordClass);
    Append32(out, record.ttl);
    Append16(out, std::uint16_t(data.size()));
    out += data;
    return true;
}

} // namespace

bool SameName(QByteArrayView a, QByteArrayView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray EncodeMessage(const Message& message) {
    const QList<Record>* sections[] = {&message.answers, &message.authorities, &message.additionals};
    if (message.questions.size() > 0xFFFF)
        return {};
    QByteArray out;
    Append16(out, message.id);
    Append16(out, message.flags);
    Append16(out, std::uint16_t(message.questions.size()));
    for (const QList<Record>* section : sections) {
        if (section->size() > 0xFFFF)
            return {};
        Append16(out, std::uint16_t(section->size()));
    }
    for (const Question& question : message.questions) {
        if (!AppendName(out, question.name))
            return {};
        Append16(out, question.type);
        Append16(out, question.questionClass);
    }
    for (const QList<Record>* section : sections) {
        for (const Record& record : *section) {
            if (!AppendRecord(out, record))
                return {};
        }
    }
    return out;
}

std::optional<Message> DecodeMessage(QByteArrayView datagram) {
    if (datagram.size() < kHeaderBytes)
        return std::nullopt;
    Message message;
    message.id = Read16(datagram, 0);
    message.flags = Read16(datagram, 2);
    const int questions = Read16(datagram, 4);
    const int counts[] = {Read16(datagram, 6), Read16(datagram, 8), Read16(datagram, 10)};
    if (questions + counts[0] + counts[1] + counts[2] > kMaxEntries)
        return std::nullopt;
    qsizetype pos = kHeaderBytes;
    for (int i = 0; i < questions; ++i) {
        Question question;
        const std::optional<QByteArray> name = ReadName(datagram, &pos);
        if (!name || datagram.size() - pos < 4)
            return std::nullopt;
        question.name = *name;
        question.type = Read16(datagram, pos);
        question.questionClass = Read16(datagram, pos + 2);
        pos += 4;
        message.questions.append(question);
    }
    QList<Record>* sections[] = {&message.answers, &message.authorities, &message.additionals};
    for (int s = 0; s < 3; ++s) {
        for (int i = 0; i < counts[s]; ++i) {
            Record record;
            const std::optional<QByteArray> name = ReadName(datagram, &pos);
            if (!name || datagram.size() - pos < 10)
                return std::nullopt;
            record.name = *name;
            record.type = Read16(datagram, pos);
            record.recordClass = Read16(datagram, pos + 2);
            record.ttl = Read32(datagram, pos + 4);
            const qsizetype length = Read16(datagram, pos + 8);
            pos += 10;
            if (length > datagram.size() - pos || !ReadRecordData(datagram, pos, pos + length, &record))
                return std::nullopt;
            pos += length;
            sections[s]->append(record);
        }
    }
    return message;
}

} // namespace quillory::dns
