// The preview page: the feed as a reader would see it.
#include "window/pages/previewpage.h"

#include "core/output/preview.h"
#include "core/output/rsswriter.h"
#include "core/system/systemlocale.h"
#include "window/pages/captions.h"
#include "window/shell/htmlpane.h"

#include <QVBoxLayout>

namespace Feedsmith {

using namespace Qt::StringLiterals;

PreviewPage::PreviewPage(const PageContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    context.captions.addPage(this, u"frePreview"_s);
    auto *layout = new QVBoxLayout(this);
    m_browser = new HtmlPane(this);
    m_browser->setObjectName(u"WebBrowser1"_s);
    context.captions.nameAfter(m_browser, this);
    layout->addWidget(m_browser);
}

void PreviewPage::buildPreview()
{
    FeedDocument &document = m_context.document;
    const QString folder = m_context.startup.programFolder;
    const QLocale locale = SystemLocale::locale();
    // A page with entries shows what is being edited.
    if (FeedItemCount(document.channel, document.entryCount(), locale).countValue > 0)
        emit entryCommitNeeded();
    const PreviewResult result =
            BuildPreview(document, folder, defaultPreviewPath(folder), locale,
                         m_context.startup.language.textTable.valueOr(u"previewlabel"_s, DefaultPreviewLabel));
    if (ResetFeedItemNumber(document.channel, locale))
        emit documentFieldsChanged();
    if (!result.ok)
        return; // the browser keeps its page
    if (result.windowCaption)
        emit windowCaptionChanged(*result.windowCaption);
    m_previewPath = result.pagePath;
    m_browser->showFile(result.pagePath);
}

} // namespace Feedsmith
