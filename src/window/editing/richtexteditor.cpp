// The entry editor's web view.
#include "window/editing/richtexteditor.h"

#include "core/text/textfiles.h"
#include "window/editing/editorbridge.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QMenu>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

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

// A page loaded from a text is passed as a data URL, which the web engine takes only up to 2 MB.
constexpr qsizetype LargestShowableDocument = 2 * 1024 * 1024 - 64 * 1024;

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

std::optional<QString> askForLink(QWidget *parent)
{
    bool ok = false;
    const QString url = QInputDialog::getText(parent, QString::fromLatin1(Version::ProductName), u"URL:"_s,
                                              QLineEdit::Normal, u"http://"_s, &ok);
    if (!ok)
        return std::nullopt;
    return url;
}

} // namespace

RichTextEditor::RichTextEditor(QWidget *parent)
    : HtmlPane(parent)
    , m_linkPrompt(askForLink)
{
    initEditingResources();
    QWebEngineSettings *s = settings();
    // Scripts of the document stay off (as in every pane), so no markup of a body runs here;
    // the page script runs in a world of its own, which that does not touch.
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, true);
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);

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

    connect(m_bridge, &EditorBridge::pageReady, this, [this] {
        m_ready = true;
        emit ready();
    });
    connect(m_bridge, &EditorBridge::documentChanged, this, [this](const QString &head, const QString &body) {
        m_documentHtml = composeDocument(head, body, m_styleBlock);
        emit documentEdited();
    });
    connect(m_bridge, &EditorBridge::commandStatesChanged, this, &RichTextEditor::commandStatesChanged);
    connect(qApp, &QApplication::focusChanged, this, &RichTextEditor::onFocusChanged);
}

RichTextEditor::~RichTextEditor() = default;

void RichTextEditor::setDocumentHtml(const QString &html)
{
    m_documentHtml = html;
    m_ready = false;
    ++m_generation;
    QString folder = baseUrl().toLocalFile();
    if (folder.isEmpty())
        folder = QDir::currentPath();
    m_styleBlock = BuildStyleBlock(folder);
    const QString shown = markStyleBlocks(html, m_styleBlock);

    QUrl url = baseUrl().isEmpty() ? QUrl::fromLocalFile(QDir::currentPath() + u'/') : baseUrl();
    m_showable = shown.toUtf8().size() <= LargestShowableDocument;
    if (!m_showable) {
        // The text stays whole in documentHtml(); the page shows a notice, and nothing it
        // reports can replace the text.
        m_bridge->setGeneration(-2);
        setHtml(u"<html><body><p>This entry is too large to be shown in the editor. It is kept unchanged.</p></body></html>"_s,
                url);
        return;
    }
    m_bridge->setGeneration(m_generation);
    url.setFragment(u"feedsmith-"_s + QString::number(m_generation));
    setHtml(shown, url);
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

void RichTextEditor::runInPage(const QString &script)
{
    if (m_ready)
        page()->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

void RichTextEditor::execCommand(int command, int option)
{
    switch (command) {
    case DECMD_CUT: page()->triggerAction(QWebEnginePage::Cut); return;
    case DECMD_COPY: page()->triggerAction(QWebEnginePage::Copy); return;
    case DECMD_PASTE: page()->triggerAction(QWebEnginePage::Paste); return;
    case DECMD_SELECTALL: page()->triggerAction(QWebEnginePage::SelectAll); return;
    case DECMD_HYPERLINK: {
        if (option == DontPromptUser || !m_linkPrompt)
            return;
        // The prompt takes the focus for a moment; that is no leaving of the editor.
        m_promptOpen = true;
        const std::optional<QString> url = m_linkPrompt(this);
        m_promptOpen = false;
        if (!url || url->isEmpty())
            return;
        runInPage(u"feedsmithEditor.exec('createLink', %1);"_s.arg(jsString(*url)));
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
    emit contextMenuRequested(event->globalPos());
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
