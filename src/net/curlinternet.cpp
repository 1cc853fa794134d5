// The Internet library on libcurl.
#include "net/curlinternet.h"

#include "core/text/printable.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// A closing connection says goodbye to the server, but does not wait long for its answer.
constexpr long QuitTimeoutSeconds = 5;

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

// One FTP connection: the curl handle that holds the control connection and its login, the
// server's address, the current remote directory, and what the running call collects.
struct CurlInternet::Connection
{
    CURL *curl = nullptr;
    QByteArray baseUrl; // "ftp://host:port"
    QString currentDirectory; // "" is the directory the login starts in

    QList<QByteArray> replyLines; // the lines of a reply still being read
    qsizetype replyBytes = 0; // their length together
    ServerResponse lastReply;
    QByteArray received;
    bool listingTooLarge = false;
    QFile *upload = nullptr;

    Connection() = default;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    ~Connection()
    {
        if (curl) {
            curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, QuitTimeoutSeconds);
            curl_easy_setopt(curl, CURLOPT_TIMEOUT, QuitTimeoutSeconds);
            curl_easy_cleanup(curl);
        }
    }

    QByteArray directoryUrl(const QString &directory) const
    {
        const QByteArray path = directoryUrlPath(directory);
        return baseUrl + '/' + path + (path.isEmpty() ? "" : "/");
    }

    // The server's replies arrive here line by line (a reply may span several lines).
    static size_t onReplyLine(char *data, size_t size, size_t count, void *user)
    {
        auto *c = static_cast<Connection *>(user);
        const size_t length = size * count;
        QByteArray line(data, qsizetype(length));
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const bool coded = line.size() >= 3 && std::isdigit(uchar(line[0])) && std::isdigit(uchar(line[1]))
                && std::isdigit(uchar(line[2])) && (line.size() == 3 || line[3] == ' ' || line[3] == '-');
        if (!coded && c->replyLines.isEmpty())
            return length; // not an FTP reply (a proxy's header, for instance)
        // An endless reply keeps its first lines and its last one; the deadline ends the call.
        if (c->replyBytes + line.size() > MaxReplyBytes && c->replyLines.size() > 1)
            c->replyLines.removeLast();
        c->replyLines.append(line.left(MaxReplyBytes));
        c->replyBytes += c->replyLines.last().size();
        const bool last = coded && (line.size() == 3 || line[3] == ' ')
                && (c->replyLines.size() == 1 || line.left(3) == c->replyLines.first().left(3));
        if (last) {
            QStringList texts;
            for (qsizetype i = 0; i < c->replyLines.size(); ++i) {
                QByteArray text = c->replyLines.at(i);
                if (i == 0 || i == c->replyLines.size() - 1)
                    text = text.mid(4);
                texts.append(QString::fromUtf8(text));
            }
            c->lastReply = ServerResponse{c->replyLines.first().left(3).toUInt(), texts.join(u'\n')};
            c->replyLines.clear();
            c->replyBytes = 0;
        }
        return length;
    }

    static size_t onReceived(char *data, size_t size, size_t count, void *user)
    {
        auto *c = static_cast<Connection *>(user);
        const qsizetype length = qsizetype(size * count);
        if (c->received.size() + length > MaxListingBytes) {
            c->listingTooLarge = true;
            return 0; // ends the transfer
        }
        c->received.append(data, length);
        return size * count;
    }

    static size_t onSend(char *buffer, size_t size, size_t count, void *user)
    {
        auto *c = static_cast<Connection *>(user);
        const qint64 read = c->upload->read(buffer, qint64(size * count));
        return read < 0 ? CURL_READFUNC_ABORT : size_t(read);
    }
};

CurlInternet::Timeouts CurlInternet::Timeouts::fromEnvironment()
{
    Timeouts timeouts;
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("FEEDSMITH_FTP_DEADLINE", &ok);
    if (ok && seconds > 0 && seconds < timeouts.deadlineSeconds) {
        timeouts.deadlineSeconds = seconds;
        timeouts.connectSeconds = std::min(timeouts.connectSeconds, seconds);
        timeouts.responseSeconds = std::min(timeouts.responseSeconds, seconds);
        timeouts.lowSpeedSeconds = std::min(timeouts.lowSpeedSeconds, seconds);
    }
    return timeouts;
}

CurlInternet::CurlInternet()
    : CurlInternet(Timeouts::fromEnvironment())
{ }

CurlInternet::CurlInternet(Timeouts timeouts)
    : m_timeouts(timeouts)
{
    initialiseCurl();
}

CurlInternet::~CurlInternet() = default;

bool CurlInternet::fail(quint32 code)
{
    m_lastError = code;
    return false;
}

CurlInternet::Connection *CurlInternet::connection(InternetHandle handle)
{
    const auto found = m_connections.find(handle);
    if (found == m_connections.end()) {
        fail(InternetError::InvalidHandle);
        return nullptr;
    }
    return found->second.get();
}

InternetHandle CurlInternet::openSession(const QString &agent, const QString &proxy)
{
    if (hasControlCharacters(proxy) || hasControlCharacters(agent)) {
        fail(InternetError::InvalidParameter);
        return 0;
    }
    m_lastError = InternetError::None;
    const InternetHandle handle = m_nextHandle++;
    m_sessions[handle] = Session{agent, proxy.trimmed()};
    return handle;
}

InternetHandle CurlInternet::connectFtp(InternetHandle session, const QString &server, const QString &userName,
                                        const QString &password)
{
    m_lastResponse = {};
    const auto found = m_sessions.find(session);
    if (found == m_sessions.end()) {
        fail(InternetError::InvalidHandle);
        return 0;
    }
    const Session &s = found->second;
    QString host;
    int port = 0;
    if (!parseServer(server, &host, &port)) {
        fail(InternetError::NameNotResolved);
        return 0;
    }
    if (hasControlCharacters(userName) || hasControlCharacters(password)) {
        fail(InternetError::IncorrectPassword);
        return 0;
    }

    auto c = std::make_unique<Connection>();
    c->curl = curl_easy_init();
    if (!c->curl) {
        fail(InternetError::InternalError);
        return 0;
    }
    QUrl base;
    base.setScheme(u"ftp"_s);
    base.setHost(host);
    base.setPort(port);
    c->baseUrl = base.toEncoded();

    CURL *curl = c->curl;
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    // Paths reach the server as the user wrote them, ".." included.
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    // One CWD with the whole path, so "/a/b" is entered as the server understands it.
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, 1L); // passive: EPSV, falling back to PASV
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(m_timeouts.connectSeconds));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(m_timeouts.responseSeconds));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(m_timeouts.lowSpeedSeconds));
    // Time-outs of single replies do not end a server that drips its bytes; this does.
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, long(m_timeouts.deadlineSeconds));
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Connection::onReplyLine);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, c.get());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Connection::onReceived);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, c.get());
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &Connection::onSend);
    curl_easy_setopt(curl, CURLOPT_READDATA, c.get());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, s.agent.toUtf8().constData());
    // An empty proxy means a direct connection, whatever the environment's *_proxy say.
    curl_easy_setopt(curl, CURLOPT_PROXY, s.proxy.toUtf8().constData());
    if (!s.proxy.isEmpty())
        curl_easy_setopt(curl, CURLOPT_HTTPPROXYTUNNEL, 1L);
    // Without a user name the server is asked for an anonymous login.
    if (!userName.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, userName.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.toUtf8().constData());
    }

    // Log in and nothing more.
    curl_easy_setopt(curl, CURLOPT_URL, (c->baseUrl + '/').constData());
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    if (!perform(*c))
        return 0;
    const InternetHandle handle = m_nextHandle++;
    m_connections[handle] = std::move(c);
    return handle;
}

bool CurlInternet::perform(Connection &c)
{
    c.received.clear();
    c.listingTooLarge = false;
    c.replyLines.clear();
    c.replyBytes = 0;
    c.lastReply = {};
    QElapsedTimer timer;
    timer.start();
    const CURLcode result = curl_easy_perform(c.curl);
    m_lastResponse = c.lastReply;
    if (result == CURLE_OK) {
        m_lastError = InternetError::None;
        return true;
    }
    if (c.listingTooLarge)
        return fail(InternetError::ListingTooLarge);
    if (result == CURLE_OPERATION_TIMEDOUT && timer.elapsed() >= qint64(m_timeouts.deadlineSeconds) * 1000)
        return fail(InternetError::DeadlinePassed);
    const bool refused = c.lastReply.code >= 400;
    switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_URL_MALFORMAT: return fail(InternetError::NameNotResolved);
    case CURLE_LOGIN_DENIED: return fail(InternetError::IncorrectPassword);
    case CURLE_COULDNT_CONNECT: return fail(InternetError::CannotConnect);
    case CURLE_OPERATION_TIMEDOUT: return fail(InternetError::Timeout);
    case CURLE_READ_ERROR:
    case CURLE_ABORTED_BY_CALLBACK: return fail(InternetError::AccessDenied);
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE: return fail(refused ? InternetError::ExtendedError : InternetError::ConnectionAborted);
    default: return fail(c.lastReply.code != 0 ? InternetError::ExtendedError : InternetError::InternalError);
    }
}

RemoteListing CurlInternet::listDirectory(InternetHandle handle)
{
    RemoteListing listing;
    m_lastResponse = {};
    Connection *c = connection(handle);
    if (!c) {
        listing.error = m_lastError;
        return listing;
    }
    curl_easy_setopt(c->curl, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(c->curl, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(c->curl, CURLOPT_DIRLISTONLY, 0L);
    curl_easy_setopt(c->curl, CURLOPT_URL, c->directoryUrl(c->currentDirectory).constData());
    const bool complete = perform(*c);
    listing.entries = parseListing(c->received);
    c->received.clear();
    if (complete && listing.entries.isEmpty())
        fail(InternetError::NoMoreFiles);
    listing.error = complete && !listing.entries.isEmpty() ? InternetError::None : m_lastError;
    return listing;
}

bool CurlInternet::setCurrentDirectory(InternetHandle handle, const QString &path)
{
    m_lastResponse = {};
    Connection *c = connection(handle);
    if (!c)
        return false;
    if (path.isEmpty() || hasControlCharacters(path))
        return fail(InternetError::InvalidName);
    const QString target = joinRemotePath(c->currentDirectory, path);
    curl_easy_setopt(c->curl, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(c->curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(c->curl, CURLOPT_URL, c->directoryUrl(target).constData());
    if (!perform(*c))
        return false;
    c->currentDirectory = target;
    return true;
}

bool CurlInternet::putFile(InternetHandle handle, const QString &localPath, const QString &remoteName)
{
    m_lastResponse = {};
    Connection *c = connection(handle);
    if (!c)
        return false;
    if (remoteName.isEmpty() || remoteName.contains(u'/') || hasControlCharacters(remoteName))
        return fail(InternetError::InvalidName);
    const QFileInfo info(localPath);
    if (!info.exists())
        return fail(InternetError::FileNotFound);
    QFile file(localPath);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return fail(InternetError::AccessDenied);

    c->upload = &file;
    const QByteArray url = c->directoryUrl(c->currentDirectory) + QUrl::toPercentEncoding(remoteName);
    curl_easy_setopt(c->curl, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(c->curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c->curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
    curl_easy_setopt(c->curl, CURLOPT_URL, url.constData());
    const bool stored = perform(*c);
    curl_easy_setopt(c->curl, CURLOPT_UPLOAD, 0L);
    c->upload = nullptr;
    return stored;
}

void CurlInternet::closeHandle(InternetHandle handle)
{
    // A successful close leaves the error of the call before it for the report.
    if (m_sessions.erase(handle) == 0 && m_connections.erase(handle) == 0)
        m_lastError = InternetError::InvalidHandle;
}

bool CurlInternet::parseServer(const QString &server, QString *host, int *port)
{
    const QString text = server.trimmed();
    if (text.isEmpty() || hasControlCharacters(text) || text.endsWith(u':'))
        return false;
    const QUrl url(u"ftp://"_s + text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty() || !url.path().isEmpty() || url.hasQuery()
        || url.hasFragment() || url.port() == 0)
        return false;
    *host = url.host();
    *port = url.port(21);
    return true;
}

QByteArray CurlInternet::directoryUrlPath(const QString &directory)
{
    QByteArrayList parts;
    for (const QString &name : directory.split(u'/', Qt::SkipEmptyParts))
        parts.append(QUrl::toPercentEncoding(name));
    QByteArray path = parts.join('/');
    if (directory.startsWith(u'/'))
        path.prepend("%2F"); // "%2F" alone is the root
    return path;
}

QString CurlInternet::joinRemotePath(const QString &current, const QString &path)
{
    if (path.startsWith(u'/') || current.isEmpty())
        return path;
    return current.endsWith(u'/') ? current + path : current + u'/' + path;
}

QList<RemoteEntry> CurlInternet::parseListing(const QByteArray &listing)
{
    QList<RemoteEntry> entries;
    for (QByteArray line : listing.split('\n')) {
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith("total "))
            continue;
        const QString text = QString::fromUtf8(line);

        // The fields before the name, and where the name starts.
        QStringList fields;
        qsizetype at = 0;
        auto nextField = [&] {
            while (at < text.size() && text.at(at).isSpace())
                ++at;
            const qsizetype start = at;
            while (at < text.size() && !text.at(at).isSpace())
                ++at;
            fields.append(text.mid(start, at - start));
        };
        auto rest = [&] {
            qsizetype start = at;
            while (start < text.size() && text.at(start) == u' ')
                ++start;
            return text.mid(start);
        };

        RemoteEntry entry;
        const QChar type = text.at(0);
        if (QStringLiteral("-dlbcps").contains(type) && text.size() >= 10) {
            // Unix style: mode, links, owner, group, size, month, day, year or time, name.
            for (int i = 0; i < 8; ++i)
                nextField();
            entry.name = rest();
            if (type == u'l') {
                const qsizetype arrow = entry.name.indexOf(" -> "_L1);
                if (arrow > 0)
                    entry.name.truncate(arrow);
            }
            entry.attributes = type == u'd' ? RemoteAttribute::Directory : RemoteAttribute::Normal;
        } else if (type.isDigit()) {
            // DOS style: date, time, "<DIR>" or size, name.
            for (int i = 0; i < 3; ++i)
                nextField();
            entry.name = rest();
            entry.attributes = fields.value(2).compare("<DIR>"_L1, Qt::CaseInsensitive) == 0
                    ? RemoteAttribute::Directory
                    : RemoteAttribute::Normal;
        } else {
            entry.name = text;
        }
        if (entry.name.isEmpty() || entry.name == "."_L1 || entry.name == ".."_L1)
            continue;
        entries.append(entry);
    }
    return entries;
}

} // namespace Feedsmith
