#include "support/CupsServer.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <cups/cups.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory::test {
namespace {

constexpr char kCupsd[] = "/usr/sbin/cupsd";
constexpr int kStartTimeoutMs = 15000;
constexpr int kToolTimeoutMs = 30000;

quint16 FreeLoopbackPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

// cupsd refuses to run its helpers as root; they run as lp, which must reach every folder.
struct ServiceAccount {
    QString user;
    QString group;
    uid_t uid = 0;
    gid_t gid = 0;
};

ServiceAccount FindServiceAccount() {
    ServiceAccount account;
    const passwd* user = ::geteuid() == 0 ? ::getpwnam("lp") : ::getpwuid(::geteuid());
    if (!user)
        return account;
    account.user = QString::fromLocal8Bit(user->pw_name);
    account.uid = user->pw_uid;
    account.gid = user->pw_gid;
    const group* primary = ::getgrgid(user->pw_gid);
    account.group = primary ? QString::fromLocal8Bit(primary->gr_name) : account.user;
    return account;
}

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

} // namespace

CupsServer::CupsServer() {
    m_hadServer = qEnvironmentVariableIsSet("CUPS_SERVER");
    m_savedServer = qgetenv("CUPS_SERVER");
    m_running = Start();
    if (!m_running) {
        m_cupsd.kill();
        m_cupsd.waitForFinished(3000);
    }
}

CupsServer::~CupsServer() {
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(10000)) {
            m_cupsd.kill();
            m_cupsd.waitForFinished(3000);
        }
    }
    if (m_hadServer)
        qputenv("CUPS_SERVER", m_savedServer);
    else
        qunsetenv("CUPS_SERVER");
    cupsSetServer(nullptr);
}

bool CupsServer::Installed() {
    return QFileInfo(QString::fromLatin1(kCupsd)).isExecutable();
}

QString CupsServer::ShippedPpd() {
    return QStringLiteral(QUILLORY_TEST_SOURCE_DIR "/resources/Driver/KMT-Quillory.ppd");
}

QString CupsServer::Address() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

bool CupsServer::Start() {
    if (!Installed()) {
        m_error = QStringLiteral("cupsd is not installed");
        return false;
    }
    const ServiceAccount account = FindServiceAccount();
    if (!m_dir.isValid() || account.user.isEmpty()) {
        m_error = QStringLiteral("no temporary folder or no service account");
        return false;
    }
    m_port = FreeLoopbackPort();
    const QString root = m_dir.path();
    ::chmod(QFile::encodeName(root).constData(), 0755);
    for (const char* folder : {"conf", "spool", "cache", "state", "tmp", "log"}) {
        const QString path = root + QLatin1Char('/') + QLatin1String(folder);
        QDir().mkpath(path);
        if (QLatin1String(folder) != QLatin1String("conf") &&
            ::chown(QFile::encodeName(path).constData(), account.uid, account.gid) != 0) {
            m_error = QStringLiteral("cannot hand %1 to %2").arg(path, account.user);
            return false;
        }
    }
    const QString filesConf = root + QStringLiteral("/conf/cups-files.conf");
    const QString mainConf = root + QStringLiteral("/conf/cupsd.conf");
    WriteFileBytes(filesConf, QStringLiteral("User %1\nGroup %2\n"
                                             "ServerRoot %3/conf\nRequestRoot %3/spool\nCacheDir %3/cache\n"
                                             "StateDir %3/state\nTempDir %3/tmp\n"
                                             "ErrorLog %3/log/error_log\nAccessLog %3/log/access_log\n"
                                             "PageLog %3/log/page_log\n")
                                  .arg(account.user, account.group, root)
                                  .toLocal8Bit());
    WriteFileBytes(mainConf,
                   QStringLiteral("LogLevel warn\nListen 127.0.0.1:%1\nBrowsing No\nWebInterface No\n"
                                  "DefaultAuthType None\n"
                                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                  "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                                  "    Allow all\n  </Limit>\n</Policy>\n")
                       .arg(m_port)
                       .toLocal8Bit());
    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd.start(QString::fromLatin1(kCupsd),
                  {QStringLiteral("-f"), QStringLiteral("-c"), mainConf, QStringLiteral("-s"), filesConf});
    if (!m_cupsd.waitForStarted(5000) || !WaitUntilListening(kStartTimeoutMs)) {
        m_error = QStringLiteral("cupsd did not start: %1\n%2")
                      .arg(QString::fromLocal8Bit(m_cupsd.readAll()),
                           ReadText(root + QStringLiteral("/log/error_log")));
        return false;
    }
    qputenv("CUPS_SERVER", Address().toLatin1());
    cupsSetServer(nullptr); // the client library reads CUPS_SERVER again on its next use
    return true;
}

bool CupsServer::WaitUntilListening(int timeoutMs) const {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
        if (m_cupsd.state() == QProcess::NotRunning)
            return false;
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(500))
            return true;
        QThread::msleep(100);
    }
    return false;
}

bool CupsServer::AddQueue(const QString& name, const QString& deviceUri, const QString& ppd,
                          const QStringList& extra) {
    return RunTool(QStringLiteral("lpadmin"),
                   QStringList{QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                               deviceUri, QStringLiteral("-P"), ppd.isEmpty() ? ShippedPpd() : ppd} +
                       extra);
}

bool CupsServer::RunTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, QStringList{QStringLiteral("-h"), Address()} + arguments);
    const bool ok = tool.waitForFinished(kToolTimeoutMs) && tool.exitStatus() == QProcess::NormalExit &&
                    tool.exitCode() == 0;
    if (!ok)
        m_error = QStringLiteral("%1 %2 failed: %3")
                      .arg(program, arguments.join(QLatin1Char(' ')), QString::fromLocal8Bit(tool.readAll()));
    return ok;
}

QString CupsServer::PpdWithNickName(const QString& nickName) {
    QByteArray text = ReadFileBytes(ShippedPpd());
    text.replace("\"KMT-Quillory Label Printer\"", "\"" + nickName.toLatin1() + "\"");
    static int serial = 0;
    const QString path = m_dir.filePath(QStringLiteral("family%1.ppd").arg(++serial));
    WriteFileBytes(path, text);
    return path;
}

} // namespace quillory::test
