// Publishing the RSS file by FTP, FTPS or SFTP: the upload click, the remote listing and
// directory change, the question whether to trust a server's certificate or host key, and the
// report of Internet errors. Used by the window's upload button and by feedsmith-cli.
#pragma once

#include "core/document/feeddocument.h"
#include "core/document/media.h"
#include "core/locale/keyedtexts.h"
#include "net/internet.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Feedsmith {

// A question a publication cannot go on without.
struct FtpQuestion
{
    enum class Kind {
        TrustServer, // the server's certificate or host key is not known yet: trust it from now on?
        MakeFolder, // the remote folder does not exist: make it, and publish there?
    };
    Kind kind = Kind::TrustServer;
    QString text; // the question, in the user's language
    QString server; // the server field, trimmed
    QString subject; // the fingerprint, or the folder
    // An answer given to a question is the answer to the same question asked again.
    bool operator==(const FtpQuestion &other) const
    {
        return kind == other.kind && server == other.server && subject == other.subject;
    }
};

// Where the publisher's messages go: message boxes in the window, standard error in the CLI.
class FtpMessages
{
public:
    enum class Icon { None, Exclamation, Critical, Information };

    virtual ~FtpMessages() = default;
    // A message with an OK button, titled with the product name.
    virtual void show(Icon icon, const QString &text) = 0;
    // The answer to a question, given at once: Yes or No, or nothing when no answer is at hand.
    // Nobody is waited for: without an answer the publication stops (Outcome::NeedsAnswer, the
    // question in pendingQuestion()), and whoever can ask a person asks and starts it again,
    // the answer at hand then. Without a person to ask, No.
    virtual std::optional<bool> answer(const FtpQuestion &question)
    {
        Q_UNUSED(question);
        return false;
    }
    // The server was not trusted (the answer was No), so the publication stopped: text says
    // so. The command line, which asks nobody, tells instead how to trust the server.
    virtual void serverNotTrusted(const QString &text, const QString &server, const QString &fingerprint)
    {
        Q_UNUSED(server);
        Q_UNUSED(fingerprint);
        show(Icon::Critical, text);
    }
    // A file beside the feed was stored on the server: its remote name (in its folder) and the
    // local file it came from.
    virtual void uploaded(const QString &remoteName, const QString &localPath)
    {
        Q_UNUSED(remoteName);
        Q_UNUSED(localPath);
    }
    // A publication failed: what happened and what to do in plain words, and the technical
    // detail (what was being done, the server's reply, curl's or libssh's words) for whoever
    // wants it.
    virtual void showFailure(const QString &text, const QString &details)
    {
        show(Icon::Critical, text + QStringLiteral("\r\n\r\n") + details);
    }
};

// The language texts the publisher shows.
struct FtpTexts
{
    QString uploadready;
    QString missingpassword;
    // The questions and the warning about a server's certificate or host key: %1 is the server
    // field, %2 the fingerprint.
    QString trustcertificate;
    QString trusthostkey;
    QString serverkeychanged;
    // A server name the resolver does not know: %1 is the server field.
    QString hostnotfound = {};
    // The language's texts for what a publication tells in plain words (publishnoanswer, ...);
    // English without them.
    KeyedTexts table = {};
};

// The FTP connection state of the window and the steps of one upload click. A connection that
// is made but not used for an upload (the start directory was empty) is kept, so that the next
// click uploads over it; a successful upload closes it.
class FtpPublisher
{
public:
    // What one click achieved.
    enum class Outcome {
        NothingDone, // no server named, or the session could not be opened
        Connected, // connected and listed, nothing uploaded; the next click uploads
        Uploaded, // the file was stored
        Failed, // a failure was reported
        NeedsAnswer, // stopped at a question that had no answer yet (pendingQuestion()); nothing sent
    };

    FtpPublisher(Internet &internet, FtpMessages &messages, FtpTexts texts);
    ~FtpPublisher();
    FtpPublisher(const FtpPublisher &) = delete;
    FtpPublisher &operator=(const FtpPublisher &) = delete;

    // The upload button: session, connection and start listing when not connected, then the
    // change to the remote directory and the upload. The file stored is settings.ftpfile, or
    // localFile when one is given (a feed built elsewhere), under the name of ftpfile.
    Outcome upload(const FtpSettings &settings, const QString &localFile = {});
    // A publication: the click's steps for a feed just built (localFile), uploaded at the first
    // call whatever the remote folder holds (an empty one is no message), and its success an
    // information rather than a warning.
    // `beside`: files that readers fetch beside the feed, uploaded before it unless the server has
    // them already: listed with the size that settings.lastpublishedfiles records for them, and
    // the local file still of the checksum recorded. Every file goes up under a temporary name
    // (".NAME.part") and is renamed over the old one when complete; a failure or Cancel takes the
    // temporary file away again where the connection still allows, and the next publication
    // removes those of its files it finds.
    Outcome publishFile(const FtpSettings &settings, const QString &localFile, const QList<PublishedFile> &beside = {});
    // After a publication that uploaded the feed: what to keep as lastpublishedfiles (the old
    // value when it had no files beside the feed).
    const QString &publishedFiles() const { return m_publishedFiles; }
    // The question the last click stopped at (Outcome::NeedsAnswer).
    const std::optional<FtpQuestion> &pendingQuestion() const { return m_question; }
    // The temporary name a file is uploaded under.
    static QString temporaryName(const QString &remoteName) { return u'.' + remoteName + QStringLiteral(".part"); }

    // Lists the current remote directory (after changing to name when that is not empty).
    void listRemoteDirectory(const QString &name);
    void clearRemoteListing();
    // Changes the connection's remote directory; name may start with the server name.
    void changeRemoteDirectory(const QString &name);
    // Reports a failed call and, unless the login was refused, resets the connection.
    void reportError(quint32 error, const QString &call);

    // The directory changeRemoteDirectory enters for name: name without a leading server name,
    // "/" when nothing is left.
    static QString remoteDirectoryPath(const QString &name, const QString &serverName);
    // The name a local file is stored under: the text after its last "/" or "\".
    static QString remoteFileName(const QString &localPath);

    // What is wrong with the settings before anything is written or sent, one sentence; empty
    // when nothing is. These are the checks a click makes first, and feedsmith-cli publish
    // makes before it writes the RSS file.
    // The server field: "host" or "host:port", with "ftps://" or "sftp://" in front or nothing,
    // no other scheme, user name or path, and a port from 1 to 65535.
    static QString serverFieldProblem(const QString &server);
    // The name the local file would be stored under: not empty, not "." or "..", no control
    // characters, nothing that turns the direction of text or breaks its line. Nothing to say
    // about an empty local path (the click asks for a file).
    static QString remoteFileNameProblem(const QString &localPath);
    // The login: with a user name, a password is needed; neither may hold a control character.
    static QString loginProblem(const QString &userName, const QString &password);
    // The server field (when one is given), a user name for SFTP, and the remote file name.
    static QString settingsProblem(const FtpSettings &settings);
    // Whether two fingerprints are the same, however they are written: hex pairs with or without
    // colons in any case, "SHA256:" and base64 exactly.
    static bool sameFingerprint(const QString &a, const QString &b);
    // Whether the last publishFile was cancelled through the Internet library's transfer watch.
    bool wasCancelled() const { return m_failure.error == InternetError::OperationCancelled; }
    // A short cause for an error code, shown after its number; empty for a code without one.
    static QString errorCause(quint32 error);

    bool isConnected() const { return m_ftpConnected; }
    InternetHandle sessionHandle() const { return m_ftpSessionHandle; }
    InternetHandle connectionHandle() const { return m_ftpConnectionHandle; }
    const QStringList &remoteNames() const { return m_remoteNames; }
    const QList<quint32> &remoteAttributes() const { return m_remoteAttributes; }
    // The server name changeRemoteDirectory strips (the server field of the last click).
    void setServerName(const QString &serverName) { m_serverName = serverName; }

    static const QString PleaseSelectLocalFile;
    static const QString DirectoryEmpty;
    static const QString PleaseEnterDirectory;
    static const QString ClosingConnection;

private:
    // The connection for the settings: after a question whether to trust the server when its
    // certificate or host key is not known yet. 0 when there is none (reported).
    InternetHandle connect(const FtpSettings &settings);
    void closeHandles();

    Internet &m_internet;
    FtpMessages &m_messages;
    FtpTexts m_texts;

    InternetHandle m_ftpSessionHandle = 0;
    InternetHandle m_ftpConnectionHandle = 0;
    bool m_ftpConnected = false;
    QStringList m_remoteNames;
    QList<quint32> m_remoteAttributes;
    QString m_serverName;
    bool m_failureReported = false; // during a click
    std::optional<FtpQuestion> m_question; // the question the click stopped at
    // The answer to a question; nothing (and the click stops, the connection closed) when the
    // messages have none at hand.
    std::optional<bool> answer(FtpQuestion question);
    bool m_publishing = false; // during publishFile
    // The failure of a publication, told at its end in plain words.
    struct Failure
    {
        QString call;
        quint32 error = InternetError::None;
        ServerResponse response;
        QString detail; // the library's words
        QString doing; // what the publication was doing, for the details
        QString file; // the file refused, in its remote folder
        QString fingerprint; // of a server whose key changed
    };
    Failure m_failure;
    QString m_doing; // during publishFile
    QList<PublishedFile> m_beside; // during publishFile
    QString m_recordKey; // during publishFile: where the record's paths start
    QString m_publishedFiles;
    QString m_pendingRecord; // what m_publishedFiles becomes when the feed is stored
    // The warning about a server whose certificate or host key changed.
    QString serverKeyChanged(const QString &server, const QString &fingerprint) const;
    // The failure of the call just made, with what the publication was doing.
    Failure failed(const QString &call, quint32 error) const;
    // Ends the publication with the failure, closing the connection.
    void reportFailure(const Failure &failure);
    // Uploads m_beside into the current directory and its folders; false when a failure was
    // reported.
    bool uploadBeside(const FtpSettings &settings);
    // A publication's change into its remote folder, which is offered to be made when the server
    // does not have it; a failure is reported.
    void enterOrMakeDirectory(const QString &name, const FtpSettings &settings);
    // A publication's upload of one file: under its temporary name into `folder` (empty: the
    // current directory), then renamed over the old one. A failure is reported, after the
    // temporary file has been taken away where the connection allows.
    bool putReplacing(const QString &localFile, const QString &folder, const QString &remoteName);
    // The failure in plain words and its technical detail.
    QString plainFailure(const FtpSettings &settings) const;
    QString failureDetails() const;
};

} // namespace Feedsmith
