// Fuzzes the preview page with arbitrary templates and documents: the page is built in one
// pass over each template, so it never grows faster than the texts put into it.
#include "core/document/feeddocument.h"
#include "core/output/preview.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace Feedsmith;
    // The input is UTF-16 text, cut into fields at every "|": the two templates, the style
    // block, four channel fields, then title, link and body of each entry.
    const QString text(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    const QStringList parts = text.split(u'|');
    auto part = [&parts](int i) { return i < parts.size() ? parts.at(i) : QString(); };

    FeedDocument document;
    document.channel.title = part(3);
    document.channel.imageurl = part(4);
    document.channel.imagetitle = part(5);
    document.channel.imagelink = part(6);
    qsizetype entryTexts = 0;
    for (int i = 7; i + 2 < parts.size() && document.entryCount() < 50; i += 3) {
        document.entries.append(RSSentry{part(i), part(i + 1), part(i + 2)});
        entryTexts += 2 * part(i).size() + 6 * part(i + 1).size() + 20 + part(i + 2).size();
    }
    const QString entryTemplate = part(0);
    const QString pageTemplate = part(1);
    const QString styleBlock = part(2);
    const QString page = BuildPreviewPage(document, document.entryCount(), entryTemplate, pageTemplate, styleBlock);

    // Every placeholder is at least 7 characters long; each is replaced by one inserted text.
    const qsizetype entries =
            document.entryCount() * entryTemplate.size() + (entryTemplate.size() / 7 + 1) * entryTexts;
    const qsizetype channel = 6 * (part(3).size() + part(4).size() + part(5).size() + part(6).size()) + 80;
    const qsizetype bound =
            pageTemplate.size() + (pageTemplate.size() / 7 + 1) * (entries + channel + styleBlock.size());
    if (page.size() > bound) {
        std::fprintf(stderr, "page of %lld characters from a bound of %lld\n", qlonglong(page.size()),
                     qlonglong(bound));
        std::abort();
    }
    return 0;
}
