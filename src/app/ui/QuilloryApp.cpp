#include "app/ui/QuilloryApp.h"

#include "app/AppSettings.h"
#include "app/QuitOnSignal.h"
#include "app/SingleInstance.h"
#include "app/ui/DemoMode.h"
#include "app/ui/Messages.h"
#include "app/ui/QuilloryDlg.h"
#include "app/ui/SkinFiles.h"
#include "port/backends/NetworkSearch.h"
#include "tools/imaging/LogoImport.h"
#include "tools/imaging/PictureDecode.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QRegularExpression>
#include <QStyleFactory>

#include <cstdio>

namespace quillory {
namespace {

// Exit status for a command line that cannot be understood.
constexpr int kUsageError = 64;

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

CQuilloryApp::Options CQuilloryApp::ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configuration and service tool for thermal label printers"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Run on a built-in virtual printer with private settings."));
    parser.addOption(demo);
    Options options;
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
    } else if (!parser.positionalArguments().isEmpty()) {
        options.error = QStringLiteral("Unexpected argument: ") + parser.positionalArguments().constFirst();
    }
    options.showHelp = parser.isSet(help);
    options.showVersion = parser.isSet(version);
    options.demo = parser.isSet(demo);
    // The parser names the program after the application object, which does not exist yet
    // when the command line is read; the usage line takes the name it was started by.
    const QString name =
        arguments.isEmpty() ? QStringLiteral("quillory") : QFileInfo(arguments.constFirst()).fileName();
    options.helpText = parser.helpText();
    options.helpText.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                             QStringLiteral("Usage: ") + name);
    return options;
}

int CQuilloryApp::Run(int argc, char** argv) {
    const Options options = ParseCommandLine(Arguments(argc, argv));
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "quillory: %s\n", qPrintable(options.error));
        return kUsageError;
    }
    if (options.showHelp) {
        std::fputs(qPrintable(options.helpText), stdout);
        return 0;
    }
    if (options.showVersion) {
        std::printf("quillory %s\n", QUILLORY_VERSION);
        return 0;
    }

    // The lock comes first: a second copy must not even open a display connection.
    CSingleInstanceLock instance;
    if (!instance.TryLock())
        return 0;

    QApplication app(argc, argv);
    // The program links Qt's image and network libraries anyway: its pictures and its network
    // search need no module.
    SetPictureDecoder(&quillory_picture_to_logo_bits);
    SetNetworkSearch(&quillory_find_network_printers);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLORY_VERSION));
    // Ties the windows to the installed desktop entry (Wayland application id, task bar icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quillory.Quillory"));
    // Stopped by the session or a service manager, the program still closes its window, stops
    // the demo printer and removes the demo's private folder.
    const CQuitOnSignal quitOnSignal;
    // One look everywhere, whatever the desktop's own theme, so the dialogs match the skins.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(style);

    CDemoMode demo;
    if (options.demo) {
        QString error;
        if (!demo.Start(&error)) {
            std::fprintf(stderr, "quillory: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("Demo printer (VKLZ) on 127.0.0.1:%u\n", unsigned(demo.PrinterPort()));
        std::fflush(stdout);
    }

    InitUserSettings();
    // Every exchange takes the waiting rules of the saved port afresh, so a change applies at once.
    SetPortTimingSource([] { return ReadPortTiming(); });
    QApplication::setWindowIcon(QIcon(SkinFile(QStringLiteral("Quillory.png"))));
    // A settings file that cannot be used is left alone; the operator learns why nothing is kept.
    if (const QString warning = UserSettingsFileWarning(ReadLanguage()); !warning.isEmpty())
        ShowMessage(warning, MessageIcon::Warning, nullptr);

    // The main window posts the wizard itself when the settings ask for it; closing the window
    // ends the program.
    CQuilloryDlg window;
    window.show();
    return QApplication::exec();
}

} // namespace quillory
