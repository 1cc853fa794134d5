// Reordering entries by dragging one tree node onto another, through synthesized drag events.
#include "entrysupport.h"

#include <QDrag>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>

#include <memory>

using namespace Feedsmith;
using namespace FeedsmithTest;
using namespace Qt::StringLiterals;

namespace {

// A program on its contents page with n entries titled T1 .. Tn (committed).
bool withEntries(ContentsProgram &p, int n)
{
    for (int i = 1; i <= n; ++i) {
        if (!p.newEntry())
            return false;
        p.box(u"txtContentTitle"_s)->setText(u"T"_s + QString::number(i));
        p.entries()->commitTitle();
    }
    return true;
}

QStringList titlesByKey(const FeedDocument &document)
{
    QStringList titles;
    for (int i = 1; i <= document.entryCount(); ++i)
        titles << document.entries.at(i).title;
    return titles;
}

// The events a drag of `key` sends to the tree: enter at the node, moves to `to`, and the drop.
void dragOnto(ContentsProgram &p, const QString &key, const QPoint &to, bool drop = true)
{
    QWidget *viewport = p.tree()->viewport();
    QMimeData *data = p.entries()->dragDrop()->mimeDataFor(key);
    const QPoint from = p.nodeCenter(key);
    QDragEnterEvent enter(from, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(to, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    if (drop) {
        QDropEvent dropEvent(QPointF(to), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &dropEvent);
    }
    delete data;
}

// Presses a node (which selects it without loading) and moves with the button held.
void pressAndMove(ContentsProgram &p, const QString &key)
{
    const QPoint at = p.nodeCenter(key);
    QTest::mousePress(p.tree()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(0, 3)),
                     p.tree()->viewport()->mapToGlobal(QPointF(at + QPoint(0, 3))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(p.tree()->viewport(), &move);
}

} // namespace

class tst_WindowDragDrop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_page = std::make_unique<ContentsProgram>();
        QVERIFY(m_page->startOnContents());
    }
    void init() { QVERIFY(m_page->reset()); }
    void cleanupTestCase() { m_page.reset(); }
    void pressSelectsWithoutLoading();
    void moveWithLeftButtonStartsDrag();
    void dropReorders_data();
    void dropReorders();
    void treeMoves_data();
    void treeMoves();
    void filterActsOnWhatShows();
    void dropKeepsUncommittedText();
    void dropChangesNothing_data();
    void dropChangesNothing();
    void dropHighlightFollowsPointer();
    void autoScrollBands_data();
    void autoScrollBands();
    void autoScrollMovesOneLinePerTick();

private:
    std::unique_ptr<ContentsProgram> m_page;
};

void tst_WindowDragDrop::pressSelectsWithoutLoading()
{
    ContentsProgram &p = *m_page;
    QVERIFY(withEntries(p, 3));
    const int generation = p.editor()->generation();
    QTest::mousePress(p.tree()->viewport(), Qt::LeftButton, Qt::NoModifier, p.nodeCenter(u"key1"_s));
    QCOMPARE(p.entries()->selectedKey(), u"key1"_s);
    QCOMPARE(p.entries()->dragDrop()->dragNode(), u"key1"_s);
    QCOMPARE(p.document().currentEntryKey, u"key3"_s);
    QCOMPARE(p.editor()->generation(), generation);
    // The release completes a click, which loads.
    QTest::mouseRelease(p.tree()->viewport(), Qt::LeftButton, Qt::NoModifier, p.nodeCenter(u"key1"_s));
    QCOMPARE(p.document().currentEntryKey, u"key1"_s);
    QCOMPARE(p.box(u"txtContentTitle"_s)->text(), u"T1"_s);
}

void tst_WindowDragDrop::moveWithLeftButtonStartsDrag()
{
    ContentsProgram &p = *m_page;
    QVERIFY(withEntries(p, 3));
    QStringList dragged;
    p.entries()->dragDrop()->setDragStarter([&dragged](QDrag *drag) {
        dragged << QString::fromUtf8(drag->mimeData()->data(EntryTreeModel::MimeType));
        drag->deleteLater();
    });
    pressAndMove(p, u"key2"_s);
    QCOMPARE(dragged, QStringList{u"key2"_s});

    // A move with the right button held starts nothing.
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), p.tree()->viewport()->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(p.tree()->viewport(), &move);
    QCOMPARE(dragged.size(), 1);
}

void tst_WindowDragDrop::dropReorders_data()
{
    QTest::addColumn<QString>("dragged");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("titlesAfter");
    QTest::newRow("key5 onto key2") << u"key5"_s << u"key2"_s
                                    << QStringList{u"T1"_s, u"T5"_s, u"T2"_s, u"T3"_s, u"T4"_s};
    QTest::newRow("key2 onto key5") << u"key2"_s << u"key5"_s
                                    << QStringList{u"T1"_s, u"T3"_s, u"T4"_s, u"T5"_s, u"T2"_s};
}

void tst_WindowDragDrop::dropReorders()
{
    QFETCH(QString, dragged);
    QFETCH(QString, target);
    QFETCH(QStringList, titlesAfter);
    ContentsProgram &p = *m_page;
    QVERIFY(withEntries(p, 5));
    p.entries()->dragDrop()->setDragStarter([](QDrag *drag) { drag->deleteLater(); });
    pressAndMove(p, dragged);
    const int generation = p.editor()->generation();

    dragOnto(p, dragged, p.nodeCenter(target));
    QCOMPARE(titlesByKey(p.document()), titlesAfter);
    // The node at the drop position shows the dragged entry, selected and loaded.
    const RSSentry &moved = *p.document().entries.find(target);
    QCOMPARE(p.document().tree.caption(target), p.document().tree.dates().text(moved.createdate) + u' ' + moved.title);
    QCOMPARE(p.entries()->selectedKey(), target);
    QCOMPARE(p.document().currentEntryKey, target);
    QCOMPARE(p.box(u"txtContentTitle"_s)->text(), moved.title);
    QVERIFY(p.editor()->generation() > generation);
    // The reset after the drop.
    QVERIFY(p.entries()->dragDrop()->dragNode().isEmpty());
    QVERIFY(p.entries()->dragDrop()->dropHighlight().isEmpty());
    QVERIFY(!p.child<QTimer>(u"Timer1"_s)->isActive());
    QVERIFY(p.tree()->isVisible() && p.tree()->updatesEnabled());
    // A drop is undone in the tree.
    p.tree()->setFocus();
    QTest::keyClick(p.tree(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(titlesByKey(p.document()), (QStringList{u"T1"_s, u"T2"_s, u"T3"_s, u"T4"_s, u"T5"_s}));
}

// Ctrl+F finds; moves step over hidden entries; Delete never reaches one; Esc shows all again.
void tst_WindowDragDrop::filterActsOnWhatShows()
{
    ContentsProgram &p = *m_page;
    QVERIFY(withEntries(p, 5));
    p.box(u"txtContentTitle"_s)->setFocus();
    QTest::keyClick(p.box(u"txtContentTitle"_s), Qt::Key_F, Qt::ControlModifier);
    QLineEdit *filter = p.box(u"txtFilter"_s);
    QVERIFY(filter->hasFocus());
    QTest::keyClicks(filter, u"t"_s);
    QTest::keyClicks(filter, u"2"_s); // T2 alone
    QCOMPARE(p.tree()->model()->rowCount(p.tree()->indexOfKey(u"root"_s)), 1);
    filter->setText(u"T"_s); // all, then key3 renamed out of it
    p.document().entries.at(3).title = u"X3"_s;
    ++p.document().revision;
    filter->setText(u"t"_s);
    QVERIFY(!p.tree()->indexOfKey(u"key3"_s).isValid());

    // A step up from key2 goes past the hidden key3.
    QVERIFY(p.clickNode(u"key2"_s));
    p.tree()->setFocus();
    QTest::keyClick(p.tree(), Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(titlesByKey(p.document()), (QStringList{u"T1"_s, u"X3"_s, u"T4"_s, u"T2"_s, u"T5"_s}));

    // The entry shown hidden: the entry found is shown and selected, and Delete acts on it alone.
    filter->setText(u"x"_s);
    QCOMPARE(p.entries()->selectedKey(), p.document().currentEntryKey);
    QCOMPARE(p.box(u"txtContentTitle"_s)->text(), u"X3"_s);
    p.messages.answer(true);
    p.entries()->deleteEntry();
    QCOMPARE(titlesByKey(p.document()), (QStringList{u"T1"_s, u"T4"_s, u"T2"_s, u"T5"_s}));

    QTest::keyClick(filter, Qt::Key_Escape);
    QVERIFY(filter->text().isEmpty());
    QCOMPARE(p.tree()->model()->rowCount(p.tree()->indexOfKey(u"root"_s)), 4);

    // A new entry clears the filter, so that it shows and is loaded.
    filter->setText(u"x"_s);
    QVERIFY(p.newEntry());
    QVERIFY(filter->text().isEmpty());
    QCOMPARE(p.entries()->selectedKey(), u"key5"_s);
}

void tst_WindowDragDrop::treeMoves_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("key"); // with Alt
    QTest::addColumn<QStringList>("titlesAfter"); // key1 .. key5
    QTest::addColumn<QString>("selectedAfter");
    QTest::newRow("to the top") << u"key2"_s << int(Qt::Key_Home)
                                << QStringList{u"T1"_s, u"T3"_s, u"T4"_s, u"T5"_s, u"T2"_s} << u"key5"_s;
    QTest::newRow("to the bottom") << u"key4"_s << int(Qt::Key_End)
                                   << QStringList{u"T4"_s, u"T1"_s, u"T2"_s, u"T3"_s, u"T5"_s} << u"key1"_s;
    QTest::newRow("a step up") << u"key2"_s << int(Qt::Key_Up)
                               << QStringList{u"T1"_s, u"T3"_s, u"T2"_s, u"T4"_s, u"T5"_s} << u"key3"_s;
    QTest::newRow("a step down") << u"key2"_s << int(Qt::Key_Down)
                                 << QStringList{u"T2"_s, u"T1"_s, u"T3"_s, u"T4"_s, u"T5"_s} << u"key1"_s;
    QTest::newRow("the top one up stays")
            << u"key5"_s << int(Qt::Key_Up) << QStringList{u"T1"_s, u"T2"_s, u"T3"_s, u"T4"_s, u"T5"_s} << u"key5"_s;
}

void tst_WindowDragDrop::treeMoves()
{
    QFETCH(QString, selected);
    QFETCH(int, key);
    QFETCH(QStringList, titlesAfter);
    QFETCH(QString, selectedAfter);
    ContentsProgram &p = *m_page;
    QVERIFY(withEntries(p, 5));
    QVERIFY(p.clickNode(selected));
    const QString title = p.box(u"txtContentTitle"_s)->text();
    QAction *undo = p.child<QAction>(u"undomove"_s);
    QVERIFY(!undo->isEnabled());
    p.tree()->setFocus();
    QTest::keyClick(p.tree(), Qt::Key(key), Qt::AltModifier);
    QCOMPARE(undo->isEnabled(), titlesAfter != titlesByKey(p.document()) || selected != selectedAfter);
    QCOMPARE(titlesByKey(p.document()), titlesAfter);
    QCOMPARE(p.entries()->selectedKey(), selectedAfter);
    // The entry in the editor went with its node: what is typed now reaches it.
    QCOMPARE(p.document().currentEntryKey, selectedAfter);
    p.box(u"txtContentTitle"_s)->setText(title + u" edited"_s);
    p.entries()->commitCurrentEntry();
    QCOMPARE(p.document().entries.find(selectedAfter)->title, title + u" edited"_s);

    QTest::keyClick(p.tree(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(p.document().entries.find(selected)->title, title + u" edited"_s);
    QCOMPARE(p.entries()->selectedKey(), selected);
}

void tst_WindowDragDrop::dropKeepsUncommittedText()
{
    ContentsProgram &p = *m_page;
    QVERIFY(withEntries(p, 5));
    p.entries()->dragDrop()->setDragStarter([](QDrag *drag) { drag->deleteLater(); });
    QVERIFY(p.clickNode(u"key3"_s));
    QVERIFY(p.focusEditor());
    QVERIFY(p.typeIntoEditor(u"unsaved"_s));
    p.box(u"txtContentLink"_s)->setText(u"https://example.org/3"_s);

    // key5 onto key2: the edited entry (key3) moves up to key4 and keeps what was typed.
    pressAndMove(p, u"key5"_s);
    dragOnto(p, u"key5"_s, p.nodeCenter(u"key2"_s));
    const RSSentry &edited = p.document().entries.at(4);
    QCOMPARE(edited.title, u"T3"_s);
    QVERIFY(edited.content.text().contains(u"unsaved"_s));
    QCOMPARE(edited.link, u"https://example.org/3"_s);
    for (int i : {1, 2, 3, 5})
        QVERIFY(!p.document().entries.at(i).content.text().contains(u"unsaved"_s));
}

void tst_WindowDragDrop::dropChangesNothing_data()
{
    QTest::addColumn<QString>("dragged");
    QTest::addColumn<QString>("target"); // empty: below the last node
    QTest::addColumn<bool>("dropped"); // false: Esc, or released outside the window
    QTest::newRow("onto itself") << u"key2"_s << u"key2"_s << true;
    QTest::newRow("onto the root") << u"key2"_s << u"root"_s << true;
    QTest::newRow("the root dragged") << u"root"_s << u"key2"_s << true;
    QTest::newRow("released outside any node") << u"key2"_s << QString() << true;
    QTest::newRow("cancelled over a node") << u"key2"_s << u"key1"_s << false;
    QTest::newRow("cancelled while scrolling") << u"key2"_s << u"bottom band"_s << false;
}

void tst_WindowDragDrop::dropChangesNothing()
{
    QFETCH(QString, dragged);
    QFETCH(QString, target);
    QFETCH(bool, dropped);
    ContentsProgram &p = *m_page;
    QVERIFY(withEntries(p, 3));
    QVERIFY(p.clickNode(u"key1"_s));
    const int generation = p.editor()->generation();
    const int height = p.tree()->viewport()->height();
    const QPoint to = target.isEmpty()   ? QPoint(10, height / 2)
            : target == "bottom band"_L1 ? QPoint(10, height - 5)
                                         : p.nodeCenter(target);
    // The drag runs inside the starter, as inside QDrag::exec; the drag object goes at its end.
    p.entries()->dragDrop()->setDragStarter([&](QDrag *drag) {
        dragOnto(p, dragged, to, dropped);
        if (!dropped)
            QVERIFY(!p.entries()->dragDrop()->dropHighlight().isEmpty() || p.child<QTimer>(u"Timer1"_s)->isActive());
        delete drag;
    });
    pressAndMove(p, dragged);
    QCOMPARE(titlesByKey(p.document()), (QStringList{u"T1"_s, u"T2"_s, u"T3"_s}));
    QCOMPARE(p.editor()->generation(), generation); // not reloaded
    QCOMPARE(p.document().currentEntryKey, u"key1"_s);
    QVERIFY(p.entries()->dragDrop()->dragNode().isEmpty());
    QVERIFY(p.entries()->dragDrop()->dropHighlight().isEmpty());
    QVERIFY(!p.child<QTimer>(u"Timer1"_s)->isActive());
}

void tst_WindowDragDrop::dropHighlightFollowsPointer()
{
    ContentsProgram &p = *m_page;
    QVERIFY(withEntries(p, 3));
    dragOnto(p, u"key1"_s, p.nodeCenter(u"key3"_s), false);
    QCOMPARE(p.entries()->dragDrop()->dropHighlight(), u"key3"_s);
    QDragMoveEvent move(p.nodeCenter(u"key2"_s), Qt::MoveAction, p.entries()->dragDrop()->mimeDataFor(u"key1"_s),
                        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p.tree()->viewport(), &move);
    QCOMPARE(p.entries()->dragDrop()->dropHighlight(), u"key2"_s);
    QCOMPARE(p.entries()->dragDrop()->lastDragPosition(), p.nodeCenter(u"key2"_s));
    delete move.mimeData();
}

void tst_WindowDragDrop::autoScrollBands_data()
{
    QTest::addColumn<int>("fromBottom"); // < 0: measured from the top instead
    QTest::addColumn<bool>("active");
    QTest::addColumn<int>("direction");
    QTest::newRow("3 pixels below the top scrolls up") << -3 << true << -1;
    QTest::newRow("the top edge itself does not scroll") << -0 << false << 0;
    QTest::newRow("7 pixels below the top is outside the band") << -7 << false << 0;
    QTest::newRow("the middle stops") << 1000 << false << 0;
    QTest::newRow("5 pixels above the bottom scrolls down") << 5 << true << 1;
    QTest::newRow("13 pixels above the bottom is outside the band") << 13 << false << 0;
}

void tst_WindowDragDrop::autoScrollBands()
{
    QFETCH(int, fromBottom);
    QFETCH(bool, active);
    QFETCH(int, direction);
    ContentsProgram &p = *m_page;
    QVERIFY(withEntries(p, 2));
    const int height = p.tree()->viewport()->height();
    const int y = fromBottom <= 0 ? -fromBottom : (fromBottom >= 1000 ? height / 2 : height - fromBottom);
    dragOnto(p, u"key1"_s, QPoint(20, y), false);
    QCOMPARE(p.child<QTimer>(u"Timer1"_s)->isActive(), active);
    QCOMPARE(p.child<QTimer>(u"Timer1"_s)->interval(), 200);
    if (active)
        QCOMPARE(p.entries()->dragDrop()->scrollDirection(), direction);

    // The mouse button released, or the drag over the window outside the tree, stops it.
    QTest::mouseRelease(p.tree()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, y));
    QVERIFY(!p.child<QTimer>(u"Timer1"_s)->isActive());
}

void tst_WindowDragDrop::autoScrollMovesOneLinePerTick()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    // Enough entries for the tree to scroll, made directly.
    for (int i = 2; i <= 80; ++i)
        CreateEntry(p.document(), QDateTime::currentDateTime(), u"My feed"_s);
    p.window->contentsPage()->entryEditor()->refreshTree();
    QScrollBar *bar = p.tree()->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 5);
    dragOnto(p, u"key1"_s, QPoint(20, p.tree()->viewport()->height() / 2), false);
    bar->setValue(3);
    QMimeData *held = p.entries()->dragDrop()->mimeDataFor(u"key1"_s);
    QDragMoveEvent nearTop(QPoint(20, 3), Qt::MoveAction, held, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p.tree()->viewport(), &nearTop);
    delete held;
    QTimer *timer = p.child<QTimer>(u"Timer1"_s);
    QVERIFY(timer->isActive());
    QCOMPARE(bar->singleStep(), 1); // one line
    QTRY_COMPARE(bar->value(), 2);
    QTRY_COMPARE(bar->value(), 1);
    // At the top the ticks go on, highlighting the node under the stored position: the root.
    QTRY_COMPARE(bar->value(), 0);
    QTRY_COMPARE(p.entries()->dragDrop()->dropHighlight(), u"root"_s);

    // Dragged over the window beside the tree: the scrolling stops.
    const std::unique_ptr<QMimeData> data(p.entries()->dragDrop()->mimeDataFor(u"key1"_s));
    QWidget *surface = p.window.get();
    QWidget *viewport = p.tree()->viewport();
    const QPoint beside = viewport->mapTo(surface, QPoint(viewport->width() + 40, 20));
    QDragEnterEvent enter(beside, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &enter);
    QVERIFY(!timer->isActive());

    // Past the bottom edge it scrolls the faster the farther: 30 pixels give 16 lines a tick.
    const QPoint below = viewport->mapTo(surface, QPoint(20, viewport->height() + 30));
    QDragMoveEvent past(below, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &past);
    QVERIFY(timer->isActive());
    QCOMPARE(p.entries()->dragDrop()->linesPerTick(), 16);
    QVERIFY(timer->interval() < 200);
    timer->stop(); // one tick, by hand
    bar->setValue(0);
    p.entries()->dragDrop()->scrollStep();
    QCOMPARE(bar->value(), 16);
    // Back in the band at the edge: a line a tick again.
    QDragEnterEvent band(QPoint(20, viewport->height() - 5), Qt::MoveAction, data.get(), Qt::LeftButton,
                         Qt::NoModifier);
    QApplication::sendEvent(viewport, &band);
    QCOMPARE(p.entries()->dragDrop()->linesPerTick(), 1);
    QCOMPARE(timer->interval(), 200);
    p.entries()->dragDrop()->onMouseRelease();
    // Held just past the edge, it goes faster and faster: 2000 entries in under five seconds.
    int rows = 0;
    for (qint64 held = 0; held < 5000; held += EntryDragDrop::PastEdgeInterval)
        rows += EntryDragDrop::scrollLines(1, held);
    QVERIFY2(rows >= 2000, qPrintable(QString::number(rows)));
}

QTEST_MAIN(tst_WindowDragDrop)
#include "tst_window_dragdrop.moc"
