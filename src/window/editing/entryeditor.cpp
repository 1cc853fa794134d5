// The contents page's behaviour.
#include "window/editing/entryeditor.h"

#include "window/editing/entrydragdrop.h"
#include "window/editing/keyboardfilter.h"
#include "window/editing/richtexteditor.h"
#include "core/system/clock.h"
#include "window/platform/dialogs.h"
#include "core/system/systemlocale.h"
#include "window/shell/mainwindow.h"
#include "core/text/textfiles.h"

#include <feedsmith/version.h>

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

const QStringList EntryEditor::ContextMenuTexts = {u"Ausschneiden"_s, u"Kopieren"_s, u"Einf\u00fcgen"_s, QString(),
                                                   u"Alles markieren"_s};

EntryEditor::EntryEditor(MainWindow &window, MessageBoxes &messageBoxes)
    : QObject(&window)
    , m_window(window)
    , m_messageBoxes(messageBoxes)
{
    setObjectName(u"entryEditor"_s);
    m_tree = window.findChild<QTreeView *>(u"TreeView"_s);
    m_freEntry = window.findChild<QWidget *>(u"freEntry"_s);
    m_freContents = window.findChild<QWidget *>(u"freContents"_s);
    m_txtContentTitle = window.findChild<QLineEdit *>(u"txtContentTitle"_s);
    m_txtContentLink = window.findChild<QLineEdit *>(u"txtContentLink"_s);
    m_createinfo = window.findChild<QLabel *>(u"createinfo"_s);
    m_toolbar3 = window.findChild<QToolBar *>(u"Toolbar3"_s);
    m_pasteAsText = window.findChild<QAbstractButton *>(u"pasteAsText"_s);
    m_editor = window.findChild<RichTextEditor *>(u"DHTMLEditor"_s);
    Q_ASSERT(m_tree && m_freEntry && m_freContents && m_txtContentTitle && m_txtContentLink && m_createinfo
             && m_toolbar3 && m_pasteAsText && m_editor);

    connect(window.findChild<QAbstractButton *>(u"cmdnewentry"_s), &QAbstractButton::clicked, this,
            &EntryEditor::NewEntry);
    connect(window.findChild<QAbstractButton *>(u"cmddeleteentry"_s), &QAbstractButton::clicked, this,
            &EntryEditor::DeleteEntry);
    m_txtContentTitle->installEventFilter(this);

    for (const QString &key : {u"fett"_s, u"kursiv"_s, u"unterstrichen"_s}) {
        if (QAction *button = toolbarButton(key))
            button->setCheckable(true);
    }
    connect(m_toolbar3, &QToolBar::actionTriggered, this,
            [this](QAction *button) { Toolbar3ButtonClick(button->data().toString()); });
    connect(m_pasteAsText, &QAbstractButton::clicked, this, &EntryEditor::PasteAsText);
    connect(m_editor, &RichTextEditor::DisplayChanged, this, &EntryEditor::DisplayChanged);
    connect(m_editor, &RichTextEditor::ShowContextMenu, this, &EntryEditor::ShowContextMenu);
    connect(m_editor, &RichTextEditor::ContextMenuAction, this, &EntryEditor::ContextMenuAction);
    connect(m_editor, &RichTextEditor::GotFocus, this, &EntryEditor::LoadSelectedEntry);

    EntryDragDrop::Hooks hooks;
    hooks.loadSelectedEntry = [this] { LoadSelectedEntry(); };
    hooks.commitCurrentEntry = [this] { CommitCurrentEntry(); };
    hooks.newEntryText = [this] { return text(u"newentry"_s); };
    m_dragDrop = new EntryDragDrop(window.document(), m_tree, window.findChild<QTimer *>(u"Timer1"_s), &window,
                                   std::move(hooks), this);

    connect(&window.document().tree, &QObject::destroyed, this, &EntryEditor::documentGone);

    if (window.keyboardFilterWanted()) {
        m_keyboardFilter = new KeyboardFilter(m_freContents, m_editor, m_pasteAsText, this);
        m_keyboardFilter->install();
    }
}

EntryEditor::~EntryEditor() = default;

void EntryEditor::documentGone()
{
    // The window's document goes before the window's controls do; the controls' last events
    // (a focused box losing the focus as it is deleted) must not reach it any more.
    m_documentGone = true;
    m_txtContentTitle->removeEventFilter(this);
    disconnect(m_editor, nullptr, this, nullptr);
    delete m_dragDrop;
    m_dragDrop = nullptr;
}

QString EntryEditor::text(const QString &key) const
{
    return m_window.text(key);
}

QAction *EntryEditor::toolbarButton(const QString &key) const
{
    const QList<QAction *> buttons = m_toolbar3->actions();
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
    return {m_txtContentTitle->text(), m_txtContentLink->text(), m_editor->documentHtml()};
}

QString EntryEditor::selectedKey() const
{
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : m_window.document().tree.keyOf(selected.first());
}

void EntryEditor::selectNode(const QString &key)
{
    const QModelIndex index = m_window.document().tree.indexOfKey(key);
    if (!index.isValid())
        return;
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_tree->scrollTo(index);
}

// ----- entries ------------------------------------------------------------------------------

void EntryEditor::NewEntry()
{
    m_freEntry->setVisible(true);
    const QString key = CreateEntry(m_window.document(), Clock::now(), text(u"rootkey"_s), text(u"newentry"_s));
    m_window.refreshTree();
    m_tree->setVisible(true);
    selectNode(key);
    LoadSelectedEntry();
}

void EntryEditor::DeleteEntry()
{
    const QString key = selectedKey();
    const int number = EntryCollection::numberOf(key);
    if (number < 1 || number > m_window.document().entryCount())
        return; // no node selected, or the root
    if (!m_messageBoxes.askYesNo(&m_window, QString::fromLatin1(Version::ProductName), text(u"deleteentry"_s)))
        return;
    m_tree->setUpdatesEnabled(false);
    Feedsmith::DeleteEntry(m_window.document(), key, text(u"newentry"_s));
    m_tree->setUpdatesEnabled(true);
}

void EntryEditor::CommitCurrentEntry()
{
    Feedsmith::CommitCurrentEntry(m_window.document(), fields());
}

void EntryEditor::TitleCommitted()
{
    if (m_documentGone)
        return;
    CommitTitle(m_window.document(), fields());
}

void EntryEditor::LoadSelectedEntry()
{
    if (m_documentGone)
        return;
    const LoadedEntry entry = SelectEntry(m_window.document(), selectedKey(), fields(),
                                          BuildStyleBlock(m_window.startup().programFolder));
    m_txtContentTitle->clear();
    m_txtContentLink->clear();
    if (!entry.hasRecord) {
        // The root, or no node: the editor is empty and bound to nothing that stores it.
        m_editor->setDocumentHtml(QString());
        return;
    }
    m_createinfo->setText(CreateInfoText(text(u"createdon"_s), entry.createdate, SystemLocale::locale()));
    setBoxText(m_txtContentTitle, entry.title);
    setBoxText(m_txtContentLink, entry.link);
    m_editor->setDocumentHtml(entry.documentHtml);
}

// ----- the editor ---------------------------------------------------------------------------

void EntryEditor::Toolbar3ButtonClick(const QString &key)
{
    if (key == "fett"_L1)
        m_editor->execCommand(RichTextEditor::DECMD_BOLD, RichTextEditor::DontPromptUser);
    else if (key == "kursiv"_L1)
        m_editor->execCommand(RichTextEditor::DECMD_ITALIC, RichTextEditor::DontPromptUser);
    else if (key == "unterstrichen"_L1)
        m_editor->execCommand(RichTextEditor::DECMD_UNDERLINE, RichTextEditor::DontPromptUser);
    else if (key == "link"_L1)
        m_editor->execCommand(RichTextEditor::DECMD_HYPERLINK, RichTextEditor::DoDefault);
    // The toolbar shows the editor's states, not its own idea of them.
    DisplayChanged();
}

void EntryEditor::DisplayChanged()
{
    const auto &names = m_window.formatButtonKeys();
    const auto &codes = m_window.formatCommandCodes();
    for (size_t i = 0; i < codes.size(); ++i) {
        QAction *button = toolbarButton(names[i].toLower());
        if (!button)
            continue;
        const int status = m_editor->queryStatus(codes[i]);
        button->setEnabled(status >= RichTextEditor::Enabled);
        button->setChecked(status == RichTextEditor::Latched);
    }
}

void EntryEditor::ShowContextMenu(const QPoint &globalPos)
{
    auto greyed = [this](int command) { return m_editor->queryStatus(command) < RichTextEditor::Enabled ? 2 : 0; };
    const QList<int> states = {greyed(RichTextEditor::DECMD_CUT), greyed(RichTextEditor::DECMD_COPY),
                               greyed(RichTextEditor::DECMD_PASTE), 0, greyed(RichTextEditor::DECMD_SELECTALL)};
    m_editor->setContextMenu(ContextMenuTexts, states, globalPos);
}

void EntryEditor::ContextMenuAction(int index)
{
    switch (index) {
    case 0:
        m_editor->execCommand(RichTextEditor::DECMD_CUT, RichTextEditor::DoDefault);
        break;
    case 1:
        m_editor->execCommand(RichTextEditor::DECMD_COPY, RichTextEditor::DoDefault);
        break;
    case 2:
        PasteAsText();
        break;
    case 4:
        m_editor->execCommand(RichTextEditor::DECMD_SELECTALL, RichTextEditor::DoDefault);
        break;
    default:
        break;
    }
}

QString EntryEditor::pasteAsTextMarkup(const QString &clipboardText)
{
    QString markup = clipboardText;
    markup.replace(u'\r', "<br>"_L1);
    return markup;
}

void EntryEditor::PasteAsText()
{
    m_editor->pasteHtml(pasteAsTextMarkup(QGuiApplication::clipboard()->text()));
}

bool EntryEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_txtContentTitle && event->type() == QEvent::FocusOut) {
        // A line edit's own context menu takes the focus for a moment; that is no leaving.
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
            TitleCommitted();
    }
    return false;
}

} // namespace Feedsmith
