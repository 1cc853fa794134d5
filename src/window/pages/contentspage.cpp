// The contents page: the entry tree beside the entry editor with its toolbar.
#include "window/pages/contentspage.h"

#include "core/entries/entryfilter.h"
#include "core/text/textfiles.h"

#include "window/editing/entryeditor.h"
#include "window/editing/entrytreeview.h"
#include "window/editing/richtexteditor.h"
#include "window/pages/captions.h"
#include "window/pages/toolbuttons.h"

#include <QAction>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <utility>

namespace Feedsmith {

using namespace Qt::StringLiterals;

ContentsPage::ContentsPage(const PageContext &context, QWidget *parent)
    : QWidget(parent)
{
    Captions &captions = context.captions;
    captions.addPage(this, u"freContents"_s);
    auto *pageLayout = new QHBoxLayout(this);
    // The tree and the entry side by side, the border between them where the user puts it.
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(u"splitContents"_s);
    m_splitter->setChildrenCollapsible(false);
    pageLayout->addWidget(m_splitter);
    auto *treeSide = new QWidget(m_splitter);

    EntryEditor::Widgets widgets;
    widgets.page = this;
    auto *left = new QVBoxLayout(treeSide);
    left->setContentsMargins(0, 0, 0, 0);
    // Finding an entry among thousands: the tree shows only those that hold the text typed here.
    m_filterEdit = new QLineEdit(treeSide);
    m_filterEdit->setObjectName(u"txtFilter"_s);
    const KeyedTexts &texts = context.startup.language.textTable;
    m_filterEdit->setPlaceholderText(texts.valueOr(u"filterentries"_s, u"Filter entries (Ctrl+F)"_s));
    // A placeholder is no name: a screen reader says the field's name, and its clear button's.
    m_filterEdit->setAccessibleName(Captions::withoutKeys(m_filterEdit->placeholderText()));
    m_filterEdit->setClearButtonEnabled(true);
    if (auto *clear = m_filterEdit->findChild<QAction *>(u"_q_qlineeditclearaction"_s))
        clear->setText(texts.valueOr(u"clearfilter"_s, u"Clear the filter"_s));
    left->addWidget(m_filterEdit);
    m_filterModel = new EntryFilterModel(context.document.tree, context.document, this);
    widgets.tree = new EntryTreeView(this);
    widgets.tree->setObjectName(u"TreeView"_s);
    widgets.tree->setHeaderHidden(true);
    widgets.tree->setUniformRowHeights(true);
    widgets.tree->setFilterModel(m_filterModel);
    widgets.tree->setAccessibleName(texts.valueOr(u"entrylist"_s, u"Entries"_s));
    left->addWidget(widgets.tree, 1);
    connect(m_filterEdit, &QLineEdit::textChanged, this, [this, tree = widgets.tree](const QString &text) {
        m_filterModel->setFilterText(text);
        tree->expandToDepth(0);
        m_entryEditor->onFilterChanged();
    });
    // Esc in the field shows every entry again (Edit › Find, Ctrl+F, comes here from any page).
    m_filterEdit->installEventFilter(this);
    auto *buttons = new QHBoxLayout;
    widgets.newEntryButton = captions.button(u"cmdnewentry"_s, u"newentry"_s, this);
    m_newEntryButton = widgets.newEntryButton;
    widgets.deleteEntryButton = captions.button(u"cmddeleteentry"_s, u"deleteentry"_s, this);
    buttons->addWidget(widgets.newEntryButton);
    buttons->addWidget(widgets.deleteEntryButton);
    left->addLayout(buttons);
    m_splitter->addWidget(treeSide);

    QGroupBox *entryFrame = captions.frame(u"freEntry"_s, u"Frame1"_s, this);
    widgets.entryFrame = entryFrame;
    auto *grid = new QGridLayout(entryFrame);
    grid->setColumnStretch(1, 1);
    QLabel *titleLabel = captions.label(u"contenttitle"_s, u"contenttitle"_s, entryFrame);
    m_titleEdit = new QLineEdit(entryFrame);
    m_titleEdit->setObjectName(u"txtContentTitle"_s);
    titleLabel->setBuddy(m_titleEdit);
    QLabel *linkLabel = captions.label(u"contentlink"_s, u"contentlink"_s, entryFrame);
    m_linkEdit = new QLineEdit(entryFrame);
    m_linkEdit->setObjectName(u"txtContentLink"_s);
    linkLabel->setBuddy(m_linkEdit);
    grid->addWidget(titleLabel, 0, 0);
    grid->addWidget(m_titleEdit, 0, 1);
    grid->addWidget(linkLabel, 1, 0);
    grid->addWidget(m_linkEdit, 1, 1);
    // Author, categories, enclosure and the rest, folded away until asked for.
    widgets.detailsButton = new QToolButton(entryFrame);
    widgets.detailsButton->setObjectName(u"cmdDetails"_s);
    widgets.detailsArea = new QScrollArea(entryFrame);
    widgets.detailsArea->setObjectName(u"freDetails"_s);
    m_detailsArea = widgets.detailsArea;
    grid->addWidget(widgets.detailsButton, 1, 2);
    grid->addWidget(widgets.detailsArea, 3, 0, 1, 3);

    auto *tools = new QHBoxLayout;
    m_formatToolBar = new QToolBar(entryFrame);
    m_formatToolBar->setObjectName(u"Toolbar3"_s);
    m_formatToolBar->setIconSize(QSize(16, 16));
    m_formatToolBar->setAccessibleName(texts.valueOr(u"formattoolbar"_s, u"Formatting"_s));
    addToolButtons(
            m_formatToolBar,
            {
                    {u"fett"_s, u"fett"_s, u"format-text-bold"_s, Icons::Picture::Bold},
                    {u"kursiv"_s, u"Kursiv"_s, u"format-text-italic"_s, Icons::Picture::Italic},
                    {u"unterstrichen"_s, u"Unterstrichen"_s, u"format-text-underline"_s, Icons::Picture::Underline},
                    {QString(), QString(), QString(), Icons::Picture::Link},
                    {u"link"_s, u"Link"_s, u"insert-link"_s, Icons::Picture::Link},
                    {u"picture"_s, QString(), u"insert-image"_s, Icons::Picture::Picture},
                    {QString(), QString(), QString(), Icons::Picture::Link},
                    {u"bullets"_s, QString(), u"format-list-unordered"_s, Icons::Picture::BulletList},
                    {u"numbering"_s, QString(), u"format-list-ordered"_s, Icons::Picture::NumberedList},
                    {u"heading2"_s, QString(), QString(), Icons::Picture::Heading2},
                    {u"heading3"_s, QString(), QString(), Icons::Picture::Heading3},
                    {u"paragraph"_s, QString(), QString(), Icons::Picture::Paragraph},
                    {u"quote"_s, QString(), u"format-text-blockquote"_s, Icons::Picture::Quote},
                    {u"code"_s, QString(), u"format-text-code"_s, Icons::Picture::Code},
                    {u"clearformat"_s, QString(), u"edit-clear-all"_s, Icons::Picture::ClearFormat},
                    {QString(), QString(), QString(), Icons::Picture::Link},
                    {u"undo"_s, QString(), u"edit-undo"_s, Icons::Picture::Undo},
                    {u"redo"_s, QString(), u"edit-redo"_s, Icons::Picture::Redo},
                    {QString(), QString(), QString(), Icons::Picture::Link},
                    {u"htmlview"_s, QString(), u"text-html"_s, Icons::Picture::Source},
            });
    // Their keys work while the entry has the focus, the editor's included.
    // Undo and redo have their keys in the Edit menu, which sends them to the control with the
    // focus.
    const std::array<std::pair<QString, QList<QKeySequence>>, 5> shortcuts = {{
            {u"bullets"_s, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_8)}},
            {u"numbering"_s, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_7)}},
            {u"heading2"_s, {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_2)}},
            {u"heading3"_s, {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_3)}},
            {u"paragraph"_s, {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_0)}},
    }};
    for (QAction *button : m_formatToolBar->actions()) {
        for (const auto &[key, keys] : shortcuts) {
            if (button->data().toString() == key) {
                button->setShortcuts(keys);
                button->setShortcutContext(Qt::WidgetWithChildrenShortcut);
                entryFrame->addAction(button);
            }
        }
    }
    // Every button stays on the bar, never behind its extension arrow.
    m_formatToolBar->setMinimumWidth(m_formatToolBar->sizeHint().width());
    tools->addWidget(m_formatToolBar);
    tools->addStretch(1);
    widgets.pasteAsTextButton = captions.button(u"pasteAsText"_s, u"pasteAsText"_s, entryFrame);
    tools->addWidget(widgets.pasteAsTextButton);
    grid->addLayout(tools, 4, 0, 1, 3);

    m_editor = new RichTextEditor(entryFrame);
    m_editor->setObjectName(u"DHTMLEditor"_s);
    m_editor->setBaseFolder(context.startup.programFolder);
    m_editor->setStyleBlock(BuildStyleBlock(context.startup.programFolder));
    m_editor->setMinimumHeight(200); // room to write in at the window's smallest
    m_editor->setAccessibleName(texts.valueOr(u"entrybody"_s, u"Text of the entry"_s));
    grid->addWidget(m_editor, 5, 0, 1, 3);
    // The body's HTML as text, in the editor's place while the HTML view is on.
    widgets.htmlView = new QPlainTextEdit(entryFrame);
    widgets.htmlView->setObjectName(u"txtHtmlView"_s);
    widgets.htmlView->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    widgets.htmlView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    widgets.htmlView->setAccessibleName(texts.valueOr(u"entryhtml"_s, u"HTML of the entry"_s));
    widgets.htmlView->hide();
    grid->addWidget(widgets.htmlView, 5, 0, 1, 3);
    grid->setRowStretch(5, 1);
    m_createInfo = captions.label(u"createinfo"_s, u"createinfo"_s, entryFrame);
    grid->addWidget(m_createInfo, 6, 0, 1, 3);
    m_splitter->addWidget(entryFrame);
    m_splitter->setStretchFactor(0, 33);
    m_splitter->setStretchFactor(1, 67);

    // Scrolls the tree while a dragged node hovers near its top or bottom edge.
    widgets.dragTimer = new QTimer(this);
    widgets.dragTimer->setObjectName(u"Timer1"_s);
    widgets.dragTimer->setInterval(200);

    widgets.titleEdit = m_titleEdit;
    widgets.linkEdit = m_linkEdit;
    widgets.formatToolBar = m_formatToolBar;
    widgets.editor = m_editor;
    widgets.createInfo = m_createInfo;
    // A new entry is one to write in: the filter goes first, so that it shows.
    connect(widgets.newEntryButton, &QAbstractButton::clicked, m_filterEdit, &QLineEdit::clear);
    m_entryEditor = new EntryEditor(widgets, context, this);
}

bool ContentsPage::eventFilter(QObject *watched, QEvent *event)
{
    // The texts are folded while the user starts typing.
    if (watched == m_filterEdit && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
            || reason == Qt::ShortcutFocusReason)
            m_filterModel->prepare();
    }
    if (watched == m_filterEdit && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !m_filterEdit->text().isEmpty()) {
        m_filterEdit->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ContentsPage::focusFilter()
{
    m_filterEdit->setFocus(Qt::ShortcutFocusReason);
    m_filterEdit->selectAll();
}

QWidget *ContentsPage::firstControl() const
{
    // The list, or the new entry button while there is no entry to select.
    EntryTreeView *tree = m_entryEditor->tree();
    return tree->isVisible() && tree->model()->rowCount() > 0 ? tree : m_newEntryButton;
}

void ContentsPage::shrinkEditor(int pixels)
{
    const int fewLines = 4 * fontMetrics().lineSpacing();
    m_editor->setMinimumHeight(std::max(std::min(fewLines, m_editor->minimumHeight()), m_editor->minimumHeight() - pixels));
}

void ContentsPage::clearEntry()
{
    // Another document: a filter typed for the last one would hide its entries.
    m_filterEdit->clear();
    m_entryEditor->clearEntry();
}

} // namespace Feedsmith
