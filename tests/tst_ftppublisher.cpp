// Tests of FTP publishing on libcurl against a real FTP server: the upload click, listing,
// directory changes and the error reports; and the web requests beside it (feed download, HEAD).
#include "net/curlinternet.h"
#include "net/feedfetch.h"
#include "net/ftppublisher.h"
#include "net/knownhosts.h"
#include "net/sshconnection.h"

#include "core/document/uploadrecord.h"

#include "ftpserver.h"
#include "testsupport.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QtTest>

#include <sys/stat.h>

using namespace Feedsmith;
using namespace FeedsmithTest;
using namespace Qt::StringLiterals;

namespace {

using Icon = FtpMessages::Icon;

struct Message
{
    Icon icon;
    QString text;
};

class RecordedMessages : public FtpMessages
{
public:
    void show(Icon icon, const QString &text) override { shown.append(Message{icon, text}); }
    std::optional<bool> answer(const FtpQuestion &question) override
    {
        asked.append(question.text);
        return question.kind == FtpQuestion::Kind::TrustServer && question.subject == trusted;
    }
    QStringList texts() const
    {
        QStringList result;
        for (const Message &m : shown)
            result.append(m.text);
        return result;
    }
    QList<Message> shown;
    void uploaded(const QString &remoteName, const QString &) override { uploadedNames.append(remoteName); }
    QStringList asked;
    QString trusted; // the fingerprint a question is answered Yes for
    QStringList uploadedNames;
};

const FtpTexts Texts{u"UPLOAD READY"_s, u"MISSING PASSWORD"_s, u"CERT %1 %2"_s, u"KEY %1 %2"_s, u"CHANGED %1 %2"_s};

// A failed call's report: its code, the cause in words, and the closing line.
QString closing(const QString &call, quint32 code, const QString &cause)
{
    return call + u" Err: "_s + QString::number(code) + u" ("_s + cause + u")\r\nClosing Connection and Session..."_s;
}

const QString Refused = u"the server refused"_s;
const QString Closed = u"the connection is closed"_s;

// A publisher on libcurl with its messages recorded, and the files of one feed.
struct Publishing
{
    explicit Publishing(CurlInternet::Timeouts timeouts = {})
        : internet(timeouts)
        , publisher(internet, messages, Texts)
    { }

    // The FTP settings for the server, a writer's login and a local file.
    FtpSettings settingsFor(const FtpServer &server, const QString &directory = {})
    {
        FtpSettings s;
        s.ftpfile = local.filePath(u"news.xml"_s);
        s.ftpurl = server.address();
        s.ftpdir = directory;
        s.ftpusername = server.userName();
        s.ftppassword = QString::fromLatin1(FtpServer::WriterPassword);
        return s;
    }

    CurlInternet internet;
    RecordedMessages messages;
    FtpPublisher publisher;
    QTemporaryDir local;
};

// Bytes that a text transfer would change: line ends of both kinds, NUL, high bytes.
QByteArray feedBytes()
{
    QByteArray bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<rss version=\"2.0\">\n\r\n";
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    bytes.append("\r\n</rss>\r\n");
    return bytes;
}

// An SSH key blob: its type name, then 32 bytes of fill.
QByteArray sshKey(const QByteArray &type, char fill)
{
    return QByteArray(3, 0) + char(type.size()) + type + QByteArray::fromHex("00000020") + QByteArray(32, fill);
}

} // namespace

class TestFtpPublisher : public QObject
{
    Q_OBJECT

private slots:
    void remoteDirectoryPath_data();
    void remoteDirectoryPath();
    void remoteFileName_data();
    void remoteFileName();
    void serverField_data();
    void serverField();
    void directoryUrlPath_data();
    void directoryUrlPath();
    void listingLines_data();
    void listingLines();
    void knownHosts_data();
    void knownHosts();
    void hostKeyOrder_data();
    void hostKeyOrder();
    void localNetworkAddresses_data();
    void localNetworkAddresses();
    void webRedirects_data();
    void webRedirects();

    void firstClickOnEmptyStartDirectoryKeepsTheConnection();
    void startDirectoryIsListedInServerOrder();
    void uploadStoresTheFileUnchanged_data();
    void uploadStoresTheFileUnchanged();
    void nextClickAfterSuccessConnectsAgain();
    void wrongPasswordKeepsTheState();
    void unknownHostResetsSilently();
    void missingRemoteDirectoryIsReportedAsRcd();
    void refusedUploadIsReportedWithTheServersAnswer();
    void serverStoppedBetweenClicks();
    void localFileProblems_data();
    void localFileProblems();
    void emptyServerFieldDoesNothing();
    void emptyDirectoryNameAsksForOne();
    void secureServerIsTrustedOnceThenUsedLikeFtp_data();
    void secureServerIsTrustedOnceThenUsedLikeFtp();
    void silentServerEndsInATimeout_data();
    void silentServerEndsInATimeout();
    void settingsRefusedBeforeConnecting_data();
    void settingsRefusedBeforeConnecting();
    void proxyFieldIsUsedAsTheSessionsProxy_data();
    void proxyFieldIsUsedAsTheSessionsProxy();
    void uploadRecordIsReadTolerantly_data();
    void uploadRecordIsReadTolerantly();
    void breakOffsLeaveLiveFilesWhole_data();
    void breakOffsLeaveLiveFilesWhole();

    void initTestCase()
    {
        // Host keys and trusted certificates are remembered here, not in the user's files.
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.filePath(u".config"_s).toUtf8());
    }

private:
    QTemporaryDir m_home;
    FtpServer m_web; // webserver.py, for all rows of webRedirects
};

void TestFtpPublisher::remoteDirectoryPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("path");
    QTest::newRow("server name alone becomes the root") << u"ftp.example.org"_s << u"ftp.example.org"_s << u"/"_s;
    QTest::newRow("server name followed by a path")
            << u"ftp.example.org/htdocs"_s << u"ftp.example.org"_s << u"/htdocs"_s;
    QTest::newRow("server with port followed by a path")
            << u"127.0.0.1:2121/pub/feeds"_s << u"127.0.0.1:2121"_s << u"/pub/feeds"_s;
    QTest::newRow("path without the server name is unchanged") << u"/pub"_s << u"ftp.example.org"_s << u"/pub"_s;
    QTest::newRow("relative path is unchanged") << u"htdocs/feeds"_s << u"ftp.example.org"_s << u"htdocs/feeds"_s;
    QTest::newRow("server name inside the path is part of the path")
            << u"/www/ftp.example.org/feeds"_s << u"ftp.example.org"_s << u"/www/ftp.example.org/feeds"_s;
    QTest::newRow("letter case counts") << u"FTP.example.org/htdocs"_s << u"ftp.example.org"_s
                                        << u"FTP.example.org/htdocs"_s;
    QTest::newRow("empty server field strips nothing") << u"/pub"_s << QString() << u"/pub"_s;
}

void TestFtpPublisher::remoteDirectoryPath()
{
    QFETCH(QString, name);
    QFETCH(QString, server);
    QFETCH(QString, path);
    QCOMPARE(FtpPublisher::remoteDirectoryPath(name, server), path);
}

void TestFtpPublisher::remoteFileName_data()
{
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("remote");
    QTest::addColumn<QString>("problem"); // what the check before connecting says; empty: nothing
    QTest::newRow("Linux path") << u"/home/ann/feeds/news.xml"_s << u"news.xml"_s << QString();
    QTest::newRow("Windows path") << u"C:\\feeds\\news.xml"_s << u"news.xml"_s << QString();
    QTest::newRow("no separator at all") << u"news.xml"_s << u"news.xml"_s << QString();
    QTest::newRow("backslash after the last slash") << u"/home/ann/a\\b.xml"_s << u"b.xml"_s << QString();
    QTest::newRow("slash after the last backslash") << u"C:\\x/y.xml"_s << u"y.xml"_s << QString();
    QTest::newRow("folder only") << u"/home/ann/"_s << QString() << u"ends in a separator"_s;
    QTest::newRow("parent folder") << u"/home/ann/.."_s << u".."_s << u"ends in \"..\": that names a folder"_s;
    QTest::newRow("current folder") << u"C:\\feeds\\."_s << u"."_s << u"ends in \".\": that names a folder"_s;
    QTest::newRow("escape sequence in the name")
            << u"/tmp/a\x1b[2Jb.xml"_s << u"a\x1b[2Jb.xml"_s << u"\"/tmp/a?[2Jb.xml\" has a control character"_s;
    QTest::newRow("direction override in the name")
            << u"/tmp/\u202Elmx.exe"_s << u"\u202Elmx.exe"_s << u"\"/tmp/?lmx.exe\" has a character in its name that"_s;
}

void TestFtpPublisher::remoteFileName()
{
    QFETCH(QString, local);
    QFETCH(QString, remote);
    QFETCH(QString, problem);
    QCOMPARE(FtpPublisher::remoteFileName(local), remote);
    const QString said = FtpPublisher::remoteFileNameProblem(local);
    QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), qPrintable(said));
}

void TestFtpPublisher::serverField_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("problem"); // what the check before connecting says
    QTest::newRow("host name uses the FTP port")
            << u"ftp.example.org"_s << true << u"ftp.example.org"_s << 21 << QString();
    QTest::newRow("host with port") << u"127.0.0.1:2121"_s << true << u"127.0.0.1"_s << 2121 << QString();
    QTest::newRow("IPv6 address with port") << u"[::1]:990"_s << true << u"::1"_s << 990 << QString();
    QTest::newRow("blanks around are ignored")
            << u" ftp.example.org "_s << true << u"ftp.example.org"_s << 21 << QString();
    QTest::newRow("path is no host") << u"ftp.example.org/pub"_s << false << QString() << 0 << u"holds a path"_s;
    QTest::newRow("user name is no host")
            << u"ann@ftp.example.org"_s << false << QString() << 0 << u"holds a user name"_s;
    QTest::newRow("URL with a scheme") << u"ftp://ftp.example.org"_s << false << QString() << 0
                                       << u"without \"ftp://\" in front"_s;
    QTest::newRow("FTPS on the FTP port")
            << u"ftps://ftp.example.org"_s << true << u"ftp.example.org"_s << 21 << QString();
    QTest::newRow("SFTP on the SSH port") << u"SFTP://[::1]"_s << true << u"::1"_s << 22 << QString();
    QTest::newRow("international name as ACE")
            << u"ftps://bücher.example"_s << true << u"xn--bcher-kva.example"_s << 21 << QString();
    QTest::newRow("scheme without a host") << u"sftp://"_s << false << QString() << 0 << u"host name after"_s;
    QTest::newRow("SFTP with a user name") << u"sftp://a@b"_s << false << QString() << 0 << u"holds a user name"_s;
    QTest::newRow("blank inside") << u"ftp example"_s << false << QString() << 0 << u"holds a blank"_s;
    QTest::newRow("line break inside") << u"ftp.example.org\r\nUSER x"_s << false << QString() << 0
                                       << u"\"ftp.example.org??USER x\" is not a server: it holds a control"_s;
    QTest::newRow("port zero") << u"ftp.example.org:0"_s << false << QString() << 0 << u"port 0 is out of range"_s;
    QTest::newRow("port out of range") << u"ftp.example.org:70000"_s << false << QString() << 0
                                       << u"port 70000 is out of range"_s;
    QTest::newRow("port 99999") << u"ftp.example.org:99999"_s << false << QString() << 0
                                << u"port 99999 is out of range"_s;
    QTest::newRow("port that is no number")
            << u"ftp.example.org:ftp"_s << false << QString() << 0 << u"port \"ftp\" is not a number"_s;
    QTest::newRow("colon without a port")
            << u"ftp.example.org:"_s << false << QString() << 0 << u"port after \":\" is missing"_s;
    QTest::newRow("IPv6 address without brackets") << u"::1"_s << false << QString() << 0 << u"in brackets"_s;
}

void TestFtpPublisher::serverField()
{
    QFETCH(QString, server);
    QFETCH(bool, valid);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, problem);
    const QString said = FtpPublisher::serverFieldProblem(server);
    QVERIFY2(valid ? said.isEmpty() : said.contains(problem), qPrintable(said));
    QString gotHost;
    int gotPort = 0;
    QCOMPARE(CurlInternet::parseServer(server, &gotHost, &gotPort), valid);
    if (valid) {
        QCOMPARE(gotHost, host);
        QCOMPARE(gotPort, port);
    }
}

void TestFtpPublisher::directoryUrlPath_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QByteArray>("urlPath");
    QTest::newRow("login directory") << QString() << QByteArray();
    QTest::newRow("root") << u"/"_s << QByteArray("%2F");
    QTest::newRow("absolute") << u"/htdocs/feeds"_s << QByteArray("%2Fhtdocs/feeds");
    QTest::newRow("relative") << u"htdocs/feeds"_s << QByteArray("htdocs/feeds");
    QTest::newRow("doubled and closing slashes") << u"//htdocs//feeds/"_s << QByteArray("%2Fhtdocs/feeds");
    QTest::newRow("blank, hash and question mark are encoded")
            << u"/my feeds/#1?"_s << QByteArray("%2Fmy%20feeds/%231%3F");
    QTest::newRow("non-ASCII name as UTF-8") << u"/Bücher"_s << QByteArray("%2FB%C3%BCcher");
    QTest::newRow("dot segments stay") << u"/a/../b"_s << QByteArray("%2Fa/../b");
}

void TestFtpPublisher::directoryUrlPath()
{
    QFETCH(QString, directory);
    QFETCH(QByteArray, urlPath);
    QCOMPARE(CurlInternet::directoryUrlPath(directory), urlPath);
}

void TestFtpPublisher::listingLines_data()
{
    QTest::addColumn<QByteArray>("listing");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<quint32>>("attributes");
    const quint32 dir = RemoteAttribute::Directory;
    const quint32 file = RemoteAttribute::Normal;
    QTest::newRow("Unix style with a folder") << QByteArray("drwxr-xr-x   2 ann ann  4096 Jan 02 10:00 htdocs\r\n"
                                                            "-rw-r--r--   1 ann ann   120 Jan 02  2023 news.xml\r\n")
                                              << QStringList{u"htdocs"_s, u"news.xml"_s} << QList<quint32>{dir, file};
    QTest::newRow("name with blanks") << QByteArray("-rw-r--r--   1 ann ann   120 Jan 02 10:00 my  news.xml\r\n")
                                      << QStringList{u"my  news.xml"_s} << QList<quint32>{file};
    QTest::newRow("link shows its own name")
            << QByteArray("lrwxrwxrwx   1 ann ann     8 Jan 02 10:00 latest.xml -> news.xml\n")
            << QStringList{u"latest.xml"_s} << QList<quint32>{file};
    QTest::newRow("total line and dot entries are left out")
            << QByteArray("total 8\r\ndrwxr-xr-x 2 a a 4096 Jan 02 10:00 .\r\ndrwxr-xr-x 2 a a 4096 Jan 02 10:00 ..\r\n"
                          "-rw-r--r-- 1 a a 1 Jan 02 10:00 x\r\n")
            << QStringList{u"x"_s} << QList<quint32>{file};
    QTest::newRow("DOS style") << QByteArray("01-02-23  10:00AM       <DIR>          htdocs\r\n"
                                             "01-02-23  10:00AM                  120 news feed.xml\r\n")
                               << QStringList{u"htdocs"_s, u"news feed.xml"_s} << QList<quint32>{dir, file};
    QTest::newRow("bare names") << QByteArray("a.xml\r\nb.xml\r\n") << QStringList{u"a.xml"_s, u"b.xml"_s}
                                << QList<quint32>{file, file};
    QTest::newRow("nothing") << QByteArray("\r\n") << QStringList{} << QList<quint32>{};
}

void TestFtpPublisher::listingLines()
{
    QFETCH(QByteArray, listing);
    QFETCH(QStringList, names);
    QFETCH(QList<quint32>, attributes);
    QStringList gotNames;
    QList<quint32> gotAttributes;
    for (const RemoteEntry &e : CurlInternet::parseListing(listing)) {
        gotNames.append(e.name);
        gotAttributes.append(e.attributes);
    }
    QCOMPARE(gotNames, names);
    QCOMPARE(gotAttributes, attributes);
}

void TestFtpPublisher::knownHosts_data()
{
    QTest::addColumn<QByteArray>("file"); // %old, %rsa and %big stand for keys
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("showsOld"); // the key the server shows: %old, else another
    QTest::addColumn<KnownHosts::Verdict>("verdict");
    using V = KnownHosts::Verdict;
    const auto row = [](const char *name, const QByteArray &file, int port, bool old, V verdict) {
        QTest::newRow(name) << file << port << old << verdict;
    };
    const QByteArray old = "example.org ssh-ed25519 %old\n";
    row("same key", "# mine\r\n\r\n\texample.org  ssh-ed25519 %old comment\r\n", 22, true, V::Trusted);
    row("other host only", "example.com ssh-ed25519 %old\n", 22, false, V::Unknown);
    row("bad line before old key", "example.org ssh-ed25519 AAAA!\n" + old, 22, false, V::Changed);
    row("line over 4 KB before old key", QByteArray(5000, 'x') + '\n' + old, 22, false, V::Changed);
    row("line over 16 KB of host names", "example.org" + QByteArray(17000, ',') + " ssh-ed25519 %old", 22, false,
        V::Changed);
    row("line over 16 KB of comment, same key", old.chopped(1) + ' ' + QByteArray(17000, 'c'), 22, true, V::Trusted);
    row("key over 16 KB", "example.org ssh-ed25519 %big", 22, false, V::Changed);
    row("hashed entry, old key", "|1|by9EvhX0jpZs8ReP68gT0IZEAaU=|IjZ7cyg3/E9bCyzWRGSOIphh3b4= ssh-ed25519 %old", 22,
        false, V::Changed);
    row("hashed entry with port, same key",
        "|1|S3yVDbujbZUSa1Tr+kvMCAxckY0=|uiWzDYKKbN6RQsFZKSbQkBQXP2M= ssh-ed25519 %old", 2222, true, V::Trusted);
    row("wildcard pattern", "*.org ssh-ed25519 %old", 22, false, V::Changed);
    row("question mark and capitals", "a.b,EXAMPLE.or? ssh-ed25519 %old", 22, true, V::Trusted);
    row("[host]:port", "[example.org]:2222 ssh-ed25519 %old", 2222, false, V::Changed);
    row("plain host is for port 22 only", old, 2222, false, V::Unknown);
    row("negated pattern", "*.org,!example.org ssh-ed25519 %old", 22, false, V::Unknown);
    row("@revoked", "@revoked * ssh-ed25519 %old\n" + old, 22, true, V::Changed);
    row("@cert-authority is skipped", "@cert-authority *.org ssh-ed25519 %old", 22, false, V::Unknown);
    row("key of another type", "example.org ssh-rsa %rsa", 22, false, V::Changed);
    row("type that is not the key's", "example.org ssh-rsa %old", 22, false, V::Unknown);
}

void TestFtpPublisher::knownHosts()
{
    QFETCH(QByteArray, file);
    QFETCH(int, port);
    QFETCH(bool, showsOld);
    QFETCH(KnownHosts::Verdict, verdict);
    const QByteArray old = sshKey("ssh-ed25519", 'o');
    file.replace("%old", old.toBase64()).replace("%rsa", sshKey("ssh-rsa", 'r').toBase64());
    file.replace("%big", (sshKey("ssh-ed25519", 'b') + QByteArray(16 * 1024, 'b')).toBase64());
    const QByteArray shown = showsOld ? old : sshKey("ssh-ed25519", 'n');
    QCOMPARE(KnownHosts::check(file, u"example.org"_s, port, "ssh-ed25519", shown), verdict);
}

void TestFtpPublisher::hostKeyOrder_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("first"); // the host key algorithms asked for first
    QTest::newRow("unknown host: OpenSSH's order") << QByteArray() << QByteArray("ssh-ed25519,ecdsa-sha2-nistp256,");
    QTest::newRow("known RSA key: SHA-2 signatures first")
            << QByteArray("example.org ssh-rsa %rsa") << QByteArray("rsa-sha2-512,rsa-sha2-256,ssh-ed25519,");
    QTest::newRow("revoked RSA key is not asked for first")
            << QByteArray("@revoked example.org ssh-rsa %rsa") << QByteArray("ssh-ed25519,");
    QTest::newRow("ECDSA and RSA known: ECDSA first")
            << QByteArray("example.org ssh-rsa %rsa\nexample.org ecdsa-sha2-nistp384 %ecdsa")
            << QByteArray("ecdsa-sha2-nistp384,ssh-ed25519,ecdsa-sha2-nistp256,ecdsa-sha2-nistp521,rsa-sha2-512,");
}

void TestFtpPublisher::hostKeyOrder()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, first);
    file.replace("%rsa", sshKey("ssh-rsa", 'r').toBase64());
    file.replace("%ecdsa", sshKey("ecdsa-sha2-nistp384", 'e').toBase64());
    const QByteArray asked = SshConnection::hostKeyAlgorithms(KnownHosts::keysFor(file, u"example.org"_s, 22));
    QVERIFY2(asked.startsWith(first), asked.constData());
    QVERIFY(!asked.contains("ssh-rsa") && !asked.contains("ssh-dss")); // no SHA-1 signatures
}

void TestFtpPublisher::localNetworkAddresses_data()
{
    QTest::addColumn<QString>("addresses");
    QTest::addColumn<bool>("local");
    QTest::newRow("this machine, private, link-local, no address")
            << u"0.0.0.0 127.255.255.254 10.0.0.1 172.16.0.1 172.31.255.255 192.168.1.1 169.254.169.254 ::1 :: "
               u"fc00::1 fdff::1 fe80::1 febf::1 ::ffff:10.1.2.3 localhost"_s
            << true;
    QTest::newRow("public") << u"8.8.8.8 9.255.255.255 11.0.0.0 172.15.0.1 172.32.0.1 192.169.0.1 169.253.0.1 "
                               u"2001:db8::1 fec0::1 fe7f::1 ::ffff:8.8.8.8"_s
                            << false;
}

void TestFtpPublisher::localNetworkAddresses()
{
    QFETCH(QString, addresses);
    QFETCH(bool, local);
    for (const QString &address : addresses.split(u' '))
        QVERIFY2(isLocalNetworkAddress(address) == local, qPrintable(address));
}

void TestFtpPublisher::webRedirects_data()
{
    QTest::addColumn<QString>("to"); // where 127.0.0.1 redirects; %1: its own port, %2: a silent one
    QTest::addColumn<QString>("refused"); // the address the error names; empty: the feed is read
    QTest::newRow("no redirect") << QString() << QString();
    QTest::newRow("redirect on the same server") << u"http://127.0.0.1:%1/feed.xml"_s << QString();
    QTest::newRow("redirect to another port of 127.0.0.1") << u"http://127.0.0.1:%2/"_s << u"127.0.0.1"_s;
    QTest::newRow("redirect to ::1") << u"http://[::1]:%1/feed.xml"_s << u"::1"_s;
    QTest::newRow("redirect to IPv4-mapped 127.0.0.1") << u"http://[::ffff:127.0.0.1]:%2/"_s << u"::ffff:127.0.0.1"_s;
}

void TestFtpPublisher::webRedirects()
{
    QFETCH(QString, to);
    QFETCH(QString, refused);
    QVERIFY(m_web.port() > 0 || m_web.startScript(u"webserver.py"_s, {}));
    SilentListener silent;
    const QString port = QString::number(m_web.port());
    to.replace(u"%1"_s, port).replace(u"%2"_s, QString::number(silent.port()));
    const QString address = u"http://127.0.0.1:"_s + port
            + (to.isEmpty() ? u"/feed.xml"_s : u"/moved?to="_s + QString::fromLatin1(QUrl::toPercentEncoding(to)));
    qint64 length = 0;
    QString type, probeError, fetchError;
    QByteArray feed;
    const bool probed = ProbeAddress(address, &length, &type, &probeError);
    QCOMPARE(FetchFeed(address, 1 << 20, &feed, &fetchError), probed);
    QCOMPARE(probeError,
             refused.isEmpty() ? QString()
                               : u"the server redirected to a private or local address (%1), "
                                 u"which is not followed"_s.arg(refused));
    QCOMPARE(fetchError, probeError);
    QCOMPARE(feed.startsWith("<rss "), probed);
    QCOMPARE(length, probed ? feed.size() : -1);
    QCOMPARE(type, probed ? u"application/rss+xml"_s : QString());
}

void TestFtpPublisher::firstClickOnEmptyStartDirectoryKeepsTheConnection()
{
    FtpServer server;
    QVERIFY(server.start());
    Publishing p;
    QVERIFY(writeBytes(p.local.filePath(u"news.xml"_s), feedBytes()));
    const FtpSettings settings = p.settingsFor(server);

    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Connected);
    QCOMPARE(p.messages.texts(), QStringList{u"This directory is empty!"_s});
    QCOMPARE(p.messages.shown.first().icon, Icon::None);
    QVERIFY(p.publisher.isConnected());
    QVERIFY(p.publisher.connectionHandle() != 0);
    QVERIFY(!QFile::exists(server.path(u"news.xml"_s)));

    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Uploaded);
    QCOMPARE(p.messages.shown.size(), 2);
    QCOMPARE(p.messages.shown.at(1).icon, Icon::Exclamation);
    QCOMPARE(p.messages.shown.at(1).text, Texts.uploadready);
    QCOMPARE(readBytes(server.path(u"news.xml"_s)), feedBytes());
    QVERIFY(!p.publisher.isConnected());
    QCOMPARE(p.publisher.connectionHandle(), InternetHandle(0));
    QVERIFY(p.publisher.sessionHandle() != 0); // the session stays open
    // The second click used the first click's login.
    QCOMPARE(server.log().count("USER 'writer' logged in"), 1);
}

void TestFtpPublisher::startDirectoryIsListedInServerOrder()
{
    FtpServer server;
    QVERIFY(server.start());
    // Made out of order; the server lists sorted.
    QVERIFY(server.putFile(u"zeta.xml"_s, "z"));
    QVERIFY(server.makeDirectory(u"htdocs"_s));
    QVERIFY(server.putFile(u"alpha feed.xml"_s, "a"));
    Publishing p;
    // One click without a local file: connected and listed, then stopped before the upload.
    FtpSettings noFile = p.settingsFor(server);
    noFile.ftpfile.clear();
    QCOMPARE(p.publisher.upload(noFile), FtpPublisher::Outcome::Failed);
    QCOMPARE(p.messages.texts(), QStringList{u"Please select a local file to put"_s});
    QCOMPARE(p.publisher.remoteNames(), (QStringList{u"alpha feed.xml"_s, u"htdocs"_s, u"zeta.xml"_s}));
    QCOMPARE(p.publisher.remoteAttributes(),
             (QList<quint32>{RemoteAttribute::Normal, RemoteAttribute::Directory, RemoteAttribute::Normal}));
    QVERIFY(p.publisher.isConnected());
}

void TestFtpPublisher::uploadStoresTheFileUnchanged_data()
{
    QTest::addColumn<QString>("directory"); // the directory field; "%s" stands for the server field
    QTest::addColumn<QString>("folder"); // where the file is made on the server
    QTest::addColumn<QString>("storedAs"); // where it must arrive
    QTest::newRow("empty directory field stores into the root") << QString() << QString() << u"news.xml"_s;
    QTest::newRow("root") << u"/"_s << QString() << u"news.xml"_s;
    QTest::newRow("sub-directory") << u"/htdocs"_s << u"htdocs"_s << u"htdocs/news.xml"_s;
    QTest::newRow("nested sub-directory with closing slash")
            << u"/htdocs/feeds/"_s << u"htdocs/feeds"_s << u"htdocs/feeds/news.xml"_s;
    QTest::newRow("relative sub-directory") << u"htdocs"_s << u"htdocs"_s << u"htdocs/news.xml"_s;
    QTest::newRow("server name followed by the path") << u"%s/htdocs"_s << u"htdocs"_s << u"htdocs/news.xml"_s;
    QTest::newRow("server name alone") << u"%s"_s << QString() << u"news.xml"_s;
    QTest::newRow("folder with blank and hash") << u"/my feeds #1"_s << u"my feeds #1"_s << u"my feeds #1/news.xml"_s;
}

void TestFtpPublisher::uploadStoresTheFileUnchanged()
{
    QFETCH(QString, directory);
    QFETCH(QString, folder);
    QFETCH(QString, storedAs);
    FtpServer server;
    QVERIFY(server.start());
    QVERIFY(server.putFile(u"index.html"_s, "<html></html>")); // the start directory is not empty
    if (!folder.isEmpty())
        QVERIFY(server.makeDirectory(folder));
    Publishing p;
    QVERIFY(writeBytes(p.local.filePath(u"news.xml"_s), feedBytes()));
    const FtpSettings settings = p.settingsFor(server, directory.replace(u"%s"_s, server.address()));

    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Uploaded);
    QCOMPARE(p.messages.texts(), QStringList{Texts.uploadready});
    QCOMPARE(readBytes(server.path(storedAs)), feedBytes());
    QCOMPARE(p.publisher.remoteNames(), QStringList{}); // cleared after the upload
}

void TestFtpPublisher::nextClickAfterSuccessConnectsAgain()
{
    FtpServer server;
    QVERIFY(server.start());
    QVERIFY(server.putFile(u"index.html"_s, "x"));
    Publishing p;
    QVERIFY(writeBytes(p.local.filePath(u"news.xml"_s), "first"));
    const FtpSettings settings = p.settingsFor(server);
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Uploaded);
    QCOMPARE(readBytes(server.path(u"news.xml"_s)), QByteArray("first"));

    QVERIFY(writeBytes(p.local.filePath(u"news.xml"_s), "second, longer"));
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Uploaded);
    QCOMPARE(readBytes(server.path(u"news.xml"_s)), QByteArray("second, longer"));
    // Listed afresh (the new file is there now) and logged in twice.
    QCOMPARE(server.log().count("USER 'writer' logged in"), 2);
    QCOMPARE(p.messages.texts(), (QStringList{Texts.uploadready, Texts.uploadready}));
}

void TestFtpPublisher::wrongPasswordKeepsTheState()
{
    FtpServer server;
    QVERIFY(server.start());
    QVERIFY(server.putFile(u"index.html"_s, "x"));
    Publishing p;
    QVERIFY(writeBytes(p.local.filePath(u"news.xml"_s), feedBytes()));
    FtpSettings settings = p.settingsFor(server);
    settings.ftppassword = u"wrong"_s;

    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    QCOMPARE(p.messages.shown.size(), 1);
    QCOMPARE(p.messages.shown.first().icon, Icon::Critical);
    QCOMPARE(p.messages.shown.first().text, Texts.missingpassword);
    QVERIFY(!p.publisher.isConnected());
    QVERIFY(p.publisher.sessionHandle() != 0); // the session is kept
    QVERIFY(!QFile::exists(server.path(u"news.xml"_s)));

    // Corrected, the next click logs in and uploads.
    settings.ftppassword = QString::fromLatin1(FtpServer::WriterPassword);
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Uploaded);
    QCOMPARE(readBytes(server.path(u"news.xml"_s)), feedBytes());
}

void TestFtpPublisher::unknownHostResetsSilently()
{
    FtpServer server;
    QVERIFY(server.start());
    Publishing p;
    QVERIFY(writeBytes(p.local.filePath(u"news.xml"_s), feedBytes()));
    FtpSettings settings = p.settingsFor(server);
    // A name that cannot be a host name (a label longer than 63) is named before connecting.
    settings.ftpurl = QString(64, u'x') + u".invalid"_s;
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    QCOMPARE(p.messages.texts(),
             QStringList{u"The server field \""_s + settings.ftpurl + u"\" is not a server: \""_s + settings.ftpurl
                         + u"\" is not a valid host name or address."_s});
    QVERIFY(!p.publisher.isConnected());

    // A name the resolver does not know resets the session, and is said in plain words.
    p.messages.shown.clear();
    p.publisher.reportError(InternetError::NameNotResolved, u"InternetConnect"_s);
    QCOMPARE(p.messages.shown.size(), 1);
    QCOMPARE(p.messages.shown.first().icon, FtpMessages::Icon::Critical);
    QVERIFY2(p.messages.texts().first().startsWith(u"The server "_s + settings.ftpurl + u" cannot be found."_s),
             qPrintable(p.messages.texts().first()));
    QCOMPARE(p.publisher.sessionHandle(), InternetHandle(0));

    // The next click with the right server connects again.
    settings.ftpurl = server.address();
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Connected);
    QVERIFY(p.publisher.isConnected());
}

void TestFtpPublisher::missingRemoteDirectoryIsReportedAsRcd()
{
    FtpServer server;
    QVERIFY(server.start());
    QVERIFY(server.putFile(u"index.html"_s, "x"));
    Publishing p;
    QVERIFY(writeBytes(p.local.filePath(u"news.xml"_s), feedBytes()));
    const FtpSettings settings = p.settingsFor(server, u"/no/such/folder"_s);

    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    const QStringList texts = p.messages.texts();
    QCOMPARE(texts.size(), 3);
    QVERIFY2(texts.at(0).startsWith(u"rcd Extd Err: 550 "_s), qPrintable(texts.at(0)));
    QCOMPARE(texts.at(1), closing(u"rcd"_s, InternetError::ExtendedError, Refused));
    // The upload that follows finds the connection closed.
    QCOMPARE(texts.at(2), closing(u"FtpPutFile"_s, InternetError::InvalidHandle, Closed));
    QVERIFY(!p.publisher.isConnected());
    QCOMPARE(p.publisher.connectionHandle(), InternetHandle(0));
    QVERIFY(!QFile::exists(server.path(u"news.xml"_s)));
}

void TestFtpPublisher::refusedUploadIsReportedWithTheServersAnswer()
{
    FtpServer server;
    QVERIFY(server.start());
    QVERIFY(server.putFile(u"index.html"_s, "x"));
    Publishing p;
    QVERIFY(writeBytes(p.local.filePath(u"news.xml"_s), feedBytes()));
    FtpSettings settings = p.settingsFor(server);
    settings.ftpusername = QString::fromLatin1(FtpServer::Reader);
    settings.ftppassword = QString::fromLatin1(FtpServer::ReaderPassword);

    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    const QStringList texts = p.messages.texts();
    QCOMPARE(texts.size(), 2);
    QVERIFY2(texts.at(0).startsWith(u"FtpPutFile Extd Err: 550 "_s), qPrintable(texts.at(0)));
    QCOMPARE(texts.at(0).mid(25), p.internet.lastResponse().text);
    QVERIFY(!p.internet.lastResponse().text.isEmpty());
    QCOMPARE(texts.at(1), closing(u"FtpPutFile"_s, InternetError::ExtendedError, Refused));
    QVERIFY(!p.publisher.isConnected());
    QCOMPARE(p.publisher.sessionHandle(), InternetHandle(0));
    QVERIFY(!QFile::exists(server.path(u"news.xml"_s)));
}

void TestFtpPublisher::serverStoppedBetweenClicks()
{
    FtpServer server;
    QVERIFY(server.start());
    Publishing p;
    QVERIFY(writeBytes(p.local.filePath(u"news.xml"_s), feedBytes()));
    const FtpSettings settings = p.settingsFor(server);
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Connected);
    p.messages.shown.clear();
    server.stop();

    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    const QStringList texts = p.messages.texts();
    QVERIFY2(!texts.isEmpty() && texts.first().startsWith(u"rcd Err: "_s), qPrintable(texts.join(u" | "_s)));
    QVERIFY(texts.first().endsWith(u"\r\nClosing Connection and Session..."_s));
    QCOMPARE(texts.last(), closing(u"FtpPutFile"_s, InternetError::InvalidHandle, Closed));
    QVERIFY(!p.publisher.isConnected());
    QCOMPARE(p.publisher.connectionHandle(), InternetHandle(0));

    // Still stopped: the next click tries to connect and says that it cannot.
    p.messages.shown.clear();
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    QCOMPARE(p.messages.texts(),
             QStringList{closing(u"InternetConnect"_s, InternetError::CannotConnect,
                                 u"nobody answers at the server's address"_s)});
}

void TestFtpPublisher::localFileProblems_data()
{
    QTest::addColumn<QString>("localName"); // inside the local folder
    QTest::addColumn<QString>("message");
    QTest::newRow("file does not exist") << u"missing.xml"_s
                                         << closing(u"FtpPutFile"_s, InternetError::FileNotFound,
                                                    u"the local file does not exist"_s);
    const QString notPlain = closing(u"FtpPutFile"_s, InternetError::LocalFileNotPlain,
                                     u"the local file is a link, a device, a pipe or a socket; only a regular file "
                                     "is uploaded"_s);
    QTest::newRow("a folder, not a file") << u"folder"_s << notPlain;
    QTest::newRow("a link planted at the file's place") << u"link.xml"_s << notPlain;
    QTest::newRow("a pipe that nobody writes to") << u"pipe.xml"_s << notPlain;
    QTest::newRow("path ends in a slash: refused before connecting")
            << u"folder/"_s
            << u"The local file \"%1/folder/\" ends in a separator: the file on the server would have no name."_s;
}

void TestFtpPublisher::localFileProblems()
{
    QFETCH(QString, localName);
    QFETCH(QString, message);
    FtpServer server;
    QVERIFY(server.start());
    QVERIFY(server.putFile(u"index.html"_s, "x"));
    Publishing p;
    QVERIFY(QDir(p.local.path()).mkdir(u"folder"_s));
    QVERIFY(writeBytes(p.local.filePath(u"secret"_s), "secret")
            && QFile::link(p.local.filePath(u"secret"_s), p.local.filePath(u"link.xml"_s)));
    QCOMPARE(::mkfifo(QFile::encodeName(p.local.filePath(u"pipe.xml"_s)).constData(), 0600), 0);
    FtpSettings settings = p.settingsFor(server);
    settings.ftpfile = p.local.path() + u'/' + localName;

    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    QCOMPARE(p.messages.texts(), QStringList{message.replace(u"%1"_s, p.local.path())});
    QVERIFY(!p.publisher.isConnected());
    QCOMPARE(QDir(server.root()).entryList(QDir::Files), QStringList{u"index.html"_s});
}

void TestFtpPublisher::emptyServerFieldDoesNothing()
{
    Publishing p;
    FtpSettings settings;
    settings.ftpfile = p.local.filePath(u"news.xml"_s);
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::NothingDone);
    QCOMPARE(p.messages.shown.size(), 0);
    QVERIFY(!p.publisher.isConnected());
    QCOMPARE(p.publisher.connectionHandle(), InternetHandle(0));
}

void TestFtpPublisher::emptyDirectoryNameAsksForOne()
{
    FtpServer server;
    QVERIFY(server.start());
    QVERIFY(server.putFile(u"index.html"_s, "x"));
    Publishing p;
    FtpSettings settings = p.settingsFor(server);
    settings.ftpfile.clear();
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    p.messages.shown.clear();

    p.publisher.changeRemoteDirectory(QString());
    QCOMPARE(p.messages.texts(), QStringList{u"Please enter the directory to CD"_s});
    QVERIFY(p.publisher.isConnected()); // nothing else happened

    // Listing a named directory changes there first.
    QVERIFY(server.makeDirectory(u"htdocs"_s));
    QVERIFY(server.putFile(u"htdocs/one.xml"_s, "1"));
    p.messages.shown.clear();
    p.publisher.listRemoteDirectory(u"/htdocs"_s);
    QCOMPARE(p.messages.shown.size(), 0);
    QCOMPARE(p.publisher.remoteNames(), QStringList{u"one.xml"_s});
}

void TestFtpPublisher::secureServerIsTrustedOnceThenUsedLikeFtp_data()
{
    addSecureSchemeRows();
}

void TestFtpPublisher::secureServerIsTrustedOnceThenUsedLikeFtp()
{
    QFETCH(QString, scheme);
    QFETCH(QString, hostKey);
    const bool sftp = scheme == "sftp://"_L1;
    if (const QString why = FtpServer::sftpUnavailable(); sftp && !why.isEmpty())
        QSKIP(qPrintable(why));
    FtpServer server;
    QVERIFY(server.start(scheme, hostKey) && server.makeDirectory(u"htdocs"_s));
    const QString remembered = sftp ? CurlInternet::knownHostsPath() : CurlInternet::trustedCertificatesPath();
    const QByteArray entry = u"[127.0.0.1]:%1 "_s.arg(server.port()).toLatin1();
    Publishing p;
    QVERIFY(writeBytes(p.local.filePath(u"news.xml"_s), feedBytes()));
    const FtpSettings settings = p.settingsFor(server, u"htdocs"_s);
    // Over 1 MB of other servers' lines, a bad one and one over 4 KB first: kept byte for byte.
    QByteArray others = "bad line\n" + QByteArray(5000, 'x') + '\n';
    while (others.size() <= 1 << 20)
        others += " [h" + QByteArray::number(others.size()) + ".example]:990  AB:CD \r\n";
    QVERIFY(QDir().mkpath(QFileInfo(remembered).path()) && writeBytes(remembered, others));

    // Not trusted: nothing is sent, nothing remembered.
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    QCOMPARE(p.messages.asked,
             QStringList{(sftp ? u"KEY %1 %2"_s : u"CERT %1 %2"_s).arg(server.address(), server.fingerprint())});
    QCOMPARE(p.messages.texts(),
             QStringList{u"The publication was stopped: the %1 of %2 was not trusted. Nothing was "
                         "sent."_s.arg(sftp ? u"host key"_s : u"certificate"_s, server.address())});
    QVERIFY(!server.log().contains("logged in") && !server.log().contains("Accepted password"));
    QVERIFY(!readBytes(remembered).contains(entry));

    // Trusted: the start directory listed, the directory changed, the file stored, the
    // fingerprint remembered, so that the next connection asks nothing.
    p.messages.trusted = server.fingerprint();
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Uploaded);
    QCOMPARE(readBytes(server.path(u"htdocs/news.xml"_s)), feedBytes());
    Publishing next;
    QCOMPARE(next.publisher.upload(p.settingsFor(server, u"missing"_s)), FtpPublisher::Outcome::Failed);
    QVERIFY(next.messages.asked.isEmpty());
    QVERIFY(next.messages.texts().value(0).startsWith(u"rcd Extd Err: 550 "_s));
    QVERIFY(readBytes(remembered).startsWith(others));

    // Another key for the server: refused with a warning, never asked about, never remembered.
    others += entry + (sftp ? "ssh-ed25519 " + sshKey("ssh-ed25519", 'k').toBase64() : "AB:CD");
    QVERIFY(writeBytes(remembered, others));
    Publishing changed;
    QCOMPARE(changed.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    QVERIFY(changed.messages.asked.isEmpty());
    QCOMPARE(changed.messages.texts(), QStringList{u"CHANGED %1 %2"_s.arg(server.address(), server.fingerprint())});
    QVERIFY(!changed.internet.trustServer(settings.ftpurl, server.fingerprint()));
    QCOMPARE(readBytes(remembered), others);

    // A pipe in the file's place is refused at once, not waited for; a file over 16 MB is not read.
    for (const bool pipe : {true, false}) {
        QVERIFY(QFile::remove(remembered));
        QVERIFY(pipe ? ::mkfifo(QFile::encodeName(remembered).constData(), 0600) == 0
                     : writeBytes(remembered, {}) && QFile::resize(remembered, CurlInternet::MaxTrustFileBytes + 1));
        Publishing refused;
        QCOMPARE(refused.publisher.upload(settings), FtpPublisher::Outcome::Failed);
        const QString text = refused.messages.texts().value(0);
        QVERIFY2(text.contains(pipe ? u"is not a regular file"_s : u"is larger than 16 MB"_s), qPrintable(text));
    }
    QFile::remove(remembered);
}

void TestFtpPublisher::silentServerEndsInATimeout_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::newRow("FTP") << QString();
    QTest::newRow("SFTP") << u"sftp://"_s;
}

void TestFtpPublisher::silentServerEndsInATimeout()
{
    QFETCH(QString, scheme);
    SilentListener silent;
    QVERIFY(silent.port() > 0);
    Publishing p(CurlInternet::Timeouts{2, 2, 2});
    FtpSettings settings;
    settings.ftpfile = p.local.filePath(u"news.xml"_s);
    settings.ftpurl = scheme + silent.address();
    settings.ftpusername = u"writer"_s;
    settings.ftppassword = u"x"_s;

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(
            p.messages.texts(),
            QStringList{closing(u"InternetConnect"_s, InternetError::Timeout, u"the server did not answer in time"_s)});
    QVERIFY(!p.publisher.isConnected());
}

void TestFtpPublisher::settingsRefusedBeforeConnecting_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("localName");
    QTest::addColumn<QString>("message");
    QTest::newRow("user name without a password")
            << u"ann"_s << QString() << u"news.xml"_s << u"No password is given for the user name \"ann\"."_s;
    QTest::newRow("password with a line break")
            << u"ann"_s << u"pw\r\nDELE x"_s << u"news.xml"_s << u"The password holds a control character"_s;
    QTest::newRow("user name with an escape")
            << u"\x1b[2Jann"_s << u"pw"_s << u"news.xml"_s << u"The user name holds a control character"_s;
    QTest::newRow("local file named \"..\"") << u"ann"_s << u"pw"_s << u".."_s << u"The local file \""_s;
    QTest::newRow("SFTP without a user name") << QString() << QString() << u"sftp://"_s << u"An SFTP server needs"_s;
}

void TestFtpPublisher::settingsRefusedBeforeConnecting()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, localName);
    QFETCH(QString, message);
    SilentListener server;
    Publishing p(CurlInternet::Timeouts{2, 2, 2, 2});
    FtpSettings settings;
    // A local name ending in "://" names the scheme of the server instead.
    const bool scheme = localName.endsWith("://"_L1);
    settings.ftpfile = p.local.filePath(scheme ? u"news.xml"_s : localName);
    settings.ftpurl = (scheme ? localName : QString()) + server.address();
    settings.ftpusername = user;
    settings.ftppassword = password;
    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    QCOMPARE(p.messages.shown.size(), 1);
    QCOMPARE(p.messages.shown.first().icon, Icon::Critical);
    QVERIFY2(p.messages.shown.first().text.startsWith(message), qPrintable(p.messages.shown.first().text));
    QCOMPARE(server.connections(), 0); // nothing was sent
}

void TestFtpPublisher::proxyFieldIsUsedAsTheSessionsProxy_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("proxyScheme");
    QTest::newRow("FTP") << QString() << QString();
    QTest::newRow("SFTP") << u"sftp://"_s << QString();
    // SSH goes over the bare socket, which TLS to the proxy would wrap: refused, never direct.
    QTest::newRow("SFTP through a proxy reached over TLS is refused") << u"sftp://"_s << u"https://"_s;
}

void TestFtpPublisher::proxyFieldIsUsedAsTheSessionsProxy()
{
    QFETCH(QString, scheme);
    QFETCH(QString, proxyScheme);
    FtpServer server;
    QVERIFY(server.start());
    SilentListener proxy;
    QVERIFY(proxy.port() > 0);
    Publishing p(CurlInternet::Timeouts{2, 2, 2});
    QVERIFY(writeBytes(p.local.filePath(u"news.xml"_s), feedBytes()));
    FtpSettings settings = p.settingsFor(server);
    settings.ftpurl = scheme + server.address(); // a silent proxy never lets an SFTP client reach it
    settings.ftpproxy = proxyScheme + proxy.address();

    QCOMPARE(p.publisher.upload(settings), FtpPublisher::Outcome::Failed);
    const QByteArray request = proxy.received();
    if (!proxyScheme.isEmpty())
        QCOMPARE(p.messages.texts().value(0), closing(u"InternetConnect"_s, 87, u"the proxy field cannot be used"_s));
    else
        QVERIFY2(request.startsWith("CONNECT " + server.address().toLatin1() + " HTTP/1.1\r\n"), request.constData());
    // The login goes to the server, never to the proxy; and nothing goes to the server directly.
    QVERIFY(!request.contains(FtpServer::WriterPassword));
    QVERIFY(!server.log().contains("session opened"));
}

void TestFtpPublisher::uploadRecordIsReadTolerantly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read"); // the record written again
    const QString sum = QString(64, u'a');
    QTest::newRow("entries between garbage")
            << u"junk; h/a%20b.mp3 5 %1;h/x 5;; h/y -1 %1; h/z 5 %1 extra; h/m/c.png 0 %1"_s.arg(sum)
            << u"h/a%20b.mp3 5 %1; h/m/c.png 0 %1"_s.arg(sum);
    QTest::newRow("checksum of capitals or of 63 digits")
            << u"a 1 %1; b 1 %2"_s.arg(sum.toUpper(), sum.left(63)) << QString();
    QString many;
    for (int i = 0; i <= UploadRecord::MaxFiles; ++i)
        many += u"f%1 1 %2;"_s.arg(i).arg(sum);
    QTest::newRow("no more than MaxFiles")
            << many << many.section(u';', 0, UploadRecord::MaxFiles - 1).replace(u";"_s, u"; "_s);
}

void TestFtpPublisher::uploadRecordIsReadTolerantly()
{
    QFETCH(QString, text);
    QFETCH(QString, read);
    QCOMPARE(UploadRecord::fromText(text).toText(), read);
}

// Every file goes up under a temporary name and is renamed into place: whatever breaks off, each
// live file on the server is the old one or the new one, whole, and no temporary file stays where
// the server can still be reached. A file is skipped only when it is the one recorded.
void TestFtpPublisher::breakOffsLeaveLiveFilesWhole_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("breakOff"); // "cancel" in the enclosure, "kill" the server in the picture
    QTest::addColumn<char>("cut"); // the local enclosure's bytes: 'o' the server's, 'n' a new cut of its size
    QTest::addColumn<QString>("fresh"); // the live files that end new
    QTest::addColumn<QString>("message"); // how the last message starts; %a: the server field
    const auto row = [](const char *name, const char *scheme, const char *account, const char *breakOff, char cut,
                        const char *fresh, const char *message) {
        QTest::newRow(name) << QString::fromLatin1(scheme) << QString::fromLatin1(account)
                            << QString::fromLatin1(breakOff) << cut << QString::fromLatin1(fresh)
                            << QString::fromLatin1(message);
    };
    const char *all = "talk.mp3 media/a1.png news.xml";
    row("Cancel during the enclosure upload", "", "writer", "cancel", 'n', "", "The publication was cancelled.");
    row("SFTP: Cancel during the enclosure upload", "sftp://", "", "cancel", 'n', "", "The publication was cancelled.");
    row("server killed during the picture upload", "", "writer", "kill", 'n', "talk.mp3", "");
    row("rename refused", "", "keeper", "", 'n', "",
        "The server %a received talk.mp3 but refused to put it in place of the old file (its reply: 550 ");
    row("store refused: the file and the reply named", "", "reader", "", 'n', "",
        "The server %a refused to store talk.mp3 in the folder htdocs (its reply: 550 ");
    row("same-size new cut of the enclosure is uploaded", "", "writer", "", 'n', all, "UPLOAD READY");
    row("SFTP: same-size new cut of the enclosure is uploaded", "sftp://", "", "", 'n', all, "UPLOAD READY");
    row("unchanged enclosure is skipped", "", "writer", "", 'o', "media/a1.png news.xml", "UPLOAD READY");
}

void TestFtpPublisher::breakOffsLeaveLiveFilesWhole()
{
    QFETCH(QString, scheme);
    QFETCH(QString, account);
    QFETCH(QString, breakOff);
    QFETCH(char, cut);
    QFETCH(QString, fresh);
    QFETCH(QString, message);
    if (const QString why = FtpServer::sftpUnavailable(); !scheme.isEmpty() && !why.isEmpty())
        QSKIP(qPrintable(why));
    FtpServer server;
    QVERIFY(server.start(scheme) && server.makeDirectory(u"htdocs/media"_s) && server.makeDirectory(u"htdocs"_s));
    const qsizetype enclosureSize = 3 << 20;
    const qsizetype pictureSize = 2 << 20;
    const QMap<QString, QByteArray> old{{u"talk.mp3"_s, QByteArray(enclosureSize, 'o')},
                                        {u"media/a1.png"_s, QByteArray(pictureSize, 'o')},
                                        {u"news.xml"_s, "<rss>old</rss>"}};
    const QMap<QString, QByteArray> now{{u"talk.mp3"_s, QByteArray(enclosureSize, cut)},
                                        {u"media/a1.png"_s, QByteArray(pictureSize, 'n')},
                                        {u"news.xml"_s, feedBytes()}};
    Publishing p;
    QVERIFY(QDir(p.local.path()).mkdir(u"media"_s));
    for (const QString &name : old.keys())
        QVERIFY(server.putFile(u"htdocs/"_s + name, old[name]) && writeBytes(p.local.filePath(name), now[name]));
    FtpSettings settings = p.settingsFor(server, u"htdocs"_s);
    if (!account.isEmpty())
        settings.ftpusername = account;
    if (account == "reader"_L1)
        settings.ftppassword = QString::fromLatin1(FtpServer::ReaderPassword);
    // The record of the last publication: the server's enclosure.
    const auto sha = [](const QByteArray &bytes) {
        return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
    };
    settings.lastpublishedfiles = server.address() + u"/htdocs/talk.mp3 %1 "_s.arg(enclosureSize)
            + QString::fromLatin1(sha(old[u"talk.mp3"_s]));
    const QList<PublishedFile> beside{{p.local.filePath(u"talk.mp3"_s), {}, u"talk.mp3"_s, enclosureSize},
                                      {p.local.filePath(u"media/a1.png"_s), u"media"_s, u"a1.png"_s, pictureSize}};
    p.messages.trusted = server.fingerprint();
    bool killed = false;
    p.internet.setTransferWatch([&](qint64 done, qint64 total) {
        if (breakOff == "kill"_L1 && total == pictureSize && done > (256 << 10) && !std::exchange(killed, true))
            server.stop();
        return !(breakOff == "cancel"_L1 && total == enclosureSize && done > (1 << 20));
    });
    const auto liveFilesAre = [&](const QString &freshNames) {
        for (const QString &name : old.keys()) {
            if (readBytes(server.path(u"htdocs/"_s + name)) != (freshNames.contains(name) ? now : old)[name])
                return false;
        }
        return true;
    };
    const bool uploaded = p.publisher.publishFile(settings, p.local.filePath(u"news.xml"_s), beside)
            == FtpPublisher::Outcome::Uploaded;
    QCOMPARE(uploaded, fresh.contains(u"news.xml"_s));
    QVERIFY(liveFilesAre(fresh));
    const QString last = p.messages.texts().value(p.messages.texts().size() - 1);
    QVERIFY2(last.startsWith(message.replace(u"%a"_s, settings.ftpurl)), qPrintable(last));
    QCOMPARE(p.messages.uploadedNames.contains(u"talk.mp3"_s), cut == 'n' && fresh.contains(u"talk.mp3"_s));
    if (uploaded)
        QVERIFY(p.publisher.publishedFiles().contains(u"/htdocs/talk.mp3 %1 "_s.arg(enclosureSize)
                                                      + QString::fromLatin1(sha(now[u"talk.mp3"_s]))));
    if (killed) {
        // What the dead server kept goes at the next publication, which brings the rest.
        QVERIFY(server.start());
        settings.ftpurl = server.address();
        p.internet.setTransferWatch({});
        QCOMPARE(p.publisher.publishFile(settings, p.local.filePath(u"news.xml"_s), beside),
                 FtpPublisher::Outcome::Uploaded);
        QVERIFY(liveFilesAre(u"talk.mp3 media/a1.png news.xml"_s));
    }
    QDirIterator files(server.path(u"htdocs"_s), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        QVERIFY2(!files.next().endsWith(u".part"_s), qPrintable(files.filePath()));
}

QTEST_GUILESS_MAIN(TestFtpPublisher)
#include "tst_ftppublisher.moc"
