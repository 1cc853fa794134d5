// DHTMLEditor: the entry's content in a web view in design mode.
#pragma once

#include "window/shell/htmlpane.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <optional>
#include <vector>

#include <QMenu>

class QKeyEvent;
class QTimer;
class QWebChannel;

namespace Feedsmith {

class EditorBridge;

// A visual HTML editor. Its document can be read at once: documentHtml() is a copy kept by the
// program, set to the new text the moment a document is loaded and replaced by the page's
// document at every edit; whenCurrent() waits for the last keystroke. The page writes a loaded
// document back in its own way (a head added, tags in its spelling); how it wrote it right after
// loading is the baseline, and only a document that differs from it is an edit. Until then, and
// again once an edit is undone, documentHtml() is exactly the text given. The style block of the
// program's style sheet is given back exactly as BuildStyleBlock builds it, and the body tag
// without attributes, so that the file writers find and strip both. Commands and states use the
// numbers of the old editing control.
//
// The editing page is loaded once (again only for another base folder, or after its process
// died); each document is swapped into it. Commands given while a document is on its way run
// once it is there.
class RichTextEditor : public HtmlPane
{
    Q_OBJECT

public:
    // Command numbers.
    enum Command {
        DECMD_BOLD = 5000,
        DECMD_COPY = 5002,
        DECMD_CUT = 5003,
        DECMD_HYPERLINK = 5016,
        DECMD_INDENT = 5018,
        DECMD_ITALIC = 5023,
        DECMD_JUSTIFYCENTER = 5024,
        DECMD_JUSTIFYLEFT = 5025,
        DECMD_JUSTIFYRIGHT = 5026,
        DECMD_ORDERLIST = 5030,
        DECMD_OUTDENT = 5031,
        DECMD_PASTE = 5032,
        DECMD_SELECTALL = 5035,
        DECMD_SETFORECOLOR = 5046,
        DECMD_UNDERLINE = 5048,
        DECMD_UNORDERLIST = 5051,
    };
    // Command states, as QueryStatus gives them.
    enum Status { NotSupported = 0, Disabled = 1, Enabled = 3, Latched = 7, Mixed = 11 };
    // Execution options.
    enum Option { DoDefault = 0, DontPromptUser = 2 };

    // A link as the link dialog shows and gives it: its address, its text, whether it opens a
    // new window; or, with `remove`, no link any more.
    struct Link
    {
        QString url;
        QString text;
        bool newWindow = false;
        bool remove = false;
        bool exists = false; // the selection is in a link already
    };
    // Asks for a link, starting from `initial`; nothing when the user cancels.
    using LinkPrompt = std::function<std::optional<Link>(QWidget *parent, const Link &initial)>;

    explicit RichTextEditor(QWidget *parent = nullptr);
    ~RichTextEditor() override;

    QString documentHtml() const override { return m_documentHtml; }
    void setDocumentHtml(const QString &html) override;
    // The program's style block, which documents carry and the writers strip: built from the
    // program's own style sheet, never from one beside a project, so that no body keeps a block
    // of another sheet. Documents loaded from then on carry it.
    void setStyleBlock(const QString &styleBlock) { m_styleBlock = styleBlock; }

    // True once the page of the document loaded last runs and reports.
    bool isReady() const { return m_ready; }
    // The number of the document loaded last.
    int generation() const { return m_generation; }
    // How often the editing page itself was loaded.
    int pageLoads() const { return m_pageLoads; }

    // Whether documentHtml() holds all the page has: every key press the editor passed on has
    // come back in a report of the page, and every editing command sent since the last snapshot
    // has been answered by one, and nothing waits in whenCurrent. True while no document runs in
    // the page.
    bool isCurrent() const;
    // Calls `then` once documentHtml() is current: at once when it is, else when the page has
    // answered a snapshot taken after every key press it was given (or, a page that does not
    // answer within a few seconds, with the copy as last reported). Nothing waits meanwhile: the
    // window goes on, and the call comes from the page's answer.
    void whenCurrent(std::function<void()> then);

    // The state of a command at the current selection, as the page reported it last.
    int queryStatus(int command) const;
    // Runs a command on the selection. The hyperlink command with DoDefault asks for the target.
    void execCommand(int command, int option);
    // Runs an editing command of the page by its name ("insertUnorderedList", "formatBlock"
    // with "h2", "removeFormat", "undo"), and its state.
    void execNamed(const QString &name, const QString &value = {});
    int queryNamed(const QString &name) const;
    // Checks spelling in a language ("en-US", "de-DE"): misspelled words are underlined, and the
    // context menu offers the dictionary's suggestions for the word under the pointer.
    void setSpellCheckLanguage(const QString &language);
    // The dictionary spelling is checked with; empty while spelling is not checked.
    QString spellCheckLanguage() const;
    // The word under the pointer when the context menu was asked for last, if misspelled.
    QString misspelledWord() const { return m_misspelled; }
    // The text of the context menu's item that takes a misspelled word into the user's
    // dictionary.
    void setAddToDictionaryText(const QString &text) { m_addToDictionaryText = text; }
    // What was done with a user's dictionary that could not be used (a link, a pipe, a file too
    // large), once; empty when nothing was.
    static QString takeDictionaryNote();
    // Where the user's dictionary lies: the editor's folder in the configuration folder.
    static QString UserDictionaryFolder();
    // The editing the engine offered for the context menu asked for last
    // (QWebEngineContextMenuRequest::EditFlags), once: they belong to that one request.
    int takeMenuEditFlags() { return std::exchange(m_menuEditFlags, 0); }
    // The kind of block at the caret as the page reported it last ("p", "h2", "blockquote").
    QString blockFormat() const;
    // The link at the selection as the page reported it last, the selected text, and as the
    // address a selection or clipboard text that is one.
    Link linkAtSelection() const;
    // Replaces the selection with markup, inserted as it is.
    void pasteHtml(const QString &html);

    // Shows the context menu: five texts and their states (0 normal, 2 greyed; an empty text is
    // a separator). Choosing an item raises contextMenuAction with its index.
    void setContextMenu(const QStringList &texts, const QList<int> &states, const QPoint &globalPos);
    QMenu *contextMenu() const { return m_contextMenu; }

    // editorHasFocus: true while the keyboard focus is inside the editor.
    bool editorHasFocus() const { return m_hasFocus; }

    void setLinkPrompt(LinkPrompt prompt) { m_linkPrompt = std::move(prompt); }

    // The name of a command in the page, empty for a number the editor does not know.
    static QString commandName(int command);
    // The document as the page reports it, put back together: the page's head and body, with
    // every marked style element turned back into the style block.
    static QString composeDocument(const QString &head, const QString &body, const QString &styleBlock);
    // The text given to the page: every style block (letter case ignored) marked, so that it
    // can be given back exactly.
    static QString markStyleBlocks(const QString &html, const QString &styleBlock);

signals:
    // A misspelled word was replaced by a suggestion.
    void spellingReplaced();
    // The page reported new command states (the selection or the formatting changed).
    void commandStatesChanged();
    // The user asks for the context menu (right click, menu key).
    void contextMenuRequested(const QPoint &globalPos);
    void contextMenuItemTriggered(int index);
    // A word was taken into the user's dictionary (error empty), or could not be (error says why).
    void wordAddedToDictionary(const QString &word, const QString &error);
    void focusReceived();
    void focusLost();
    // The page of the document loaded last is running.
    void ready();
    // documentHtml() changed through editing (or, the edit undone, back to the text loaded).
    void documentEdited();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void restyle() override;
    void childEvent(QChildEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onFocusChanged(QWidget *old, QWidget *now);
    // Runs the script once the document loaded last is in the page.
    void runInPage(const QString &script);
    void whenReady(std::function<void()> action);
    void loadPage(const QUrl &url);
    void sendDocument();
    void onPageReady(const QString &head, const QString &body);
    // Tab or Shift+Tab outside a list item: the focus goes to the window's next or previous
    // control.
    void leaveBody(bool backward);
    // The page's document, as it reported it, into documentHtml(); `keys`: the text keys the page
    // had received by then.
    void takePageDocument(const QString &head, const QString &body, int keys);
    // Asks the page for its document; takeSnapshot gets the answer.
    void askForSnapshot();
    void takeSnapshot(int generation, int editsBefore, const QVariantMap &snapshot);
    // Calls what waited for whenCurrent.
    void endWaiting();
    // An editing command goes to the page.
    void noteEditSent() { ++m_editsSent; }
    void onRenderProcessTerminated(int status);
    // Gives the page the palette's colours and the name a screen reader says for the text.
    QString lookScript() const;

    EditorBridge *m_bridge = nullptr;
    QWebChannel *m_channel = nullptr;
    QString m_documentHtml;
    QString m_loadedHtml; // the text of the document loaded last
    QString m_baselineHtml; // how the page wrote that document back when it was ready
    QString m_styleBlock; // the program's style block, which the documents carry
    int m_menuEditFlags = 0;
    int m_generation = 0;
    int m_pageLoads = 0;
    int m_restarts = 0; // reloads after the page's process died
    int m_keysSent = 0; // text keys given to the page since it was loaded
    int m_keysReported = 0; // how many of them the page's last report had received
    int m_editsSent = 0; // editing commands sent to the page
    int m_editsConfirmed = 0; // of them, those a snapshot came back after
    std::vector<std::function<void()>> m_whenCurrent;
    QTimer *m_snapshotTimer = nullptr; // runs while a snapshot is awaited
    QElapsedTimer m_snapshotClock;
    QUrl m_pageUrl; // where the editing page was loaded from; empty before the first load
    bool m_pageRunning = false; // the editing page runs and takes documents
    std::vector<std::function<void()>> m_whenReady;
    bool m_ready = false;
    bool m_showable = true;
    bool m_hasFocus = false;
    bool m_promptOpen = false;
    LinkPrompt m_linkPrompt;
    QString m_misspelled;
    QStringList m_suggestions;
    QString m_menuMisspelled; // for the one menu the request came with
    QString m_addToDictionaryText = QStringLiteral("Add to dictionary");
    QPointer<QMenu> m_contextMenu;
};

} // namespace Feedsmith
