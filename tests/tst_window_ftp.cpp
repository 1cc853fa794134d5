// Tests of the publish page's buttons against real FTP servers, with scripted message boxes: the
// publication runs beside the window, with its progress, Cancel and plain-words messages.
#include "core/system/processguard.h"
#include "window/shell/feedcheckdialog.h"

#include "ftpserver.h"
#include "windowsupport.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <sys/prctl.h>

using namespace Feedsmith;
using namespace FeedsmithTest;
using namespace Qt::StringLiterals;

using Kind = ScriptedMessageBoxes::Kind;

class TestWindowFtp : public QObject
{
    Q_OBJECT

private slots:
    void uploadAsItIsStoresTheFileAtOnce();
    void publishChecksThenUploadsTheDocumentAtOnce();
    void filesOutsideTheMediaFolderAreCopiedInFirst();
    void publishReportsInPlainWords_data();
    void publishReportsInPlainWords();
    void uploadButtonReports_data();
    void uploadButtonReports();

private:
    // The FTP page filled in for the server; the feed file is made in the program's folder.
    static void fillFtpPage(Program &program, const FtpServer &server, const QString &directory = {})
    {
        program.window->selectPage(Page::Ftp);
        program.box(u"txtftpfile"_s)->setText(program.path(u"feeds/news.xml"_s));
        program.box(u"txtftpurl"_s)->setText(server.address());
        program.box(u"txtftpdir"_s)->setText(directory);
        program.box(u"txtftpusername"_s)->setText(server.userName());
        program.box(u"txtftppassword"_s)->setText(QString::fromLatin1(FtpServer::WriterPassword));
    }
    static void clickUpload(Program &program)
    {
        QTest::mouseClick(program.child<QPushButton>(u"ftpupload"_s), Qt::LeftButton);
    }
};

// The other button uploads the feed file as it is, at the first click also into an empty folder.
void TestWindowFtp::uploadAsItIsStoresTheFileAtOnce()
{
    FtpServer server;
    QVERIFY(server.start());
    Program program;
    QVERIFY(program.start());
    const QByteArray feed = "<?xml version=\"1.0\"?>\r\n<rss version=\"2.0\"></rss>\r\n";
    QVERIFY(writeBytes(program.path(u"feeds/news.xml"_s), feed));
    // The process may dump core until a password is typed, and never after.
    QVERIFY(prctl(PR_SET_DUMPABLE, 1, 0, 0, 0) == 0);
    // The directory written as the server name alone: the root.
    fillFtpPage(program, server, server.address());
    QVERIFY(protectedFromCoreDumps());

    clickUpload(program);
    QTRY_COMPARE(program.messages.shown.size(), 1);
    QCOMPARE(program.messages.shown.at(0).kind, Kind::Information);
    QCOMPARE(program.messages.shown.at(0).title, u"Feedsmith"_s);
    QCOMPARE(program.messages.shown.at(0).text, program.window->text(u"uploadready"_s));
    QCOMPARE(readBytes(server.path(u"news.xml"_s)), feed);
}

// Publish checks the feed first: an invalid one goes nowhere, and a finding leads to its field.
// A valid one is written from the document as it is now and stored at the first click, into an
// empty folder, with an information message.
void TestWindowFtp::publishChecksThenUploadsTheDocumentAtOnce()
{
    FtpServer server;
    QVERIFY(server.start());
    Program program;
    QVERIFY(program.start());
    fillFtpPage(program, server);
    auto clickPublish = [&program] { QTest::mouseClick(program.child<QPushButton>(u"ftppublish"_s), Qt::LeftButton); };
    program.box(u"txtTitle"_s)->setText(u"Stale title"_s);
    clickPublish();
    FeedCheckDialog *dialog = nullptr;
    QTRY_VERIFY((dialog = program.window->findChild<FeedCheckDialog *>()));
    QVERIFY(!dialog->publishButton()); // errors: no publishing anyway
    QVERIFY(dialog->list()->count() >= 2);
    const QList<QListWidgetItem *> items =
            dialog->list()->findItems(u"The feed has no description"_s, Qt::MatchStartsWith);
    QCOMPARE(items.size(), 1);
    emit dialog->list()->itemActivated(items.first());
    QCOMPARE(program.window->currentPage(), Page::Settings);
    QTRY_COMPARE(QApplication::focusWidget(), program.box(u"txtDescription"_s));
    QTRY_VERIFY(!program.window->findChild<FeedCheckDialog *>());
    QVERIFY(!QFile::exists(server.path(u"news.xml"_s)));

    program.box(u"txtTitle"_s)->setText(u"Fresh title"_s);
    program.box(u"txtLink"_s)->setText(u"https://example.org/"_s);
    program.box(u"txtDescription"_s)->setText(u"News"_s);
    clickPublish();
    QTRY_VERIFY(QFile::exists(server.path(u"news.xml"_s)));
    QVERIFY(readBytes(server.path(u"news.xml"_s)).contains("<title>Fresh title</title>"));
    QTRY_COMPARE(program.messages.shown.size(), 1);
    QCOMPARE(program.messages.shown.at(0).kind, Kind::Information);
    QCOMPARE(program.messages.shown.at(0).text, program.window->text(u"uploadready"_s));
    // The publication is remembered in the project and shown under the button.
    QCOMPARE(program.window->document().ftp.lastpublishedserver, server.address());
    QVERIFY(QDateTime::fromString(program.window->document().ftp.lastpublished, Qt::ISODate).isValid());
    QVERIFY(program.child<QLabel>(u"lastPublished"_s)->text().contains(server.address()));
}

// A project naming an enclosure outside its media folder is not published; the feed check offers
// to copy the file in, and then it goes with the feed.
void TestWindowFtp::filesOutsideTheMediaFolderAreCopiedInFirst()
{
    FtpServer server;
    QVERIFY(server.start());
    Program program;
    QVERIFY(program.start());
    fillFtpPage(program, server);
    for (const auto &[box, text] : {std::pair{u"txtTitle"_s, u"T"_s}, std::pair{u"txtLink"_s, u"https://e.org/"_s},
                                    std::pair{u"txtDescription"_s, u"D"_s}})
        program.box(box)->setText(text);
    QVERIFY(writeBytes(program.path(u"talk.mp3"_s), "sound"));
    RSSentry entry{u"Episode"_s, u"https://e.org/1"_s, u"<p>Hear</p>"_s, QDateTime::currentDateTime()};
    entry.enclosurefile = program.path(u"talk.mp3"_s);
    entry.enclosureurl = u"https://e.org/talk.mp3"_s;
    entry.enclosuretype = u"audio/mpeg"_s;
    entry.enclosurelength = u"5"_s;
    entry.guid = u"urn:uuid:1"_s;
    program.window->document().entries.append(entry);
    program.dialog.answer(program.path(u"feeds/podcast.rsx"_s));
    QVERIFY(program.window->fileCommands()->saveProject(true));

    program.window->fileCommands()->publish();
    FeedCheckDialog *dialog = nullptr;
    QTRY_VERIFY((dialog = program.window->findChild<FeedCheckDialog *>()));
    QVERIFY(!dialog->publishButton());
    QVERIFY(dialog->list()->item(0)->text().contains(u"outside the project's media folder"_s));
    QTest::mouseClick(dialog->copyButton(), Qt::LeftButton);
    QTRY_COMPARE(program.messages.shown.size(), 1);
    QCOMPARE(program.messages.shown.first().kind, Kind::Information);
    QCOMPARE(program.window->document().entries.at(1).enclosurefile, u"media/talk.mp3"_s);
    QVERIFY(program.window->document().changed);
    QVERIFY(!QFile::exists(server.path(u"talk.mp3"_s)));

    program.window->fileCommands()->publish();
    QTRY_VERIFY(QFile::exists(server.path(u"news.xml"_s)));
    QCOMPARE(readBytes(server.path(u"talk.mp3"_s)), "sound"_ba);
}

// A publication runs beside the window: the event loop never stalls, Cancel ends a slow one
// within a second, and each failure is one message in plain words with its detail.
void TestWindowFtp::publishReportsInPlainWords_data()
{
    QTest::addColumn<QString>("server"); // "%a": the real server; "[sftp://]drip-greeting": a hostile one
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("cancel"); // "button" (the status bar's Cancel), "typing" (edit the project, then Cancel) or none
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing folder, made when the user agrees")
            << u"%a"_s << u"/new/feeds"_s << QString() << int(Kind::Question)
            << u"The folder /new/feeds does not exist on the server"_s;
    QTest::newRow("unknown host") << u"no-such-host.invalid"_s << QString() << QString() << int(Kind::Critical)
                                  << u"The server no-such-host.invalid cannot be found."_s;
    QTest::newRow("nobody listens") << u"127.0.0.1:1"_s << QString() << QString() << int(Kind::Critical)
                                    << u"The server 127.0.0.1:1 does not answer."_s;
    QTest::newRow("cancel while the server drips") << u"drip-greeting"_s << QString() << u"button"_s
                                                   << int(Kind::Information) << u"The publication was cancelled."_s;
    // The window stays usable while the feed goes out.
    QTest::newRow("typed into the project while the server drips, then cancelled")
            << u"drip-greeting"_s << QString() << u"typing"_s << int(Kind::Information)
            << u"The publication was cancelled."_s;
    QTest::newRow("cancel while an SFTP server drips") << u"sftp://drip-greeting"_s << QString() << u"button"_s
                                                       << int(Kind::Information) << u"The publication was cancelled."_s;
}

void TestWindowFtp::publishReportsInPlainWords()
{
    QFETCH(QString, server);
    QFETCH(QString, directory);
    QFETCH(QString, cancel);
    FtpServer ftp;
    const bool drips = server.endsWith("drip-greeting"_L1);
    QVERIFY(drips ? ftp.startHostile(u"drip-greeting"_s) : ftp.start());
    Program program;
    QVERIFY(program.start());
    fillFtpPage(program, ftp, directory);
    program.messages.answer(true); // to the offer to make a missing folder
    if (server != "%a"_L1 && !drips)
        program.box(u"txtftpurl"_s)->setText(server);
    else if (server.startsWith("sftp://"_L1))
        program.box(u"txtftpurl"_s)->setText(u"sftp://"_s + ftp.address());
    for (const auto &[box, text] : {std::pair{u"txtTitle"_s, u"T"_s}, std::pair{u"txtLink"_s, u"https://e.org/"_s},
                                    std::pair{u"txtDescription"_s, u"D"_s}})
        program.box(box)->setText(text);
    // The longest gap between two ticks of a 10 ms timer while the publication runs.
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longestStall = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, clock.elapsed() - last);
        last = clock.elapsed();
    });
    QSignalSpy ended(program.window->fileCommands(), &FileCommands::publicationEnded);
    clock.start();
    ticks.start(10);
    program.window->fileCommands()->publish();
    if (!cancel.isEmpty()) {
        QTRY_VERIFY(program.window->fileCommands()->isPublishing());
        QTest::qWait(300);
        auto *progress = program.window->findChild<QWidget *>(u"publishProgress"_s);
        QVERIFY(progress && progress->isVisible() && !QApplication::activeModalWidget());
        if (cancel == "typing"_L1) {
            QTest::keyClicks(program.box(u"txtDescription"_s), u" typed"_s);
            QCOMPARE(program.window->document().channel.description, u"D typed"_s);
        }
        const qint64 cancelled = clock.elapsed();
        QTest::mouseClick(progress->findChild<QPushButton *>(u"publishCancel"_s), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() == 1, 10000);
        QVERIFY2(clock.elapsed() - cancelled < 1500, qPrintable(QString::number(clock.elapsed() - cancelled)));
        QVERIFY(!progress->isVisible());
    }
    QTRY_VERIFY_WITH_TIMEOUT(ended.size() == 1, 10000);
    ticks.stop();
    QVERIFY2(longestStall < 100, qPrintable(QString::number(longestStall)));
    QTRY_VERIFY(!program.messages.shown.isEmpty());
    QFETCH(int, kind);
    QCOMPARE(int(program.messages.shown.first().kind), kind);
    QFETCH(QString, text);
    QVERIFY2(program.messages.shown.first().text.startsWith(text), qPrintable(program.messages.shown.first().text));
    if (kind == int(Kind::Question)) {
        QTRY_COMPARE(program.messages.shown.size(), 2);
        QVERIFY2(program.messages.shown.at(1).kind == Kind::Information, qPrintable(program.messages.shown.at(1).text));
        QVERIFY(QFile::exists(ftp.path(directory.mid(1) + u"/news.xml"_s)));
    } else {
        QCOMPARE(program.messages.shown.size(), 1);
    }
}

void TestWindowFtp::uploadButtonReports_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("localFile"); // inside the program folder; empty: the box is emptied
    QTest::addColumn<QList<int>>("kinds");
    QTest::addColumn<QStringList>("texts"); // "%key" stands for the language text of key
    QTest::addColumn<QString>("hostile"); // a mode of hostileftp.py; empty or "ftps://": the real server
    QTest::addColumn<QString>("serverField"); // "%a" stands for the server's address
    QTest::newRow("wrong password") << u"wrong"_s << QString() << u"feeds/news.xml"_s << QList<int>{int(Kind::Critical)}
                                    << QStringList{u"%missingpassword"_s} << QString() << u"%a"_s;
    QTest::newRow("missing directory: offered to be made, declined")
            << QString() << u"/missing"_s << u"feeds/news.xml"_s << QList<int>{int(Kind::Question), int(Kind::Critical)}
            << QStringList{u"The folder /missing does not exist on the server"_s,
                           u"The folder /missing does not exist"_s}
            << QString() << u"%a"_s;
    QTest::newRow("no local file named") << QString() << QString() << QString() << QList<int>{int(Kind::Warning)}
                                         << QStringList{u"%publishnofile"_s} << QString() << u"%a"_s;
    // Upload as it is takes a feed only, whatever the box names.
    QTest::newRow("local file that is no feed")
            << QString() << QString() << u"styles.css"_s << QList<int>{int(Kind::Warning)}
            << QStringList{u"%uploadrefused"_s} << QString() << u"%a"_s;
    // The server's escape sequences and line breaks reach the detail as "?".
    QTest::newRow("hostile reply with escape sequences and a forged line")
            << QString() << QString() << u"feeds/news.xml"_s << QList<int>{int(Kind::Critical)}
            << QStringList{u"The folder / does not exist on the server"_s} << u"escapes"_s << u"%a"_s;
    // No falling back to plain FTP (and a password in the clear) when a server has no TLS.
    QTest::newRow("FTPS asked of a server without TLS")
            << QString() << QString() << u"feeds/news.xml"_s << QList<int>{int(Kind::Critical)}
            << QStringList{u"No encrypted connection to ftps://127.0.0.1:"_s} << QString() << u"ftps://%a"_s;
    // An unknown certificate is asked about (the answer is No) before anything is sent.
    QTest::newRow("FTPS server with a self-signed certificate, not trusted")
            << QString() << QString() << u"feeds/news.xml"_s << QList<int>{int(Kind::Question), int(Kind::Critical)}
            << QStringList{u"The FTPS server ftps://127.0.0.1:"_s,
                           u"The publication was stopped: the certificate of ftps://127.0.0.1:"_s}
            << u"ftps://"_s << u"%a"_s;
}

void TestWindowFtp::uploadButtonReports()
{
    QFETCH(QString, password);
    QFETCH(QString, directory);
    QFETCH(QString, localFile);
    QFETCH(QList<int>, kinds);
    QFETCH(QStringList, texts);
    QFETCH(QString, hostile);
    QFETCH(QString, serverField);
    FtpServer server;
    QVERIFY(hostile.isEmpty() || hostile == "ftps://"_L1 ? server.start(hostile) && server.putFile(u"index.html"_s, "x")
                                                         : server.startHostile(hostile));
    Program program;
    QVERIFY(program.start());
    QVERIFY(writeBytes(program.path(u"feeds/news.xml"_s), "<rss/>"));
    fillFtpPage(program, server, directory);
    if (!password.isEmpty())
        program.box(u"txtftppassword"_s)->setText(password);
    program.box(u"txtftpfile"_s)->setText(localFile.isEmpty() ? QString() : program.path(localFile));
    program.box(u"txtftpurl"_s)->setText(serverField.replace(u"%a"_s, server.address()));

    clickUpload(program);
    QTRY_COMPARE(program.messages.shown.size(), kinds.size());
    QTRY_VERIFY(!program.window->fileCommands()->isPublishing());
    QCOMPARE(program.messages.shown.size(), kinds.size());
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        const ScriptedMessageBoxes::Shown &shown = program.messages.shown.at(i);
        QCOMPARE(int(shown.kind), kinds.at(i));
        QCOMPARE(shown.title, u"Feedsmith"_s);
        const QString expected = texts.at(i).startsWith(u'%') ? program.window->text(texts.at(i).mid(1)) : texts.at(i);
        QVERIFY(!expected.isEmpty());
        QVERIFY2(shown.text.startsWith(expected), qPrintable(shown.text));
        QVERIFY2(!shown.text.contains(u'\x1b'), qPrintable(shown.text));
    }
    QVERIFY(!QFile::exists(server.path(u"news.xml"_s)));
    // The login refused: its details give the server's own reply.
    if (password == "wrong"_L1)
        QVERIFY2(program.messages.shown.last().details.contains(u" as writer: server reply 530 "_s),
                 qPrintable(program.messages.shown.last().details));
}

QTEST_MAIN(TestWindowFtp)
#include "tst_window_ftp.moc"
