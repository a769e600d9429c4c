// Throughput of the file-send core against a plain shell redirect to the same virtual printer,
// and the round trip of one version query. Everything stays on 127.0.0.1.
//   quillory-bench [MiB] [repetitions] [queries]
#include "DiscardSink.h"
#include "port/Communication.h"
#include "sim/VirtualPrinter.h"
#include "tools/FileSend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

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
    std::printf("version query round trip:\n");
    std::printf("  on an open socket (%d queries):          median %7.1f us  p95 %7.1f us\n", queries,
                Median(rawUs), Percentile(rawUs, 0.95));
    std::printf("  open + query + read + close (%d times): median %7.1f us  p95 %7.1f us\n",
                int(operationUs.size()), Median(operationUs), Percentile(operationUs, 0.95));
    return 0;
}
