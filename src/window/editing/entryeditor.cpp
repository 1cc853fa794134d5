// The contents page's behaviour.
#include "window/editing/entryeditor.h"
#include "window/editing/entrydetails.h"
#include "window/platform/dialogs.h"

#include "core/document/media.h"
#include "core/entries/entryfilter.h"
#include "core/locale/spelling.h"
#include "core/system/clock.h"
#include "core/system/systemlocale.h"
#include "core/text/printable.h"
#include "core/text/textfiles.h"
#include "window/editing/entrydragdrop.h"
#include "window/editing/keyboardfilter.h"
#include "window/editing/linkdialog.h"
#include "window/editing/richtexteditor.h"
#include "window/platform/dialogs.h"
#include "window/platform/progresstask.h"

#include <feedsmith/version.h>

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineFindTextResult>

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

const std::array<QString, 12> EntryEditor::FormatButtonKeys = {
        u"Fett"_s,   u"Kursiv"_s, u"Unterstrichen"_s, u"Nummeriert"_s, u"Punktiert"_s, u"Auszug"_s,
        u"Einzug"_s, u"Links"_s,  u"Zentriert"_s,     u"Rechts"_s,     u"Farben"_s,    u"Bild"_s};
const std::array<int, 11> EntryEditor::FormatCommandCodes = {5000, 5023, 5048, 5030, 5051, 5018,
                                                             5031, 5025, 5024, 5026, 5046};

EntryEditor::EntryEditor(const Widgets &widgets, const PageContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_tree(widgets.tree)
    , m_entryFrame(widgets.entryFrame)
    , m_titleEdit(widgets.titleEdit)
    , m_linkEdit(widgets.linkEdit)
    , m_createInfo(widgets.createInfo)
    , m_formatToolBar(widgets.formatToolBar)
    , m_editor(widgets.editor)
    , m_htmlView(widgets.htmlView)
{
    setObjectName(u"entryEditor"_s);
    connect(widgets.newEntryButton, &QAbstractButton::clicked, this, &EntryEditor::newEntry);
    connect(widgets.deleteEntryButton, &QAbstractButton::clicked, this, &EntryEditor::deleteEntry);
    m_titleEdit->installEventFilter(this);
    // Typing changes the entry under edit; an empty editor bound to nothing changes nothing.
    for (QLineEdit *box : {m_titleEdit, m_linkEdit})
        connect(box, &QLineEdit::textEdited, this, &EntryEditor::markEntryChanged);
    connect(m_editor, &RichTextEditor::documentEdited, this, &EntryEditor::markEntryChanged);
    m_details = new EntryDetails(
            widgets.detailsButton, widgets.detailsArea, m_context.startup.language.textTable,
            m_context.startup.language.helpTable, m_context.document,
            [this](EntryDetails::Take take) { chooseEnclosureFile(std::move(take)); }, this);
    connect(m_details, &EntryDetails::edited, this, &EntryEditor::markEntryChanged);
    widgets.pasteAsTextButton->setFocusPolicy(Qt::NoFocus); // the editor keeps the keyboard

    for (const QString &key : {u"fett"_s, u"kursiv"_s, u"unterstrichen"_s, u"bullets"_s, u"numbering"_s, u"heading2"_s,
                               u"heading3"_s, u"paragraph"_s, u"quote"_s, u"code"_s}) {
        if (QAction *button = toolbarButton(key))
            button->setCheckable(true);
    }
    connect(m_formatToolBar, &QToolBar::actionTriggered, this,
            [this](QAction *button) { onFormatToolbarAction(button->data().toString()); });
    // Insert picture takes a file by default; its menu also takes a web address.
    if (QAction *picture = toolbarButton(u"picture"_s)) {
        auto *choices = new QMenu(m_formatToolBar);
        QAction *fromFile = choices->addAction(text(u"picturefromfile"_s).isEmpty() ? u"From a file..."_s
                                                                                    : text(u"picturefromfile"_s));
        fromFile->setObjectName(u"pictureFromFile"_s);
        QAction *fromAddress = choices->addAction(
                text(u"picturefromaddress"_s).isEmpty() ? u"From a web address..."_s : text(u"picturefromaddress"_s));
        fromAddress->setObjectName(u"pictureFromAddress"_s);
        connect(fromFile, &QAction::triggered, this, &EntryEditor::insertPicture);
        connect(fromAddress, &QAction::triggered, this, &EntryEditor::insertPictureFromAddress);
        picture->setMenu(choices);
        if (auto *button = qobject_cast<QToolButton *>(m_formatToolBar->widgetForAction(picture)))
            button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    connect(widgets.pasteAsTextButton, &QAbstractButton::clicked, this, &EntryEditor::pasteAsText);
    connect(m_editor, &RichTextEditor::commandStatesChanged, this, &EntryEditor::updateFormatToolbar);
    connect(m_editor, &RichTextEditor::contextMenuRequested, this, &EntryEditor::showContextMenu);
    connect(m_editor, &RichTextEditor::contextMenuItemTriggered, this, &EntryEditor::onContextMenuAction);
    // Gaining the focus commits and loads the selected entry only when it is not the one loaded:
    // the click that gave the focus places the caret, and what is issued at once is carried out.
    connect(m_editor, &RichTextEditor::focusReceived, this, [this] { commitAndLoad(); });
    // A node reached with the keys (arrows, Home, End, the page keys, a letter) is loaded at
    // once, as a click loads it. The program's own selections (a press that may start a drag, a
    // drop, new and delete) load where they are made, once.
    // Delete and the moves act on a selected entry, and are offered only then.
    m_deleteButton = widgets.deleteEntryButton;
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, &EntryEditor::updateCommands);
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_tree->isHandlingKey())
            commitAndLoadSelectedEntry();
    });

    setChannelLanguage(m_context.document.channel.language);
    connect(m_editor, &RichTextEditor::spellingReplaced, this, &EntryEditor::markEntryChanged);
    // A word taken into the user's dictionary counts from the editor's next start: the web
    // engine reads the dictionary when it starts.
    const KeyedTexts &texts = m_context.startup.language.textTable;
    m_editor->setAddToDictionaryText(texts.valueOr(u"menuaddtodictionary"_s, u"Add to dictionary"_s));
    if (const QString note = RichTextEditor::takeDictionaryNote(); !note.isEmpty()) {
        // Told once the window is up.
        QTimer::singleShot(0, this, [this, note] {
            m_context.messageBoxes.warning(m_context.window, QString::fromLatin1(Version::ProductName),
                                           m_context.startup.language.textTable.valueOr(
                                                   u"dictionaryunused"_s, u"Your spelling dictionary cannot be used."_s)
                                                   + u"\n\n"_s + printable(note));
        });
    }
    connect(m_editor, &RichTextEditor::wordAddedToDictionary, this, [this](const QString &word, const QString &error) {
        const KeyedTexts &texts = m_context.startup.language.textTable;
        if (error.isEmpty())
            QToolTip::showText(QCursor::pos(),
                               PlainToolTip(texts.valueOr(u"wordadded"_s,
                                                          u"\u201c%1\u201d is in your dictionary; from the next "
                                                          "start of Feedsmith on it is no longer underlined."_s)
                                                    .arg(word)),
                               m_editor);
        else
            m_context.messageBoxes.warning(m_context.window, QString::fromLatin1(Version::ProductName),
                                           texts.valueOr(u"wordnotadded"_s,
                                                         u"\u201c%1\u201d cannot be added to "
                                                         "your dictionary: %2"_s)
                                                   .arg(word, error));
    });
    // Links are asked for in a dialog of the program's own, in the interface language.
    m_editor->setLinkPrompt([this](QWidget *parent, const RichTextEditor::Link &initial) {
        return LinkDialog::ask(m_context.startup.language.textTable, parent, initial);
    });
    // Entries without a title show the language's text in the tree.
    m_context.document.tree.setNewEntryText(text(u"newentry"_s));
    buildTreeActions();

    EntryDragDrop::Hooks hooks;
    hooks.commitAndLoadSelectedEntry = [this] { commitAndLoadSelectedEntry(); };
    hooks.commitCurrentEntry = [this] { commitCurrentEntry(); };
    hooks.entriesMoved = [this](int from, int to) {
        m_context.markChanged();
        m_moves.emplace_back(from, to);
        updateCommands();
    };
    m_dragDrop =
            new EntryDragDrop(m_context.document, m_tree, widgets.dragTimer, m_context.window, std::move(hooks), this);

    connect(&m_context.document.tree, &QObject::destroyed, this, &EntryEditor::documentGone);

    if (m_context.startup.installKeyboardFilter) {
        m_keyboardFilter = new KeyboardFilter(widgets.page, m_editor, widgets.pasteAsTextButton, this);
        m_keyboardFilter->install();
    }
    updateEntryFrame();
    updateCommands();
}

void EntryEditor::markEntryChanged()
{
    if (!m_documentGone && m_context.document.entries.contains(m_context.document.currentEntryKey))
        m_context.markChanged();
}

void EntryEditor::updateEntryFrame()
{
    // Without an entry in the editor (none selected, or the root), nothing typed into the frame
    // would have a place to go.
    const FeedDocument &document = m_context.document;
    m_entryFrame->setEnabled(!m_documentGone && !m_loadedKey.isEmpty() && m_loadedKey == document.currentEntryKey
                             && document.entries.contains(m_loadedKey));
}

void EntryEditor::clearEntry()
{
    showEntry(QString(), LoadedEntry());
}

EntryEditor::~EntryEditor() = default;

void EntryEditor::documentGone()
{
    // The window's document goes before the window's controls do; the controls' last events
    // (a focused box losing the focus as it is deleted) must not reach it any more.
    m_documentGone = true;
    m_titleEdit->removeEventFilter(this);
    disconnect(m_editor, nullptr, this, nullptr);
    delete m_dragDrop;
    m_dragDrop = nullptr;
}

void EntryEditor::refreshTree()
{
    const EntryTreeModel &tree = m_context.document.tree;
    const QAbstractItemModel *shown = m_tree->model();
    for (int row = 0; row < shown->rowCount(); ++row) {
        const QModelIndex index = shown->index(row, 0);
        m_tree->setExpanded(index, tree.isExpanded(m_tree->keyAt(index)));
    }
    updateEntryFrame();
}

QString EntryEditor::text(const QString &key) const
{
    return m_context.text(key);
}

QAction *EntryEditor::toolbarButton(const QString &key) const
{
    const QList<QAction *> buttons = m_formatToolBar->actions();
    const auto it = std::find_if(buttons.cbegin(), buttons.cend(),
                                 [&key](const QAction *a) { return !a->isSeparator() && a->data().toString() == key; });
    return it == buttons.cend() ? nullptr : *it;
}

void EntryEditor::setBoxText(QLineEdit *box, const QString &text)
{
    // A loaded title arrives whole, however long.
    box->setMaxLength(std::max<int>(32767, int(text.size())));
    box->setText(text);
    box->home(false);
}

EditorFields EntryEditor::fields() const
{
    // The editor's document is the entry's content with the style block put in, written the
    // editor's way: while it is the one loaded, the entry gets back the content it was loaded
    // from (an edit committed meanwhile, then undone, leaves nothing of itself behind).
    const QString html = m_editor->documentHtml();
    const bool loaded = !m_loadedKey.isEmpty() && m_loadedKey == m_context.document.currentEntryKey;
    const bool unchanged = loaded && html == m_loadedDocument;
    EditorFields fields{RSSentry{m_titleEdit->text(), m_linkEdit->text(), unchanged ? m_loadedContent : html}, true};
    m_details->fillIn(fields.entry);
    return fields;
}

QString EntryEditor::selectedKey() const
{
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : m_tree->keyAt(selected.first());
}

void EntryEditor::onFilterChanged()
{
    // The list selects the entry shown while the filter lets it through; else the first entry
    // found takes its place in the editor. With nothing found, nothing is selected.
    const QModelIndex shown = m_tree->indexOfKey(m_loadedKey);
    if (shown.isValid()) {
        m_tree->selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect);
        m_tree->scrollTo(shown);
        return;
    }
    const QModelIndex root = m_tree->indexOfKey(EntryTreeModel::RootKey);
    const QModelIndex first = root.isValid() ? m_tree->model()->index(0, 0, root) : QModelIndex();
    if (!first.isValid()) {
        m_tree->selectionModel()->clear();
        return;
    }
    selectNode(m_tree->keyAt(first));
    commitAndLoadSelectedEntry();
}

void EntryEditor::selectNode(const QString &key)
{
    const QModelIndex index = m_tree->indexOfKey(key);
    if (!index.isValid())
        return;
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_tree->scrollTo(index);
}

// ----- entries ------------------------------------------------------------------------------

void EntryEditor::buildTreeActions()
{
    // The tree's context menu: the entry commands, then the moves and their undo. Their keys
    // work in the tree only (Ctrl+Z there undoes a move; the Edit menu sends it here).
    const auto add = [this](const QString &key, const QString &fallback, const QKeySequence &keys) {
        auto *action = new QAction(m_context.startup.language.textTable.valueOr(key, fallback), m_tree);
        action->setObjectName(key);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        m_tree->addAction(action);
        m_treeActions.append(action);
        return action;
    };
    const auto separator = [this] {
        auto *line = new QAction(m_tree);
        line->setSeparator(true);
        m_tree->addAction(line);
    };
    connect(add(u"treenewentry"_s, u"New entry"_s, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)),
            &QAction::triggered, this, &EntryEditor::newEntry);
    m_duplicateAction = add(u"duplicateentry"_s, u"Duplicate entry"_s, QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(m_duplicateAction, &QAction::triggered, this, &EntryEditor::duplicateEntry);
    m_deleteAction = add(u"treedeleteentry"_s, u"Delete entry"_s, QKeySequence::Delete);
    connect(m_deleteAction, &QAction::triggered, this, &EntryEditor::deleteEntry);
    separator();
    const std::array<std::pair<QString, QKeySequence>, 4> moves = {{
            {u"movetop"_s, QKeySequence(Qt::ALT | Qt::Key_Home)},
            {u"movebottom"_s, QKeySequence(Qt::ALT | Qt::Key_End)},
            {u"moveup"_s, QKeySequence(Qt::ALT | Qt::Key_Up)},
            {u"movedown"_s, QKeySequence(Qt::ALT | Qt::Key_Down)},
    }};
    for (size_t i = 0; i < moves.size(); ++i) {
        QAction *move = add(moves[i].first, text(moves[i].first), moves[i].second);
        m_moveActions.append(move);
        connect(move, &QAction::triggered, this, [this, i] { moveSelected(Move(i)); });
    }
    m_undoMoveAction = add(u"undomove"_s, text(u"undomove"_s), QKeySequence());
    connect(m_undoMoveAction, &QAction::triggered, this, &EntryEditor::undoMove);
    m_tree->setContextMenuPolicy(Qt::ActionsContextMenu);
    // Moves are undone only while the entries they moved are where the moves left them.
    EntryTreeModel *model = &m_context.document.tree;
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, [this] {
            m_moves.clear();
            updateCommands();
        });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_moves.clear();
        updateCommands();
    });
}

void EntryEditor::updateCommands()
{
    const int number = EntryCollection::numberOf(selectedKey());
    const bool entry = !m_documentGone && number >= 1 && number <= m_context.document.entryCount();
    m_deleteButton->setEnabled(entry);
    for (QAction *action : std::as_const(m_moveActions))
        action->setEnabled(entry);
    if (m_deleteAction) {
        m_deleteAction->setEnabled(entry);
        m_duplicateAction->setEnabled(entry && !m_context.document.entries.isFull());
        m_undoMoveAction->setEnabled(!m_moves.empty());
    }
}

QList<QAction *> EntryEditor::treeActions() const
{
    return m_treeActions;
}

bool EntryEditor::moveEntry(int from, int to)
{
    // What is being typed goes into its entry before the keys change.
    commitCurrentEntry();
    FeedDocument &document = m_context.document;
    const bool loaded = !m_loadedKey.isEmpty() && m_loadedKey == document.currentEntryKey;
    if (!MoveEntryTo(document, from, to))
        return false;
    if (loaded)
        m_loadedKey = document.currentEntryKey;
    selectNode(EntryCollection::keyFor(to));
    m_context.markChanged();
    updateEntryFrame();
    return true;
}

void EntryEditor::moveSelected(Move move)
{
    whenEditorCurrent([this, move] { moveSelectedNow(move); });
}

void EntryEditor::moveSelectedNow(Move move)
{
    const int from = EntryCollection::numberOf(selectedKey());
    const int count = m_context.document.entryCount();
    if (from < 1 || from > count)
        return;
    // The top of the tree is the newest entry, the highest number.
    int to = from;
    switch (move) {
    case Move::ToTop: to = count; break;
    case Move::ToBottom: to = 1; break;
    case Move::Up:
    case Move::Down: {
        // A step past the next entry shown: with a filter, the hidden ones between stay put.
        const int step = move == Move::Up ? 1 : -1;
        const EntryFilterModel *filter = m_tree->filterModel();
        for (int n = from + step; n >= 1 && n <= count; n += step) {
            if (!filter || filter->shows(n)) {
                to = n;
                break;
            }
        }
        break;
    }
    }
    if (moveEntry(from, to))
        m_moves.emplace_back(from, to);
    updateCommands();
}

void EntryEditor::undoMove()
{
    whenEditorCurrent([this] { undoMoveNow(); });
}

void EntryEditor::undoMoveNow()
{
    if (m_moves.empty())
        return;
    const auto [from, to] = m_moves.back();
    m_moves.pop_back();
    moveEntry(to, from);
    updateCommands();
}

void EntryEditor::newEntry()
{
    whenEditorCurrent([this] { newEntryNow(); });
}

void EntryEditor::newEntryNow()
{
    m_entryFrame->setVisible(true);
    const QString key = CreateEntry(m_context.document, Clock::now(), text(u"rootkey"_s));
    m_context.markChanged();
    refreshTree();
    m_tree->setVisible(true);
    selectNode(key);
    commitAndLoad();
}

void EntryEditor::duplicateEntry()
{
    whenEditorCurrent([this] { duplicateEntryNow(); });
}

void EntryEditor::duplicateEntryNow()
{
    commitAndLoad();
    const QString copy = DuplicateEntry(m_context.document, m_loadedKey, Clock::now());
    if (copy.isEmpty())
        return;
    // The editor was bound to the original, which moved up a key.
    m_loadedKey = m_context.document.currentEntryKey;
    m_context.markChanged();
    refreshTree();
    selectNode(copy);
    commitAndLoad();
}

void EntryEditor::deleteEntry()
{
    whenEditorCurrent([this] { deleteEntryNow(); });
}

void EntryEditor::deleteEntryNow()
{
    // The entry deleted is the one shown: a node selected but not loaded is loaded first, so
    // that the question and the editor name the same entry.
    commitAndLoad();
    const QString key = selectedKey();
    const int number = EntryCollection::numberOf(key);
    if (number < 1 || number > m_context.document.entryCount() || key != m_loadedKey)
        return; // no node selected, or the root
    const RSSentry &entry = m_context.document.entries.at(number);
    const QString name = entry.title.trimmed().isEmpty() ? m_context.document.tree.caption(key) : entry.title;
    if (!m_context.messageBoxes.askYesNo(
                m_context.window, QString::fromLatin1(Version::ProductName),
                m_context.startup.language.textTable.valueOr(u"deleteentryname"_s, u"Delete the entry \u201c%1\u201d?"_s)
                        .arg(name)))
        return;
    // What is being edited goes into its entry before the keys move, as a drop does it.
    commitCurrentEntry();
    m_tree->setUpdatesEnabled(false);
    const bool deleted = Feedsmith::DeleteEntry(m_context.document, key);
    m_tree->setUpdatesEnabled(true);
    if (!deleted)
        return;
    m_context.markChanged();
    // The document is bound to no entry now; the node at the same place (holding the entry that
    // moved down), or the new top one, is selected and loaded.
    m_loadedKey.clear();
    const int count = m_context.document.entryCount();
    if (count > 0)
        selectNode(EntryCollection::keyFor(std::min(number, count)));
    commitAndLoad();
}

void EntryEditor::insertPicture()
{
    const KeyedTexts &texts = m_context.startup.language.textTable;
    const QString title = QString::fromLatin1(Version::ProductName);
    FeedDocument &document = m_context.document;
    const QString chosen = m_context.askForFileToTake(
            u"*.png *.jpg *.jpeg *.gif *.webp *.svg *.avif | *.png *.jpg *.jpeg *.gif *.webp *.svg *.avif"_s,
            texts.valueOr(u"picturesneedsave"_s,
                          u"Save the project first: its pictures are kept in a folder named media beside it."_s));
    if (chosen.isEmpty())
        return;
    QString error;
    const std::optional<QString> stored = StoreMediaFile(chosen, document.projectPath, &error);
    if (!stored) {
        m_context.messageBoxes.warning(m_context.window, title,
                                       texts.valueOr(u"picturefailed"_s, u"The picture cannot be inserted."_s)
                                               + u"\n\n"_s + error);
        return;
    }
    const QString alt = m_context.messageBoxes.askText(
            m_context.window, title,
            texts.valueOr(u"picturealt"_s, u"Describe the picture for readers who cannot see it:"_s));
    const QString escaped = alt.toHtmlEscaped();
    // A body begun before the project had a folder is shown again from beside it, so that the
    // picture appears.
    const QString folder = QFileInfo(document.projectPath).absolutePath();
    const QString picture = u"<img src=\"%1\" alt=\"%2\">"_s.arg(*stored, escaped);
    whenEditorCurrent([this, folder, picture] {
        if (m_editor->baseUrl() != QUrl::fromLocalFile(folder + u'/')) {
            const QString html = m_editor->documentHtml();
            m_editor->setBaseFolder(folder);
            m_editor->setDocumentHtml(html);
        }
        m_editor->setFocus();
        m_editor->pasteHtml(picture);
        markEntryChanged();
    });
}

void EntryEditor::chooseEnclosureFile(const EntryDetails::Take &take)
{
    const KeyedTexts &texts = m_context.startup.language.textTable;
    const QString title = QString::fromLatin1(Version::ProductName);
    const QString projectPath = m_context.document.projectPath;
    // Publishing uploads files of the media folder alone: the file goes there first.
    const QString chosen = m_context.askForFileToTake(
            u"* | *"_s, texts.valueOr(u"filesneedsave"_s, u"Save the project first: the files it publishes are kept "
                                                          "in a folder named media beside it."_s));
    if (chosen.isEmpty())
        return;
    // A reflink or a hard link costs nothing; a copy of a large episode is made beside the window.
    auto *task = new ProgressTask(m_context.window, u"enclosureProgress"_s, title,
                                  texts.valueOr(u"copyingfile"_s, u"Copying %1 into the media folder…"_s)
                                          .arg(escapedPath(QFileInfo(chosen).fileName())),
                                  texts.valueOr(u"cancelbutton"_s, u"Cancel"_s), this);
    auto result = std::make_shared<std::pair<std::optional<QString>, QString>>();
    task->start(
            [chosen, projectPath, result](const ProgressTask::Progress &progress) {
                result->first = StoreEnclosureFile(chosen, projectPath, &result->second, progress);
            },
            [this, result, take, key = m_loadedKey, projectPath, title](bool cancelled) {
                if (cancelled)
                    return;
                if (!result->first) {
                    m_context.messageBoxes.warning(
                            m_context.window, title,
                            m_context.startup.language.textTable.valueOr(
                                    u"enclosurefailed"_s, u"The file cannot be taken as the enclosure."_s)
                                    + u"\n\n"_s + printable(result->second));
                    return;
                }
                // Taken into the entry it was chosen for, while that is the one shown.
                if (key == m_loadedKey && projectPath == m_context.document.projectPath)
                    take(*result->first, QFileInfo(projectPath).absolutePath() + u'/' + *result->first);
            });
}

void EntryEditor::insertPictureFromAddress()
{
    const KeyedTexts &texts = m_context.startup.language.textTable;
    const QString title = QString::fromLatin1(Version::ProductName);
    const QString address =
            m_context.messageBoxes
                    .askText(m_context.window, title,
                             texts.valueOr(u"pictureaddress"_s, u"Address of the picture (https://...):"_s))
                    .trimmed();
    if (address.isEmpty())
        return;
    const QUrl url(address);
    if (!url.isValid() || (url.scheme() != "http"_L1 && url.scheme() != "https"_L1) || url.host().isEmpty()) {
        m_context.messageBoxes.warning(m_context.window, title,
                                       texts.valueOr(u"picturefailed"_s, u"The picture cannot be inserted."_s)
                                               + u"\n\n"_s + printable(address) + u": not an http or https address"_s);
        return;
    }
    const QString alt = m_context.messageBoxes.askText(
            m_context.window, title,
            texts.valueOr(u"picturealt"_s, u"Describe the picture for readers who cannot see it:"_s));
    m_editor->setFocus();
    m_editor->pasteHtml(u"<img src=\"%1\" alt=\"%2\">"_s.arg(url.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                                                             alt.toHtmlEscaped()));
    markEntryChanged();
}

bool EntryEditor::isHtmlView() const
{
    return m_htmlView && m_htmlView->isVisible();
}

void EntryEditor::setHtmlView(bool on)
{
    if (!m_htmlView || on == isHtmlView())
        return;
    if (on) {
        // The markup shown is the editor's to its last keystroke.
        m_editor->whenCurrent([self = QPointer(this)] {
            if (self && !self->isHtmlView())
                self->showHtmlView();
        });
        return;
    }
    const QString inner = m_htmlView->toPlainText();
    m_htmlView->hide();
    m_editor->show();
    if (inner != m_htmlShown) {
        m_editor->setDocumentHtml(m_htmlBefore + inner + m_htmlAfter);
        markEntryChanged();
    }
    showFormatButtons(false);
}

void EntryEditor::showHtmlView()
{
    const QString html = m_editor->documentHtml();
    // The body's inner markup; the program's style block stays out of sight.
    qsizetype open = html.indexOf(u"<body"_s, 0, Qt::CaseInsensitive);
    open = open < 0 ? -1 : html.indexOf(u'>', open);
    qsizetype close = html.lastIndexOf(u"</body>"_s, -1, Qt::CaseInsensitive);
    if (open < 0 || close < open) {
        open = -1;
        close = html.size();
    }
    QString inner = html.mid(open + 1, close - open - 1);
    m_htmlBefore = html.left(open + 1);
    // Style elements (the program's style block) stay out of sight; they go back in front.
    for (qsizetype at = inner.indexOf(u"<style"_s, 0, Qt::CaseInsensitive); at >= 0;
         at = inner.indexOf(u"<style"_s, at, Qt::CaseInsensitive)) {
        const qsizetype end = inner.indexOf(u"</style>"_s, at, Qt::CaseInsensitive);
        if (end < 0)
            break;
        m_htmlBefore += QStringView(inner).mid(at, end + 8 - at);
        inner.remove(at, end + 8 - at);
    }
    m_htmlAfter = html.mid(close);
    m_htmlShown = inner;
    m_htmlView->setPlainText(inner);
    m_editor->hide();
    m_htmlView->show();
    m_htmlView->setFocus();
    showFormatButtons(true);
}

void EntryEditor::showFormatButtons(bool htmlView)
{
    // The formatting buttons act on the editor alone: they go while the markup shows.
    for (QAction *button : m_formatToolBar->actions()) {
        if (button->data().toString() == "htmlview"_L1)
            button->setChecked(htmlView);
        else
            button->setVisible(!htmlView);
    }
}

void EntryEditor::commitCurrentEntry()
{
    setHtmlView(false); // what was typed as markup goes into the editor first
    Feedsmith::CommitCurrentEntry(m_context.document, fields());
}

void EntryEditor::whenEditorCurrent(std::function<void()> then)
{
    setHtmlView(false);
    m_editor->whenCurrent([self = QPointer(this), then = std::move(then)] {
        if (self)
            then();
    });
}

bool EntryEditor::isEditorCurrent() const
{
    return m_editor->isCurrent();
}

void EntryEditor::commitTitle()
{
    if (m_documentGone)
        return;
    Feedsmith::CommitCurrentEntry(m_context.document, fields());
}

void EntryEditor::commitAndLoadSelectedEntry(std::function<void()> then)
{
    whenEditorCurrent([this, then = std::move(then)] {
        commitAndLoad();
        if (then)
            then();
    });
}

void EntryEditor::commitAndLoad()
{
    if (m_documentGone)
        return;
    setHtmlView(false);
    FeedDocument &document = m_context.document;
    const QString key = selectedKey();
    if (!key.isEmpty() && key == m_loadedKey && document.currentEntryKey == key) {
        // The selected entry is the one in the editor: it is committed and stays as it is.
        Feedsmith::CommitCurrentEntry(document, fields());
        return;
    }
    const LoadedEntry entry = SelectEntry(document, key, fields(), BuildStyleBlock(m_context.startup.programFolder));
    showEntry(key, entry);
    emit entrySwitched();
}

void EntryEditor::reloadCurrentEntry()
{
    const RSSentry *entry = std::as_const(m_context.document.entries).find(m_loadedKey);
    if (!entry)
        return;
    const DocumentField *podcast = documentField(u"podcast");
    m_details->showEntry(*entry, podcast && podcast->isOn(m_context.document));
}

void EntryEditor::setChannelLanguage(const QString &language)
{
    const QString dictionary = SpellingDictionary(language, m_context.startup.languageCode);
    if (dictionary != m_editor->spellCheckLanguage())
        m_editor->setSpellCheckLanguage(dictionary);
}

void EntryEditor::showEntry(const QString &key, const LoadedEntry &entry)
{
    // The root, or no node: the editor is empty and bound to nothing that stores it.
    m_loadedKey = entry.hasRecord ? key : QString();
    m_loadedDocument = entry.documentHtml;
    m_loadedContent = entry.entry.content;
    m_titleEdit->clear();
    m_linkEdit->clear();
    m_createInfo->clear();
    m_details->clear();
    if (entry.hasRecord) {
        m_createInfo->setText(CreateInfoText(text(u"createdon"_s), entry, SystemLocale::locale()));
        setBoxText(m_titleEdit, entry.entry.title);
        setBoxText(m_linkEdit, entry.entry.link);
        const DocumentField *podcast = documentField(u"podcast");
        m_details->showEntry(entry.entry, podcast && podcast->isOn(m_context.document));
    }
    // The body's pictures of the media folder show from beside the project.
    const QString project = m_context.document.projectPath;
    m_editor->setBaseFolder(project.isEmpty() ? m_context.startup.programFolder : QFileInfo(project).absolutePath());
    m_editor->setDocumentHtml(m_loadedDocument);
    updateEntryFrame();
}

// ----- the editor ---------------------------------------------------------------------------

// The writing buttons beyond bold, italic, underline and link: the page's command for each, and
// its value.
const std::map<QString, std::pair<QString, QString>> EntryEditor::WritingCommands = {
        {u"bullets"_s, {u"insertUnorderedList"_s, QString()}},
        {u"numbering"_s, {u"insertOrderedList"_s, QString()}},
        {u"heading2"_s, {u"formatBlock"_s, u"h2"_s}},
        {u"heading3"_s, {u"formatBlock"_s, u"h3"_s}},
        {u"paragraph"_s, {u"formatBlock"_s, u"p"_s}},
        {u"quote"_s, {u"formatBlock"_s, u"blockquote"_s}},
        {u"code"_s, {u"formatBlock"_s, u"pre"_s}},
        {u"clearformat"_s, {u"removeFormat"_s, QString()}},
        {u"undo"_s, {u"undo"_s, QString()}},
        {u"redo"_s, {u"redo"_s, QString()}},
};

void EntryEditor::onFormatToolbarAction(const QString &key)
{
    if (key == "fett"_L1)
        m_editor->execCommand(RichTextEditor::DECMD_BOLD, RichTextEditor::DontPromptUser);
    else if (key == "kursiv"_L1)
        m_editor->execCommand(RichTextEditor::DECMD_ITALIC, RichTextEditor::DontPromptUser);
    else if (key == "unterstrichen"_L1)
        m_editor->execCommand(RichTextEditor::DECMD_UNDERLINE, RichTextEditor::DontPromptUser);
    else if (key == "link"_L1)
        m_editor->execCommand(RichTextEditor::DECMD_HYPERLINK, RichTextEditor::DoDefault);
    else if (key == "htmlview"_L1)
        setHtmlView(!isHtmlView());
    else if (key == "picture"_L1)
        insertPicture();
    else if (const auto command = WritingCommands.find(key); command != WritingCommands.end())
        m_editor->execNamed(command->second.first, command->second.second);
    // The toolbar shows the editor's states, not its own idea of them.
    updateFormatToolbar();
}

void EntryEditor::updateFormatToolbar()
{
    // The lists, the kinds of block, undo and redo.
    for (const auto &[key, command] : WritingCommands) {
        QAction *button = toolbarButton(key);
        if (!button)
            continue;
        if (command.first == "formatBlock"_L1) {
            button->setChecked(m_editor->blockFormat() == command.second);
            continue;
        }
        const int status = m_editor->queryNamed(command.first);
        button->setEnabled(status >= RichTextEditor::Enabled);
        button->setChecked(status == RichTextEditor::Latched);
    }
    const auto &names = FormatButtonKeys;
    const auto &codes = FormatCommandCodes;
    for (size_t i = 0; i < codes.size(); ++i) {
        QAction *button = toolbarButton(names[i].toLower());
        if (!button)
            continue;
        const int status = m_editor->queryStatus(codes[i]);
        button->setEnabled(status >= RichTextEditor::Enabled);
        button->setChecked(status == RichTextEditor::Latched);
    }
}

void EntryEditor::showContextMenu(const QPoint &globalPos)
{
    // What the engine said of the place clicked, else what the page reported of the selection.
    const int flags = m_editor->takeMenuEditFlags();
    auto greyed = [this, flags](int command, QWebEngineContextMenuRequest::EditFlag flag) {
        return (flags & flag) || m_editor->queryStatus(command) >= RichTextEditor::Enabled ? 0 : 2;
    };
    const int undo = (flags & QWebEngineContextMenuRequest::CanUndo) ? 0 : 2;
    const QList<int> states = {undo,
                               0,
                               greyed(RichTextEditor::DECMD_CUT, QWebEngineContextMenuRequest::CanCut),
                               greyed(RichTextEditor::DECMD_COPY, QWebEngineContextMenuRequest::CanCopy),
                               greyed(RichTextEditor::DECMD_PASTE, QWebEngineContextMenuRequest::CanPaste),
                               0,
                               0,
                               greyed(RichTextEditor::DECMD_SELECTALL, QWebEngineContextMenuRequest::CanSelectAll)};
    m_editor->setContextMenu(contextMenuTexts(), states, globalPos);
}

QStringList EntryEditor::contextMenuTexts() const
{
    const KeyedTexts &texts = m_context.startup.language.textTable;
    return {texts.valueOr(u"menuundo"_s, u"Undo"_s),
            QString(),
            texts.valueOr(u"menucut"_s, u"Cut"_s),
            texts.valueOr(u"menucopy"_s, u"Copy"_s),
            texts.valueOr(u"menupaste"_s, u"Paste"_s),
            texts.valueOr(u"menupasteastext"_s, u"Paste as text"_s),
            QString(),
            texts.valueOr(u"menuselectall"_s, u"Select all"_s)};
}

void EntryEditor::onContextMenuAction(int index)
{
    switch (index) {
    case 0: m_editor->execNamed(u"undo"_s); break;
    case 2: m_editor->execCommand(RichTextEditor::DECMD_CUT, RichTextEditor::DoDefault); break;
    case 3: m_editor->execCommand(RichTextEditor::DECMD_COPY, RichTextEditor::DoDefault); break;
    case 4: m_editor->execCommand(RichTextEditor::DECMD_PASTE, RichTextEditor::DoDefault); break;
    case 5: pasteAsText(); break;
    case 7: m_editor->execCommand(RichTextEditor::DECMD_SELECTALL, RichTextEditor::DoDefault); break;
    default: break;
    }
}

QString EntryEditor::pasteAsTextMarkup(const QString &clipboardText)
{
    constexpr int TabWidth = 4;
    // The clipboard may carry CR LF, CR or (on Linux always) LF line breaks.
    static const QRegularExpression lineBreak(u"\r\n|\r|\n"_s);
    QString markup;
    markup.reserve(clipboardText.size() + clipboardText.size() / 8);
    const QStringList lines = clipboardText.split(lineBreak);
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString &line = lines.at(n);
        if (n > 0)
            markup += "<br>"_L1;
        for (qsizetype i = 0; i < line.size();) {
            const QChar c = line.at(i);
            if (c != u' ' && c != u'\t') {
                switch (c.unicode()) {
                case u'&': markup += "&amp;"_L1; break;
                case u'<': markup += "&lt;"_L1; break;
                case u'>': markup += "&gt;"_L1; break;
                default: markup += c; break;
                }
                ++i;
                continue;
            }
            const qsizetype start = i;
            int width = 0;
            for (; i < line.size() && (line.at(i) == u' ' || line.at(i) == u'\t'); ++i)
                width += line.at(i) == u'\t' ? TabWidth : 1;
            const bool lineEnd = i == line.size();
            if (width == 1 && start > 0 && !lineEnd) {
                markup += u' '; // one blank between words shows as it is
                continue;
            }
            // No two ordinary spaces side by side, and none at either end of the line, so that
            // none is folded away and the line can still wrap.
            for (int k = 0; k < width; ++k)
                markup += (k % 2 == 0 || (lineEnd && k == width - 1)) ? "&nbsp;"_L1 : " "_L1;
        }
    }
    return markup;
}

void EntryEditor::focusField(const QString &field)
{
    if (field == "content"_L1) {
        m_editor->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (field == "link"_L1) {
        m_linkEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (QWidget *box = m_details->box(QLatin1StringView(field.toLatin1())); box && field != "title"_L1) {
        m_details->open();
        box->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_titleEdit->setFocus(Qt::OtherFocusReason);
}

void EntryEditor::findInBody(const QString &text, bool backward)
{
    if (m_loadedKey.isEmpty())
        return;
    m_editor->setFocus(Qt::OtherFocusReason);
    const QWebEnginePage::FindFlags flags = backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags();
    m_editor->findText(text, flags, [this, text](const QWebEngineFindTextResult &result) {
        if (result.numberOfMatches() == 0)
            m_context.messageBoxes.information(
                    m_context.window, QString::fromLatin1(Version::ProductName),
                    m_context.startup.language.textTable
                            .valueOr(u"findinbodynone"_s, u"The text of the entry does not hold \u201c%1\u201d."_s)
                            .arg(text));
    });
}

void EntryEditor::pasteAsText()
{
    const QString markup = pasteAsTextMarkup(QGuiApplication::clipboard()->text());
    // The keyboard goes back to the editor. Should taking the focus load the selected entry,
    // the text goes in once that is in the page.
    if (!m_editor->editorHasFocus())
        m_editor->setFocus(Qt::OtherFocusReason);
    m_editor->pasteHtml(markup);
}

bool EntryEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_titleEdit && event->type() == QEvent::FocusOut) {
        // A line edit's own context menu takes the focus for a moment; that is no leaving.
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
            commitTitle();
    }
    return false;
}

} // namespace Feedsmith
