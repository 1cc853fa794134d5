// The RSS 2.0 writer.
#include "core/output/rsswriter.h"

#include "core/document/entryfields.h"
#include "core/document/media.h"
#include "core/output/feedoptions.h"
#include "core/output/podcast.h"
#include "core/output/podcasting.h"
#include "core/project/datetext.h"

#include "core/output/xmltext.h"
#include "core/system/pieces.h"
#include "core/text/codepagetext.h"
#include "core/text/textencoding.h"
#include "core/text/textfiles.h"
#include "core/text/textsearch.h"
#include "core/text/windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QTimeZone>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <mutex>
#include <utility>

namespace Feedsmith {

using namespace Qt::StringLiterals;

QString PublicationDate(const QDateTime &moment)
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    const int offsetMinutes = moment.offsetFromUtc() / 60;
    const int absolute = std::abs(offsetMinutes);
    return QStringLiteral("%1, %2 %3 %4 %5:%6:%7 %8%9%10")
            .arg(QLatin1StringView(DayNames[size_t(date.dayOfWeek() % 7)]))
            .arg(date.day(), 2, 10, QLatin1Char('0'))
            .arg(QLatin1StringView(MonthNames[size_t(date.month() - 1)]))
            .arg(date.year(), 4, 10, QLatin1Char('0'))
            .arg(time.hour(), 2, 10, QLatin1Char('0'))
            .arg(time.minute(), 2, 10, QLatin1Char('0'))
            .arg(time.second(), 2, 10, QLatin1Char('0'))
            .arg(QLatin1Char(offsetMinutes < 0 ? '-' : '+'))
            .arg(absolute / 60, 2, 10, QLatin1Char('0'))
            .arg(absolute % 60, 2, 10, QLatin1Char('0'));
}

namespace {

bool readNumber(const QString &text, const QLocale &locale, double *value)
{
    const QString t = text.trimmed();
    bool ok = false;
    double v = locale.toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

} // namespace

FeedItemSelection FeedItemCount(const ChannelSettings &channel, int entryCount, const QLocale &locale)
{
    FeedItemSelection selection;
    double v = 0;
    if (channel.number.isEmpty() || channel.number == "0"_L1 || !readNumber(channel.number, locale, &v)) {
        selection.numberReset = true;
        v = 10;
    }
    selection.countValue = v < entryCount ? v : entryCount;
    if (selection.countValue > 0)
        selection.taken = int(std::floor(selection.countValue));
    return selection;
}

bool ResetFeedItemNumber(ChannelSettings &channel, const QLocale &locale)
{
    if (!FeedItemCount(channel, 0, locale).numberReset || channel.number == "10"_L1)
        return false;
    channel.number = u"10"_s;
    return true;
}

QString ExtractBody(const QString &content)
{
    const BodyRange body = bodyRange(indexOfIgnoringCase(content, u"<body>"), indexOfIgnoringCase(content, u"</body>"));
    return content.mid(body.from, body.length);
}

namespace {

// A body's text is HTML on one line: its line breaks go, and nothing else of it is read as an
// escape (a body may well say "[[" or "[:br:]").
QString withoutLineBreaks(const QString &text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString out = text;
    out.remove(u'\r');
    out.remove(u'\n');
    return out;
}

// The block as it looks after the treatment description texts get.
QString treatedForDescription(const QString &styleBlock)
{
    return Transliterate(withoutLineBreaks(styleBlock));
}

QString descriptionText(const QString &content, const StyleBlockRemover &removeStyleBlocks)
{
    return removeStyleBlocks(Transliterate(withoutLineBreaks(ExtractBody(content))));
}

// The same with the letters kept: the style block goes before the letters become references.
QString descriptionKeepingAccents(const QString &content, const StyleBlockRemover &removeStyleBlocks)
{
    return referencedBeyondAscii(removeStyleBlocks(withoutLineBreaks(ExtractBody(content))));
}

} // namespace

QString DescriptionText(const QString &content, const QString &styleBlock)
{
    // A style sheet saved with other line breaks, or with letters outside ASCII, no longer
    // matches itself after the treatment; its treated form is removed as well.
    return descriptionText(content, StyleBlockRemover(styleBlock, treatedForDescription(styleBlock)));
}

bool IsWholeNumber(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

namespace {

// A value in double quotes: escaped as character data, the quote as "&quot;", ASCII only.
QString attributeValue(const QString &value)
{
    return referencedBeyondAscii(XmlText::escapeCharacterData(OneLine(value))).replace(u'"', "&quot;"_L1);
}

// ` name="value"`, or nothing for an empty value.
QString attribute(QLatin1StringView name, const QString &value)
{
    return value.isEmpty() ? QString() : u' ' + name + u"=\""_s + attributeValue(value) + u'"';
}

// A category line ("name" or "name<TAB>domain"): the name, and its domain as an attribute.
std::pair<QString, QString> categoryOf(const QString &line)
{
    const QStringList parts = TabParts(line, 2);
    return {parts.at(0), attribute("domain"_L1, parts.at(1).trimmed())};
}

// The type of a transcript or chapters file named without one, by the name's suffix.
QString typeByName(const QString &address)
{
    static const QMimeDatabase types;
    const QString type = types.mimeTypeForFile(QUrl(address).path(), QMimeDatabase::MatchExtension).name();
    return type == "application/octet-stream"_L1 ? QString() : type;
}

// A publication date stored with its offset ("2026-12-06 19:41:29 +0000", as an import keeps
// the feed's): the moment in that offset, so that it is written as the feed gave it, whatever
// the machine's zone; invalid for any other text.
QDateTime withStoredOffset(QStringView text)
{
    text = text.trimmed();
    if (text.size() != 25 || text.at(19) != u' ' || (text.at(20) != u'+' && text.at(20) != u'-'))
        return {};
    const QDate date = QDate::fromString(text.first(10), Qt::ISODate);
    const QTime time = QTime::fromString(text.sliced(11, 8), Qt::ISODate);
    bool ok = false;
    const int hhmm = text.last(4).toInt(&ok);
    if (!date.isValid() || !time.isValid() || !ok || text.at(10) != u' ' || hhmm % 100 >= 60)
        return {};
    const int seconds = ((hhmm / 100) * 3600 + (hhmm % 100) * 60) * (text.at(20) == u'-' ? -1 : 1);
    return QDateTime(date, time, QTimeZone(seconds));
}

// The lines of the RSS file, written straight into bytes.
class RssLines
{
public:
    // `publicMedia`: where the files of the project's media folder are published; `projectPath`:
    // the project, whose media folder enclosures are measured in.
    explicit RssLines(bool keepAccents, const QString &publicMedia = {}, const QString &projectPath = {})
        : m_keepAccents(keepAccents)
        , m_publicMedia(publicMedia)
        , m_publicMediaBytes(publicMedia.toLatin1())
        , m_projectPath(projectPath)
    { }

    void line(QStringView text)
    {
        Windows1252::appendEncoded(m_bytes, text);
        m_bytes += "\r\n";
    }
    // Tabs, "<tag attributes>", the transliterated and escaped value, "</tag>".
    void element(int tabs, QLatin1StringView tag, const QString &value, QLatin1StringView attributes = {})
    {
        Q_ASSERT(tabs >= 0 && tabs <= 4); // the feed nests its elements two deep
        m_bytes.append("\t\t\t\t", tabs);
        m_bytes += '<';
        m_bytes.append(tag.data(), tag.size());
        m_bytes.append(attributes.data(), attributes.size());
        m_bytes += '>';
        // A value is one line, whatever a project or an import put into it. Printable ASCII
        // without markup characters (addresses, IDs, most titles) comes through every step as
        // it is.
        const bool plain = std::all_of(value.cbegin(), value.cend(), [](QChar c) {
            return c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'&' && c != u'<' && c != u'>';
        });
        if (plain) {
            const qsizetype at = m_bytes.size();
            m_bytes.resize(at + value.size());
            std::transform(value.cbegin(), value.cend(), m_bytes.data() + at,
                           [](QChar c) { return char(c.unicode()); });
        } else if (m_keepAccents)
            Windows1252::appendEncoded(m_bytes, referencedBeyondAscii(XmlText::escapeCharacterData(OneLine(value))));
        else
            Windows1252::appendEncoded(m_bytes, XmlText::escapeCharacterData(Transliterate(OneLine(value))));
        m_bytes += "</";
        m_bytes.append(tag.data(), tag.size());
        m_bytes += ">\r\n";
    }
    void element(int tabs, QLatin1StringView tag, const QString &value, const QString &attributes)
    {
        const QByteArray bytes = attributes.toLatin1(); // attributeValue leaves ASCII alone
        element(tabs, tag, value, QLatin1StringView(bytes));
    }
    // Tabs and an element of attributes alone: "<tag attributes />".
    void emptyElement(int tabs, QLatin1StringView tag, const QString &attributes)
    {
        m_bytes.append("\t\t\t\t", tabs);
        m_bytes += '<';
        m_bytes.append(tag.data(), tag.size());
        m_bytes += attributes.toLatin1();
        m_bytes += " />\r\n";
    }
    // A file of the media folder, named by its public address; whether it has one is noted.
    QString publishedAddress(const QString &address)
    {
        const QString trimmed = address.trimmed();
        if (IsLocalMedia(trimmed))
            m_showsLocalMedia = m_showsLocalMedia || m_publicMedia.isEmpty();
        return PublishedMediaAddress(trimmed, m_publicMedia);
    }
    // A podcast:person line ("name<TAB>role<TAB>group<TAB>img<TAB>href").
    void person(int tabs, const QString &line)
    {
        const QStringList parts = TabParts(line, 5);
        element(tabs, "podcast:person"_L1, parts.at(0),
                attribute("role"_L1, parts.at(1)) + attribute("group"_L1, parts.at(2))
                        + attribute("img"_L1, parts.at(3)) + attribute("href"_L1, parts.at(4)));
    }
    void description(const EntryContent &content, const StyleBlockRemover &removeStyleBlocks,
                     const CodePageText::StyleBlockRemover &removeCodePageStyleBlocks)
    {
        m_bytes += "\t\t<description><![CDATA[";
        const qsizetype start = m_bytes.size();
        if (!appendCodePageDescription(content, removeCodePageStyleBlocks)) {
            // Kept, the letters become references, which leaves no character beyond ASCII.
            const QString text = m_keepAccents ? descriptionKeepingAccents(content.text(), removeStyleBlocks)
                                               : descriptionText(content.text(), removeStyleBlocks);
            Windows1252::appendEncoded(m_bytes, XmlText::cdataContent(WithPublicMedia(text, m_publicMedia)));
        }
        // Without a public address the pictures keep their project-relative address.
        const QByteArrayView written = QByteArrayView(m_bytes).sliced(start);
        m_showsLocalMedia = m_showsLocalMedia || (m_publicMedia.isEmpty() && UsesProjectMedia(written));
        m_pointsAtFiles = m_pointsAtFiles || PointsAtLocalFiles(written);
        m_bytes += "]]></description>\r\n";
    }
    // A new item: nothing of it shown yet.
    void startItem()
    {
        m_showsLocalMedia = false;
        m_pointsAtFiles = false;
        line(u"\t<item>");
    }
    // Whether the item showed a file of the media folder (a picture of its description, its
    // enclosure) that has no public address, and whether its description pointed at a file on
    // the author's disk ("file:").
    bool showedLocalMedia() const { return m_showsLocalMedia; }
    bool pointedAtFiles() const { return m_pointsAtFiles; }
    // The entry's fields of the field table that go to the feed, in the table's order.
    void fields(const RSSentry &entry, bool podcast)
    {
        for (const EntryField &field : EntryFields) {
            const QString &value = field.value(entry);
            if (value.isEmpty())
                continue;
            switch (field.rss) {
            case RssPlace::Element: element(2, field.rssTag, value); break;
            case RssPlace::Author: element(2, IsMailAuthor(value) ? "author"_L1 : "dc:creator"_L1, value); break;
            case RssPlace::EachLine:
                for (const QString &item : field.items(entry)) {
                    if (!item.contains(u'\t')) {
                        element(2, field.rssTag, item);
                        continue;
                    }
                    const auto [name, domain] = categoryOf(item);
                    element(2, field.rssTag, name, domain);
                }
                break;
            case RssPlace::Enclosure: {
                // A file of the media folder is named by its public address, with its length and
                // type as it is now; without a public address readers cannot fetch it.
                QString length = IsWholeNumber(entry.enclosurelength) ? entry.enclosurelength : u"0"_s;
                QString type = entry.enclosuretype;
                if (IsLocalMedia(value.trimmed())) {
                    const MediaFacts now = LocalMediaFacts(value.trimmed(), m_projectPath);
                    if (now.size >= 0)
                        length = QString::number(now.size);
                    if (!now.type.isEmpty())
                        type = now.type;
                    m_showsLocalMedia = m_showsLocalMedia || m_publicMedia.isEmpty();
                }
                line(QString("\t\t<enclosure url=\""_L1
                             + attributeValue(PublishedMediaAddress(value.trimmed(), m_publicMedia)) + "\" length=\""_L1
                             + attributeValue(length) + "\" type=\""_L1 + attributeValue(type) + "\" />"_L1));
                break;
            }
            case RssPlace::Podcast:
                if (podcast && !entry.enclosureurl.isEmpty()) {
                    const QString tag = "itunes:"_L1 + field.rssTag;
                    // Apple reads explicit as true or false, a block as Yes.
                    const QString on = field.rssTag == "explicit"_L1 ? u"true"_s : u"Yes"_s;
                    element(2, QLatin1StringView(tag.toLatin1()), field.kind == EntryFieldKind::Option ? on : value);
                }
                break;
            case RssPlace::PodcastImage:
                if (podcast && !entry.enclosureurl.isEmpty())
                    emptyElement(2, "itunes:image"_L1, attribute("href"_L1, publishedAddress(value)));
                break;
            case RssPlace::Podcasting:
                if (podcast && !entry.enclosureurl.isEmpty())
                    podcasting(field, entry);
                break;
            case RssPlace::None:
            case RssPlace::Guid:
            case RssPlace::PublicationDate: break;
            }
        }
    }
    // An episode's tags of the podcast namespace, from its lines.
    void podcasting(const EntryField &field, const RSSentry &entry)
    {
        for (const QString &line : field.items(entry)) {
            if (field.rssTag == "person"_L1) {
                person(2, line);
            } else if (field.rssTag == "transcript"_L1) {
                const QStringList parts = WordParts(line, 3);
                const QString type = parts.at(1).isEmpty() ? typeByName(parts.at(0)) : parts.at(1);
                emptyElement(2, "podcast:transcript"_L1,
                             attribute("url"_L1, publishedAddress(MediaWordAddress(parts.at(0))))
                                     + attribute("type"_L1, type) + attribute("language"_L1, parts.at(2)));
            } else {
                const QStringList parts = WordParts(line, 2);
                const QString type = parts.at(1).isEmpty() ? u"application/json+chapters"_s : parts.at(1);
                emptyElement(2, "podcast:chapters"_L1,
                             attribute("url"_L1, publishedAddress(MediaWordAddress(parts.at(0))))
                                     + attribute("type"_L1, type));
            }
        }
    }
    // The show's podcast tags; whether it is explicit is always said, as directories require.
    void podcastChannel(const ChannelSettings &c)
    {
        if (!c.podcastauthor.isEmpty())
            element(1, "itunes:author"_L1, c.podcastauthor);
        if (!c.podcastowner.isEmpty() || !c.podcastemail.isEmpty()) {
            line(u"\t<itunes:owner>");
            if (!c.podcastowner.isEmpty())
                element(2, "itunes:name"_L1, c.podcastowner);
            if (!c.podcastemail.isEmpty())
                element(2, "itunes:email"_L1, c.podcastemail);
            line(u"\t</itunes:owner>");
        }
        if (!c.podcastimage.isEmpty())
            line(QString("\t<itunes:image href=\""_L1
                         + attributeValue(PublishedMediaAddress(c.podcastimage.trimmed(), m_publicMedia)) + "\" />"_L1));
        // Directories match the category names exactly: blanks typed around them go.
        for (const auto &[category, subcategory] : {std::pair{&c.podcastcategory, &c.podcastsubcategory},
                                                    std::pair{&c.podcastcategory2, &c.podcastsubcategory2},
                                                    std::pair{&c.podcastcategory3, &c.podcastsubcategory3}}) {
            if (category->trimmed().isEmpty())
                continue;
            const QString text = "\t<itunes:category text=\""_L1 + attributeValue(category->trimmed()) + u'"';
            if (subcategory->trimmed().isEmpty()) {
                line(QString(text + " />"_L1));
            } else {
                line(QString(text + u'>'));
                line(QString("\t\t<itunes:category text=\""_L1 + attributeValue(subcategory->trimmed()) + "\" />"_L1));
                line(u"\t</itunes:category>");
            }
        }
        line(c.podcastexplicit == "1"_L1 ? u"\t<itunes:explicit>true</itunes:explicit>"
                                         : u"\t<itunes:explicit>false</itunes:explicit>");
        if (const QString type = PodcastType(c.podcasttype); !type.isEmpty())
            element(1, "itunes:type"_L1, type);
        if (c.podcastcomplete == "1"_L1)
            line(u"\t<itunes:complete>Yes</itunes:complete>");
        if (c.podcastblock == "1"_L1)
            line(u"\t<itunes:block>Yes</itunes:block>");
        if (!c.podcastnewfeedurl.trimmed().isEmpty())
            element(1, "itunes:new-feed-url"_L1, c.podcastnewfeedurl.trimmed());
        if (!c.podcastguid.trimmed().isEmpty())
            element(1, "podcast:guid"_L1, c.podcastguid.trimmed());
        if (c.podcastlocked == "1"_L1 || !c.podcastlockowner.trimmed().isEmpty())
            element(1, "podcast:locked"_L1, c.podcastlocked == "1"_L1 ? u"yes"_s : u"no"_s,
                    attribute("owner"_L1, c.podcastlockowner.trimmed()));
        for (const QString &funding : c.podcastfunding.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList parts = WordParts(funding, 2);
            element(1, "podcast:funding"_L1, parts.at(1), attribute("url"_L1, parts.at(0)));
        }
        for (const QString &person : c.podcastperson.split(u'\n', Qt::SkipEmptyParts))
            this->person(1, person);
    }
    void reserve(qsizetype bytes) { m_bytes.reserve(bytes); }
    QByteArray take() { return std::move(m_bytes); }

private:
    // descriptionText (or descriptionKeepingAccents) and cdataContent on the content's code page
    // bytes, for a content that the code page holds (nearly every one), in one route with no
    // copy of the body but the one written. The transliterated text is plain ASCII, so only
    // control characters can be left of what XML forbids. False, and nothing written, when the
    // content needs the text route.
    bool appendCodePageDescription(const EntryContent &content,
                                   const CodePageText::StyleBlockRemover &removeStyleBlocks)
    {
        const std::optional<QByteArrayView> body =
                content.writersBody(removeStyleBlocks, {.dropLineBreaks = true, .transliterate = !m_keepAccents});
        if (!body)
            return false;
        thread_local QByteArray room;
        XmlText::appendReferencedCdata(m_bytes, WithPublicMedia(*body, m_publicMediaBytes, room));
        return true;
    }

    QByteArray m_bytes;
    bool m_keepAccents;
    bool m_showsLocalMedia = false;
    bool m_pointsAtFiles = false;
    QString m_publicMedia;
    QByteArray m_publicMediaBytes;
    QString m_projectPath;
};

} // namespace

namespace {

// The file in pieces, handed to `sink` in order as they are made: the channel lines, the items
// (streamInPieces: never more than two batches of them in memory), the closing lines. False as
// soon as the sink refuses a piece.
bool rssFileInPieces(const FeedDocument &document, const QString &styleBlock, const QDateTime &moment,
                     const QLocale &locale, const PieceSink &sink, RssFacts *facts)
{
    const ChannelSettings &c = document.channel;
    const FeedOptions options = FeedOptions::of(document);
    const bool selfLink = options.entryDatesAndIds && !options.selfUrl.isEmpty();
    const int count = document.entryCount();
    const FeedItemSelection selection = FeedItemCount(document.channel, count, locale);
    // A name without an e-mail address goes to <dc:creator>, whose namespace is then declared.
    bool creators = false;
    for (int k = 0; k < selection.taken && !creators; ++k) {
        const QString &author = document.entries.at(count - k).author;
        creators = !author.isEmpty() && !IsMailAuthor(author);
    }
    const bool podcast = c.podcast == "1"_L1;
    const bool podcasting = UsesPodcastingTags(document, selection.taken);
    // Files of the project's media folder are read from the folder published beside the feed.
    const QString publicMedia = PublicMediaAddress(document.ftp.feedurl);
    RssLines out(options.keepAccents, publicMedia);
    out.line(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    out.line(QString("<rss version=\"2.0\""_L1 + (selfLink ? " xmlns:atom=\"http://www.w3.org/2005/Atom\""_L1 : ""_L1)
                     + (creators ? " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""_L1 : ""_L1)
                     + (podcast ? " xmlns:itunes=\""_L1 + QLatin1StringView(PodcastNamespace) + u'"' : QString())
                     + (podcasting ? " xmlns:podcast=\""_L1 + QLatin1StringView(PodcastingNamespace) + u'"' : QString())
                     + u'>'));
    out.line(u"\t<channel>");
    if (selfLink)
        out.line(QString("\t<atom:link href=\""_L1 + attributeValue(options.selfUrl)
                         + "\" rel=\"self\" type=\"application/rss+xml\" />"_L1));
    if (!c.title.isEmpty())
        out.element(1, "title"_L1, c.title);
    if (!c.link.isEmpty())
        out.element(1, "link"_L1, c.link);
    if (!c.description.isEmpty())
        out.element(1, "description"_L1, c.description);
    if (!c.language.isEmpty())
        out.element(1, "language"_L1, c.language);
    out.line(QString("\t<pubDate>"_L1 + PublicationDate(moment) + "</pubDate>"_L1));
    out.line(QString("\t<docs>"_L1 + QLatin1StringView(RssDocsUrl) + "</docs>"_L1));
    if (!c.managingeditor.isEmpty())
        out.element(1, "managingEditor"_L1, c.managingeditor);
    if (!c.webmaster.isEmpty())
        out.element(1, "webMaster"_L1, c.webmaster);
    for (const QString &line : c.category.split(u'\n', Qt::SkipEmptyParts)) {
        const auto [name, domain] = categoryOf(line);
        out.element(1, "category"_L1, name, domain);
    }
    // A time to live is a number of minutes; anything else would make the feed invalid.
    if (IsWholeNumber(c.ttl))
        out.element(1, "ttl"_L1, c.ttl);
    if (!c.imageurl.isEmpty()) {
        out.line(u"\t<image>");
        out.element(2, "url"_L1, PublishedMediaAddress(c.imageurl.trimmed(), publicMedia));
        if (!c.imagetitle.isEmpty())
            out.element(2, "title"_L1, c.imagetitle);
        if (!c.imagelink.isEmpty())
            out.element(2, "link"_L1, c.imagelink);
        out.line(u"\t</image>");
    }
    if (podcast)
        out.podcastChannel(c);

    const QString treatedStyleBlock =
            options.keepAccents ? withoutLineBreaks(styleBlock) : treatedForDescription(styleBlock);
    const StyleBlockRemover removeStyleBlocks(styleBlock, treatedStyleBlock);
    const CodePageText::StyleBlockRemover removeCodePageStyleBlocks(styleBlock, treatedStyleBlock);
    const QList<QString> ids = options.entryDatesAndIds ? EntryIds(document) : QList<QString>();
    const DateText::Reader dates(locale);
    // The newest entry whose body shows what readers cannot reach; pieces are made in parallel.
    std::mutex factsMutex;
    RssFacts found;
    // The items are made in pieces on every core, each piece from the newest of its entries
    // down, and joined in order.
    const auto buildItems = [&](qsizetype begin, qsizetype end) {
        auto entryAt = [&](qsizetype k) -> const RSSentry & { return document.entries.at(count - int(k)); };
        RssLines piece(options.keepAccents, publicMedia, document.projectPath);
        // Bodies shrink by their style block and stay about as long otherwise; with the letters
        // kept as references, they grow by about half.
        qsizetype estimate = 0;
        for (qsizetype k = begin; k < end; ++k) {
            const RSSentry &entry = entryAt(k);
            const qsizetype body = entry.content.sizeHint();
            estimate += entry.title.size() + entry.link.size() + (options.keepAccents ? body * 3 / 2 : body) + 96;
        }
        piece.reserve(estimate);
        for (qsizetype k = begin; k < end; ++k) {
            const RSSentry &entry = entryAt(k);
            piece.startItem();
            if (!entry.title.isEmpty())
                piece.element(2, "title"_L1, entry.title);
            if (!entry.link.isEmpty())
                piece.element(2, "link"_L1, entry.link);
            if (!entry.content.isEmpty())
                piece.description(entry.content, removeStyleBlocks, removeCodePageStyleBlocks);
            if (options.entryDatesAndIds) {
                // The entry's own publication date, else its creation date; a date the project
                // could not read is left out rather than made up.
                QDateTime published = withStoredOffset(entry.pubdate);
                if (!published.isValid() && !entry.pubdate.isEmpty())
                    published = dates.read(entry.pubdate);
                if (published.isValid())
                    piece.line(QString("\t\t<pubDate>"_L1 + PublicationDate(published) + "</pubDate>"_L1));
                else if (entry.unreadDate.isEmpty())
                    piece.line(QString("\t\t<pubDate>"_L1 + PublicationDate(entry.createdate) + "</pubDate>"_L1));
            }
            // The entry's stored ID, else (entries dated and identified) the one made from its date.
            if (!entry.guid.isEmpty())
                piece.element(2, "guid"_L1, entry.guid,
                              entry.guidpermalink == "1"_L1 ? " isPermaLink=\"true\""_L1 : " isPermaLink=\"false\""_L1);
            else if (options.entryDatesAndIds)
                piece.element(2, "guid"_L1, ids.at(count - int(k) - 1), " isPermaLink=\"false\""_L1);
            piece.fields(entry, podcast);
            piece.line(u"\t</item>");
            if (piece.showedLocalMedia() || piece.pointedAtFiles()) {
                const std::lock_guard lock(factsMutex);
                const int key = count - int(k);
                if (piece.showedLocalMedia())
                    found.entryWithLocalMedia = std::max(found.entryWithLocalMedia, key);
                if (piece.pointedAtFiles())
                    found.entryWithFileReference = std::max(found.entryWithFileReference, key);
            }
        }
        return piece.take();
    };
    if (!sink(out.take()))
        return false;
    if (!streamInPieces(selection.taken, buildItems, sink))
        return false;
    found.mediaWithoutPublicAddress = found.entryWithLocalMedia > 0;
    RssLines closing(options.keepAccents);
    closing.line(u"\t</channel>");
    closing.line(u"</rss>");
    if (!sink(closing.take()))
        return false;
    if (facts)
        *facts = found;
    return true;
}

} // namespace

QByteArray BuildRssFile(const FeedDocument &document, const QString &styleBlock, const QDateTime &moment,
                        const QLocale &locale, RssFacts *facts)
{
    QByteArray file;
    rssFileInPieces(
            document, styleBlock, moment, locale,
            [&file](QByteArrayView piece) {
                file += piece;
                return true;
            },
            facts);
    return file;
}

qint64 MeasureRssFile(const FeedDocument &document, const QString &styleBlock, const QDateTime &moment, RssFacts *facts)
{
    qint64 size = 0;
    rssFileInPieces(
            document, styleBlock, moment, QLocale::system(),
            [&size](QByteArrayView piece) {
                size += piece.size();
                return true;
            },
            facts);
    return size;
}

bool WriteRssFile(const FeedDocument &document, const QString &path, const QString &programFolder,
                  const QDateTime &moment, QString *error, RssFacts *facts)
{
    const QString styleBlock = BuildStyleBlock(programFolder);
    // The file is made again from the project at every generate and publish; the rename keeps
    // it whole, and waiting for the disk would only make the user wait.
    // The pieces go to the file as they are made, never joined in memory.
    return writeFileAtomically(
            path,
            [&](const PieceSink &sink) {
                return rssFileInPieces(document, styleBlock, moment, QLocale::system(), sink, facts);
            },
            error, Durability::Regenerable);
}

bool MayReplaceWithRss(const QString &path, QString *reason)
{
    auto refuse = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (!QFile::exists(path))
        return !QFileInfo(path).isSymLink() || refuse(u"is a link to a file that does not exist"_s);
    QFile file;
    QString why;
    if (!openRegularFile(file, path, &why))
        return refuse(why);
    // The declaration and the start of the rss element fit well into the first kilobytes.
    const QByteArray head = file.read(4096);
    if (head.isEmpty() && file.atEnd())
        return true;
    static const QRegularExpression rssStart(u"\\A(\\xEF\\xBB\\xBF)?<\\?xml\\s[^<>]*\\?>\\s*<rss[\\s>]"_s);
    if (rssStart.match(QString::fromLatin1(head)).hasMatch())
        return true;
    return refuse(u"is not an RSS file (it does not start with an XML declaration and <rss)"_s);
}

QString FeedCopyPath(const QString &ftpfile, const QString &projectPath)
{
    if (ftpfile.isEmpty())
        return {};
    return QDir::cleanPath(QDir(QFileInfo(projectPath).absolutePath()).absoluteFilePath(ftpfile));
}

bool MayKeepFeedCopy(const QString &ftpfile, const QString &projectPath, QString *reason)
{
    auto refuse = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    const QString path = FeedCopyPath(ftpfile, projectPath);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != "xml"_L1 && suffix != "rss"_L1 && suffix != "atom"_L1)
        return refuse(u"only a file ending in .xml, .rss or .atom is written as the feed's local copy"_s);
    // Folders compared as they are on the disk, so that neither ".." nor a linked folder leads out.
    const QString projectFolder = QFileInfo(QFileInfo(projectPath).absolutePath()).canonicalFilePath();
    const QString folder = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    if (projectFolder.isEmpty() || folder.isEmpty()
        || (folder != projectFolder
            && !folder.startsWith(projectFolder.endsWith(u'/') ? projectFolder : projectFolder + u'/')))
        return refuse(u"only a file in the project's folder or below it is written as the feed's local copy"_s);
    if (QFileInfo(path).isSymLink())
        return refuse(u"is a symbolic link"_s);
    return MayReplaceWithRss(path, reason);
}

} // namespace Feedsmith
