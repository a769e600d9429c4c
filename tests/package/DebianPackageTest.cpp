// The Debian package made by CPack from this build: what it depends on and what it installs.
#include "InstalledTree.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    for (const char* library : {"libqt6widgets6", "libqt6serialport6", "libqscintilla2-qt6", "libcups2",
                                "libusb-1.0-0", "libtinyxml2"})
        EXPECT_TRUE(depends.contains(QLatin1String(library)))
            << library << " missing in " << depends.toStdString();
    // ... and what the program starts or loads by name.
    for (const char* package : {"cups-client", "fonts-noto-cjk", "qt6-image-formats-plugins"})
        EXPECT_TRUE(depends.contains(QLatin1String(package)))
            << package << " missing in " << depends.toStdString();
    EXPECT_TRUE(info.out.contains("postinst"));

    const ProcessResult listing = RunProgram(dpkgDeb, {"--contents", deb});
    ASSERT_TRUE(listing.Succeeded()) << listing.Describe();
    const QMap<QString, QString> contents = Contents(listing.out);
    for (const char* program :
         {"./usr/bin/quillory", "./usr/bin/quillory-cli", "./usr/bin/quillory-printer-sim",
          "./usr/share/quillory/Driver/Setup", "./usr/share/quillory/Driver/Uninstall"})
        EXPECT_EQ(contents.value(QLatin1String(program)), QStringLiteral("-rwxr-xr-x")) << program;
    for (const char* file :
         {"./usr/lib/udev/rules.d/60-quillory.rules", "./usr/share/applications/quillory.desktop",
          "./usr/share/metainfo/example.quillory.Quillory.metainfo.xml",
          "./usr/share/icons/hicolor/48x48/apps/quillory.png", "./usr/share/man/man1/quillory-cli.1.gz",
          "./usr/share/quillory/Language/English.xml", "./usr/share/quillory/Guide/Guide_CN.html"})
        EXPECT_EQ(contents.value(QLatin1String(file)), QStringLiteral("-rw-r--r--")) << file;
}
