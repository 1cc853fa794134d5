// The RSS file's options.
#include "core/output/feedoptions.h"

#include "core/text/textencoding.h"

#include <QHash>

namespace Feedsmith {

using namespace Qt::StringLiterals;

FeedOptions FeedOptions::of(const FeedDocument &document)
{
    FeedOptions options;
    options.entryDatesAndIds = document.channel.itemids == "1"_L1;
    options.keepAccents = document.channel.keepaccents == "1"_L1;
    options.selfUrl = document.ftp.feedurl.trimmed();
    return options;
}

QString referencedBeyondAscii(QStringView text)
{
    QString out;
    out.reserve(text.size() + 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            out += QChar(c);
            continue;
        }
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode()))
            code = QChar::surrogateToUcs4(c, text[++i].unicode());
        out += "&#"_L1;
        out += QString::number(uint(code));
        out += u';';
    }
    return out;
}

QList<QString> EntryIds(const FeedDocument &document)
{
    const QString &link = document.channel.link;
    const QString prefix = link.trimmed().isEmpty() ? u"urn:feedsmith:"_s : link.trimmed() + u'#';
    const int count = document.entryCount();
    QList<QString> ids;
    ids.reserve(count);
    QHash<QString, int> seen; // how often each second was met so far
    seen.reserve(count);
    for (int i = 1; i <= count; ++i) {
        // An entry whose date could not be read keeps the text it has in the project.
        const RSSentry &entry = document.entries.at(i);
        const QString moment = entry.unreadDate.isEmpty() ? entry.createdate.toString(u"yyyy-MM-dd'T'HH:mm:ss"_s)
                                                          : OneLine(entry.unreadDate.trimmed());
        const int times = ++seen[moment];
        ids.append(prefix + moment + (times > 1 ? u'-' + QString::number(times) : QString()));
    }
    return ids;
}

} // namespace Feedsmith
