#include "sim/SearchReply.h"

#include "port/net/Dns.h"

#include <algorithm>
#include <optional>

namespace quillory::sim {
namespace {

using snmp::Oid;
using snmp::PduType;
using snmp::VarBind;

// GetBulk answers at most this many variables, as an agent bounds its responses.
constexpr int kMaxBulkVarBinds = 48;

// The next object after oid, or nothing at the end of the MIB.
std::optional<VarBind> NextObject(const Mib& mib, const Oid& oid) {
    const auto next = mib.upperBound(oid);
    if (next == mib.end())
        return std::nullopt;
    return VarBind{next.key(), next.value()};
}

// Whether oid names an instance below an object type the MIB has (sysDescr.5 below sysDescr).
bool UnderKnownObject(const Mib& mib, const Oid& oid) {
    if (oid.size() < 2)
        return false;
    const Oid object = oid.first(oid.size() - 1);
    const auto next = mib.lowerBound(object);
    return next != mib.end() && snmp::StartsWith(next.key(), object) && next.key().size() == oid.size();
}

snmp::Message ResponseTo(const snmp::Message& request) {
    snmp::Message response;
    response.version = request.version;
    response.community = request.community;
    response.type = PduType::Response;
    response.requestId = request.requestId;
    return response;
}

// An SNMPv1 error: the status, the index of the first variable it concerns, and the request's
// variables as they were.
snmp::Message V1Error(const snmp::Message& request, int status, int index) {
    snmp::Message response = ResponseTo(request);
    response.errorStatus = status;
    response.errorIndex = index;
    response.varBinds = request.varBinds;
    return response;
}

snmp::Message AnswerGet(const snmp::Message& request, const Mib& mib) {
    snmp::Message response = ResponseTo(request);
    for (qsizetype i = 0; i < request.varBinds.size(); ++i) {
        const Oid& oid = request.varBinds[i].oid;
        if (const auto found = mib.constFind(oid); found != mib.cend()) {
            response.varBinds.append({oid, found.value()});
            continue;
        }
        if (request.version == snmp::kVersion1)
            return V1Error(request, snmp::kNoSuchName, int(i + 1));
        response.varBinds.append(
            {oid, snmp::Exception(UnderKnownObject(mib, oid) ? snmp::kNoSuchInstance : snmp::kNoSuchObject)});
    }
    return response;
}

snmp::Message AnswerGetNext(const snmp::Message& request, const Mib& mib) {
    snmp::Message response = ResponseTo(request);
    for (qsizetype i = 0; i < request.varBinds.size(); ++i) {
        const Oid& oid = request.varBinds[i].oid;
        if (const std::optional<VarBind> next = NextObject(mib, oid)) {
            response.varBinds.append(*next);
            continue;
        }
        if (request.version == snmp::kVersion1)
            return V1Error(request, snmp::kNoSuchName, int(i + 1));
        response.varBinds.append({oid, snmp::Exception(snmp::kEndOfMibView)});
    }
    return response;
}

// GetBulk (SNMPv2c): the non-repeaters once, then up to max-repetitions rounds of the others.
snmp::Message AnswerGetBulk(const snmp::Message& request, const Mib& mib) {
    snmp::Message response = ResponseTo(request);
    const qsizetype count = request.varBinds.size();
    const qsizetype nonRepeaters = std::clamp<qsizetype>(request.errorStatus, 0, count);
    const int repetitions = std::max(0, request.errorIndex);
    const auto next = [&mib](const Oid& oid) {
        const std::optional<VarBind> found = NextObject(mib, oid);
        return found ? *found : VarBind{oid, snmp::Exception(snmp::kEndOfMibView)};
    };
    for (qsizetype i = 0; i < nonRepeaters; ++i)
        response.varBinds.append(next(request.varBinds[i].oid));
    QList<Oid> cursors;
    for (qsizetype i = nonRepeaters; i < count; ++i)
        cursors.append(request.varBinds[i].oid);
    for (int round = 0; round < repetitions && !cursors.isEmpty(); ++round) {
        bool allEnded = true;
        for (Oid& cursor : cursors) {
            if (response.varBinds.size() >= kMaxBulkVarBinds)
                return response;
            const VarBind bind = next(cursor);
            allEnded = allEnded && bind.value.tag == snmp::kEndOfMibView;
            response.varBinds.append(bind);
            cursor = bind.oid;
        }
        if (allEnded)
            break;
    }
    return response;
}

} // namespace

Mib PrinterMib(const SearchIdentity& identity) {
    const QByteArray serial = "QSIM" + identity.instanceName.right(4).toUpper();
    return {
        {{1, 3, 6, 1, 2, 1, 1, 1, 0}, snmp::OctetString(identity.description)}, // sysDescr
        {{1, 3, 6, 1, 2, 1, 1, 5, 0}, snmp::OctetString(identity.hostName)},    // sysName
        {{1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 2, 1},
         snmp::ObjectId({1, 3, 6, 1, 2, 1, 25, 3, 1, 5})}, // hrDeviceType: printer
        {{1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 3, 1}, snmp::OctetString(identity.description)}, // hrDeviceDescr
        {{1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 5, 1}, snmp::Integer(2)}, // hrDeviceStatus: running
        {{1, 3, 6, 1, 2, 1, 25, 3, 5, 1, 1, 1}, snmp::Integer(3)}, // hrPrinterStatus: idle
        {{1, 3, 6, 1, 2, 1, 43, 5, 1, 1, 16, 1},
         snmp::OctetString(identity.description)},                           // prtGeneralPrinterName
        {{1, 3, 6, 1, 2, 1, 43, 5, 1, 1, 17, 1}, snmp::OctetString(serial)}, // prtGeneralSerialNumber
    };
}

QByteArray AnswerSnmpRequest(QByteArrayView datagram, const QByteArray& community, const Mib& mib) {
    const std::optional<snmp::Message> request = snmp::DecodeMessage(datagram);
    // A wrong community is dropped without a word, as agents do.
    if (!request || request->community != community)
        return {};
    switch (request->type) {
    case PduType::Get:
        return snmp::EncodeMessage(AnswerGet(*request, mib));
    case PduType::GetNext:
        return snmp::EncodeMessage(AnswerGetNext(*request, mib));
    case PduType::GetBulk:
        return snmp::EncodeMessage(AnswerGetBulk(*request, mib));
    case PduType::Set:
        // Read-only: v1 knows no better than noSuchName, v2c says noAccess.
        return snmp::EncodeMessage(
            V1Error(*request, request->version == snmp::kVersion1 ? snmp::kNoSuchName : snmp::kNoAccess, 1));
    case PduType::Response:
        break;
    }
    return {};
}

QByteArray AnswerSnmpProbe(QByteArrayView datagram, const SearchIdentity& identity) {
    return AnswerSnmpRequest(datagram, identity.community, PrinterMib(identity));
}

namespace {

constexpr QByteArrayView kService("_pdl-datastream._tcp.local");
constexpr int kMaxQuestions = 8;
// Replies to one-shot queries carry short lifetimes (RFC 6762, 6.7).
constexpr std::uint32_t kTtl = 10;

dns::Record MakeRecord(const QByteArray& name, std::uint16_t type) {
    dns::Record record;
    record.name = name;
    record.type = type;
    record.recordClass = dns::kClassIn;
    record.ttl = kTtl;
    return record;
}

} // namespace

QByteArray AnswerDnsSdProbe(QByteArrayView datagram, const SearchIdentity& identity) {
    const std::optional<dns::Message> query = dns::DecodeMessage(datagram);
    // A query (QR clear) with the standard opcode.
    if (!query || query->IsResponse() || query->Opcode() != 0 || query->questions.isEmpty() ||
        query->questions.size() > kMaxQuestions)
        return {};
    const bool asked =
        std::any_of(query->questions.begin(), query->questions.end(), [](const dns::Question& q) {
            const std::uint16_t questionClass =
                q.questionClass & ~dns::kClassTopBit; // without the unicast bit
            return dns::SameName(q.name, kService) && (q.type == dns::kTypePtr || q.type == dns::kTypeAny) &&
                   (questionClass == dns::kClassIn || questionClass == dns::kClassAny);
        });
    if (!asked)
        return {};

    const QByteArray service = kService.toByteArray();
    const QByteArray instance = identity.instanceName + '.' + service;
    dns::Message reply;
    reply.id = query->id;
    reply.flags = dns::kFlagResponse | dns::kFlagAuthoritative;
    reply.questions = {{service, dns::kTypePtr, dns::kClassIn}};
    dns::Record ptr = MakeRecord(service, dns::kTypePtr);
    ptr.target = instance;
    dns::Record srv = MakeRecord(instance, dns::kTypeSrv);
    srv.port = identity.tcpPort;
    srv.target = identity.hostName;
    dns::Record txt = MakeRecord(instance, dns::kTypeTxt);
    for (const QByteArray& entry : identity.txt)
        txt.texts.append(entry.left(255));
    dns::Record address = MakeRecord(identity.hostName, dns::kTypeA);
    address.ipv4 = identity.ipv4;
    reply.answers = {ptr};
    reply.additionals = {srv, txt, address};
    return dns::EncodeMessage(reply);
}

QByteArray AnswerSearchProbe(QByteArrayView datagram, const SearchIdentity& identity) {
    if (QByteArray snmp = AnswerSnmpProbe(datagram, identity); !snmp.isEmpty())
        return snmp;
    return AnswerDnsSdProbe(datagram, identity);
}

} // namespace quillory::sim
