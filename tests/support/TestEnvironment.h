#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quillory::test {

// A private world for one test: its own program folder (with a copy of the language files and
// links to the other resources of the build), settings, data and runtime folders, and English
// as the system language. Everything is restored when it goes out of scope.
class TempEnvironment {
public:
    TempEnvironment();
    ~TempEnvironment();
    TempEnvironment(const TempEnvironment&) = delete;
    TempEnvironment& operator=(const TempEnvironment&) = delete;

    [[nodiscard]] QString Root() const { return m_dir.path(); }
    [[nodiscard]] QString Path(const QString& relative) const { return m_dir.filePath(relative); }
    [[nodiscard]] QString ProgramFolder() const { return Path(QStringLiteral("program")); }
    [[nodiscard]] QString ConfigFolder() const { return Path(QStringLiteral("config")); }
    // The shipped settings file of this environment's program folder.
    [[nodiscard]] QString ShippedSettingsFile() const;
    // Rewrites the shipped settings file; a null value leaves the CommMode key out.
    void SetShippedCommMode(const QString& value) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_saved[4];
    bool m_had[4] = {};
};

[[nodiscard]] QByteArray ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const QByteArray& bytes);
// Folder of the built program (binaries and resources).
[[nodiscard]] QString BuildProgramFolder();
// Folder beside the built program where screenshot tests leave pictures for a person to look at
// (created when missing); sub names a folder below it.
[[nodiscard]] QString ScreenshotFolder(const QString& sub = QString());
// File-name suffixes of the three languages, in language-index order.
inline constexpr const char* kLanguageSuffixes[] = {"zh_CN", "zh_TW", "en"};

} // namespace quillory::test
