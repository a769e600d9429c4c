#include "port/backends/Backends.h"
#include "port/backends/FdPort.h"

#include "BackendTestSupport.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <thread>

using namespace quillory;
using namespace quillory::test;

namespace {

tagPORTINFO ParallelInfo(const QString& name) {
    tagPORTINFO info = MakePortInfo(PORT_LPT);
    SetPortText(info.lptName, name);
    return info;
}

// A FIFO in a private folder with a reading end held by the test. The port name field holds 19
// characters, so test nodes live in short folders.
class Fifo {
public:
    Fifo() {
        m_path = m_dir.filePath("p");
        ::mkfifo(QFile::encodeName(m_path).constData(), 0600);
    }
    ~Fifo() { CloseReader(); }
    [[nodiscard]] QString Path() const { return m_path; }
    void OpenReader() { m_reader = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK); }
    void CloseReader() {
        if (m_reader >= 0)
            ::close(m_reader);
        m_reader = -1;
    }
    // Everything until every writer closed, waiting at most timeoutMs.
    QByteArray Drain(int timeoutMs) {
        QByteArray bytes;
        QElapsedTimer clock;
        clock.start();
        char chunk[65536];
        while (clock.elapsed() < timeoutMs) {
            pollfd entry{m_reader, POLLIN, 0};
            ::poll(&entry, 1, 50);
            const ssize_t n = ::read(m_reader, chunk, sizeof chunk);
            if (n > 0)
                bytes.append(chunk, n);
            else if (n == 0 && (entry.revents & POLLHUP))
                break;
        }
        return bytes;
    }

private:
    QTemporaryDir m_dir{"/tmp/qlXXXXXX"};
    QString m_path;
    int m_reader = -1;
};

} // namespace

TEST(ParallelNames, PortNamesMapToDeviceNodes) {
    EXPECT_EQ(ParallelDevicePath("LPT1"), "/dev/lp0");
    EXPECT_EQ(ParallelDevicePath("lpt6"), "/dev/lp5");
    EXPECT_EQ(ParallelDevicePath("usb/lp0"), "/dev/usb/lp0");
    EXPECT_EQ(ParallelDevicePath("/tmp/printer.fifo"), "/tmp/printer.fifo");
    EXPECT_TRUE(ParallelDevicePath("").isEmpty());
    EXPECT_TRUE(ParallelDevicePath("LPT0").isEmpty());
    EXPECT_TRUE(ParallelDevicePath("../root/x").isEmpty());

    auto port = MakeParallelBackend();
    EXPECT_EQ(CodeOf([&] { port->Open(ParallelInfo("")); }), COMM_BAD_PARAMETER);
}

TEST(ParallelBackend, EveryByteReachesTheReaderAndReadsGiveNothing) {
    Fifo fifo;
    fifo.OpenReader();
    auto port = MakeParallelBackend();
    port->Open(ParallelInfo(fifo.Path()));
    port->SetTimeouts(30, 2000);

    // Larger than the pipe, so the write has to wait for the reader more than once.
    QByteArray job = AllByteValues();
    for (int i = 0; i < 4096; ++i)
        job += AllByteValues();
    QByteArray received;
    std::thread reader([&] { received = fifo.Drain(10000); });
    WriteAll(*port, job);
    EXPECT_EQ(ReadOnce(*port), QByteArray());
    port->Close();
    reader.join();
    EXPECT_EQ(received.size(), job.size());
    EXPECT_TRUE(received == job);
}

TEST(ParallelBackend, PlainFileCollectsSuccessiveExchanges) {
    QTemporaryDir dir("/tmp/qlXXXXXX");
    const QString path = dir.filePath("j");
    WriteFileBytes(path, {});
    for (const QByteArray& part : {QByteArray("first\x00", 6), QByteArray("second")}) {
        auto port = MakeParallelBackend();
        port->Open(ParallelInfo(path));
        WriteAll(*port, part);
        port->Close();
        port->Close(); // harmless twice
    }
    EXPECT_EQ(ReadFileBytes(path), QByteArray("first\x00second", 12));
}

TEST(ParallelBackend, FailuresCarryTheirCodes) {
    QTemporaryDir dir("/tmp/qlXXXXXX");
    auto port = MakeParallelBackend();
    QString detail;
    EXPECT_EQ(CodeOf([&] { port->Open(ParallelInfo(dir.filePath("m"))); }, &detail), COMM_OPEN_FAILED);
    EXPECT_TRUE(detail.contains(dir.filePath("m"))) << detail.toStdString();
    EXPECT_EQ(CodeOf([&] { port->Open(ParallelInfo(dir.path())); }), COMM_BAD_PARAMETER); // a folder

    // A FIFO nobody reads is a printer that is not there.
    Fifo fifo;
    EXPECT_EQ(CodeOf([&] { port->Open(ParallelInfo(fifo.Path())); }), COMM_OPEN_FAILED);

    EXPECT_EQ(CodeOf([&] { WriteAll(*port, "x"); }), COMM_FAILED); // not open
}

TEST(ParallelBackend, StalledAndVanishedReadersAreCommunicationFailures) {
    Fifo fifo;
    fifo.OpenReader();
    auto port = MakeParallelBackend();
    port->Open(ParallelInfo(fifo.Path()));
    port->SetTimeouts(30, 200);
    port->SetTiming({.replyTimeoutMs = 2000, .replyGapMs = 5, .stallLimitMs = 300});

    QString detail;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(CodeOf([&] { WriteAll(*port, QByteArray(1 << 20, 'x')); }, &detail), COMM_FAILED);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(detail.contains("took no data for 300 ms")) << detail.toStdString();

    // The reader goes away: the write fails with code 3 and the process lives on.
    fifo.CloseReader();
    EXPECT_EQ(CodeOf([&] { WriteAll(*port, "more"); }, &detail), COMM_FAILED);
    sigset_t pending;
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, SIGPIPE));
}

TEST(ParallelBackend, NodeWithoutPermissionIsAccessDenied) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir("/tmp/qlXXXXXX");
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString path = dir.filePath("lp0");
    WriteFileBytes(path, {});
    ::chmod(QFile::encodeName(path).constData(), 0600);
    EXPECT_EXIT(ExitWithCodeAsNobody([&] { MakeParallelBackend()->Open(ParallelInfo(path)); }),
                ::testing::ExitedWithCode(COMM_ACCESS_DENIED), "");
}

// The group that would grant access is named, so the operator knows what to do; a node no group
// may use gets the plain reason only.
TEST(ParallelBackend, DeniedNodeNamesTheGroupThatGrantsAccess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const group* lp = ::getgrnam("lp");
    if (!lp || ::geteuid() != 0)
        GTEST_SKIP() << "needs root and the group lp";
    QTemporaryDir dir("/tmp/qlXXXXXX");
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString shared = dir.filePath("lp0");
    const QString privateNode = dir.filePath("lp1");
    WriteFileBytes(shared, {});
    WriteFileBytes(privateNode, {});
    ASSERT_EQ(::chown(QFile::encodeName(shared).constData(), 0, lp->gr_gid), 0);
    ::chmod(QFile::encodeName(shared).constData(), 0660);
    ::chmod(QFile::encodeName(privateNode).constData(), 0600);
    const auto openAndSay = [](const QString& path) {
        QString detail;
        const int code = CodeOf([&] { MakeParallelBackend()->Open(ParallelInfo(path)); }, &detail);
        std::fprintf(stderr, "%s\n", qPrintable(detail));
        if (code != 0)
            throw CommunicationException(tagCOMMUNICATIONEXCEPTION(code), detail);
    };
    EXPECT_EXIT(ExitWithCodeAsNobody([&] { openAndSay(shared); }),
                ::testing::ExitedWithCode(COMM_ACCESS_DENIED),
                "lp0: Permission denied, add yourself to the group lp and log in again");
    EXPECT_EXIT(ExitWithCodeAsNobody([&] { openAndSay(privateNode); }),
                ::testing::ExitedWithCode(COMM_ACCESS_DENIED), "lp1: Permission denied\n");
    EXPECT_EQ(AccessHintForGroup(QStringLiteral("dialout")),
              QStringLiteral("add yourself to the group dialout and log in again"));
}
