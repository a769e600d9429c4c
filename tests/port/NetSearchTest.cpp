#include "port/backends/NetSearch.h"
#include "port/backends/Backends.h"
#include "sim/SearchReply.h"

#include "BackendTestSupport.h"

#include <QElapsedTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <vector>

using namespace quillory;
using namespace quillory::test;

namespace {

QByteArray Hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// SNMPv1 GetResponse for sysDescr.0 (short-form lengths only: the texts are small).
QByteArray SnmpReply(std::int32_t requestId, const QByteArray& descr) {
    const auto tlv = [](char tag, const QByteArray& content) {
        return tag + QByteArray(1, char(content.size())) + content;
    };
    QByteArray id(4, '\0');
    for (int i = 0; i < 4; ++i)
        id[i] = char((quint32(requestId) >> (24 - 8 * i)) & 0xFF);
    const QByteArray bind = tlv(0x30, tlv(0x06, Hex("2b06010201010100")) + tlv(0x04, descr));
    const QByteArray pdu = tlv(0x02, id) + Hex("020100 020100") + tlv(0x30, bind);
    return tlv(0x30, Hex("020100") + tlv(0x04, "public") + tlv(char(0xA2), pdu));
}

// A DNS-SD answer: question, PTR answer for the service (name compressed to the question),
// SRV-less additional A record for "ql.local" when address is not 0.
QByteArray DnsReply(quint16 id, quint32 address) {
    QByteArray packet;
    packet += char(id >> 8);
    packet += char(id & 0xFF);
    packet += Hex("8400 0001 0001 0000") + (address ? Hex("0001") : Hex("0000"));
    packet += Hex("0f") + "_pdl-datastream" + Hex("04") + "_tcp" + Hex("05") + "local" + Hex("00 000c 0001");
    // Answer: c00c PTR IN ttl, rdata "QL._pdl-datastream._tcp.local" as "QL" + pointer to 12.
    packet += Hex("c00c 000c 8001 00001194 0005 02") + "QL" + Hex("c00c");
    if (address) {
        packet += Hex("02") + "ql" + Hex("c021 0001 8001 00000078 0004"); // "ql" + ".local" at 33
        for (int shift = 24; shift >= 0; shift -= 8)
            packet += char((address >> shift) & 0xFF);
    }
    return packet;
}

// A UDP responder on one loopback address; answer() turns each datagram into replies.
class UdpResponder {
public:
    using Answer = std::function<QList<QByteArray>(const QByteArray&)>;
    UdpResponder(const char* address, quint16 port, Answer answer) {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(port);
        ::inet_pton(AF_INET, address, &local.sin_addr);
        socklen_t length = sizeof local;
        m_bound = ::bind(m_fd, reinterpret_cast<sockaddr*>(&local), length) == 0;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length);
        m_port = ntohs(local.sin_port);
        m_thread = std::thread([this, answer = std::move(answer)] {
            char buffer[65536];
            while (!m_stop) {
                pollfd entry{m_fd, POLLIN, 0};
                if (::poll(&entry, 1, 20) <= 0)
                    continue;
                sockaddr_in from{};
                socklen_t fromLength = sizeof from;
                const ssize_t n = ::recvfrom(m_fd, buffer, sizeof buffer, 0,
                                             reinterpret_cast<sockaddr*>(&from), &fromLength);
                if (n < 0)
                    continue;
                ++m_probes;
                for (const QByteArray& reply : answer(QByteArray(buffer, n)))
                    ::sendto(m_fd, reply.constData(), std::size_t(reply.size()), 0,
                             reinterpret_cast<sockaddr*>(&from), fromLength);
            }
        });
    }
    ~UdpResponder() {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }
    [[nodiscard]] bool IsBound() const { return m_bound; }
    [[nodiscard]] quint16 Port() const { return m_port; }
    [[nodiscard]] int Probes() const { return m_probes; }

private:
    int m_fd = -1;
    bool m_bound = false;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_probes{0};
    std::thread m_thread;
};

// A printer's agent: sysDescr, and its printer in the device table and the Printer MIB.
sim::Mib LabelPrinterMib() {
    sim::SearchIdentity identity;
    identity.description = "QL label printer";
    identity.hostName = "ql.local";
    return sim::PrinterMib(identity);
}

// Answers both probe kinds, as a printer does on its one search port.
QList<QByteArray> PrinterAnswer(const QByteArray& probe, quint32 dnsAddress,
                                const sim::Mib& mib = LabelPrinterMib()) {
    if (probe.mid(2, 10) == Hex("0000 0001 0000 0000 0000"))
        return {DnsReply(quint16((quint8(probe[0]) << 8) | quint8(probe[1])), dnsAddress)};
    return {sim::AnswerSnmpRequest(probe, "public", mib)};
}

const snmp::Oid kHrDeviceType{1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 2};
const snmp::Oid kHrDeviceProcessor{1, 3, 6, 1, 2, 1, 25, 3, 1, 3};
const snmp::Oid kHrDeviceNetwork{1, 3, 6, 1, 2, 1, 25, 3, 1, 4};

// What a plain host's agent serves: the system group and a device table without a printer.
sim::Mib HostMib() {
    sim::Mib mib{{kSysDescrOid, snmp::OctetString("Linux build-host 6.1.0 x86_64")},
                 {{1, 3, 6, 1, 2, 1, 1, 5, 0}, snmp::OctetString("build-host")},
                 {{1, 3, 6, 1, 2, 1, 4, 1, 0}, snmp::Integer(1)},
                 {{1, 3, 6, 1, 2, 1, 88, 1, 1, 1, 0}, snmp::Integer(1)}};
    for (std::uint32_t device = 196608; device < 196612; ++device)
        mib.insert(kHrDeviceType + snmp::Oid{device}, snmp::ObjectId(kHrDeviceProcessor));
    mib.insert(kHrDeviceType + snmp::Oid{262145}, snmp::ObjectId(kHrDeviceNetwork));
    return mib;
}

class TargetsVariable {
public:
    explicit TargetsVariable(const QByteArray& value) : m_saved(qgetenv(kSearchTargetsVariable)) {
        qputenv(kSearchTargetsVariable, value);
    }
    ~TargetsVariable() { qputenv(kSearchTargetsVariable, m_saved); }

private:
    QByteArray m_saved;
};

} // namespace

TEST(SearchPackets, ProbesAreByteExact) {
    EXPECT_EQ(BuildSnmpSysDescrRequest(0x12345678), Hex("3029 020100 04067075626c6963 a01c 020412345678 "
                                                        "020100 020100 300e 300c 06082b06010201010100 0500"));
    EXPECT_EQ(
        BuildSnmpSysDescrRequest(1),
        Hex("3026 020100 04067075626c6963 a019 020101 020100 020100 300e 300c 06082b06010201010100 0500"));
    // A request id with the top bit of its first byte set needs a leading zero byte.
    EXPECT_EQ(BuildSnmpSysDescrRequest(0x80).mid(15, 4), Hex("02020080"));
    EXPECT_EQ(BuildDnsSdQuery(0xBEEF),
              Hex("beef 0000 0001 0000 0000 0000"
                  "0f5f70646c2d6461746173747265616d 045f746370 056c6f63616c 00 000c 0001"));
}

TEST(SearchPackets, SnmpResponsesAreParsedDefensively) {
    const QByteArray good = SnmpReply(0x12345678, "QL label printer");
    const auto parsed = ParseSnmpResponse(good);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->requestId, 0x12345678);
    EXPECT_EQ(parsed->errorStatus, 0);
    EXPECT_EQ(parsed->sysDescr, "QL label printer");

    for (qsizetype size = 0; size < good.size(); ++size)
        EXPECT_FALSE(ParseSnmpResponse(QByteArrayView(good).first(size))) << "truncated to " << size;

    // Long-form lengths are BER too.
    QByteArray longForm = good;
    longForm.insert(1, char(0x81));
    EXPECT_TRUE(ParseSnmpResponse(longForm));

    QByteArray lying = good;
    lying[1] = char(good.size()); // claims one byte more than there is
    EXPECT_FALSE(ParseSnmpResponse(lying));
    QByteArray indefinite = good;
    indefinite[1] = char(0x80);
    EXPECT_FALSE(ParseSnmpResponse(indefinite));
    QByteArray huge = good;
    huge.replace(1, 1, Hex("84ffffffff"));
    EXPECT_FALSE(ParseSnmpResponse(huge));
    EXPECT_FALSE(ParseSnmpResponse(BuildSnmpSysDescrRequest(7))) << "our own request is no answer";
    EXPECT_FALSE(ParseSnmpResponse(QByteArray(300, '\xff')));
    // A reply without a usable value (noSuchName, the request's variable echoed) still names an agent.
    const auto noValue = ParseSnmpResponse(
        Hex("3026 020100 04067075626c6963 a219 020107 020102 020101 300e 300c 06082b06010201010100 0500"));
    ASSERT_TRUE(noValue);
    EXPECT_EQ(noValue->requestId, 7);
    EXPECT_EQ(noValue->errorStatus, 2);
    EXPECT_TRUE(noValue->sysDescr.isEmpty());
    // A malformed variable spoils the message, as does anything after it.
    EXPECT_FALSE(
        ParseSnmpResponse(Hex("301b 020100 04067075626c6963 a20e 020107 020102 020101 3003 300100")));
    EXPECT_FALSE(ParseSnmpResponse(good + '\0'));
}

TEST(SearchPackets, FollowUpQuestionsTellPrintersFromOtherAgents) {
    EXPECT_EQ(
        BuildSnmpGetNextRequest(0x01020304, kPrinterMib),
        Hex("3027 020100 04067075626c6963 a11a 020401020304 020100 020100 300c 300a 06062b060102012b 0500"));
    const auto reply = [](const snmp::Message& message) {
        const std::optional<SnmpResponse> parsed = ParseSnmpResponse(snmp::EncodeMessage(message));
        EXPECT_TRUE(parsed);
        return parsed.value_or(SnmpResponse());
    };
    snmp::Message answer;
    answer.type = snmp::PduType::Response;
    const auto with = [&answer](const snmp::Oid& oid, const snmp::Value& value, int error = 0) {
        snmp::Message message = answer;
        message.errorStatus = error;
        message.varBinds = {{oid, value}};
        return message;
    };
    const snmp::Oid printerName{1, 3, 6, 1, 2, 1, 43, 5, 1, 1, 16, 1};
    EXPECT_EQ(PrinterMibEvidence(reply(with(printerName, snmp::OctetString("QL")))),
              PrinterEvidence::Printer);
    // The object after the Printer MIB's place is of another MIB, or there is none.
    EXPECT_EQ(PrinterMibEvidence(reply(with({1, 3, 6, 1, 2, 1, 88, 1, 1, 1, 0}, snmp::Integer(1)))),
              PrinterEvidence::NotPrinter);
    EXPECT_EQ(PrinterMibEvidence(reply(with(kPrinterMib, snmp::Null(), snmp::kNoSuchName))),
              PrinterEvidence::NotPrinter);
    EXPECT_EQ(PrinterMibEvidence(reply(with(kPrinterMib, snmp::Exception(snmp::kEndOfMibView)))),
              PrinterEvidence::NotPrinter);

    const snmp::Oid device = kHrDeviceType + snmp::Oid{3};
    EXPECT_EQ(DeviceTypeEvidence(reply(with(device, snmp::ObjectId(kHrDevicePrinter)))),
              PrinterEvidence::Printer);
    EXPECT_EQ(DeviceTypeEvidence(reply(with(device, snmp::ObjectId(kHrDeviceProcessor)))),
              PrinterEvidence::NextDevice);
    // hrDeviceDescr follows the last device type: the table holds no printer.
    EXPECT_EQ(DeviceTypeEvidence(reply(with({1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 3, 1}, snmp::OctetString("x")))),
              PrinterEvidence::NotPrinter);
    // A printer type given as text is no object identifier.
    EXPECT_EQ(DeviceTypeEvidence(reply(with(device, snmp::OctetString("1.3.6.1.2.1.25.3.1.5")))),
              PrinterEvidence::NextDevice);
    EXPECT_EQ(DeviceTypeEvidence(reply(with(device, snmp::ObjectId(kHrDevicePrinter), snmp::kGenErr))),
              PrinterEvidence::NotPrinter);
}

TEST(SearchPackets, DnsSdResponsesAreParsedDefensively) {
    const QByteArray good = DnsReply(0x1234, 0x7F000009);
    const auto parsed = ParseDnsSdResponse(good);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->id, 0x1234);
    EXPECT_EQ(parsed->address, 0x7F000009u);
    const auto noAddress = ParseDnsSdResponse(DnsReply(1, 0));
    ASSERT_TRUE(noAddress);
    EXPECT_FALSE(noAddress->address);

    for (qsizetype size = 0; size < good.size(); ++size)
        EXPECT_FALSE(ParseDnsSdResponse(QByteArrayView(good).first(size))) << "truncated to " << size;

    QByteArray query = good;
    query[2] = 0; // QR clear: a question, not an answer
    EXPECT_FALSE(ParseDnsSdResponse(query));
    QByteArray failed = good;
    failed[3] = char(0x03); // NXDOMAIN
    EXPECT_FALSE(ParseDnsSdResponse(failed));

    // The answer's name points at itself, or forwards: no loops, no reads past the end.
    const qsizetype answer = 12 + 28 + 4;
    QByteArray loop = good;
    loop[answer] = char(0xC0);
    loop[answer + 1] = char(answer);
    EXPECT_FALSE(ParseDnsSdResponse(loop));
    QByteArray forward = good;
    forward[answer + 1] = char(0xF0);
    EXPECT_FALSE(ParseDnsSdResponse(forward));
    QByteArray twoStep = good; // the question's name jumps into the answer, which jumps back
    twoStep[12] = char(0xC0);
    twoStep[13] = char(answer);
    EXPECT_FALSE(ParseDnsSdResponse(twoStep));
    QByteArray longLabel = good;
    longLabel[12] = char(0x40);
    EXPECT_FALSE(ParseDnsSdResponse(longLabel));
    QByteArray manyRecords = good;
    manyRecords[6] = manyRecords[7] = char(0xFF); // counts far beyond the data
    EXPECT_FALSE(ParseDnsSdResponse(manyRecords));

    // Another service's answer is not ours.
    QByteArray other = good;
    other.replace("_pdl-datastream", "_ipp-datastream");
    EXPECT_FALSE(ParseDnsSdResponse(other));
}

TEST(SearchTargets, OneVariableDecidesWhereProbesGo) {
    EXPECT_EQ(ParseSearchTargets(" 127.0.0.1:1, 127.0.0.2:5000,,127.0.0.1:1 ,"),
              QList<SearchTarget>({{QHostAddress("127.0.0.1"), 1}, {QHostAddress("127.0.0.2"), 5000}}));
    for (const char* bad : {"bad", "::1:5", "127.0.0.1:0", "127.0.0.1:70000", "127.0.0.1:x", "127.0.0.1",
                            ":9", "printer.local:161", "127.0.0.1:161;127.0.0.2:161", "127.0.0.1:+5"}) {
        QString error;
        EXPECT_FALSE(ParseSearchTargets(QStringLiteral("127.0.0.1:1,%1").arg(QLatin1String(bad)), &error))
            << bad;
        EXPECT_TRUE(error.contains(QLatin1String(bad))) << error.toStdString();
    }
    {
        // A malformed variable is an error, never a silent search of nothing (or of the defaults).
        TargetsVariable targets("127.0.0.1:161,127.0.0.1:port");
        for (int mode : {kSearchSnmp, kSearchDnsSd}) {
            try {
                (void)SearchTargetsFor(mode);
                ADD_FAILURE() << "no error for mode " << mode;
            } catch (const CommunicationException& e) {
                EXPECT_EQ(e.GetErrorCode(), COMM_BAD_PARAMETER);
                EXPECT_TRUE(e.Detail().contains("QUILLORY_SEARCH_TARGETS")) << e.Detail().toStdString();
                EXPECT_TRUE(e.Detail().contains("127.0.0.1:port")) << e.Detail().toStdString();
            }
        }
        char buffer[kListBufferSize];
        EXPECT_THROW((void)MakeNetBackend()->SearchNet(buffer, kSearchSnmp), CommunicationException);
    }
    {
        TargetsVariable targets("127.0.0.3:9");
        for (int mode : {kSearchSnmp, kSearchDnsSd})
            EXPECT_EQ(SearchTargetsFor(mode), QList<SearchTarget>({{QHostAddress("127.0.0.3"), 9}}));
    }
    {
        // Set but naming nothing usable: no probe at all, never the defaults.
        TargetsVariable targets("");
        EXPECT_TRUE(SearchTargetsFor(kSearchSnmp).isEmpty());
        EXPECT_TRUE(SearchTargetsFor(kSearchDnsSd).isEmpty());
    }
}

TEST(NetSearch, FindsRespondersOnBothProbeKinds) {
    UdpResponder first("127.0.0.2", 0, [](const QByteArray& probe) {
        // Noise first, then the real answer twice: listed once.
        QList<QByteArray> replies{QByteArray("garbage"), QByteArray(kMaxSearchDatagramBytes + 10, '\x30')};
        replies += PrinterAnswer(probe, 0x7F000009);
        replies += PrinterAnswer(probe, 0x7F000009);
        return replies;
    });
    ASSERT_TRUE(first.IsBound());
    const quint16 port = first.Port();
    UdpResponder second("127.0.0.3", port, [](const QByteArray& probe) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return PrinterAnswer(probe, 0);
    });
    UdpResponder stale("127.0.0.4", port, [](const QByteArray&) {
        return QList<QByteArray>{SnmpReply(1, "answer to somebody else")};
    });
    ASSERT_TRUE(second.IsBound() && stale.IsBound());
    const QByteArray targets =
        QStringLiteral("127.0.0.2:%1,127.0.0.3:%1,127.0.0.4:%1,127.0.0.5:%1").arg(port).toLatin1();
    TargetsVariable variable(targets);

    const QList<SearchTarget> list = SearchTargetsFor(kSearchSnmp);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(FindNetworkPrinters(kSearchSnmp, list, 500),
              QList<FoundPrinter>({{"127.0.0.2", "QL label printer"}, {"127.0.0.3", "QL label printer"}}));
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_LT(clock.elapsed(), 1500);
    // DNS-SD names the printer's own address when the answer carries one, and its instance name.
    EXPECT_EQ(FindNetworkPrinters(kSearchDnsSd, list, 500),
              QList<FoundPrinter>({{"127.0.0.9", "QL"}, {"127.0.0.3", "QL"}}));
    // The probe, then the two follow-up questions of the SNMP search; the DNS-SD query.
    EXPECT_EQ(first.Probes(), 4);
    EXPECT_EQ(stale.Probes(), 2);

    // Through the connection, with the "@" list and its bounds.
    auto port7 = MakeNetBackend();
    char buffer[kListBufferSize];
    EXPECT_EQ(port7->SearchNet(buffer, kSearchSnmp), 2);
    EXPECT_STREQ(buffer, "127.0.0.2@127.0.0.3@");
    char small[16];
    EXPECT_EQ(port7->SearchNet(small, kSearchDnsSd, sizeof small), 1);
    EXPECT_STREQ(small, "127.0.0.9@");
    EXPECT_EQ(port7->SearchNet(buffer, 4), -1);
}

TEST(NetSearch, OnlyAgentsThatArePrintersAreListed) {
    // A plain host; a printer whose device table lists it after other devices; a printer with
    // only the Printer MIB; a printer with only its device table; an agent that answers the
    // probe and then falls silent; a description that tries to start new lines.
    sim::Mib late = HostMib();
    late.insert(kHrDeviceType + snmp::Oid{262146}, snmp::ObjectId(kHrDevicePrinter));
    late[kSysDescrOid] = snmp::OctetString("Print server\r\nfake=1\x1b[2J");
    sim::Mib printerMibOnly = HostMib();
    for (auto it = printerMibOnly.begin(); it != printerMibOnly.end();)
        it = snmp::StartsWith(it.key(), kHrDeviceType) ? printerMibOnly.erase(it) : std::next(it);
    printerMibOnly.insert({1, 3, 6, 1, 2, 1, 43, 5, 1, 1, 1, 1}, snmp::Integer(0));
    printerMibOnly[kSysDescrOid] = snmp::OctetString("MIB printer");
    sim::Mib devicesOnly = LabelPrinterMib();
    for (auto it = devicesOnly.begin(); it != devicesOnly.end();)
        it = snmp::StartsWith(it.key(), kPrinterMib) ? devicesOnly.erase(it) : std::next(it);

    std::atomic<bool> answered{false}; // outlives the responders that use it
    std::vector<std::unique_ptr<UdpResponder>> agents;
    quint16 port = 0;
    const auto add = [&](const char* address, UdpResponder::Answer answer) {
        agents.push_back(std::make_unique<UdpResponder>(address, port, std::move(answer)));
        port = agents.back()->Port();
        return agents.back()->IsBound();
    };
    ASSERT_TRUE(add("127.0.0.2", [](const QByteArray& p) { return PrinterAnswer(p, 0, HostMib()); }));
    ASSERT_TRUE(add("127.0.0.3", [late](const QByteArray& p) { return PrinterAnswer(p, 0, late); }));
    ASSERT_TRUE(add("127.0.0.4",
                    [printerMibOnly](const QByteArray& p) { return PrinterAnswer(p, 0, printerMibOnly); }));
    ASSERT_TRUE(
        add("127.0.0.5", [devicesOnly](const QByteArray& p) { return PrinterAnswer(p, 0, devicesOnly); }));
    ASSERT_TRUE(add("127.0.0.6", [&answered](const QByteArray& p) {
        return answered.exchange(true) ? QList<QByteArray>() : PrinterAnswer(p, 0);
    }));
    QStringList targets;
    for (int host = 2; host <= 6; ++host)
        targets << QStringLiteral("127.0.0.%1:%2").arg(host).arg(port);

    QElapsedTimer clock;
    clock.start();
    QList<FoundPrinter> found = FindNetworkPrinters(kSearchSnmp, *ParseSearchTargets(targets.join(',')), 300);
    const qint64 elapsed = clock.elapsed();
    // Listed in the order of their answers, which the responders' threads do not fix.
    std::sort(found.begin(), found.end(),
              [](const FoundPrinter& a, const FoundPrinter& b) { return a.address < b.address; });
    EXPECT_EQ(found, QList<FoundPrinter>({{"127.0.0.3", "Print server fake=1 [2J"},
                                          {"127.0.0.4", "MIB printer"},
                                          {"127.0.0.5", "QL label printer"}}));
    // The silent agent is waited for once past the window, not for ever.
    EXPECT_GE(elapsed, kSnmpFollowUpMs - 50);
    EXPECT_LT(elapsed, 300 + kSnmpFollowUpMs + 500);
    // The host's whole device table (five devices) was asked about, one device at a time.
    EXPECT_EQ(agents[0]->Probes(), 1 + 1 + 6);
}

TEST(NetSearch, NothingAnsweringGivesAnEmptyList) {
    TargetsVariable variable("127.0.0.1:1");
    char buffer[kListBufferSize];
    EXPECT_EQ(MakeNetBackend()->SearchNet(buffer, kSearchDnsSd), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(SearchNetworkPrinters(kSearchSnmp, {}, 5000).isEmpty()); // no target: no wait either
}
