#include "sim/VirtualPrinter.h"
#include "sim/PrinterModel.h"
#include "sim/SearchReply.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace quillory::sim;

namespace {

// A client connection to the printer, driven with blocking calls from the test thread.
class Client {
public:
    explicit Client(std::uint16_t port) {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        m_connected = m_socket.waitForConnected(3000);
    }
    [[nodiscard]] bool Connected() const { return m_connected; }
    void Send(const QByteArray& bytes) {
        m_socket.write(bytes);
        m_socket.waitForBytesWritten(3000);
    }
    // Collects replies until count bytes came or waitMs passed.
    QByteArray Receive(qsizetype count, int waitMs = 3000) {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        while (got.size() < count && timer.elapsed() < waitMs) {
            if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(int(waitMs - timer.elapsed())))
                break;
            got += m_socket.readAll();
        }
        return got;
    }
    // True once the printer has closed the connection.
    bool ClosedByPeer(int waitMs = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (m_socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < waitMs) {
            m_socket.waitForReadyRead(50);
            m_socket.readAll();
        }
        return m_socket.state() != QAbstractSocket::ConnectedState;
    }

private:
    QTcpSocket m_socket;
    bool m_connected = false;
};

QByteArray AskVersion(std::uint16_t port, qsizetype expected, int waitMs = 3000) {
    Client client(port);
    client.Send("~WN01@version~\r\n");
    return client.Receive(expected, waitMs);
}

} // namespace

TEST(VirtualPrinterTcp, SequentialConnectionsShareOneLogAndOneEeprom) {
    VirtualPrinter printer(SIM_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    const std::uint16_t port = printer.TcpPort();
    ASSERT_NE(port, 0);
    QByteArray sent;
    std::chrono::steady_clock::time_point lastSend;
    for (int round = 0; round < 3; ++round) {
        Client client(port);
        ASSERT_TRUE(client.Connected());
        const QByteArray write = "~WN00@eep,w,12," + QByteArray::number(round + 3, 16) + ",0,7\r,\n";
        lastSend = std::chrono::steady_clock::now();
        client.Send(write + "~WN00@eep,r,12,0,7~\r\n");
        sent += write + "~WN00@eep,r,12,0,7~\r\n";
        EXPECT_EQ(client.Receive(6), "000" + QByteArray::number(round + 3, 16) + "\r\n");
    }
    ASSERT_TRUE(printer.WaitForBytes(sent.size(), 3000));
    EXPECT_EQ(printer.ReceivedBytes(), sent);
    EXPECT_EQ(printer.ConnectionCount(), 3);
    EXPECT_EQ(printer.EepromWord(0x12), 5);
    // The arrival of the last byte times a sender's delivery (the send benchmark).
    EXPECT_GE(printer.LastReceivedAt(), lastSend);
    EXPECT_LE(printer.LastReceivedAt(), std::chrono::steady_clock::now());
    printer.ClearLog();
    EXPECT_TRUE(printer.ReceivedBytes().isEmpty());
    EXPECT_EQ(printer.LastReceivedAt(), std::chrono::steady_clock::time_point{});
    EXPECT_FALSE(printer.WaitForBytes(1, 50));
}

TEST(VirtualPrinterFaults, DelaySilenceAndGarbage) {
    VirtualPrinter printer(SIM_VKLE);
    ASSERT_TRUE(printer.StartTcp(0));
    const std::uint16_t port = printer.TcpPort();

    Faults faults;
    faults.replyDelayMs = 200;
    printer.SetFaults(faults);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(AskVersion(port, printer.VersionText().size()), printer.VersionText());
    EXPECT_GE(timer.elapsed(), 190);

    faults = {};
    faults.silent = true;
    printer.SetFaults(faults);
    EXPECT_TRUE(AskVersion(port, printer.VersionText().size(), 300).isEmpty());
    EXPECT_TRUE(printer.ReceivedBytes().endsWith("~WN01@version~\r\n"));

    faults = {};
    faults.garbage = true;
    printer.SetFaults(faults);
    const QByteArray garbage = AskVersion(port, printer.VersionText().size(), 300);
    EXPECT_EQ(garbage.size(), printer.VersionText().size());
    EXPECT_FALSE(garbage.contains("FV"));
    Client client(port);
    client.Send("~WN00@eep,r,18,0,7~\r\n");
    const QByteArray word = client.Receive(6);
    ASSERT_EQ(word.size(), 6);
    EXPECT_FALSE(std::isxdigit(static_cast<unsigned char>(word[0])));

    printer.SetFaults({});
    EXPECT_EQ(AskVersion(port, printer.VersionText().size()), printer.VersionText());
}

TEST(VirtualPrinterFaults, CloseAfterBytesAndRefusedConnections) {
    VirtualPrinter printer(SIM_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    const std::uint16_t port = printer.TcpPort();
    Faults faults;
    faults.closeAfterBytes = 10;
    printer.SetFaults(faults);
    {
        Client client(port);
        client.Send(QByteArray(100, 'x'));
        EXPECT_TRUE(client.ClosedByPeer());
    }
    EXPECT_EQ(printer.ReceivedBytes(), QByteArray(10, 'x'));

    faults = {};
    faults.refuseConnections = true;
    printer.SetFaults(faults);
    const int accepted = printer.ConnectionCount();
    {
        Client client(port);
        client.Send("~WN01@version~\r\n");
        EXPECT_TRUE(client.ClosedByPeer());
    }
    EXPECT_EQ(printer.ConnectionCount(), accepted);
    EXPECT_EQ(printer.ReceivedBytes(), QByteArray(10, 'x'));
    printer.SetFaults({});
    EXPECT_EQ(AskVersion(port, printer.VersionText().size()), printer.VersionText());
}

namespace {

// The slave side as a plain serial client sees it.
class PtyClient {
public:
    explicit PtyClient(const QString& path) {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (m_fd >= 0) {
            termios settings{};
            tcgetattr(m_fd, &settings);
            cfmakeraw(&settings);
            tcsetattr(m_fd, TCSANOW, &settings);
        }
    }
    ~PtyClient() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    [[nodiscard]] bool IsOpen() const { return m_fd >= 0; }
    void Send(const QByteArray& bytes) {
        ASSERT_EQ(::write(m_fd, bytes.constData(), bytes.size()), bytes.size());
    }
    QByteArray Receive(qsizetype count, int waitMs = 2000) {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        while (got.size() < count && timer.elapsed() < waitMs) {
            pollfd fd{m_fd, POLLIN, 0};
            if (::poll(&fd, 1, int(waitMs - timer.elapsed())) <= 0)
                break;
            char buffer[4096];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, n);
        }
        return got;
    }

private:
    int m_fd = -1;
};

} // namespace

TEST(VirtualPrinterPty, SurvivesClientsOpeningAndClosingTheSlave) {
    VirtualPrinter printer(SIM_VKLT);
    const QString path = printer.StartPty();
    ASSERT_FALSE(path.isEmpty());
    for (int round = 0; round < 5; ++round) {
        PtyClient client(path);
        ASSERT_TRUE(client.IsOpen());
        client.Send("~WN00@eep,r,18,0,7~\r\n");
        EXPECT_EQ(client.Receive(6), "0008\r\n") << "round " << round;
    }
    // A client that leaves without reading its reply must not leave it for the next one.
    {
        const qsizetype logged = printer.ReceivedBytes().size();
        PtyClient client(path);
        client.Send("~WN01@version~\r\n");
        ASSERT_TRUE(printer.WaitForBytes(logged + 16, 1000));
        QThread::msleep(50);
    }
    QThread::msleep(50);
    {
        PtyClient client(path);
        client.Send("~WN00@eep,r,18,0,7~\r\n");
        EXPECT_EQ(client.Receive(100, 300), "0008\r\n");
    }
    // A client that writes and closes at once is still heard.
    {
        PtyClient client(path);
        client.Send("SET REPRINT ON\r\n");
    }
    QElapsedTimer timer;
    timer.start();
    while (printer.EepromWord(0x1D) == 0 && timer.elapsed() < 2000)
        QThread::msleep(5);
    EXPECT_EQ(printer.EepromWord(0x1D), 0x1000);

    Faults faults;
    faults.garbage = true;
    printer.SetFaults(faults);
    PtyClient client(path);
    client.Send("~WN00@eep,r,18,0,7~\r\n");
    EXPECT_NE(client.Receive(6), "0008\r\n");
}

TEST(VirtualPrinterPty, ServesTheSamePrinterAsTcp) {
    VirtualPrinter printer(SIM_VKLC);
    ASSERT_TRUE(printer.StartTcp(0));
    const QString path = printer.StartPty();
    ASSERT_FALSE(path.isEmpty());
    PtyClient serial(path);
    serial.Send("! U1 SPEED 5\r\n");
    serial.Send("~WN00@eep,r,0f,0,15~\r\n");
    EXPECT_EQ(serial.Receive(6), "0098\r\n");
    Client network(printer.TcpPort());
    network.Send("~WN00@eep,r,0F,0,15~\r\n");
    EXPECT_EQ(network.Receive(6), "0098\r\n");
}

TEST(VirtualPrinterFiles, EepromImagePersistsAndLogFileGetsEveryByte) {
    QTemporaryDir dir;
    const QString image = dir.filePath("printer.eep");
    const QString log = dir.filePath("received.bin");
    {
        VirtualPrinter printer(SIM_VKLE);
        ASSERT_TRUE(printer.AttachEepromFile(image));
        printer.SetLogFile(log);
        ASSERT_TRUE(printer.StartTcp(0));
        Client client(printer.TcpPort());
        client.Send("q777\r\n~WN00@ini,w,PrinterName,Counter 2~WN00@eep,r,5a,0,15~\r\n");
        EXPECT_EQ(client.Receive(6), "0309\r\n");
    }
    EXPECT_TRUE(quillory::test::ReadFileBytes(image).startsWith("~WN00@eep,w,00,"));
    EXPECT_EQ(quillory::test::ReadFileBytes(log),
              "q777\r\n~WN00@ini,w,PrinterName,Counter 2~WN00@eep,r,5a,0,15~\r\n");

    VirtualPrinter again(SIM_VKLE);
    ASSERT_TRUE(again.AttachEepromFile(image));
    EXPECT_EQ(again.EepromWord(0x5A), 777);
    EXPECT_EQ(again.IniText("PrinterName"), "Counter 2");
    again.SetEepromWord(0x5A, 1);
    VirtualPrinter third(SIM_VKLE);
    ASSERT_TRUE(third.AttachEepromFile(image));
    EXPECT_EQ(third.EepromWord(0x5A), 1);

    EXPECT_FALSE(third.AttachEepromFile(dir.filePath("missing-folder/x.eep")));
}

namespace {

const QByteArray kSnmpProbe =
    QByteArray::fromHex("302702010004067075626c6963a01a02021234020100020100300e300c06082b060102010101000500");
const QByteArray kDnsProbe = QByteArray::fromHex(
    "beef000000010000000000000f5f70646c2d6461746173747265616d045f746370056c6f63616c00000c8001");

QByteArray Probe(std::uint16_t port, const QByteArray& datagram, int waitMs = 1000) {
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    socket.writeDatagram(datagram, QHostAddress::LocalHost, port);
    if (!socket.waitForReadyRead(waitMs))
        return {};
    QByteArray reply(int(socket.pendingDatagramSize()), '\0');
    socket.readDatagram(reply.data(), reply.size());
    return reply;
}

} // namespace

TEST(SearchResponder, AnswersBothProbesOnLoopback) {
    VirtualPrinter printer(SIM_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    const std::uint16_t port = printer.StartSearchResponder(0);
    ASSERT_NE(port, 0);

    const QByteArray snmp = Probe(port, kSnmpProbe);
    // GetResponse of the same version, community and request id, with sysDescr as an octet string.
    ASSERT_GE(snmp.size(), 2);
    EXPECT_EQ(std::uint8_t(snmp[0]), 0x30);
    EXPECT_EQ(std::uint8_t(snmp[1]), snmp.size() - 2);
    EXPECT_TRUE(snmp.contains(QByteArray::fromHex("020100") + QByteArray::fromHex("04067075626c6963a2")));
    EXPECT_TRUE(snmp.contains(QByteArray::fromHex("0202123402010002010030")));
    const QByteArray description = printer.VersionText();
    EXPECT_TRUE(snmp.endsWith(QByteArray::fromHex("06082b06010201010100") + char(0x04) +
                              char(description.size()) + description));

    const QByteArray dns = Probe(port, kDnsProbe);
    ASSERT_GE(dns.size(), 12);
    EXPECT_EQ(dns.left(4), QByteArray::fromHex("beef8400"));
    EXPECT_EQ(dns.mid(4, 8), QByteArray::fromHex("000100010000"
                                                 "0003"));
    // SRV: priority 0, weight 0, the printer's TCP port; A: 127.0.0.1.
    const QByteArray srvPort =
        QByteArray::fromHex("00000000") + char(printer.TcpPort() >> 8) + char(printer.TcpPort() & 0xFF);
    EXPECT_TRUE(dns.contains(srvPort));
    EXPECT_TRUE(dns.endsWith(QByteArray::fromHex("00010001") + QByteArray::fromHex("0000000a00047f000001")));

    EXPECT_TRUE(Probe(port, "hello", 200).isEmpty());
}

TEST(SearchResponder, MalformedProbesGetNoAnswer) {
    SearchIdentity identity;
    identity.description = "d";
    identity.instanceName = "i";
    identity.hostName = "h.local";
    ASSERT_FALSE(AnswerSearchProbe(kSnmpProbe, identity).isEmpty());
    ASSERT_FALSE(AnswerSearchProbe(kDnsProbe, identity).isEmpty());
    for (const QByteArray& probe : {kSnmpProbe, kDnsProbe}) {
        for (qsizetype cut = 0; cut < probe.size(); ++cut)
            EXPECT_TRUE(AnswerSearchProbe(probe.left(cut), identity).isEmpty()) << cut;
    }
    // A response is no probe; a name that points at itself ends the walk.
    QByteArray response = kDnsProbe;
    response[2] = char(0x84);
    EXPECT_TRUE(AnswerSearchProbe(response, identity).isEmpty());
    QByteArray loop = kDnsProbe.left(12) + QByteArray::fromHex("c00c000c0001");
    EXPECT_TRUE(AnswerSearchProbe(loop, identity).isEmpty());
    // Another service, or an object the agent does not have.
    QByteArray otherService = kDnsProbe;
    otherService.replace("_pdl-datastream", "_ipp-datastream");
    EXPECT_TRUE(AnswerSearchProbe(otherService, identity).isEmpty());
    QByteArray otherObject = kSnmpProbe;
    otherObject[otherObject.size() - 3] = 9; // 1.3.6.1.2.1.1.9.0, which the agent does not have
    const QByteArray error = AnswerSearchProbe(otherObject, identity);
    EXPECT_TRUE(error.contains(QByteArray::fromHex("020102020101")))
        << error.toHex().constData(); // noSuchName, index 1
}
