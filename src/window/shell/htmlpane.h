// An HTML view whose document can be read back at once, the way the window's panes are used.
#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineView>

class QWebEngineProfile;

namespace Feedsmith {

class RequestGuard;

// A web view that keeps the HTML it was last given, so that the program reads a pane's
// document synchronously. Display-only unless a caller makes it editable.
//
// What a pane shows may come from someone else (a project's entries, a template, a language
// file), so every pane runs no script of the document, follows no navigation the program did
// not start, and loads sub-resources only by http, https and data, or as files from the
// folder of its own page.
class HtmlPane : public QWebEngineView
{
    Q_OBJECT

public:
    explicit HtmlPane(QWidget *parent = nullptr);
    // A pane whose page belongs to `profile` rather than the default one.
    HtmlPane(QWebEngineProfile *profile, QWidget *parent);

    // The whole document last set (an editing pane gives the document as edited).
    virtual QString documentHtml() const { return m_documentHtml; }
    // Replaces the document shown; relative references resolve against the base folder.
    virtual void setDocumentHtml(const QString &html);
    void setBaseFolder(const QString &folder);
    QUrl baseUrl() const { return m_baseUrl; }
    // Shows a page file (loaded again when it is the page already shown); its folder becomes
    // the one the page may read files from.
    void showFile(const QString &path);

    // No context menu, no keyboard focus, nothing dropped onto it is opened; scroll bars show
    // only when the text overflows.
    void makeDisplayOnly();
    // The pane's documents show in the window's colours (its palette, a dark one too), from a
    // style of their own after the document's: what documentHtml() gives stays as it was set.
    void followPalette();
    bool followsPalette() const { return m_followsPalette; }
    // The style sheet that colours a document as the palette colours the window's boxes.
    static QString paletteStyleSheet(const QPalette &palette);

    // A display-only help pane filling frame, with pages from the program folder; it stays
    // readable at the window's smallest size.
    static HtmlPane *addHelpPane(QWidget *frame, const QString &objectName, const QString &programFolder);

    // Whether a page whose files lie in folder may load url as a resource of the given
    // QWebEngineUrlRequestInfo::ResourceType.
    static bool allowsRequest(const QUrl &url, int resourceType, const QString &folder);

protected:
    void changeEvent(QEvent *event) override;
    // Shows the document again in the palette's colours.
    virtual void restyle();

private:
    // The document as shown: named for a screen reader by the pane's name, and in the palette's
    // colours when the pane follows the palette.
    QString shownHtml(const QString &html) const;

    QString m_documentHtml;
    QUrl m_baseUrl;
    RequestGuard *m_guard = nullptr;
    bool m_followsPalette = false;
};

} // namespace Feedsmith
