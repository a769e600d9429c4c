// The Debian package made by CPack from this build: what it depends on and what it installs.
#include "InstalledTree.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string_view>

using namespace quillory::test;

namespace {

// The value of a field of dpkg-deb --info output ("Depends", ...).
QString ControlField(const QByteArray& info, const char* field) {
    const QRegularExpression line(QStringLiteral("^ %1: (.*)$").arg(QLatin1String(field)),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(info));
    return match.hasMatch() ? match.captured(1) : QString();
}

// The permissions and path of every line of dpkg-deb --contents output.
QMap<QString, QString> Contents(const QByteArray& listing) {
    QMap<QString, QString> entries;
    for (const QByteArray& raw : listing.split('\n')) {
        const QStringList fields = QString::fromUtf8(raw).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() >= 6)
            entries.insert(fields.last(), fields.first());
    }
    return entries;
}

// The lines of lintian's report that are faults: errors and warnings (infos and notes are advice).
QStringList LintianFaults(const QByteArray& report) {
    QStringList faults;
    for (const QByteArray& line : report.split('\n')) {
        if (line.startsWith("E: ") || line.startsWith("W: "))
            faults << QString::fromUtf8(line);
    }
    return faults;
}

// What readelf says about a binary's hardening: full RELRO with BIND_NOW, stack protector, and
// (where asked) the fortified forms of the string, memory and printf functions. A program with
// no call the compiler could check has no fortified function although it was built with them,
// so that is asked of the programs that print and format, in an optimised build.
void ExpectHardened(const QString& readelf, const QString& binary, bool fortified) {
    const ProcessResult dynamic = RunProgram(readelf, {"--wide", "--dynamic", binary});
    ASSERT_TRUE(dynamic.Succeeded()) << dynamic.Describe();
    EXPECT_TRUE(QString::fromUtf8(dynamic.out).contains(QRegularExpression("\\(FLAGS(_1)?\\).*\\bNOW\\b")))
        << binary.toStdString() << ": no BIND_NOW\n"
        << dynamic.out.toStdString();
    const ProcessResult segments = RunProgram(readelf, {"--wide", "--program-headers", binary});
    ASSERT_TRUE(segments.Succeeded()) << segments.Describe();
    EXPECT_TRUE(segments.out.contains("GNU_RELRO")) << binary.toStdString() << ": no RELRO";
    const ProcessResult symbols = RunProgram(readelf, {"--wide", "--dyn-syms", binary});
    ASSERT_TRUE(symbols.Succeeded()) << symbols.Describe();
    EXPECT_TRUE(symbols.out.contains("__stack_chk_fail")) << binary.toStdString() << ": no stack protector";
    if (fortified && QUILLORY_BUILD_FORTIFIED) {
        EXPECT_TRUE(QString::fromUtf8(symbols.out).contains(QRegularExpression("\\b__\\w+_chk\\b")))
            << binary.toStdString() << ": no fortified functions";
    }
}

} // namespace

TEST(DebianPackage, CarriesTheProgramWithItsDependenciesAndDeviceRule) {
    const QString dpkgDeb = FindTool(QStringLiteral("dpkg-deb"));
    if (dpkgDeb.isEmpty() || FindTool(QStringLiteral("dpkg-shlibdeps")).isEmpty())
        GTEST_SKIP() << "dpkg-deb and dpkg-shlibdeps are needed (package dpkg-dev)";
    QTemporaryDir output;
    ASSERT_TRUE(output.isValid());
    const ProcessResult pack = RunProgram(QStringLiteral(QUILLORY_CPACK_COMMAND),
                                          {"-G", "DEB", "-B", output.path(), "--config",
                                           QStringLiteral(QUILLORY_BUILD_DIR "/CPackConfig.cmake")},
                                          QProcessEnvironment::systemEnvironment(), 240000, output.path());
    ASSERT_TRUE(pack.Succeeded()) << pack.Describe();
    const QStringList debs = QDir(output.path()).entryList({QStringLiteral("quillory_*.deb")}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << pack.out.toStdString();
    const QString deb = output.filePath(debs.constFirst());

    const ProcessResult info = RunProgram(dpkgDeb, {"--info", deb});
    ASSERT_TRUE(info.Succeeded()) << info.Describe();
    EXPECT_EQ(ControlField(info.out, "Package"), QStringLiteral("quillory"));
    const QString depends = ControlField(info.out, "Depends");
    // Found by dpkg-shlibdeps from the binaries ...
    for (const char* library : {"libqt6widgets6", "libqt6gui6", "libqt6serialport6", "libqscintilla2-qt6",
                                "libusb-1.0-0", "libtinyxml2"})
        EXPECT_TRUE(depends.contains(QLatin1String(library)))
            << library << " missing in " << depends.toStdString();
    // ... and what the program starts or loads by name.
    for (const char* package : {"cups-client", "libcups2"})
        EXPECT_TRUE(depends.contains(QLatin1String(package)))
            << package << " missing in " << depends.toStdString();
    // The fonts (some 90 MB) and the image plugins are wanted, not needed.
    const QString recommends = ControlField(info.out, "Recommends");
    for (const char* package : {"fonts-noto-cjk", "qt6-image-formats-plugins"}) {
        EXPECT_FALSE(depends.contains(QLatin1String(package))) << package << " in " << depends.toStdString();
        EXPECT_TRUE(recommends.contains(QLatin1String(package)))
            << package << " missing in " << recommends.toStdString();
    }
    EXPECT_TRUE(info.out.contains("postinst"));
    EXPECT_TRUE(info.out.contains("postrm"));
    // Lines of the long description fit lintian's 80 columns.
    // (dpkg-deb indents the control file by one blank; the description's lines have one more.)
    int descriptionLines = 0;
    for (const QByteArray& line : info.out.split('\n')) {
        if (!line.startsWith("  "))
            continue;
        ++descriptionLines;
        EXPECT_LE(line.size() - 1, 80) << line.toStdString();
    }
    EXPECT_GE(descriptionLines, 3);

    const ProcessResult listing = RunProgram(dpkgDeb, {"--contents", deb});
    ASSERT_TRUE(listing.Succeeded()) << listing.Describe();
    const QMap<QString, QString> contents = Contents(listing.out);
    for (const char* program :
         {"./usr/bin/quillory", "./usr/bin/quillory-cli", "./usr/bin/quillory-printer-sim",
          "./usr/share/quillory/Driver/Setup", "./usr/share/quillory/Driver/Uninstall"})
        EXPECT_EQ(contents.value(QLatin1String(program)), QStringLiteral("-rwxr-xr-x")) << program;
    for (const char* file :
         {"./usr/lib/udev/rules.d/60-quillory.rules",
          "./usr/share/applications/example.quillory.Quillory.desktop",
          "./usr/share/metainfo/example.quillory.Quillory.metainfo.xml",
          "./usr/share/icons/hicolor/48x48/apps/quillory.png", "./usr/share/man/man1/quillory-cli.1.gz",
          "./usr/share/quillory/Language/English.xml", "./usr/share/quillory/Guide/Guide_CN.html",
          "./usr/share/doc/quillory/copyright", "./usr/share/doc/quillory/changelog.gz",
          "./usr/share/bash-completion/completions/quillory-cli"})
        EXPECT_EQ(contents.value(QLatin1String(file)), QStringLiteral("-rw-r--r--")) << file;
    // The modules the command line loads, in the program's own library folder.
    for (const char* module : {"quillory-picture", "quillory-search"}) {
        const QStringList modules = contents.keys().filter(QRegularExpression(
            QStringLiteral("^\\./usr/lib/.*quillory/%1\\.so$").arg(QLatin1String(module))));
        ASSERT_EQ(modules.size(), 1) << module << ": " << contents.keys().join(' ').toStdString();
        EXPECT_EQ(contents.value(modules.constFirst()), QStringLiteral("-rw-r--r--")) << module;
    }

    // The packaged programs carry Debian's hardening.
    const QString readelf = FindTool(QStringLiteral("readelf"));
    ASSERT_FALSE(readelf.isEmpty()) << "readelf is not installed (Debian package binutils)";
    QTemporaryDir unpacked;
    ASSERT_TRUE(unpacked.isValid());
    const ProcessResult extract = RunProgram(dpkgDeb, {"--extract", deb, unpacked.path()});
    ASSERT_TRUE(extract.Succeeded()) << extract.Describe();
    for (const char* program : {"quillory", "quillory-cli", "quillory-printer-sim"})
        ExpectHardened(readelf, unpacked.filePath(QStringLiteral("usr/bin/") + QLatin1String(program)),
                       program != std::string_view("quillory-printer-sim"));

    // Debian's own check of the package: no errors, no warnings.
    const QString lintian = FindTool(QStringLiteral("lintian"));
    if (lintian.isEmpty())
        GTEST_SKIP()
            << "lintian is not installed (Debian package lintian; scripts/install-deps.sh installs it)";
    const ProcessResult lint =
        RunProgram(lintian, {"--display-level", ">=warning", "--tag-display-limit", "0", deb},
                   QProcessEnvironment::systemEnvironment(), 240000);
    ASSERT_TRUE(lint.finished) << lint.Describe();
    EXPECT_EQ(LintianFaults(lint.out), QStringList()) << lint.out.toStdString() << lint.err.toStdString();
    // Exit status 2 is lintian's own trouble, not a finding.
    EXPECT_NE(lint.exitCode, 2) << lint.Describe();
}
