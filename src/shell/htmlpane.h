// An HTML view whose document can be read back at once, the way the window's panes are used.
#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineView>

namespace Feedsmith {

// A web view that keeps the HTML it was last given, so that the program reads a pane's
// document synchronously. Display-only unless a caller makes it editable.
class HtmlPane : public QWebEngineView
{
    Q_OBJECT

public:
    explicit HtmlPane(QWidget *parent = nullptr);

    // The whole document last set (an editing pane gives the document as edited).
    virtual QString documentHtml() const { return m_documentHtml; }
    // Replaces the document shown; relative references resolve against the base folder.
    virtual void setDocumentHtml(const QString &html);
    void setBaseFolder(const QString &folder);

    // No context menu, no script, and no keyboard focus; scroll bars show only when the text overflows.
    void makeDisplayOnly();

protected:
    QUrl baseUrl() const { return m_baseUrl; }

private:
    QString m_documentHtml;
    QUrl m_baseUrl;
};

} // namespace Feedsmith
