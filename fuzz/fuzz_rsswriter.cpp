// Fuzzes the RSS writer with documents made of arbitrary text: the output is always
// well-formed XML in plain ASCII.
#include "core/document/feeddocument.h"
#include "core/output/rsswriter.h"

#include <QXmlStreamReader>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace Feedsmith;
    // The input is UTF-16 text, cut into fields at every "|".
    const QString text(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    const QStringList parts = text.split(u'|');
    auto part = [&parts](int i) { return i < parts.size() ? parts.at(i) : QString(); };

    FeedDocument document;
    int p = 0;
    for (const DocumentField &field : DocumentFields) {
        if (field.isChannelField())
            field.value(document) = part(p++);
    }
    document.channel.number = QStringLiteral("50");
    for (int i = p; i + 2 < parts.size() && document.entryCount() < 50; i += 3)
        document.entries.append(
                RSSentry{part(i), part(i + 1), part(i + 2), QDateTime(QDate(2026, 12, 6), QTime(19, 41))});

    const QByteArray rss = BuildRssFile(document, QStringLiteral("<style type=text/css><!--p{}--></style>"),
                                        QDateTime(QDate(2026, 12, 6), QTime(19, 41, 29)), QLocale::c());
    for (const char c : rss) {
        if (static_cast<unsigned char>(c) >= 128)
            std::abort();
    }
    QXmlStreamReader xml(rss);
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError()) {
        std::fprintf(stderr, "malformed RSS: %s\n", qPrintable(xml.errorString()));
        std::abort();
    }
    return 0;
}
