#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace quillory::test {

// A private print service for one test: cupsd with its own folders in a temporary directory,
// listening on 127.0.0.1 at a free port with open access and no browsing. While it runs,
// CUPS_SERVER points the CUPS client library of this process (and of the admin tools started
// from it) at it; the previous value is restored and the service stopped on destruction.
class CupsServer {
public:
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    // Whether cupsd is installed at all; tests skip with a message when it is not.
    [[nodiscard]] static bool Installed();
    // The queue description shipped with the program (the "KMT-" PPD).
    [[nodiscard]] static QString ShippedPpd();

    [[nodiscard]] bool IsRunning() const { return m_running; }
    // Why starting or the last admin command failed, with the service's error log.
    [[nodiscard]] QString ErrorText() const { return m_error; }
    // "127.0.0.1:PORT"
    [[nodiscard]] QString Address() const;
    [[nodiscard]] QString Folder() const { return m_dir.path(); }

    // lpadmin -p name -E -v deviceUri -P ppd [extra...]; ppd defaults to ShippedPpd().
    bool AddQueue(const QString& name, const QString& deviceUri, const QString& ppd = {},
                  const QStringList& extra = {});
    // Runs a CUPS admin tool (cupsreject, cupsdisable, lpadmin ...) against this service.
    bool RunTool(const QString& program, const QStringList& arguments);
    // A copy of the shipped PPD with another NickName, for queues of another driver family.
    QString PpdWithNickName(const QString& nickName);

private:
    bool Start();
    bool WaitUntilListening(int timeoutMs) const;

    QTemporaryDir m_dir;
    QProcess m_cupsd;
    quint16 m_port = 0;
    bool m_running = false;
    QString m_error;
    QByteArray m_savedServer;
    bool m_hadServer = false;
};

} // namespace quillory::test
