// Dragging entries in the tree.
#include "window/editing/entrydragdrop.h"

#include "core/document/feeddocument.h"
#include "window/editing/entrytreeview.h"
#include "window/platform/icons.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

namespace Feedsmith {

void DropHighlightDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!m_key.isEmpty() && index.data(EntryTreeModel::KeyRole).toString() == m_key)
        option->state |= QStyle::State_Selected;
}

EntryDragDrop::EntryDragDrop(FeedDocument &document, EntryTreeView *tree, QTimer *timer, QWidget *dragSurface,
                             Hooks hooks, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_tree(tree)
    , m_timer(timer)
    , m_dragSurface(dragSurface)
    , m_hooks(std::move(hooks))
    , m_delegate(new DropHighlightDelegate(tree))
{
    m_tree->setItemDelegate(m_delegate);
    m_tree->setAutoScroll(false); // the tree scrolls by Timer1 alone, a line at a time
    m_tree->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_tree->setDragEnabled(false);
    m_tree->viewport()->setAcceptDrops(true);
    m_tree->viewport()->installEventFilter(this);
    if (m_dragSurface) {
        m_dragSurface->setAcceptDrops(true);
        m_dragSurface->installEventFilter(this);
    }
    connect(m_timer, &QTimer::timeout, this, &EntryDragDrop::scrollStep);
    m_dragStarter = [](QDrag *drag) { drag->exec(Qt::MoveAction); };
}

QMimeData *EntryDragDrop::mimeDataFor(const QString &key) const
{
    return m_document.tree.mimeData({m_document.tree.indexOfKey(key)});
}

QString EntryDragDrop::keyAt(const QPoint &pos) const
{
    return m_tree->keyAt(m_tree->indexAt(pos));
}

void EntryDragDrop::setDropHighlight(const QString &key)
{
    if (m_delegate->highlightKey() == key)
        return;
    m_delegate->setHighlightKey(key);
    m_tree->viewport()->update();
}

void EntryDragDrop::onMousePress(const QPoint &pos)
{
    const QString key = keyAt(pos);
    if (key.isEmpty())
        return;
    // Selecting this way loads nothing into the editor.
    m_tree->selectionModel()->setCurrentIndex(m_tree->indexOfKey(key), QItemSelectionModel::ClearAndSelect);
    m_dragNode = key;
}

void EntryDragDrop::onMouseMove(Qt::MouseButtons buttons)
{
    if (buttons != Qt::LeftButton || m_dragNode.isEmpty())
        return;
    auto *drag = new QDrag(m_tree);
    drag->setMimeData(mimeDataFor(m_dragNode));
    drag->setPixmap(Icons::themed(QStringLiteral("text-x-generic"), Icons::Picture::NewDocument).pixmap(24, 24));
    // However the drag ends (dropped elsewhere, Esc, released outside the window), the drag
    // object goes once it is over; a drop on the tree has reset everything before that.
    connect(drag, &QObject::destroyed, this, [this] {
        if (!m_dragNode.isEmpty() || !dropHighlight().isEmpty() || m_timer->isActive())
            reset();
    });
    m_dragStarter(drag);
}

void EntryDragDrop::onDragMove(const QPoint &pos)
{
    setDropHighlight(keyAt(pos));
    m_lastDrag = pos;
    const int height = m_tree->viewport()->height();
    m_linesPerTick = 1;
    m_pastEdge.invalidate();
    m_timer->setInterval(BandInterval);
    if (pos.y() > 0 && pos.y() < TopBand) {
        m_scrollDirection = -1;
        m_timer->start();
    } else if (pos.y() > height - BottomBand && pos.y() < height) {
        m_scrollDirection = 1;
        m_timer->start();
    } else {
        m_timer->stop();
    }
}

int EntryDragDrop::scrollLines(int linesPerTick, qint64 heldMs)
{
    // Twice as fast every 700 ms, up to 256 times: a list of thousands of entries is crossed in a
    // few seconds, and a short hold still moves by a line.
    return linesPerTick << std::min<qint64>(heldMs / 700, 8);
}

void EntryDragDrop::scrollStep()
{
    setDropHighlight(keyAt(m_lastDrag));
    const int lines = m_pastEdge.isValid() ? scrollLines(m_linesPerTick, m_pastEdge.elapsed()) : m_linesPerTick;
    QScrollBar *bar = m_tree->verticalScrollBar();
    bar->setValue(bar->value() + m_scrollDirection * lines);
}

void EntryDragDrop::onDrop(const QMimeData *data)
{
    // What was typed since the last commit goes into the entry it was typed in, while the
    // current entry key still names that entry.
    if (m_hooks.commitCurrentEntry)
        m_hooks.commitCurrentEntry();

    const QString target = m_delegate->highlightKey();
    if (target.isEmpty()) {
        reset();
        return;
    }
    m_tree->setUpdatesEnabled(false);
    const int from = data ? EntryCollection::numberOf(QString::fromUtf8(data->data(EntryTreeModel::MimeType))) : 0;
    if (m_document.tree.dropMimeData(data, Qt::MoveAction, -1, -1, m_document.tree.indexOfKey(target))) {
        // The document is bound to no entry now: what is loaded next is the moved one.
        m_document.currentEntryKey.clear();
        m_tree->selectionModel()->setCurrentIndex(m_tree->indexOfKey(target), QItemSelectionModel::ClearAndSelect);
        if (m_hooks.entriesMoved)
            m_hooks.entriesMoved(from, EntryCollection::numberOf(target));
        if (m_hooks.commitAndLoadSelectedEntry)
            m_hooks.commitAndLoadSelectedEntry();
    }
    reset();
}

void EntryDragDrop::reset()
{
    setDropHighlight(QString());
    m_dragNode.clear();
    m_timer->stop();
    m_pastEdge.invalidate();
    m_tree->setUpdatesEnabled(true);
}

void EntryDragDrop::onMouseRelease()
{
    m_timer->stop();
}

void EntryDragDrop::onWindowDragMove(const QObject *source, const QPoint &pos)
{
    if (source != m_tree)
        return;
    const QWidget *viewport = m_tree->viewport();
    const int past = pos.y() < 0 ? -pos.y() : pos.y() - viewport->height();
    if (pos.x() < 0 || pos.x() >= viewport->width() || past <= 0) {
        m_timer->stop();
        m_pastEdge.invalidate();
        return;
    }
    if (!m_pastEdge.isValid() || (pos.y() < 0 ? -1 : 1) != m_scrollDirection)
        m_pastEdge.start();
    // Past the edge: four ticks a second more, and a line more for every few pixels, so that a
    // list of thousands of entries is crossed in seconds.
    m_scrollDirection = pos.y() < 0 ? -1 : 1;
    m_linesPerTick = 1 + past / 2;
    m_timer->setInterval(PastEdgeInterval);
    if (!m_timer->isActive())
        m_timer->start();
}

bool EntryDragDrop::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_dragSurface) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDragMoveEvent *>(event);
            if (!m_document.tree.isOwnDrag(drag->mimeData()))
                return false;
            onWindowDragMove(m_tree, m_tree->viewport()->mapFrom(m_dragSurface, drag->position().toPoint()));
            // Dragged over the window outside the tree: the window follows the drag (so that it
            // keeps seeing it), but nothing can be dropped here.
            if (event->type() == QEvent::DragEnter)
                drag->accept();
            else
                drag->ignore();
            return true;
        }
        default: return false;
        }
    }

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        m_pressedOnTree = true;
        if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton)
            onMousePress(mouse->position().toPoint());
        return false; // the tree still takes the focus and opens or closes the root
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->buttons() == Qt::LeftButton) {
            onMouseMove(mouse->buttons());
            return true; // a move with the button held drags; it never extends a selection
        }
        return false;
    }
    case QEvent::MouseButtonRelease: {
        onMouseRelease();
        // A click: press and release on the tree.
        const bool click = m_pressedOnTree;
        m_pressedOnTree = false;
        if (click && m_hooks.commitAndLoadSelectedEntry)
            m_hooks.commitAndLoadSelectedEntry();
        return false;
    }
    case QEvent::DragEnter: {
        auto *drag = static_cast<QDragEnterEvent *>(event);
        if (!m_document.tree.isOwnDrag(drag->mimeData()))
            return false;
        m_pressedOnTree = false; // the press became a drag, not a click
        drag->acceptProposedAction();
        onDragMove(drag->position().toPoint());
        return true;
    }
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!m_document.tree.isOwnDrag(drag->mimeData()))
            return false;
        drag->acceptProposedAction();
        onDragMove(drag->position().toPoint());
        return true;
    }
    case QEvent::DragLeave:
        // Off the tree nothing is highlighted as a drop target, and nothing scrolls.
        setDropHighlight(QString());
        m_timer->stop();
        return true;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!m_document.tree.isOwnDrag(drop->mimeData()))
            return false;
        drop->acceptProposedAction();
        onDrop(drop->mimeData());
        return true;
    }
    default: return false;
    }
}

} // namespace Feedsmith
