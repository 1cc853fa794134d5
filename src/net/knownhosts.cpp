// SSH host keys as ~/.ssh/known_hosts lists them, read by this program.
#include "net/knownhosts.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>

#include <algorithm>
#include <cctype>
#include <optional>

namespace Feedsmith {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

char lower(char c)
{
    return char(std::tolower(uchar(c)));
}

// The field of line that starts at or after at; at moves past it.
QByteArrayView nextField(QByteArrayView line, qsizetype &at)
{
    while (at < line.size() && isBlank(line[at]))
        ++at;
    const qsizetype start = at;
    while (at < line.size() && !isBlank(line[at]))
        ++at;
    return line.sliced(start, at - start);
}

// Whether name matches pattern, where "*" stands for any run of characters and "?" for any one,
// letters in either case. Only the last "*" met is ever widened (that suffices for wildcards of
// this kind), so a hostile pattern costs at most pattern size × name size steps.
bool matchesWildcard(QByteArrayView name, QByteArrayView pattern)
{
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype star = -1; // the last "*" met
    qsizetype resume = 0; // where the name goes on when that "*" takes one more character
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++n;
            ++p;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::optional<QByteArray> decodeBase64(QByteArrayView text)
{
    auto result = QByteArray::fromBase64Encoding(text.toByteArray(), QByteArray::AbortOnBase64DecodingErrors);
    if (!result || text.isEmpty())
        return std::nullopt;
    return result.decoded;
}

// Whether the hosts field of a line names the server listed as name: a hashed name is the
// HMAC-SHA1 of the name under its salt; in a list of patterns one must match, and none that
// starts with "!".
bool namesHost(QByteArrayView hosts, QByteArrayView name)
{
    if (hosts.startsWith("|1|")) {
        const QByteArrayView rest = hosts.sliced(3);
        const qsizetype bar = rest.indexOf('|');
        if (bar < 0)
            return false;
        const std::optional<QByteArray> salt = decodeBase64(rest.first(bar));
        const std::optional<QByteArray> hash = decodeBase64(rest.sliced(bar + 1));
        const qsizetype sha1Size = QCryptographicHash::hashLength(QCryptographicHash::Sha1);
        return salt && hash && salt->size() == sha1Size && hash->size() == sha1Size
                && QMessageAuthenticationCode::hash(name.toByteArray(), *salt, QCryptographicHash::Sha1) == *hash;
    }
    bool named = false;
    qsizetype from = 0;
    while (from <= hosts.size()) {
        qsizetype comma = hosts.indexOf(',', from);
        if (comma < 0)
            comma = hosts.size();
        QByteArrayView pattern = hosts.sliced(from, comma - from);
        from = comma + 1;
        const bool negated = pattern.startsWith('!');
        if (negated)
            pattern = pattern.sliced(1);
        if (pattern.isEmpty() || !matchesWildcard(name, pattern))
            continue;
        if (negated)
            return false;
        named = true;
    }
    return named;
}

} // namespace

// Lines are read whatever their length: a line long with host names or a comment names its hosts
// like any other, and skipping it would pass off a changed key as an unknown one. The fields stay
// views into the file; only the keys of the lines that name the host are decoded, so what is held
// stays within the file's own size (the caller caps that).
QList<KnownHosts::Key> KnownHosts::keysFor(QByteArrayView file, const QString &host, int port)
{
    const QByteArray name = hostName(host.toLower(), port);
    QList<Key> keys;
    qsizetype from = 0;
    while (from < file.size()) {
        qsizetype end = file.indexOf('\n', from);
        if (end < 0)
            end = file.size();
        QByteArrayView line = file.sliced(from, end - from);
        from = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        qsizetype at = 0;
        QByteArrayView hosts = nextField(line, at);
        if (hosts.isEmpty() || hosts.startsWith('#'))
            continue;
        const bool revoked = hosts == "@revoked";
        if (revoked)
            hosts = nextField(line, at);
        else if (hosts.startsWith('@'))
            continue; // @cert-authority: certificates are not checked here
        const QByteArrayView type = nextField(line, at);
        const QByteArrayView encoded = nextField(line, at);
        if (type.isEmpty() || encoded.isEmpty() || !namesHost(hosts, name))
            continue;
        const std::optional<QByteArray> blob = decodeBase64(encoded);
        if (!blob || keyType(*blob) != type)
            continue;
        keys.append(Key{type.toByteArray(), *blob, revoked});
    }
    return keys;
}

KnownHosts::Verdict KnownHosts::check(QByteArrayView file, const QString &host, int port, QByteArrayView type,
                                      QByteArrayView key)
{
    return check(keysFor(file, host, port), type, key);
}

KnownHosts::Verdict KnownHosts::check(const QList<Key> &keys, QByteArrayView type, QByteArrayView key)
{
    const auto same = [&](const Key &k) { return k.type == type && k.blob == key; };
    if (std::any_of(keys.begin(), keys.end(), [&](const Key &k) { return k.revoked && same(k); }))
        return Verdict::Changed;
    if (std::any_of(keys.begin(), keys.end(), [&](const Key &k) { return !k.revoked && same(k); }))
        return Verdict::Trusted;
    // Like ssh: a host whose keys are known shows one of them, whatever its type.
    if (std::any_of(keys.begin(), keys.end(), [](const Key &k) { return !k.revoked; }))
        return Verdict::Changed;
    return Verdict::Unknown;
}

QByteArray KnownHosts::hostName(const QString &host, int port)
{
    if (port == 22)
        return host.toUtf8();
    return '[' + host.toUtf8() + "]:" + QByteArray::number(port);
}

QByteArray KnownHosts::line(const QString &host, int port, const QByteArray &key)
{
    const QByteArray type = keyType(key);
    if (type.isEmpty())
        return {};
    return hostName(host, port) + ' ' + type + ' ' + key.toBase64() + '\n';
}

QByteArray KnownHosts::keyType(QByteArrayView key)
{
    if (key.size() < 4)
        return {};
    const quint32 length = quint32(uchar(key[0])) << 24 | quint32(uchar(key[1])) << 16 | quint32(uchar(key[2])) << 8
            | quint32(uchar(key[3]));
    if (length == 0 || length > 64 || key.size() - 4 < qsizetype(length))
        return {};
    const QByteArrayView type = key.sliced(4, qsizetype(length));
    for (const char c : type) {
        if (!std::isalnum(uchar(c)) && c != '-' && c != '@' && c != '.')
            return {};
    }
    return type.toByteArray();
}

} // namespace Feedsmith
