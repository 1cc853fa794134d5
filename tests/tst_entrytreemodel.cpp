// Tests of the entry tree model, entry captions and the keyed entry collection.
#include "core/document/entrycollection.h"
#include "core/document/entrytreemodel.h"
#include "core/document/feeddocument.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using namespace Feedsmith;
using namespace Qt::StringLiterals;

namespace {

const QString Root = u"root"_s;

QString key(int n)
{
    return u"key"_s + QString::number(n);
}

QString titleOf(int n)
{
    return u"Eintrag "_s + QString::number(n);
}

QString captionOf(int n)
{
    return u" "_s + titleOf(n); // entries without a date: a blank, then the title
}

// The keys of the root's children as the tree must show them: keyN first, key1 last.
QStringList newestFirst(int n)
{
    QStringList keys;
    for (int i = n; i >= 1; --i)
        keys << key(i);
    return keys;
}

// A root and n entries titled "Eintrag 1" .. "Eintrag n", each added as the newest, as entries
// are created.
bool buildTree(EntryTreeModel &model, int n)
{
    if (!model.addRoot(u"Mein Feed"_s))
        return false;
    for (int i = 1; i <= n; ++i) {
        RSSentry entry;
        entry.title = titleOf(i);
        entry.createdate = {};
        if (!model.appendEntry(std::move(entry)))
            return false;
    }
    return true;
}

// The keys of the root's children read through the item model interface, top to bottom.
QStringList keysThroughModel(const EntryTreeModel &model)
{
    QStringList keys;
    const QModelIndex root = model.indexOfKey(Root);
    for (int r = 0; r < model.rowCount(root); ++r)
        keys << model.index(r, 0, root).data(EntryTreeModel::KeyRole).toString();
    return keys;
}

RSSentry titled(const QString &title, const QDateTime &date = {})
{
    RSSentry e;
    e.title = title;
    if (date.isValid())
        e.createdate = date;
    return e;
}

QStringList titles(const EntryCollection &entries)
{
    QStringList out;
    for (int i = 1; i <= entries.count(); ++i)
        out << entries.at(i).title;
    return out;
}

} // namespace

class TestEntryTreeModel : public QObject
{
    Q_OBJECT

private slots:
    void entriesStackNewestFirst_data();
    void entriesStackNewestFirst();
    void captionsFollowTheEntries();
    void expandedFlag();
    void removeEntry_data();
    void removeEntry();
    void moveRows_data();
    void moveRows();
    void entriesWithoutRoot();
    void bulkChangeResetsOnce();
    void nestedBulkChangeResetsOnceAtTheEnd();
    void clearEmptiesTheTree();
    void manyNodesOnTop();

    void entryCaption_data();
    void entryCaption();

    void numberOf_data();
    void numberOf();
    void keyForAndNumberOfAgree_data();
    void keyForAndNumberOfAgree();
    void findByKey_data();
    void findByKey();
    void appendStopsAtTheLimit();
    void removeAtMovesEntriesDown_data();
    void removeAtMovesEntriesDown();
    void removeAtOutsideTheRangeChangesNothing_data();
    void removeAtOutsideTheRangeChangesNothing();
    void move_data();
    void move();
    void snapshotSharesEntriesUntilChanged();
};

// ---------------------------------------------------------------------------------------------
// Tree

void TestEntryTreeModel::entriesStackNewestFirst_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one entry") << 1;
    QTest::newRow("three entries") << 3;
    QTest::newRow("250 entries") << 250;
}

void TestEntryTreeModel::entriesStackNewestFirst()
{
    QFETCH(int, count);
    EntryCollection entries;
    EntryTreeModel model(entries);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    QVERIFY(buildTree(model, count));

    QCOMPARE(entries.count(), count);
    QCOMPARE(model.topLevelCount(), 1);
    QCOMPARE(model.childKeys(Root), newestFirst(count));
    QCOMPARE(keysThroughModel(model), newestFirst(count));
    const QModelIndex root = model.indexOfKey(Root);
    QCOMPARE(root.data().toString(), u"Mein Feed"_s);
    for (int r = 0; r < count; ++r) {
        const int n = count - r;
        const QModelIndex child = model.index(r, 0, root);
        QCOMPARE(child.data().toString(), captionOf(n));
        QCOMPARE(model.keyOf(child), key(n));
        QCOMPARE(model.indexOfKey(key(n)), child);
        QCOMPARE(model.caption(key(n)), captionOf(n));
        QVERIFY(child.flags().testFlags(Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled));
    }
    QVERIFY(!root.flags().testFlag(Qt::ItemIsDragEnabled));

    // One signal per node, and every entry node arrived at the top of the root's children.
    QCOMPARE(inserted.count(), count + 1);
    for (int i = 1; i < inserted.count(); ++i) {
        QCOMPARE(inserted.at(i).at(0).value<QModelIndex>(), root);
        QCOMPARE(inserted.at(i).at(1).toInt(), 0);
    }
}

void TestEntryTreeModel::captionsFollowTheEntries()
{
    EntryCollection entries;
    EntryTreeModel model(entries);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, 3));
    model.setLocale(QLocale(QLocale::German, QLocale::Germany));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    // Nothing is kept beside the entries: a caption is always the entry's own.
    entries.at(2).title = u"Neu"_s;
    entries.at(2).createdate = QDateTime(QDate(2026, 12, 6), QTime(10, 7));
    QCOMPARE(model.caption(key(2)), u"06.12. 10:07 Neu"_s);
    model.entryChanged(2);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), model.indexOfKey(key(2)));
    QCOMPARE(changed.at(0).at(1).value<QModelIndex>(), model.indexOfKey(key(2)));

    // Untitled entries show the new-entry text, whichever is set; the views hear of it once.
    entries.at(1).title.clear();
    entries.at(3).title.clear();
    model.setNewEntryText(u"Neuer Eintrag"_s);
    QCOMPARE(model.caption(key(1)), u" Neuer Eintrag"_s);
    QCOMPARE(model.indexOfKey(key(3)).data().toString(), u" Neuer Eintrag"_s);
    QCOMPARE(changed.count(), 2);

    QVERIFY(model.setRootCaption(u"Kanal"_s));
    QCOMPARE(model.caption(Root), u"Kanal"_s);
    QVERIFY(!model.setRootCaption(u"Kanal"_s));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(model.caption(key(9)), QString());
    QVERIFY(!model.contains(key(9)));
}

void TestEntryTreeModel::expandedFlag()
{
    EntryCollection entries;
    EntryTreeModel model(entries);
    QVERIFY(!model.setExpanded(Root, true)); // no root yet
    QVERIFY(buildTree(model, 1));
    QVERIFY(model.isExpanded(Root)); // a new root shows its entries
    QVERIFY(model.setExpanded(Root, false));
    QVERIFY(!model.isExpanded(Root));
    QVERIFY(!model.setExpanded(key(1), true));
    QVERIFY(!model.isExpanded(key(1)));
}

void TestEntryTreeModel::removeEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QStringList>("titlesAfter"); // key1 up
    QTest::newRow("the newest: its row at the top goes")
            << 5 << 5 << QStringList{titleOf(1), titleOf(2), titleOf(3), titleOf(4)};
    QTest::newRow("the middle: those above move down a key")
            << 5 << 3 << QStringList{titleOf(1), titleOf(2), titleOf(4), titleOf(5)};
    QTest::newRow("the oldest: the bottom row goes")
            << 5 << 1 << QStringList{titleOf(2), titleOf(3), titleOf(4), titleOf(5)};
    QTest::newRow("the only one") << 1 << 1 << QStringList{};
    QTest::newRow("none under that number") << 3 << 4 << QStringList{titleOf(1), titleOf(2), titleOf(3)};
    QTest::newRow("number zero") << 3 << 0 << QStringList{titleOf(1), titleOf(2), titleOf(3)};
}

void TestEntryTreeModel::removeEntry()
{
    QFETCH(int, count);
    QFETCH(int, removed);
    QFETCH(QStringList, titlesAfter);
    EntryCollection entries;
    EntryTreeModel model(entries);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, count));
    QSignalSpy removedRows(&model, &QAbstractItemModel::rowsRemoved);
    const bool exists = removed >= 1 && removed <= count;

    QCOMPARE(model.removeEntry(removed), exists);
    QCOMPARE(titles(entries), titlesAfter);
    QCOMPARE(removedRows.count(), exists ? 1 : 0);
    if (exists)
        QCOMPARE(removedRows.at(0).at(1).toInt(), count - removed);
    QCOMPARE(model.childKeys(Root), newestFirst(int(titlesAfter.size())));
    QCOMPARE(keysThroughModel(model), newestFirst(int(titlesAfter.size())));
    for (int n = 1; n <= titlesAfter.size(); ++n)
        QCOMPARE(model.caption(key(n)), u" "_s + titlesAfter.at(n - 1));
}

void TestEntryTreeModel::moveRows_data()
{
    // Five entries: rows 0 .. 4 hold key5 .. key1.
    QTest::addColumn<int>("sourceRow");
    QTest::addColumn<int>("destinationChild"); // the row it lands in front of, counted before the move
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("titlesAfter"); // key1 up; empty: refused
    QTest::newRow("the top one down to the fourth row")
            << 0 << 4 << 1 << QStringList{titleOf(1), titleOf(5), titleOf(2), titleOf(3), titleOf(4)};
    QTest::newRow("the fourth row up to the top")
            << 3 << 0 << 1 << QStringList{titleOf(1), titleOf(3), titleOf(4), titleOf(5), titleOf(2)};
    QTest::newRow("the oldest behind the last row")
            << 0 << 5 << 1 << QStringList{titleOf(5), titleOf(1), titleOf(2), titleOf(3), titleOf(4)};
    QTest::newRow("onto its own place") << 2 << 2 << 1 << QStringList{};
    QTest::newRow("in front of the next row, its own place") << 2 << 3 << 1 << QStringList{};
    QTest::newRow("two at once") << 0 << 4 << 2 << QStringList{};
    QTest::newRow("past the last row") << 0 << 6 << 1 << QStringList{};
}

void TestEntryTreeModel::moveRows()
{
    QFETCH(int, sourceRow);
    QFETCH(int, destinationChild);
    QFETCH(int, count);
    QFETCH(QStringList, titlesAfter);
    EntryCollection entries;
    EntryTreeModel model(entries);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, 5));
    const QModelIndex root = model.indexOfKey(Root);
    const QPersistentModelIndex moved(model.index(sourceRow, 0, root));
    const QString movedTitle = entries.at(5 - sourceRow).title;
    QSignalSpy movedRows(&model, &QAbstractItemModel::rowsMoved);

    const bool done = model.moveRows(root, sourceRow, count, root, destinationChild);
    QCOMPARE(done, !titlesAfter.isEmpty());
    QCOMPARE(movedRows.count(), done ? 1 : 0);
    if (!done) {
        QCOMPARE(titles(entries), (QStringList{titleOf(1), titleOf(2), titleOf(3), titleOf(4), titleOf(5)}));
        return;
    }
    QCOMPARE(titles(entries), titlesAfter);
    // The node goes with its entry, and so does a view's selection of it.
    QCOMPARE(entries.find(model.keyOf(moved))->title, movedTitle);
    QCOMPARE(moved.data().toString(), u" "_s + movedTitle);
    // Only the root's own children move.
    QVERIFY(!model.moveRows({}, 0, 1, root, 0));
}

void TestEntryTreeModel::entriesWithoutRoot()
{
    // Entries read with no root text have no node; they still change order and number.
    EntryCollection entries;
    EntryTreeModel model(entries);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QVERIFY(model.appendEntry(titled(u"a"_s)));
    QVERIFY(model.appendEntry(titled(u"b"_s)));
    QVERIFY(model.moveEntry(1, 2));
    QCOMPARE(titles(entries), (QStringList{u"b"_s, u"a"_s}));
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.contains(key(1)) && !model.indexOfKey(key(1)).isValid());
    QCOMPARE(inserted.count(), 0);

    // The root, once added, brings them along.
    QVERIFY(model.addRoot(u"Kanal"_s));
    QVERIFY(!model.addRoot(u"again"_s));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(model.childKeys(Root), newestFirst(2));
    QCOMPARE(model.caption(Root), u"Kanal"_s);
}

void TestEntryTreeModel::bulkChangeResetsOnce()
{
    EntryCollection entries;
    EntryTreeModel model(entries);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy aboutToReset(&model, &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    model.beginBulkChange();
    QVERIFY(buildTree(model, 100));
    QVERIFY(model.setRootCaption(u"Kanal"_s));
    model.entryChanged(5);
    QVERIFY(model.moveEntry(1, 100));
    QCOMPARE(reset.count(), 0);
    model.endBulkChange();

    QCOMPARE(aboutToReset.count(), 1);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(keysThroughModel(model), newestFirst(100));
    QCOMPARE(model.caption(Root), u"Kanal"_s);
    QCOMPARE(model.index(0, 0, model.indexOfKey(Root)).data().toString(), captionOf(1));

    // Afterwards single changes are announced one by one again.
    QVERIFY(model.appendEntry(titled(u"neu"_s)));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(reset.count(), 1);
}

void TestEntryTreeModel::nestedBulkChangeResetsOnceAtTheEnd()
{
    EntryCollection entries;
    EntryTreeModel model(entries);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, 2));
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    model.beginBulkChange();
    model.beginBulkChange();
    model.clear();
    QVERIFY(buildTree(model, 5));
    QVERIFY(model.removeEntry(5));
    model.endBulkChange();
    QCOMPARE(reset.count(), 0);
    model.endBulkChange();

    QCOMPARE(reset.count(), 1);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(keysThroughModel(model), newestFirst(4));
}

void TestEntryTreeModel::clearEmptiesTheTree()
{
    EntryCollection entries;
    EntryTreeModel model(entries);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, 3));
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.clear();
    QCOMPARE(reset.count(), 1);
    QVERIFY(entries.isEmpty());
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.contains(Root) && !model.hasRoot());
    QCOMPARE(model.childKeys(Root), QStringList());
}

void TestEntryTreeModel::manyNodesOnTop()
{
    const int count = EntryCollection::MaxEntries;
    EntryCollection entries;
    EntryTreeModel model(entries);
    model.beginBulkChange();
    QVERIFY(buildTree(model, count));
    model.endBulkChange();
    QVERIFY(!model.appendEntry(titled(u"zu viel"_s)));

    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const QModelIndex root = model.indexOfKey(Root);
    QCOMPARE(model.rowCount(root), count);
    QCOMPARE(model.index(0, 0, root).data(EntryTreeModel::KeyRole).toString(), key(count));
    QCOMPARE(model.indexOfKey(key(1)).row(), count - 1);
    // The oldest dropped onto the newest: one move across the whole list.
    QElapsedTimer timer;
    timer.start();
    QVERIFY(model.moveEntry(1, count));
    QVERIFY(model.removeEntry(count / 2));
    QVERIFY2(timer.elapsed() < 5000, "a move and a delete must take one pass over the entries");
    QCOMPARE(model.caption(key(count - 1)), captionOf(1));
    QCOMPARE(entries.at(1).title, titleOf(2));
}

// ---------------------------------------------------------------------------------------------
// Captions

void TestEntryTreeModel::entryCaption_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QDateTime>("created");
    QTest::addColumn<QString>("newEntryText");
    QTest::addColumn<QString>("expected");

    const QString newEntry = u"Neuer Eintrag"_s;
    QTest::newRow("untitled entry shows the new-entry text")
            << QString() << QDateTime(QDate(2026, 12, 6), QTime(10, 5)) << newEntry << u"06.12. 10:05 Neuer Eintrag"_s;
    QTest::newRow("second untitled entry two minutes later")
            << QString() << QDateTime(QDate(2026, 12, 6), QTime(10, 7)) << newEntry << u"06.12. 10:07 Neuer Eintrag"_s;
    QTest::newRow("title is used when filled") << u"Hallo Welt"_s << QDateTime(QDate(2026, 12, 6), QTime(10, 5))
                                               << newEntry << u"06.12. 10:05 Hallo Welt"_s;
    QTest::newRow("seconds are not shown")
            << u"T"_s << QDateTime(QDate(2026, 12, 6), QTime(10, 5, 59)) << newEntry << u"06.12. 10:05 T"_s;
    QTest::newRow("two digits for small numbers")
            << u"T"_s << QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)) << newEntry << u"02.01. 03:04 T"_s;
    QTest::newRow("hours of 24") << u"T"_s << QDateTime(QDate(2026, 5, 31), QTime(23, 59)) << newEntry
                                 << u"31.05. 23:59 T"_s;
    QTest::newRow("zero date") << QString() << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << newEntry
                               << u"30.12. 00:00 Neuer Eintrag"_s;
    QTest::newRow("blanks of the title are kept")
            << u" a  b "_s << QDateTime(QDate(2026, 12, 6), QTime(10, 5)) << newEntry << u"06.12. 10:05  a  b "_s;
    QTest::newRow("no new-entry text leaves the blank alone")
            << QString() << QDateTime(QDate(2026, 12, 6), QTime(10, 5)) << QString() << u"06.12. 10:05 "_s;
}

void TestEntryTreeModel::entryCaption()
{
    QFETCH(QString, title);
    QFETCH(QDateTime, created);
    QFETCH(QString, newEntryText);
    QFETCH(QString, expected);
    RSSentry e;
    e.title = title;
    e.createdate = created;
    QCOMPARE(EntryCaption(e, newEntryText, DateText::ShortForm(QLocale(QLocale::German, QLocale::Germany))), expected);
}

// ---------------------------------------------------------------------------------------------
// Collection

void TestEntryTreeModel::numberOf_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("number");

    QTest::newRow("key7") << u"key7"_s << 7;
    QTest::newRow("key1") << u"key1"_s << 1;
    QTest::newRow("key10") << u"key10"_s << 10;
    QTest::newRow("largest key") << u"key32767"_s << 32767;
    QTest::newRow("root names no entry") << u"root"_s << 0;
    QTest::newRow("key0") << u"key0"_s << 0;
    QTest::newRow("leading zero") << u"key07"_s << 0;
    QTest::newRow("no number") << u"key"_s << 0;
    QTest::newRow("letters after the number") << u"key1x"_s << 0;
    QTest::newRow("beyond the largest count") << u"key32768"_s << 0;
    QTest::newRow("far beyond") << u"key99999999999"_s << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("capital K") << u"Key7"_s << 0;
    QTest::newRow("minus sign") << u"key-1"_s << 0;
    QTest::newRow("plus sign") << u"key+1"_s << 0;
    QTest::newRow("blank before the number") << u"key 7"_s << 0;
    QTest::newRow("blank after the number") << u"key7 "_s << 0;
    QTest::newRow("other prefix") << u"kex7"_s << 0;
    QTest::newRow("prefix in front") << u"xkey7"_s << 0;
    QTest::newRow("Arabic-Indic digit") << u"key\u0667"_s << 0;
}

void TestEntryTreeModel::numberOf()
{
    QFETCH(QString, key);
    QFETCH(int, number);
    QCOMPARE(EntryCollection::numberOf(key), number);
}

void TestEntryTreeModel::keyForAndNumberOfAgree_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("key");
    QTest::newRow("1") << 1 << u"key1"_s;
    QTest::newRow("7") << 7 << u"key7"_s;
    QTest::newRow("10") << 10 << u"key10"_s;
    QTest::newRow("999") << 999 << u"key999"_s;
    QTest::newRow("32767") << 32767 << u"key32767"_s;
}

void TestEntryTreeModel::keyForAndNumberOfAgree()
{
    QFETCH(int, number);
    QFETCH(QString, key);
    QCOMPARE(EntryCollection::keyFor(number), key);
    QCOMPARE(EntryCollection::numberOf(key), number);
}

void TestEntryTreeModel::findByKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("title"); // empty: not found

    QTest::newRow("first") << u"key1"_s << u"a"_s;
    QTest::newRow("last") << u"key3"_s << u"c"_s;
    QTest::newRow("one past the last") << u"key4"_s << QString();
    QTest::newRow("root") << u"root"_s << QString();
    QTest::newRow("key0") << u"key0"_s << QString();
    QTest::newRow("leading zero") << u"key02"_s << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestEntryTreeModel::findByKey()
{
    QFETCH(QString, key);
    QFETCH(QString, title);
    EntryCollection entries;
    entries.append(titled(u"a"_s));
    entries.append(titled(u"b"_s));
    entries.append(titled(u"c"_s));
    const EntryCollection &constEntries = entries;
    QCOMPARE(entries.contains(key), !title.isEmpty());
    if (title.isEmpty()) {
        QVERIFY(entries.find(key) == nullptr);
        QVERIFY(constEntries.find(key) == nullptr);
    } else {
        QVERIFY(entries.find(key) != nullptr);
        QCOMPARE(entries.find(key)->title, title);
        QCOMPARE(constEntries.find(key)->title, title);
    }
}

void TestEntryTreeModel::appendStopsAtTheLimit()
{
    EntryCollection entries;
    QCOMPARE(EntryCollection::MaxEntries, 32767);
    QVERIFY(entries.isEmpty());
    for (int i = 1; i <= 32767; ++i) {
        if (!entries.append(titled(QString::number(i))))
            QFAIL(qPrintable(u"entry %1 was refused"_s.arg(i)));
    }
    QCOMPARE(entries.count(), 32767);
    QVERIFY(entries.isFull());
    QVERIFY(!entries.append(titled(u"zu viel"_s)));
    QCOMPARE(entries.count(), 32767);
    QCOMPARE(entries.at(32767).title, u"32767"_s);
    QCOMPARE(entries.find(u"key32767"_s)->title, u"32767"_s);
    QCOMPARE(entries.at(1).title, u"1"_s);
    QVERIFY(!entries.contains(u"key32768"_s));

    // After one is removed there is room for one more.
    entries.removeAt(1);
    QVERIFY(!entries.isFull());
    QVERIFY(entries.append(titled(u"wieder"_s)));
    QCOMPARE(entries.at(32767).title, u"wieder"_s);
    QVERIFY(!entries.append(titled(u"zu viel"_s)));
}

void TestEntryTreeModel::removeAtMovesEntriesDown_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("remove the oldest") << 1 << QStringList{u"b"_s, u"c"_s, u"d"_s, u"e"_s};
    QTest::newRow("remove the middle") << 3 << QStringList{u"a"_s, u"b"_s, u"d"_s, u"e"_s};
    QTest::newRow("remove the newest") << 5 << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
}

void TestEntryTreeModel::removeAtMovesEntriesDown()
{
    QFETCH(int, number);
    QFETCH(QStringList, expected);
    EntryCollection entries;
    const QStringList names = {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s};
    for (int i = 0; i < names.size(); ++i)
        entries.append(titled(names.at(i), QDateTime(QDate(2026, 12, 1 + i), QTime(10, 0))));

    entries.removeAt(number);
    QCOMPARE(entries.count(), 4);
    QCOMPARE(titles(entries), expected);
    QVERIFY(!entries.contains(u"key5"_s));
    // Each record keeps its creation date when it moves down a key.
    for (int i = 1; i <= entries.count(); ++i) {
        const int original = int(names.indexOf(entries.at(i).title));
        QCOMPARE(entries.at(i).createdate, QDateTime(QDate(2026, 12, 1 + original), QTime(10, 0)));
    }
}

void TestEntryTreeModel::removeAtOutsideTheRangeChangesNothing_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("zero") << 0;
    QTest::newRow("one past the last") << 4;
    QTest::newRow("negative") << -1;
}

void TestEntryTreeModel::removeAtOutsideTheRangeChangesNothing()
{
    QFETCH(int, number);
    EntryCollection entries;
    entries.append(titled(u"a"_s));
    entries.append(titled(u"b"_s));
    entries.append(titled(u"c"_s));
    entries.removeAt(number);
    QCOMPARE(titles(entries), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
}

void TestEntryTreeModel::move_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("the oldest to the top") << 1 << 4 << QStringList{u"b"_s, u"c"_s, u"d"_s, u"a"_s};
    QTest::newRow("the newest to the bottom") << 4 << 1 << QStringList{u"d"_s, u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("neighbours exchange") << 2 << 3 << QStringList{u"a"_s, u"c"_s, u"b"_s, u"d"_s};
    QTest::newRow("onto itself") << 2 << 2 << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
    QTest::newRow("past the last") << 2 << 5 << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
}

void TestEntryTreeModel::move()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, expected);
    EntryCollection entries;
    for (int i = 0; i < 4; ++i)
        entries.append(titled(QString(QChar(u'a' + i)), QDateTime(QDate(2026, 1, 1 + i), QTime(1 + i, 0))));
    entries.at(1).content = u"<p>a</p>"_s;

    entries.move(from, to);
    QCOMPARE(titles(entries), expected);
    // The records travel whole.
    for (int i = 1; i <= 4; ++i) {
        const RSSentry &e = entries.at(i);
        const int original = e.title.at(0).unicode() - u'a';
        QCOMPARE(e.createdate, QDateTime(QDate(2026, 1, 1 + original), QTime(1 + original, 0)));
        QCOMPARE(e.content.isEmpty(), original != 0);
    }
}

void TestEntryTreeModel::snapshotSharesEntriesUntilChanged()
{
    FeedDocument document;
    for (const QString &title : {u"a"_s, u"b"_s, u"c"_s})
        document.entries.append(titled(title));
    const std::unique_ptr<const FeedDocument> snapshot = DocumentSnapshot(document);
    const EntryCollection &ours = document.entries;
    QVERIFY(&snapshot->entries.at(2) == &ours.at(2)); // nothing copied to make it
    document.entries.at(2).title = u"x"_s;
    document.entries.move(1, 3);
    QCOMPARE(titles(ours), (QStringList{u"x"_s, u"c"_s, u"a"_s}));
    QCOMPARE(titles(snapshot->entries), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
    QVERIFY(&snapshot->entries.at(1) == &ours.at(3)); // the record not typed into is still shared
}

QTEST_GUILESS_MAIN(TestEntryTreeModel)
#include "tst_entrytreemodel.moc"
