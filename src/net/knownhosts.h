// SSH host keys as ~/.ssh/known_hosts lists them, read by this program.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace Feedsmith {

// The lines of a known_hosts file in OpenSSH's format: "[marker] hosts type base64 [comment]".
// Hosts are a comma-separated list of patterns ("*" and "?" as wildcards, "!" in front to rule a
// host out, "[host]:port" for a port other than 22) or one hashed name ("|1|salt|hmac"). Lines
// marked @revoked name keys that are refused; @cert-authority lines are skipped. A line that
// cannot be read is skipped and never hides the lines after it; a long line is read like a short one.
class KnownHosts
{
public:
    enum class Verdict {
        Unknown, // no line names the host
        Trusted, // a line of the host has the very key shown
        Changed, // the host has keys, none of them the one shown, or the key shown is revoked
    };

    // A key the file holds for a host.
    struct Key
    {
        QByteArray type; // "ssh-ed25519", ...
        QByteArray blob; // the key itself, as the server shows it
        bool revoked = false;
    };

    // The keys file holds for host at port, in the file's order.
    static QList<Key> keysFor(QByteArrayView file, const QString &host, int port);
    // What file says of the key of type that a server at host and port shows.
    static Verdict check(QByteArrayView file, const QString &host, int port, QByteArrayView type, QByteArrayView key);
    static Verdict check(const QList<Key> &keys, QByteArrayView type, QByteArrayView key);

    // The name a server is listed under: the host for port 22, else "[host]:port".
    static QByteArray hostName(const QString &host, int port);
    // The line that lists key for host at port, with its line break; empty for a key without a
    // type name.
    static QByteArray line(const QString &host, int port, const QByteArray &key);
    // The type name a key blob starts with ("ssh-ed25519", ...); empty when it has none.
    static QByteArray keyType(QByteArrayView key);
};

} // namespace Feedsmith
