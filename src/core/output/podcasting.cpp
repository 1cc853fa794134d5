// Podcasting 2.0 tags and GUIDs.
#include "core/output/podcasting.h"

#include <QUrl>
#include <QUuid>

namespace Feedsmith {

using namespace Qt::StringLiterals;

QString PodcastGuid(const QString &feedUrl)
{
    const QString address = feedUrl.trimmed();
    const QUrl url(address);
    if (!url.isValid() || (url.scheme() != "http"_L1 && url.scheme() != "https"_L1) || url.host().isEmpty())
        return {};
    // The address as typed, less "https://" (in any case) and its closing slashes.
    QStringView name = QStringView(address).sliced(address.indexOf("://"_L1) + 3);
    while (name.endsWith(u'/'))
        name.chop(1);
    static const QUuid space(u"ead4c236-bf58-58c6-a2c6-a6b28d128cb6"_s);
    return QUuid::createUuidV5(space, name.toUtf8()).toString(QUuid::WithoutBraces);
}

bool SettlePodcastGuid(FeedDocument &document)
{
    ChannelSettings &c = document.channel;
    if (c.podcast != "1"_L1 || !c.podcastguid.trimmed().isEmpty())
        return false;
    c.podcastguid = PodcastGuid(document.ftp.feedurl);
    return !c.podcastguid.isEmpty();
}

bool UsesPodcastingTags(const FeedDocument &document, int taken)
{
    const ChannelSettings &c = document.channel;
    if (c.podcast != "1"_L1)
        return false;
    // As the writer takes them: the GUID and the owner trimmed.
    if (!c.podcastguid.trimmed().isEmpty() || c.podcastlocked == "1"_L1 || !c.podcastlockowner.trimmed().isEmpty()
        || !c.podcastfunding.isEmpty() || !c.podcastperson.isEmpty())
        return true;
    // Only episodes carry them: entries with an enclosure.
    const int count = document.entryCount();
    for (int k = 0; k < taken && k < count; ++k) {
        const RSSentry &entry = document.entries.at(count - k);
        if (!entry.enclosureurl.isEmpty()
            && (!entry.transcripts.isEmpty() || !entry.chapters.isEmpty() || !entry.persons.isEmpty()))
            return true;
    }
    return false;
}

} // namespace Feedsmith
