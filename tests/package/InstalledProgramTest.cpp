// The program as a user gets it: the build installed into a scratch root, started from there
// with nothing pointing back into the build tree.
#include "InstalledTree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quillory::test;

namespace {

// The TCP port of a line like "tcp 127.0.0.1:PORT" or "Demo printer (VKLZ) on 127.0.0.1:PORT".
QString LoopbackPort(const QString& line) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("127\\.0\\.0\\.1:(\\d+)$")).match(line);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool IsExecutable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && (info.permissions() & QFile::ExeOther) && (info.permissions() & QFile::ExeOwner);
}

QStringList FilesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

class InstalledProgram : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tree.Error().isEmpty()) << tree.Error().toStdString(); }
    InstalledTree tree;
};

} // namespace

TEST_F(InstalledProgram, LaysOutBinariesResourcesAndDesktopFilesUnderThePrefix) {
    for (const char* program : {"quillory", "quillory-cli", "quillory-printer-sim"})
        EXPECT_TRUE(IsExecutable(tree.Program(QString::fromLatin1(program)))) << program;
    // Nothing but the programs goes into bin: a resource folder there would make the installed
    // program look portable and write its backups into a system folder.
    EXPECT_EQ(FilesBelow(tree.Prefix() + "/bin"),
              QStringList({"quillory", "quillory-cli", "quillory-printer-sim"}));

    for (const char* file :
         {"quillory/Language/English.xml", "quillory/Language/SimpleChinese.xml",
          "quillory/Language/TraditionalChinese.xml", "quillory/Language/Setting.ini",
          "quillory/skin/background.png", "quillory/skin/Quillory.png", "quillory/Guide/Guide_EN.html",
          "quillory/Guide/Guide_CN.html", "quillory/Driver/KMT-Quillory.ppd",
          "applications/example.quillory.Quillory.desktop", "metainfo/example.quillory.Quillory.metainfo.xml",
          "man/man1/quillory.1.gz", "man/man1/quillory-cli.1.gz", "man/man1/quillory-printer-sim.1.gz",
          "bash-completion/completions/quillory-cli"})
        EXPECT_TRUE(QFileInfo(tree.Share(QString::fromLatin1(file))).isFile()) << file;
    EXPECT_FALSE(FilesBelow(tree.Share("quillory/Sample")).isEmpty());
    EXPECT_FALSE(FilesBelow(tree.Share("quillory/Guide/images")).isEmpty());
    // The driver scripts are started directly by the program.
    EXPECT_TRUE(IsExecutable(tree.Share("quillory/Driver/Setup")));
    EXPECT_TRUE(IsExecutable(tree.Share("quillory/Driver/Uninstall")));
    EXPECT_TRUE(QFileInfo(tree.Prefix() + "/lib/udev/rules.d/60-quillory.rules").isFile());

    // Every icon size of the theme holds a picture of exactly that size.
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString icon = tree.Share(QStringLiteral("icons/hicolor/%1x%1/apps/quillory.png").arg(size));
        QImageReader reader(icon);
        EXPECT_EQ(reader.size(), QSize(size, size)) << icon.toStdString();
    }
}

TEST_F(InstalledProgram, BinariesCarryNoPathIntoTheBuildTree) {
    // Stripped as in the package; a build path left in them (say a resource folder) would work
    // on the build machine only.
    const QList<QByteArray> buildPaths = {QByteArrayLiteral(QUILLORY_BUILD_DIR "/bin"),
                                          QByteArrayLiteral(QUILLORY_TEST_SOURCE_DIR "/resources")};
    for (const char* program : {"quillory", "quillory-cli", "quillory-printer-sim"}) {
        QFile file(tree.Program(QString::fromLatin1(program)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        for (const QByteArray& path : buildPaths) {
            const QString text = QString::fromUtf8(path);
            const QByteArray wide(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
            EXPECT_FALSE(bytes.contains(path)) << program << " holds " << path.toStdString();
            EXPECT_FALSE(bytes.contains(wide)) << program << " holds " << path.toStdString() << " (UTF-16)";
        }
    }
}

TEST_F(InstalledProgram, CommandLineTalksToTheInstalledVirtualPrinter) {
    BackgroundProgram printer(tree.Program("quillory-printer-sim"), {"--lang", "VKLZ", "--port", "0"},
                              tree.UserEnvironment(), tree.Root());
    const QString line = printer.FirstLine();
    const QString port = LoopbackPort(line);
    ASSERT_FALSE(port.isEmpty()) << line.toStdString() << printer.StandardError().toStdString();
    const QStringList target = {"--port", "net:127.0.0.1:" + port, "--lang", "VKLZ"};

    const ProcessResult read = tree.Run("quillory-cli", target + QStringList{"settings", "read", "--json"});
    ASSERT_TRUE(read.Succeeded()) << read.Describe();
    const QJsonObject record = QJsonDocument::fromJson(read.out).object();
    EXPECT_EQ(record.value("DPI").toInt(), 203) << read.out.toStdString();
    EXPECT_TRUE(record.value("FirmwareVersion").toString().contains("VKLZ")) << read.out.toStdString();

    // An installed program keeps its automatic EEPROM backup in the user's data folder.
    const QString saved = tree.Root() + "/printer.eep";
    const ProcessResult backup = tree.Run("quillory-cli", target + QStringList{"eeprom", "backup", saved});
    ASSERT_TRUE(backup.Succeeded()) << backup.Describe();
    EXPECT_TRUE(QFileInfo(saved).size() > 0);
    const QString automatic = tree.Home(".local/share/Quillory/EEPbak/VKLZ.eep");
    EXPECT_EQ(QFile(automatic).size(), QFile(saved).size()) << automatic.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tree.Prefix() + "/bin/EEPbak"));
    EXPECT_FALSE(QFileInfo::exists(tree.Share("quillory/EEPbak")));

    // Pictures are read by the module installed in the program's library folder.
    QImage picture(128, 32, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QString png = tree.Root() + "/white.png";
    ASSERT_TRUE(picture.save(png));
    const ProcessResult convert =
        tree.Run("quillory-cli", {"logo", "convert", png, tree.Root() + "/white.logo"});
    EXPECT_TRUE(convert.Succeeded()) << convert.Describe();
    EXPECT_EQ(QFileInfo(tree.Root() + "/white.logo").size(), 535);
    // So is the network search (its probes go to 127.0.0.1:1, where nothing answers).
    const ProcessResult search = tree.Run("quillory-cli", {"search", "--json"});
    EXPECT_TRUE(search.Succeeded()) << search.Describe();
    EXPECT_EQ(search.out.trimmed(), "[]") << search.out.toStdString();

    EXPECT_TRUE(printer.Terminate());
    EXPECT_EQ(printer.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(printer.Process().exitCode(), 0);
}

TEST_F(InstalledProgram, DemoComesUpOnItsPrinterAndStopsCleanlyOnSigterm) {
    BackgroundProgram demo(tree.Program("quillory"), {"--demo"}, tree.UserEnvironment(), tree.Root());
    const QString line = demo.FirstLine(30000);
    ASSERT_TRUE(line.startsWith("Demo printer (VKLZ) on 127.0.0.1:"))
        << line.toStdString() << demo.StandardError().toStdString();
    const QString port = LoopbackPort(line);
    ASSERT_FALSE(port.isEmpty());

    // The window came up with its resources: the demo printer answers and nothing complained.
    const ProcessResult read =
        tree.Run("quillory-cli", {"--port", "net:127.0.0.1:" + port, "--lang", "VKLZ", "settings", "read"});
    EXPECT_TRUE(read.Succeeded()) << read.Describe();
    EXPECT_TRUE(read.out.contains("FirmwareVersion=")) << read.out.toStdString();
    EXPECT_EQ(demo.Process().state(), QProcess::Running);
    // The demo's settings live in its private folder, not in the user's. They were made from the
    // shipped Language/Setting.ini under the prefix: without it the program would take the
    // driver mode and keep its settings in Quillory/Driver.
    EXPECT_FALSE(QFileInfo::exists(tree.Home(".config/Quillory")));
    const QStringList demoFiles = FilesBelow(tree.Root() + "/tmp");
    const QStringList settings =
        demoFiles.filter(QRegularExpression("/config/Quillory/[^/]+/Setting\\.ini$"));
    ASSERT_EQ(settings.size(), 1) << demoFiles.join(' ').toStdString();
    EXPECT_TRUE(settings.constFirst().endsWith("/Quillory/Port/Setting.ini"))
        << settings.constFirst().toStdString();
    QFile settingsFile(tree.Root() + "/tmp/" + settings.constFirst());
    ASSERT_TRUE(settingsFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settingsFile.readAll().contains("CommMode=0"));

    ASSERT_TRUE(demo.Terminate());
    EXPECT_EQ(demo.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(demo.Process().exitCode(), 0);
    // Stopping unwound the program: the demo printer's private folder is gone.
    EXPECT_EQ(FilesBelow(tree.Root() + "/tmp"), QStringList{});
    const QByteArray errors = demo.StandardError();
    EXPECT_FALSE(errors.contains("Cannot") || errors.contains("cannot")) << errors.toStdString();
}
