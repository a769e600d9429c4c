// Start of the desktop program to its first shown window, and its memory, against a bare Qt
// window of the same size started the same way (the floor every Qt program pays).
//   quillory-bench-gui [repetitions]
#include "app/AppSettings.h"
#include "app/ui/QuilloryDlg.h"

#include "ProcessMemory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace quillory;

namespace {

// The child: show the window, wait until it is exposed, report the peak memory, leave.
int ShowOnce(bool quillory, int argc, char** argv) {
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (quillory) {
        InitUserSettings();
        WriteWizard(0); // the first-run wizard would be a modal dialog waiting for a person
        window = std::make_unique<CQuilloryDlg>();
    } else {
        window = std::make_unique<QWidget>();
        window->resize(800, 600);
    }
    window->show();
    while (!window->windowHandle() || !window->windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    QApplication::processEvents();
    std::printf("shown %ld\n", PeakResidentKiB());
    std::fflush(stdout);
    return 0;
}

struct Run {
    double ms;
    long kib;
};

Run StartOnce(const QString& program, const char* mode, const QProcessEnvironment& environment) {
    QProcess child;
    child.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    child.start(program, {QString::fromLatin1(mode)});
    QByteArray out;
    while (!out.contains('\n') && child.waitForReadyRead(30000))
        out += child.readAllStandardOutput();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    child.waitForFinished(30000);
    return {ms, out.trimmed().split(' ').value(1).toLong()};
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (qstrcmp(argv[1], "child-quillory") == 0 || qstrcmp(argv[1], "child-baseline") == 0))
        return ShowOnce(qstrcmp(argv[1], "child-quillory") == 0, argc, argv);

    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 9;
    QTemporaryDir folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path());

    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> quilloryMs, baselineMs;
    long quilloryKiB = 0, baselineKiB = 0;
    for (int i = 0; i < repetitions; ++i) {
        const Run q = StartOnce(self, "child-quillory", environment);
        const Run b = StartOnce(self, "child-baseline", environment);
        quilloryMs.push_back(q.ms);
        baselineMs.push_back(b.ms);
        quilloryKiB = std::max(quilloryKiB, q.kib);
        baselineKiB = std::max(baselineKiB, b.kib);
    }
    std::sort(quilloryMs.begin(), quilloryMs.end());
    std::sort(baselineMs.begin(), baselineMs.end());
    const double q = quilloryMs[quilloryMs.size() / 2];
    const double b = baselineMs[baselineMs.size() / 2];
    std::printf("start to first shown window (%s platform), median of %d:\n",
                qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"))), repetitions);
    std::printf("  main window with its seven pages  %7.1f ms  peak %6ld KiB\n", q, quilloryKiB);
    std::printf("  bare 800x600 Qt window            %7.1f ms  peak %6ld KiB\n", b, baselineKiB);
    std::printf("  ratio                             %7.2fx       %6.2fx\n", q / b,
                double(quilloryKiB) / double(baselineKiB));
    return 0;
}
