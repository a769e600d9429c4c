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
        FUZZ_CHECK(snmp->requestId >= -(std::int64_t(1) << 39) && snmp->requestId < (std::int64_t(1) << 39));
    }
    if (const std::optional<DnsSdResponse> dns = ParseDnsSdResponse(datagram)) {
        FUZZ_CHECK(datagram.size() >= 12);
        FUZZ_CHECK(dns->id == ((quint16(data[0]) << 8) | data[1]));
        FUZZ_CHECK(!dns->address || *dns->address != 0);
    }
    // The search destinations are parsed from the environment with the same care.
    const QList<SearchTarget> targets = ParseSearchTargets(QString::fromUtf8(datagram));
    for (qsizetype i = 0; i < targets.size(); ++i) {
        FUZZ_CHECK(targets[i].address.protocol() == QAbstractSocket::IPv4Protocol && targets[i].port != 0);
        FUZZ_CHECK(!targets.sliced(i + 1).contains(targets[i]));
    }
    return 0;
}
