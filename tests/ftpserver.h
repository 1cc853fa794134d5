// Real FTP, FTPS and SFTP servers for the tests (pyftpdlib and sshd on 127.0.0.1), and a
// listener that never answers.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FeedsmithTest {

// pyftpdlib with a temporary root shared by two accounts: "writer" may store files, "reader"
// may only list and read. Started on a free port of 127.0.0.1; stopped in the destructor.
class FtpServer
{
public:
    static constexpr const char *Writer = "writer";
    static constexpr const char *Reader = "reader";
    static constexpr const char *Keeper = "keeper"; // FTP only: the writer's password, but no rename
    // Distinctive, so that a test can look for them in everything the program writes.
    static constexpr const char *WriterPassword = "pw-Writer-93f1c7e2";
    static constexpr const char *ReaderPassword = "pw-Reader-5d0a4b18";

    FtpServer() = default;
    FtpServer(const FtpServer &) = delete;
    FtpServer &operator=(const FtpServer &) = delete;
    ~FtpServer() { stop(); }

    // Starts the server and waits until it accepts connections: plain FTP, "ftps://" (explicit
    // TLS, a throw-away certificate) or "sftp://" (sshd and a throw-away user; see
    // sftpUnavailable()). The server ends when this object goes or when the test process dies.
    // hostKey "rsa" gives sshd an RSA host key alone, signed with SHA-2 only.
    bool start(const QString &scheme = {}, const QString &hostKey = {})
    {
        m_scheme = scheme;
        const QString writer = QString::fromLatin1(WriterPassword);
        if (scheme == QLatin1String("sftp://"))
            return m_root.isValid()
                    && startScript(QStringLiteral("sshserver.py"),
                                   QStringList{m_root.path(), writer}
                                           + (hostKey.isEmpty() ? QStringList() : QStringList{hostKey}));
        QStringList arguments{m_root.path(), writer, QString::fromLatin1(ReaderPassword)};
        return m_root.isValid()
                && startScript(QStringLiteral("ftpserver.py"),
                               scheme.isEmpty() ? arguments : arguments << QStringLiteral("tls"));
    }

    // Why this machine cannot run the SFTP server, or nothing when it can. sshd's throw-away user
    // lives only in copies of /etc/passwd and /etc/shadow that sshd's own mount namespace shows;
    // the system's accounts are never touched, so without that namespace there is no SFTP server.
    static QString sftpUnavailable()
    {
        static const QString reason = [] {
            if (::geteuid() != 0)
                return QStringLiteral("SFTP rows need root for sshd's private mount namespace");
            QProcess unshare;
            unshare.start(QStringLiteral("unshare"), {QStringLiteral("--mount"), QStringLiteral("true")});
            if (!unshare.waitForFinished(10000) || unshare.exitStatus() != QProcess::NormalExit
                || unshare.exitCode() != 0)
                return QStringLiteral("SFTP rows need a private mount namespace for sshd, and "
                                      "'unshare --mount' fails here");
            return QString();
        }();
        return reason;
    }

    // Starts hostileftp.py in one of its modes instead: a server that drips, floods or sends
    // escape sequences (see the script).
    bool startHostile(const QString &mode) { return startScript(QStringLiteral("hostileftp.py"), {mode}); }

    // Starts a script of the tests folder that prints "PORT n" once it listens.
    bool startScript(const QString &name, const QStringList &arguments)
    {
        // Not beside __FILE__: a compiler cache may make that path relative to the build.
        const QString script = QDir(QStringLiteral(FEEDSMITH_TEST_DIR)).filePath(name);
        m_process.setProgram(QStringLiteral("/usr/bin/python3"));
        m_process.setArguments(QStringList{script} + arguments);
        m_process.setReadChannel(QProcess::StandardOutput);
        m_process.setStandardErrorFile(m_logDir.filePath(QStringLiteral("server.log")));
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return false;
        QByteArray lines;
        QElapsedTimer timer;
        timer.start();
        while (!(lines.contains("PORT ") && lines.endsWith('\n')) && timer.elapsed() < 30000) {
            if (!m_process.waitForReadyRead(1000) && m_process.state() != QProcess::Running)
                break;
            lines += m_process.readAllStandardOutput();
        }
        for (const QByteArray &line : lines.split('\n')) {
            const QString value = QString::fromUtf8(line.mid(line.indexOf(' ') + 1));
            if (line.startsWith("PORT "))
                m_port = value.toInt();
            else if (line.startsWith("FINGERPRINT "))
                m_fingerprint = value;
            else if (line.startsWith("USER "))
                m_user = value;
        }
        if (m_port <= 0)
            qWarning("server did not start: %s %s", lines.constData(), log().constData());
        return m_port > 0;
    }

    // Ends the server (which cleans up once its standard input closes); established
    // connections die with it.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.closeWriteChannel();
        if (m_scheme.isEmpty() || !m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(10000);
    }

    int port() const { return m_port; }
    // The server field's text for this server: "127.0.0.1:port", with "ftps://" or "sftp://".
    QString address() const { return m_scheme + QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // The fingerprint of the certificate or host key, as openssl and ssh-keygen print it.
    QString fingerprint() const { return m_fingerprint; }
    QString userName() const { return m_user.isEmpty() ? QString::fromLatin1(Writer) : m_user; }
    QString root() const { return m_root.path(); }
    QString path(const QString &relative) const { return QDir(m_root.path()).filePath(relative); }
    // Writable for everyone, the SFTP user too.
    bool makeDirectory(const QString &relative) const
    {
        return QDir(m_root.path()).mkpath(relative)
                && ::chmod(QFile::encodeName(path(relative)).constData(), 0777) == 0;
    }
    bool putFile(const QString &relative, const QByteArray &bytes) const
    {
        QFile f(path(relative));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    // What the server logged (its commands and logins).
    QByteArray log() const
    {
        QFile f(m_logDir.filePath(QStringLiteral("server.log")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_root;
    QTemporaryDir m_logDir;
    QProcess m_process;
    int m_port = 0;
    QString m_scheme;
    QString m_fingerprint;
    QString m_user;
};

// A TCP port of 127.0.0.1 where connections are accepted by the system but never answered: a
// server that is alive and silent, or a proxy that says nothing.
class SilentListener
{
public:
    SilentListener()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || ::listen(m_socket, 8) != 0
            || ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        ::fcntl(m_socket, F_SETFL, O_NONBLOCK);
    }
    ~SilentListener()
    {
        for (int client : m_clients)
            ::close(client);
        if (m_socket >= 0)
            ::close(m_socket);
    }
    SilentListener(const SilentListener &) = delete;
    SilentListener &operator=(const SilentListener &) = delete;

    int port() const { return m_port; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    // Everything the clients that came have sent so far.
    QByteArray received()
    {
        for (int client; (client = ::accept(m_socket, nullptr, nullptr)) >= 0;) {
            ::fcntl(client, F_SETFL, O_NONBLOCK);
            m_clients.append(client);
        }
        char buffer[4096];
        for (int client : m_clients) {
            for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;)
                m_data.append(buffer, n);
        }
        return m_data;
    }

    // How many connections came so far.
    qsizetype connections()
    {
        received();
        return m_clients.size();
    }

private:
    int m_socket = -1;
    int m_port = 0;
    QList<int> m_clients;
    QByteArray m_data;
};

// The rows of a test run against each secure server: a "scheme" column, FTPS and SFTP, and the
// "hostKey" of the SFTP server (see FtpServer::start).
inline void addSecureSchemeRows()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("hostKey");
    QTest::newRow("FTPS") << QStringLiteral("ftps://") << QString();
    QTest::newRow("SFTP") << QStringLiteral("sftp://") << QString();
    QTest::newRow("SFTP, RSA host key with SHA-2 signatures only")
            << QStringLiteral("sftp://") << QStringLiteral("rsa");
}

} // namespace FeedsmithTest
