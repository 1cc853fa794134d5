// The Internet library as publishing uses it: sessions, connections to FTP, FTPS and SFTP
// servers, listings, directory changes, uploads and the server's last response.
#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>

namespace Feedsmith {

// A session or connection; 0 stands for none.
using InternetHandle = quintptr;

// The error codes a failed call leaves behind (lastError()). The numbers are those the
// publishing steps and their messages have always used.
namespace InternetError {
constexpr quint32 None = 0;
constexpr quint32 FileNotFound = 2; // the local file does not exist
constexpr quint32 AccessDenied = 5; // the local file cannot be read
constexpr quint32 InvalidHandle = 6; // no such (or an already closed) handle
constexpr quint32 NoMoreFiles = 18; // a listing has no (more) entries
constexpr quint32 InvalidParameter = 87; // a proxy text that cannot be used
constexpr quint32 ListingTooLarge = 122; // a directory listing beyond what is read of one
constexpr quint32 InvalidName = 123; // a remote name that cannot be sent to a server
constexpr quint32 DeadlinePassed = 1460; // a call took longer than it is allowed to in all
// The files of trusted host keys and certificates (this program's own numbers).
constexpr quint32 KnownHostsUnusable = 1920; // ~/.ssh/known_hosts is no regular file or cannot be read
constexpr quint32 KnownHostsTooLarge = 1921; // ~/.ssh/known_hosts is larger than 16 MB
constexpr quint32 TrustedCertificatesUnusable = 1922; // the list of trusted certificates, likewise
constexpr quint32 TrustedCertificatesTooLarge = 1923;
constexpr quint32 LocalFileNotPlain = 1924; // the local file is a link, a device, a pipe or a socket
constexpr quint32 RenameRefused = 1925; // stored under the temporary name, the rename refused; see lastResponse()
constexpr quint32 Timeout = 12002; // the server stopped answering
constexpr quint32 ExtendedError = 12003; // the server refused; see lastResponse()
constexpr quint32 InternalError = 12004;
constexpr quint32 NameNotResolved = 12007; // unknown host name
constexpr quint32 IncorrectPassword = 12014;
constexpr quint32 OperationCancelled = 12017; // the transfer watch asked to stop
constexpr quint32 CannotConnect = 12029; // nobody listens at the server's address
constexpr quint32 ConnectionAborted = 12030;
constexpr quint32 ServerKeyChanged = 12038; // the certificate or host key differs from the remembered one
constexpr quint32 ServerNotTrusted = 12045; // an unknown certificate or host key; see serverFingerprint()
constexpr quint32 SecureChannelError = 12157; // no encrypted connection could be set up
} // namespace InternetError

// Attribute words of listed entries.
namespace RemoteAttribute {
constexpr quint32 Directory = 0x10;
constexpr quint32 Normal = 0x80;
} // namespace RemoteAttribute

struct RemoteEntry
{
    QString name;
    quint32 attributes = RemoteAttribute::Normal;
    qint64 size = -1; // in bytes, as the listing gives it; -1 when it gives none

    friend bool operator==(const RemoteEntry &, const RemoteEntry &) = default;
};

// The entries of a directory in the server's order. error is 0 when the listing was read to
// its end, NoMoreFiles when there was nothing to list, another code when it broke off (the
// entries read until then are kept).
struct RemoteListing
{
    QList<RemoteEntry> entries;
    quint32 error = InternetError::None;
};

// The server's last reply: its three-digit code and its text without the code.
struct ServerResponse
{
    quint32 code = 0;
    QString text;
};

// Synchronous calls; each failure sets lastError(). Passwords given to connectFtp are used
// for the login only: they are never written to a URL, a file or a log.
class Internet
{
public:
    virtual ~Internet() = default;

    // A session, through the proxy when proxy is not empty, else direct; 0 on failure.
    virtual InternetHandle openSession(const QString &agent, const QString &proxy) = 0;
    // A logged-in connection. server is a host name, optionally followed by ":port", for plain
    // passive FTP; "ftps://" in front asks for FTP with explicit TLS, "sftp://" for SFTP (the
    // ports default to 21 and 22). 0 on failure; ServerNotTrusted when the server's certificate
    // or host key is not known yet, ServerKeyChanged when it differs from the remembered one.
    // The password is sent only to a server that proved to be the trusted one.
    virtual InternetHandle connectFtp(InternetHandle session, const QString &server, const QString &userName,
                                      const QString &password) = 0;
    // The entries of the connection's current remote directory.
    virtual RemoteListing listDirectory(InternetHandle connection) = 0;
    // Makes path (absolute, or relative to the current directory) the current directory.
    virtual bool setCurrentDirectory(InternetHandle connection, const QString &path) = 0;
    // Stores the local file in the current directory under remoteName, as binary. Only a
    // regular file is read, and a link at localPath is not followed (LocalFileNotPlain).
    virtual bool putFile(InternetHandle connection, const QString &localPath, const QString &remoteName) = 0;
    // Makes the directory `path` (absolute, or relative to the current directory) with every
    // folder above it that is missing.
    virtual bool makeDirectories(InternetHandle connection, const QString &path)
    {
        Q_UNUSED(connection);
        Q_UNUSED(path);
        return false;
    }
    // putFile into the folder `folder` of the current directory, which is made when missing.
    virtual bool putFileInFolder(InternetHandle connection, const QString &localPath, const QString &folder,
                                 const QString &remoteName)
    {
        Q_UNUSED(connection);
        Q_UNUSED(localPath);
        Q_UNUSED(folder);
        Q_UNUSED(remoteName);
        return false;
    }
    // putFile (into `folder` when that is not empty) under temporaryName, then renamed to
    // remoteName, replacing a file of that name: a transfer that breaks off leaves the old file as
    // it was. When the server refuses the rename, the call fails with RenameRefused and the file
    // stays under temporaryName. A library that cannot rename stores it under remoteName at once.
    virtual bool putFileReplacing(InternetHandle connection, const QString &localPath, const QString &folder,
                                  const QString &temporaryName, const QString &remoteName)
    {
        Q_UNUSED(temporaryName);
        return folder.isEmpty() ? putFile(connection, localPath, remoteName)
                                : putFileInFolder(connection, localPath, folder, remoteName);
    }
    // Removes the file remoteName from the current directory (from its folder `folder` when that
    // is not empty). It is not watched (see setTransferWatch) and waits only a few seconds for the
    // server, so that a cancelled or failed upload can still take its temporary file away.
    virtual bool removeFile(InternetHandle connection, const QString &folder, const QString &remoteName)
    {
        Q_UNUSED(connection);
        Q_UNUSED(folder);
        Q_UNUSED(remoteName);
        return false;
    }
    // Closes a session or a connection. Connections stay usable when their session is closed.
    virtual void closeHandle(InternetHandle handle) = 0;

    // The fingerprint of the certificate or host key the last connectFtp was shown ("" when it
    // was shown none): SHA-256 as hex pairs for a certificate, "SHA256:" and base64 for an SSH
    // host key, as openssl and ssh-keygen print them.
    virtual QString serverFingerprint() const = 0;
    // Remembers that server (as given to connectFtp) is the one that showed fingerprint to the
    // last connectFtp: a certificate in the program's list of trusted certificates, a host key in
    // ~/.ssh/known_hosts. False when fingerprint is not the one shown, when the server's key or
    // certificate differs from the one remembered (a changed key is never trusted), or when
    // the file cannot be written.
    virtual bool trustServer(const QString &server, const QString &fingerprint) = 0;

    virtual quint32 lastError() const = 0;
    virtual ServerResponse lastResponse() const = 0;
    // The words of the library and the server for the last failure, one line: the server's reply
    // ("server reply 550 ..."), curl's error ("curl error 7 (...)") or libssh's message ("SFTP:
    // libssh: ..."). Empty when the call did not fail, or failed before it reached the library.
    virtual QString lastErrorDetail() const { return {}; }

    // Watches the calls that follow, on the thread that makes them: watch(done, total) is told
    // the bytes moved so far while a call talks to the server (at least once a second, also
    // while it waits), and the call ends with OperationCancelled soon after watch returns false.
    // An empty function watches nothing. A library without transfers of its own ignores it.
    using TransferWatch = std::function<bool(qint64 done, qint64 total)>;
    virtual void setTransferWatch(TransferWatch watch) { Q_UNUSED(watch); }
    // Called from another thread: the call under way, and every later one, ends at once with
    // OperationCancelled, also while the server keeps it waiting.
    virtual void abort() { }
};

} // namespace Feedsmith
