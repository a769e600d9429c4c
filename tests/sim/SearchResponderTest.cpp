// The virtual printer's SNMP agent: answers like a real one, to our search and to net-snmp's tools.
#include "port/net/Snmp.h"
#include "sim/PrinterModel.h"
#include "sim/SearchReply.h"
#include "sim/VirtualPrinter.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::sim;
using snmp::Oid;

namespace {

const Oid kSysDescr{1, 3, 6, 1, 2, 1, 1, 1, 0};
const Oid kSysName{1, 3, 6, 1, 2, 1, 1, 5, 0};
const Oid kHrDeviceType1{1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 2, 1};
const Oid kSerialNumber{1, 3, 6, 1, 2, 1, 43, 5, 1, 1, 17, 1};
const Oid kMissing{1, 3, 6, 1, 2, 1, 1, 9, 9, 0};

SearchIdentity Identity() {
    SearchIdentity identity;
    identity.description = "QL-200 label printer";
    identity.instanceName = "Quillory virtual VKLZ";
    identity.hostName = "quillory-sim.local";
    return identity;
}

snmp::Message Request(int version, snmp::PduType type, QList<Oid> oids,
                      const QByteArray& community = "public") {
    snmp::Message request;
    request.version = version;
    request.community = community;
    request.type = type;
    request.requestId = 0x5A5A01;
    for (const Oid& oid : oids)
        request.varBinds.append({oid, snmp::Null()});
    return request;
}

// The agent's answer, decoded; a failure when there is none.
snmp::Message Ask(const snmp::Message& request, const Mib& mib = PrinterMib(Identity())) {
    const QByteArray reply = AnswerSnmpRequest(snmp::EncodeMessage(request), "public", mib);
    const std::optional<snmp::Message> decoded = snmp::DecodeMessage(reply);
    EXPECT_TRUE(decoded) << "no answer";
    return decoded.value_or(snmp::Message());
}

QString FindSnmpTool(const char* name) {
    return QStandardPaths::findExecutable(QLatin1String(name),
                                          {QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin")});
}

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

// A net-snmp tool against the agent on 127.0.0.1:port: numeric names, no MIB files, one try.
ToolRun RunSnmpTool(const QString& tool, std::uint16_t port, QStringList arguments) {
    arguments = QStringList{"-On", "-m", "", "-r", "0", "-t", "2"} + arguments;
    arguments.insert(arguments.size() - arguments.filter(QRegularExpression("^\\.?1\\.")).size(),
                     QStringLiteral("127.0.0.1:%1").arg(port));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("MIBS", "");
    environment.insert("SNMPCONFPATH", "/nonexistent");
    // The tools keep state of their own; not in the machine's /var/lib/snmp.
    static const QTemporaryDir state;
    environment.insert("SNMP_PERSISTENT_DIR", state.path());
    process.setProcessEnvironment(environment);
    process.start(tool, arguments);
    ToolRun run;
    if (!process.waitForFinished(20000))
        return run;
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

TEST(SnmpAgent, GetKeepsTheRequestIdAndEchoesTheVariablesWithTheirValues) {
    const snmp::Message reply =
        Ask(Request(snmp::kVersion1, snmp::PduType::Get, {kSysDescr, kHrDeviceType1}));
    EXPECT_EQ(reply.type, snmp::PduType::Response);
    EXPECT_EQ(reply.version, snmp::kVersion1);
    EXPECT_EQ(reply.community, "public");
    EXPECT_EQ(reply.requestId, 0x5A5A01);
    EXPECT_EQ(reply.errorStatus, 0);
    EXPECT_EQ(reply.errorIndex, 0);
    EXPECT_EQ(reply.varBinds,
              QList<snmp::VarBind>({{kSysDescr, snmp::OctetString("QL-200 label printer")},
                                    {kHrDeviceType1, snmp::ObjectId({1, 3, 6, 1, 2, 1, 25, 3, 1, 5})}}));
    // The bytes of a whole answer, pinned once.
    EXPECT_EQ(AnswerSnmpRequest(QByteArray::fromHex("3026020100040670756"
                                                    "26c6963a019020101020100020100"
                                                    "300e300c06082b060102010105000500"),
                                "public", PrinterMib(Identity())),
              QByteArray::fromHex("3038020100040670756"
                                  "26c6963a22b020101020100020100"
                                  "3020301e06082b060102010105000412") +
                  "quillory-sim.local");
}

TEST(SnmpAgent, MissingObjectsAnswerAsEachVersionDoes) {
    // SNMPv1: noSuchName, the index of the first missing variable, the variables as asked.
    const snmp::Message request =
        Request(snmp::kVersion1, snmp::PduType::Get, {kSysDescr, kMissing, kSysName});
    const snmp::Message v1 = Ask(request);
    EXPECT_EQ(v1.errorStatus, snmp::kNoSuchName);
    EXPECT_EQ(v1.errorIndex, 2);
    EXPECT_EQ(v1.varBinds, request.varBinds);
    EXPECT_EQ(v1.requestId, request.requestId);

    // SNMPv2c: no error; each missing variable carries noSuchObject, or noSuchInstance below an
    // object the agent has.
    const Oid sysDescr5{1, 3, 6, 1, 2, 1, 1, 1, 5};
    const snmp::Message v2 =
        Ask(Request(snmp::kVersion2c, snmp::PduType::Get, {kSysDescr, kMissing, sysDescr5, kSysName}));
    EXPECT_EQ(v2.version, snmp::kVersion2c);
    EXPECT_EQ(v2.errorStatus, 0);
    EXPECT_EQ(v2.errorIndex, 0);
    ASSERT_EQ(v2.varBinds.size(), 4);
    EXPECT_EQ(v2.varBinds[0].value, snmp::OctetString("QL-200 label printer"));
    EXPECT_EQ(v2.varBinds[1], snmp::VarBind({kMissing, snmp::Exception(snmp::kNoSuchObject)}));
    EXPECT_EQ(v2.varBinds[2], snmp::VarBind({sysDescr5, snmp::Exception(snmp::kNoSuchInstance)}));
    EXPECT_EQ(v2.varBinds[3].value, snmp::OctetString("quillory-sim.local"));
}

TEST(SnmpAgent, WalksEndAsEachVersionEnds) {
    // GetNext from the root visits every object in order.
    const Mib mib = PrinterMib(Identity());
    Oid cursor{1, 3};
    QList<Oid> visited;
    for (int step = 0; step < 20; ++step) {
        const snmp::Message reply = Ask(Request(snmp::kVersion2c, snmp::PduType::GetNext, {cursor}));
        ASSERT_EQ(reply.varBinds.size(), 1);
        if (reply.varBinds[0].value.tag == snmp::kEndOfMibView) {
            EXPECT_EQ(reply.varBinds[0].oid, cursor) << "endOfMibView names the variable asked for";
            break;
        }
        cursor = reply.varBinds[0].oid;
        visited.append(cursor);
    }
    EXPECT_EQ(visited, mib.keys());
    const snmp::Message v1 = Ask(Request(snmp::kVersion1, snmp::PduType::GetNext, {kSerialNumber}));
    EXPECT_EQ(v1.errorStatus, snmp::kNoSuchName);
    EXPECT_EQ(v1.errorIndex, 1);

    // GetBulk: one non-repeater, then rounds of the repeater until the MIB ends.
    snmp::Message bulk = Request(snmp::kVersion2c, snmp::PduType::GetBulk, {{1, 3}, kHrDeviceType1});
    bulk.errorStatus = 1; // non-repeaters
    bulk.errorIndex = 10; // max-repetitions
    const snmp::Message bulkReply = Ask(bulk);
    ASSERT_EQ(bulkReply.varBinds.size(), 1 + 6);
    EXPECT_EQ(bulkReply.varBinds[0].oid, kSysDescr);
    EXPECT_EQ(bulkReply.varBinds[1].oid, Oid({1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 3, 1}));
    EXPECT_EQ(bulkReply.varBinds[5].oid, kSerialNumber);
    EXPECT_EQ(bulkReply.varBinds[6].value.tag, snmp::kEndOfMibView);
}

TEST(SnmpAgent, OnlyWellFormedRequestsWithTheCommunityAreAnswered) {
    const Mib mib = PrinterMib(Identity());
    const QByteArray good = snmp::EncodeMessage(Request(snmp::kVersion1, snmp::PduType::Get, {kSysDescr}));
    ASSERT_FALSE(AnswerSnmpRequest(good, "public", mib).isEmpty());
    EXPECT_TRUE(AnswerSnmpRequest(good, "private", mib).isEmpty());
    EXPECT_TRUE(AnswerSnmpRequest(
                    snmp::EncodeMessage(Request(snmp::kVersion2c, snmp::PduType::Get, {kSysDescr}, "Public")),
                    "public", mib)
                    .isEmpty());
    for (qsizetype cut = 0; cut < good.size(); ++cut)
        EXPECT_TRUE(AnswerSnmpRequest(good.left(cut), "public", mib).isEmpty()) << cut;
    EXPECT_TRUE(AnswerSnmpRequest(good + '\0', "public", mib).isEmpty());
    // SNMPv3 (version 3), a response, and GetBulk in SNMPv1 are no requests to answer.
    QByteArray v3 = good;
    v3[4] = 3;
    EXPECT_TRUE(AnswerSnmpRequest(v3, "public", mib).isEmpty());
    EXPECT_TRUE(
        AnswerSnmpRequest(snmp::EncodeMessage(Request(snmp::kVersion1, snmp::PduType::Response, {kSysDescr})),
                          "public", mib)
            .isEmpty());
    EXPECT_TRUE(
        AnswerSnmpRequest(snmp::EncodeMessage(Request(snmp::kVersion1, snmp::PduType::GetBulk, {kSysDescr})),
                          "public", mib)
            .isEmpty());
    // Set is refused: the agent is read-only.
    const snmp::Message v1Set = Ask(Request(snmp::kVersion1, snmp::PduType::Set, {kSysName}));
    EXPECT_EQ(v1Set.errorStatus, snmp::kNoSuchName);
    EXPECT_EQ(v1Set.errorIndex, 1);
    const snmp::Message v2Set = Ask(Request(snmp::kVersion2c, snmp::PduType::Set, {kSysName}));
    EXPECT_EQ(v2Set.errorStatus, snmp::kNoAccess);
}

// net-snmp's own tools take the virtual printer for an agent.
TEST(SnmpAgent, NetSnmpToolsGetValidAnswers) {
    const QString snmpget = FindSnmpTool("snmpget");
    const QString snmpwalk = FindSnmpTool("snmpwalk");
    const QString snmpbulkwalk = FindSnmpTool("snmpbulkwalk");
    if (snmpget.isEmpty() || snmpwalk.isEmpty() || snmpbulkwalk.isEmpty())
        GTEST_SKIP() << "snmpget, snmpwalk and snmpbulkwalk are needed (Debian package snmp)";
    VirtualPrinter printer(SIM_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    const std::uint16_t port = printer.StartSearchResponder(0);
    ASSERT_NE(port, 0);
    const QString description = QString::fromUtf8(printer.VersionText());

    for (const char* version : {"1", "2c"}) {
        const ToolRun get =
            RunSnmpTool(snmpget, port,
                        {"-v", version, "-c", "public", ".1.3.6.1.2.1.1.1.0", ".1.3.6.1.2.1.25.3.2.1.2.1"});
        EXPECT_EQ(get.status, 0) << version << get.err.toStdString();
        EXPECT_TRUE(get.out.contains(".1.3.6.1.2.1.1.1.0 = STRING: ")) << get.out.toStdString();
        EXPECT_TRUE(get.out.contains(description.trimmed())) << get.out.toStdString();
        EXPECT_TRUE(get.out.contains(".1.3.6.1.2.1.25.3.2.1.2.1 = OID: .1.3.6.1.2.1.25.3.1.5"))
            << get.out.toStdString();
    }
    const ToolRun v1Missing = RunSnmpTool(snmpget, port, {"-v", "1", "-c", "public", ".1.3.6.1.2.1.1.9.9.0"});
    EXPECT_TRUE((v1Missing.out + v1Missing.err).contains("noSuchName")) << v1Missing.err.toStdString();
    const ToolRun v2Missing = RunSnmpTool(
        snmpget, port, {"-v", "2c", "-c", "public", ".1.3.6.1.2.1.1.9.9.0", ".1.3.6.1.2.1.1.1.5"});
    EXPECT_TRUE(v2Missing.out.contains(".1.3.6.1.2.1.1.9.9.0 = No Such Object"))
        << v2Missing.out.toStdString();
    EXPECT_TRUE(v2Missing.out.contains(".1.3.6.1.2.1.1.1.5 = No Such Instance"))
        << v2Missing.out.toStdString();

    // Another community gets no answer at all.
    const ToolRun wrong = RunSnmpTool(snmpget, port, {"-v", "2c", "-c", "private", ".1.3.6.1.2.1.1.1.0"});
    EXPECT_NE(wrong.status, 0);
    EXPECT_TRUE((wrong.out + wrong.err).contains("Timeout")) << wrong.err.toStdString();

    // Whole walks, by GetNext in both versions and by GetBulk, end cleanly at the MIB's end.
    for (const QStringList& walk : {QStringList{snmpwalk, "-v", "1"}, QStringList{snmpwalk, "-v", "2c"},
                                    QStringList{snmpbulkwalk, "-v", "2c"}}) {
        const ToolRun run = RunSnmpTool(walk[0], port, walk.mid(1) + QStringList{"-c", "public", ".1.3"});
        EXPECT_EQ(run.status, 0) << walk.join(' ').toStdString() << run.err.toStdString();
        // Every object once, then the end: "End of MIB" for v1's noSuchName, the endOfMibView
        // variable for v2c.
        EXPECT_EQ(run.out.count(QRegularExpression(" = (STRING|OID|INTEGER): ")),
                  PrinterMib(Identity()).size())
            << run.out.toStdString();
        EXPECT_TRUE(run.out.endsWith(QStringLiteral("End of MIB\n")) ||
                    run.out.endsWith(QStringLiteral("(It is past the end of the MIB tree)\n")))
            << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(".1.3.6.1.2.1.43.5.1.1.16.1 = STRING: ")) << run.out.toStdString();
        EXPECT_FALSE(run.err.contains("Error")) << run.err.toStdString();
    }
}
