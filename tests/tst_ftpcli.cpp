// Tests of feedsmith-cli publish against a real FTP server: the RSS file is written to the
// project's ftpfile path and uploaded; the password comes only from the environment or stdin.
#include "ftpserver.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QProcess>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace FeedsmithTest;
using namespace Qt::StringLiterals;

namespace {

// Runs feedsmith-cli with the environment given added, and input on its standard input.
Run runCli(const QStringList &arguments, const QString &workingFolder, const QByteArray &input,
           const QList<std::pair<QString, QString>> &environment = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    env.insert(u"SOURCE_DATE_EPOCH"_s, u"1790000000"_s);
    for (const auto &[name, value] : environment)
        env.insert(name, value);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workingFolder);
    process.start(cliPath(), arguments);
    Run run;
    if (!process.waitForStarted(30000))
        return run;
    process.write(input);
    process.closeWriteChannel();
    run.finished = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// The example project with FTP settings of our own: the feed goes to feeds/news.xml in folder.
bool writeProject(const QString &path, const QString &folder, const QString &server, const QString &directory,
                  const QString &user = QString::fromLatin1(FtpServer::Writer), QString target = {})
{
    if (target.isEmpty())
        target = folder + u"/feeds/news.xml"_s;
    QByteArray project = readBytes(binDir() + u"/feeds/example.rsx"_s);
    const qsizetype from = project.indexOf("<ftpsettings>");
    const qsizetype to = project.indexOf("</ftpsettings>");
    if (from < 0 || to < from)
        return false;
    QByteArray ftp = "<ftpsettings>\r\n\t<ftpfile>" + target.toUtf8() + "</ftpfile>\r\n" + "\t<ftpurl>"
            + server.toUtf8() + "</ftpurl>\r\n";
    if (!directory.isEmpty())
        ftp += "\t<ftpdir>" + directory.toUtf8() + "</ftpdir>\r\n";
    if (!user.isEmpty())
        ftp += "\t<ftpusername>" + user.toUtf8() + "</ftpusername>\r\n";
    project.replace(from, to - from, ftp);
    return QDir(folder).mkpath(u"feeds"_s) && writeBytes(path, project);
}

QString englishText(const char *key)
{
    const QByteArray language = readBytes(resourceDir() + u"/language-en.xml"_s);
    const QByteArray open = QByteArray("<") + key + ">";
    const qsizetype from = language.indexOf(open) + open.size();
    return QString::fromUtf8(language.mid(from, language.indexOf('<', from) - from));
}

} // namespace

class TestFtpCli : public QObject
{
    Q_OBJECT

private slots:
    void publishesTheProjectEndToEnd_data();
    void publishesTheProjectEndToEnd();
    void firstAttemptUploadsIntoAnEmptyStartDirectory();
    void secureServerIsTrustedWithTheFingerprintGiven_data();
    void secureServerIsTrustedWithTheFingerprintGiven();
    void picturesAndEnclosuresGoWithTheFeedOnce();
    void failuresGiveExitStatusOne_data();
    void failuresGiveExitStatusOne();
    void passwordAppearsNowhere();
    void badCommandLines_data();
    void badCommandLines();
    void publishingWritesOnlyAFeed_data();
    void publishingWritesOnlyAFeed();
    void noCoreFileWhileThePasswordIsHeld();
};

void TestFtpCli::publishesTheProjectEndToEnd_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<bool>("fromEnvironment");
    QTest::addColumn<QString>("storedAs");
    QTest::newRow("root, password on standard input") << QString() << false << u"news.xml"_s;
    QTest::newRow("sub-directory, password from the environment") << u"/htdocs"_s << true << u"htdocs/news.xml"_s;
    QTest::newRow("server name and path, password on standard input")
            << u"%s/htdocs"_s << false << u"htdocs/news.xml"_s;
}

void TestFtpCli::publishesTheProjectEndToEnd()
{
    QFETCH(QString, directory);
    QFETCH(bool, fromEnvironment);
    QFETCH(QString, storedAs);
    FtpServer server;
    QVERIFY(server.start());
    QVERIFY(server.makeDirectory(u"htdocs"_s));
    QTemporaryDir work;
    const QString project = work.filePath(u"feed.rsx"_s);
    QVERIFY(writeProject(project, work.path(), server.address(), directory.replace(u"%s"_s, server.address())));

    const QString password = QString::fromLatin1(FtpServer::WriterPassword);
    const Run run = fromEnvironment ? runCli({u"publish"_s, project, u"--password-env"_s, u"FEED_FTP_PASSWORD"_s},
                                             work.path(), "not this", {{u"FEED_FTP_PASSWORD"_s, password}})
                                    : runCli({u"publish"_s, project}, work.path(), password.toUtf8() + "\n");
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QByteArray local = readBytes(work.filePath(u"feeds/news.xml"_s));
    QVERIFY(local.startsWith("<?xml"));
    QVERIFY(local.contains("<title>Welcome to the example feed</title>"));
    QCOMPARE(readBytes(server.path(storedAs)), local);
    QVERIFY(run.err.contains(englishText("uploadready").toUtf8()));
    QVERIFY(run.out.contains("uploaded news.xml"));
}

void TestFtpCli::firstAttemptUploadsIntoAnEmptyStartDirectory()
{
    FtpServer server;
    QVERIFY(server.start());
    QTemporaryDir work;
    const QString project = work.filePath(u"feed.rsx"_s);
    QVERIFY(writeProject(project, work.path(), server.address(), QString()));
    const QByteArray password = QByteArray(FtpServer::WriterPassword) + "\r\n";

    // An empty start directory is no obstacle and no message: stored at once, over one login.
    Run run = runCli({u"publish"_s, project}, work.path(), password);
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY2(!run.err.contains("This directory is empty!"), run.err.constData());
    QCOMPARE(server.log().count("USER 'writer' logged in"), 1);
    QVERIFY(QFile::exists(server.path(u"news.xml"_s)));

    // Now the start directory holds the feed: one attempt is enough.
    run = runCli({u"publish"_s, project}, work.path(), password);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(!run.err.contains("empty"));
    QCOMPARE(server.log().count("USER 'writer' logged in"), 2);
    QCOMPARE(server.log().count("STOR "), 2);
}

void TestFtpCli::secureServerIsTrustedWithTheFingerprintGiven_data()
{
    addSecureSchemeRows();
}

void TestFtpCli::secureServerIsTrustedWithTheFingerprintGiven()
{
    QFETCH(QString, scheme);
    QFETCH(QString, hostKey);
    const bool sftp = scheme == "sftp://"_L1;
    if (const QString why = FtpServer::sftpUnavailable(); sftp && !why.isEmpty())
        QSKIP(qPrintable(why));
    FtpServer server;
    QVERIFY(server.start(scheme, hostKey) && server.makeDirectory(u"htdocs"_s));
    QTemporaryDir work;
    const QString project = work.filePath(u"feed.rsx"_s);
    QVERIFY(writeProject(project, work.path(), server.address(), u"htdocs"_s, server.userName()));
    const QList<std::pair<QString, QString>> home{{u"HOME"_s, work.path()}, {u"XDG_CONFIG_HOME"_s, work.path()}};
    const QByteArray password = QByteArray(FtpServer::WriterPassword) + '\n';
    // A certificate's fingerprint may be given without colons, in small letters.
    const QString given = sftp ? server.fingerprint() : server.fingerprint().remove(u':').toLower();

    Run run = runCli({u"publish"_s, project}, work.path(), password, home);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("is not trusted yet; check the fingerprint and run again with --trust "
                              + server.fingerprint().toLatin1() + '\n')
                     && run.err.count("feedsmith-cli: error: ") == 1,
             run.err.constData());
    QVERIFY(!QFile::exists(server.path(u"htdocs/news.xml"_s)));
    run = runCli({u"publish"_s, project, u"--trust"_s, given}, work.path(), password, home);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(readBytes(server.path(u"htdocs/news.xml"_s)), readBytes(work.filePath(u"feeds/news.xml"_s)));
    // Remembered: the next run needs no --trust. It replaces the feed through a name of its own.
    run = runCli({u"publish"_s, project}, work.path(), password, home);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(QFile::exists(server.path(u"htdocs/news.xml"_s)));
    QVERIFY(!QFile::exists(server.path(u"htdocs/.news.xml.part"_s)));
    // A bad line in front of a changed key hides nothing: --trust cannot take the new key.
    const QByteArray changed = "bad line\n[127.0.0.1]:" + QByteArray::number(server.port())
            + (sftp ? " ssh-ed25519 " + (QByteArray::fromHex("0000000b") + "ssh-ed25519" + QByteArray(36, 0)).toBase64()
                    : QByteArray(" AB:CD"));
    const QString remembered = work.filePath(sftp ? u".ssh/known_hosts"_s : u"Feedsmith/trusted-certificates"_s);
    QVERIFY(writeBytes(remembered, changed));
    run = runCli({u"publish"_s, project, u"--trust"_s, given}, work.path(), password, home);
    // One message: what happened, and its detail.
    QVERIFY2(run.exitCode == 1 && run.err.contains("shows another certificate or host key")
                     && run.err.count("feedsmith-cli: error: ") == 1,
             run.err.constData());
    QCOMPARE(readBytes(remembered), changed);
}

// The pictures of the media folder that published entries show go into the remote folder's
// "media", their enclosure files beside the feed, each only while the server lacks it and each
// named as it goes; a project naming a file outside its media folder is not published at all.
void TestFtpCli::picturesAndEnclosuresGoWithTheFeedOnce()
{
    FtpServer server;
    QVERIFY(server.start());
    QTemporaryDir work;
    const QString project = work.filePath(u"feed.rsx"_s);
    QVERIFY(writeProject(project, work.path(), server.address(), QString()));
    QByteArray bytes = readBytes(project);
    bytes.replace("[[p]]Welcome to the example feed", "[[p]][[img src=\"media/a1.png\" alt=\"A\"]]Welcome");
    bytes.replace("<title>Three tips for good entries</title>",
                  "<title>Three tips for good entries</title>\r\n\t\t<enclosure>https://e.org/talk.mp3</enclosure>"
                  "\r\n\t\t<enclosurelength>5</enclosurelength>\r\n\t\t<enclosuretype>audio/mpeg</enclosuretype>"
                  "\r\n\t\t<enclosurefile>"
                          + work.filePath(u"talk.mp3"_s).toUtf8() + "</enclosurefile>");
    bytes.replace("<title>Publishing the feed</title>",
                  "<title>Publishing the feed</title>\r\n\t\t<enclosure>https://e.org/key</enclosure>"
                  "\r\n\t\t<enclosurelength>5</enclosurelength>\r\n\t\t<enclosuretype>audio/mpeg</enclosuretype>"
                  "\r\n\t\t<enclosurefile>/etc/hostname</enclosurefile>");
    QVERIFY(writeBytes(project, bytes));
    QVERIFY(QDir(work.path()).mkpath(u"media"_s));
    QVERIFY(writeBytes(work.filePath(u"media/a1.png"_s), "picture"));
    QVERIFY(writeBytes(work.filePath(u"talk.mp3"_s), "sound"));
    const QByteArray password = QByteArray(FtpServer::WriterPassword) + "\n";

    Run run = runCli({u"publish"_s, project}, work.path(), password);
    QVERIFY2(run.finished && run.exitCode == 1, run.err.constData());
    for (const QByteArray &named : {"/etc/hostname"_ba, work.filePath(u"talk.mp3"_s).toUtf8()})
        QVERIFY2(run.err.contains("names the file " + named + ", which is outside the project's media folder"),
                 run.err.constData());
    QVERIFY(QDir(server.root()).isEmpty());
    // In the media folder, and the file elsewhere no longer named, the project is published.
    QVERIFY(QFile::rename(work.filePath(u"talk.mp3"_s), work.filePath(u"media/talk.mp3"_s)));
    bytes.replace(work.filePath(u"talk.mp3"_s).toUtf8(), "media/talk.mp3");
    bytes.replace("<enclosurefile>/etc/hostname</enclosurefile>", "");
    QVERIFY(writeBytes(project, bytes));
    run = runCli({u"publish"_s, project}, work.path(), password);
    QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
    QCOMPARE(readBytes(server.path(u"media/a1.png"_s)), "picture"_ba);
    QCOMPARE(readBytes(server.path(u"talk.mp3"_s)), "sound"_ba);
    QVERIFY2(run.out.contains("uploaded media/a1.png from " + work.filePath(u"media/a1.png"_s).toUtf8() + '\n')
                     && run.out.contains("uploaded talk.mp3 from " + work.filePath(u"media/talk.mp3"_s).toUtf8()),
             run.out.constData());
    run = runCli({u"publish"_s, project}, work.path(), password);
    QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
    // Each through a name of its own, once: the second run finds them as they were uploaded.
    QCOMPARE(server.log().count(".a1.png.part completed=1"), 1);
    QCOMPARE(server.log().count(".talk.mp3.part completed=1"), 1);
    // The feed goes under a name of its own, then replaces the old one.
    QCOMPARE(server.log().count(".news.xml.part completed=1"), 2);
    QVERIFY(QFile::exists(server.path(u"news.xml"_s)));
    QVERIFY(!QFile::exists(server.path(u".news.xml.part"_s)));
}

void TestFtpCli::failuresGiveExitStatusOne_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("hostile"); // a mode of hostileftp.py; empty: the real server
    const QByteArray writer = FtpServer::WriterPassword;
    QTest::newRow("wrong password") << u"writer"_s << QByteArray("nope\n") << QString()
                                    << englishText("missingpassword").toUtf8() << QString();
    QTest::newRow("wrong password: the server's reply in the detail")
            << u"writer"_s << QByteArray("nope\n") << QString() << QByteArray(" as writer: server reply 530 ")
            << QString();
    QTest::newRow("read-only account") << u"reader"_s << QByteArray(FtpServer::ReaderPassword) << QString()
                                       << QByteArray("refused to store news.xml in the folder / (its reply: 550 ")
                                       << QString();
    QTest::newRow("directory that does not exist")
            << u"writer"_s << writer << u"/nowhere"_s << QByteArray("The folder /nowhere does not exist on the server")
            << QString();
    // The server's words cannot break our lines or act on the terminal.
    QTest::newRow("reply with escape sequences and a forged line")
            << u"writer"_s << writer << QString()
            << QByteArray("feedsmith-cli: detail: entering the folder /: server reply 550 "
                          "?[2J?]0;owned?Folder?31m not found?feedsmith-cli: "
                          "uploaded news.xml to forged.example??[1A?end\n")
            << u"escapes"_s;
    // Servers that drip or flood end in a message: time-outs and the deadline are 2 s here.
    const QList<std::pair<const char *, QByteArray>> hostile = {
            {"drip-greeting", " as writer: curl error 28 (Timeout was reached): Operation timed out after "},
            {"drip-reply", "detail: listing the login folder: curl error 28 (Timeout was reached)"},
            {"drip-listing", "detail: listing the login folder: curl error 28 (Timeout was reached)"},
            {"flood-listing", "detail: listing the login folder: the server's directory listing is larger than 1 MB"}};
    for (const auto &[mode, message] : hostile) {
        QTest::addRow("server in mode %s", mode)
                << u"writer"_s << writer << QString() << message << QString::fromLatin1(mode);
    }
}

void TestFtpCli::failuresGiveExitStatusOne()
{
    QFETCH(QString, user);
    QFETCH(QByteArray, password);
    QFETCH(QString, directory);
    QFETCH(QByteArray, message);
    QFETCH(QString, hostile);
    FtpServer server;
    QVERIFY(hostile.isEmpty() ? server.start() && server.putFile(u"index.html"_s, "x") : server.startHostile(hostile));
    QTemporaryDir work;
    const QString project = work.filePath(u"feed.rsx"_s);
    QVERIFY(writeProject(project, work.path(), server.address(), directory, user));

    const Run run = runCli({u"publish"_s, project}, work.path(), password, {{u"FEEDSMITH_FTP_DEADLINE"_s, u"2"_s}});
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(message), run.err.constData());
    for (const QByteArray &line : run.err.trimmed().split('\n'))
        QVERIFY2(line.startsWith("feedsmith-cli: ") && !line.contains('\x1b') && !line.contains('\r'),
                 line.constData());
    QVERIFY(!QFile::exists(server.path(u"news.xml"_s)));
    QVERIFY(QFile::exists(work.filePath(u"feeds/news.xml"_s))); // generated all the same
}

void TestFtpCli::passwordAppearsNowhere()
{
    FtpServer server;
    QVERIFY(server.start());
    QVERIFY(server.makeDirectory(u"htdocs"_s));
    QTemporaryDir work;
    const QString project = work.filePath(u"feed.rsx"_s);
    QVERIFY(writeProject(project, work.path(), server.address(), u"/htdocs"_s));
    const QByteArray password = FtpServer::WriterPassword;
    const QDateTime started = QDateTime::currentDateTime().addSecs(-2);

    QList<Run> runs;
    runs.append(runCli({u"publish"_s, project, u"--password-env=FEED_PW"_s}, work.path(), {},
                       {{u"FEED_PW"_s, QString::fromLatin1(password)}}));
    runs.append(runCli({u"publish"_s, project}, work.path(), password + "\n"));
    runs.append(runCli({u"publish"_s, project}, work.path(), password + "-wrong\n"));
    runs.append(runCli({u"publish"_s, project}, work.path(), password + "\n", {{u"FEED_PW"_s, u"x"_s}}));
    QCOMPARE(runs.at(0).exitCode, 0);
    QCOMPARE(runs.at(1).exitCode, 0);
    QCOMPARE(runs.at(2).exitCode, 1);
    for (const Run &run : runs) {
        QVERIFY(!run.out.contains(password));
        QVERIFY(!run.err.contains(password));
    }
    // Neither in the files of the work folder (the feed, the project) nor in anything written
    // to the program folder meanwhile (which holds the test programs themselves).
    int files = 0;
    for (const QString &folder : {work.path(), binDir()}) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (folder == binDir() && QFileInfo(path).lastModified() < started)
                continue;
            ++files;
            QVERIFY2(!readBytes(path).contains(password), qPrintable(path));
        }
    }
    QVERIFY(files >= 2);
    QVERIFY(readBytes(server.path(u"htdocs/news.xml"_s)).startsWith("<?xml"));
}

void TestFtpCli::badCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments"); // %p stands for the project
    QTest::addColumn<QString>("server"); // the project's server field
    QTest::addColumn<QString>("target"); // its ftpfile in the work folder
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("message");
    const QStringList publish{u"publish"_s, u"%p"_s};
    const QString server = u"127.0.0.1:1"_s;
    const QString feed = u"feeds/news.xml"_s;
    auto row = [&](const char *name, const QStringList &arguments, const QString &field, const QString &target,
                   const QByteArray &input, int exitCode, const QByteArray &message) {
        QTest::newRow(name) << arguments << field << target << input << exitCode << message;
    };
    row("no project", {u"publish"_s}, server, feed, "pw\n", 2, "publish needs PROJECT");
    row("password on the command line is no option", publish + QStringList{u"--password"_s, u"x"_s}, server, feed,
        "pw\n", 2, "--password-env NAME");
    row("variable name missing", publish + QStringList{u"--password-env"_s}, server, feed, "pw\n", 2,
        "--password-env NAME");
    row("project that does not exist", {u"publish"_s, u"missing.rsx"_s}, server, feed, "pw\n", 1,
        "cannot read project");
    row("variable that is not set", publish + QStringList{u"--password-env"_s, u"FEEDSMITH_NOT_SET_ANYWHERE"_s}, server,
        feed, "pw\n", 1, "FEEDSMITH_NOT_SET_ANYWHERE is not set");
    row("project without a server", publish, QString(), feed, "pw\n", 1, "names no FTP server");
    row("server field with a scheme", publish, u"ftp://127.0.0.1:1"_s, feed, "pw\n", 1, "without \"ftp://\" in front");
    row("fingerprint missing", publish + QStringList{u"--trust"_s}, server, feed, "pw\n", 2, "--trust FINGERPRINT");
    row("server field with port 99999", publish, u"127.0.0.1:99999"_s, feed, "pw\n", 1, "port 99999 is out of range");
    row("password with a control character", publish, server, feed, "pw\x01\n", 1,
        "The password holds a control character");
    row("no password", publish, server, feed, "\n", 1, "No password is given for the user name \"writer\"");
    row("ftpfile ends in \"..\"", publish, server, u"feeds/.."_s, "pw\n", 1, "ends in \"..\"");
}

void TestFtpCli::badCommandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, server);
    QFETCH(QString, target);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, message);
    QTemporaryDir work;
    const QString project = work.filePath(u"p.rsx"_s);
    const QString targetPath = work.filePath(target);
    QVERIFY(writeProject(project, work.path(), server, QString(), u"writer"_s, targetPath));
    const QByteArray before = readBytes(targetPath);
    arguments.replaceInStrings(u"%p"_s, project);
    const Run run = runCli(arguments, work.path(), input);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message.replace("%w", work.path().toUtf8())), run.err.constData());
    QCOMPARE(run.err.count('\n'), 1);
    // Checked before anything was written.
    QCOMPARE(readBytes(targetPath), before);
}

void TestFtpCli::publishingWritesOnlyAFeed_data()
{
    QTest::addColumn<QString>("target"); // ftpfile: in the project's folder, or %o for another
    QTest::addColumn<bool>("kept"); // whether the local copy is written
    QTest::newRow("feed in the project's folder") << u"feeds/news.xml"_s << true;
    QTest::newRow("feed beside the project") << u"news.rss"_s << true;
    QTest::newRow("shell profile") << u".bashrc"_s << false;
    QTest::newRow("the project itself") << u"p.rsx"_s << false;
    QTest::newRow("new key file elsewhere") << u"%o/.ssh/authorized_keys"_s << false;
    QTest::newRow("feed name elsewhere") << u"%o/news.xml"_s << false;
    QTest::newRow("feed name out by ..") << u"feeds/../../x.xml"_s << false;
    QTest::newRow("link planted at the feed's place") << u"feeds/linked.xml"_s << false;
}

void TestFtpCli::publishingWritesOnlyAFeed()
{
    QFETCH(QString, target);
    QFETCH(bool, kept);
    FtpServer server;
    QVERIFY(server.start());
    QTemporaryDir work;
    QTemporaryDir other;
    const QString project = work.filePath(u"p.rsx"_s);
    const QString targetPath =
            QDir::cleanPath(target.startsWith(u"%o"_s) ? other.path() + target.mid(2) : work.filePath(target));
    QVERIFY(writeProject(project, work.path(), server.address(), QString(), u"writer"_s,
                         target.replace(u"%o"_s, other.path())));
    // A title that would put a line of its own into any file it reaches.
    QByteArray bytes = readBytes(project);
    bytes.replace("Welcome to the example feed", "Welcome[:br:]ssh-ed25519 AAAAC3 attacker");
    QVERIFY(writeBytes(project, bytes) && QDir(other.path()).mkpath(u".ssh"_s));
    QVERIFY(writeBytes(work.filePath(u".bashrc"_s), "export PATH=$HOME/bin:$PATH\n"));
    QVERIFY(writeBytes(other.filePath(u"victim.xml"_s), "<?xml version=\"1.0\"?><rss/>"));
    QVERIFY(QFile::link(other.filePath(u"victim.xml"_s), work.filePath(u"feeds/linked.xml"_s)));
    const QByteArray before = readBytes(targetPath);
    const bool existed = QFileInfo::exists(targetPath);

    const Run run = runCli({u"publish"_s, project}, work.path(), QByteArray(FtpServer::WriterPassword) + '\n');
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QByteArray uploaded = readBytes(server.path(QFileInfo(targetPath).fileName()));
    QVERIFY2(uploaded.contains("<title>Welcome ssh-ed25519 AAAAC3 attacker</title>"), uploaded.constData());
    QVERIFY(!uploaded.contains("\nssh-ed25519"));
    if (kept) {
        QCOMPARE(readBytes(targetPath), uploaded);
    } else {
        QVERIFY2(run.err.contains("not keeping a local copy"), run.err.constData());
        QVERIFY(run.out.contains("without keeping a local copy"));
        QCOMPARE(QFileInfo::exists(targetPath), existed);
        QCOMPARE(readBytes(targetPath), before);
        QCOMPARE(readBytes(other.filePath(u"victim.xml"_s)), "<?xml version=\"1.0\"?><rss/>"_ba);
    }
}

void TestFtpCli::noCoreFileWhileThePasswordIsHeld()
{
    // Started with core files allowed, publish turns them off before it waits for the password.
    rlimit limit{};
    QCOMPARE(::getrlimit(RLIMIT_CORE, &limit), 0);
    if (limit.rlim_max == 0)
        QSKIP("core files are off for this whole session");
    limit.rlim_cur = limit.rlim_max;
    QCOMPARE(::setrlimit(RLIMIT_CORE, &limit), 0);
    QTemporaryDir work;
    QVERIFY(writeProject(work.filePath(u"p.rsx"_s), work.path(), u"127.0.0.1:1"_s, QString()));
    QProcess cli;
    cli.start(cliPath(), {u"publish"_s, work.filePath(u"p.rsx"_s)});
    QVERIFY(cli.waitForStarted());
    QByteArray limits;
    for (int i = 0; i < 200 && !limits.contains("Max core file size        0 "); ++i) {
        QTest::qWait(50);
        limits = readBytes(u"/proc/%1/limits"_s.arg(cli.processId()));
    }
    QVERIFY2(limits.contains("Max core file size        0                    0 "), limits.constData());
    cli.closeWriteChannel();
    QVERIFY(cli.waitForFinished(30000));
}

QTEST_GUILESS_MAIN(TestFtpCli)
#include "tst_ftpcli.moc"
