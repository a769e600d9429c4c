// The search against a real SNMP agent (net-snmp's snmpd) on loopback: a host is no printer, and
// the same agent made to report a printer device is one.
#include "port/backends/NetSearch.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>

#include <gtest/gtest.h>

using namespace quillory;

namespace {

// A UDP port on 127.0.0.1 that nobody uses right now.
quint16 FreeUdpPort() {
    QUdpSocket socket;
    return socket.bind(QHostAddress::LocalHost, 0) ? socket.localPort() : 0;
}

// snmpd in the foreground with a private configuration on 127.0.0.1:port, stopped at the end.
class Snmpd {
public:
    Snmpd(const QString& program, const QByteArray& extraConfig) : m_port(FreeUdpPort()) {
        // The agent rewrites a "snmpd.conf" of its own in its state folder: keep the two apart.
        const QString state = m_dir.filePath("state");
        const QString config = m_dir.filePath("config/snmpd.conf");
        QDir().mkpath(state);
        QDir().mkpath(m_dir.filePath("config"));
        QFile file(config);
        if (!m_dir.isValid() || m_port == 0 || !file.open(QIODevice::WriteOnly))
            return;
        file.write("agentaddress udp:127.0.0.1:" + QByteArray::number(m_port) +
                   "\n"
                   "rocommunity public 127.0.0.1\n"
                   "sysDescr Linux test-host 6.1.0 x86_64\n" +
                   extraConfig);
        file.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // The host resources printer table would list the machine's print queues; there are none here.
        environment.insert("CUPS_SERVER", "127.0.0.1:1");
        environment.insert("SNMPCONFPATH", m_dir.filePath("config"));
        environment.insert("SNMP_PERSISTENT_DIR", state);
        environment.insert("MIBS", "");
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        // -f foreground, -C no other configuration, -Lo log to standard output, -I- no print
        // queue table, state kept in our own folder.
        m_process.start(program, {"-f", "-C", "-c", config, "-Lo", "-I", "-hr_print", "-p",
                                  m_dir.filePath("snmpd.pid"), "-A", "-M", "/nonexistent",
                                  "--persistentDir=" + state});
    }
    ~Snmpd() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }

    // Waits until the agent answers our probe.
    bool WaitUntilAnswering() {
        if (!m_process.waitForStarted(5000))
            return false;
        QUdpSocket socket;
        socket.bind(QHostAddress::LocalHost, 0);
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
            socket.writeDatagram(BuildSnmpSysDescrRequest(77), QHostAddress::LocalHost, m_port);
            if (socket.waitForReadyRead(200)) {
                QByteArray reply(int(socket.pendingDatagramSize()), '\0');
                socket.readDatagram(reply.data(), reply.size());
                const std::optional<SnmpResponse> parsed = ParseSnmpResponse(reply);
                if (parsed && parsed->requestId == 77)
                    return true;
            }
        }
        return false;
    }

    [[nodiscard]] quint16 Port() const { return m_port; }
    QString Log() {
        m_process.waitForReadyRead(10);
        return QString::fromUtf8(m_process.readAll());
    }

private:
    QTemporaryDir m_dir;
    quint16 m_port = 0;
    QProcess m_process;
};

QString FindSnmpd() {
    return QStandardPaths::findExecutable(QStringLiteral("snmpd"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
}

} // namespace

TEST(SnmpdSearch, AHostAgentIsNoPrinterUntilItReportsAPrinterDevice) {
    const QString program = FindSnmpd();
    if (program.isEmpty())
        GTEST_SKIP() << "snmpd is not installed (Debian package snmpd)";

    {
        Snmpd host(program, {});
        ASSERT_TRUE(host.WaitUntilAnswering()) << host.Log().toStdString();
        const QList<SearchTarget> targets{{QHostAddress::LocalHost, host.Port()}};
        EXPECT_TRUE(FindNetworkPrinters(kSearchSnmp, targets, 500).isEmpty()) << host.Log().toStdString();
    }
    {
        // The same agent with a printer in its device table (the first device, as on a printer).
        Snmpd printer(program, "override .1.3.6.1.2.1.25.3.2.1.2.1 object_id .1.3.6.1.2.1.25.3.1.5\n");
        ASSERT_TRUE(printer.WaitUntilAnswering()) << printer.Log().toStdString();
        const QList<SearchTarget> targets{{QHostAddress::LocalHost, printer.Port()}};
        EXPECT_EQ(FindNetworkPrinters(kSearchSnmp, targets, 500),
                  QList<FoundPrinter>({{"127.0.0.1", "Linux test-host 6.1.0 x86_64"}}))
            << printer.Log().toStdString();
    }
    {
        // Or with an object of the Printer MIB.
        Snmpd printer(program, "override .1.3.6.1.2.1.43.5.1.1.16.1 octet_str \"Label printer\"\n");
        ASSERT_TRUE(printer.WaitUntilAnswering()) << printer.Log().toStdString();
        const QList<SearchTarget> targets{{QHostAddress::LocalHost, printer.Port()}};
        EXPECT_EQ(FindNetworkPrinters(kSearchSnmp, targets, 500).size(), 1) << printer.Log().toStdString();
    }
}
