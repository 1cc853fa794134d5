// The Internet library on libcurl.
#pragma once

#include "net/internet.h"

#include <QByteArray>
#include <QList>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace Feedsmith {

// FTP and FTPS through libcurl's easy interface: one curl handle per connection, kept between
// calls so that the control connection (and its login) is reused. Passive mode, binary
// transfers. FTPS certificates are checked against the system's authorities, else against the
// certificates the user trusts (trustedCertificatesPath()). SFTP goes through libssh
// (SshConnection) over a socket that libcurl connects, directly or through the proxy as for FTP;
// host keys are checked against ~/.ssh/known_hosts, which this program reads itself (see
// KnownHosts). Not for use from two threads at once, except abort(); one thread after another is
// fine.
class CurlInternet : public Internet
{
public:
    // How long a silent server is waited for before a call fails with Timeout, and how long a
    // call may take in all, however the server drips its bytes, before it fails with
    // DeadlinePassed.
    struct Timeouts
    {
        int connectSeconds = 30; // TCP connect, greeting and login
        int responseSeconds = 60; // any one reply of the server
        int lowSpeedSeconds = 60; // a transfer slower than 1 byte/s for this long is given up
        int deadlineSeconds = 120; // the whole call

        // The defaults, or all four cut to FEEDSMITH_FTP_DEADLINE seconds when that variable
        // holds a smaller positive number (tests of hostile servers wait seconds, not minutes).
        static Timeouts fromEnvironment();
    };

    // A listing is only counted and shown, never stored: more than this is no directory the
    // program needs to see, and the call fails with ListingTooLarge.
    static constexpr qsizetype MaxListingBytes = 1 << 20;
    // The text kept of one server reply; a longer reply is cut.
    static constexpr qsizetype MaxReplyBytes = 16 * 1024;
    // ~/.ssh/known_hosts and the list of trusted certificates are read whole, up to this size;
    // a larger file fails the connection (KnownHostsTooLarge, TrustedCertificatesTooLarge).
    static constexpr qsizetype MaxTrustFileBytes = 16 * 1024 * 1024;

    // With Timeouts::fromEnvironment().
    CurlInternet();
    explicit CurlInternet(Timeouts timeouts);
    ~CurlInternet() override;
    CurlInternet(const CurlInternet &) = delete;
    CurlInternet &operator=(const CurlInternet &) = delete;

    // The kinds of server the server field names.
    enum class Scheme { Ftp, Ftps, Sftp };

    InternetHandle openSession(const QString &agent, const QString &proxy) override;
    InternetHandle connectFtp(InternetHandle session, const QString &server, const QString &userName,
                              const QString &password) override;
    RemoteListing listDirectory(InternetHandle connection) override;
    bool setCurrentDirectory(InternetHandle connection, const QString &path) override;
    bool makeDirectories(InternetHandle connection, const QString &path) override;
    bool putFileInFolder(InternetHandle connection, const QString &localPath, const QString &folder,
                         const QString &remoteName) override;
    bool putFileReplacing(InternetHandle connection, const QString &localPath, const QString &folder,
                          const QString &temporaryName, const QString &remoteName) override;
    bool removeFile(InternetHandle connection, const QString &folder, const QString &remoteName) override;
    bool putFile(InternetHandle connection, const QString &localPath, const QString &remoteName) override;
    void closeHandle(InternetHandle handle) override;

    QString serverFingerprint() const override { return m_seenFingerprint; }
    bool trustServer(const QString &server, const QString &fingerprint) override;

    quint32 lastError() const override { return m_lastError; }
    ServerResponse lastResponse() const override { return m_lastResponse; }
    QString lastErrorDetail() const override { return m_lastDetail; }
    void setTransferWatch(TransferWatch watch) override { m_watch = std::move(watch); }
    void abort() override;

    // The parts of a server field: "host" or "host:port" (IPv6 addresses in brackets), with
    // "ftps://" or "sftp://" in front for those. False for text that is no host name.
    static bool parseServer(const QString &server, QString *host, int *port, Scheme *scheme = nullptr);
    // The URL path of a remote FTP directory: "/" leading an absolute path is written "%2F",
    // each name is percent-encoded, "" for the login directory.
    static QByteArray directoryUrlPath(const QString &directory);
    // Where SSH host keys are checked and added: ~/.ssh/known_hosts.
    static QString knownHostsPath();
    // The certificates the user chose to trust, one "[host]:port FINGERPRINT" a line, in the
    // user's configuration folder. trustServer replaces the line of the server (or adds one)
    // and leaves every other line as it is.
    static QString trustedCertificatesPath();
    // A directory reached from current by path: path itself when absolute, else joined.
    static QString joinRemotePath(const QString &current, const QString &path);
    // The entries of a LIST reply (Unix and DOS styles; other lines are taken as names).
    static QList<RemoteEntry> parseListing(const QByteArray &listing);

    struct Connection;

private:
    struct Session
    {
        QString agent;
        QString proxy;
    };

    Connection *connection(InternetHandle handle);
    bool fail(quint32 code);
    // A call begins: the last one's reply and detail are forgotten.
    void begin();
    // Runs the request set up on c; watched: told to the transfer watch.
    bool perform(Connection &c, bool watched = true);
    // The outcome of an SFTP call: true for success, else the connection's error is the last.
    bool sshResult(Connection &c, bool ok);
    // The directory path (absolute, relative or, for SFTP, "~/…") names from the current one.
    static QString remoteDirectory(const Connection &c, const QString &path);
    // putFile into `folder` (made when missing) when it is not empty, renamed to renameTo
    // after the transfer when that is not empty.
    bool upload(InternetHandle handle, const QString &localPath, const QString &folder, const QString &remoteName,
                const QString &renameTo);

    Timeouts m_timeouts;
    TransferWatch m_watch;
    bool m_stopped = false; // the watch asked the call to stop
    // The sockets of the connections (SFTP's too), which abort() shuts down from another thread.
    std::mutex m_socketsMutex;
    std::set<int> m_sockets;
    std::atomic<bool> m_aborted = false;
    InternetHandle m_nextHandle = 1;
    std::map<InternetHandle, Session> m_sessions;
    std::map<InternetHandle, std::unique_ptr<Connection>> m_connections;
    quint32 m_lastError = InternetError::None;
    ServerResponse m_lastResponse;
    QString m_lastDetail;
    int m_lastCurlCode = 0; // CURLcode of the last request
    // What the last connectFtp was shown: the server's "[host]:port", the fingerprint and, for
    // SSH, the host key itself (what trustServer writes to known_hosts).
    QString m_seenServer;
    QString m_seenFingerprint;
    QByteArray m_seenKey;
    Scheme m_seenScheme = Scheme::Ftp;
    bool m_seenChanged = false; // the certificate or key differed from the remembered one
};

} // namespace Feedsmith
