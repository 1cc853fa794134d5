// The entry tree's mouse handling: pressing, clicking, dragging an entry onto another, and the
// auto-scroll near the tree's edges while dragging.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStyledItemDelegate>

#include <functional>

class QDrag;
class QMimeData;
class QTimer;

namespace Feedsmith {

class EntryTreeView;
class FeedDocument;

// Paints the drop target of a drag like a selected node.
class DropHighlightDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setHighlightKey(const QString &key) { m_key = key; }
    QString highlightKey() const { return m_key; }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    QString m_key;
};

// Reorders entries by dragging one node onto another: the drag carries the model's mime data and
// the drop is the model's (EntryTreeModel::dropMimeData, which moves the row). The events are our
// own rather than QAbstractItemView's, which differs in what the tree promises: any movement with
// the left button held starts a drag (no distance first), a drop lands on a node (not between
// two), and the tree scrolls a line per tick in narrow bands at its edges. Pressing selects a node
// without loading it, a click (press and release) loads it. The drop commits the entry being
// edited, reorders, and loads the moved entry.
class EntryDragDrop : public QObject
{
    Q_OBJECT

public:
    // The auto-scroll bands at the top and bottom edge, in pixels.
    static constexpr int TopBand = 7;
    static constexpr int BottomBand = 13;
    // The auto-scroll's tick in the bands, and past the tree's edge.
    static constexpr int BandInterval = 200;
    static constexpr int PastEdgeInterval = 50;

    struct Hooks
    {
        std::function<void()> commitAndLoadSelectedEntry; // the entry editor's
        std::function<void()> commitCurrentEntry; // the entry editor's
        std::function<void(int from, int to)> entriesMoved; // a drop moved the entry under `from` to `to`
    };

    // `dragSurface` is the widget around the tree whose drag-over stops the auto-scroll.
    EntryDragDrop(FeedDocument &document, EntryTreeView *tree, QTimer *timer, QWidget *dragSurface, Hooks hooks,
                  QObject *parent = nullptr);

    // The drag itself; by default QDrag::exec. Tests replace it to see that a drag starts.
    using DragStarter = std::function<void(QDrag *)>;
    void setDragStarter(DragStarter starter) { m_dragStarter = std::move(starter); }

    // What a drag of the node `key` carries (the model's mime data).
    QMimeData *mimeDataFor(const QString &key) const;

    QString dragNode() const { return m_dragNode; }
    QString dropHighlight() const { return m_delegate->highlightKey(); }
    int scrollDirection() const { return m_scrollDirection; }
    // How many lines a tick scrolls: one in the bands at the tree's edges, more the farther the
    // pointer is dragged past the edge, above or below the tree.
    int linesPerTick() const { return m_linesPerTick; }
    // The lines a tick scrolls once the pointer has been held past the tree's edge for heldMs.
    static int scrollLines(int linesPerTick, qint64 heldMs);
    QPoint lastDragPosition() const { return m_lastDrag; }

    // The handlers, by the events of the tree's viewport that raise them.
    void onMousePress(const QPoint &pos);
    void onMouseMove(Qt::MouseButtons buttons);
    void onDragMove(const QPoint &pos);
    void scrollStep();
    void onDrop(const QMimeData *data);
    void onMouseRelease();
    // `pos` in the tree's viewport: past its top or bottom edge, within its width, the tree
    // scrolls the faster the farther; anywhere else outside the tree the scrolling stops.
    void onWindowDragMove(const QObject *source, const QPoint &pos = {-1, -1});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString keyAt(const QPoint &pos) const;
    void setDropHighlight(const QString &key);
    void reset();

    FeedDocument &m_document;
    EntryTreeView *m_tree;
    QTimer *m_timer;
    QWidget *m_dragSurface;
    Hooks m_hooks;
    DropHighlightDelegate *m_delegate;
    DragStarter m_dragStarter;
    QString m_dragNode;
    QPoint m_lastDrag;
    int m_scrollDirection = 1;
    int m_linesPerTick = 1;
    QElapsedTimer m_pastEdge; // since when the pointer is held past the tree's edge
    bool m_pressedOnTree = false;
};

} // namespace Feedsmith
