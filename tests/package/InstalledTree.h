#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace quillory::test {

struct ProcessResult {
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    [[nodiscard]] bool Succeeded() const {
        return finished && status == QProcess::NormalExit && exitCode == 0;
    }
    // What a failed assertion prints.
    [[nodiscard]] std::string Describe() const;
};

// Runs a program to its end (killed after timeoutMs).
ProcessResult RunProgram(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                         int timeoutMs = 60000, const QString& workingFolder = {});

// Finds a tool on the PATH; empty when it is not installed.
[[nodiscard]] QString FindTool(const QString& name);

// The build installed into a scratch root with `cmake --install BUILD --prefix ROOT/usr --strip`,
// as the Debian package lays it out, together with private home, settings, data, runtime and
// temporary folders for the programs started from it.
class InstalledTree {
public:
    InstalledTree();
    InstalledTree(const InstalledTree&) = delete;
    InstalledTree& operator=(const InstalledTree&) = delete;

    // Why the installation failed; empty when it succeeded.
    [[nodiscard]] const QString& Error() const { return m_error; }
    [[nodiscard]] QString Root() const { return m_dir.path(); }
    [[nodiscard]] QString Prefix() const { return m_dir.filePath(QStringLiteral("usr")); }
    [[nodiscard]] QString Program(const QString& name) const {
        return Prefix() + QStringLiteral("/bin/") + name;
    }
    [[nodiscard]] QString Share(const QString& relative) const {
        return Prefix() + QStringLiteral("/share/") + relative;
    }
    [[nodiscard]] QString Home(const QString& relative) const {
        return m_dir.filePath(QStringLiteral("home/") + relative);
    }

    // The environment of a user of the installed program: nothing points into the build tree,
    // every folder the programs write to is private, the display is offscreen and network
    // searches go to loopback.
    [[nodiscard]] QProcessEnvironment UserEnvironment() const;
    // Runs an installed program from the scratch root.
    ProcessResult Run(const QString& name, const QStringList& arguments, int timeoutMs = 60000) const;

private:
    QTemporaryDir m_dir;
    QString m_error;
};

// A program started in the background that announces itself with a first line on standard
// output; stopped with SIGTERM (then killed) when it goes out of scope.
class BackgroundProgram {
public:
    BackgroundProgram(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment, const QString& workingFolder);
    ~BackgroundProgram();
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    // The first line it printed (without the line end); empty when none came within timeoutMs.
    QString FirstLine(int timeoutMs = 20000);
    // Sends SIGTERM and waits for the end; false when it did not end within timeoutMs.
    bool Terminate(int timeoutMs = 15000);
    [[nodiscard]] QProcess& Process() { return m_process; }
    [[nodiscard]] QByteArray StandardError() { return m_process.readAllStandardError(); }

private:
    QProcess m_process;
    QByteArray m_out;
};

} // namespace quillory::test
