// Tests of the entry rules on the document: create, delete, move, commit, select and load.
#include "core/document/feeddocument.h"
#include "core/entries/entryfilter.h"
#include "core/entries/entryoperations.h"
#include "core/system/systemlocale.h"
#include "core/text/textfiles.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace Feedsmith;
using namespace Qt::StringLiterals;

namespace {

const QString Root = u"root"_s;
const QString RootText = u"My feed"_s;
const QString NewEntryText = u"New entry"_s;

QString key(int n)
{
    return EntryCollection::keyFor(n);
}

// Creation times one minute apart from 6 December, 10:05.
QDateTime minute(int n)
{
    return QDateTime(QDate(2026, 12, 6), QTime(10, 5)).addSecs(60 * (n - 1));
}

// A document with n entries made by CreateEntry, titled "A1" .. "An" in the order made.
std::unique_ptr<FeedDocument> documentWith(int n)
{
    auto document = std::make_unique<FeedDocument>();
    document->tree.setNewEntryText(NewEntryText);
    for (int i = 1; i <= n; ++i) {
        CreateEntry(*document, minute(i), RootText);
        document->entries.at(i).title = u"A"_s + QString::number(i);
        document->entries.at(i).content = u"<p>body "_s + QString::number(i) + u"</p>"_s;
    }
    return document;
}

// The titles under key1 .. keyN.
QStringList titlesByKey(const FeedDocument &document)
{
    QStringList titles;
    for (int i = 1; i <= document.entryCount(); ++i)
        titles << document.entries.at(i).title;
    return titles;
}

// Every entry node's caption must be the caption of the record under its key, and the root's
// children must run keyN .. key1.
void verifyTreeMirrorsEntries(const FeedDocument &document)
{
    QStringList expectedKeys;
    for (int i = document.entryCount(); i >= 1; --i)
        expectedKeys << key(i);
    QCOMPARE(document.tree.childKeys(Root), expectedKeys);
    for (int i = 1; i <= document.entryCount(); ++i)
        QCOMPARE(document.tree.caption(key(i)),
                 EntryCaption(document.entries.at(i), NewEntryText, document.tree.dates()));
}

} // namespace

class tst_EntryOperations : public QObject
{
    Q_OBJECT

private slots:
    // The captions below are German ones.
    void initTestCase() { SystemLocale::setLocale(QLocale(QLocale::German, QLocale::Germany)); }
    void firstEntryBringsTheRoot();
    void newEntriesGoOnTop();
    void existingRootIsKept();
    void entryLimit();
    void deleteEntry_data();
    void deleteEntry();
    void duplicateEntry();
    void deleteRefusesNonEntries_data();
    void deleteRefusesNonEntries();
    void deleteOldestOfManyIsOnePass();
    void moveEntry_data();
    void moveEntry();
    void moveRefused_data();
    void moveRefused();
    void commitCurrentEntry_data();
    void commitCurrentEntry();
    void commitTitle_data();
    void commitTitle();
    void selectEntryCommitsThenLoads();
    void selectingTheRootStoresNothing();
    void editorDocument_data();
    void editorDocument();
    void createInfoText();
    void filter_data();
    void filter();
};

void tst_EntryOperations::firstEntryBringsTheRoot()
{
    FeedDocument document;
    document.tree.setNewEntryText(NewEntryText);
    QAbstractItemModelTester tester(&document.tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QString selected = CreateEntry(document, minute(1), RootText);
    QCOMPARE(selected, u"key1"_s);
    QCOMPARE(document.entryCount(), 1);
    QCOMPARE(document.tree.caption(Root), RootText);
    QVERIFY(document.tree.isExpanded(Root));
    QCOMPARE(document.tree.childKeys(Root), QStringList{u"key1"_s});
    QCOMPARE(document.tree.caption(u"key1"_s), u"06.12. 10:05 New entry"_s);
    const RSSentry &entry = document.entries.at(1);
    QCOMPARE(entry.createdate, minute(1));
    QVERIFY(entry.title.isEmpty() && entry.link.isEmpty() && entry.content.isEmpty());
}

void tst_EntryOperations::newEntriesGoOnTop()
{
    FeedDocument document;
    document.tree.setNewEntryText(NewEntryText);
    QAbstractItemModelTester tester(&document.tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
    CreateEntry(document, minute(1), RootText);
    QCOMPARE(CreateEntry(document, minute(3), RootText), u"key2"_s);
    QCOMPARE(CreateEntry(document, minute(4), RootText), u"key3"_s);
    QCOMPARE(document.tree.childKeys(Root), (QStringList{u"key3"_s, u"key2"_s, u"key1"_s}));
    QCOMPARE(document.tree.caption(u"key2"_s), u"06.12. 10:07 New entry"_s);
    QCOMPARE(document.tree.topLevelCount(), 1);
}

void tst_EntryOperations::existingRootIsKept()
{
    // A tab change made the root from the channel title before any entry existed.
    FeedDocument document;
    QVERIFY(document.tree.addRoot(u"Channel title"_s));
    CreateEntry(document, minute(1), RootText);
    QCOMPARE(document.tree.topLevelCount(), 1);
    QCOMPARE(document.tree.caption(Root), u"Channel title"_s);
    QCOMPARE(document.tree.childKeys(Root), QStringList{u"key1"_s});
}

void tst_EntryOperations::entryLimit()
{
    FeedDocument document;
    document.tree.beginBulkChange();
    for (int i = 1; i < EntryCollection::MaxEntries; ++i)
        CreateEntry(document, minute(1), RootText);
    document.tree.endBulkChange();
    QCOMPARE(document.entryCount(), EntryCollection::MaxEntries - 1);

    QCOMPARE(CreateEntry(document, minute(2), RootText), u"key32767"_s);
    QCOMPARE(document.entryCount(), EntryCollection::MaxEntries);
    QCOMPARE(document.tree.childCount(Root), EntryCollection::MaxEntries);

    // At the limit nothing is added; the newest entry is the one to select.
    QSignalSpy inserted(&document.tree, &QAbstractItemModel::rowsInserted);
    QCOMPARE(CreateEntry(document, minute(3), RootText), u"key32767"_s);
    QCOMPARE(document.entryCount(), EntryCollection::MaxEntries);
    QCOMPARE(document.tree.childCount(Root), EntryCollection::MaxEntries);
    QCOMPARE(inserted.count(), 0);
    QVERIFY(!document.tree.contains(u"key32768"_s));
    QCOMPARE(document.entries.at(EntryCollection::MaxEntries).createdate, minute(2));
}

void tst_EntryOperations::deleteEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<QStringList>("titlesAfter");

    QTest::newRow("middle of three: the newest moves down to key2") << 3 << 2 << QStringList{u"A1"_s, u"A3"_s};
    QTest::newRow("newest of three") << 3 << 3 << QStringList{u"A1"_s, u"A2"_s};
    QTest::newRow("oldest of three: both move down") << 3 << 1 << QStringList{u"A2"_s, u"A3"_s};
    QTest::newRow("the only entry") << 1 << 1 << QStringList{};
    QTest::newRow("second of five") << 5 << 2 << QStringList{u"A1"_s, u"A3"_s, u"A4"_s, u"A5"_s};
}

void tst_EntryOperations::deleteEntry()
{
    QFETCH(int, count);
    QFETCH(int, deleted);
    QFETCH(QStringList, titlesAfter);

    auto document = documentWith(count);
    QAbstractItemModelTester tester(&document->tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
    document->currentEntryKey = key(deleted);
    QList<QDateTime> datesAfter;
    for (int i = 1; i <= count; ++i) {
        if (i != deleted)
            datesAfter << document->entries.at(i).createdate;
    }

    QSignalSpy removed(&document->tree, &QAbstractItemModel::rowsRemoved);
    QVERIFY(DeleteEntry(*document, key(deleted)));
    QCOMPARE(document->entryCount(), count - 1);
    QCOMPARE(titlesByKey(*document), titlesAfter);
    for (int i = 1; i < count; ++i)
        QCOMPARE(document->entries.at(i).createdate, datesAfter.at(i - 1));
    QVERIFY(!document->entries.contains(key(count)));
    QVERIFY(!document->tree.contains(key(count)));
    QCOMPARE(removed.count(), 1);
    QVERIFY(document->currentEntryKey.isEmpty());
    QVERIFY(document->tree.contains(Root));
    verifyTreeMirrorsEntries(*document);
}

// The copy goes right below the entry (under its key), with an ID of its own; the entry and those
// above it move up, and the document stays bound to the entry it was bound to.
void tst_EntryOperations::duplicateEntry()
{
    auto document = documentWith(3);
    QAbstractItemModelTester tester(&document->tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
    document->entries.at(2).guid = u"https://e.org/2"_s;
    document->entries.at(2).guidpermalink = u"1"_s;
    document->currentEntryKey = key(2);
    QCOMPARE(DuplicateEntry(*document, key(2), minute(9)), key(2));
    QCOMPARE(titlesByKey(*document), (QStringList{u"A1"_s, u"A2"_s, u"A2"_s, u"A3"_s}));
    QCOMPARE(document->currentEntryKey, key(3));
    const RSSentry &copy = document->entries.at(2);
    QVERIFY(copy.guid.startsWith(u"urn:uuid:"_s) && copy.guidpermalink.isEmpty());
    QCOMPARE(document->entries.at(3).guid, u"https://e.org/2"_s);
    QCOMPARE(copy.createdate, minute(9));
    verifyTreeMirrorsEntries(*document);
    QVERIFY(DuplicateEntry(*document, Root, minute(9)).isEmpty());
}

void tst_EntryOperations::deleteRefusesNonEntries_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("the root") << Root;
    QTest::newRow("no node selected") << QString();
    QTest::newRow("a key past the last entry") << u"key4"_s;
    QTest::newRow("a key with a leading zero") << u"key02"_s;
}

void tst_EntryOperations::deleteRefusesNonEntries()
{
    QFETCH(QString, key);
    auto document = documentWith(3);
    document->currentEntryKey = u"key2"_s;
    QVERIFY(!DeleteEntry(*document, key));
    QCOMPARE(titlesByKey(*document), (QStringList{u"A1"_s, u"A2"_s, u"A3"_s}));
    QCOMPARE(document->currentEntryKey, u"key2"_s);
    verifyTreeMirrorsEntries(*document);
}

void tst_EntryOperations::deleteOldestOfManyIsOnePass()
{
    // Deleting key1 of a full document renumbers every entry; the views hear of one removed row,
    // their captions being the entries' own.
    FeedDocument document;
    document.tree.setNewEntryText(NewEntryText);
    document.tree.beginBulkChange();
    for (int i = 1; i <= EntryCollection::MaxEntries; ++i) {
        CreateEntry(document, minute(i), RootText);
        document.entries.at(i).title = u"T"_s + QString::number(i);
    }
    document.tree.endBulkChange();

    QSignalSpy changed(&document.tree, &QAbstractItemModel::dataChanged);
    QSignalSpy removed(&document.tree, &QAbstractItemModel::rowsRemoved);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(DeleteEntry(document, u"key1"_s));
    QVERIFY2(timer.elapsed() < 5000, "deleting the oldest entry must take one pass over the entries");
    QCOMPARE(changed.count(), 0);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(document.entryCount(), EntryCollection::MaxEntries - 1);
    QCOMPARE(document.entries.at(1).title, u"T2"_s);
    QCOMPARE(document.entries.at(EntryCollection::MaxEntries - 1).title, u"T32767"_s);
    QCOMPARE(document.tree.caption(u"key1"_s),
             EntryCaption(document.entries.at(1), NewEntryText, document.tree.dates()));
    QCOMPARE(document.tree.childKeys(Root).first(), u"key32766"_s);
}

void tst_EntryOperations::moveEntry_data()
{
    QTest::addColumn<QString>("dragged");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("titlesAfter"); // key1 .. key5

    QTest::newRow("key5 onto key2: key2..key4 move up one")
            << u"key5"_s << u"key2"_s << QStringList{u"A1"_s, u"A5"_s, u"A2"_s, u"A3"_s, u"A4"_s};
    QTest::newRow("key2 onto key5: key3..key5 move down one")
            << u"key2"_s << u"key5"_s << QStringList{u"A1"_s, u"A3"_s, u"A4"_s, u"A5"_s, u"A2"_s};
    QTest::newRow("key1 onto key5: the oldest becomes the newest")
            << u"key1"_s << u"key5"_s << QStringList{u"A2"_s, u"A3"_s, u"A4"_s, u"A5"_s, u"A1"_s};
    QTest::newRow("key4 onto key3: neighbours exchange")
            << u"key4"_s << u"key3"_s << QStringList{u"A1"_s, u"A2"_s, u"A4"_s, u"A3"_s, u"A5"_s};
}

void tst_EntryOperations::moveEntry()
{
    QFETCH(QString, dragged);
    QFETCH(QString, target);
    QFETCH(QStringList, titlesAfter);

    auto document = documentWith(5);
    QAbstractItemModelTester tester(&document->tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
    document->currentEntryKey = dragged;
    const RSSentry draggedRecord = *document->entries.find(dragged);

    EntryTreeModel &tree = document->tree;
    const QPersistentModelIndex draggedNode(tree.indexOfKey(dragged));
    QSignalSpy moved(&tree, &QAbstractItemModel::rowsMoved);
    const std::unique_ptr<QMimeData> data(tree.mimeData({tree.indexOfKey(dragged)}));
    QVERIFY(tree.canDropMimeData(data.get(), Qt::MoveAction, -1, -1, tree.indexOfKey(target)));
    QVERIFY(tree.dropMimeData(data.get(), Qt::MoveAction, -1, -1, tree.indexOfKey(target)));
    QCOMPARE(titlesByKey(*document), titlesAfter);
    // The record travels whole, its creation time included; its node goes with it.
    QCOMPARE(*document->entries.find(target), draggedRecord);
    QCOMPARE(document->entryCount(), 5);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(tree.keyOf(draggedNode), target);
    verifyTreeMirrorsEntries(*document);
}

void tst_EntryOperations::moveRefused_data()
{
    QTest::addColumn<QString>("dragged");
    QTest::addColumn<QString>("target");
    QTest::newRow("onto itself") << u"key3"_s << u"key3"_s;
    QTest::newRow("onto the root") << u"key3"_s << Root;
    QTest::newRow("the root dragged") << Root << u"key3"_s;
    QTest::newRow("onto no node") << u"key3"_s << QString();
    QTest::newRow("a key past the last entry") << u"key6"_s << u"key2"_s;
    QTest::newRow("a drag from another tree") << u"other tree"_s << u"key2"_s;
}

void tst_EntryOperations::moveRefused()
{
    QFETCH(QString, dragged);
    QFETCH(QString, target);
    auto document = documentWith(5);
    EntryTreeModel &tree = document->tree;
    QSignalSpy moved(&tree, &QAbstractItemModel::rowsMoved);
    FeedDocument other;
    other.tree.addRoot(RootText);
    other.tree.appendEntry(RSSentry{});
    other.tree.appendEntry(RSSentry{});
    std::unique_ptr<QMimeData> data(tree.mimeData({tree.indexOfKey(dragged)}));
    if (dragged == "other tree"_L1)
        data.reset(other.tree.mimeData({other.tree.indexOfKey(u"key1"_s)}));
    else if (!data) { // no such node: what a drag of it would carry
        data.reset(tree.mimeData({tree.indexOfKey(u"key1"_s)}));
        data->setData(EntryTreeModel::MimeType, dragged.toUtf8());
    }
    QVERIFY(!tree.dropMimeData(data.get(), Qt::MoveAction, -1, -1, tree.indexOfKey(target)));
    QCOMPARE(titlesByKey(*document), (QStringList{u"A1"_s, u"A2"_s, u"A3"_s, u"A4"_s, u"A5"_s}));
    QCOMPARE(moved.count(), 0);
}

void tst_EntryOperations::commitCurrentEntry_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("storedIn"); // 0: nowhere
    QTest::addColumn<bool>("contentEdited");
    QTest::newRow("an entry") << u"key2"_s << 2 << true;
    QTest::newRow("an entry whose document was not edited keeps its content") << u"key2"_s << 2 << false;
    QTest::newRow("the root") << Root << 0 << true;
    QTest::newRow("nothing selected") << QString() << 0 << true;
    QTest::newRow("a key with no entry") << u"key9"_s << 0 << true;
}

void tst_EntryOperations::commitCurrentEntry()
{
    QFETCH(QString, current);
    QFETCH(int, storedIn);
    QFETCH(bool, contentEdited);
    auto document = documentWith(3);
    document->currentEntryKey = current;
    const EntryContent before = document->entries.at(2).content;
    EditorFields fields{RSSentry{u"Typed title"_s, u"https://example.org/"_s, u"<html><body>typed</body></html>"_s},
                        contentEdited};
    fields.entry.author = u"A. Writer"_s;
    fields.entry.categories = u"news\nK\u00f6ln"_s;
    QCOMPARE(CommitCurrentEntry(*document, fields), storedIn != 0);
    for (int i = 1; i <= 3; ++i) {
        const RSSentry &entry = document->entries.at(i);
        if (i == storedIn) {
            QCOMPARE(entry.title, fields.entry.title);
            QCOMPARE(entry.link, fields.entry.link);
            QCOMPARE(entry.content, contentEdited ? fields.entry.content : before);
            QCOMPARE(entry.author + entry.categories, fields.entry.author + fields.entry.categories);
            QCOMPARE(entry.createdate, minute(i));
        } else {
            QCOMPARE(entry.title, u"A"_s + QString::number(i));
        }
    }
}

void tst_EntryOperations::commitTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption");
    QTest::newRow("a title shows in the caption") << u"Hello"_s << u"06.12. 10:06 Hello"_s;
    QTest::newRow("an empty title shows the new-entry text") << QString() << u"06.12. 10:06 New entry"_s;
}

void tst_EntryOperations::commitTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, caption);
    auto document = documentWith(3);
    document->currentEntryKey = u"key2"_s;
    QSignalSpy changed(&document->tree, &QAbstractItemModel::dataChanged);
    CommitCurrentEntry(*document, EditorFields{RSSentry{title, QString(), QString()}});
    QCOMPARE(document->entries.at(2).title, title);
    QCOMPARE(document->tree.caption(u"key2"_s), caption);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().value<QModelIndex>(), document->tree.indexOfKey(u"key2"_s));

    // Bound to the root, nothing is stored and the root keeps its caption.
    document->currentEntryKey = Root;
    CommitCurrentEntry(*document, EditorFields{RSSentry{u"Other"_s, QString(), QString()}});
    QCOMPARE(document->tree.caption(Root), RootText);
    QCOMPARE(document->entries.at(2).title, title);
}

void tst_EntryOperations::selectEntryCommitsThenLoads()
{
    auto document = documentWith(3);
    const QString block = StyleBlockFor(u"p {}"_s);
    document->currentEntryKey = u"key1"_s;
    const LoadedEntry loaded = SelectEntry(
            *document, u"key3"_s, EditorFields{RSSentry{u"T1"_s, u"L1"_s, u"<html><body>one</body></html>"_s}}, block);
    QCOMPARE(document->entries.at(1).title, u"T1"_s);
    QCOMPARE(document->entries.at(1).link, u"L1"_s);
    QCOMPARE(document->entries.at(1).content, u"<html><body>one</body></html>"_s);
    QCOMPARE(document->currentEntryKey, u"key3"_s);
    QVERIFY(loaded.hasRecord);
    QCOMPARE(loaded.entry.title, u"A3"_s);
    QCOMPARE(loaded.entry.createdate, minute(3));
    QCOMPARE(loaded.documentHtml, u"<p>body 3</p>"_s); // no body tag: loaded as it is

    // Bound to nothing (after a delete), the editor's fields go nowhere.
    document->currentEntryKey.clear();
    SelectEntry(*document, u"key2"_s, EditorFields{RSSentry{u"lost"_s, QString(), QString()}}, block);
    QCOMPARE(titlesByKey(*document), (QStringList{u"T1"_s, u"A2"_s, u"A3"_s}));
}

void tst_EntryOperations::selectingTheRootStoresNothing()
{
    auto document = documentWith(2);
    document->currentEntryKey = u"key2"_s;
    const LoadedEntry root =
            SelectEntry(*document, Root, EditorFields{RSSentry{u"T2"_s, QString(), QString()}}, QString());
    QVERIFY(!root.hasRecord);
    QVERIFY(root.documentHtml.isEmpty() && root.entry.title.isEmpty());
    QCOMPARE(document->currentEntryKey, Root);
    QCOMPARE(document->entries.at(2).title, u"T2"_s);

    SelectEntry(*document, u"key1"_s, EditorFields{RSSentry{u"typed at the root"_s, QString(), QString()}}, QString());
    QCOMPARE(titlesByKey(*document), (QStringList{u"A1"_s, u"T2"_s}));
    QCOMPARE(document->currentEntryKey, u"key1"_s);
}

void tst_EntryOperations::editorDocument_data()
{
    const QString block = StyleBlockFor(u"body { color: red; }"_s);
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("an empty entry gets the block inside its body")
            << QString() << u"<html><title></title><body>"_s + block + u"</body></html>"_s;
    QTest::newRow("a capital body tag is written in lower case after the block")
            << u"<HTML><BODY>text</BODY></HTML>"_s << u"<HTML>"_s + block + u"<body>text</BODY></HTML>"_s;
    QTest::newRow("a content without a body tag is loaded unchanged")
            << block + u"<p>from a project</p>"_s << block + u"<p>from a project</p>"_s;
    QTest::newRow("every body tag gets a block") << u"<body>a<Body>b"_s << block + u"<body>a"_s + block + u"<body>b"_s;
    QTest::newRow("a body tag with attributes is no bare body tag")
            << u"<body class=x>c</body>"_s << u"<body class=x>c</body>"_s;
}

void tst_EntryOperations::editorDocument()
{
    QFETCH(QString, content);
    QFETCH(QString, expected);
    QCOMPARE(EditorDocument(content, StyleBlockFor(u"body { color: red; }"_s)), expected);
}

void tst_EntryOperations::createInfoText()
{
    const QLocale german(QLocale::German, QLocale::Germany);
    LoadedEntry entry;
    entry.entry.createdate = QDateTime(QDate(2026, 12, 6), QTime(19, 41, 29));
    QCOMPARE(CreateInfoText(u"Erstellt am"_s, entry, german), u"Erstellt am 06.12.2026 19:41:29"_s);
    entry.entry.createdate = QDateTime(QDate(2026, 12, 6), QTime(0, 0));
    QCOMPARE(CreateInfoText(u"Erstellt am"_s, entry, german), u"Erstellt am 06.12.2026"_s);
    // A date the project file held but that could not be read shows as the file has it.
    entry.entry.unreadDate = u"gestern"_s;
    QCOMPARE(CreateInfoText(u"Erstellt am"_s, entry, german), u"Erstellt am gestern"_s);
}

void tst_EntryOperations::filter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("shown"); // top to bottom
    QTest::newRow("no text shows all") << QString() << QStringList{u"key3"_s, u"key2"_s, u"key1"_s};
    QTest::newRow("a title without its accent") << u"koln"_s << QStringList{u"key1"_s};
    QTest::newRow("letter case and accents typed") << u"K\u00d6LN"_s << QStringList{u"key1"_s};
    QTest::newRow("a link") << u"/strasse"_s << QStringList{u"key2"_s};
    QTest::newRow("body text, its references read") << u"caf\u00e9 &"_s << QStringList{u"key3"_s};
    QTest::newRow("tags are no text") << u"<b>"_s << QStringList{};
    QTest::newRow("in several") << u"e.org"_s << QStringList{u"key3"_s, u"key2"_s, u"key1"_s};
    QTest::newRow("a title changed while the texts were folded") << u"later"_s << QStringList{u"key2"_s};
}

void tst_EntryOperations::filter()
{
    QFETCH(QString, text);
    QFETCH(QStringList, shown);
    auto document = documentWith(3);
    document->entries.at(1).title = u"K\u00f6ln news"_s;
    document->entries.at(1).link = u"https://e.org/1"_s;
    document->entries.at(2).link = u"https://e.org/strasse"_s;
    document->entries.at(3).link = u"https://e.org/3"_s;
    document->entries.at(3).content = u"<p>Caf&eacute; &amp; <b>Bar</b></p>"_s;
    EntryFilterModel filter(document->tree, *document);
    QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
    filter.prepare();
    document->entries.at(2).title = u"Later"_s;
    ++document->revision;
    filter.setFilterText(text);
    const QModelIndex root = filter.indexOfKey(Root);
    QStringList keys;
    for (int row = 0; row < filter.rowCount(root); ++row)
        keys << filter.keyOf(filter.index(row, 0, root));
    QCOMPARE(keys, shown);

    // A move renumbers the entries: what shows follows them.
    if (shown.size() == 1) {
        const int number = EntryCollection::numberOf(shown.first());
        QVERIFY(MoveEntryTo(*document, number, number == 3 ? 1 : 3));
        const QModelIndex rootAfter = filter.indexOfKey(Root);
        QCOMPARE(filter.rowCount(rootAfter), 1);
        QCOMPARE(filter.keyOf(filter.index(0, 0, rootAfter)), key(number == 3 ? 1 : 3));
    }
}

QTEST_GUILESS_MAIN(tst_EntryOperations)
#include "tst_entryoperations.moc"
