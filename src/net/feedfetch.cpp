// The feed download, on libcurl's easy interface.
#include "net/feedfetch.h"

#include "core/text/printable.h"

#include <QRegularExpression>
#include <QUrl>

#include <curl/curl.h>

#include <arpa/inet.h>
#include <memory>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

struct Download
{
    QByteArray bytes;
    qint64 maxBytes = 0;
    bool tooLarge = false;

    static size_t onReceived(char *data, size_t size, size_t count, void *self)
    {
        auto *d = static_cast<Download *>(self);
        const size_t n = size * count;
        if (d->bytes.size() + qint64(n) > d->maxBytes) {
            d->tooLarge = true;
            return 0; // ends the transfer
        }
        d->bytes.append(data, qsizetype(n));
        return n;
    }
};

// One request to an http(s) address: libcurl's handle and what its callbacks leave behind.
struct Transfer
{
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl{nullptr, &curl_easy_cleanup};
    char message[CURL_ERROR_SIZE] = {}; // curl's words on a failure
    QByteArray encoded; // the address as sent
    QByteArray firstServer; // "ip port" of the server the address given was asked at
    QString refusedAddress; // the private or local address a redirect led to

    // Before each request, on the connection it goes over. The address given is asked wherever
    // it points: the user may run a server on this machine or the network. A redirect that lands
    // on such an address is not followed, so that a server on the Internet cannot turn the
    // program on the user's own machine or network; staying on the server first asked is no
    // such step (a local server's "/feed" to "/feed/", a proxy on the network). The address
    // connected to is checked, not a name looked up once more, which a name that changes its
    // address between two lookups would get past.
    static int onRequest(void *self, char *server, char *, int serverPort, int)
    {
        auto *t = static_cast<Transfer *>(self);
        const QByteArray at = QByteArray(server) + ' ' + QByteArray::number(serverPort);
        long redirects = 0;
        curl_easy_getinfo(t->curl.get(), CURLINFO_REDIRECT_COUNT, &redirects);
        if (redirects == 0) {
            t->firstServer = at;
        } else if (at != t->firstServer && isLocalNetworkAddress(QString::fromLatin1(server))) {
            t->refusedAddress = QString::fromLatin1(server);
            return CURL_PREREQFUNC_ABORT;
        }
        return CURL_PREREQFUNC_OK;
    }

    // The reason a finished request failed, in words.
    QString failure(CURLcode code) const
    {
        if (code == CURLE_ABORTED_BY_CALLBACK && !refusedAddress.isEmpty())
            return u"the server redirected to a private or local address (%1), which is not followed"_s.arg(
                    refusedAddress);
        if (code == CURLE_ABORTED_BY_CALLBACK)
            return u"cancelled"_s;
        return QString::fromUtf8(message[0] ? message : curl_easy_strerror(code));
    }

    // curl's number and words for a failed request.
    QString curlWords(CURLcode code) const
    {
        const QString name = QString::fromUtf8(curl_easy_strerror(code));
        const QString added = printable(QString::fromUtf8(message));
        return u"curl error "_s + QString::number(int(code)) + u" ("_s + name + u')'
                + (added.isEmpty() || added == name ? QString() : u": "_s + added);
    }
};

// The kind of a failed request by curl's code.
FetchProblem::Kind problemKind(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return FetchProblem::Kind::HostNotFound;
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR: return FetchProblem::Kind::NoAnswer;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE: return FetchProblem::Kind::Insecure;
    case CURLE_FILESIZE_EXCEEDED: return FetchProblem::Kind::TooLarge;
    default: return FetchProblem::Kind::Other;
    }
}

// Prepares t for an http(s) address, or fails with *error for anything else: redirects followed
// (at most five, to http and https only, see onRequest), certificates checked with the system's
// store, the transfer ended soon after *cancelled turns true.
bool prepare(Transfer *t, const QString &address, const std::atomic<bool> *cancelled, QString *error)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!isFeedAddress(address) || !url.isValid() || url.host().isEmpty()) {
        *error = u"is no http or https address"_s;
        return false;
    }
    t->curl.reset(curl_easy_init());
    if (!t->curl) {
        *error = u"the Internet library could not be started"_s;
        return false;
    }
    CURL *c = t->curl.get();
    t->encoded = url.toEncoded();
    curl_easy_setopt(c, CURLOPT_URL, t->encoded.constData());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, &Transfer::onRequest);
    curl_easy_setopt(c, CURLOPT_PREREQDATA, t);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Feedsmith");
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, t->message);
    if (cancelled) {
        const auto onProgress = [](void *flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t) -> int {
            return static_cast<const std::atomic<bool> *>(flag)->load() ? 1 : 0;
        };
        curl_xferinfo_callback callback = onProgress;
        curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, callback);
        curl_easy_setopt(c, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool> *>(cancelled));
        curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    }
    return true;
}

} // namespace

bool isFeedAddress(const QString &text)
{
    return text.startsWith("http://"_L1, Qt::CaseInsensitive) || text.startsWith("https://"_L1, Qt::CaseInsensitive);
}

bool isLocalNetworkAddress(const QString &ip)
{
    const QByteArray text = ip.toLatin1();
    in6_addr v6{};
    quint32 v4 = 0;
    if (in_addr a{}; inet_pton(AF_INET, text.constData(), &a) == 1) {
        v4 = ntohl(a.s_addr);
    } else if (inet_pton(AF_INET6, text.constData(), &v6) == 1) {
        const uint8_t *b = v6.s6_addr;
        if (!IN6_IS_ADDR_V4MAPPED(&v6))
            return IN6_IS_ADDR_LOOPBACK(&v6) || IN6_IS_ADDR_UNSPECIFIED(&v6) || (b[0] & 0xfe) == 0xfc // fc00::/7
                    || (b[0] == 0xfe && (b[1] & 0xc0) == 0x80); // fe80::/10
        v4 = quint32(b[12]) << 24 | quint32(b[13]) << 16 | quint32(b[14]) << 8 | b[15];
    } else {
        return true; // what cannot be read is not trusted either
    }
    const quint32 a = v4 >> 24;
    return a == 0 || a == 127 || a == 10 || (v4 >> 20) == 0xac1 // 172.16/12
            || (v4 >> 16) == 0xc0a8 || (v4 >> 16) == 0xa9fe; // 192.168/16, 169.254/16
}

bool FetchFeed(const QString &address, qint64 maxBytes, QByteArray *bytes, QString *error,
               const std::atomic<bool> *cancelled, FetchProblem *problem)
{
    FetchProblem ignored;
    FetchProblem &p = problem ? *problem : ignored;
    p = {};
    const QString doing = u"downloading "_s + printable(address) + u": "_s;
    bytes->clear();
    Transfer t;
    if (!prepare(&t, address, cancelled, error)) {
        p = {FetchProblem::Kind::NoAddress, 0, doing + *error};
        return false;
    }
    Download download;
    download.maxBytes = maxBytes;
    CURL *c = t.curl.get();
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(maxBytes));
    curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, ""); // whatever curl can decode; the cap counts decoded bytes
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 120L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Download::onReceived);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &download);
    const CURLcode code = curl_easy_perform(c);
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        *error = t.failure(code);
        p = {t.refusedAddress.isEmpty() ? FetchProblem::Kind::Cancelled : FetchProblem::Kind::LocalRedirect, 0,
             doing + *error};
        return false;
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    if (download.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        *error = u"is larger than "_s + QString::number(maxBytes / (1024 * 1024)) + u" MB"_s;
        p = {FetchProblem::Kind::TooLarge, 0, doing + u"more than "_s + QString::number(maxBytes) + u" bytes"_s};
        return false;
    }
    if (code != CURLE_OK) {
        *error = t.failure(code);
        p = {problemKind(code), 0, doing + t.curlWords(code)};
        return false;
    }
    if (status != 200) {
        *error = u"the server answered "_s + QString::number(status);
        p = {FetchProblem::Kind::Status, status, doing + u"server reply HTTP "_s + QString::number(status)};
        return false;
    }
    *bytes = std::move(download.bytes);
    return true;
}

bool ProbeAddress(const QString &address, qint64 *length, QString *type, QString *error,
                  const std::atomic<bool> *cancelled)
{
    *length = -1;
    type->clear();
    Transfer t;
    if (!prepare(&t, address.trimmed(), cancelled, error))
        return false;
    CURL *c = t.curl.get();
    curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 20L);
    const CURLcode code = curl_easy_perform(c);
    if (code != CURLE_OK) {
        *error = t.failure(code);
        return false;
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
        *error = u"the server answered "_s + QString::number(status);
        return false;
    }
    curl_off_t size = -1;
    if (curl_easy_getinfo(c, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) == CURLE_OK && size >= 0)
        *length = qint64(size);
    const char *contentType = nullptr;
    if (curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType) {
        // "audio/mpeg; charset=..." is written as "audio/mpeg"; a type that is no word/word stays out.
        const QString given = QString::fromLatin1(contentType).section(u';', 0, 0).trimmed().toLower();
        static const QRegularExpression form(u"\\A[a-z0-9][a-z0-9!#$&^_.+-]*/[a-z0-9][a-z0-9!#$&^_.+-]*\\z"_s);
        if (form.match(given).hasMatch())
            *type = given;
    }
    return true;
}

} // namespace Feedsmith
