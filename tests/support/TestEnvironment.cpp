#include "support/TestEnvironment.h"

#include "app/AppPaths.h"
#include "app/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace quillory::test {
namespace {

const char* const kVariables[4] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR",
                                   "QUILLORY_EEPBAK_DIR"};

void CopyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    const QDir source(from);
    for (const QFileInfo& entry : source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir())
            CopyFolder(entry.filePath(), target);
        else
            QFile::copy(entry.filePath(), target);
    }
}

} // namespace

QString BuildProgramFolder() {
    return QStringLiteral(QUILLORY_TEST_PROGRAM_DIR);
}

QString ScreenshotFolder(const QString& sub) {
    QString folder = BuildProgramFolder() + QStringLiteral("/../screenshots");
    if (!sub.isEmpty())
        folder += QLatin1Char('/') + sub;
    folder = QDir::cleanPath(folder);
    QDir().mkpath(folder);
    return folder;
}

TempEnvironment::TempEnvironment() {
    if (!m_dir.isValid())
        ADD_FAILURE() << "cannot create a temporary folder";
    for (int i = 0; i < 4; ++i) {
        m_had[i] = qEnvironmentVariableIsSet(kVariables[i]);
        m_saved[i] = qgetenv(kVariables[i]);
    }
    qputenv("XDG_CONFIG_HOME", Path(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", Path(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", Path(QStringLiteral("run")).toLocal8Bit());
    qunsetenv("QUILLORY_EEPBAK_DIR");
    QDir().mkpath(Path(QStringLiteral("run")));

    const QString program = ProgramFolder();
    const QString build = BuildProgramFolder();
    CopyFolder(build + QStringLiteral("/Language"), program + QStringLiteral("/Language"));
    for (const char* linked : {"skin", "Guide", "Sample", "Driver"}) {
        const QString name = QLatin1String(linked);
        QFile::link(build + QLatin1Char('/') + name, program + QLatin1Char('/') + name);
    }
    SetProgramFolderOverride(program);
    SetResourceFolderOverride({});
    SetSystemLanguageIdOverride(1033);
}

TempEnvironment::~TempEnvironment() {
    SetProgramFolderOverride({});
    SetResourceFolderOverride({});
    SetSystemLanguageIdOverride(0);
    for (int i = 0; i < 4; ++i) {
        if (m_had[i])
            qputenv(kVariables[i], m_saved[i]);
        else
            qunsetenv(kVariables[i]);
    }
}

QString TempEnvironment::ShippedSettingsFile() const {
    return ProgramFolder() + QStringLiteral("/Language/Setting.ini");
}

void TempEnvironment::SetShippedCommMode(const QString& value) const {
    QByteArray text = "[Main]\r\n";
    if (!value.isNull())
        text += "CommMode=" + value.toUtf8() + "\r\n";
    WriteFileBytes(ShippedSettingsFile(), text);
}

QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

} // namespace quillory::test
