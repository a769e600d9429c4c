// Throughput of the file-send core against a plain shell redirect to the same virtual printer,
// the command line's send against the redirect to a receiver that only counts (time and peak
// memory of each process), and the round trip of one version query. Everything stays on
// 127.0.0.1.
//   quillory-bench [MiB] [repetitions] [queries] [command-line MiB ...]
#include "DiscardSink.h"
#include "ProcessMemory.h"
#include "port/Communication.h"
#include "sim/VirtualPrinter.h"
#include "tools/FileSend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace quillory;

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

// Milliseconds from the start of send until the printer has every byte.
double TimeDelivery(sim::VirtualPrinter& printer, qsizetype size, const std::function<bool()>& send) {
    printer.ClearLog();
    QElapsedTimer timer;
    timer.start();
    if (!send() || !printer.WaitForBytes(size, 120000)) {
        std::fprintf(stderr, "quillory-bench: a send failed\n");
        std::exit(1);
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

bool PlainSocketWrite(std::uint16_t port, const QByteArray& bytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    for (qsizetype sent = 0; ok && sent < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + sent, std::size_t(bytes.size() - sent));
        ok = n > 0;
        sent += n;
    }
    ::close(fd);
    return ok;
}

bool ShellRedirect(const QString& path, std::uint16_t port) {
    QProcess bash;
    bash.start(QStringLiteral("bash"),
               {QStringLiteral("-c"), QStringLiteral("cat \"$1\" > /dev/tcp/127.0.0.1/%1").arg(port),
                QStringLiteral("bash"), path});
    return bash.waitForFinished(120000) && bash.exitStatus() == QProcess::NormalExit && bash.exitCode() == 0;
}

// A program run to its end: when it ended and the peak resident memory of that process alone.
struct ProcessRun {
    bool ok = false;
    std::chrono::steady_clock::time_point end;
    long peakKiB = 0;
};

ProcessRun RunProcess(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ProcessRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return run;
    // The child's rusage would count this process's memory too (it starts as a copy of it), so
    // its own high-water mark is read while it runs; it only grows. Its end is seen through a
    // process descriptor at once, not at the next look.
    const int pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
    int status = 0;
    for (;;) {
        const long peak = PeakResidentKiB(QString::number(pid));
        run.peakKiB = std::max(run.peakKiB, peak);
        if (pidfd >= 0) {
            pollfd ended{pidfd, POLLIN, 0};
            ::poll(&ended, 1, 2);
        } else {
            usleep(2000);
        }
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0) {
            if (pidfd >= 0)
                ::close(pidfd);
            return run;
        }
    }
    run.end = std::chrono::steady_clock::now();
    if (pidfd >= 0)
        ::close(pidfd);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double MsBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// quillory-cli send against cat, both to the same virtual printer (which keeps no copy of what it
// receives), for files of several sizes.
int CompareCommandLine(const std::vector<int>& sizes, int repetitions, const QTemporaryDir& dir) {
    sim::VirtualPrinter sink(0);
    sink.SetLogInMemory(false);
    if (!sink.StartTcp(0))
        return 1;
    const std::uint16_t port = sink.TcpPort();
    const std::string cli =
        (QCoreApplication::applicationDirPath() + QStringLiteral("/quillory-cli")).toStdString();
    const std::string address = "net:127.0.0.1:" + std::to_string(port);
    std::printf(
        "command line: quillory-cli send against cat FILE > /dev/tcp/... to the same virtual printer,\n"
        "median of %d (peak memory: the largest of each process's own):\n",
        repetitions);
    for (const int mebibytes : sizes) {
        const QString path = dir.filePath(QStringLiteral("send-%1.bin").arg(mebibytes));
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                return 1;
            QByteArray chunk(1 << 20, '\0');
            std::uint32_t state = 88172645u + std::uint32_t(mebibytes);
            for (int block = 0; block < mebibytes; ++block) {
                for (char& c : chunk) {
                    state ^= state << 13;
                    state ^= state >> 17;
                    state ^= state << 5;
                    c = char(state);
                }
                if (file.write(chunk) != chunk.size())
                    return 1;
            }
        }
        const qint64 size = QFileInfo(path).size();
        qint64 delivered = 0;
        // Throughput is timed from the start until the printer holds the last byte. cat ends as
        // soon as the kernel has taken the last bytes, while send ends only once the printer has
        // read them and it has seen that the printer kept them; the end of each program is
        // reported apart.
        struct Times {
            std::vector<double> delivered, ended;
            long peak = 0;
        };
        const auto measure = [&](const std::vector<std::string>& argv, Times& times) {
            const auto start = std::chrono::steady_clock::now();
            const ProcessRun run = RunProcess(argv);
            delivered += size;
            if (!run.ok || !sink.WaitForBytes(delivered, 120000)) {
                std::fprintf(stderr, "quillory-bench: %s failed\n", argv[0].c_str());
                std::exit(1);
            }
            times.delivered.push_back(MsBetween(start, sink.LastReceivedAt()));
            times.ended.push_back(MsBetween(start, std::max(run.end, sink.LastReceivedAt())));
            times.peak = std::max(times.peak, run.peakKiB);
        };
        Times cliTimes, catTimes;
        const std::vector<std::string> send{cli, "--port", address, "send", path.toStdString()};
        const std::vector<std::string> cat{"/bin/bash", "-c",
                                           "cat \"$1\" > /dev/tcp/127.0.0.1/" + std::to_string(port), "bash",
                                           path.toStdString()};
        for (int i = 0; i < repetitions; ++i) {
            measure(send, cliTimes);
            measure(cat, catTimes);
        }
        const double mib = double(size) / (1024.0 * 1024.0);
        const auto line = [&](const char* name, const Times& times) {
            const double ms = Median(times.delivered);
            std::printf("  %4d MiB  %-17s %8.1f ms %7.0f MiB/s peak %6.1f MiB, ended after %6.1f ms\n",
                        mebibytes, name, ms, mib / (ms / 1000.0), double(times.peak) / 1024.0,
                        Median(times.ended));
        };
        line("quillory-cli send", cliTimes);
        line("cat > /dev/tcp", catTimes);
        // Each run of send is compared with the run of cat right after it, so that a machine
        // that slows down for a while weighs on both sides of a ratio alike.
        const auto pairedRatio = [](const std::vector<double>& cliMs, const std::vector<double>& catMs) {
            std::vector<double> ratios;
            for (std::size_t i = 0; i < cliMs.size(); ++i)
                ratios.push_back(catMs[i] / cliMs[i]);
            return Median(ratios);
        };
        std::printf("  %4d MiB  throughput of send / cat: %.2f (to the ends of the programs: %.2f)\n",
                    mebibytes, pairedRatio(cliTimes.delivered, catTimes.delivered),
                    pairedRatio(cliTimes.ended, catTimes.ended));
        QFile::remove(path);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int mebibytes = args.size() > 1 ? args[1].toInt() : 32;
    const int repetitions = args.size() > 2 ? args[2].toInt() : 7;
    const int queries = args.size() > 3 ? args[3].toInt() : 2000;
    if (mebibytes <= 0 || repetitions <= 0 || queries <= 0) {
        std::fprintf(stderr, "usage: quillory-bench [MiB] [repetitions] [queries]\n");
        return 64;
    }

    sim::VirtualPrinter printer(0);
    if (!printer.StartTcp(0)) {
        std::fprintf(stderr, "quillory-bench: the virtual printer cannot listen\n");
        return 1;
    }
    const std::uint16_t port = printer.TcpPort();
    tagPORTINFO info = MakePortInfo(PORT_NET);
    SetPortText(info.netAddress, QStringLiteral("127.0.0.1"));
    info.netPort = port;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("payload.bin"));
    QByteArray payload(qsizetype(mebibytes) * 1024 * 1024, '\0');
    std::uint32_t state = 2463534242u;
    for (char& c : payload) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = char(state);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(payload) != payload.size()) {
        std::fprintf(stderr, "quillory-bench: cannot write %s\n", qPrintable(path));
        return 1;
    }
    file.close();

    const auto core = [&] { return SendFileToPrinter(path, info).Ok(); };
    const auto shell = [&] { return ShellRedirect(path, port); };
    const auto plain = [&] { return PlainSocketWrite(port, payload); };
    std::vector<double> coreMs, shellMs, plainMs;
    TimeDelivery(printer, payload.size(), core); // warm-up
    TimeDelivery(printer, payload.size(), shell);
    for (int i = 0; i < repetitions; ++i) {
        coreMs.push_back(TimeDelivery(printer, payload.size(), core));
        shellMs.push_back(TimeDelivery(printer, payload.size(), shell));
        plainMs.push_back(TimeDelivery(printer, payload.size(), plain));
    }
    const auto report = [&](const char* name, const std::vector<double>& ms) {
        const double median = Median(ms);
        std::printf("  %-34s %9.1f ms  %8.0f MiB/s\n", name, median, mebibytes / (median / 1000.0));
    };
    std::printf("file send of %d MiB to the virtual printer on 127.0.0.1, median of %d:\n", mebibytes,
                repetitions);
    report("file-send core (read file + send)", coreMs);
    report("bash: cat FILE > /dev/tcp/...", shellMs);
    report("plain socket write (in memory)", plainMs);
    std::printf("  ratio core / shell redirect: %.2f\n", Median(coreMs) / Median(shellMs));

    DiscardSink sink;
    if (!sink.Ok())
        return 1;
    tagPORTINFO sinkInfo = info;
    sinkInfo.netPort = sink.Port();
    const auto toSink = [&](const std::function<bool()>& send) {
        sink.Reset();
        QElapsedTimer timer;
        timer.start();
        if (!send() || !sink.WaitFor(payload.size()))
            std::exit(1);
        return double(timer.nsecsElapsed()) / 1e6;
    };
    std::vector<double> coreSinkMs, memorySinkMs, shellSinkMs;
    for (int i = 0; i < repetitions; ++i) {
        coreSinkMs.push_back(toSink([&] { return SendFileToPrinter(path, sinkInfo).Ok(); }));
        memorySinkMs.push_back(toSink([&] { return SendBytesToPrinter(payload, sinkInfo).Ok(); }));
        shellSinkMs.push_back(toSink([&] { return ShellRedirect(path, sink.Port()); }));
    }
    std::printf("the same to a receiver that only counts bytes:\n");
    report("file-send core (read file + send)", coreSinkMs);
    report("file-send core, bytes in memory", memorySinkMs);
    report("bash: cat FILE > /dev/tcp/...", shellSinkMs);
    std::printf("  ratio core / shell redirect: %.2f\n", Median(coreSinkMs) / Median(shellSinkMs));

    // Version query: the printer's own turnaround on one open connection...
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(3000))
        return 1;
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const qsizetype replyBytes = printer.VersionText().size();
    std::vector<double> rawUs;
    for (int i = 0; i < queries; ++i) {
        QElapsedTimer timer;
        timer.start();
        socket.write("~WN01@version~\r\n");
        qsizetype got = 0;
        while (got < replyBytes && socket.waitForReadyRead(3000))
            got += socket.readAll().size();
        rawUs.push_back(double(timer.nsecsElapsed()) / 1e3);
    }
    socket.close();
    // ...and as an operation sees it: connect, query through the port library, close.
    std::vector<double> operationUs;
    for (int i = 0; i < std::min(queries, 200); ++i) {
        QElapsedTimer timer;
        timer.start();
        CConnectionScope connection(info);
        connection->Open(info);
        connection->SetTimeouts(30, 30);
        int count = 0;
        connection->Write(reinterpret_cast<const std::uint8_t*>("~WN01@version~\r\n"), 16, &count);
        std::uint8_t reply[1024] = {};
        connection->Read(reply, sizeof reply, &count);
        connection->Close();
        operationUs.push_back(double(timer.nsecsElapsed()) / 1e3);
    }
    std::vector<int> cliSizes;
    for (int i = 4; i < args.size(); ++i)
        cliSizes.push_back(args[i].toInt());
    if (cliSizes.empty())
        cliSizes = {32, 256};
    if (const int status = CompareCommandLine(cliSizes, std::max(3, repetitions / 2), dir); status != 0)
        return status;

    std::printf("version query round trip:\n");
    std::printf("  on an open socket (%d queries):          median %7.1f us  p95 %7.1f us\n", queries,
                Median(rawUs), Percentile(rawUs, 0.95));
    std::printf("  open + query + read + close (%d times): median %7.1f us  p95 %7.1f us\n",
                int(operationUs.size()), Median(operationUs), Percentile(operationUs, 0.95));
    return 0;
}
