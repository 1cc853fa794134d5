// HTML panes.
#include "shell/htmlpane.h"

#include <QDir>
#include <QWebEngineSettings>

namespace Feedsmith {

HtmlPane::HtmlPane(QWidget *parent)
    : QWebEngineView(parent)
{
}

void HtmlPane::setBaseFolder(const QString &folder)
{
    m_baseUrl = QUrl::fromLocalFile(QDir(folder).absolutePath() + u'/');
}

void HtmlPane::setDocumentHtml(const QString &html)
{
    m_documentHtml = html;
    setHtml(html, m_baseUrl);
}

void HtmlPane::makeDisplayOnly()
{
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::NoFocus);
    settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
}

} // namespace Feedsmith
