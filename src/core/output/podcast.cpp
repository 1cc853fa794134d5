// Podcast categories and rules.
#include "core/output/podcast.h"

#include "core/document/media.h"
#include "core/document/mediaduration.h"
#include "core/output/feedcheck.h"
#include "core/output/feedoptions.h"
#include "core/output/rsswriter.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

struct Category
{
    const char *name;
    std::initializer_list<const char *> subcategories;
};

// Apple Podcasts' categories and subcategories as its directory lists them.
const Category Categories[] = {
        {"Arts", {"Books", "Design", "Fashion & Beauty", "Food", "Performing Arts", "Visual Arts"}},
        {"Business", {"Careers", "Entrepreneurship", "Investing", "Management", "Marketing", "Non-Profit"}},
        {"Comedy", {"Comedy Interviews", "Improv", "Stand-Up"}},
        {"Education", {"Courses", "How To", "Language Learning", "Self-Improvement"}},
        {"Fiction", {"Comedy Fiction", "Drama", "Science Fiction"}},
        {"Government", {}},
        {"History", {}},
        {"Health & Fitness", {"Alternative Health", "Fitness", "Medicine", "Mental Health", "Nutrition", "Sexuality"}},
        {"Kids & Family", {"Education for Kids", "Parenting", "Pets & Animals", "Stories for Kids"}},
        {"Leisure",
         {"Animation & Manga", "Automotive", "Aviation", "Crafts", "Games", "Hobbies", "Home & Garden", "Video Games"}},
        {"Music", {"Music Commentary", "Music History", "Music Interviews"}},
        {"News",
         {"Business News", "Daily News", "Entertainment News", "News Commentary", "Politics", "Sports News",
          "Tech News"}},
        {"Religion & Spirituality",
         {"Buddhism", "Christianity", "Hinduism", "Islam", "Judaism", "Religion", "Spirituality"}},
        {"Science",
         {"Astronomy", "Chemistry", "Earth Sciences", "Life Sciences", "Mathematics", "Natural Sciences", "Nature",
          "Physics", "Social Sciences"}},
        {"Society & Culture", {"Documentary", "Personal Journals", "Philosophy", "Places & Travel", "Relationships"}},
        {"Sports",
         {"Baseball", "Basketball", "Cricket", "Fantasy Sports", "Football", "Golf", "Hockey", "Rugby", "Running",
          "Soccer", "Swimming", "Tennis", "Volleyball", "Wilderness", "Wrestling"}},
        {"Technology", {}},
        {"True Crime", {}},
        {"TV & Film", {"After Shows", "Film History", "Film Interviews", "Film Reviews", "TV Reviews"}},
};

bool isWebAddress(const QString &address)
{
    const QString a = address.trimmed();
    return a.startsWith("http://"_L1, Qt::CaseInsensitive) || a.startsWith("https://"_L1, Qt::CaseInsensitive);
}

// The media types Apple Podcasts takes for an episode.
constexpr const char *AppleMediaTypes[] = {"audio/mpeg",  "audio/x-m4a",     "audio/mp4",      "video/mp4",
                                           "video/x-m4v", "video/quicktime", "application/pdf"};

bool isAppleMediaType(const QString &type)
{
    return std::any_of(std::begin(AppleMediaTypes), std::end(AppleMediaTypes),
                       [&type](const char *known) { return type == QLatin1StringView(known); });
}

// An e-mail address alone, as the owner's field holds it.
bool isMailAddress(const QString &value)
{
    static const QRegularExpression mail(u"\\A[^\\s@()<>,;:\"]+@[^\\s@()<>,;:\"]+\\.[A-Za-z0-9-]{2,}\\z"_s);
    return mail.match(value).hasMatch();
}

} // namespace

QStringList PodcastCategories()
{
    QStringList names;
    for (const Category &category : Categories)
        names.append(QString::fromLatin1(category.name));
    return names;
}

QStringList PodcastSubcategories(const QString &category)
{
    QStringList names;
    for (const Category &c : Categories) {
        if (category == QLatin1StringView(c.name)) {
            for (const char *name : c.subcategories)
                names.append(QString::fromLatin1(name));
        }
    }
    return names;
}

QString PodcastType(const QString &typed)
{
    const QString type = typed.trimmed().toLower();
    return type == "episodic"_L1 || type == "serial"_L1 ? type : QString();
}

bool IsPodcastDuration(const QString &typed)
{
    static const QRegularExpression duration(u"\\A(?:\\d+|(?:\\d{1,3}:)?[0-5]?\\d:[0-5]\\d)\\z"_s);
    return duration.match(typed.trimmed()).hasMatch();
}

QStringList PodcastProblems(const FeedDocument &document, const QLocale &locale, const KeyedTexts &texts)
{
    QStringList problems;
    for (const PodcastProblem &problem : PodcastFindings(document, locale, texts))
        problems.append(problem.text);
    return problems;
}

QList<PodcastProblem> PodcastFindings(const FeedDocument &document, const QLocale &locale, const KeyedTexts &texts)
{
    const ChannelSettings &c = document.channel;
    QList<PodcastProblem> problems;
    // A sentence about a channel field, the values put in at once.
    const auto say = [&texts, &problems](const char *field, const char *textKey, const QString &english,
                                         const QStringList &values = {}) {
        QString text = texts.valueOr(QString::fromLatin1(textKey), english);
        if (values.size() == 1)
            text = text.arg(values.at(0));
        else if (values.size() == 2)
            text = text.arg(values.at(0), values.at(1));
        problems.append({text, QString::fromLatin1(field), 0, QString::fromLatin1(textKey)});
    };
    if (c.title.trimmed().isEmpty())
        say("title", "podcastnotitle", u"The feed has no title; podcast directories require one."_s);
    if (c.description.trimmed().isEmpty())
        say("description", "podcastnodescription", u"The feed has no description; podcast directories require one."_s);
    else if (const qsizetype bytes = c.description.toUtf8().size(); bytes > 4000)
        say("description", "podcastdescriptionlong",
            u"The description is %1 bytes long; podcast directories take at most 4000."_s, {QString::number(bytes)});
    if (c.language.trimmed().isEmpty())
        say("language", "podcastnolanguage", u"The feed has no language; podcast directories require one."_s);
    if (c.link.trimmed().isEmpty())
        say("link", "podcastnolink", u"The feed has no link; podcast directories require one."_s);
    // The feed names its own address (atom:link rel="self") and dates its episodes only with
    // entry dates and IDs, and the address only when it is given.
    const FeedOptions options = FeedOptions::of(document);
    const QUrl self(options.selfUrl, QUrl::StrictMode);
    const bool selfAddress = self.isValid() && !self.host().isEmpty() && isWebAddress(options.selfUrl);
    if (!options.entryDatesAndIds || !selfAddress)
        say(selfAddress ? "itemids" : "feedurl", "podcastnoselflink",
            u"The feed does not name its own address; podcast directories require it. Give the public address of "
            "the feed and give entries dates and IDs."_s);
    if (!options.entryDatesAndIds)
        say("itemids", "podcastnodates",
            u"The episodes have no publication dates; podcast directories require them. Give entries dates and "
            "IDs."_s);

    if (c.podcast != "1"_L1) {
        say("podcast", "podcastnotmarked",
            u"The feed is not marked as a podcast, so it says neither whether it is explicit nor "
            "which artwork and category it has; podcast directories require all three."_s);
    } else {
        if (c.podcastimage.trimmed().isEmpty())
            say("podcastimage", "podcastnoartwork",
                u"The podcast has no artwork; give the address of a square JPEG or PNG image of "
                "1400 to 3000 pixels."_s);
        else if (!isWebAddress(c.podcastimage) && !IsLocalMedia(c.podcastimage.trimmed())) // media: told by the check
            say("podcastimage", "podcastartworkweb", u"The artwork address must start with http:// or https://."_s);
        const QString category = c.podcastcategory.trimmed();
        const QString subcategory = c.podcastsubcategory.trimmed();
        if (category.isEmpty())
            say("podcastcategory", "podcastnocategory",
                u"The podcast has no category; choose one of the Apple Podcasts categories."_s);
        else if (!PodcastCategories().contains(category))
            say("podcastcategory", "podcastcategoryunknown", u"\"%1\" is not an Apple Podcasts category."_s,
                {category});
        else if (!subcategory.isEmpty() && !PodcastSubcategories(category).contains(subcategory))
            say("podcastsubcategory", "podcastsubcategoryunknown",
                u"\"%1\" is not a subcategory of %2 in Apple Podcasts."_s, {subcategory, category});
        if (!c.podcasttype.trimmed().isEmpty() && PodcastType(c.podcasttype).isEmpty())
            say("podcasttype", "podcasttypeform", u"The podcast type must be episodic or serial."_s);
        if (c.podcastemail.trimmed().isEmpty())
            say("podcastemail", "podcastnoemail",
                u"The podcast gives no owner e-mail address; one is recommended, as Apple Podcasts "
                "sends its check of ownership there."_s);
        else if (!isMailAddress(c.podcastemail.trimmed()))
            say("podcastemail", "podcastemailinvalid",
                u"The owner e-mail address \"%1\" is not a valid e-mail address; Apple Podcasts sends its check of "
                "ownership there."_s,
                {c.podcastemail.trimmed()});
    }

    // The episodes are the entries the feed publishes, newest first, as the RSS writer takes them.
    const int count = document.entryCount();
    const int taken = FeedItemCount(c, count, locale).taken;
    for (int k = 0; k < taken; ++k) {
        const int key = count - k;
        const RSSentry &entry = document.entries.at(key);
        const QString name = FindingEntryName(document, key, texts);
        // A file of the media folder is measured when the feed is written, as the feed gives it.
        const QString enclosure = entry.enclosureurl.trimmed();
        const MediaFacts media = IsLocalMedia(enclosure) ? LocalMediaFacts(enclosure, document.projectPath) : MediaFacts();
        const QString type = (media.type.isEmpty() ? entry.enclosuretype.trimmed() : media.type).toLower();
        const QString length = media.size >= 0 ? QString::number(media.size) : entry.enclosurelength;
        // The episode's name is put in with the other values at once, so that a title holding
        // "%1" stays as typed.
        const auto sayOf = [&](const char *textKey, const QString &english, const QString &entryField,
                               const QString &value = {}) {
            QString text = texts.valueOr(QString::fromLatin1(textKey), english);
            text = value.isNull() ? text.arg(name) : text.arg(name, value);
            problems.append({text, entryField, key, QString::fromLatin1(textKey)});
        };
        if (entry.title.trimmed().isEmpty())
            sayOf("podcastnoepisodetitle", u"%1 has no title; podcast directories require one for every episode."_s,
                  u"title"_s);
        if (enclosure.isEmpty()) {
            sayOf("podcastnoenclosure", u"%1 has no enclosure; every episode needs its audio or video file."_s,
                  u"enclosure"_s);
        } else {
            if (!type.startsWith("audio/"_L1) && !type.startsWith("video/"_L1) && type != "application/pdf"_L1)
                sayOf("podcastenclosuretype", u"%1's enclosure needs an audio or video type, such as audio/mpeg."_s,
                      u"enclosuretype"_s);
            else if (!isAppleMediaType(type))
                sayOf("podcastenclosureapple",
                      u"%1's enclosure has the type %2, which Apple Podcasts does not take; it takes audio/mpeg, "
                      "audio/x-m4a, audio/mp4, video/mp4, video/x-m4v, video/quicktime and application/pdf."_s,
                      u"enclosuretype"_s, type);
            if (!IsWholeNumber(length) || length.count(u'0') == length.size())
                sayOf("podcastenclosurelength", u"%1's enclosure needs its length in bytes."_s, u"enclosurelength"_s);
            // Written for an episode with an enclosure only.
            if (entry.duration.trimmed().isEmpty()) {
                const int seconds = IsLocalMedia(enclosure) && media.size >= 0
                        ? MediaDurationSeconds(QFileInfo(document.projectPath).absolutePath() + u'/' + enclosure)
                        : -1;
                if (seconds > 0)
                    sayOf("podcastdurationfile",
                          u"%1 has no duration; its file plays %2, which directories show when it is given as the "
                          "duration."_s,
                          u"duration"_s, DurationText(seconds));
                else
                    sayOf("podcastnoduration",
                          u"%1 has no duration; podcast directories recommend one, as hours, minutes and seconds "
                          "(00:42:15) or seconds."_s,
                          u"duration"_s);
            } else if (!IsPodcastDuration(entry.duration)) {
                sayOf("podcastdurationform",
                      u"%1 has the duration \"%2\"; podcast directories read hours, minutes and seconds (00:42:15) "
                      "or seconds (2535)."_s,
                      u"duration"_s, entry.duration.trimmed());
            }
        }
        if (entry.guid.trimmed().isEmpty() && !options.entryDatesAndIds)
            sayOf("podcastnoid", u"%1 has no ID (guid); give it one, or give entries dates and IDs."_s, u"guid"_s);
    }
    return problems;
}

} // namespace Feedsmith
