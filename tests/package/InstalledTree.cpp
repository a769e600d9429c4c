#include "InstalledTree.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sstream>

namespace quillory::test {

std::string ProcessResult::Describe() const {
    std::ostringstream text;
    text << (finished ? "" : "did not finish; ")
         << (status == QProcess::NormalExit ? "exit " : "crashed, code ") << exitCode
         << "\nstdout: " << out.toStdString() << "\nstderr: " << err.toStdString();
    return text.str();
}

ProcessResult RunProgram(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment, int timeoutMs,
                         const QString& workingFolder) {
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted(10000)) {
        result.err = process.errorString().toUtf8();
        return result;
    }
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.status = process.exitStatus();
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QString FindTool(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

InstalledTree::InstalledTree() {
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    const ProcessResult install =
        RunProgram(QStringLiteral(QUILLORY_CMAKE_COMMAND),
                   {QStringLiteral("--install"), QStringLiteral(QUILLORY_BUILD_DIR),
                    QStringLiteral("--prefix"), Prefix(), QStringLiteral("--strip")},
                   QProcessEnvironment::systemEnvironment(), 120000);
    if (!install.Succeeded()) {
        m_error = QString::fromStdString("cmake --install failed: " + install.Describe());
        return;
    }
    for (const char* folder : {"home", "home/.config", "home/.local/share", "run", "tmp"})
        QDir(m_dir.path()).mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QProcessEnvironment InstalledTree::UserEnvironment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys()) {
        if (name.startsWith(QStringLiteral("QUILLORY_")) || name.startsWith(QStringLiteral("XDG_")))
            environment.remove(name);
    }
    environment.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Home(QStringLiteral(".config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), Home(QStringLiteral(".local/share")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
    environment.insert(QStringLiteral("TMPDIR"), m_dir.filePath(QStringLiteral("tmp")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QUILLORY_SEARCH_TARGETS"), QStringLiteral("127.0.0.1:1"));
    environment.insert(QStringLiteral("PATH"),
                       Prefix() + QStringLiteral("/bin:") + environment.value(QStringLiteral("PATH")));
    return environment;
}

ProcessResult InstalledTree::Run(const QString& name, const QStringList& arguments, int timeoutMs) const {
    return RunProgram(Program(name), arguments, UserEnvironment(), timeoutMs, Root());
}

BackgroundProgram::BackgroundProgram(const QString& program, const QStringList& arguments,
                                     const QProcessEnvironment& environment, const QString& workingFolder) {
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(workingFolder);
    m_process.start(program, arguments);
    m_process.waitForStarted(10000);
}

BackgroundProgram::~BackgroundProgram() {
    if (m_process.state() != QProcess::NotRunning && !Terminate()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString BackgroundProgram::FirstLine(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!m_out.contains('\n') && !deadline.hasExpired() && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(50);
        m_out += m_process.readAllStandardOutput();
    }
    m_out += m_process.readAllStandardOutput();
    const qsizetype end = m_out.indexOf('\n');
    return end < 0 ? QString() : QString::fromUtf8(m_out.left(end));
}

bool BackgroundProgram::Terminate(int timeoutMs) {
    if (m_process.state() == QProcess::NotRunning)
        return true;
    m_process.terminate();
    return m_process.waitForFinished(timeoutMs);
}

} // namespace quillory::test
