// The files the desktop and the system read: the menu entry, the software-centre description
// and the manual pages, checked with the tools that read them.
#include "InstalledTree.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace quillory::test;

namespace {

QString SourceFile(const QString& relative) {
    return QStringLiteral(QUILLORY_TEST_SOURCE_DIR "/") + relative;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The subcommands a CLI11 help text lists under "Subcommands:".
QStringList Subcommands(const QByteArray& help) {
    QStringList names;
    bool inList = false;
    for (const QByteArray& line : help.split('\n')) {
        if (line.startsWith("Subcommands:")) {
            inList = true;
            continue;
        }
        if (inList) {
            const QString text = QString::fromUtf8(line);
            const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("^  (\\S+)")).match(text);
            if (!match.hasMatch())
                break;
            names << match.captured(1);
        }
    }
    return names;
}

} // namespace

TEST(DesktopFiles, TheMenuEntryValidatesAndStartsTheInstalledProgram) {
    const QString validator = FindTool(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed (package desktop-file-utils)";
    const QString entry = SourceFile(QStringLiteral("resources/example.quillory.Quillory.desktop"));
    const ProcessResult result = RunProgram(validator, {entry});
    EXPECT_TRUE(result.Succeeded()) << result.Describe();
    // Hints are advice; warnings and errors are faults.
    EXPECT_FALSE(result.out.contains("error:") || result.out.contains("warning:"))
        << result.out.toStdString();

    const QByteArray text = ReadAll(entry);
    EXPECT_TRUE(text.contains("\nExec=quillory\n"));
    EXPECT_TRUE(text.contains("\nExec=quillory --demo\n"));
    EXPECT_TRUE(text.contains("\nIcon=quillory\n"));
}

TEST(DesktopFiles, TheMetainfoValidatesAndNamesTheMenuEntry) {
    const QString validator = FindTool(QStringLiteral("appstreamcli"));
    if (validator.isEmpty())
        GTEST_SKIP() << "appstreamcli is not installed (package appstream)";
    const QString metainfo = SourceFile(QStringLiteral("resources/example.quillory.Quillory.metainfo.xml"));
    const ProcessResult result = RunProgram(validator, {"validate", "--no-net", metainfo});
    EXPECT_TRUE(result.Succeeded()) << result.Describe();
    // Infos and pedantic notes are advice; warnings and errors are faults.
    EXPECT_FALSE(QString::fromUtf8(result.out)
                     .contains(QRegularExpression("^[WE]:", QRegularExpression::MultilineOption)))
        << result.out.toStdString();

    const QByteArray text = ReadAll(metainfo);
    // The component id is the desktop file's name, as software centres match them.
    const QRegularExpressionMatch id =
        QRegularExpression(QStringLiteral("<id>([^<]+)</id>")).match(QString::fromUtf8(text));
    ASSERT_TRUE(id.hasMatch());
    EXPECT_TRUE(QFile::exists(SourceFile(QStringLiteral("resources/%1.desktop").arg(id.captured(1)))))
        << id.captured(1).toStdString();
    EXPECT_TRUE(metainfo.endsWith(QStringLiteral("/%1.metainfo.xml").arg(id.captured(1))));
    EXPECT_TRUE(text.contains("<launchable type=\"desktop-id\">" + id.captured(1).toUtf8() +
                              ".desktop</launchable>"));

    // The screenshots are the guide's pictures, as the homepage serves them, with their sizes.
    const QRegularExpression image(QStringLiteral("<image type=\"source\" width=\"(\\d+)\" height=\"(\\d+)\">"
                                                  "https://quillory.example/([^<]+)</image>"));
    int shots = 0;
    for (auto it = image.globalMatch(QString::fromUtf8(text)); it.hasNext(); ++shots) {
        const QRegularExpressionMatch match = it.next();
        const QImage picture(SourceFile(QStringLiteral("resources/") + match.captured(3)));
        ASSERT_FALSE(picture.isNull()) << match.captured(3).toStdString() << " is no guide picture";
        EXPECT_TRUE(match.captured(3).startsWith(QStringLiteral("Guide/images/")));
        EXPECT_EQ(picture.size(), QSize(match.captured(1).toInt(), match.captured(2).toInt()))
            << match.captured(3).toStdString();
    }
    EXPECT_GE(shots, 3);
    EXPECT_EQ(text.count("<screenshot type=\"default\">"), 1);
    for (const char* binary : {"quillory", "quillory-cli", "quillory-printer-sim"})
        EXPECT_TRUE(text.contains(QByteArray("<binary>") + binary + "</binary>")) << binary;
}

TEST(DesktopFiles, ManualPagesFormatWithoutWarnings) {
    const QString groff = FindTool(QStringLiteral("groff"));
    if (groff.isEmpty())
        GTEST_SKIP() << "groff is not installed";
    for (const char* page : {"quillory", "quillory-cli", "quillory-printer-sim"}) {
        const QString source = SourceFile(QStringLiteral("resources/man/%1.1").arg(QLatin1String(page)));
        const ProcessResult result = RunProgram(groff, {"-t", "-man", "-Tutf8", "-ww", "-z", source});
        EXPECT_TRUE(result.Succeeded()) << page << result.Describe();
        EXPECT_TRUE(result.err.isEmpty()) << page << ": " << result.err.toStdString();
    }
}

// A command added to the command line without a word in its manual page is a command nobody
// finds.
TEST(DesktopFiles, TheManualPageOfTheCommandLineCoversEveryCommand) {
    const QString cli = QStringLiteral(QUILLORY_BUILD_DIR "/bin/quillory-cli");
    const ProcessResult top = RunProgram(cli, {"--help"});
    ASSERT_TRUE(top.Succeeded()) << top.Describe();
    const QStringList groups = Subcommands(top.out);
    ASSERT_GE(groups.size(), 8) << top.out.toStdString();

    const QString manual =
        QString::fromUtf8(ReadAll(SourceFile(QStringLiteral("resources/man/quillory-cli.1"))))
            .remove(QStringLiteral("\\f"))
            .remove(QStringLiteral("\\"));
    QStringList missing;
    for (const QString& group : groups) {
        const ProcessResult help = RunProgram(cli, {group, "--help"});
        ASSERT_TRUE(help.Succeeded()) << help.Describe();
        const QStringList commands = Subcommands(help.out);
        if (commands.isEmpty() && !manual.contains(QRegularExpression("\\b" + group + "\\b")))
            missing << group;
        for (const QString& command : commands) {
            // "settings read" as a heading, or the operation in the list of its group.
            if (!manual.contains(group + " " + command) &&
                !manual.contains(
                    QRegularExpression("^\\.BR? " + QRegularExpression::escape(command) + "( [,.])?$",
                                       QRegularExpression::MultilineOption)))
                missing << group + " " + command;
        }
    }
    EXPECT_EQ(missing, QStringList{});

    // The options of the network settings, the longest list, each by name.
    const ProcessResult network = RunProgram(cli, {"network", "apply", "--help"});
    ASSERT_TRUE(network.Succeeded());
    QSet<QString> options;
    for (const QRegularExpressionMatch& match :
         QRegularExpression("(--[a-z-]+)").globalMatch(QString::fromUtf8(network.out)))
        options.insert(match.captured(1));
    options.remove("--help");
    for (const QString& option : options)
        EXPECT_TRUE(manual.contains(option)) << option.toStdString();
}
