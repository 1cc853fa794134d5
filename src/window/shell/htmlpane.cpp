// HTML panes.
#include "window/shell/htmlpane.h"

#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

namespace Feedsmith {

using namespace Qt::StringLiterals;

// Refuses every request of a pane's page that the pane does not allow.
class RequestGuard : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void setFolder(const QString &folder) { m_folder = folder; }

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (!HtmlPane::allowsRequest(info.requestUrl(), info.resourceType(), m_folder))
            info.block(true);
    }

private:
    QString m_folder;
};

namespace {

// A page that goes only where the program sends it: a link the user clicks opens in the
// desktop's browser, and nothing in the document (a refresh, a form, a script) moves the pane.
class GuardedPage : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (type == NavigationTypeTyped || type == NavigationTypeReload)
            return true;
        if (!isMainFrame) // frames of the document load as resources, which the guard checks
            return type != NavigationTypeFormSubmitted && url.scheme() != "javascript"_L1;
        const QString scheme = url.scheme();
        if (type == NavigationTypeLinkClicked && (scheme == "http"_L1 || scheme == "https"_L1 || scheme == "mailto"_L1))
            QDesktopServices::openUrl(url);
        return false;
    }
};

QString folderPath(const QString &folder)
{
    return folder.isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
}

} // namespace

bool HtmlPane::allowsRequest(const QUrl &url, int resourceType, const QString &folder)
{
    switch (resourceType) {
    case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
    case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
    case QWebEngineUrlRequestInfo::ResourceTypeMedia: break;
    default: return false; // scripts, fetches, sockets, pings, prefetches, plugins, workers, icons
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == "http"_L1 || scheme == "https"_L1 || scheme == "data"_L1)
        return true;
    if (scheme != "file"_L1 || folder.isEmpty() || !url.host().isEmpty())
        return false;
    const QString path = QDir::cleanPath(url.toLocalFile());
    const QString root = folderPath(folder);
    return path == root || path.startsWith(root.endsWith(u'/') ? root : root + u'/');
}

HtmlPane::HtmlPane(QWidget *parent)
    : HtmlPane(nullptr, parent)
{ }

HtmlPane::HtmlPane(QWebEngineProfile *profile, QWidget *parent)
    : QWebEngineView(parent)
{
    auto *guarded = profile ? new GuardedPage(profile, this) : new GuardedPage(this);
    // The page asks its guard until it is gone, so the guard goes with the page.
    m_guard = new RequestGuard(guarded);
    guarded->setUrlRequestInterceptor(m_guard);
    setPage(guarded);
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // A page from a file shows images from the web only with this; what else it would open
    // (fetches from the page) the guard refuses, and scripts are off.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
}

void HtmlPane::setBaseFolder(const QString &folder)
{
    m_baseUrl = QUrl::fromLocalFile(QDir(folder).absolutePath() + u'/');
    m_guard->setFolder(folder);
}

void HtmlPane::setDocumentHtml(const QString &html)
{
    m_documentHtml = html;
    setHtml(shownHtml(html), m_baseUrl);
}

QString HtmlPane::shownHtml(const QString &html) const
{
    QString shown = html;
    if (m_followsPalette) {
        const QString style = u"<style>"_s + paletteStyleSheet(palette()) + u"</style>"_s;
        const qsizetype headEnd = shown.indexOf(u"</head>"_s, 0, Qt::CaseInsensitive);
        shown.insert(std::max<qsizetype>(headEnd, 0), style);
    }
    // A web page is named by its title, which help pages have none of: the pane names it.
    static const QRegularExpression root(u"<html(?=[\\s>])"_s, QRegularExpression::CaseInsensitiveOption);
    if (!accessibleName().isEmpty())
        shown.replace(root, u"<html aria-label=\"%1\""_s.arg(accessibleName().toHtmlEscaped()));
    return shown;
}

QString HtmlPane::paletteStyleSheet(const QPalette &palette)
{
    // "html body" outweighs the program's style sheet ("body"); what an entry styles itself stays.
    const auto colour = [&palette](QPalette::ColorRole role) { return palette.color(QPalette::Active, role).name(); };
    return u"html, html body { background: %1; color: %2; }"
           " html body h1, html body h2, html body h3, html body h4 { color: inherit; }"
           " html body a { color: %3; }"
           " html body code, html body pre, html body blockquote { background: %4; color: inherit; }"
           " html body blockquote { border-left-color: %5; }"
           " ::selection { background: %6; color: %7; }"_s.arg(
                   colour(QPalette::Base), colour(QPalette::Text), colour(QPalette::Link),
                   colour(QPalette::AlternateBase), colour(QPalette::Mid), colour(QPalette::Highlight),
                   colour(QPalette::HighlightedText));
}

void HtmlPane::followPalette()
{
    m_followsPalette = true;
    page()->setBackgroundColor(palette().color(QPalette::Base));
}

void HtmlPane::changeEvent(QEvent *event)
{
    QWebEngineView::changeEvent(event);
    if (m_followsPalette && event->type() == QEvent::PaletteChange) {
        page()->setBackgroundColor(palette().color(QPalette::Base));
        restyle();
    }
}

void HtmlPane::restyle()
{
    if (!m_documentHtml.isNull())
        setHtml(shownHtml(m_documentHtml), m_baseUrl);
}

void HtmlPane::showFile(const QString &path)
{
    const QFileInfo file(path);
    m_guard->setFolder(file.absolutePath());
    const QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    if (this->url() == url)
        reload();
    else
        load(url);
}

HtmlPane *HtmlPane::addHelpPane(QWidget *frame, const QString &objectName, const QString &programFolder)
{
    auto *layout = new QVBoxLayout(frame);
    auto *pane = new HtmlPane(frame);
    pane->setObjectName(objectName);
    pane->setBaseFolder(programFolder);
    pane->makeDisplayOnly();
    pane->followPalette();
    pane->setMinimumWidth(180);
    layout->addWidget(pane);
    return pane;
}

void HtmlPane::makeDisplayOnly()
{
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::NoFocus);
    settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    settings()->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
}

} // namespace Feedsmith
