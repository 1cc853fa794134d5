// Publishing the RSS file by FTP.
#include "net/ftppublisher.h"

#include "core/document/uploadrecord.h"
#include "core/text/printable.h"

#include <feedsmith/version.h>

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

const QString FtpPublisher::PleaseSelectLocalFile = u"Please select a local file to put"_s;
const QString FtpPublisher::DirectoryEmpty = u"This directory is empty!"_s;
const QString FtpPublisher::PleaseEnterDirectory = u"Please enter the directory to CD"_s;
const QString FtpPublisher::ClosingConnection = u"Closing Connection and Session..."_s;

FtpPublisher::FtpPublisher(Internet &internet, FtpMessages &messages, FtpTexts texts)
    : m_internet(internet)
    , m_messages(messages)
    , m_texts(std::move(texts))
{ }

FtpPublisher::~FtpPublisher()
{
    closeHandles();
}

FtpPublisher::Outcome FtpPublisher::upload(const FtpSettings &settings, const QString &localFile)
{
    m_failureReported = false;
    m_question.reset();
    m_serverName = settings.ftpurl;
    auto outcome = [this] {
        if (m_question)
            return Outcome::NeedsAnswer;
        if (m_failureReported)
            return Outcome::Failed;
        return m_ftpConnected ? Outcome::Connected : Outcome::NothingDone;
    };

    // A new session for every click. The earlier one is closed first; a connection made under
    // it stays usable.
    if (m_ftpSessionHandle != 0)
        m_internet.closeHandle(m_ftpSessionHandle);
    m_ftpSessionHandle = m_internet.openSession(
            QString::fromLatin1(Version::ProductName) + u'/' + QString::fromLatin1(Version::Text), settings.ftpproxy);
    if (m_ftpSessionHandle == 0)
        reportError(m_internet.lastError(), u"InternetOpen"_s);

    if (!m_ftpConnected && m_ftpSessionHandle != 0) {
        if (settings.ftpurl.isEmpty())
            return outcome();
        // Nothing is sent to a server that the settings would only fail at.
        QString problem = settingsProblem(settings);
        if (problem.isEmpty())
            problem = loginProblem(settings.ftpusername, settings.ftppassword);
        if (!problem.isEmpty()) {
            m_messages.show(FtpMessages::Icon::Critical, problem);
            return Outcome::Failed;
        }
        m_ftpConnectionHandle = connect(settings);
        if (m_ftpConnectionHandle != 0) {
            m_ftpConnected = true;
            m_doing = u"listing the login folder"_s;
            listRemoteDirectory(QString());
            // An empty start directory has been reported; the connection waits for the next click.
            if (m_remoteNames.isEmpty() && !m_publishing)
                return outcome();
        } else if (!m_failureReported && !m_question) {
            m_ftpConnected = false;
            reportError(m_internet.lastError(), u"InternetConnect"_s);
        }
    }

    if (!m_ftpConnected)
        return outcome();
    if (settings.ftpfile.isEmpty()) {
        m_messages.show(FtpMessages::Icon::None, PleaseSelectLocalFile);
        return Outcome::Failed;
    }
    if (const QString problem = remoteFileNameProblem(settings.ftpfile); !problem.isEmpty()) {
        m_messages.show(FtpMessages::Icon::Critical, problem);
        return Outcome::Failed;
    }
    const QString remoteDirectory = settings.ftpdir.isEmpty() ? u"/"_s : settings.ftpdir;
    const QString remoteName = remoteFileName(settings.ftpfile);
    if (m_publishing)
        enterOrMakeDirectory(remoteDirectory, settings);
    else
        changeRemoteDirectory(remoteDirectory);
    // A publication stops at the folder it cannot enter, or at the question whether to make it.
    if (m_publishing && (m_failureReported || m_question))
        return outcome();
    if (m_publishing && !uploadBeside(settings))
        return Outcome::Failed;
    const QString source = localFile.isEmpty() ? settings.ftpfile : localFile;
    if (m_publishing ? putReplacing(source, {}, remoteName)
                     : m_internet.putFile(m_ftpConnectionHandle, source, remoteName)) {
        if (m_ftpConnectionHandle != 0)
            m_internet.closeHandle(m_ftpConnectionHandle);
        m_ftpConnectionHandle = 0;
        clearRemoteListing();
        m_ftpConnected = false;
        m_messages.show(m_publishing ? FtpMessages::Icon::Information : FtpMessages::Icon::Exclamation,
                        m_texts.uploadready);
        return Outcome::Uploaded;
    }
    // A publication's failed upload has been reported already.
    if (!m_publishing)
        reportError(m_internet.lastError(), u"FtpPutFile"_s);
    return Outcome::Failed;
}

bool FtpPublisher::putReplacing(const QString &localFile, const QString &folder, const QString &remoteName)
{
    // Stored under a name of its own first, so that a cancelled or broken upload leaves the
    // server's file as it was; the rename replaces it in one step.
    const QString shown = folder.isEmpty() ? remoteName : folder + u'/' + remoteName;
    const QString temporary = temporaryName(remoteName);
    m_doing = u"storing "_s + shown;
    if (m_internet.putFileReplacing(m_ftpConnectionHandle, localFile, folder, temporary, remoteName))
        return true;
    Failure failure = failed(u"FtpPutFile"_s, m_internet.lastError());
    failure.file = shown;
    if (failure.error == InternetError::RenameRefused)
        failure.doing =
                u"renaming "_s + (folder.isEmpty() ? temporary : folder + u'/' + temporary) + u" to "_s + remoteName;
    // What never reached the server leaves nothing there; anything else may have left a piece.
    switch (failure.error) {
    case InternetError::FileNotFound:
    case InternetError::AccessDenied:
    case InternetError::LocalFileNotPlain:
    case InternetError::InvalidName:
    case InternetError::InvalidHandle: break;
    default: m_internet.removeFile(m_ftpConnectionHandle, folder, temporary); break;
    }
    reportFailure(failure);
    return false;
}

bool FtpPublisher::uploadBeside(const FtpSettings &settings)
{
    if (m_beside.isEmpty())
        return true;
    const UploadRecord before = UploadRecord::fromText(settings.lastpublishedfiles);
    UploadRecord after;
    const auto recordPath = [this](const PublishedFile &file) {
        return m_recordKey + (file.folder.isEmpty() ? QString() : file.folder + u'/') + file.name;
    };
    const auto listed = [](const RemoteListing &listing, const QString &name, qint64 size) {
        return std::any_of(listing.entries.begin(), listing.entries.end(), [&](const RemoteEntry &entry) {
            return entry.name == name && entry.attributes != RemoteAttribute::Directory
                    && (size < 0 || entry.size == size);
        });
    };
    // The temporary files an earlier publication could not take away.
    const auto removeLeftovers = [&](const RemoteListing &listing, const QString &folder) {
        for (const PublishedFile &file : std::as_const(m_beside)) {
            if (file.folder == folder && listed(listing, temporaryName(file.name), -1))
                m_internet.removeFile(m_ftpConnectionHandle, folder, temporaryName(file.name));
        }
    };
    // A file the server lists with the size recorded, whose local file still has the checksum
    // recorded, is the one uploaded then; any other is uploaded.
    const auto uploadFile = [&](const RemoteListing &listing, const PublishedFile &file) {
        const QByteArray checksum = UploadRecord::fileChecksum(file.localPath);
        const std::optional<UploadRecord::File> recorded = before.find(recordPath(file));
        if (!checksum.isEmpty() && recorded && *recorded == UploadRecord::File{file.size, checksum}
            && listed(listing, file.name, file.size)) {
            after.set(recordPath(file), *recorded);
            return true;
        }
        if (!putReplacing(file.localPath, file.folder, file.name))
            return false;
        m_messages.uploaded(file.folder.isEmpty() ? file.name : file.folder + u'/' + file.name, file.localPath);
        after.set(recordPath(file), {file.size, checksum});
        return true;
    };
    m_doing = u"listing the folder "_s + remoteDirectoryPath(settings.ftpdir, m_serverName);
    const RemoteListing here = m_internet.listDirectory(m_ftpConnectionHandle);
    removeLeftovers(here, {});
    bool pictures = false;
    for (const PublishedFile &file : std::as_const(m_beside)) {
        pictures = pictures || !file.folder.isEmpty();
        if (file.folder.isEmpty() && !uploadFile(here, file))
            return false;
    }
    if (pictures) {
        // What the media folder holds already; a missing folder is made by the first upload.
        RemoteListing media;
        const bool folderThere = std::any_of(here.entries.begin(), here.entries.end(), [](const RemoteEntry &entry) {
            return entry.name == MediaFolder && entry.attributes == RemoteAttribute::Directory;
        });
        if (folderThere && m_internet.setCurrentDirectory(m_ftpConnectionHandle, MediaFolder)) {
            media = m_internet.listDirectory(m_ftpConnectionHandle);
            m_doing = u"leaving the folder "_s + MediaFolder;
            if (!m_internet.setCurrentDirectory(m_ftpConnectionHandle, u".."_s)) {
                reportError(m_internet.lastError(), u"rcd"_s);
                return false;
            }
            removeLeftovers(media, MediaFolder);
        }
        for (const PublishedFile &file : std::as_const(m_beside)) {
            if (!file.folder.isEmpty() && !uploadFile(media, file))
                return false;
        }
    }
    m_pendingRecord = after.toText();
    return true;
}

FtpPublisher::Outcome FtpPublisher::publishFile(const FtpSettings &settings, const QString &localFile,
                                                const QList<PublishedFile> &beside)
{
    m_publishing = true;
    m_failure = {};
    m_doing.clear();
    m_beside = beside;
    // The record names each file by the server, the remote folder and its path there.
    QString folder = remoteDirectoryPath(settings.ftpdir.isEmpty() ? u"/"_s : settings.ftpdir, settings.ftpurl);
    while (folder.endsWith(u'/'))
        folder.chop(1);
    m_recordKey = settings.ftpurl.trimmed() + (folder.startsWith(u'/') ? folder : u'/' + folder) + u'/';
    m_pendingRecord = settings.lastpublishedfiles;
    m_publishedFiles = settings.lastpublishedfiles;
    const Outcome outcome = upload(settings, localFile);
    m_publishing = false;
    m_beside.clear();
    if (outcome == Outcome::Uploaded)
        m_publishedFiles = m_pendingRecord;
    if (!m_failure.call.isEmpty()) {
        if (wasCancelled())
            m_messages.show(FtpMessages::Icon::Information, plainFailure(settings));
        else
            m_messages.showFailure(plainFailure(settings), failureDetails());
    }
    return outcome;
}

std::optional<bool> FtpPublisher::answer(FtpQuestion question)
{
    const std::optional<bool> given = m_messages.answer(question);
    if (!given) {
        // Nothing is sent while the question waits for a person: the connection goes, and the
        // click starts from the beginning once it has been answered.
        m_question = std::move(question);
        closeHandles();
        m_ftpConnected = false;
        clearRemoteListing();
    }
    return given;
}

FtpPublisher::Failure FtpPublisher::failed(const QString &call, quint32 error) const
{
    return Failure{call, error, m_internet.lastResponse(), m_internet.lastErrorDetail(), m_doing, {}, {}};
}

void FtpPublisher::reportFailure(const Failure &failure)
{
    m_failureReported = true;
    m_failure = failure;
    closeHandles();
    m_ftpConnected = false;
    clearRemoteListing();
}

InternetHandle FtpPublisher::connect(const FtpSettings &settings)
{
    const QString &server = settings.ftpurl;
    m_doing = u"connecting to "_s + server.trimmed()
            + (settings.ftpusername.isEmpty() ? QString() : u" as "_s + settings.ftpusername);
    InternetHandle handle =
            m_internet.connectFtp(m_ftpSessionHandle, server, settings.ftpusername, settings.ftppassword);
    const quint32 error = m_internet.lastError();
    const QString fingerprint = m_internet.serverFingerprint();
    if (handle != 0 || fingerprint.isEmpty()
        || (error != InternetError::ServerNotTrusted && error != InternetError::ServerKeyChanged))
        return handle;
    const bool ssh = server.trimmed().startsWith("sftp://"_L1, Qt::CaseInsensitive);
    // A key that changed is never simply taken: it may be someone else's. One message says so.
    if (error == InternetError::ServerKeyChanged) {
        if (m_publishing) {
            Failure failure = failed(u"InternetConnect"_s, error);
            failure.fingerprint = fingerprint;
            reportFailure(failure);
        } else {
            m_messages.show(FtpMessages::Icon::Critical, serverKeyChanged(server, fingerprint));
            m_failureReported = true;
            closeHandles();
            m_ftpConnected = false;
        }
        return 0;
    }
    const QString &question = ssh ? m_texts.trusthostkey : m_texts.trustcertificate;
    const std::optional<bool> trusted = answer(
            {FtpQuestion::Kind::TrustServer, question.arg(server.trimmed(), fingerprint), server.trimmed(), fingerprint});
    if (!trusted)
        return 0;
    if (!*trusted) {
        // The user's own choice: nothing went wrong that details could tell.
        const QString text = ssh
                ? m_texts.table.valueOr(u"publishhostkeynottrusted"_s,
                                        u"The publication was stopped: the host key of %1 was not trusted. "
                                        "Nothing was sent."_s)
                : m_texts.table.valueOr(u"publishcertnottrusted"_s,
                                        u"The publication was stopped: the certificate of %1 was not trusted. "
                                        "Nothing was sent."_s);
        m_messages.serverNotTrusted(text.arg(printable(server.trimmed())), server.trimmed(), fingerprint);
        m_failureReported = true;
        closeHandles();
        m_ftpConnected = false;
        return 0;
    }
    if (!m_internet.trustServer(server, fingerprint)) {
        m_messages.show(FtpMessages::Icon::Critical,
                        (ssh ? u"~/.ssh/known_hosts"_s : u"~/.config/Feedsmith/trusted-certificates"_s)
                                + u" cannot be written: the server is not remembered and nothing was sent."_s);
        m_failureReported = true;
        closeHandles();
        return 0;
    }
    // The server may show another key this time: then it is asked about again, next click.
    handle = m_internet.connectFtp(m_ftpSessionHandle, server, settings.ftpusername, settings.ftppassword);
    return handle;
}

QString FtpPublisher::serverKeyChanged(const QString &server, const QString &fingerprint) const
{
    const QString text = m_texts.serverkeychanged.isEmpty()
            ? u"Warning: the server %1 shows another certificate or host key (fingerprint %2) than the one "
              "remembered for it. Nothing has been sent."_s
            : m_texts.serverkeychanged;
    return text.arg(server.trimmed(), fingerprint);
}

void FtpPublisher::listRemoteDirectory(const QString &name)
{
    clearRemoteListing();
    if (!name.isEmpty())
        changeRemoteDirectory(name);
    const RemoteListing listing = m_internet.listDirectory(m_ftpConnectionHandle);
    if (!listing.entries.isEmpty()) {
        for (const RemoteEntry &entry : listing.entries) {
            m_remoteAttributes.append(entry.attributes);
            m_remoteNames.append(entry.name);
        }
        if (listing.error != InternetError::None && listing.error != InternetError::NoMoreFiles)
            reportError(listing.error, u"InternetFindNextFile"_s);
    } else if (listing.error == InternetError::NoMoreFiles) {
        if (!m_publishing)
            m_messages.show(FtpMessages::Icon::None, DirectoryEmpty);
    } else {
        reportError(listing.error, u"FtpFindFirstFile"_s);
    }
}

void FtpPublisher::clearRemoteListing()
{
    m_remoteNames.clear();
    m_remoteAttributes.clear();
}

void FtpPublisher::enterOrMakeDirectory(const QString &name, const FtpSettings &settings)
{
    const QString path = remoteDirectoryPath(name, m_serverName);
    m_doing = u"entering the folder "_s + path;
    if (m_internet.setCurrentDirectory(m_ftpConnectionHandle, path))
        return;
    // A folder the server does not know is offered to be made.
    const quint32 error = m_internet.lastError();
    if (error == InternetError::ExtendedError && path != "/"_L1) {
        const QString question =
                m_texts.table
                        .valueOr(u"publishmakefolder"_s,
                                 u"The folder %1 does not exist on the server %2. Make it, and publish there?"_s)
                        .arg(printable(path), printable(settings.ftpurl));
        const std::optional<bool> make =
                answer({FtpQuestion::Kind::MakeFolder, question, settings.ftpurl.trimmed(), path});
        if (!make)
            return; // the click stops until it is answered
        if (*make) {
            m_doing = u"making the folder "_s + path;
            if (m_internet.makeDirectories(m_ftpConnectionHandle, path)
                && m_internet.setCurrentDirectory(m_ftpConnectionHandle, path))
                return;
            reportError(m_internet.lastError(), u"FtpCreateDirectory"_s);
            return;
        }
    }
    reportError(error, u"rcd"_s);
}

void FtpPublisher::changeRemoteDirectory(const QString &name)
{
    if (name.isEmpty()) {
        m_messages.show(FtpMessages::Icon::None, PleaseEnterDirectory);
        return;
    }
    if (!m_internet.setCurrentDirectory(m_ftpConnectionHandle, remoteDirectoryPath(name, m_serverName)))
        reportError(m_internet.lastError(), u"rcd"_s);
}

void FtpPublisher::reportError(quint32 error, const QString &call)
{
    m_failureReported = true;
    if (m_publishing) {
        // Told once, at the end of the publication, in plain words.
        reportFailure(failed(call, error));
        return;
    }
    if (error == InternetError::ExtendedError) {
        // The server's words are its own: escape sequences and line breaks in them are shown
        // as "?", so that they can neither act on a terminal nor pass for a line of ours.
        const ServerResponse response = m_internet.lastResponse();
        m_messages.show(FtpMessages::Icon::None,
                        call + u" Extd Err: "_s + QString::number(response.code) + u' '
                                + printable(response.text));
    }
    if (error == InternetError::IncorrectPassword) {
        // The user corrects the password and clicks again; nothing is closed.
        m_messages.show(FtpMessages::Icon::Critical, m_texts.missingpassword);
        return;
    }
    if (error == InternetError::NameNotResolved) {
        // Said in plain words: before, an unknown server ended the click without a word.
        const QString text = m_texts.hostnotfound.isEmpty()
                ? u"The server %1 cannot be found. Check the server name on the publishing page and the "
                  "Internet connection."_s
                : m_texts.hostnotfound;
        m_messages.show(FtpMessages::Icon::Critical, text.arg(printable(m_serverName)));
    } else {
        const QString cause = errorCause(error);
        m_messages.show(FtpMessages::Icon::None,
                        call + u" Err: "_s + QString::number(error)
                                + (cause.isEmpty() ? QString() : u" ("_s + cause + u')') + u"\r\n"_s
                                + ClosingConnection);
    }
    closeHandles();
    m_ftpConnected = false;
    clearRemoteListing();
}

void FtpPublisher::closeHandles()
{
    if (m_ftpConnectionHandle != 0)
        m_internet.closeHandle(m_ftpConnectionHandle);
    if (m_ftpSessionHandle != 0)
        m_internet.closeHandle(m_ftpSessionHandle);
    m_ftpConnectionHandle = 0;
    m_ftpSessionHandle = 0;
}

QString FtpPublisher::remoteDirectoryPath(const QString &name, const QString &serverName)
{
    // Only a leading server name is taken off: a directory that merely mentions the server
    // ("/www/example.org/feeds") is entered as written.
    QString path = !serverName.isEmpty() && name.startsWith(serverName) ? name.mid(serverName.size()) : name;
    if (path.isEmpty())
        path = u"/"_s;
    return path;
}

QString FtpPublisher::remoteFileName(const QString &localPath)
{
    const qsizetype last = std::max(localPath.lastIndexOf(u'/'), localPath.lastIndexOf(u'\\'));
    return localPath.mid(last + 1);
}

QString FtpPublisher::serverFieldProblem(const QString &server)
{
    QString text = server.trimmed();
    const QString quoted = u'"' + printable(server) + u'"';
    auto problem = [&quoted](const QString &what) {
        return u"The server field "_s + quoted + u" is not a server: "_s + what;
    };
    if (text.isEmpty())
        return u"No FTP server is named: the server field is empty."_s;
    if (hasControlCharacters(text))
        return problem(u"it holds a control character."_s);
    static const QRegularExpression scheme(u"\\A[A-Za-z][A-Za-z0-9+.-]*://"_s);
    if (const auto match = scheme.match(text); match.hasMatch()) {
        const QString name = match.captured().toLower();
        if (name != "ftps://"_L1 && name != "sftp://"_L1)
            return problem(u"write the host name without \"%1\" in front (or with \"ftps://\" or \"sftp://\" for a "
                           "secure connection)."_s.arg(match.captured()));
        text = text.mid(match.capturedLength());
        if (text.isEmpty())
            return problem(u"the host name after \"%1\" is missing."_s.arg(match.captured()));
    }
    if (text.contains(u'@'))
        return problem(u"it holds a user name; write the host name alone and the user name in its own field."_s);
    if (text.contains(u'/') || text.contains(u'\\'))
        return problem(u"it holds a path; write the host name alone and the folder in the directory field."_s);
    for (const QChar c : text) {
        if (c.isSpace())
            return problem(u"it holds a blank."_s);
    }

    QString host = text;
    QString port;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0)
            return problem(u"the IPv6 address has no closing \"]\"."_s);
        host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return problem(u"only \":port\" may follow the IPv6 address."_s);
        if (!rest.isEmpty())
            port = rest.mid(1);
        if (rest == ":"_L1)
            return problem(u"the port after \":\" is missing."_s);
    } else if (text.count(u':') > 1) {
        return problem(u"an IPv6 address is written in brackets, as [2001:db8::1]:21."_s);
    } else if (const qsizetype colon = text.indexOf(u':'); colon >= 0) {
        host = text.left(colon);
        port = text.mid(colon + 1);
        if (port.isEmpty())
            return problem(u"the port after \":\" is missing."_s);
    }
    if (host.isEmpty())
        return problem(u"the host name is missing."_s);
    if (!port.isEmpty()) {
        bool digits = true;
        for (const QChar c : port)
            digits = digits && c >= u'0' && c <= u'9';
        if (!digits)
            return problem(u"the port \"%1\" is not a number."_s.arg(port));
        const qlonglong number = port.size() > 6 ? 1000000 : port.toLongLong();
        if (number < 1 || number > 65535)
            return problem(u"the port %1 is out of range; ports go from 1 to 65535."_s.arg(port));
    }
    QUrl url;
    url.setScheme(u"ftp"_s);
    url.setHost(text.startsWith(u'[') ? u'[' + host + u']' : host, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return problem(u"\"%1\" is not a valid host name or address."_s.arg(host));
    return {};
}

QString FtpPublisher::remoteFileNameProblem(const QString &localPath)
{
    if (localPath.isEmpty())
        return {};
    const QString name = remoteFileName(localPath);
    const QString quoted = u'"' + printable(localPath) + u'"';
    if (name.isEmpty())
        return u"The local file "_s + quoted + u" ends in a separator: the file on the server would have no name."_s;
    if (name == "."_L1 || name == ".."_L1)
        return u"The local file "_s + quoted + u" ends in \""_s + name
                + u"\": that names a folder, not a file to store on the server."_s;
    if (hasControlCharacters(name))
        return u"The local file "_s + quoted + u" has a control character in its name, which no server can store."_s;
    if (hasLayoutCharacters(name))
        return u"The local file "_s + quoted
                + u" has a character in its name that turns the direction of text or breaks its line (such as "
                  "U+202E): the name would read as another one on the server."_s;
    return {};
}

QString FtpPublisher::loginProblem(const QString &userName, const QString &password)
{
    if (hasControlCharacters(userName))
        return u"The user name holds a control character (a line break, for instance); FTP cannot send it."_s;
    if (hasControlCharacters(password))
        return u"The password holds a control character (a line break, for instance); FTP cannot send it."_s;
    if (!userName.isEmpty() && password.isEmpty())
        return u"No password is given for the user name \""_s + userName + u"\"."_s;
    return {};
}

QString FtpPublisher::settingsProblem(const FtpSettings &settings)
{
    if (!settings.ftpurl.isEmpty()) {
        if (QString problem = serverFieldProblem(settings.ftpurl); !problem.isEmpty())
            return problem;
        if (settings.ftpusername.isEmpty() && settings.ftpurl.trimmed().startsWith("sftp://"_L1, Qt::CaseInsensitive))
            return u"An SFTP server needs a user name: fill in the user name field."_s;
    }
    return remoteFileNameProblem(settings.ftpfile);
}

bool FtpPublisher::sameFingerprint(const QString &a, const QString &b)
{
    auto normal = [](QString text) {
        text = text.trimmed();
        if (text.startsWith("SHA256:"_L1, Qt::CaseInsensitive))
            return u"SHA256:"_s + text.mid(7);
        return text.remove(u':').toUpper();
    };
    return !a.trimmed().isEmpty() && normal(a) == normal(b);
}

QString FtpPublisher::plainFailure(const FtpSettings &settings) const
{
    const KeyedTexts &t = m_texts.table;
    const QString server = printable(settings.ftpurl);
    const QString folder = printable(settings.ftpdir.isEmpty() ? u"/"_s : settings.ftpdir);
    const quint32 e = m_failure.error;
    const quint32 reply = m_failure.response.code;
    if (e == InternetError::OperationCancelled)
        return t.valueOr(u"publishcancelled"_s,
                         u"The publication was cancelled. The server keeps the feed it had before."_s);
    if (e == InternetError::NameNotResolved)
        return (m_texts.hostnotfound.isEmpty()
                        ? u"The server %1 cannot be found. Check the server name on the publishing page and the "
                          "Internet connection."_s
                        : m_texts.hostnotfound)
                .arg(server);
    if (e == InternetError::IncorrectPassword || reply == 530)
        return m_texts.missingpassword.isEmpty()
                ? u"The server refused the login. Check the user name and the password."_s
                : m_texts.missingpassword;
    if (m_failure.call == "rcd"_L1)
        return t.valueOr(u"publishnofolder"_s,
                         u"The folder %1 does not exist on the server %2, or may not be entered. Check the remote "
                         "folder on the publishing page, or create the folder on the server."_s)
                .arg(folder, server);
    switch (e) {
    case InternetError::CannotConnect:
    case InternetError::Timeout:
    case InternetError::DeadlinePassed:
        if (m_failure.call == "InternetConnect"_L1)
            return t.valueOr(u"publishnoanswer"_s,
                             u"The server %1 does not answer. Check the server name and its port, or try again "
                             "later."_s)
                    .arg(server);
        [[fallthrough]]; // a silence after the login is a connection that broke off
    case InternetError::ConnectionAborted:
        return t.valueOr(u"publishdropped"_s,
                         u"The connection to %1 broke off. The server keeps the feed it had before; publish "
                         "again."_s)
                .arg(server);
    case InternetError::SecureChannelError:
        return t.valueOr(u"publishsecure"_s,
                         u"No encrypted connection to %1 could be set up. Check whether the server offers FTPS "
                         "(ftps://) or SFTP (sftp://), and write the server name accordingly."_s)
                .arg(server);
    case InternetError::ServerKeyChanged: return serverKeyChanged(server, m_failure.fingerprint);
    case InternetError::ServerNotTrusted:
        return t.valueOr(u"publishuntrusted"_s,
                         u"The certificate or host key of %1 is not the one trusted, so nothing was sent. Ask the "
                         "server's provider whether it has changed."_s)
                .arg(server);
    default: break;
    }
    if (m_failure.call == "FtpPutFile"_L1 && (e == InternetError::ExtendedError || e == InternetError::RenameRefused)) {
        // The file refused, and the server's own reply (cut: it is the server's, however long).
        const QString file = printable(m_failure.file);
        const QString said =
                reply == 0 ? u"none"_s : QString::number(reply) + u' ' + printable(m_failure.response.text).left(200);
        if (e == InternetError::RenameRefused)
            return t.valueOr(u"publishrenamerefused"_s,
                             u"The server %1 received %2 but refused to put it in place of the old file (its reply: "
                             "%3). Readers still get the file they had; ask the server's provider whether files may "
                             "be renamed there."_s)
                    .arg(server, file, said);
        if (reply == 452 || reply == 552)
            return t.valueOr(u"publishnospace"_s,
                             u"The server %1 has no room left for %2 in the folder %3 (its reply: %4). The files "
                             "readers have stay as they were; make room on the server or ask its provider."_s)
                    .arg(server, file, folder, said);
        return t.valueOr(u"publishrefused"_s,
                         u"The server %1 refused to store %2 in the folder %3 (its reply: %4): the user may not "
                         "write there. The files readers have stay as they were; ask the server's provider."_s)
                .arg(server, file, folder, said);
    }
    return t.valueOr(u"publishfailed"_s, u"The feed could not be published to %1. The details say what went wrong."_s)
            .arg(server);
}

QString FtpPublisher::failureDetails() const
{
    // What the publication was doing, and what curl, libssh or the server said to it; this
    // program's own words where the failure is its own (a local file, a limit, a key).
    const quint32 e = m_failure.error;
    QString cause;
    switch (e) {
    case InternetError::FileNotFound:
    case InternetError::AccessDenied:
    case InternetError::LocalFileNotPlain:
    case InternetError::InvalidName:
    case InternetError::InvalidHandle:
    case InternetError::InvalidParameter:
    case InternetError::ListingTooLarge:
    case InternetError::KnownHostsUnusable:
    case InternetError::KnownHostsTooLarge:
    case InternetError::TrustedCertificatesUnusable:
    case InternetError::TrustedCertificatesTooLarge:
    case InternetError::ServerKeyChanged:
    case InternetError::ServerNotTrusted: cause = errorCause(e); break;
    default: cause = m_failure.detail.isEmpty() ? errorCause(e) : m_failure.detail; break;
    }
    QString details = printable(m_failure.doing.isEmpty() ? u"publishing"_s : m_failure.doing) + u": "_s
            + (cause.isEmpty() ? u"failed"_s : cause);
    if (!m_failure.fingerprint.isEmpty())
        details += u" (it shows the fingerprint "_s + printable(m_failure.fingerprint) + u')';
    if (e == InternetError::InvalidParameter && !m_failure.response.text.isEmpty())
        details += u": "_s + printable(m_failure.response.text);
    return details;
}

QString FtpPublisher::errorCause(quint32 error)
{
    switch (error) {
    case InternetError::FileNotFound: return u"the local file does not exist"_s;
    case InternetError::AccessDenied: return u"the local file cannot be read"_s;
    case InternetError::LocalFileNotPlain:
        return u"the local file is a link, a device, a pipe or a socket; only a regular file is uploaded"_s;
    case InternetError::InvalidHandle: return u"the connection is closed"_s;
    case InternetError::InvalidParameter: return u"the proxy field cannot be used"_s;
    case InternetError::ListingTooLarge: return u"the server's directory listing is larger than 1 MB"_s;
    case InternetError::InvalidName: return u"the name cannot be sent to a server"_s;
    case InternetError::DeadlinePassed: return u"the server took too long; the call was given up"_s;
    case InternetError::KnownHostsUnusable: return u"~/.ssh/known_hosts is not a regular file or cannot be read"_s;
    case InternetError::KnownHostsTooLarge: return u"~/.ssh/known_hosts is larger than 16 MB"_s;
    case InternetError::TrustedCertificatesUnusable:
        return u"~/.config/Feedsmith/trusted-certificates is not a regular file or cannot be read"_s;
    case InternetError::TrustedCertificatesTooLarge:
        return u"~/.config/Feedsmith/trusted-certificates is larger than 16 MB"_s;
    case InternetError::Timeout: return u"the server did not answer in time"_s;
    case InternetError::ExtendedError: return u"the server refused"_s;
    case InternetError::InternalError: return u"an error inside the Internet library"_s;
    case InternetError::CannotConnect: return u"nobody answers at the server's address"_s;
    case InternetError::ConnectionAborted: return u"the connection broke off"_s;
    case InternetError::ServerKeyChanged: return u"the server's certificate or host key has changed"_s;
    case InternetError::ServerNotTrusted: return u"the server's certificate or host key is not trusted"_s;
    case InternetError::SecureChannelError: return u"no encrypted connection could be set up"_s;
    case InternetError::OperationCancelled: return u"cancelled"_s;
    case InternetError::IncorrectPassword: return u"the server refused the user name or the password"_s;
    case InternetError::RenameRefused: return u"the server refused to rename the file into place"_s;
    default: return {};
    }
}

} // namespace Feedsmith
