// SFTP on libssh: the SSH connection to an SFTP server and the SFTP calls publishing makes.
#pragma once

#include "net/internet.h"
#include "net/knownhosts.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>

class QFile;
struct ssh_session_struct;
struct sftp_session_struct;

namespace Feedsmith {

// One SFTP connection on libssh, over a socket that is already connected to the server (directly
// or through the proxy) and stays the caller's. Host keys are asked for in OpenSSH's order
// (ed25519, ECDSA, RSA with SHA-2 signatures), the type known_hosts holds for the server first;
// the key is checked with KnownHosts before the password goes out. Every call ends when the
// server stays silent too long, when the call takes too long in all, or when the abort flag is
// set (the caller then shuts the socket down). Paths are the program's: "" is the login
// directory, relative ones count from it, absolute ones are the server's own.
class SshConnection
{
public:
    struct Limits
    {
        int connectSeconds = 30; // greeting, key exchange and login together
        int responseSeconds = 60; // any one reply of the server
        int deadlineSeconds = 120; // any one call in all
    };
    using Clock = std::chrono::steady_clock;
    // The outcome of the host key check.
    enum class Trust { Unchecked, Trusted, Unknown, Changed };

    // A transfer is written in pieces of this size: the size every SFTP server takes.
    static constexpr qsizetype ChunkBytes = qsizetype(32) * 1024;

    SshConnection(int socket, Limits limits, const std::atomic<bool> &aborted);
    ~SshConnection();
    SshConnection(const SshConnection &) = delete;
    SshConnection &operator=(const SshConnection &) = delete;

    // The handshake, the host key check against knownKeys, the login and the start of SFTP, all
    // before deadline. Without a trusted key nothing more is sent (ServerNotTrusted or
    // ServerKeyChanged; see trust() and hostKey()).
    bool open(const QString &host, int port, const QList<KnownHosts::Key> &knownKeys, const QString &userName,
              const QString &password, Clock::time_point deadline);
    Trust trust() const { return m_trust; }
    // The host key the server showed, as known_hosts holds keys.
    QByteArray hostKey() const { return m_hostKey; }

    // The entries of directory; ListingTooLarge past maxBytes of names.
    RemoteListing list(const QString &directory, qsizetype maxBytes);
    // Whether path names a folder (one that is missing or a file: ExtendedError).
    bool isFolder(const QString &path);
    // Makes path with every folder above it that is missing.
    bool makeDirectories(const QString &path);
    // Stores file under name in directory, or in its sub-folder folder (made when missing) when
    // that is not empty; then renames it to renameTo when that is not empty, replacing a file of
    // that name. watch(done, total) is told each piece sent; false stops the transfer.
    // A refused rename leaves the file under name and fails with RenameRefused.
    bool upload(QFile &file, const QString &directory, const QString &folder, const QString &name,
                const QString &renameTo, const Internet::TransferWatch &watch);
    // Removes the file at path, within a few seconds.
    bool remove(const QString &path);

    // What the last call failed with (an InternetError code), and the server's or libssh's words.
    quint32 error() const { return m_error; }
    ServerResponse response() const { return m_response; }
    // libssh's words for the last failure (or the SFTP server's, or ours); empty when there are none.
    QString detail() const { return m_detail; }

    // The host key algorithms to ask for, best first: the type knownKeys has (not revoked) first,
    // then OpenSSH's order. SHA-1 signatures (ssh-rsa, ssh-dss) are not offered.
    static QByteArray hostKeyAlgorithms(const QList<KnownHosts::Key> &knownKeys);

private:
    class Guard;
    class Call;

    bool fail(quint32 code, ServerResponse response = {});
    // The failure of the libssh call just made, told by its cause; what names the path it was for.
    bool failed(const QString &what);
    bool login(const QByteArray &password);
    bool rename(const QByteArray &from, const QByteArray &to);
    // An SFTP request libssh 0.10 has no call for: sent, and its reply read, while libssh's own
    // SFTP calls wait for nothing. False when no reply came; *status is its status code.
    bool extendedRequest(const QByteArray &name, const QByteArray &arguments, quint32 *status, QString *message);
    bool readChannel(char *data, qsizetype size);

    const std::atomic<bool> &m_aborted;
    Limits m_limits;
    int m_socket; // the caller's; libssh is given a copy
    std::unique_ptr<Guard> m_guard;
    ssh_session_struct *m_session = nullptr;
    sftp_session_struct *m_sftp = nullptr;
    Trust m_trust = Trust::Unchecked;
    QByteArray m_hostKey;
    quint32 m_error = InternetError::None;
    ServerResponse m_response;
    QString m_detail;
};

} // namespace Feedsmith
