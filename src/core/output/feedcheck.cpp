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

// What an address in a link, comments, image or enclosure field is to a reader.
enum class Address {
    None, // empty
    Complete, // a valid absolute address (a web address with its host)
    Unsafe, // javascript:, data: or file:, told on its own
    LocalFile, // a file on this computer: a path of it that exists, a home or Windows path
    Relative, // an address relative to a page the feed does not have ("logo.png", "../a.mp3")
    Invalid, // no address at all ("see below", "htp:/bad link here")
};

Address addressKind(const QString &value)
{
    const QString a = value.trimmed();
    if (a.isEmpty())
        return Address::None;
    if (!UnsafeAddressScheme(a).isEmpty())
        return Address::Unsafe;
    static const QRegularExpression drive(u"\\A[A-Za-z]:[\\\\/]"_s);
    if (a.startsWith(u'~') || a.startsWith(u'\\') || drive.match(a).hasMatch()
        || (a.startsWith(u'/') && !a.startsWith("//"_L1) && QFileInfo::exists(a)))
        return Address::LocalFile;
    static const QRegularExpression blank(u"\\s"_s);
    const QUrl url(a, QUrl::StrictMode);
    if (blank.match(a).hasMatch() || !url.isValid())
        return Address::Invalid;
    if (url.isRelative())
        return Address::Relative;
    const bool web = url.scheme() == "http"_L1 || url.scheme() == "https"_L1;
    return web && url.host().isEmpty() ? Address::Invalid : Address::Complete;
}

// Whether a text holds an e-mail address anywhere, as RSS's e-mail fields must.
bool holdsMail(const QString &value)
{
    static const QRegularExpression mail(u"[^\\s@()<>]+@[^\\s@()<>]+\\.[^\\s@()<>]+"_s);
    return mail.match(value).hasMatch();
}

// A language code as BCP 47 writes one ("en", "en-us", "de-AT", "zh-Hant-TW", "x-klingon"), its
// language one that Qt knows when it has two letters: "English" is none.
bool isLanguageTag(const QString &value)
{
    static const QRegularExpression tag(
            u"\\A(?:([a-z]{2,3})(?:-[a-z]{3}){0,3}(?:-[a-z]{4})?(?:-(?:[a-z]{2}|\\d{3}))?"
            "(?:-(?:[a-z\\d]{5,8}|\\d[a-z\\d]{3}))*(?:-[\\da-wyz](?:-[a-z\\d]{2,8})+)*(?:-x(?:-[a-z\\d]{1,8})+)?"
            "|x(?:-[a-z\\d]{1,8})+|i-[a-z]{3,8})\\z"_s,
            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = tag.match(value);
    if (!m.hasMatch())
        return false;
    const QString language = m.captured(1).toLower();
    return language.size() != 2 || QLocale::codeToLanguage(language) != QLocale::AnyLanguage;
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
    // An error or a warning about an address that is not complete: a file on this computer, a
    // relative address or none at all. `label` names the field in the sentence.
    void incompleteAddress(Address kind, const QString &value, const QString &field, const QString &label, int entry)
    {
        const QString address = value.trimmed().size() > 60 ? value.trimmed().left(57) + "..."_L1 : value.trimmed();
        switch (kind) {
        case Address::LocalFile:
            if (entry == 0)
                error(u"checklocallink"_s,
                      u"The address %1 points at a file on this computer, which readers cannot open."_s, field, 0,
                      {address});
            else
                error(u"checklocalentrylink"_s,
                      u"%1 points at %2, a file on this computer, which readers cannot open."_s, field, entry,
                      {address});
            break;
        case Address::Relative:
            if (entry == 0)
                error(u"checkrelativeaddress"_s,
                      u"The field \"%1\" holds %2, a relative address; readers need a complete address such as "
                      "https://example.org/page, as a feed is read apart from any page."_s,
                      field, 0, {label, address});
            else
                error(u"checkrelativeentryaddress"_s,
                      u"%1: the field \"%2\" holds %3, a relative address; readers need a complete address such as "
                      "https://example.org/page, as a feed is read apart from any page."_s,
                      field, entry, {label, address});
            break;
        case Address::Invalid:
            if (entry == 0)
                error(u"checkinvalidaddress"_s,
                      u"The field \"%1\" holds \"%2\", which is no valid address; give a complete address such as "
                      "https://example.org/page."_s,
                      field, 0, {label, address});
            else
                error(u"checkinvalidentryaddress"_s,
                      u"%1: the field \"%2\" holds \"%3\", which is no valid address; give a complete address such "
                      "as https://example.org/page."_s,
                      field, entry, {label, address});
            break;
        default: break;
        }
    }
    // Whether a finding so far concerns the field of the entry.
    bool has(const QString &field, int entry) const
    {
        return std::any_of(m_findings.begin(), m_findings.end(),
                           [&](const FeedFinding &f) { return f.field == field && f.entry == entry; });
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
            values.prepend(FindingEntryName(m_document, entry, m_texts));
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

void checkChannel(Checker &check, const FeedDocument &document, const KeyedTexts &texts)
{
    const ChannelSettings &c = document.channel;
    if (c.title.trimmed().isEmpty())
        check.error(u"checknotitle"_s, u"The feed has no title; RSS requires one."_s, u"title"_s);
    if (c.link.trimmed().isEmpty())
        check.error(u"checknolink"_s, u"The feed has no link to its website; RSS requires one."_s, u"link"_s);
    else if (!check.unsafeAddress(c.link, u"link"_s, u"checkfieldlink"_s, u"Link"_s))
        check.incompleteAddress(addressKind(c.link), c.link, u"link"_s, texts.valueOr(u"checkfieldlink"_s, u"Link"_s),
                                0);
    if (c.description.trimmed().isEmpty())
        check.error(u"checknodescription"_s, u"The feed has no description; RSS requires one."_s, u"description"_s);
    if (!c.language.trimmed().isEmpty() && !isLanguageTag(c.language.trimmed()))
        check.warning(u"checklanguage"_s,
                      u"The language \"%1\" is no language code such as en, en-us or de-at; readers and podcast "
                      "directories do not understand it."_s,
                      u"language"_s, 0, {c.language.trimmed()});
    for (const auto &[value, field, label] : {std::tuple{&c.managingeditor, u"managingeditor"_s, u"Managing editor"_s},
                                              std::tuple{&c.webmaster, u"webmaster"_s, u"Webmaster"_s}}) {
        if (value->trimmed().isEmpty())
            continue;
        if (!holdsMail(*value))
            check.error(u"checknomail"_s,
                        u"The field \"%1\" holds \"%2\", which is no e-mail address; RSS requires one there, such "
                        "as mail@example.com (Jane Doe)."_s,
                        field, 0, {texts.valueOr(field, label), value->trimmed()});
        else if (!isMailWithName(*value))
            check.warning(u"checkmailform"_s,
                          u"\"%1\" is not written as RSS expects an e-mail field: the address and the name in "
                          "brackets, such as mail@example.com (Jane Doe)."_s,
                          field, 0, {value->trimmed()});
    }
    if (!c.ttl.isEmpty() && !IsWholeNumber(c.ttl))
        check.warning(u"checkttl"_s,
                      u"The time to live \"%1\" is not a whole number of minutes; the feed leaves it out."_s, u"ttl"_s,
                      0, {c.ttl});
    // The image link goes to the feed only with the image, whose block checks it below.
    const bool unsafeImageLink =
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
            && !IsLocalMedia(c.imageurl.trimmed()))
            check.incompleteAddress(addressKind(c.imageurl), c.imageurl, u"imageurl"_s,
                                    texts.valueOr(u"checkfieldimageurl"_s, u"Image URL"_s), 0);
        if (c.imagetitle.isEmpty())
            check.error(u"checkimagenotitle"_s,
                        u"The feed's image has no title; RSS requires one, the same as the feed's title."_s,
                        u"imagetitle"_s);
        else if (c.imagetitle != c.title)
            check.warning(u"checkimagetitle"_s,
                          u"The image's title differs from the feed's title; validators expect the same."_s,
                          u"imagetitle"_s);
        if (!unsafeImageLink)
            check.incompleteAddress(addressKind(c.imagelink), c.imagelink, u"imagelink"_s,
                                    texts.valueOr(u"checkfieldimagelink"_s, u"Image link"_s), 0);
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
    } else if (isWebAddress(document.ftp.feedurl)) {
        // The feed names itself only with dates and IDs, which change what it holds.
        check.warning(u"checkselflinkoff"_s,
                      u"The feed does not name its own address %1, as validators recommend; it does once entries "
                      "get dates and IDs."_s,
                      u"itemids"_s, 0, {document.ftp.feedurl.trimmed()});
    }
}

void checkEntries(Checker &check, const FeedDocument &document, const QString &styleBlock, const KeyedTexts &texts,
                  const QLocale &locale)
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
                check.error(u"checkduplicateid"_s, u"%1 has the same ID as %2; readers show only one of them."_s,
                            u"guid"_s, key, {FindingEntryName(document, *owner, texts)});
            else
                idOwners.insert(id, key);
        } else {
            check.warning(u"checknoid"_s,
                          u"%1 has no ID (guid), so readers cannot tell it from a new entry once it changes; with "
                          "\"Give entries dates and IDs\" it gets one."_s,
                          u"guid"_s, key);
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
            // An enclosure of the media folder is named by its public address, told below.
            if (!check.unsafeAddress(*value, field, labelKey, label, key)
                && !(value == &entry.enclosureurl && IsLocalMedia(value->trimmed())))
                check.incompleteAddress(addressKind(*value), *value, field, texts.valueOr(labelKey, label), key);
        }
        // The program's style block goes; a style element of the text's own reaches the feed.
        if (entry.content.text().contains("<style"_L1, Qt::CaseInsensitive)
            && DescriptionText(entry.content.text(), styleBlock).contains("<style"_L1, Qt::CaseInsensitive))
            check.warning(u"checkstyleelement"_s,
                          u"%1 holds a style element in its text; readers leave it out or show its rules as text, "
                          "and validators warn of it."_s,
                          u"content"_s, key);
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
            } else if (addressKind(enclosure) == Address::Complete && !isWebAddress(enclosure))
                check.error(u"checkenclosurenotweb"_s,
                            u"%1 has the enclosure address %2, which is no complete http:// or https:// address; "
                            "readers cannot fetch it."_s,
                            u"enclosure"_s, key, {enclosure});
            if (entry.enclosuretype.trimmed().isEmpty()
                && (!IsLocalMedia(enclosure) || LocalMediaFacts(enclosure, document.projectPath).type.isEmpty()))
                check.error(u"checkenclosuretype"_s,
                            u"%1 has an enclosure without a type (such as audio/mpeg); RSS requires one."_s,
                            u"enclosuretype"_s, key);
            // A file of the media folder is measured when the feed is written. A feed that is
            // no podcast may give 0 for a length it does not know; directories want the length.
            const QString length = IsLocalMedia(enclosure)
                    ? QString::number(LocalMediaFacts(enclosure, document.projectPath).size)
                    : entry.enclosurelength;
            if (document.channel.podcast == "1"_L1 && (!IsWholeNumber(length) || length.count(u'0') == length.size()))
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

QString FindingEntryName(const FeedDocument &document, int key, const KeyedTexts &texts)
{
    const QString title = document.entries.at(key).title.trimmed();
    const int place = document.entryCount() - key + 1;
    if (title.isEmpty())
        return texts.valueOr(u"checkentryuntitled"_s, u"Entry %1"_s).arg(place);
    return texts.valueOr(u"checkentryname"_s, u"Entry %1 (\"%2\")"_s)
            .arg(QString::number(place), title.size() > 60 ? title.left(57) + "..."_L1 : title);
}

QList<FeedFinding> CheckFeed(const FeedDocument &document, const QString &styleBlock, const QDateTime &moment,
                             const KeyedTexts &texts, const QLocale &locale)
{
    Checker check(document, texts);
    checkChannel(check, document, texts);
    checkEntries(check, document, styleBlock, texts, locale);
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
        // The podcast rules that say again what the check above found of the same field are
        // left out: each finding is told once.
        static const QStringList restating = {u"podcastnotitle"_s,         u"podcastnodescription"_s,
                                              u"podcastnolink"_s,          u"podcastnoselflink"_s,
                                              u"podcastnoepisodetitle"_s,  u"podcastenclosuretype"_s,
                                              u"podcastenclosurelength"_s, u"podcastnoid"_s};
        for (const PodcastProblem &problem : PodcastFindings(document, locale, texts)) {
            if (!restating.contains(problem.key) || !check.has(problem.field, problem.entry))
                check.addPlain(problem.text, problem.field, problem.entry);
        }
    }
    return check.take();
}

bool HasFeedErrors(const QList<FeedFinding> &findings)
{
    return std::any_of(findings.begin(), findings.end(),
                       [](const FeedFinding &f) { return f.severity == FeedFinding::Severity::Error; });
}

} // namespace Feedsmith
