// Replies to the network search come from anything on the network: SNMP and DNS-SD parsing must
// stay inside the datagram and accept only what answers our probes. The list of destinations is
// parsed from the same bytes as text.
#include "FuzzSupport.h"

#include "port/backends/NetSearch.h"

using namespace quillory;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::InitFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The search drops anything larger unread.
    if (size > std::size_t(kMaxSearchDatagramBytes))
        return 0;
    const QByteArrayView datagram = fuzz::InputBytes(data, size);

    if (const std::optional<SnmpResponse> snmp = ParseSnmpResponse(datagram)) {
        FUZZ_CHECK(snmp->sysDescr.size() < datagram.size());
        FUZZ_CHECK(snmp->requestId >= INT32_MIN && snmp->requestId <= INT32_MAX);
        // Whatever was decoded encodes again to the same bytes or shorter (lengths in short form).
        const std::optional<snmp::Message> message = snmp::DecodeMessage(datagram);
        FUZZ_CHECK(message);
        const QByteArray again = snmp::EncodeMessage(*message);
        FUZZ_CHECK(!again.isEmpty() && again.size() <= datagram.size());
        FUZZ_CHECK(snmp::DecodeMessage(again) == message);
        (void)PrinterMibEvidence(*snmp);
        (void)DeviceTypeEvidence(*snmp);
    }
    if (const std::optional<DnsSdResponse> dns = ParseDnsSdResponse(datagram)) {
        FUZZ_CHECK(datagram.size() >= 12);
        FUZZ_CHECK(dns->id == ((quint16(data[0]) << 8) | data[1]));
        FUZZ_CHECK(!dns->address || *dns->address != 0);
        FUZZ_CHECK(dns->description.size() <= 255);
    }
    // The search destinations are parsed from the environment with the same care.
    const std::optional<QList<SearchTarget>> parsed = ParseSearchTargets(QString::fromUtf8(datagram));
    const QList<SearchTarget> targets = parsed.value_or(QList<SearchTarget>());
    for (qsizetype i = 0; i < targets.size(); ++i) {
        FUZZ_CHECK(targets[i].address.protocol() == QAbstractSocket::IPv4Protocol && targets[i].port != 0);
        FUZZ_CHECK(!targets.sliced(i + 1).contains(targets[i]));
    }
    return 0;
}
