// The feed download, on libcurl's easy interface.
#include "net/feedfetch.h"

#include <QRegularExpression>
#include <QUrl>

#include <curl/curl.h>

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

// An easy handle for an http(s) address, or none (and *error) for anything else: redirects
// followed (at most five, to http and https only), certificates checked with the system's store,
// the download ended soon after *cancelled turns true. `message` takes curl's words on a failure.
using Handle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;

Handle webHandle(const QString &address, const std::atomic<bool> *cancelled, char *message, QByteArray *encoded,
                 QString *error)
{
    Handle curl(nullptr, &curl_easy_cleanup);
    const QUrl url(address, QUrl::StrictMode);
    if (!isFeedAddress(address) || !url.isValid() || url.host().isEmpty()) {
        *error = u"is no http or https address"_s;
        return curl;
    }
    curl.reset(curl_easy_init());
    if (!curl) {
        *error = u"the Internet library could not be started"_s;
        return curl;
    }
    CURL *c = curl.get();
    *encoded = url.toEncoded();
    curl_easy_setopt(c, CURLOPT_URL, encoded->constData());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Feedsmith");
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, message);
    if (cancelled) {
        const auto onProgress = [](void *flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t) -> int {
            return static_cast<const std::atomic<bool> *>(flag)->load() ? 1 : 0;
        };
        curl_xferinfo_callback callback = onProgress;
        curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, callback);
        curl_easy_setopt(c, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool> *>(cancelled));
        curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    }
    return curl;
}

} // namespace

bool isFeedAddress(const QString &text)
{
    return text.startsWith("http://"_L1, Qt::CaseInsensitive) || text.startsWith("https://"_L1, Qt::CaseInsensitive);
}

bool FetchFeed(const QString &address, qint64 maxBytes, QByteArray *bytes, QString *error,
               const std::atomic<bool> *cancelled)
{
    bytes->clear();
    char message[CURL_ERROR_SIZE] = {};
    QByteArray encoded;
    const Handle curl = webHandle(address, cancelled, message, &encoded, error);
    if (!curl)
        return false;
    Download download;
    download.maxBytes = maxBytes;
    CURL *c = curl.get();
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
        *error = u"cancelled"_s;
        return false;
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    if (download.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        *error = u"is larger than "_s + QString::number(maxBytes / (1024 * 1024)) + u" MB"_s;
        return false;
    }
    if (code != CURLE_OK) {
        *error = QString::fromUtf8(message[0] ? message : curl_easy_strerror(code));
        return false;
    }
    if (status != 200) {
        *error = u"the server answered "_s + QString::number(status);
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
    char message[CURL_ERROR_SIZE] = {};
    QByteArray encoded;
    const Handle curl = webHandle(address.trimmed(), cancelled, message, &encoded, error);
    if (!curl)
        return false;
    CURL *c = curl.get();
    curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 20L);
    const CURLcode code = curl_easy_perform(c);
    if (code != CURLE_OK) {
        *error = code == CURLE_ABORTED_BY_CALLBACK ? u"cancelled"_s
                                                   : QString::fromUtf8(message[0] ? message : curl_easy_strerror(code));
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
