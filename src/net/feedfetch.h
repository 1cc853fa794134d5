// Downloading a feed to import over http or https.
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>

namespace Feedsmith {

// Whether the text is an address the program downloads from: an http or https URL.
bool isFeedAddress(const QString &text);

// Downloads the feed at an http(s) address with libcurl: redirects are followed (at most five,
// to http and https only), certificates are verified with the system's store, and the download
// gives up past maxBytes, after 30 s without a connection or 120 s in all. False, with *error
// saying why, for any failure and for a reply other than 200.
// With `cancelled`, the download ends soon after it turns true ("cancelled").
bool FetchFeed(const QString &address, qint64 maxBytes, QByteArray *bytes, QString *error,
               const std::atomic<bool> *cancelled = nullptr);

// What an http(s) server says of a file without sending it (a HEAD request, redirects followed
// as above, 10 s to connect, 20 s in all): its length in bytes (-1 when it gives none) and its
// MIME type without parameters (empty when it gives none). False, with *error, for any failure
// and for a reply other than 200.
bool ProbeAddress(const QString &address, qint64 *length, QString *type, QString *error,
                  const std::atomic<bool> *cancelled = nullptr);

} // namespace Feedsmith
