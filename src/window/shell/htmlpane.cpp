// HTML panes.
#include "window/shell/htmlpane.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
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
    setHtml(html, m_baseUrl);
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
