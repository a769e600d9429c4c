#include "port/backends/Backends.h"
#include "port/backends/UsbDeviceSource.h"

#include "BackendTestSupport.h"

#include <QList>

#include <libusb.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// What the fake devices did and will do; shared by the source and the handles it opens.
struct FakeUsbWorld {
    int initError = LIBUSB_SUCCESS;
    int openError = LIBUSB_SUCCESS;
    int claimError = LIBUSB_SUCCESS;
    bool kernelDriverBound = true;
    QList<UsbPrinterInterface> printers;
    QStringList calls;
    QByteArray written;
    // Each write transfer moves at most this much and then reports writeError (if set).
    int writeChunk = 1 << 30;
    int writeError = LIBUSB_SUCCESS;
    QList<QByteArray> replies; // one per IN transfer; an empty queue times out
};

class FakeHandle final : public IUsbDeviceHandle {
public:
    explicit FakeHandle(FakeUsbWorld& world) : m_world(world) {}
    ~FakeHandle() override { m_world.calls << "close"; }
    int KernelDriverActive(int) override { return m_world.kernelDriverBound ? 1 : 0; }
    int DetachKernelDriver(int i) override { return Log("detach", i); }
    int AttachKernelDriver(int i) override { return Log("attach", i); }
    int ClaimInterface(int i) override {
        Log("claim", i);
        return m_world.claimError;
    }
    int SetAltSetting(int i, int alt) override { return Log(QStringLiteral("alt%1").arg(alt), i); }
    int ReleaseInterface(int i) override { return Log("release", i); }
    int BulkTransfer(std::uint8_t endpoint, std::uint8_t* data, int length, int* transferred,
                     unsigned timeout) override {
        m_world.calls << QStringLiteral("bulk %1 %2ms").arg(endpoint, 2, 16, QLatin1Char('0')).arg(timeout);
        if (endpoint & LIBUSB_ENDPOINT_IN) {
            if (m_world.replies.isEmpty()) {
                *transferred = 0;
                return LIBUSB_ERROR_TIMEOUT;
            }
            const QByteArray reply = m_world.replies.takeFirst();
            *transferred = int(qMin<qsizetype>(length, reply.size()));
            std::memcpy(data, reply.constData(), std::size_t(*transferred));
            return reply.size() > length ? LIBUSB_ERROR_OVERFLOW : LIBUSB_SUCCESS;
        }
        *transferred = qMin(length, m_world.writeChunk);
        m_world.written.append(reinterpret_cast<const char*>(data), *transferred);
        if (*transferred < length && m_world.writeError == LIBUSB_SUCCESS)
            return LIBUSB_ERROR_TIMEOUT;
        return m_world.writeError;
    }

private:
    int Log(const QString& what, int interfaceNumber) {
        m_world.calls << QStringLiteral("%1 %2").arg(what).arg(interfaceNumber);
        return LIBUSB_SUCCESS;
    }
    FakeUsbWorld& m_world;
};

class FakeSource final : public IUsbDeviceSource {
public:
    explicit FakeSource(FakeUsbWorld& world) : m_world(world) {}
    int Init() override { return m_world.initError; }
    int ListPrinters(QList<UsbPrinterInterface>* printers) override {
        *printers = m_world.printers;
        return LIBUSB_SUCCESS;
    }
    int Open(int index, std::unique_ptr<IUsbDeviceHandle>* handle) override {
        m_world.calls << QStringLiteral("open %1").arg(index);
        if (m_world.openError != LIBUSB_SUCCESS)
            return m_world.openError;
        *handle = std::make_unique<FakeHandle>(m_world);
        return LIBUSB_SUCCESS;
    }

private:
    FakeUsbWorld& m_world;
};

UsbPrinterInterface Printer(int interfaceNumber, std::uint8_t out, std::uint8_t in, int alt = 0) {
    UsbPrinterInterface printer;
    printer.interfaceNumber = interfaceNumber;
    printer.altSetting = alt;
    printer.outEndpoint = out;
    printer.inEndpoint = in;
    printer.description = QStringLiteral("fake printer %1").arg(interfaceNumber);
    return printer;
}

tagPORTINFO UsbApiInfo(int id) {
    tagPORTINFO info = MakePortInfo(PORT_USBAPI);
    info.usbApiId = id;
    return info;
}

class UsbApi : public ::testing::Test {
protected:
    UsbApi() {
        world.printers = {Printer(0, 0x01, 0x81), Printer(2, 0x03, 0x00, 1)};
        port = MakeUsbApiBackend(std::make_shared<FakeSource>(world));
    }
    FakeUsbWorld world;
    std::unique_ptr<CCommunicationProtocol> port;
};

} // namespace

TEST_F(UsbApi, CountsPrinterInterfaces) {
    FakeSource source(world);
    EXPECT_EQ(CountUsbApiPrinters(source), 2);
    world.printers.clear();
    EXPECT_EQ(CountUsbApiPrinters(source), 0);
    world.initError = LIBUSB_ERROR_OTHER;
    EXPECT_EQ(CodeOf([&] { (void)CountUsbApiPrinters(source); }), COMM_UNAVAILABLE);
}

TEST_F(UsbApi, BorrowsTheInterfaceFromTheKernelDriverAndGivesItBack) {
    port->Open(UsbApiInfo(1));
    port->Close();
    port->Close(); // harmless twice
    EXPECT_EQ(world.calls,
              QStringList({"open 1", "detach 2", "claim 2", "alt1 2", "release 2", "attach 2", "close"}));

    world.calls.clear();
    world.kernelDriverBound = false;
    port->Open(UsbApiInfo(0));
    port->Close();
    EXPECT_EQ(world.calls, QStringList({"open 0", "claim 0", "release 0", "close"}));
}

TEST_F(UsbApi, WritesEveryByteAndReadsWhatFollowsClosely) {
    port->Open(UsbApiInfo(0));
    port->SetTimeouts(30, 400);
    // Larger than one transfer; each short transfer that moved something counts as progress.
    QByteArray job;
    for (int i = 0; i < 600; ++i)
        job += AllByteValues();
    world.writeChunk = 50000;
    WriteAll(*port, job);
    EXPECT_TRUE(world.written == job);
    // Writes wait in short slices, so that progress and a stall are both noticed.
    EXPECT_TRUE(world.calls.contains("bulk 01 100ms"));

    world.replies = {"V1.", "02\r\n"};
    EXPECT_EQ(ReadOnce(*port), QByteArray("V1.02\r\n"));
    EXPECT_TRUE(world.calls.contains("bulk 81 30ms"));
    EXPECT_TRUE(world.calls.contains(QStringLiteral("bulk 81 %1ms").arg(PortTiming{}.replyGapMs)));
    EXPECT_EQ(ReadOnce(*port), QByteArray()); // silence: count 0

    world.replies = {"zzzz", "yy"};
    EXPECT_EQ(ReadOnce(*port, 4), QByteArray("zzzz")) << "capacity bounds the read";
    EXPECT_EQ(ReadOnce(*port, 4), QByteArray("yy"));
}

TEST_F(UsbApi, UnidirectionalPrinterNeverAnswers) {
    port->Open(UsbApiInfo(1));
    world.replies = {"ignored"};
    EXPECT_EQ(ReadOnce(*port), QByteArray());
}

TEST_F(UsbApi, TransferFailuresAreCommunicationFailures) {
    port->Open(UsbApiInfo(0));
    port->SetTimeouts(30, 100);
    port->SetTiming({.replyTimeoutMs = 2000, .replyGapMs = 5, .stallLimitMs = 300});
    world.writeChunk = 0; // nothing moves within the stall limit
    QString detail;
    EXPECT_EQ(CodeOf([&] { WriteAll(*port, "data"); }, &detail), COMM_FAILED);
    EXPECT_TRUE(detail.contains("took no data for 300 ms")) << detail.toStdString();

    world.writeChunk = 2;
    world.writeError = LIBUSB_ERROR_NO_DEVICE; // unplugged mid-write
    EXPECT_EQ(CodeOf([&] { WriteAll(*port, "data"); }), COMM_FAILED);

    world.replies = {QByteArray(2000, 'x')};
    EXPECT_EQ(CodeOf([&] { ReadOnce(*port, 1024); }), COMM_FAILED); // overflow
}

TEST_F(UsbApi, OpenFailuresCarryTheirCodes) {
    EXPECT_EQ(CodeOf([&] { port->Open(UsbApiInfo(-1)); }), COMM_BAD_PARAMETER);
    EXPECT_EQ(CodeOf([&] { port->Open(UsbApiInfo(2)); }), COMM_OPEN_FAILED); // only two printers

    world.openError = LIBUSB_ERROR_ACCESS;
    EXPECT_EQ(CodeOf([&] { port->Open(UsbApiInfo(0)); }), COMM_ACCESS_DENIED);
    world.openError = LIBUSB_ERROR_NO_DEVICE;
    EXPECT_EQ(CodeOf([&] { port->Open(UsbApiInfo(0)); }), COMM_OPEN_FAILED);
    world.openError = LIBUSB_SUCCESS;

    // Another program holds the interface: the kernel driver gets its interface back.
    world.calls.clear();
    world.claimError = LIBUSB_ERROR_BUSY;
    EXPECT_EQ(CodeOf([&] { port->Open(UsbApiInfo(0)); }), COMM_OPEN_FAILED);
    EXPECT_EQ(world.calls, QStringList({"open 0", "detach 0", "claim 0", "attach 0", "close"}));
    EXPECT_EQ(CodeOf([&] { WriteAll(*port, "x"); }), COMM_FAILED); // not open

    world.initError = LIBUSB_ERROR_OTHER;
    EXPECT_EQ(CodeOf([&] { port->Open(UsbApiInfo(0)); }), COMM_UNAVAILABLE);
}

TEST(UsbApiLibrary, RealSourceListsWithoutFailing) {
    // Whatever the machine has, counting through libusb either works or says the library is unusable.
    const int code = CodeOf([] { EXPECT_GE(CountUsbApiPrinters(), 0); });
    EXPECT_TRUE(code == 0 || code == COMM_UNAVAILABLE) << code;
}
