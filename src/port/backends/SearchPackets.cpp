// Probe packets of the network search and the parsing of their replies, on the SNMP and DNS
// packet modules. Replies come from anything on the network: malformed input is simply no answer.
#include "port/backends/SearchPackets.h"

#include "port/net/Dns.h"

namespace quillory {
namespace {

constexpr char kCommunity[] = "public";
constexpr char kDnsSdService[] = "_pdl-datastream._tcp.local";
constexpr int kMaxDescriptionBytes = 255;

QByteArray SnmpRequest(snmp::PduType type, std::int32_t requestId, const snmp::Oid& oid) {
    snmp::Message request;
    request.version = snmp::kVersion1;
    request.community = kCommunity;
    request.type = type;
    request.requestId = requestId;
    request.varBinds = {{oid, snmp::Null()}};
    return snmp::EncodeMessage(request);
}

// A successful answer whose first variable holds a value (no v2c exception).
const snmp::VarBind* AnsweredVariable(const SnmpResponse& reply) {
    if (reply.errorStatus != snmp::kNoError || !reply.first)
        return nullptr;
    const std::uint8_t tag = reply.first->value.tag;
    if (tag == snmp::kNoSuchObject || tag == snmp::kNoSuchInstance || tag == snmp::kEndOfMibView)
        return nullptr;
    return &*reply.first;
}

} // namespace

QByteArray BuildSnmpSysDescrRequest(std::int32_t requestId) {
    return SnmpRequest(snmp::PduType::Get, requestId, kSysDescrOid);
}

QByteArray BuildSnmpGetNextRequest(std::int32_t requestId, const snmp::Oid& oid) {
    return SnmpRequest(snmp::PduType::GetNext, requestId, oid);
}

std::optional<SnmpResponse> ParseSnmpResponse(QByteArrayView datagram) {
    const std::optional<snmp::Message> message = snmp::DecodeMessage(datagram);
    if (!message || message->type != snmp::PduType::Response)
        return std::nullopt;
    SnmpResponse response;
    response.requestId = message->requestId;
    response.errorStatus = message->errorStatus;
    if (!message->varBinds.isEmpty()) {
        response.first = message->varBinds.constFirst();
        // The value is a courtesy: a reply without it still shows an agent at that address.
        if (response.first->oid == kSysDescrOid && response.first->value.tag == snmp::kOctetString)
            response.sysDescr = response.first->value.content;
    }
    return response;
}

PrinterEvidence PrinterMibEvidence(const SnmpResponse& reply) {
    const snmp::VarBind* variable = AnsweredVariable(reply);
    return variable && snmp::StartsWith(variable->oid, kPrinterMib) ? PrinterEvidence::Printer
                                                                    : PrinterEvidence::NotPrinter;
}

PrinterEvidence DeviceTypeEvidence(const SnmpResponse& reply) {
    const snmp::VarBind* variable = AnsweredVariable(reply);
    // Past the column (or no answer): the device table holds no printer.
    if (!variable || !snmp::StartsWith(variable->oid, kHrDeviceTypeColumn) ||
        variable->oid.size() == kHrDeviceTypeColumn.size())
        return PrinterEvidence::NotPrinter;
    return snmp::AsObjectId(variable->value) == kHrDevicePrinter ? PrinterEvidence::Printer
                                                                 : PrinterEvidence::NextDevice;
}

QByteArray BuildDnsSdQuery(quint16 id) {
    dns::Message query;
    query.id = id;
    query.questions = {{kDnsSdService, dns::kTypePtr, dns::kClassIn}};
    return dns::EncodeMessage(query);
}

std::optional<DnsSdResponse> ParseDnsSdResponse(QByteArrayView datagram) {
    const std::optional<dns::Message> message = dns::DecodeMessage(datagram);
    if (!message || !message->IsResponse() || message->Opcode() != 0 || message->ResponseCode() != 0)
        return std::nullopt;
    DnsSdResponse response;
    response.id = message->id;
    QByteArray instance;
    bool answersService = false;
    QList<dns::Record> records = message->answers + message->authorities + message->additionals;
    for (const dns::Record& record : records) {
        if ((record.recordClass & ~dns::kClassTopBit) != dns::kClassIn)
            continue;
        if (record.type == dns::kTypePtr && dns::SameName(record.name, kDnsSdService)) {
            answersService = true;
            if (instance.isEmpty())
                instance = record.target;
        } else if (record.type == dns::kTypeA && record.ipv4 != 0 && !response.address) {
            response.address = record.ipv4;
        }
    }
    if (!answersService)
        return std::nullopt;
    for (const dns::Record& record : records) {
        if (instance.isEmpty() || !dns::SameName(record.name, instance))
            continue;
        if (record.type == dns::kTypeSrv && record.port != 0 && !response.port)
            response.port = record.port;
        if (record.type != dns::kTypeTxt)
            continue;
        for (const QByteArray& text : record.texts) {
            if (text.size() > 3 && text.first(3).compare("ty=", Qt::CaseInsensitive) == 0 &&
                response.description.isEmpty())
                response.description = text.sliced(3);
        }
    }
    // The instance name is the label before the service type.
    if (response.description.isEmpty() && instance.size() > qsizetype(sizeof kDnsSdService) &&
        dns::SameName(QByteArrayView(instance).last(sizeof kDnsSdService), QByteArray(".") + kDnsSdService))
        response.description = instance.first(instance.size() - qsizetype(sizeof kDnsSdService));
    response.description.truncate(kMaxDescriptionBytes);
    return response;
}

} // namespace quillory
