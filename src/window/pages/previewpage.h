// The preview page: the feed as a reader would see it.
#pragma once

#include "window/pages/pagecontext.h"

#include <QString>
#include <QWidget>

namespace Feedsmith {

class HtmlPane;

// Builds the preview page of the document and shows it in the page's browser.
class PreviewPage : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewPage(const PageContext &context, QWidget *parent = nullptr);

    // Builds the preview and shows it; a failed build leaves the browser's page.
    void buildPreview();
    // The page the browser was last sent to.
    QString previewPath() const { return m_previewPath; }

signals:
    // Before a preview with entries: the entry being edited must go into its entry.
    void entryCommitNeeded();
    // The preview set the number of entries back to its default.
    void documentFieldsChanged();
    // The preview's caption for the window.
    void windowCaptionChanged(const QString &caption);

private:
    PageContext m_context;
    HtmlPane *m_browser = nullptr;
    QString m_previewPath;
};

} // namespace Feedsmith
