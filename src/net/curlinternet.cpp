// The Internet library on libcurl.
#include "net/curlinternet.h"

#include "core/startup/startup.h"
#include "core/text/printable.h"
#include "core/text/textfiles.h"
#include "net/knownhosts.h"
#include "net/sshconnection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

// Where a TLS context keeps the connection it checks the certificate for.
int connectionIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// "[host]:port", the name a server is remembered under.
QString serverKey(const QString &host, int port)
{
    return u'[' + host + u"]:"_s + QString::number(port);
}

// The fingerprint of a certificate as "openssl x509 -fingerprint -sha256" prints it.
QString certificateFingerprint(X509 *certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!certificate || X509_digest(certificate, EVP_sha256(), digest, &length) != 1)
        return {};
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex(':').toUpper());
}

// The fingerprint of an SSH host key as ssh-keygen prints it.
QString hostKeyFingerprint(const QByteArray &key)
{
    return u"SHA256:"_s
            + QString::fromLatin1(
                    QCryptographicHash::hash(key, QCryptographicHash::Sha256).toBase64(QByteArray::OmitTrailingEquals));
}

// Reads ~/.ssh/known_hosts or the list of trusted certificates whole; a missing file is an empty
// one. Only a regular file (or a link to one) is opened: a pipe there would keep the connection
// waiting for a writer, a device would feed it without end. 0, or the error unusable or tooLarge.
quint32 readTrustFile(const QString &path, QByteArray *bytes, quint32 unusable, quint32 tooLarge)
{
    bytes->clear();
    if (!QFileInfo::exists(path))
        return InternetError::None;
    QFile file;
    if (!openRegularFile(file, path))
        return unusable;
    QByteArray piece(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(piece.data(), piece.size());
        if (got < 0)
            return unusable;
        if (got == 0)
            return InternetError::None;
        if (bytes->size() + got > CurlInternet::MaxTrustFileBytes) {
            bytes->clear();
            return tooLarge;
        }
        bytes->append(piece.constData(), qsizetype(got));
    }
}

// The fields of a line of the list of trusted certificates, "[host]:port FINGERPRINT", with the
// blanks around the line left out.
QList<QByteArray> certificateFields(QByteArrayView line)
{
    return line.trimmed().toByteArray().split(' ');
}

// The fingerprint the list of trusted certificates remembers for a server.
QString rememberedCertificate(const QByteArray &list, const QString &server)
{
    for (const QByteArray &line : list.split('\n')) {
        const QList<QByteArray> fields = certificateFields(line);
        if (fields.size() == 2 && QString::fromUtf8(fields[0]) == server)
            return QString::fromLatin1(fields[1]);
    }
    return {};
}

// Adds line to the end of the file at path (made when missing), after a line break when the file
// does not end in one; the rest of the file stays as it is. Only a regular file (or a link to
// one) is written to: a device is never opened, a pipe is opened without waiting and refused.
bool appendLine(const QString &path, QByteArray line)
{
    if (!notRegularFileReason(path).isEmpty())
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat status
    {
    };
    bool written = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    char last = '\n';
    if (written && status.st_size > 0 && ::pread(fd, &last, 1, status.st_size - 1) == 1 && last != '\n')
        line.prepend('\n');
    for (qsizetype done = 0; written && done < line.size();) {
        const ssize_t n = ::write(fd, line.constData() + done, size_t(line.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0 || errno != EINTR)
            written = false;
    }
    return ::close(fd) == 0 && written;
}

// A folder of the current directory as a name: one level, no "." or "..".
bool isFolderName(const QString &folder)
{
    return !folder.isEmpty() && !folder.contains(u'/') && folder != "."_L1 && folder != ".."_L1
            && !hasControlCharacters(folder);
}

} // namespace

// One connection: the curl handle that holds the control connection and its login, the
// server's address, the current remote directory, and what the running call collects. For SFTP
// the curl handle holds the socket alone (connected directly or through the proxy) and libssh
// speaks SSH over it.
struct CurlInternet::Connection
{
    CURL *curl = nullptr;
    Scheme scheme = Scheme::Ftp;
    QByteArray host;
    QByteArray baseUrl; // "ftp://host:port"
    QString currentDirectory; // "" is the directory the login starts in
    char errorText[CURL_ERROR_SIZE] = {};
    std::unique_ptr<SshConnection> ssh;

    // The check of the server's certificate or host key.
    enum class Trust { Unchecked, Trusted, Unknown, Changed };
    Trust trust = Trust::Unchecked;
    QString rememberedFingerprint; // of the certificate the user trusts for this server
    QString seenFingerprint;

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
        ssh.reset(); // before its socket goes
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

    // Before each TLS handshake: the certificate is checked by this program, with the host
    // name, so that a certificate the user trusts can stand in for the authorities' word.
    static CURLcode onTlsContext(CURL *, void *context, void *user)
    {
        auto *tls = static_cast<SSL_CTX *>(context);
        auto *c = static_cast<Connection *>(user);
        SSL_CTX_set_ex_data(tls, connectionIndex(), c);
        X509_VERIFY_PARAM *parameters = SSL_CTX_get0_param(tls);
        if (X509_VERIFY_PARAM_set1_ip_asc(parameters, c->host.constData()) != 1)
            X509_VERIFY_PARAM_set1_host(parameters, c->host.constData(), size_t(c->host.size()));
        SSL_CTX_set_verify(tls, SSL_VERIFY_PEER, &Connection::onCertificate);
        return CURLE_OK;
    }

    // Once for each certificate of the chain the server shows; preverified tells whether it
    // passed the authorities' and the host name's checks.
    static int onCertificate(int preverified, X509_STORE_CTX *store)
    {
        auto *ssl = static_cast<SSL *>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        auto *c =
                ssl ? static_cast<Connection *>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), connectionIndex())) : nullptr;
        if (!c)
            return 0;
        c->seenFingerprint = certificateFingerprint(X509_STORE_CTX_get0_cert(store));
        if (preverified == 1 && c->trust != Trust::Unknown && c->trust != Trust::Changed) {
            c->trust = Trust::Trusted;
            return 1;
        }
        if (!c->rememberedFingerprint.isEmpty() && c->seenFingerprint == c->rememberedFingerprint) {
            X509_STORE_CTX_set_error(store, X509_V_OK);
            c->trust = Trust::Trusted;
            return 1;
        }
        c->trust = c->rememberedFingerprint.isEmpty() ? Trust::Unknown : Trust::Changed;
        return 0;
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

void CurlInternet::begin()
{
    m_lastResponse = {};
    m_lastDetail.clear();
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
    begin();
    const auto started = SshConnection::Clock::now();
    const auto found = m_sessions.find(session);
    if (found == m_sessions.end()) {
        fail(InternetError::InvalidHandle);
        return 0;
    }
    const Session &s = found->second;
    QString host;
    int port = 0;
    Scheme scheme = Scheme::Ftp;
    m_seenFingerprint.clear();
    m_seenKey.clear();
    m_seenChanged = false;
    if (!parseServer(server, &host, &port, &scheme)) {
        fail(InternetError::NameNotResolved);
        return 0;
    }
    // An SFTP login names its user: libssh would take the local one's name instead.
    if (hasControlCharacters(userName) || hasControlCharacters(password)
        || (scheme == Scheme::Sftp && userName.isEmpty())) {
        fail(InternetError::IncorrectPassword);
        return 0;
    }
    // libssh reads and writes the raw socket, which a TLS connection to the proxy would wrap.
    if (scheme == Scheme::Sftp && s.proxy.startsWith("https://"_L1, Qt::CaseInsensitive)) {
        m_lastResponse.text = u"SFTP cannot go through a proxy reached over TLS (https://)."_s;
        fail(InternetError::InvalidParameter);
        return 0;
    }

    auto c = std::make_unique<Connection>();
    c->curl = curl_easy_init();
    if (!c->curl) {
        fail(InternetError::InternalError);
        return 0;
    }
    QUrl base;
    // SFTP: libcurl connects (through the proxy as for FTP) and stops there.
    base.setScheme(scheme == Scheme::Sftp ? u"http"_s : u"ftp"_s);
    base.setHost(host);
    base.setPort(port);
    c->baseUrl = base.toEncoded();
    c->scheme = scheme;
    c->host = host.toUtf8();

    CURL *curl = c->curl;
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // The sockets are made and closed here, so that abort() can shut them down.
    const auto openSocket = [](void *self, curlsocktype, curl_sockaddr *address) -> curl_socket_t {
        auto *internet = static_cast<CurlInternet *>(self);
        const std::lock_guard lock(internet->m_socketsMutex);
        if (internet->m_aborted)
            return CURL_SOCKET_BAD;
        const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (fd >= 0)
            internet->m_sockets.insert(fd);
        return fd >= 0 ? fd : CURL_SOCKET_BAD;
    };
    const auto closeSocket = [](void *self, curl_socket_t fd) -> int {
        auto *internet = static_cast<CurlInternet *>(self);
        const std::lock_guard lock(internet->m_socketsMutex);
        internet->m_sockets.erase(fd);
        return ::close(fd);
    };
    curl_opensocket_callback opener = openSocket;
    curl_closesocket_callback closer = closeSocket;
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, opener);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, closer);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, c->errorText);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, scheme == Scheme::Sftp ? "http" : "ftp");
    if (scheme == Scheme::Ftps) {
        // Explicit TLS for the control and every data connection, before the login.
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L); // checked with the certificate, see onCertificate
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, &Connection::onTlsContext);
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, c.get());
        QByteArray trusted;
        if (const quint32 error =
                    readTrustFile(trustedCertificatesPath(), &trusted, InternetError::TrustedCertificatesUnusable,
                                  InternetError::TrustedCertificatesTooLarge)) {
            fail(error);
            return 0;
        }
        c->rememberedFingerprint = rememberedCertificate(trusted, serverKey(host, port));
    }
    // The host key is checked against ~/.ssh/known_hosts as this program reads it.
    QList<KnownHosts::Key> knownKeys;
    if (scheme == Scheme::Sftp) {
        QByteArray known;
        if (const quint32 error = readTrustFile(knownHostsPath(), &known, InternetError::KnownHostsUnusable,
                                                InternetError::KnownHostsTooLarge)) {
            fail(error);
            return 0;
        }
        knownKeys = KnownHosts::keysFor(known, host, port);
        curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    }
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
    // Without a user name the server is asked for an anonymous login. libssh logs in to SFTP.
    if (!userName.isEmpty() && scheme != Scheme::Sftp) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, userName.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.toUtf8().constData());
    }

    // Log in and nothing more.
    curl_easy_setopt(curl, CURLOPT_URL, c->directoryUrl(QString()).constData());
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    bool connected = perform(*c);
    m_seenServer = serverKey(host, port);
    m_seenScheme = scheme;
    if (connected && scheme == Scheme::Sftp) {
        curl_socket_t socket = CURL_SOCKET_BAD;
        if (curl_easy_getinfo(curl, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK || socket == CURL_SOCKET_BAD) {
            fail(InternetError::InternalError);
            return 0;
        }
        // SFTP's pieces are answered one by one: a piece unanswered for responseSeconds ends the
        // transfer, which leaves nothing for lowSpeedSeconds to catch.
        const SshConnection::Limits limits{m_timeouts.connectSeconds, m_timeouts.responseSeconds,
                                           m_timeouts.deadlineSeconds};
        c->ssh = std::make_unique<SshConnection>(socket, limits, m_aborted);
        connected = sshResult(*c,
                              c->ssh->open(host, port, knownKeys, userName, password,
                                           started + std::chrono::seconds(m_timeouts.deadlineSeconds)));
        m_seenKey = c->ssh->hostKey();
        if (!m_seenKey.isEmpty())
            c->seenFingerprint = hostKeyFingerprint(m_seenKey);
        if (c->ssh->trust() == SshConnection::Trust::Changed)
            c->trust = Connection::Trust::Changed;
    }
    m_seenChanged = c->trust == Connection::Trust::Changed;
    m_seenFingerprint = c->seenFingerprint;
    if (!connected)
        return 0;
    const InternetHandle handle = m_nextHandle++;
    m_connections[handle] = std::move(c);
    return handle;
}

void CurlInternet::abort()
{
    const std::lock_guard lock(m_socketsMutex);
    m_aborted = true;
    for (const int fd : m_sockets)
        ::shutdown(fd, SHUT_RDWR);
}

bool CurlInternet::sshResult(Connection &c, bool ok)
{
    m_lastResponse = c.ssh->response();
    if (!ok) {
        const QString said = c.ssh->detail();
        m_lastDetail = said.isEmpty() ? QString() : u"SFTP: "_s + said;
        return fail(c.ssh->error());
    }
    m_lastError = InternetError::None;
    return true;
}

bool CurlInternet::perform(Connection &c, bool watched)
{
    c.received.clear();
    c.listingTooLarge = false;
    c.replyLines.clear();
    c.replyBytes = 0;
    c.lastReply = {};
    c.errorText[0] = 0;
    m_stopped = false;
    if (m_aborted)
        return fail(InternetError::OperationCancelled);
    if (m_watch && watched) {
        const auto onTransfer = [](void *self, curl_off_t downTotal, curl_off_t downNow, curl_off_t upTotal,
                                   curl_off_t upNow) -> int {
            auto *internet = static_cast<CurlInternet *>(self);
            if (!internet->m_watch(qint64(downNow + upNow), qint64(downTotal + upTotal)))
                internet->m_stopped = true;
            return internet->m_stopped ? 1 : 0;
        };
        curl_xferinfo_callback callback = onTransfer;
        curl_easy_setopt(c.curl, CURLOPT_XFERINFOFUNCTION, callback);
        curl_easy_setopt(c.curl, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(c.curl, CURLOPT_NOPROGRESS, 0L);
    } else {
        curl_easy_setopt(c.curl, CURLOPT_NOPROGRESS, 1L);
    }
    QElapsedTimer timer;
    timer.start();
    const CURLcode result = curl_easy_perform(c.curl);
    m_lastCurlCode = int(result);
    if (result != CURLE_OK) {
        // curl's and the server's words, as they said them: a refusal by its reply, anything
        // else by curl's number, its text and what curl adds for this case.
        if (c.lastReply.code >= 400) {
            m_lastDetail = u"server reply "_s + QString::number(c.lastReply.code) + u' '
                    + printable(c.lastReply.text).left(MaxReplyBytes);
        } else {
            const QString name = QString::fromUtf8(curl_easy_strerror(result));
            const QString added = printable(QString::fromUtf8(c.errorText)).left(MaxReplyBytes);
            m_lastDetail = u"curl error "_s + QString::number(int(result)) + u" ("_s + name + u')'
                    + (added.isEmpty() || added == name ? QString() : u": "_s + added);
        }
    }
    if ((result == CURLE_ABORTED_BY_CALLBACK && m_stopped) || (result != CURLE_OK && m_aborted)) {
        m_lastResponse = c.lastReply;
        return fail(InternetError::OperationCancelled);
    }
    m_lastResponse = c.lastReply;
    if (result == CURLE_OK) {
        m_lastError = InternetError::None;
        return true;
    }
    if (c.listingTooLarge)
        return fail(InternetError::ListingTooLarge);
    if (c.trust == Connection::Trust::Unknown)
        return fail(InternetError::ServerNotTrusted);
    if (c.trust == Connection::Trust::Changed)
        return fail(InternetError::ServerKeyChanged);
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
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_INITFAILED: return fail(InternetError::SecureChannelError);
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_DISK_FULL:
    case CURLE_UPLOAD_FAILED:
    case CURLE_QUOTE_ERROR:
        return fail(c.lastReply.code != 0 ? InternetError::ExtendedError : InternetError::InternalError);
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
    begin();
    Connection *c = connection(handle);
    if (!c) {
        listing.error = m_lastError;
        return listing;
    }
    if (c->ssh) {
        listing = c->ssh->list(c->currentDirectory, MaxListingBytes);
        m_lastResponse = c->ssh->response();
        m_lastError = listing.error;
        if (listing.error != InternetError::None && listing.error != InternetError::NoMoreFiles
            && !c->ssh->detail().isEmpty())
            m_lastDetail = u"SFTP: "_s + c->ssh->detail();
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
    begin();
    Connection *c = connection(handle);
    if (!c)
        return false;
    if (path.isEmpty() || hasControlCharacters(path))
        return fail(InternetError::InvalidName);
    const QString target = remoteDirectory(*c, path);
    if (c->ssh) {
        // SFTP keeps no current directory: this one is only looked at.
        if (!sshResult(*c, c->ssh->isFolder(target)))
            return false;
        c->currentDirectory = target;
        return true;
    }
    curl_easy_setopt(c->curl, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(c->curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(c->curl, CURLOPT_URL, c->directoryUrl(target).constData());
    const bool entered = perform(*c);
    c->received.clear();
    if (!entered)
        return false;
    c->currentDirectory = target;
    return true;
}

bool CurlInternet::putFile(InternetHandle handle, const QString &localPath, const QString &remoteName)
{
    return upload(handle, localPath, {}, remoteName, {});
}

bool CurlInternet::makeDirectories(InternetHandle handle, const QString &path)
{
    begin();
    Connection *c = connection(handle);
    if (!c)
        return false;
    if (path.isEmpty() || path.contains(u'"') || hasControlCharacters(path))
        return fail(InternetError::InvalidName);
    const QString target = remoteDirectory(*c, path);
    if (c->ssh)
        return sshResult(*c, c->ssh->makeDirectories(target));
    // FTP enters the levels one by one and makes each that is missing.
    curl_easy_setopt(c->curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_MULTICWD));
    curl_easy_setopt(c->curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_RETRY));
    curl_easy_setopt(c->curl, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(c->curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(c->curl, CURLOPT_URL, c->directoryUrl(target).constData());
    const bool made = perform(*c);
    c->received.clear();
    curl_easy_setopt(c->curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(c->curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_NONE));
    return made;
}

bool CurlInternet::putFileInFolder(InternetHandle handle, const QString &localPath, const QString &folder,
                                   const QString &remoteName)
{
    if (!isFolderName(folder))
        return fail(InternetError::InvalidName);
    return upload(handle, localPath, folder, remoteName, {});
}

bool CurlInternet::putFileReplacing(InternetHandle handle, const QString &localPath, const QString &folder,
                                    const QString &temporaryName, const QString &remoteName)
{
    if (temporaryName.isEmpty() || temporaryName.contains(u'"') || remoteName.contains(u'"')
        || (!folder.isEmpty() && !isFolderName(folder)))
        return fail(InternetError::InvalidName);
    return upload(handle, localPath, folder, temporaryName, remoteName);
}

bool CurlInternet::removeFile(InternetHandle handle, const QString &folder, const QString &remoteName)
{
    begin();
    Connection *c = connection(handle);
    if (!c)
        return false;
    if (remoteName.isEmpty() || remoteName.contains(u'/') || hasControlCharacters(remoteName)
        || (!folder.isEmpty() && !isFolderName(folder)))
        return fail(InternetError::InvalidName);
    const QString where = folder.isEmpty() ? c->currentDirectory : joinRemotePath(c->currentDirectory, folder);
    if (c->ssh)
        return sshResult(*c, c->ssh->remove(where.isEmpty() ? remoteName : where + u'/' + remoteName));
    // DELE in the folder, after curl has entered it; a connection the failure closed is opened
    // again, but only for a few seconds.
    curl_slist *after = curl_slist_append(nullptr, ("DELE " + remoteName.toUtf8()).constData());
    curl_easy_setopt(c->curl, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(c->curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(c->curl, CURLOPT_URL, c->directoryUrl(where).constData());
    curl_easy_setopt(c->curl, CURLOPT_POSTQUOTE, after);
    curl_easy_setopt(c->curl, CURLOPT_CONNECTTIMEOUT, QuitTimeoutSeconds);
    curl_easy_setopt(c->curl, CURLOPT_TIMEOUT, QuitTimeoutSeconds);
    const bool removed = perform(*c, false);
    curl_easy_setopt(c->curl, CURLOPT_POSTQUOTE, nullptr);
    curl_easy_setopt(c->curl, CURLOPT_CONNECTTIMEOUT, long(m_timeouts.connectSeconds));
    curl_easy_setopt(c->curl, CURLOPT_TIMEOUT, long(m_timeouts.deadlineSeconds));
    curl_slist_free_all(after);
    c->received.clear();
    return removed;
}

bool CurlInternet::upload(InternetHandle handle, const QString &localPath, const QString &folder,
                          const QString &remoteName, const QString &renameTo)
{
    begin();
    Connection *c = connection(handle);
    if (!c)
        return false;
    if (remoteName.isEmpty() || remoteName.contains(u'/') || hasControlCharacters(remoteName) || renameTo.contains(u'/')
        || hasControlCharacters(renameTo))
        return fail(InternetError::InvalidName);
    // The file a project names is read as itself: a link planted at its path is not followed,
    // and a device or a pipe is never opened.
    const QFileInfo info(localPath);
    if (!info.exists() && !info.isSymLink())
        return fail(InternetError::FileNotFound);
    if (!notPlainFileReason(localPath).isEmpty())
        return fail(InternetError::LocalFileNotPlain);
    QFile file;
    if (!openRegularFile(file, localPath, nullptr, Links::Refuse))
        return fail(InternetError::AccessDenied);
    if (c->ssh)
        return sshResult(*c, c->ssh->upload(file, c->currentDirectory, folder, remoteName, renameTo, m_watch));

    // The rename follows the transfer, in the directory the upload entered; FTP servers replace
    // the old file at RNTO.
    curl_slist *after = nullptr;
    if (!renameTo.isEmpty()) {
        after = curl_slist_append(after, ("RNFR " + remoteName.toUtf8()).constData());
        after = curl_slist_append(after, ("RNTO " + renameTo.toUtf8()).constData());
    }
    c->upload = &file;
    QByteArray url = c->directoryUrl(c->currentDirectory);
    if (!folder.isEmpty())
        url += QUrl::toPercentEncoding(folder) + '/';
    url += QUrl::toPercentEncoding(remoteName);
    curl_easy_setopt(c->curl, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(c->curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c->curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
    curl_easy_setopt(c->curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(c->curl, CURLOPT_FTP_CREATE_MISSING_DIRS,
                     long(folder.isEmpty() ? CURLFTP_CREATE_DIR_NONE : CURLFTP_CREATE_DIR));
    curl_easy_setopt(c->curl, CURLOPT_POSTQUOTE, after);
    bool stored = perform(*c);
    // The transfer was complete; the server would not rename it into place.
    if (!stored && !renameTo.isEmpty() && m_lastCurlCode == CURLE_QUOTE_ERROR)
        stored = fail(InternetError::RenameRefused);
    curl_easy_setopt(c->curl, CURLOPT_POSTQUOTE, nullptr);
    curl_easy_setopt(c->curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_NONE));
    curl_slist_free_all(after);
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

bool CurlInternet::trustServer(const QString &server, const QString &fingerprint)
{
    QString host;
    int port = 0;
    Scheme scheme = Scheme::Ftp;
    if (!parseServer(server, &host, &port, &scheme) || scheme != m_seenScheme || serverKey(host, port) != m_seenServer
        || fingerprint.isEmpty() || fingerprint != m_seenFingerprint || scheme == Scheme::Ftp)
        return fail(InternetError::InvalidParameter);
    // What differs from the remembered certificate or key may be someone else's: it is never
    // remembered in its place.
    if (m_seenChanged)
        return fail(InternetError::ServerKeyChanged);

    if (scheme == Scheme::Sftp) {
        const QByteArray line = KnownHosts::line(host, port, m_seenKey);
        if (line.isEmpty())
            return fail(InternetError::InvalidParameter);
        const QString path = knownHostsPath();
        // A ~/.ssh made here is private, as ssh makes it; one that is there stays as it is.
        if (const QString folder = QFileInfo(path).path(); !QFileInfo::exists(folder) && QDir().mkpath(folder))
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (!appendLine(path, line))
            return fail(InternetError::AccessDenied);
        return true;
    }

    // The list of trusted certificates keeps one line a server: the server's line is replaced
    // (or added at the end), every other line stays byte for byte as it was.
    const QString path = trustedCertificatesPath();
    QByteArray old;
    if (const quint32 error = readTrustFile(path, &old, InternetError::TrustedCertificatesUnusable,
                                            InternetError::TrustedCertificatesTooLarge))
        return fail(error);
    const QByteArray name = m_seenServer.toUtf8();
    const QByteArray entry = name + ' ' + fingerprint.toLatin1() + '\n';
    QByteArray lines;
    lines.reserve(old.size() + entry.size() + 1);
    bool added = false;
    for (qsizetype from = 0; from < old.size();) {
        const qsizetype next = old.indexOf('\n', from);
        const qsizetype end = next < 0 ? old.size() : next + 1;
        const QByteArrayView line = QByteArrayView(old).sliced(from, end - from);
        from = end;
        if (certificateFields(line).constFirst() != name)
            lines += line;
        else if (!std::exchange(added, true))
            lines += entry;
    }
    if (!added) {
        if (!lines.isEmpty() && !lines.endsWith('\n'))
            lines += '\n';
        lines += entry;
    }
    QDir().mkpath(QFileInfo(path).path());
    if (!writeFileAtomically(path, lines, nullptr))
        return fail(InternetError::AccessDenied);
    return true;
}

QString CurlInternet::knownHostsPath()
{
    return QDir::homePath() + u"/.ssh/known_hosts"_s;
}

QString CurlInternet::trustedCertificatesPath()
{
    return userConfigFolder() + u"/trusted-certificates"_s;
}

bool CurlInternet::parseServer(const QString &server, QString *host, int *port, Scheme *scheme)
{
    QString text = server.trimmed();
    Scheme kind = Scheme::Ftp;
    if (text.startsWith("ftps://"_L1, Qt::CaseInsensitive)) {
        kind = Scheme::Ftps;
        text = text.mid(7);
    } else if (text.startsWith("sftp://"_L1, Qt::CaseInsensitive)) {
        kind = Scheme::Sftp;
        text = text.mid(7);
    }
    if (scheme)
        *scheme = kind;
    if (text.isEmpty() || hasControlCharacters(text) || text.endsWith(u':'))
        return false;
    const QUrl url(u"ftp://"_s + text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty() || !url.path().isEmpty() || url.hasQuery()
        || url.hasFragment() || url.port() == 0)
        return false;
    *host = url.host(QUrl::EncodeUnicode); // as libcurl sends it and known_hosts has it
    *port = url.port(kind == Scheme::Sftp ? 22 : 21);
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

QString CurlInternet::remoteDirectory(const Connection &c, const QString &path)
{
    // SFTP reads "~" and "~/…" from the login directory, which relative paths count from.
    if (c.scheme == Scheme::Sftp && (path == "~"_L1 || path.startsWith("~/"_L1)))
        return path.mid(2);
    return joinRemotePath(c.currentDirectory, path);
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
            bool isNumber = false;
            if (const qint64 size = fields.value(4).toLongLong(&isNumber); isNumber && size >= 0)
                entry.size = size;
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
            bool isNumber = false;
            if (const qint64 size = fields.value(2).toLongLong(&isNumber); isNumber && size >= 0)
                entry.size = size;
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
