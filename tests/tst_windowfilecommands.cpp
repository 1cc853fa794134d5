// The window's file commands: new, open, save, save as, RSS generation, and a round trip.
#include "windowsupport.h"

#include "core/entries/entryfilter.h"
#include "core/project/datetext.h"
#include "core/system/systemlocale.h"
#include "window/editing/entrytreeview.h"
#include "window/shell/backgroundwriter.h"
#include "window/shell/htmlpane.h"
#include "window/shell/recoverykeeper.h"

#include <QStatusBar>

#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QMenu>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTreeView>

#include <tuple>

#include <sys/stat.h>

using namespace Feedsmith;
using namespace FeedsmithTest;
using namespace Qt::StringLiterals;

namespace {

const QStringList ChannelBoxNames = {u"txtTitle"_s,     u"txtLink"_s,       u"txtDescription"_s,    u"txtImageurl"_s,
                                     u"txtimagelink"_s, u"txtimagetitle"_s, u"txtLanguage"_s,       u"txtCategory"_s,
                                     u"txtTTL"_s,       u"txtNumber"_s,     u"txtManagingeditor"_s, u"txtWebmaster"_s};
const QStringList FtpBoxNames = {u"txtftpfile"_s,     u"txtftpurl"_s,   u"txtftpdir"_s, u"txtftpusername"_s,
                                 u"txtftppassword"_s, u"txtftpproxy"_s, u"txtfeedurl"_s};

QString example()
{
    return resourceDir() + u"/feeds/example.rsx"_s;
}

} // namespace

class tst_WindowFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void newCommandClearsEverything_data();
    void newCommandClearsEverything();
    void saveAsksOnceWithProjectFilter();
    void saveCancelledWritesNothing();
    void saveWritesInTheBackground();
    void saveAsWritesAProject();
    void saveAsCancelledKeepsPath();
    void openCancelledKeepsDocument();
    void openFillsBoxesAndTree();
    void openReadsTheFileChosen();
    void openRefusesWhatIsNoRegularFile_data();
    void openRefusesWhatIsNoRegularFile();
    void openShowsFileDate();
    void openedTextArrivesWhole_data();
    void openedTextArrivesWhole();
    void typingStopsAtLimit();
    void openTooManyEntries();
    void generate_data();
    void generate();
    void generatePrefillsName_data();
    void generatePrefillsName();
    void generateCancelledWritesNothing();
    void generateResetsNumber();
    void ftpGenerateTakesFileName();
    void generateAsksBeforeAPlaceTheProjectChose_data();
    void generateAsksBeforeAPlaceTheProjectChose();
    void writeFailuresAreReported_data();
    void writeFailuresAreReported();
    void toolbarSeparatorDoesNothing();
    void typeSaveNewOpenCompare();
    void recoveryCopy_data();
    void recoveryCopy();
    void recoveryCopyFailureIsShownOnce();
    void importFromFileAndAddress();
};

void tst_WindowFileCommands::newCommandClearsEverything_data()
{
    QTest::addColumn<bool>("fromToolbar");
    QTest::newRow("menu") << false;
    QTest::newRow("toolbar") << true;
}

void tst_WindowFileCommands::newCommandClearsEverything()
{
    QFETCH(bool, fromToolbar);
    Program program;
    QVERIFY(program.start());
    program.dialog.answer(example());
    program.window->fileCommands()->openProject();
    QCOMPARE(program.window->document().entryCount(), 4);
    program.box(u"txtftppassword"_s)->setText(u"secret"_s);
    program.child<QLineEdit>(u"txtContentTitle"_s)->setText(u"entry"_s);
    program.window->selectPage(Page::Ftp);

    if (fromToolbar)
        program.clickToolbarButton(u"neu"_s);
    else
        program.menuItem(u"new"_s)->trigger();

    for (const QString &name : ChannelBoxNames + FtpBoxNames) {
        const QString expected = name == "txtTTL"_L1 ? u"1440"_s : name == "txtNumber"_L1 ? u"10"_s : QString();
        QCOMPARE(program.box(name)->text(), expected);
    }
    const FeedDocument &doc = program.window->document();
    ChannelSettings newProject;
    newProject.keepaccents = u"1"_s; // a new project keeps its letters exactly
    QCOMPARE(doc.channel, newProject);
    QVERIFY(program.child<QCheckBox>(u"chkKeepAccents"_s)->isChecked());
    QCOMPARE(doc.ftp, FtpSettings{});
    QCOMPARE(program.child<QLineEdit>(u"txtContentTitle"_s)->text(), QString());
    QCOMPARE(program.child<QLabel>(u"ftpfileproperties"_s)->text(), QString());
    QCOMPARE(program.child<HtmlPane>(u"DHTMLEditor"_s)->documentHtml(), QString());
    QCOMPARE(doc.entryCount(), 0);
    QCOMPARE(doc.tree.rowCount(), 0);
    QCOMPARE(doc.projectPath, QString());
    QCOMPARE(doc.currentEntryKey, QString());
    QCOMPARE(program.dialog.fileName(), QString());
    QCOMPARE(program.window->currentPage(), Page::Settings);
    QCOMPARE(QApplication::focusWidget(), program.box(u"txtTitle"_s));
    QVERIFY(program.messages.shown.isEmpty());
}

void tst_WindowFileCommands::saveAsksOnceWithProjectFilter()
{
    Program program;
    QVERIFY(program.start());
    QTest::keyClicks(program.box(u"txtTitle"_s), u"First"_s);
    const QString target = program.path(u"feeds/first"_s); // typed without extension
    program.dialog.answer(target);
    program.clickToolbarButton(u"speichern"_s);
    program.window->fileCommands()->finishWrites();

    QCOMPARE(program.dialog.calls.size(), 1);
    const ScriptedFileDialog::Call call = program.dialog.calls.first();
    QCOMPARE(call.mode, FileDialog::Mode::Save);
    QCOMPARE(call.filter, u"*.rsx | *.rsx"_s);
    QCOMPARE(call.startPath, program.path(u"feeds"_s));
    const QString written = target + u".rsx"_s;
    QCOMPARE(program.window->document().projectPath, written);
    QVERIFY(readBytes(written).contains("\t<title>First</title>\r\n"));

    // The second save writes to the same file without a dialog.
    program.box(u"txtTitle"_s)->setText(u"Second"_s);
    program.menuItem(u"save"_s)->trigger();
    program.window->fileCommands()->finishWrites();
    QCOMPARE(program.dialog.calls.size(), 1);
    QVERIFY(readBytes(written).contains("\t<title>Second</title>\r\n"));
    QVERIFY(program.messages.shown.isEmpty());
}

// Save returns at once; the file is written from the document as it was then. What is typed
// meanwhile stays a change, and a second Save waits behind the first.
void tst_WindowFileCommands::saveWritesInTheBackground()
{
    Program program;
    QVERIFY(program.start());
    QTest::keyClicks(program.box(u"txtTitle"_s), u"First"_s);
    const QString target = program.path(u"feeds/bg.rsx"_s);
    program.dialog.answer(target);
    program.menuItem(u"save"_s)->trigger();
    BackgroundWriter *writer = program.window->fileCommands()->writer();
    QVERIFY(writer->isBusy()); // it reports back through the event loop only
    QTest::keyClicks(program.box(u"txtTitle"_s), u" and more"_s);
    program.window->fileCommands()->finishWrites();
    QVERIFY(readBytes(target).contains("\t<title>First</title>\r\n"));
    QVERIFY(program.window->document().changed);

    program.menuItem(u"save"_s)->trigger();
    QTest::keyClicks(program.box(u"txtTitle"_s), u"!"_s);
    program.menuItem(u"save"_s)->trigger();
    QTRY_VERIFY(!writer->isBusy());
    QVERIFY(readBytes(target).contains("\t<title>First and more!</title>\r\n"));
    QVERIFY(!program.window->document().changed);
}

void tst_WindowFileCommands::saveCancelledWritesNothing()
{
    Program program;
    QVERIFY(program.start());
    program.dialog.answer(QString());
    program.window->fileCommands()->saveProject(true);
    QCOMPARE(program.dialog.calls.size(), 1);
    QCOMPARE(program.window->document().projectPath, QString());
    QVERIFY(QDir(program.path(u"feeds"_s)).isEmpty());
    QVERIFY(program.messages.shown.isEmpty());
    // The next save asks again.
    program.window->fileCommands()->saveProject(true);
    QCOMPARE(program.dialog.calls.size(), 2);
}

void tst_WindowFileCommands::saveAsWritesAProject()
{
    Program program;
    QVERIFY(program.start());
    // Save as writes a project whatever the dialog was used for last; a name without an
    // extension gets ".rsx".
    const QString target = program.path(u"feeds/as"_s);
    program.dialog.answer(target);
    program.menuItem(u"saveas"_s)->trigger();
    program.window->fileCommands()->finishWrites();
    QCOMPARE(program.dialog.calls.first().filter, u"*.rsx | *.rsx"_s);
    QCOMPARE(program.window->document().projectPath, target + u".rsx"_s);
    QVERIFY(readBytes(target + u".rsx"_s)
                    .startsWith("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<settings>\r\n"));

    // Also right after an RSS file was generated.
    program.dialog.answer(program.path(u"feeds/b.xml"_s));
    program.window->fileCommands()->generateRss();
    program.window->fileCommands()->finishWrites();
    program.dialog.answer(program.path(u"feeds/c.rsx"_s));
    program.window->fileCommands()->saveProjectAs();
    program.window->fileCommands()->finishWrites();
    QCOMPARE(program.dialog.calls.last().filter, u"*.rsx | *.rsx"_s);
    QVERIFY(QFile::exists(program.path(u"feeds/c.rsx"_s)));

    // A name of a feed is asked about first: No writes nothing, Yes a project that opens again.
    for (const bool yes : {false, true}) {
        program.messages.reset();
        program.messages.answer(yes);
        program.dialog.answer(program.path(u"feeds/news2.xml"_s));
        program.window->fileCommands()->saveProjectAs();
        program.window->fileCommands()->finishWrites();
        QCOMPARE(program.messages.shown.size(), 1);
        QVERIFY(program.messages.shown.first().text.startsWith(u"news2.xml ends in .xml, not in .rsx"_s));
        QCOMPARE(QFile::exists(program.path(u"feeds/news2.xml"_s)), yes);
    }
    program.box(u"txtTitle"_s)->setText(u"Under a feed's name"_s);
    QVERIFY(program.window->fileCommands()->saveProject(true));
    program.window->fileCommands()->openProjectFile(program.path(u"feeds/news2.xml"_s));
    QCOMPARE(program.box(u"txtTitle"_s)->text(), u"Under a feed's name"_s);

    // File › Open recent: the newest first, without the files that are gone.
    QVERIFY(QFile::remove(program.path(u"feeds/as.rsx"_s)));
    auto *recent = program.child<QMenu>(u"recentMenu"_s);
    emit recent->aboutToShow();
    QStringList shown;
    for (const QAction *item : recent->actions())
        shown.append(item->text());
    QCOMPARE(shown, (QStringList{u"&1 "_s + program.path(u"feeds/news2.xml"_s), u"&2 "_s + program.path(u"feeds/c.rsx"_s)}));
}

void tst_WindowFileCommands::saveAsCancelledKeepsPath()
{
    Program program;
    QVERIFY(program.start());
    program.dialog.answer(example());
    program.window->fileCommands()->openProject();
    QCOMPARE(program.window->document().projectPath, example());
    program.dialog.answer(QString());
    program.window->fileCommands()->saveProjectAs();
    program.window->fileCommands()->finishWrites();
    QCOMPARE(program.window->document().projectPath, example()); // cancelled: nothing changes
    QVERIFY(program.messages.shown.isEmpty());
}

void tst_WindowFileCommands::openCancelledKeepsDocument()
{
    Program program;
    QVERIFY(program.start());
    program.dialog.answer(example());
    program.window->fileCommands()->openProject();
    program.dialog.answer(QString());
    program.clickToolbarButton(u"oeffnen"_s);
    QCOMPARE(program.dialog.calls.last().mode, FileDialog::Mode::Open);
    QCOMPARE(program.dialog.calls.last().filter, u"*.rsx | *.rsx"_s);
    QCOMPARE(program.window->document().projectPath, example());
    QCOMPARE(program.window->windowTitle(), u"example.rsx - Feedsmith"_s);
    QCOMPARE(program.box(u"txtTitle"_s)->text(), u"Feedsmith example feed"_s);
    QCOMPARE(program.window->document().entryCount(), 4);
}

void tst_WindowFileCommands::openFillsBoxesAndTree()
{
    Program program;
    QVERIFY(program.start());
    program.box(u"txtftppassword"_s)->setText(u"secret"_s);
    program.dialog.answer(example());
    program.menuItem(u"open"_s)->trigger();

    QCOMPARE(program.dialog.calls.first().startPath, program.path(u"feeds"_s));
    const QMap<QString, QString> expected = {
            {u"txtTitle"_s, u"Feedsmith example feed"_s},
            {u"txtLink"_s, u"https://www.example.com/"_s},
            {u"txtLanguage"_s, u"en"_s},
            {u"txtNumber"_s, u"10"_s},
            {u"txtImageurl"_s, u"https://www.example.com/logo.png"_s},
            {u"txtftpfile"_s, u"example.xml"_s},
            {u"txtftpusername"_s, u"jane"_s},
            {u"txtftppassword"_s, QString()},
    };
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(program.box(it.key())->text(), it.value());
    const FeedDocument &doc = program.window->document();
    QCOMPARE(doc.channel.title, u"Feedsmith example feed"_s);
    QCOMPARE(doc.projectPath, example());
    QCOMPARE(program.dialog.fileName(), QString());
    QCOMPARE(doc.tree.caption(EntryTreeModel::RootKey), u"Feedsmith example feed"_s);
    QCOMPARE(doc.tree.childKeys(EntryTreeModel::RootKey), QStringList({u"key4"_s, u"key3"_s, u"key2"_s, u"key1"_s}));
    auto *view = program.child<EntryTreeView>(u"TreeView"_s);
    QCOMPARE(view->filterModel()->sourceModel(), &doc.tree);
    QVERIFY(view->isExpanded(view->indexOfKey(EntryTreeModel::RootKey)));
    QVERIFY(program.messages.shown.isEmpty());

    // After open, save writes back to the opened file without a dialog.
    const QString copy = program.path(u"feeds/copy.rsx"_s);
    QVERIFY(QFile::copy(example(), copy));
    program.dialog.answer(copy);
    program.window->fileCommands()->openProject();
    program.box(u"txtCategory"_s)->setText(u"Changed"_s);
    const qsizetype shows = program.dialog.calls.size();
    program.window->fileCommands()->saveProject(true);
    QCOMPARE(program.dialog.calls.size(), shows);
    QVERIFY(readBytes(copy).contains("\t<category>Changed</category>\r\n"));
}

void tst_WindowFileCommands::openReadsTheFileChosen()
{
    Program program;
    QVERIFY(program.start());
    // The file chosen, whatever its name; never one with ".xml" appended.
    const QString chosen = program.path(u"feeds/plain"_s);
    QVERIFY(QFile::copy(example(), chosen));
    QVERIFY(writeBytes(chosen + u".xml"_s, "<settings>\r\n\t<title>Other file</title>\r\n</settings>\r\n"));
    program.dialog.answer(chosen);
    program.window->fileCommands()->openProject();
    QCOMPARE(program.window->document().projectPath, chosen);
    QCOMPARE(program.box(u"txtTitle"_s)->text(), u"Feedsmith example feed"_s);

    // A chosen file that cannot be read gives the new empty document under that name.
    const QString missing = program.path(u"feeds/missing.rsx"_s);
    program.dialog.answer(missing);
    program.window->fileCommands()->openProject();
    QCOMPARE(program.window->document().projectPath, missing);
    QCOMPARE(program.box(u"txtTitle"_s)->text(), QString());
    QCOMPARE(program.box(u"txtTTL"_s)->text(), u"1440"_s);
    QCOMPARE(program.window->document().tree.caption(EntryTreeModel::RootKey), u"My feed"_s);
}

void tst_WindowFileCommands::openRefusesWhatIsNoRegularFile_data()
{
    QTest::addColumn<QString>("name"); // the name chosen in the dialog
    QTest::addColumn<QString>("linkTarget"); // empty: a FIFO
    QTest::addColumn<QString>("reason");
    QTest::newRow("link to /dev/zero") << u"odd.rsx"_s << u"/dev/zero"_s << u"is a device, not a regular file"_s;
    QTest::newRow("FIFO") << u"odd.rsx"_s << QString() << u"is a pipe (FIFO), not a regular file"_s;
    QTest::newRow("FIFO named without .rsx") << u"odd"_s << QString() << u"is a pipe (FIFO), not a regular file"_s;
    const QString notAProject = u"is not a Feedsmith project (it has no settings, FTP settings or entries block)"_s;
    QTest::newRow("link to an HTML page") << u"odd.rsx"_s << resourceDir() + u"/preview.html"_s << notAProject;
    QTest::newRow("picture named .png") << u"odd.png"_s << resourceDir() + u"/feedsmith.svg"_s << notAProject;
    QTest::newRow("link to an RSS file, which may be imported") << u"odd.rsx"_s << u"{RSS}"_s << QString();
    QTest::newRow("RSS file named .xml, which may be imported") << u"odd.xml"_s << u"{RSS}"_s << QString();
}

void tst_WindowFileCommands::openRefusesWhatIsNoRegularFile()
{
    QFETCH(QString, name);
    QFETCH(QString, linkTarget);
    QFETCH(QString, reason);
    Program program;
    QVERIFY(program.start());
    program.dialog.answer(example());
    program.window->fileCommands()->openProject();
    const QString path = program.path(u"feeds/"_s + name);
    if (linkTarget == "{RSS}"_L1) {
        linkTarget = program.path(u"feeds/news.xml"_s);
        QVERIFY(writeBytes(linkTarget,
                           "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<rss version=\"2.0\">\r\n"
                           "\t<channel>\r\n\t\t<title>News</title>\r\n\t</channel>\r\n</rss>\r\n"));
    }
    QVERIFY(linkTarget.isEmpty() ? ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                                 : QFile::link(linkTarget, path));
    program.dialog.answer(path);
    program.window->fileCommands()->openProject();
    QCOMPARE(program.messages.shown.size(), 1);
    const bool feed = reason.isEmpty();
    QCOMPARE(program.messages.shown.first().text,
             feed ? name + u" is a feed, not a Feedsmith project. Import it into a new project?"_s
                  : u"The project cannot be opened.\n\n"_s + path + u": "_s + reason);
    // Answered No, or refused: the open project, its path and its state stay.
    QCOMPARE(program.window->document().projectPath, example());
    QCOMPARE(program.window->document().entryCount(), 4);
    QVERIFY(!program.window->document().changed);
    if (feed) {
        // Answered Yes, the feed becomes a new project.
        program.dialog.answer(path);
        program.messages.answer(true);
        program.window->fileCommands()->openProject();
        QCOMPARE(program.window->document().channel.title, u"News"_s);
        QCOMPARE(program.window->document().projectPath, QString());
    }
}

void tst_WindowFileCommands::openShowsFileDate()
{
    Program program;
    QVERIFY(program.start());
    const QString rss = program.path(u"feeds/news.xml"_s);
    QVERIFY(writeBytes(rss, "<rss/>"));
    const QDateTime stamp(QDate(2027, 3, 1), QTime(9, 5, 7));
    QFile f(rss);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    f.close();
    const QString project = program.path(u"feeds/p.rsx"_s);
    QVERIFY(writeBytes(project,
                       "<settings>\r\n</settings>\r\n<ftpsettings>\r\n\t<ftpfile>" + rss.toLocal8Bit()
                               + "</ftpfile>\r\n</ftpsettings>\r\n"));
    program.dialog.answer(project);
    program.window->fileCommands()->openProject();
    QCOMPARE(program.child<QLabel>(u"ftpfileproperties"_s)->text(),
             u"Last modified: "_s + DateText::format(stamp, SystemLocale::locale()));
}

void tst_WindowFileCommands::openedTextArrivesWhole_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QByteArray>("tag");
    QTest::addColumn<QString>("value");
    QTest::newRow("language of five characters") << u"txtLanguage"_s << QByteArray("language") << u"de-at"_s;
    QTest::newRow("number of seven digits") << u"txtNumber"_s << QByteArray("number") << u"1234567"_s;
    QTest::newRow("a long description") << u"txtDescription"_s << QByteArray("description") << QString(40000, u'd');
}

void tst_WindowFileCommands::openedTextArrivesWhole()
{
    QFETCH(QString, box);
    QFETCH(QByteArray, tag);
    QFETCH(QString, value);
    Program program;
    QVERIFY(program.start());
    const QString project = program.path(u"feeds/long.rsx"_s);
    QVERIFY(writeBytes(project,
                       "<settings>\r\n\t<" + tag + ">" + value.toLatin1() + "</" + tag + ">\r\n</settings>\r\n"));
    program.dialog.answer(project);
    program.window->fileCommands()->openProject();
    QCOMPARE(program.box(box)->text(), value);

    // Saved again, the value stays whole.
    const QString again = program.path(u"feeds/again.rsx"_s);
    program.dialog.answer(again);
    program.window->fileCommands()->saveProjectAs();
    program.window->fileCommands()->finishWrites();
    QVERIFY(readBytes(again).contains("<" + tag + ">" + value.toLatin1() + "</" + tag + ">"));
}

void tst_WindowFileCommands::typingStopsAtLimit()
{
    Program program;
    QVERIFY(program.start());
    // Language tags as the help suggests them are taken whole; ttl and number take digits only.
    QTest::keyClicks(program.box(u"txtLanguage"_s), u"pt-br"_s);
    QTest::keyClicks(program.box(u"txtTTL"_s), u" min"_s);
    QCOMPARE(program.window->document().channel.language + program.window->document().channel.ttl, u"pt-br1440"_s);
    QLineEdit *number = program.box(u"txtNumber"_s);
    number->clear();
    QTest::keyClicks(number, u"12x3456"_s);
    QCOMPARE(number->text(), u"12345"_s);

    // A loaded text longer than the limit takes no more typing, and shrinks back to the limit.
    const QString project = program.path(u"feeds/l.rsx"_s);
    QVERIFY(writeBytes(project, "<settings>\r\n\t<number>1234567</number>\r\n</settings>\r\n"));
    program.dialog.answer(project);
    program.messages.answerSave(MessageBoxes::SaveAnswer::Discard); // what was typed
    program.window->fileCommands()->openProject();
    number->setFocus();
    number->end(false);
    QTest::keyClicks(number, u"8"_s);
    QCOMPARE(number->text(), u"1234567"_s);
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(number, Qt::Key_Backspace);
    QCOMPARE(number->text(), u"12345"_s);
    QTest::keyClicks(number, u"6"_s);
    QCOMPARE(number->text(), u"12345"_s);
    QCOMPARE(program.window->document().channel.number, u"12345"_s);
}

void tst_WindowFileCommands::openTooManyEntries()
{
    Program program;
    QVERIFY(program.start());
    const int groups = EntryCollection::MaxEntries + 3;
    QByteArray bytes = "<settings>\r\n\t<title>Big</title>\r\n</settings>\r\n<entries>\r\n";
    for (int i = 1; i <= groups; ++i)
        bytes += "\t<entry>\r\n\t\t<title>e" + QByteArray::number(i) + "</title>\r\n\t</entry>\r\n";
    // Its first entry has a date that cannot be read, and the file ends before its end.
    bytes.replace("<title>e1</title>", "<title>e1</title>\r\n\t\t<date>gestern</date>");
    const QString project = program.path(u"feeds/big.rsx"_s);
    QVERIFY(writeBytes(project, bytes));
    program.dialog.answer(project);
    program.window->fileCommands()->openProject();

    const FeedDocument &doc = program.window->document();
    QCOMPARE(doc.entryCount(), EntryCollection::MaxEntries);
    QCOMPARE(doc.entries.at(EntryCollection::MaxEntries).title, u"e32767"_s);
    QCOMPARE(doc.tree.childCount(EntryTreeModel::RootKey), EntryCollection::MaxEntries);
    QCOMPARE(program.messages.shown.size(), 1);
    const ScriptedMessageBoxes::Shown message = program.messages.shown.first();
    QCOMPARE(message.title, u"Feedsmith"_s);
    // One message for the file tells all it kept and left out.
    QVERIFY2(message.text.contains("32767"_L1) && message.text.contains("3 were left out"_L1)
                     && message.text.contains(u"ends at line %1 before its end"_s.arg(bytes.count('\n')))
                     && message.text.contains("such as \"gestern\" of the entry \"e1\""_L1),
             qPrintable(message.text));
    QVERIFY(message.text.contains("big.rsx"_L1));
    QCOMPARE(doc.entries.at(1).unreadDate, u"gestern"_s);
}

void tst_WindowFileCommands::generate_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::newRow("menu") << u"menu"_s;
    QTest::newRow("toolbar") << u"toolbar"_s;
    QTest::newRow("ftp page button") << u"ftpgenfile"_s;
}

void tst_WindowFileCommands::generate()
{
    QFETCH(QString, trigger);
    Program program;
    QVERIFY(program.start());
    typeText(program.box(u"txtTitle"_s), u"Caf\u00e9 & Bar"_s);
    const QString target = program.path(u"feeds/out.xml"_s);
    program.dialog.answer(target);
    if (trigger == "menu"_L1) {
        program.menuItem(u"genrss"_s)->trigger();
        program.window->fileCommands()->finishWrites();
    } else if (trigger == "toolbar"_L1) {
        program.clickToolbarButton(u"genrss"_s);
        program.window->fileCommands()->finishWrites();
    } else {
        program.window->selectPage(Page::Ftp);
        QTest::mouseClick(program.child<QPushButton>(u"ftpgenfile"_s), Qt::LeftButton);
        program.window->fileCommands()->finishWrites();
    }

    QCOMPARE(program.dialog.calls.size(), 1);
    QCOMPARE(program.dialog.calls.first().filter, u"*.xml | *.xml"_s);
    QCOMPARE(program.dialog.calls.first().fileName, QString());
    const QByteArray rss = readBytes(target);
    QVERIFY(rss.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<rss version=\"2.0\">\r\n"));
    QVERIFY(rss.contains("\t<title>Caf&#233; &amp; Bar</title>\r\n")); // a new project keeps its letters
    const FeedDocument &doc = program.window->document();
    QCOMPARE(doc.rssPath, target);
    QCOMPARE(program.box(u"txtftpfile"_s)->text(), target);
    QCOMPARE(doc.ftp.ftpfile, target);
    QCOMPARE(program.child<QLabel>(u"ftpfileproperties"_s)->text(),
             u"Last modified: "_s + DateText::format(QFileInfo(target).lastModified(), SystemLocale::locale()));
    QCOMPARE(program.dialog.fileName(), doc.projectPath);
    QVERIFY(program.messages.shown.isEmpty());
    // The status bar says where the feed went, with a way to its folder.
    QCOMPARE(program.window->statusBar()->currentMessage(), u"The RSS file was written to "_s + target + u"."_s);
    QVERIFY(program.child<QPushButton>(u"showFeedFolder"_s)->isVisible());
}

void tst_WindowFileCommands::generatePrefillsName_data()
{
    QTest::addColumn<QString>("rssPath");
    QTest::addColumn<QString>("ftpfile");
    QTest::addColumn<QString>("offered");
    QTest::newRow("last generated file first") << u"/a/last.xml"_s << u"/b/ftp.xml"_s << u"/a/last.xml"_s;
    QTest::newRow("else the local RSS file") << QString() << u"/b/ftp.xml"_s << u"/b/ftp.xml"_s;
    QTest::newRow("else nothing") << QString() << QString() << QString();
    // A saved project (feeds/p.rsx) offers its feed beside it.
    QTest::newRow("saved project: its name with .xml") << u"-"_s << QString() << u"{feeds}/p.xml"_s;
    QTest::newRow("saved project: a relative name beside it") << u"-"_s << u"out/f.xml"_s << u"{feeds}/out/f.xml"_s;
}

void tst_WindowFileCommands::generatePrefillsName()
{
    QFETCH(QString, rssPath);
    QFETCH(QString, ftpfile);
    QFETCH(QString, offered);
    Program program;
    QVERIFY(program.start());
    if (rssPath == "-"_L1) {
        program.dialog.answer(program.path(u"feeds/p.rsx"_s));
        QVERIFY(program.window->fileCommands()->saveProject(true));
        rssPath.clear();
        offered.replace(u"{feeds}"_s, program.path(u"feeds"_s));
    }
    program.window->document().rssPath = rssPath;
    program.box(u"txtftpfile"_s)->setText(ftpfile);
    program.dialog.answer(QString());
    program.window->fileCommands()->generateRss();
    program.window->fileCommands()->finishWrites();
    QCOMPARE(program.dialog.calls.last().fileName, offered);
}

void tst_WindowFileCommands::generateCancelledWritesNothing()
{
    Program program;
    QVERIFY(program.start());
    const QString project = program.path(u"feeds/p.rsx"_s);
    program.dialog.answer(project);
    program.window->fileCommands()->saveProject(true);
    program.box(u"txtftpfile"_s)->setText(u"kept.xml"_s);
    program.dialog.answer(QString());
    program.window->fileCommands()->generateRss();
    program.window->fileCommands()->finishWrites();
    QCOMPARE(program.window->document().rssPath, QString());
    QCOMPARE(program.box(u"txtftpfile"_s)->text(), u"kept.xml"_s);
    QCOMPARE(QDir(program.path(u"feeds"_s)).entryList(QDir::Files), QStringList(u"p.rsx"_s));
    // The dialog's name is the project's again, for the project commands.
    QCOMPARE(program.dialog.fileName(), project);
    QVERIFY(program.messages.shown.isEmpty());
}

void tst_WindowFileCommands::generateResetsNumber()
{
    Program program;
    QVERIFY(program.start());
    program.box(u"txtNumber"_s)->setText(u"abc"_s);
    program.dialog.answer(program.path(u"n.xml"_s));
    program.window->fileCommands()->generateRss();
    program.window->fileCommands()->finishWrites();
    QCOMPARE(program.box(u"txtNumber"_s)->text(), u"10"_s);
}

void tst_WindowFileCommands::ftpGenerateTakesFileName()
{
    Program program;
    QVERIFY(program.start());
    const QString local = program.path(u"feeds/local.xml"_s);
    program.box(u"txtftpfile"_s)->setText(local);
    program.window->selectPage(Page::Ftp);
    program.dialog.answer(local);
    QTest::mouseClick(program.child<QPushButton>(u"ftpgenfile"_s), Qt::LeftButton);
    program.window->fileCommands()->finishWrites();
    QCOMPARE(program.dialog.calls.first().fileName, local);
    QCOMPARE(program.window->document().rssPath, local);
    QVERIFY(QFile::exists(local));
}

void tst_WindowFileCommands::generateAsksBeforeAPlaceTheProjectChose_data()
{
    QTest::addColumn<QString>("ftpfile"); // the project's, in feeds/ beside it or in home/
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("yes");
    QTest::newRow("feed beside the project") << u"feeds/news.xml"_s << false << false;
    QTest::newRow("shell profile, declined") << u"home/.bashrc"_s << true << false;
    QTest::newRow("new Python path file, declined") << u"home/site.pth"_s << true << false;
    QTest::newRow("feed elsewhere, accepted") << u"home/news.xml"_s << true << true;
}

void tst_WindowFileCommands::generateAsksBeforeAPlaceTheProjectChose()
{
    QFETCH(QString, ftpfile);
    QFETCH(bool, asked);
    QFETCH(bool, yes);
    Program program;
    QVERIFY(program.start());
    const QString target = program.path(ftpfile);
    QVERIFY(QDir(program.folder()).mkpath(u"home"_s) && writeBytes(program.path(u"home/.bashrc"_s), "alias x=y\n"));
    const QByteArray before = readBytes(target);
    const QString project = program.path(u"feeds/p.rsx"_s);
    QVERIFY(writeBytes(project,
                       "<settings>\r\n\t<title>T</title>\r\n</settings>\r\n<ftpsettings>\r\n\t<ftpfile>"
                               + target.toUtf8() + "</ftpfile>\r\n</ftpsettings>\r\n"));
    program.dialog.answer(project);
    program.window->fileCommands()->openProject();
    program.messages.answer(yes);
    for (int i = 0; i < 2; ++i) { // once the user said yes, the place counts as chosen
        program.dialog.answer(target); // the dialog only confirms the name offered
        program.window->fileCommands()->generateRss();
        program.window->fileCommands()->finishWrites();
        QCOMPARE(program.messages.shown.size(), asked && (i == 0 || !yes) ? i + 1 : int(asked));
    }
    QCOMPARE(readBytes(target).startsWith("<?xml"), !asked || yes);
    if (asked && !yes)
        QCOMPARE(readBytes(target), before);
}

void tst_WindowFileCommands::writeFailuresAreReported_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("save") << u"save"_s;
    QTest::newRow("save as") << u"saveas"_s;
    QTest::newRow("generate") << u"genrss"_s;
}

void tst_WindowFileCommands::writeFailuresAreReported()
{
    QFETCH(QString, command);
    Program program;
    QVERIFY(program.start());
    // A folder stands where the file should go: it cannot be replaced by a file.
    const QString target = program.path(command == "genrss"_L1 ? u"feeds/taken.xml"_s : u"feeds/taken.rsx"_s);
    QVERIFY(QDir().mkpath(target + u"/inside"_s));
    program.dialog.answer(target);
    program.menuItem(command)->trigger();
    program.window->fileCommands()->finishWrites();

    QCOMPARE(program.messages.shown.size(), 1);
    const ScriptedMessageBoxes::Shown message = program.messages.shown.first();
    QCOMPARE(message.kind, ScriptedMessageBoxes::Kind::Warning);
    QCOMPARE(message.title, u"Feedsmith"_s);
    QVERIFY2(message.text.contains(QDir::toNativeSeparators(target)), qPrintable(message.text));
    QVERIFY(QFileInfo(target).isDir());
    QVERIFY(QFileInfo::exists(target + u"/inside"_s));
    QVERIFY(program.child<QLabel>(u"ftpfileproperties"_s)->text().isEmpty());
}

void tst_WindowFileCommands::toolbarSeparatorDoesNothing()
{
    Program program;
    QVERIFY(program.start());
    QTest::keyClicks(program.box(u"txtTitle"_s), u"Stays"_s);
    // The toolbar's buttons are the menu's commands; its separator is none.
    const QList<QAction *> buttons = program.child<QToolBar>(u"Toolbar1"_s)->actions();
    QCOMPARE(buttons.at(2), program.menuItem(u"save"_s));
    buttons.at(3)->trigger();
    QCOMPARE(program.box(u"txtTitle"_s)->text(), u"Stays"_s);
    QVERIFY(program.dialog.calls.isEmpty());
}

void tst_WindowFileCommands::typeSaveNewOpenCompare()
{
    Program program;
    QVERIFY(program.start());
    QMap<QString, QString> typed;
    for (const QString &name : ChannelBoxNames + FtpBoxNames) {
        QLineEdit *box = program.box(name);
        program.window->selectPage(FtpBoxNames.contains(name) ? Page::Ftp : Page::Settings);
        box->setFocus();
        box->selectAll();
        QString text = name.mid(3) + u" \u00e4 value"_s;
        if (name == "txtLanguage"_L1)
            text = u"de"_s;
        else if (name == "txtNumber"_L1 || name == "txtTTL"_L1)
            text = u"42"_s;
        typeText(box, text);
        QCOMPARE(box->text(), text);
        typed.insert(name, text);
    }
    program.window->selectPage(Page::Settings);
    auto *option = program.child<QCheckBox>(u"chkItemIds"_s);
    option->click();
    const FeedDocument &doc = program.window->document();
    QCOMPARE(doc.channel.itemids, u"1"_s);
    const ChannelSettings channelBefore = doc.channel;

    const QString project = program.path(u"feeds/roundtrip.rsx"_s);
    program.dialog.answer(project);
    program.clickToolbarButton(u"speichern"_s);
    program.window->fileCommands()->finishWrites();
    QVERIFY(QFile::exists(project));

    program.clickToolbarButton(u"neu"_s);
    QCOMPARE(program.box(u"txtTitle"_s)->text(), QString());
    QVERIFY(!option->isChecked());
    QVERIFY(!option->isChecked());

    program.dialog.answer(project);
    program.clickToolbarButton(u"oeffnen"_s);
    for (auto it = typed.cbegin(); it != typed.cend(); ++it) {
        const QString expected = it.key() == "txtftppassword"_L1 ? QString() : it.value();
        QCOMPARE(program.box(it.key())->text(), expected);
    }
    QCOMPARE(doc.channel, channelBefore);
    QVERIFY(option->isChecked());
    QCOMPARE(doc.projectPath, project);
    QCOMPARE(doc.tree.caption(EntryTreeModel::RootKey), typed.value(u"txtTitle"_s));
    QVERIFY(program.messages.shown.isEmpty());
}

void tst_WindowFileCommands::importFromFileAndAddress()
{
    Program program;
    QVERIFY(program.start());
    // A project named on the command line opens without a dialog; then a feed replaces it.
    program.window->fileCommands()->openProjectFile(example());
    QCOMPARE(program.box(u"txtTitle"_s)->text(), u"Feedsmith example feed"_s);
    QVERIFY(program.dialog.calls.isEmpty());
    const QString feeds = QStringLiteral(FEEDSMITH_TEST_DATA) + u"/feeds"_s;
    program.dialog.answer(feeds + u"/npm-feed-atom.xml"_s);
    program.menuItem(u"importfeed"_s)->trigger();
    const FeedDocument &doc = program.window->document();
    QCOMPARE(program.box(u"txtTitle"_s)->text(), u"Garden Log"_s);
    QCOMPARE(program.box(u"txtManagingeditor"_s)->text(), u"gus@example.com (Gus Gardener)"_s);
    QCOMPARE(doc.tree.childKeys(EntryTreeModel::RootKey), (QStringList{u"key2"_s, u"key1"_s}));
    // A new document, typed in: unsaved, with no name yet.
    QVERIFY(doc.changed);
    QVERIFY(doc.projectPath.isEmpty());
    QVERIFY(program.messages.shown.value(0).text.contains(u"channel: rights not kept"_s));
    // The next import starts where feeds were taken from last, whatever the project's folder.
    program.window->fileCommands()->openProjectFile(example());
    program.dialog.answer(QString());
    program.menuItem(u"importfeed"_s)->trigger();
    QCOMPARE(program.dialog.calls.last().filter, u"*.xml *.rss *.atom | *.xml *.rss *.atom | * | *"_s);
    QCOMPARE(program.dialog.calls.last().startPath, feeds);

    // From an address: a real web server on this machine.
    QProcess server;
    server.setProgram(u"/usr/bin/python3"_s);
    server.setArguments(
            {u"-u"_s, u"-m"_s, u"http.server"_s, u"0"_s, u"--bind"_s, u"127.0.0.1"_s, u"--directory"_s, feeds});
    server.start();
    QString port;
    QVERIFY(waitUntil(
            [&] {
                const QRegularExpressionMatch m =
                        QRegularExpression(u"port (\\d+)"_s).match(QString::fromLatin1(server.peek(4096)));
                port = m.captured(1);
                return !port.isEmpty();
            },
            10000));
    const QString base = u"http://127.0.0.1:"_s + port + u'/';
    program.messages.answerSave(MessageBoxes::SaveAnswer::Discard);
    program.messages.answerText(base + u"npm-rss.xml"_s);
    program.menuItem(u"importaddress"_s)->trigger();
    // Downloaded beside the window, which shows a Cancel button meanwhile.
    QVERIFY(program.window->findChild<QProgressDialog *>(u"importProgress"_s));
    QTRY_COMPARE(program.box(u"txtTitle"_s)->text(), u"Café Notes"_s);
    QCOMPARE(doc.entryCount(), 2);

    // A failed download says why in a sentence, with curl's or the server's words behind
    // Details, and leaves the document as it is.
    for (const auto &[address, text, details] :
         {std::tuple{base + u"missing.xml"_s, u"the server answered 404."_s, u"server reply HTTP 404"_s},
          std::tuple{u"http://127.0.0.1:1/feed.xml"_s, u"the server does not answer."_s,
                     u"curl error 7 (Couldn't connect to server)"_s}}) {
        program.messages.reset();
        program.messages.answerSave(MessageBoxes::SaveAnswer::Discard);
        program.messages.answerText(address);
        program.menuItem(u"importaddress"_s)->trigger();
        QTRY_VERIFY(!program.messages.shown.isEmpty()
                    && program.messages.shown.last().kind == ScriptedMessageBoxes::Kind::Critical);
        QCOMPARE(program.messages.shown.last().text,
                 program.window->text(u"importnoanswer"_s).section(u':', 0, 0).arg(address) + u": "_s + text);
        const QString shownDetails = program.messages.shown.last().details;
        QVERIFY2(shownDetails.startsWith(u"downloading "_s + address + u": "_s + details), qPrintable(shownDetails));
        QCOMPARE(program.box(u"txtTitle"_s)->text(), u"Café Notes"_s);
    }
    server.kill();
    server.waitForFinished();
}

QTEST_MAIN(tst_WindowFileCommands)
#include "tst_windowfilecommands.moc"

void tst_WindowFileCommands::recoveryCopy_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("restored") << int(MessageBoxes::RestoreAnswer::Restore);
    QTest::newRow("discarded") << int(MessageBoxes::RestoreAnswer::Discard);
    QTest::newRow("closed: offered again later") << int(MessageBoxes::RestoreAnswer::Later);
}

void tst_WindowFileCommands::recoveryCopy()
{
    QFETCH(int, answer);
    Program program;
    QVERIFY(program.start());
    MainWindow &window = *program.window;
    const QString project = program.path(u"feeds/work.rsx"_s);
    program.dialog.answer(project);
    QVERIFY(window.fileCommands()->saveProject(true));
    QTest::keyClicks(program.box(u"txtTitle"_s), u"typed since"_s);

    // The copy once the typing has stopped for a moment (made shorter here), readable by the user
    // alone.
    RecoveryKeeper &keeper = *window.recovery();
    const QString copy = keeper.store().ownCopyFile();
    QVERIFY(keeper.quietTimer()->isActive() && keeper.quietTimer()->interval() <= 2000);
    keeper.quietTimer()->start(1);
    QVERIFY(waitUntil([&] { return QFile::exists(copy); }));
    keeper.finishWriting(); // written on a thread of its own, the description after the copy
    QVERIFY(readBytes(copy).contains("typed since"));
    QCOMPARE(QFileInfo(keeper.store().folder()).permissions() & 0x0077, QFileDevice::Permissions());

    // The program is killed: its copy stays under an owner that no longer runs.
    const QString left = keeper.store().folder() + u"/999999999-1"_s;
    QVERIFY(QFile::rename(copy, left + u".rsx"_s));
    QVERIFY(QFile::rename(QString(copy).replace(u".rsx"_s, u".json"_s), left + u".json"_s));
    program.messages.answerSave(MessageBoxes::SaveAnswer::Discard);
    window.fileCommands()->newDocument();

    program.messages.reset();
    program.messages.answerRestore(MessageBoxes::RestoreAnswer(answer));
    window.offerRecovery();
    QCOMPARE(program.messages.shown.size(), 1);
    QVERIFY(program.messages.shown.first().text.contains(QDir::toNativeSeparators(project)));
    const bool restored = answer == int(MessageBoxes::RestoreAnswer::Restore);
    QCOMPARE(window.document().channel.title, restored ? u"typed since"_s : QString());
    QCOMPARE(window.document().changed, restored);
    QCOMPARE(QFile::exists(left + u".rsx"_s), answer == int(MessageBoxes::RestoreAnswer::Later));
    QCOMPARE(QFile::exists(copy), restored); // the restored work has a copy at once
    if (restored) {
        QCOMPARE(window.windowTitle(), u"work.rsx* - Feedsmith"_s);
        QVERIFY(window.fileCommands()->saveProject(true));
        QVERIFY(readBytes(project).contains("typed since"));
        QVERIFY(!QFile::exists(copy));
    }
}

void tst_WindowFileCommands::recoveryCopyFailureIsShownOnce()
{
    Program program;
    QVERIFY(program.start());
    RecoveryKeeper &keeper = *program.window->recovery();
    // A file where the folder of copies belongs: no copy can be written.
    QDir(keeper.store().folder()).removeRecursively();
    QVERIFY(QDir().mkpath(QFileInfo(keeper.store().folder()).path()));
    QVERIFY(writeBytes(keeper.store().folder(), "not a folder"));
    QStatusBar *status = program.window->statusBar();
    for (int attempt = 0; attempt < 2; ++attempt) {
        status->clearMessage();
        QTest::keyClicks(program.box(u"txtTitle"_s), u"x"_s);
        QVERIFY(!keeper.writeIfDue(true, true));
        QTest::qWait(50); // the report arrives queued
        QCOMPARE(status->currentMessage().contains(u"could not be copied for recovery"_s), attempt == 0);
    }
}
