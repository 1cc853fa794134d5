// The entry editor's web view.
#include "window/editing/richtexteditor.h"

#include "core/locale/userdictionary.h"
#include "core/startup/startup.h"

#include "core/text/textfiles.h"
#include "window/editing/editorbridge.h"

#include <QApplication>
#include <QChildEvent>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QKeyEvent>
#include <QMenu>
#include <QStandardPaths>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineContextMenuRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

#include <memory>
#include <utility>

#include <feedsmith/version.h>

// The page script is a resource of a static library: it has to be registered by hand.
static void initEditingResources()
{
    Q_INIT_RESOURCE(editing);
}

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr QLatin1StringView MarkedStyleOpen("<style data-feedsmith-style>");
// How the page writes the marked element's start tag back.
constexpr QLatin1StringView MarkedStyleSerialized("<style data-feedsmith-style=\"\">");
constexpr QLatin1StringView StyleClose("</style>");

// Larger documents are kept whole but not shown: design mode on them is too slow to edit in.
constexpr qsizetype LargestShowableDocument = 16 * 1024 * 1024;
// How long a command waits for the page's snapshot, and for key presses to arrive there.
constexpr int FlushAnswerMs = 3000;
constexpr int FlushKeyLagMs = 500;
// The page every document is swapped into; its content policy keeps a body's objects and
// base address from loading or acting.
const QString EditingPage = u"<html><head>"_s + ContentPolicyMeta + u"</head><body></body></html>"_s;

// The key presses the page counts as well: those that type or delete text. Shortcuts and
// keys the window may keep (Tab, the arrows) are not counted, so both sides agree.
bool countsAsTextKey(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter: return true;
    default: break;
    }
    const QString text = event.text();
    if (text.size() != 1 || event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    const char16_t c = text.at(0).unicode();
    return c >= 0x20 && c != 0x7f && !(c >= 0x80 && c < 0xa0);
}

QString readResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString jsString(const QString &text)
{
    // A JSON string is a JavaScript string literal.
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

std::optional<RichTextEditor::Link> askForLink(QWidget *parent, const RichTextEditor::Link &initial)
{
    bool ok = false;
    RichTextEditor::Link link = initial;
    link.url = QInputDialog::getText(parent, QString::fromLatin1(Version::ProductName), u"URL:"_s, QLineEdit::Normal,
                                     initial.url.isEmpty() ? u"https://"_s : initial.url, &ok);
    if (!ok)
        return std::nullopt;
    return link;
}

bool looksLikeAddress(const QString &text)
{
    const QString t = text.trimmed();
    return !t.contains(u' ')
            && (t.startsWith(u"http://"_s) || t.startsWith(u"https://"_s) || t.startsWith(u"mailto:"_s));
}

} // namespace

namespace {

// What became of a user's dictionary the web engine could not be given, once.
QString &dictionaryNote()
{
    static QString note;
    return note;
}

// The editor's own profile. Its storage folder, where the web engine keeps what pages store,
// lies in the data folder, the disk cache in the cache folder; the HTTP cache and the cookies
// stay in memory. The user's dictionary is the program's file in the configuration folder: the
// engine, which reads it only from its storage folder, gets a copy there as it starts.
QWebEngineProfile *editorProfile()
{
    static QWebEngineProfile *const profile = [] {
        // The engine reads whatever it finds there, following links, however large: a file that
        // is no dictionary of its own goes out of its way first.
        const QString dictionary = RichTextEditor::UserDictionaryFolder();
        dictionaryNote() = SetAsideUnusableUserDictionary(dictionary);
        const QString storage =
                QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Feedsmith/editor"_s;
        if (QString error; !CopyUserDictionary(dictionary, storage, &error))
            dictionaryNote() += (dictionaryNote().isEmpty() ? QString() : u"; "_s) + error;
        auto *made = new QWebEngineProfile(u"editor"_s, qApp);
        made->setPersistentStoragePath(storage);
        made->setCachePath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                           + u"/Feedsmith/editor"_s);
        made->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        made->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        return made;
    }();
    return profile;
}

} // namespace

QString RichTextEditor::takeDictionaryNote()
{
    return std::exchange(dictionaryNote(), QString());
}

QString RichTextEditor::UserDictionaryFolder()
{
    return userConfigFolder() + u"/editor"_s;
}

RichTextEditor::RichTextEditor(QWidget *parent)
    : HtmlPane(editorProfile(), parent)
    , m_linkPrompt(askForLink)
{
    initEditingResources();
    QWebEngineSettings *s = settings();
    // Scripts of the document stay off (as in every pane), so no markup of a body runs here;
    // the page script runs in a world of its own, which that does not touch.
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, true);
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    followPalette();

    m_bridge = new EditorBridge(this);
    m_channel = new QWebChannel(this);
    m_channel->registerObject(u"editor"_s, m_bridge);
    page()->setWebChannel(m_channel, QWebEngineScript::ApplicationWorld);

    QWebEngineScript script;
    script.setName(u"feedsmith-editor"_s);
    script.setSourceCode(readResource(u":/qtwebchannel/qwebchannel.js"_s) + u'\n'
                         + readResource(u":/feedsmith/editorpage.js"_s));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    page()->scripts().insert(script);

    connect(m_bridge, &EditorBridge::pageLoaded, this, [this] {
        m_pageRunning = true;
        sendDocument();
    });
    connect(m_bridge, &EditorBridge::pageReady, this, &RichTextEditor::onPageReady);
    connect(page(), &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) { onRenderProcessTerminated(int(status)); });
    connect(m_bridge, &EditorBridge::documentChanged, this, &RichTextEditor::takePageDocument);
    m_snapshotTimer = new QTimer(this);
    m_snapshotTimer->setSingleShot(true);
    m_snapshotTimer->setInterval(FlushAnswerMs);
    connect(m_snapshotTimer, &QTimer::timeout, this, [this] {
        // The page does not answer: the copy as last reported is what there is, and the next
        // command does not wait for it again.
        m_keysReported = m_keysSent;
        m_editsConfirmed = m_editsSent;
        endWaiting();
    });
    connect(m_bridge, &EditorBridge::commandStatesChanged, this, &RichTextEditor::commandStatesChanged);
    connect(m_bridge, &EditorBridge::leaveRequested, this, &RichTextEditor::leaveBody);
    connect(qApp, &QApplication::focusChanged, this, &RichTextEditor::onFocusChanged);
}

RichTextEditor::~RichTextEditor() = default;

void RichTextEditor::setDocumentHtml(const QString &html)
{
    m_documentHtml = html;
    m_loadedHtml = html;
    m_baselineHtml.clear();
    m_ready = false;
    ++m_generation;
    m_editsConfirmed = m_editsSent; // what was sent to the document before is gone with it
    // Until the page has the new document, nothing it reports may replace the text.
    m_bridge->setGeneration(-1);

    const QUrl url = baseUrl().isEmpty() ? QUrl::fromLocalFile(QDir::currentPath() + u'/') : baseUrl();
    if (url != m_pageUrl || !m_pageRunning)
        loadPage(url); // the document follows once the page runs
    else
        sendDocument();
}

void RichTextEditor::loadPage(const QUrl &url)
{
    m_pageUrl = url;
    m_pageRunning = false;
    m_keysSent = 0;
    m_keysReported = 0;
    ++m_pageLoads;
    setHtml(EditingPage, url);
}

void RichTextEditor::sendDocument()
{
    if (!m_pageRunning)
        return;
    const QString shown = markStyleBlocks(m_documentHtml, m_styleBlock);
    m_showable = shown.size() <= LargestShowableDocument;
    if (!m_showable) {
        // The text stays whole in documentHtml(); the page shows a notice, and nothing it
        // reports can replace the text. Nothing waiting to be done to a document can be.
        m_whenReady.clear();
        page()->runJavaScript(
                u"feedsmithEditor.load(-2, %1);"_s.arg(jsString(
                        u"<html><body><p>This entry is too large to be shown in the editor. It is kept unchanged.</p></body></html>"_s)),
                QWebEngineScript::ApplicationWorld);
        return;
    }
    m_bridge->setGeneration(m_generation);
    page()->runJavaScript(lookScript() + u"feedsmithEditor.load(%1, %2);"_s.arg(m_generation).arg(jsString(shown)),
                          QWebEngineScript::ApplicationWorld);
}

QString RichTextEditor::lookScript() const
{
    return u"feedsmithEditor.look(%1, %2);"_s.arg(jsString(paletteStyleSheet(palette())), jsString(accessibleName()));
}

void RichTextEditor::restyle()
{
    if (m_pageRunning)
        page()->runJavaScript(lookScript(), QWebEngineScript::ApplicationWorld);
}

void RichTextEditor::leaveBody(bool backward)
{
    // The next control of the window's tab order before or after the editor, whose page widget
    // sits wherever the web engine made it in the chain.
    QWidget *focus = QApplication::focusWidget();
    if (focus != this && !isAncestorOf(focus))
        return;
    for (QWidget *w = backward ? previousInFocusChain() : nextInFocusChain(); w && w != this;
         w = backward ? w->previousInFocusChain() : w->nextInFocusChain()) {
        if (isAncestorOf(w) || !(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisibleTo(window())
            || !w->isVisible())
            continue;
        w->setFocus(backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        return;
    }
}

void RichTextEditor::onPageReady(const QString &head, const QString &body)
{
    m_baselineHtml = composeDocument(head, body, m_styleBlock);
    m_ready = true;
    m_restarts = 0;
    // What was asked for while the document was on its way happens now, in order.
    const std::vector<std::function<void()>> pending = std::exchange(m_whenReady, {});
    for (const auto &action : pending)
        action();
    emit ready();
}

void RichTextEditor::onRenderProcessTerminated(int status)
{
    m_pageRunning = false;
    m_ready = false;
    if (status == QWebEnginePage::NormalTerminationStatus || m_restarts >= 3)
        return;
    // The text is kept here; a new page process shows it again.
    ++m_restarts;
    QMetaObject::invokeMethod(
            this, [this] { setDocumentHtml(m_documentHtml); }, Qt::QueuedConnection);
}

bool RichTextEditor::isCurrent() const
{
    return m_whenCurrent.empty()
            && (!m_ready || !m_showable || (m_keysReported >= m_keysSent && m_editsConfirmed >= m_editsSent));
}

void RichTextEditor::whenCurrent(std::function<void()> then)
{
    if (isCurrent()) {
        then();
        return;
    }
    m_whenCurrent.push_back(std::move(then));
    if (m_snapshotTimer->isActive())
        return; // a snapshot is on its way; it serves this as well
    m_snapshotClock.start();
    m_snapshotTimer->start();
    askForSnapshot();
}

void RichTextEditor::askForSnapshot()
{
    // Scripts run in the order they are sent: the answer comes after every command sent before.
    page()->runJavaScript(u"feedsmithEditor.snapshot()"_s, QWebEngineScript::ApplicationWorld,
                          [self = QPointer(this), generation = m_generation, edits = m_editsSent](const QVariant &value) {
                              if (self)
                                  self->takeSnapshot(generation, edits, value.toMap());
                          });
}

void RichTextEditor::takeSnapshot(int generation, int editsBefore, const QVariantMap &snapshot)
{
    if (!m_snapshotTimer->isActive())
        return; // given up on already
    // Another document was loaded meanwhile: the text given is its copy.
    if (generation != m_generation || !m_ready || snapshot.value(u"generation"_s).toInt() != m_generation) {
        endWaiting();
        return;
    }
    const int keys = snapshot.value(u"keys"_s).toInt();
    if (keys < m_keysSent && m_snapshotClock.elapsed() < FlushKeyLagMs) {
        askForSnapshot(); // a key press is still on its way to the page
        return;
    }
    // A key press the page never got (it went elsewhere) is not waited for again.
    m_keysSent = std::min(m_keysSent, keys);
    m_editsConfirmed = std::max(m_editsConfirmed, editsBefore);
    takePageDocument(snapshot.value(u"head"_s).toString(), snapshot.value(u"body"_s).toString(), keys);
    endWaiting();
}

void RichTextEditor::endWaiting()
{
    m_snapshotTimer->stop();
    const std::vector<std::function<void()>> waiting = std::exchange(m_whenCurrent, {});
    for (const auto &then : waiting)
        then();
}

void RichTextEditor::takePageDocument(const QString &head, const QString &body, int keys)
{
    if (!m_ready)
        return; // no baseline yet to tell an edit by
    m_keysReported = keys;
    const QString page = composeDocument(head, body, m_styleBlock);
    // The page's own way of writing the loaded document is no edit: the text given stays.
    const QString &html = page == m_baselineHtml ? m_loadedHtml : page;
    if (html == m_documentHtml)
        return;
    m_documentHtml = html;
    emit documentEdited();
}

void RichTextEditor::childEvent(QChildEvent *event)
{
    HtmlPane::childEvent(event);
    // The page's widget takes the key presses; they are counted on their way to it.
    if (event->added() && event->child()->isWidgetType())
        event->child()->installEventFilter(this);
}

bool RichTextEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && m_ready && countsAsTextKey(*static_cast<QKeyEvent *>(event)))
        ++m_keysSent;
    return HtmlPane::eventFilter(watched, event);
}

QString RichTextEditor::markStyleBlocks(const QString &html, const QString &styleBlock)
{
    const qsizetype innerStart = styleBlock.indexOf(u'>') + 1;
    const qsizetype innerEnd = styleBlock.lastIndexOf(StyleClose, -1, Qt::CaseInsensitive);
    if (styleBlock.isEmpty() || innerStart <= 0 || innerEnd < innerStart)
        return html;
    const QString marked = QString(MarkedStyleOpen) + styleBlock.mid(innerStart, innerEnd - innerStart) + StyleClose;
    QString result;
    result.reserve(html.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = html.indexOf(styleBlock, from, Qt::CaseInsensitive);
        if (at < 0)
            break;
        result += QStringView(html).mid(from, at - from);
        result += marked;
        from = at + styleBlock.size();
    }
    result += QStringView(html).mid(from);
    return result;
}

QString RichTextEditor::composeDocument(const QString &head, const QString &body, const QString &styleBlock)
{
    const QString page = "<html><head>"_L1 + head + "</head><body>"_L1 + body + "</body></html>"_L1;
    QString result;
    result.reserve(page.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = page.indexOf(MarkedStyleSerialized, from);
        if (at < 0)
            break;
        const qsizetype close = page.indexOf(StyleClose, at + MarkedStyleSerialized.size(), Qt::CaseInsensitive);
        if (close < 0)
            break;
        result += QStringView(page).mid(from, at - from);
        result += styleBlock;
        from = close + StyleClose.size();
    }
    result += QStringView(page).mid(from);
    return result;
}

QString RichTextEditor::commandName(int command)
{
    switch (command) {
    case DECMD_BOLD: return u"bold"_s;
    case DECMD_ITALIC: return u"italic"_s;
    case DECMD_UNDERLINE: return u"underline"_s;
    case DECMD_ORDERLIST: return u"insertOrderedList"_s;
    case DECMD_UNORDERLIST: return u"insertUnorderedList"_s;
    case DECMD_INDENT: return u"indent"_s;
    case DECMD_OUTDENT: return u"outdent"_s;
    case DECMD_JUSTIFYLEFT: return u"justifyLeft"_s;
    case DECMD_JUSTIFYCENTER: return u"justifyCenter"_s;
    case DECMD_JUSTIFYRIGHT: return u"justifyRight"_s;
    case DECMD_SETFORECOLOR: return u"foreColor"_s;
    case DECMD_CUT: return u"cut"_s;
    case DECMD_COPY: return u"copy"_s;
    case DECMD_PASTE: return u"paste"_s;
    case DECMD_SELECTALL: return u"selectAll"_s;
    case DECMD_HYPERLINK: return u"createLink"_s;
    default: return {};
    }
}

int RichTextEditor::queryStatus(int command) const
{
    const QString name = commandName(command);
    const QVariantMap states = m_bridge->commandStates();
    if (name.isEmpty() || !states.contains(name))
        return NotSupported;
    return states.value(name).toInt();
}

int RichTextEditor::queryNamed(const QString &name) const
{
    const QVariantMap states = m_bridge->commandStates();
    return states.contains(name) ? states.value(name).toInt() : int(NotSupported);
}

RichTextEditor::Link RichTextEditor::linkAtSelection() const
{
    const QVariantMap states = m_bridge->commandStates();
    Link link;
    link.url = states.value(u"linkHref"_s).toString();
    link.exists = !link.url.isEmpty();
    link.newWindow = states.value(u"linkTarget"_s).toString() == "_blank"_L1;
    link.text = states.value(u"selectionText"_s).toString();
    // The caret in a link edits that link, with its text.
    if (link.exists && link.text.isEmpty())
        link.text = states.value(u"linkText"_s).toString();
    if (!link.exists) {
        const QString clipboard = QGuiApplication::clipboard()->text();
        if (looksLikeAddress(link.text))
            link.url = link.text.trimmed();
        else if (looksLikeAddress(clipboard))
            link.url = clipboard.trimmed();
    }
    return link;
}

QString RichTextEditor::blockFormat() const
{
    return m_bridge->commandStates().value(u"formatBlock"_s).toString();
}

void RichTextEditor::execNamed(const QString &name, const QString &value)
{
    if (value.isEmpty())
        runInPage(u"feedsmithEditor.exec(%1);"_s.arg(jsString(name)));
    else
        runInPage(u"feedsmithEditor.exec(%1, %2);"_s.arg(jsString(name), jsString(value)));
}

void RichTextEditor::whenReady(std::function<void()> action)
{
    if (m_ready)
        action();
    else
        m_whenReady.push_back(std::move(action));
}

void RichTextEditor::runInPage(const QString &script)
{
    whenReady([this, script] {
        noteEditSent();
        page()->runJavaScript(script, QWebEngineScript::ApplicationWorld);
    });
}

void RichTextEditor::execCommand(int command, int option)
{
    const auto trigger = [this](QWebEnginePage::WebAction action) {
        whenReady([this, action] {
            noteEditSent();
            page()->triggerAction(action);
        });
    };
    switch (command) {
    case DECMD_CUT: trigger(QWebEnginePage::Cut); return;
    case DECMD_COPY: trigger(QWebEnginePage::Copy); return;
    case DECMD_PASTE: trigger(QWebEnginePage::Paste); return;
    case DECMD_SELECTALL: trigger(QWebEnginePage::SelectAll); return;
    case DECMD_HYPERLINK: {
        if (option == DontPromptUser || !m_linkPrompt)
            return;
        // The prompt takes the focus for a moment; that is no leaving of the editor.
        m_promptOpen = true;
        const std::optional<Link> link = m_linkPrompt(this, linkAtSelection());
        m_promptOpen = false;
        if (!link)
            return;
        if (link->remove) {
            runInPage(u"feedsmithEditor.unlink();"_s);
            return;
        }
        if (link->url.trimmed().isEmpty())
            return;
        runInPage(u"feedsmithEditor.link(%1, %2, %3);"_s.arg(jsString(link->url.trimmed()), jsString(link->text),
                                                             link->newWindow ? u"true"_s : u"false"_s));
        return;
    }
    default: break;
    }
    const QString name = commandName(command);
    if (!name.isEmpty())
        runInPage(u"feedsmithEditor.exec(%1);"_s.arg(jsString(name)));
}

void RichTextEditor::pasteHtml(const QString &html)
{
    runInPage(u"feedsmithEditor.insertHtml(%1);"_s.arg(jsString(html)));
}

void RichTextEditor::setContextMenu(const QStringList &texts, const QList<int> &states, const QPoint &globalPos)
{
    if (m_contextMenu)
        m_contextMenu->deleteLater();
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName(u"DHTMLEditorMenu"_s);
    m_contextMenu->setAttribute(Qt::WA_DeleteOnClose);
    // The dictionary's suggestions for a misspelled word come first; one replaces the word. They
    // belong to the one request they came with.
    const QStringList suggestions = std::exchange(m_suggestions, {});
    for (const QString &suggestion : suggestions) {
        QAction *item = m_contextMenu->addAction(suggestion);
        connect(item, &QAction::triggered, this, [this, suggestion] {
            noteEditSent();
            page()->replaceMisspelledWord(suggestion);
            emit spellingReplaced();
        });
    }
    // A word the dictionary does not know may be taken into the user's own.
    const QString misspelled = std::exchange(m_menuMisspelled, {});
    if (const QString word = misspelled; !word.isEmpty()) {
        QAction *add = m_contextMenu->addAction(m_addToDictionaryText);
        add->setObjectName(u"addToDictionary"_s);
        connect(add, &QAction::triggered, this, [this, word] {
            QString error;
            const bool added = AddToUserDictionary(UserDictionaryFolder(), word, &error);
            emit wordAddedToDictionary(word, added ? QString() : error);
        });
    }
    if (!suggestions.isEmpty() || !misspelled.isEmpty())
        m_contextMenu->addSeparator();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        QAction *item = texts.at(i).isEmpty() ? m_contextMenu->addSeparator() : m_contextMenu->addAction(texts.at(i));
        item->setEnabled(states.value(i) != 2);
        connect(item, &QAction::triggered, this, [this, i] { emit contextMenuItemTriggered(int(i)); });
    }
    m_contextMenu->popup(globalPos);
}

void RichTextEditor::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    const QWebEngineContextMenuRequest *request = lastContextMenuRequest();
    m_misspelled = request ? request->misspelledWord() : QString();
    m_menuMisspelled = m_misspelled;
    m_suggestions = request ? request->spellCheckerSuggestions() : QStringList();
    // What the engine can do at the place clicked: a selection right-clicked can be cut and
    // copied at once, before the page has reported the new selection.
    m_menuEditFlags = request ? int(request->editFlags()) : 0;
    emit contextMenuRequested(event->globalPos());
}

void RichTextEditor::setSpellCheckLanguage(const QString &language)
{
    QWebEngineProfile *profile = page()->profile();
    profile->setSpellCheckLanguages({language});
    profile->setSpellCheckEnabled(!language.isEmpty());
}

QString RichTextEditor::spellCheckLanguage() const
{
    const QWebEngineProfile *profile = page()->profile();
    return profile->isSpellCheckEnabled() ? profile->spellCheckLanguages().value(0) : QString();
}

void RichTextEditor::onFocusChanged(QWidget *, QWidget *now)
{
    // The window losing the activation moves the focus to nothing; that is no focus change
    // inside the window.
    if (!now || m_promptOpen)
        return;
    // Nor is a popup (the context menu, a tool tip) taking the keyboard for a moment.
    if (now->window()->windowType() == Qt::Popup)
        return;
    const bool inside = now == this || isAncestorOf(now);
    if (inside == m_hasFocus)
        return;
    m_hasFocus = inside;
    if (inside)
        emit focusReceived();
    else
        emit focusLost();
}

} // namespace Feedsmith
