// Downloading a feed to import over http or https.
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>

namespace Feedsmith {

// Whether the text is an address the program downloads from: an http or https URL.
bool isFeedAddress(const QString &text);

// Whether ip, an address as libcurl shows the one it is connected to ("10.0.0.1", "fe80::1",
// "::ffff:127.0.0.1"), is of this machine or a private network: 0.0.0.0/8, 127/8, 10/8,
// 172.16/12, 192.168/16, 169.254/16, ::, ::1, fc00::/7, fe80::/10 and the IPv4-mapped forms of
// the IPv4 ones. True also for text that is no address.
bool isLocalNetworkAddress(const QString &ip);

// Why a download failed, for a sentence in the user's language; details holds curl's or the
// server's words, with what was being done ("downloading ADDRESS: curl error 7 (...)").
struct FetchProblem
{
    enum class Kind {
        None,
        NoAddress,
        HostNotFound,
        NoAnswer,
        Insecure,
        Status,
        TooLarge,
        LocalRedirect,
        Cancelled,
        Other
    };
    Kind kind = Kind::None;
    long status = 0; // the server's reply when it was no 200
    QString details;
};

// Downloads the feed at an http(s) address with libcurl: redirects are followed (at most five,
// to http and https only, and never from the server first asked to another server at an address
// that isLocalNetworkAddress names), certificates are verified with the system's store, and the
// download gives up past maxBytes, after 30 s without a connection or 120 s in all. False, with
// *error saying why, for any failure and for a reply other than 200.
// With `cancelled`, the download ends soon after it turns true ("cancelled"). `problem`, when
// given, gets the kind of failure and its details.
bool FetchFeed(const QString &address, qint64 maxBytes, QByteArray *bytes, QString *error,
               const std::atomic<bool> *cancelled = nullptr, FetchProblem *problem = nullptr);

// What an http(s) server says of a file without sending it (a HEAD request, redirects followed
// as above, 10 s to connect, 20 s in all): its length in bytes (-1 when it gives none) and its
// MIME type without parameters (empty when it gives none). False, with *error, for any failure
// and for a reply other than 200.
bool ProbeAddress(const QString &address, qint64 *length, QString *type, QString *error,
                  const std::atomic<bool> *cancelled = nullptr);

} // namespace Feedsmith
