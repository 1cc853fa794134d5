// The feed check.
#include "core/output/feedcheck.h"

#include "core/document/entryfields.h"
#include "core/document/media.h"
#include "core/output/feedoptions.h"
#include "core/output/podcast.h"
#include "core/output/rsswriter.h"
#include "core/project/datetext.h"
#include "core/text/addressschemes.h"
#include "core/text/printable.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <tuple>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// An address a reader cannot open: a file of the author's disk, or a path without a scheme.
bool isLocalAddress(const QString &address)
{
    const QString a = address.trimmed();
    if (a.isEmpty())
        return false;
    static const QRegularExpression drive(u"\\A[A-Za-z]:[\\\\/]"_s);
    return a.startsWith("file:"_L1, Qt::CaseInsensitive) || a.startsWith(u'/') || a.startsWith(u'~')
            || a.startsWith(u'\\') || drive.match(a).hasMatch();
}

bool isWebAddress(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    return url.isValid() && (url.scheme() == "http"_L1 || url.scheme() == "https"_L1) && !url.host().isEmpty();
}

// RSS's form of an e-mail field: the address, then the name in brackets.
bool isMailWithName(const QString &value)
{
    static const QRegularExpression form(u"\\A[^\\s@()<>]+@[^\\s@()<>]+\\.[^\\s@()<>]+ \\([^()]+\\)\\z"_s);
    return form.match(value.trimmed()).hasMatch();
}

class Checker
{
public:
    Checker(const FeedDocument &document, const KeyedTexts &texts)
        : m_document(document)
        , m_texts(texts)
    { }

    void error(const QString &key, const QString &fallback, const QString &field, int entry = 0,
               const QStringList &arguments = {})
    {
        add(FeedFinding::Severity::Error, key, fallback, field, entry, arguments);
    }
    void warning(const QString &key, const QString &fallback, const QString &field, int entry = 0,
                 const QStringList &arguments = {})
    {
        add(FeedFinding::Severity::Warning, key, fallback, field, entry, arguments);
    }
    void addPlain(const QString &text, const QString &field = {}, int entry = 0)
    {
        m_findings.append({FeedFinding::Severity::Warning, text, field, entry});
    }
    // Marks the finding added last with what mends it.
    void offer(FeedFinding::Fix fix) { m_findings.last().fix = fix; }
    // An error when the value is an address no feed may carry (javascript:, data:, file:); the
    // sentence names the field by its label and the entry, if any. Whether it was one.
    bool unsafeAddress(const QString &value, const QString &field, const QString &labelKey, const QString &label,
                       int entry = 0)
    {
        const QString scheme = UnsafeAddressScheme(value);
        if (scheme.isEmpty())
            return false;
        const QString address = value.trimmed();
        const QStringList arguments = {m_texts.valueOr(labelKey, label), scheme,
                                       address.size() > 60 ? address.left(57) + "..."_L1 : address};
        const QString why = u"a feed must not hold a javascript:, data: or file: address, since readers cannot or "
                            "must not open it."_s;
        if (entry == 0)
            error(u"checkunsafeaddress"_s, u"The field \"%1\" holds the %2: address %3; "_s + why, field, 0, arguments);
        else
            error(u"checkunsafeentryaddress"_s, u"%1: the field \"%2\" holds the %3: address %4; "_s + why, field,
                  entry, arguments);
        return true;
    }
    // How a sentence names an entry: its place in the tree and its title.
    QString entryName(int key) const
    {
        const QString title = m_document.entries.at(key).title;
        return m_texts.valueOr(u"checkentryname"_s, u"Entry %1 (\"%2\")"_s)
                .arg(m_document.entryCount() - key + 1)
                .arg(title.size() > 60 ? title.left(57) + "..."_L1 : title);
    }
    QList<FeedFinding> take()
    {
        std::stable_sort(m_findings.begin(), m_findings.end(), [](const FeedFinding &a, const FeedFinding &b) {
            return a.severity == FeedFinding::Severity::Error && b.severity != FeedFinding::Severity::Error;
        });
        return std::move(m_findings);
    }

private:
    void add(FeedFinding::Severity severity, const QString &key, const QString &fallback, const QString &field,
             int entry, const QStringList &arguments)
    {
        // The entry's name is %1; every value is put in at once, so that a title holding "%2"
        // stays as typed.
        QStringList values = arguments;
        if (entry > 0)
            values.prepend(entryName(entry));
        QString text = m_texts.valueOr(key, fallback);
        switch (values.size()) {
        case 0: break;
        case 1: text = text.arg(values.at(0)); break;
        case 2: text = text.arg(values.at(0), values.at(1)); break;
        case 3: text = text.arg(values.at(0), values.at(1), values.at(2)); break;
        default: text = text.arg(values.at(0), values.at(1), values.at(2), values.at(3)); break;
        }
        m_findings.append({severity, text, field, entry});
    }

    const FeedDocument &m_document;
    const KeyedTexts &m_texts;
    QList<FeedFinding> m_findings;
};

void checkChannel(Checker &check, const FeedDocument &document)
{
    const ChannelSettings &c = document.channel;
    if (c.title.trimmed().isEmpty())
        check.error(u"checknotitle"_s, u"The feed has no title; RSS requires one."_s, u"title"_s);
    if (c.link.trimmed().isEmpty())
        check.error(u"checknolink"_s, u"The feed has no link to its website; RSS requires one."_s, u"link"_s);
    else if (!check.unsafeAddress(c.link, u"link"_s, u"checkfieldlink"_s, u"Link"_s) && isLocalAddress(c.link))
        check.warning(u"checklocallink"_s,
                      u"The address %1 points at a file on this computer, which readers cannot open."_s, u"link"_s, 0,
                      {c.link.trimmed()});
    if (c.description.trimmed().isEmpty())
        check.error(u"checknodescription"_s, u"The feed has no description; RSS requires one."_s, u"description"_s);
    for (const auto &[value, field] :
         {std::pair{&c.managingeditor, u"managingeditor"_s}, std::pair{&c.webmaster, u"webmaster"_s}}) {
        if (!value->trimmed().isEmpty() && !isMailWithName(*value))
            check.warning(u"checkmailform"_s,
                          u"\"%1\" is not written as RSS expects an e-mail field: the address and the name in "
                          "brackets, such as mail@example.com (Jane Doe)."_s,
                          field, 0, {value->trimmed()});
    }
    if (!c.ttl.isEmpty() && !IsWholeNumber(c.ttl))
        check.warning(u"checkttl"_s,
                      u"The time to live \"%1\" is not a whole number of minutes; the feed leaves it out."_s, u"ttl"_s,
                      0, {c.ttl});
    check.unsafeAddress(c.imagelink, u"imagelink"_s, u"checkfieldimagelink"_s, u"Image link"_s);
    if (c.podcast == "1"_L1)
        check.unsafeAddress(c.podcastimage, u"podcastimage"_s, u"checkfieldpodcastimage"_s, u"Artwork URL"_s);
    // The image and the artwork of the media folder need a public address to be named by.
    for (const auto &[value, field] : {std::pair{&c.imageurl, u"imageurl"_s}, std::pair{&c.podcastimage, u"podcastimage"_s}}) {
        if (IsLocalMedia(value->trimmed()) && PublicMediaAddress(document.ftp.feedurl).isEmpty())
            check.error(u"checkimagenoaddress"_s,
                        u"The picture %1 is a file of the project's media folder, but the project has no public "
                        "address of the feed to publish it under."_s,
                        u"feedurl"_s, 0, {value->trimmed()});
    }
    if (!c.imageurl.trimmed().isEmpty()) {
        if (!check.unsafeAddress(c.imageurl, u"imageurl"_s, u"checkfieldimageurl"_s, u"Image URL"_s)
            && isLocalAddress(c.imageurl))
            check.warning(u"checklocallink"_s,
                          u"The address %1 points at a file on this computer, which readers cannot open."_s,
                          u"imageurl"_s, 0, {c.imageurl.trimmed()});
        if (c.imagetitle.isEmpty())
            check.error(u"checkimagenotitle"_s,
                        u"The feed's image has no title; RSS requires one, the same as the feed's title."_s,
                        u"imagetitle"_s);
        else if (c.imagetitle != c.title)
            check.warning(u"checkimagetitle"_s,
                          u"The image's title differs from the feed's title; validators expect the same."_s,
                          u"imagetitle"_s);
        if (c.imagelink.isEmpty())
            check.error(u"checkimagenolink"_s,
                        u"The feed's image has no link; RSS requires one, the same as the feed's link."_s,
                        u"imagelink"_s);
        else if (c.imagelink != c.link)
            check.warning(u"checkimagelink"_s,
                          u"The image's link differs from the feed's link; validators expect the same."_s,
                          u"imagelink"_s);
    }
    const FeedOptions options = FeedOptions::of(document);
    if (options.entryDatesAndIds) {
        // The feed's self link is its public address.
        if (options.selfUrl.isEmpty())
            check.warning(u"checknoselflink"_s,
                          u"The feed has no public address, so it cannot name its own address as validators "
                          "recommend."_s,
                          u"feedurl"_s);
        else if (!isWebAddress(options.selfUrl))
            check.error(u"checkselflink"_s,
                        u"The public address of the feed, %1, is no complete http:// or https:// address; the "
                        "feed names it as its own address."_s,
                        u"feedurl"_s, 0, {options.selfUrl});
    }
}

void checkEntries(Checker &check, const FeedDocument &document, const QLocale &locale)
{
    const int count = document.entryCount();
    const FeedOptions options = FeedOptions::of(document);
    const QList<QString> ids = options.entryDatesAndIds ? EntryIds(document) : QList<QString>();
    const DateText::Reader dates(locale);
    const int taken = FeedItemCount(document.channel, count, locale).taken;
    QHash<QString, int> idOwners;
    for (int k = 0; k < taken; ++k) {
        const int key = count - k;
        const RSSentry &entry = document.entries.at(key);
        if (entry.title.trimmed().isEmpty() && entry.content.isEmpty())
            check.error(u"checkemptyitem"_s, u"%1 has neither a title nor a text; RSS requires one of them."_s,
                        u"title"_s, key);
        const QString id = !entry.guid.isEmpty() ? entry.guid : options.entryDatesAndIds ? ids.at(key - 1) : QString();
        if (!id.isEmpty()) {
            if (const auto owner = idOwners.constFind(id); owner != idOwners.constEnd())
                check.warning(u"checkduplicateid"_s,
                              u"%1 has the same ID as entry %2; readers show only one of them."_s, u"guid"_s, key,
                              {QString::number(count - *owner + 1)});
            else
                idOwners.insert(id, key);
        }
        if (options.entryDatesAndIds) {
            if (!entry.unreadDate.isEmpty())
                check.warning(u"checkunreaddate"_s,
                              u"%1 has the date \"%2\", which cannot be read as a date; the feed gives it none."_s,
                              u"date"_s, key, {entry.unreadDate});
            else if (!entry.pubdate.trimmed().isEmpty() && !dates.read(entry.pubdate).isValid())
                check.warning(u"checkpubdate"_s,
                              u"%1 has the publication date \"%2\", which cannot be read as a date; the feed "
                              "gives it its creation date."_s,
                              u"pubdate"_s, key, {entry.pubdate});
        }
        for (const auto &[value, field, labelKey, label] :
             {std::tuple{&entry.link, u"link"_s, u"checkfieldentrylink"_s, u"Entry link"_s},
              std::tuple{&entry.comments, u"comments"_s, u"entrycomments"_s, u"Comments"_s},
              std::tuple{&entry.enclosureurl, u"enclosure"_s, u"entryenclosure"_s, u"Enclosure"_s}}) {
            if (!check.unsafeAddress(*value, field, labelKey, label, key) && isLocalAddress(*value))
                check.warning(u"checklocalentrylink"_s,
                              u"%1 points at %2, a file on this computer, which readers cannot open."_s, field, key,
                              {value->trimmed()});
        }
        // A file: picture or link of a body is told below, as a warning.
        if (const QString scheme = UnsafeBodyScheme(entry.content.text()); !scheme.isEmpty())
            check.error(u"checkunsafebody"_s,
                        u"%1 links to or shows a %2: address in its text; a feed must not hold a javascript: or data: "
                        "address, since readers must not open it."_s,
                        u"content"_s, key, {scheme});
        if (const QString enclosure = entry.enclosureurl.trimmed(); !enclosure.isEmpty()) {
            // The feed names a file of the media folder by its public address, made as it is
            // written; any other address must be complete, or readers cannot fetch it.
            if (IsLocalMedia(enclosure)) {
                if (PublicMediaAddress(document.ftp.feedurl).isEmpty())
                    check.error(u"checkenclosurenoaddress"_s,
                                u"%1's enclosure is a file of the project's media folder, but the project has no "
                                "public address of the feed to publish it under."_s,
                                u"feedurl"_s, key);
            } else if (!isWebAddress(enclosure) && UnsafeAddressScheme(enclosure).isEmpty() && !isLocalAddress(enclosure))
                check.error(u"checkenclosurenotweb"_s,
                            u"%1 has the enclosure address %2, which is no complete http:// or https:// address; "
                            "readers cannot fetch it."_s,
                            u"enclosure"_s, key, {enclosure});
            if (entry.enclosuretype.trimmed().isEmpty()
                && (!IsLocalMedia(enclosure) || LocalMediaFacts(enclosure, document.projectPath).type.isEmpty()))
                check.error(u"checkenclosuretype"_s,
                            u"%1 has an enclosure without a type (such as audio/mpeg); RSS requires one."_s,
                            u"enclosuretype"_s, key);
            // A file of the media folder is measured when the feed is written.
            const QString length = IsLocalMedia(enclosure)
                    ? QString::number(LocalMediaFacts(enclosure, document.projectPath).size)
                    : entry.enclosurelength;
            if (!IsWholeNumber(length) || length.count(u'0') == length.size())
                check.warning(u"checkenclosurelength"_s,
                              u"%1 has an enclosure without its length in bytes; readers cannot tell how large "
                              "the download is."_s,
                              u"enclosurelength"_s, key);
        }
    }
}

// Files the published entries name for upload that publishing refuses: they lie outside the
// project's media folder.
void checkPublishedFiles(Checker &check, const FeedDocument &document, const QLocale &locale)
{
    QList<UnpublishableFile> refused;
    PublishedFiles(document, FeedItemCount(document.channel, document.entryCount(), locale).taken, &refused);
    for (const UnpublishableFile &file : std::as_const(refused)) {
        const QString field = file.enclosure ? u"enclosure"_s : u"content"_s;
        const QString path = escapedPath(QDir::toNativeSeparators(file.check.path));
        const QString real = escapedPath(QDir::toNativeSeparators(file.check.realPath));
        switch (file.check.verdict) {
        case MediaFile::Verdict::MediaFolderLinked:
            check.error(u"checkmedialinked"_s,
                        u"%1 names the file %2, which is outside the project's media folder: the folder \"media\" "
                        "is a link (it leads to %3). Make it a real folder beside the project."_s,
                        field, file.entry, {path, real});
            break;
        case MediaFile::Verdict::HiddenName:
            check.error(u"checkmediahidden"_s,
                        u"%1 names the file %2, which is outside the project's media folder: a part of its name "
                        "starts with a dot, as hidden files do. Copy it into the media folder."_s,
                        field, file.entry, {path});
            if (file.enclosure && QFileInfo(file.check.realPath).isFile())
                check.offer(FeedFinding::Fix::CopyIntoMediaFolder);
            break;
        case MediaFile::Verdict::NotRegular:
            check.error(u"checkmedianotfile"_s,
                        u"%1 names %2, which is no regular file of the project's media folder (it leads to %3)."_s,
                        field, file.entry, {path, real});
            break;
        default:
            if (real.isEmpty() || QDir::cleanPath(file.check.path) == file.check.realPath)
                check.error(u"checkmediaoutside"_s,
                            u"%1 names the file %2, which is outside the project's media folder, so it is not "
                            "published. Copy it into the media folder."_s,
                            field, file.entry, {path});
            else
                check.error(u"checkmediaoutsidelink"_s,
                            u"%1 names the file %2, which leads to %3, outside the project's media folder, so it is "
                            "not published. Copy it into the media folder."_s,
                            field, file.entry, {path, real});
            if (QFileInfo(file.check.realPath).isFile())
                check.offer(FeedFinding::Fix::CopyIntoMediaFolder);
            break;
        }
    }
}

} // namespace

QList<FeedFinding> CheckFeed(const FeedDocument &document, const QString &styleBlock, const QDateTime &moment,
                             const KeyedTexts &texts, const QLocale &locale)
{
    Checker check(document, texts);
    checkChannel(check, document);
    checkEntries(check, document, locale);
    checkPublishedFiles(check, document, locale);
    // The bodies and the size as the RSS file has them.
    RssFacts facts;
    const qint64 size = MeasureRssFile(document, styleBlock, moment, &facts);
    if (facts.entryWithLocalMedia > 0)
        check.warning(u"checklocalmedia"_s,
                      u"%1 shows pictures of the project's media folder, but the project has no public address of "
                      "the feed: readers will not see them."_s,
                      u"feedurl"_s, facts.entryWithLocalMedia);
    if (facts.entryWithFileReference > 0)
        check.warning(u"checklocalbody"_s,
                      u"%1 shows or links to a file on this computer (file:), which readers cannot open."_s,
                      u"content"_s, facts.entryWithFileReference);
    if (size > ReaderFeedLimit)
        check.warning(u"checkfeedsize"_s,
                      u"The feed is %1 KB; many readers stop at 512 KB. Publish fewer entries (the number of "
                      "entries)."_s,
                      u"number"_s, 0, {QString::number((size + 1023) / 1024)});
    if (document.channel.podcast == "1"_L1) {
        for (const PodcastProblem &problem : PodcastFindings(document, locale, texts))
            check.addPlain(problem.text, problem.field, problem.entry);
    }
    return check.take();
}

bool HasFeedErrors(const QList<FeedFinding> &findings)
{
    return std::any_of(findings.begin(), findings.end(),
                       [](const FeedFinding &f) { return f.severity == FeedFinding::Severity::Error; });
}

} // namespace Feedsmith
