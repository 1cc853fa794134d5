// Podcast categories and rules.
#include "core/output/podcast.h"

#include "core/document/media.h"

#include "core/output/feedoptions.h"
#include "core/output/rsswriter.h"

#include <initializer_list>

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

// An entry as a sentence names it: its number and title.
QString episodeName(int key, const QString &title, const KeyedTexts &texts)
{
    return title.trimmed().isEmpty()
            ? texts.valueOr(u"podcastentry"_s, u"Entry %1"_s).arg(key)
            : texts.valueOr(u"podcastentrytitled"_s, u"Entry %1 (\"%2\")"_s).arg(key).arg(title.trimmed());
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
    // A sentence about a channel field.
    const auto say = [&texts, &problems](const char *field, const char *textKey, const QString &english) {
        problems.append({texts.valueOr(QString::fromLatin1(textKey), english), QString::fromLatin1(field), 0});
    };
    if (c.title.trimmed().isEmpty())
        say("title", "podcastnotitle", u"The feed has no title; podcast directories require one."_s);
    if (c.description.trimmed().isEmpty())
        say("description", "podcastnodescription", u"The feed has no description; podcast directories require one."_s);
    if (c.language.trimmed().isEmpty())
        say("language", "podcastnolanguage", u"The feed has no language; podcast directories require one."_s);
    if (c.link.trimmed().isEmpty())
        say("link", "podcastnolink", u"The feed has no link; podcast directories require one."_s);

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
            problems.append({texts.valueOr(u"podcastcategoryunknown"_s, u"\"%1\" is not an Apple Podcasts category."_s)
                                     .arg(category),
                             u"podcastcategory"_s, 0});
        else if (!subcategory.isEmpty() && !PodcastSubcategories(category).contains(subcategory))
            problems.append({texts.valueOr(u"podcastsubcategoryunknown"_s,
                                           u"\"%1\" is not a subcategory of %2 in Apple Podcasts."_s)
                                     .arg(subcategory, category),
                             u"podcastsubcategory"_s, 0});
        if (!c.podcasttype.trimmed().isEmpty() && PodcastType(c.podcasttype).isEmpty())
            say("podcasttype", "podcasttypeform", u"The podcast type must be episodic or serial."_s);
        if (!c.podcastemail.contains(u'@'))
            say("podcastemail", "podcastnoemail",
                u"The podcast gives no owner e-mail address; one is recommended, as Apple Podcasts "
                "sends its check of ownership there."_s);
    }

    // The episodes are the entries the feed publishes, newest first, as the RSS writer takes them.
    const int count = document.entryCount();
    const bool generatedIds = FeedOptions::of(document).entryDatesAndIds;
    const int taken = FeedItemCount(c, count, locale).taken;
    for (int k = 0; k < taken; ++k) {
        const int key = count - k;
        const RSSentry &entry = document.entries.at(key);
        const QString name = episodeName(key, entry.title, texts);
        // A file of the media folder is measured when the feed is written, as the feed gives it.
        const QString enclosure = entry.enclosureurl.trimmed();
        const MediaFacts media = IsLocalMedia(enclosure) ? LocalMediaFacts(enclosure, document.projectPath) : MediaFacts();
        const QString type = (media.type.isEmpty() ? entry.enclosuretype.trimmed() : media.type).toLower();
        const QString length = media.size >= 0 ? QString::number(media.size) : entry.enclosurelength;
        // The episode's name goes in last, so that a title holding "%1" stays as typed.
        const auto sayOf = [&](const char *textKey, const QString &english, const QString &entryField) {
            problems.append({texts.valueOr(QString::fromLatin1(textKey), english).arg(name), entryField, key});
        };
        if (entry.enclosureurl.trimmed().isEmpty()) {
            sayOf("podcastnoenclosure", u"%1 has no enclosure; every episode needs its audio or video file."_s,
                  u"enclosure"_s);
        } else {
            if (!type.startsWith("audio/"_L1) && !type.startsWith("video/"_L1))
                sayOf("podcastenclosuretype", u"%1's enclosure needs an audio or video type, such as audio/mpeg."_s,
                      u"enclosuretype"_s);
            if (!IsWholeNumber(length) || length.count(u'0') == length.size())
                sayOf("podcastenclosurelength", u"%1's enclosure needs its length in bytes."_s, u"enclosurelength"_s);
        }
        if (entry.guid.trimmed().isEmpty() && !generatedIds)
            sayOf("podcastnoid", u"%1 has no ID (guid); give it one, or give entries dates and IDs."_s, u"guid"_s);
    }
    return problems;
}

} // namespace Feedsmith
