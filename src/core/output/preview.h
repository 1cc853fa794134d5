// The HTML preview page, built from the templates beside the program.
#pragma once

#include "core/document/feeddocument.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace Feedsmith {

// The outcome of a preview build.
struct PreviewResult
{
    bool ok = false;
    // The page the browser is to show: the written page, or "empty.html" when no entry is shown.
    QString pagePath;
    bool emptyPage = false;
    // The window caption the build asks for ("Feedsmith - " and the channel title), if any.
    std::optional<QString> windowCaption;
    QString error;
};

// Fills "preview.html" with the channel and the newest entries (each from "entry.html") and
// writes the page to pagePath, normally "rsspreview.html" in the user's cache folder. With nothing
// to show, the result names "empty.html" and nothing is written. The window commits the entry
// being edited first, when FeedItemCount shows entries.
// The page template's {PREVIEWLABEL} says what the page is, in the interface language.
inline const QString DefaultPreviewLabel = QStringLiteral("Feed preview");

PreviewResult BuildPreview(const FeedDocument &document, const QString &programFolder, const QString &pagePath,
                           const QLocale &locale = QLocale::system(), const QString &label = DefaultPreviewLabel);

// The page text alone, from the texts of the three templates (no file is touched).
QString BuildPreviewPage(const FeedDocument &document, int taken, const QString &entryTemplate,
                         const QString &pageTemplate, const QString &styleBlock,
                         const QString &label = DefaultPreviewLabel);

// The file BuildPreview writes: the page in Windows-1252, characters without a code as
// references, closed by CR LF. The page template gets the content policy (WithContentPolicy),
// so that the entries' texts cannot load objects or move the page's base address.
QByteArray BuildPreviewFile(const FeedDocument &document, int taken, const QString &entryTemplate,
                            const QString &pageTemplate, const QString &styleBlock,
                            const QString &label = DefaultPreviewLabel);

// page with ContentPolicyMeta right after its <head> tag; a page without one stays as it is.
QString WithContentPolicy(const QString &page);

// "rsspreview.html" in the user's cache folder (made when missing), whatever the program folder.
QString defaultPreviewPath(const QString &programFolder);

} // namespace Feedsmith
