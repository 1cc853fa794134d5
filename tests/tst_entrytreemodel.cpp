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

QString captionOf(int n)
{
    return u"Eintrag "_s + QString::number(n);
}

// The keys of the root's children as the tree must show them: keyN first, key1 last.
QStringList newestFirst(int n)
{
    QStringList keys;
    for (int i = n; i >= 1; --i)
        keys << key(i);
    return keys;
}

// A root and n entry nodes, each new one put on top of its siblings, as entries are created.
bool buildTree(EntryTreeModel &model, int n)
{
    if (!model.addTopLevel(Root, u"Mein Feed"_s))
        return false;
    for (int i = 1; i <= n; ++i) {
        const bool ok = i == 1 ? model.add(Root, EntryTreeModel::Child, key(i), captionOf(i))
                               : model.add(key(i - 1), EntryTreeModel::FirstSibling, key(i), captionOf(i));
        if (!ok)
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
    void captions();
    void expandedFlag();
    void removeChild_data();
    void removeChild();
    void removeRootTakesItsChildren();
    void duplicateKeyIsRejected_data();
    void duplicateKeyIsRejected();
    void addRelativeToMissingNodeFails_data();
    void addRelativeToMissingNodeFails();
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
    void exchange_data();
    void exchange();
};

// ---------------------------------------------------------------------------------------------
// Tree

void TestEntryTreeModel::entriesStackNewestFirst_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one entry") << 1;
    QTest::newRow("two entries") << 2;
    QTest::newRow("three entries") << 3;
    QTest::newRow("ten entries") << 10;
    QTest::newRow("250 entries") << 250;
}

void TestEntryTreeModel::entriesStackNewestFirst()
{
    QFETCH(int, count);
    EntryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    QVERIFY(buildTree(model, count));

    QCOMPARE(model.topLevelCount(), 1);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.childCount(Root), count);
    QCOMPARE(model.childKeys(Root), newestFirst(count));
    QCOMPARE(keysThroughModel(model), newestFirst(count));

    const QModelIndex root = model.indexOfKey(Root);
    QVERIFY(root.isValid());
    QCOMPARE(root.row(), 0);
    QCOMPARE(root.data().toString(), u"Mein Feed"_s);
    QCOMPARE(model.rowCount(root), count);
    for (int r = 0; r < count; ++r) {
        const int n = count - r;
        const QModelIndex child = model.index(r, 0, root);
        QCOMPARE(child.data(Qt::DisplayRole).toString(), captionOf(n));
        QCOMPARE(model.keyOf(child), key(n));
        QCOMPARE(model.parent(child), root);
        QCOMPARE(model.indexOfKey(key(n)), child);
        QCOMPARE(model.caption(key(n)), captionOf(n));
        QCOMPARE(model.rowCount(child), 0);
    }

    // One signal per node, and every entry node arrived at the top of the root's children.
    QCOMPARE(inserted.count(), count + 1);
    QCOMPARE(inserted.at(0).at(0).value<QModelIndex>(), QModelIndex());
    for (int i = 1; i < inserted.count(); ++i) {
        QCOMPARE(inserted.at(i).at(0).value<QModelIndex>(), root);
        QCOMPARE(inserted.at(i).at(1).toInt(), 0);
        QCOMPARE(inserted.at(i).at(2).toInt(), 0);
    }
}

void TestEntryTreeModel::captions()
{
    EntryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, 3));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    QVERIFY(model.setCaption(key(2), u"06.12. 10:07 Neu"_s));
    QCOMPARE(model.caption(key(2)), u"06.12. 10:07 Neu"_s);
    QCOMPARE(model.indexOfKey(key(2)).data().toString(), u"06.12. 10:07 Neu"_s);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), model.indexOfKey(key(2)));
    QCOMPARE(changed.at(0).at(1).value<QModelIndex>(), model.indexOfKey(key(2)));
    // The neighbours keep theirs.
    QCOMPARE(model.caption(key(1)), captionOf(1));
    QCOMPARE(model.caption(key(3)), captionOf(3));

    QVERIFY(model.setCaption(Root, u"Kanal"_s));
    QCOMPARE(model.caption(Root), u"Kanal"_s);
    QCOMPARE(model.index(0, 0).data().toString(), u"Kanal"_s);

    const int before = int(changed.count());
    QVERIFY(!model.setCaption(key(9), u"x"_s));
    QCOMPARE(changed.count(), before);
    QCOMPARE(model.caption(key(9)), QString());
    QVERIFY(!model.contains(key(9)));
}

void TestEntryTreeModel::expandedFlag()
{
    EntryTreeModel model;
    QVERIFY(buildTree(model, 1));
    QVERIFY(!model.isExpanded(Root));
    QVERIFY(model.setExpanded(Root, true));
    QVERIFY(model.isExpanded(Root));
    QVERIFY(!model.isExpanded(key(1)));
    QVERIFY(!model.setExpanded(u"nothere"_s, true));
    QVERIFY(!model.isExpanded(u"nothere"_s));
}

void TestEntryTreeModel::removeChild_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("removed");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("remaining");

    QTest::newRow("top child") << 5 << key(5) << 0 << QStringList{key(4), key(3), key(2), key(1)};
    QTest::newRow("middle child") << 5 << key(3) << 2 << QStringList{key(5), key(4), key(2), key(1)};
    QTest::newRow("second child") << 5 << key(4) << 1 << QStringList{key(5), key(3), key(2), key(1)};
    QTest::newRow("bottom child") << 5 << key(1) << 4 << QStringList{key(5), key(4), key(3), key(2)};
    QTest::newRow("only child") << 1 << key(1) << 0 << QStringList{};
}

void TestEntryTreeModel::removeChild()
{
    QFETCH(int, count);
    QFETCH(QString, removed);
    QFETCH(int, row);
    QFETCH(QStringList, remaining);

    EntryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, count));
    QSignalSpy aboutToRemove(&model, &QAbstractItemModel::rowsAboutToBeRemoved);
    QSignalSpy removedRows(&model, &QAbstractItemModel::rowsRemoved);

    QVERIFY(model.remove(removed));
    QVERIFY(!model.contains(removed));
    QCOMPARE(model.caption(removed), QString());
    QCOMPARE(removedRows.count(), 1);
    QCOMPARE(aboutToRemove.count(), 1);
    const QModelIndex root = model.indexOfKey(Root);
    QCOMPARE(removedRows.at(0).at(0).value<QModelIndex>(), root);
    QCOMPARE(removedRows.at(0).at(1).toInt(), row);
    QCOMPARE(removedRows.at(0).at(2).toInt(), row);

    QCOMPARE(model.childKeys(Root), remaining);
    QCOMPARE(keysThroughModel(model), remaining);
    for (int r = 0; r < remaining.size(); ++r) {
        const QString &k = remaining.at(r);
        QCOMPARE(model.indexOfKey(k).row(), r);
        QCOMPARE(model.indexOfKey(k).parent(), root);
        QCOMPARE(model.indexOfKey(k).data().toString(), captionOf(EntryCollection::numberOf(k)));
    }
    QVERIFY(!model.remove(removed));

    // The tree goes on working: a new node goes on top.
    const bool added = remaining.isEmpty()
            ? model.add(Root, EntryTreeModel::Child, u"key9"_s, u"neu"_s)
            : model.add(remaining.first(), EntryTreeModel::FirstSibling, u"key9"_s, u"neu"_s);
    QVERIFY(added);
    QCOMPARE(model.childKeys(Root), QStringList{u"key9"_s} + remaining);
    QCOMPARE(keysThroughModel(model), QStringList{u"key9"_s} + remaining);
    QCOMPARE(model.indexOfKey(u"key9"_s).row(), 0);
    for (int r = 0; r < remaining.size(); ++r)
        QCOMPARE(model.indexOfKey(remaining.at(r)).row(), r + 1);
}

void TestEntryTreeModel::removeRootTakesItsChildren()
{
    EntryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, 4));
    QVERIFY(model.remove(Root));
    QCOMPARE(model.topLevelCount(), 0);
    QCOMPARE(model.rowCount(), 0);
    for (int i = 1; i <= 4; ++i)
        QVERIFY(!model.contains(key(i)));
    QVERIFY(!model.indexOfKey(key(1)).isValid());
    // A fresh tree can be built again with the same keys.
    QVERIFY(buildTree(model, 2));
    QCOMPARE(model.childKeys(Root), newestFirst(2));
}

void TestEntryTreeModel::duplicateKeyIsRejected_data()
{
    QTest::addColumn<QString>("relative"); // empty: a top-level node
    QTest::addColumn<int>("relationship");
    QTest::addColumn<QString>("newKey");

    QTest::newRow("root added twice") << QString() << 0 << Root;
    QTest::newRow("top-level node with an entry's key") << QString() << 0 << key(1);
    QTest::newRow("child with the root's key") << Root << int(EntryTreeModel::Child) << Root;
    QTest::newRow("child with a taken key") << Root << int(EntryTreeModel::Child) << key(2);
    QTest::newRow("first sibling with a taken key") << key(3) << int(EntryTreeModel::FirstSibling) << key(1);
    QTest::newRow("first sibling with its relative's key") << key(3) << int(EntryTreeModel::FirstSibling) << key(3);
    QTest::newRow("empty key") << Root << int(EntryTreeModel::Child) << QString();
    QTest::newRow("empty top-level key") << QString() << 0 << QString();
}

void TestEntryTreeModel::duplicateKeyIsRejected()
{
    QFETCH(QString, relative);
    QFETCH(int, relationship);
    QFETCH(QString, newKey);

    EntryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, 3));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    const QString captionBefore = newKey.isEmpty() ? QString() : model.caption(newKey);

    const bool added = relative.isEmpty()
            ? model.addTopLevel(newKey, u"doppelt"_s)
            : model.add(relative, EntryTreeModel::Relationship(relationship), newKey, u"doppelt"_s);
    QVERIFY(!added);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(model.topLevelCount(), 1);
    QCOMPARE(model.childKeys(Root), newestFirst(3));
    if (!newKey.isEmpty())
        QCOMPARE(model.caption(newKey), captionBefore);
}

void TestEntryTreeModel::addRelativeToMissingNodeFails_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<int>("relationship");
    QTest::addColumn<QString>("newKey");

    QTest::newRow("first sibling of a missing node") << key(9) << int(EntryTreeModel::FirstSibling) << key(10);
    QTest::newRow("child of a missing node") << u"nothere"_s << int(EntryTreeModel::Child) << key(4);
    QTest::newRow("relative with an empty key") << QString() << int(EntryTreeModel::Child) << key(4);
    QTest::newRow("relative key differing in case") << u"Root"_s << int(EntryTreeModel::Child) << key(4);
    QTest::newRow("child of an entry node (a third level)") << key(1) << int(EntryTreeModel::Child) << key(4);
}

void TestEntryTreeModel::addRelativeToMissingNodeFails()
{
    QFETCH(QString, relative);
    QFETCH(int, relationship);
    QFETCH(QString, newKey);

    EntryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, 3));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    QVERIFY(!model.add(relative, EntryTreeModel::Relationship(relationship), newKey, u"neu"_s));
    QVERIFY(!model.contains(newKey));
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(model.childKeys(Root), newestFirst(3));
    QCOMPARE(model.childCount(key(1)), 0);
}

void TestEntryTreeModel::bulkChangeResetsOnce()
{
    EntryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy aboutToReset(&model, &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy aboutToInsert(&model, &QAbstractItemModel::rowsAboutToBeInserted);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    model.beginBulkChange();
    QVERIFY(buildTree(model, 100));
    QVERIFY(model.setCaption(Root, u"Kanal"_s));
    QVERIFY(model.setExpanded(Root, true));
    QCOMPARE(reset.count(), 0);
    model.endBulkChange();

    QCOMPARE(aboutToReset.count(), 1);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(aboutToInsert.count(), 0);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(model.childKeys(Root), newestFirst(100));
    QCOMPARE(keysThroughModel(model), newestFirst(100));
    QCOMPARE(model.caption(Root), u"Kanal"_s);
    QCOMPARE(model.index(0, 0, model.indexOfKey(Root)).data().toString(), captionOf(100));

    // Afterwards single changes are announced one by one again.
    QVERIFY(model.add(key(100), EntryTreeModel::FirstSibling, key(101), captionOf(101)));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(reset.count(), 1);
}

void TestEntryTreeModel::nestedBulkChangeResetsOnceAtTheEnd()
{
    EntryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, 2));
    QSignalSpy aboutToReset(&model, &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    model.beginBulkChange();
    model.beginBulkChange();
    model.clear();
    QVERIFY(buildTree(model, 5));
    QVERIFY(model.remove(key(5)));
    model.endBulkChange();
    QCOMPARE(reset.count(), 0);
    model.endBulkChange();

    QCOMPARE(aboutToReset.count(), 1);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(model.childKeys(Root), newestFirst(4));
    QCOMPARE(keysThroughModel(model), newestFirst(4));
}

void TestEntryTreeModel::clearEmptiesTheTree()
{
    EntryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(buildTree(model, 3));
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.topLevelCount(), 0);
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.contains(Root));
    QVERIFY(!model.contains(key(1)));
    QCOMPARE(model.childKeys(Root), QStringList());
}

void TestEntryTreeModel::manyNodesOnTop()
{
    const int count = EntryCollection::MaxEntries;
    EntryTreeModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QVERIFY(buildTree(model, count));

    QCOMPARE(inserted.count(), count + 1);
    QCOMPARE(model.childCount(Root), count);
    const QStringList keys = model.childKeys(Root);
    QCOMPARE(keys.size(), count);
    QCOMPARE(keys.first(), key(count));
    QCOMPARE(keys.last(), key(1));
    QCOMPARE(keys.at(1), key(count - 1));
    const QModelIndex root = model.indexOfKey(Root);
    QCOMPARE(model.index(0, 0, root).data(EntryTreeModel::KeyRole).toString(), key(count));
    QCOMPARE(model.index(count - 1, 0, root).data(EntryTreeModel::KeyRole).toString(), key(1));
    QCOMPARE(model.indexOfKey(key(1)).row(), count - 1);
    QCOMPARE(model.indexOfKey(key(count)).row(), 0);
    QCOMPARE(model.caption(key(count)), captionOf(count));

    // The finished tree passes the item model checks.
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVERIFY(model.remove(key(count / 2)));
    QCOMPARE(model.indexOfKey(key(1)).row(), count - 2);
    // Row of key n is count - n; the nodes below the removed one move up a row.
    QCOMPARE(model.indexOfKey(key(count / 2 + 1)).row(), count - (count / 2 + 1));
    QCOMPARE(model.indexOfKey(key(count / 2 - 1)).row(), count - (count / 2 - 1) - 1);
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
    QCOMPARE(EntryCaption(e, newEntryText), expected);
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

void TestEntryTreeModel::exchange_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("first and last") << 1 << 3 << QStringList{u"c"_s, u"b"_s, u"a"_s};
    QTest::newRow("neighbours") << 2 << 3 << QStringList{u"a"_s, u"c"_s, u"b"_s};
    QTest::newRow("order of the arguments does not matter") << 3 << 1 << QStringList{u"c"_s, u"b"_s, u"a"_s};
    QTest::newRow("with itself") << 2 << 2 << QStringList{u"a"_s, u"b"_s, u"c"_s};
}

void TestEntryTreeModel::exchange()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QStringList, expected);
    EntryCollection entries;
    entries.append(titled(u"a"_s, QDateTime(QDate(2026, 1, 1), QTime(1, 0))));
    entries.append(titled(u"b"_s, QDateTime(QDate(2026, 1, 2), QTime(2, 0))));
    entries.append(titled(u"c"_s, QDateTime(QDate(2026, 1, 3), QTime(3, 0))));
    entries.at(1).content = u"<p>a</p>"_s;
    entries.at(3).link = u"https://c.example/"_s;

    entries.exchange(a, b);
    QCOMPARE(titles(entries), expected);
    // The records travel whole.
    for (int i = 1; i <= 3; ++i) {
        const RSSentry &e = entries.at(i);
        if (e.title == u"a"_s) {
            QCOMPARE(e.content, u"<p>a</p>"_s);
            QCOMPARE(e.createdate, QDateTime(QDate(2026, 1, 1), QTime(1, 0)));
        } else if (e.title == u"c"_s) {
            QCOMPARE(e.link, u"https://c.example/"_s);
            QCOMPARE(e.createdate, QDateTime(QDate(2026, 1, 3), QTime(3, 0)));
        }
    }
}

QTEST_GUILESS_MAIN(TestEntryTreeModel)
#include "tst_entrytreemodel.moc"
