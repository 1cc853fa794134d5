// Publishing the RSS file by FTP.
#include "ftp/ftppublisher.h"

#include <feedsmith/version.h>

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
{
}

FtpPublisher::~FtpPublisher()
{
    closeHandles();
}

FtpPublisher::Outcome FtpPublisher::ftpuploadClick(const FtpSettings &settings)
{
    m_failureReported = false;
    m_serverName = settings.ftpurl;
    auto outcome = [this] {
        if (m_failureReported)
            return Outcome::Failed;
        return m_ftpConnected ? Outcome::Connected : Outcome::NothingDone;
    };

    // A new session for every click. The earlier one is closed first; a connection made under
    // it stays usable.
    if (m_ftpSessionHandle != 0)
        m_internet.closeHandle(m_ftpSessionHandle);
    m_ftpSessionHandle = m_internet.openSession(QString::fromLatin1(Version::ProductName) + u'/'
                                                    + QString::fromLatin1(Version::Text),
                                                settings.ftpproxy);
    if (m_ftpSessionHandle == 0)
        ErrorOut(m_internet.lastError(), u"InternetOpen"_s);

    if (!m_ftpConnected && m_ftpSessionHandle != 0) {
        if (settings.ftpurl.isEmpty())
            return outcome();
        m_ftpConnectionHandle = m_internet.connectFtp(m_ftpSessionHandle, settings.ftpurl, settings.ftpusername,
                                                      settings.ftppassword);
        if (m_ftpConnectionHandle != 0) {
            m_ftpConnected = true;
            ListRemoteDirectory(QString());
            // An empty start directory has been reported; the connection waits for the next click.
            if (m_remoteNames.isEmpty())
                return outcome();
        } else {
            m_ftpConnected = false;
            ErrorOut(m_internet.lastError(), u"InternetConnect"_s);
        }
    }

    if (!m_ftpConnected)
        return outcome();
    if (settings.ftpfile.isEmpty()) {
        m_messages.show(FtpMessages::Icon::None, PleaseSelectLocalFile);
        return Outcome::Failed;
    }
    const QString remoteDirectory = settings.ftpdir.isEmpty() ? u"/"_s : settings.ftpdir;
    const QString remoteName = RemoteFileName(settings.ftpfile);
    ChangeRemoteDirectory(remoteDirectory);
    if (m_internet.putFile(m_ftpConnectionHandle, settings.ftpfile, remoteName)) {
        if (m_ftpConnectionHandle != 0)
            m_internet.closeHandle(m_ftpConnectionHandle);
        m_ftpConnectionHandle = 0;
        ClearRemoteListing();
        m_ftpConnected = false;
        m_messages.show(FtpMessages::Icon::Exclamation, m_texts.uploadready);
        return Outcome::Uploaded;
    }
    ErrorOut(m_internet.lastError(), u"FtpPutFile"_s);
    return Outcome::Failed;
}

void FtpPublisher::ListRemoteDirectory(const QString &name)
{
    ClearRemoteListing();
    if (!name.isEmpty())
        ChangeRemoteDirectory(name);
    const RemoteListing listing = m_internet.listDirectory(m_ftpConnectionHandle);
    if (!listing.entries.isEmpty()) {
        for (const RemoteEntry &entry : listing.entries) {
            m_remoteAttributes.append(entry.attributes);
            m_remoteNames.append(entry.name);
        }
        if (listing.error != InternetError::None && listing.error != InternetError::NoMoreFiles)
            ErrorOut(listing.error, u"InternetFindNextFile"_s);
    } else if (listing.error == InternetError::NoMoreFiles) {
        m_messages.show(FtpMessages::Icon::None, DirectoryEmpty);
    } else {
        ErrorOut(listing.error, u"FtpFindFirstFile"_s);
    }
}

void FtpPublisher::ClearRemoteListing()
{
    m_remoteNames.clear();
    m_remoteAttributes.clear();
}

void FtpPublisher::ChangeRemoteDirectory(const QString &name)
{
    if (name.isEmpty()) {
        m_messages.show(FtpMessages::Icon::None, PleaseEnterDirectory);
        return;
    }
    if (!m_internet.setCurrentDirectory(m_ftpConnectionHandle, RemoteDirectoryPath(name, m_serverName)))
        ErrorOut(m_internet.lastError(), u"rcd"_s);
}

void FtpPublisher::ErrorOut(quint32 dError, const QString &szCallFunction)
{
    m_failureReported = true;
    if (dError == InternetError::ExtendedError) {
        const ServerResponse response = m_internet.lastResponse();
        m_messages.show(FtpMessages::Icon::None, szCallFunction + u" Extd Err: "_s + QString::number(response.code)
                                                     + u' ' + response.text);
    }
    if (dError == InternetError::IncorrectPassword) {
        // The user corrects the password and clicks again; nothing is closed.
        m_messages.show(FtpMessages::Icon::Critical, m_texts.missingpassword);
        return;
    }
    if (dError != InternetError::NameNotResolved) {
        m_messages.show(FtpMessages::Icon::None,
                        szCallFunction + u" Err: "_s + QString::number(dError) + u"\r\n"_s + ClosingConnection);
    }
    closeHandles();
    m_ftpConnected = false;
    ClearRemoteListing();
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

QString FtpPublisher::RemoteDirectoryPath(const QString &name, const QString &serverName)
{
    // Only a leading server name is taken off: a directory that merely mentions the server
    // ("/www/example.org/feeds") is entered as written.
    QString path = !serverName.isEmpty() && name.startsWith(serverName) ? name.mid(serverName.size()) : name;
    if (path.isEmpty())
        path = u"/"_s;
    return path;
}

QString FtpPublisher::RemoteFileName(const QString &localPath)
{
    const qsizetype last = std::max(localPath.lastIndexOf(u'/'), localPath.lastIndexOf(u'\\'));
    return localPath.mid(last + 1);
}

} // namespace Feedsmith
