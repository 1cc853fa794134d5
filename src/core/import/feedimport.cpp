// The feed importer, on QXmlStreamReader.
#include "core/import/feedimport.h"

#include "core/document/entryfields.h"

#include "core/output/rsswriter.h"
#include "core/project/datetext.h"
#include "core/text/addressschemes.h"
#include "core/text/htmlentities.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"

#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>
#include <QXmlStreamReader>

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr auto AtomNs = "http://www.w3.org/2005/Atom"_L1;
// Atom 0.3, the draft before Atom 1.0, which some programs still write.
constexpr auto Atom03Ns = "http://purl.org/atom/ns#"_L1;
constexpr auto RdfNs = "http://www.w3.org/1999/02/22-rdf-syntax-ns#"_L1;
constexpr auto ContentNs = "http://purl.org/rss/1.0/modules/content/"_L1;
constexpr auto DcNs = "http://purl.org/dc/elements/1.1/"_L1;
constexpr auto XhtmlNs = "http://www.w3.org/1999/xhtml"_L1;
constexpr auto ItunesNs = "http://www.itunes.com/dtds/podcast-1.0.dtd"_L1;
constexpr auto AdminNs = "http://webns.net/mvcb/"_L1;

// Podcasting 2.0, whose address early feeds gave as that of its documentation.
bool isPodcastingNamespace(QStringView ns)
{
    return ns == "https://podcastindex.org/namespace/1.0"_L1 || ns == "http://podcastindex.org/namespace/1.0"_L1
            || ns == "https://github.com/Podcastindex-org/podcast-namespace/blob/main/docs/1.0.md"_L1;
}

// A flag of Apple's tags: "Yes" (in any case), or "true" as some writers put it.
bool isYes(const QString &text)
{
    const QString flag = text.trimmed().toLower();
    return flag == "yes"_L1 || flag == "true"_L1;
}

// Media RSS, whose address is written with and without its closing slash.
bool isMediaNamespace(QStringView ns)
{
    return ns == "http://search.yahoo.com/mrss/"_L1 || ns == "http://search.yahoo.com/mrss"_L1;
}

// The namespaces RSS's own elements come in: none (0.91, 0.92, 2.0), those of RSS 0.90 and 1.0,
// and two that some RSS 2.0 writers use.
bool isRssNamespace(QStringView ns)
{
    return ns.isEmpty() || ns == "http://purl.org/rss/1.0/"_L1 || ns == "http://my.netscape.com/rdf/simple/0.9/"_L1
            || ns == "http://backend.userland.com/rss2"_L1 || ns == "http://blogs.law.harvard.edu/tech/rss"_L1;
}

QString escapeHtml(QStringView text, bool attribute = false)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'&')
            out += "&amp;"_L1;
        else if (c == u'<')
            out += "&lt;"_L1;
        else if (c == u'>')
            out += "&gt;"_L1;
        else if (attribute && c == u'"')
            out += "&quot;"_L1;
        else
            out += c;
    }
    return out;
}

// The character a reference names ("amp", "eacute", "#233", "#xE9"), or none. A number is
// digits alone, no sign or blank, and names a character: no control character, no surrogate half.
QString referenceText(QStringView name)
{
    if (!name.startsWith(u'#'))
        return HtmlNamedCharacter(name);
    const bool hex = name.size() > 1 && (name.at(1) == u'x' || name.at(1) == u'X');
    const QStringView digits = name.sliced(hex ? 2 : 1);
    if (digits.isEmpty())
        return {};
    // A name has at most nine characters, so the number cannot overflow.
    char32_t code = 0;
    for (const QChar d : digits) {
        const char16_t u = d.unicode();
        int value = -1;
        if (u >= u'0' && u <= u'9')
            value = u - u'0';
        else if (hex && (u | 0x20) >= u'a' && (u | 0x20) <= u'f')
            value = (u | 0x20) - u'a' + 10;
        if (value < 0)
            return {};
        code = code * (hex ? 16 : 10) + char32_t(value);
    }
    if (code < 0x20 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code == 0x7F)
        return {};
    return QString::fromUcs4(&code, 1);
}

// HTML as plain text: tags dropped, the common references turned into characters. One pass:
// the ';' of a reference is looked for only within the ten characters a reference can have, so
// text full of '&' costs no more than any other.
QString htmlToText(QStringView html)
{
    QString out;
    out.reserve(html.size());
    const qsizetype n = html.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = html.at(i);
        if (c == u'<') {
            // A tag left open drops the rest.
            const qsizetype close = html.indexOf(u'>', i + 1);
            if (close < 0)
                break;
            i = close + 1;
            continue;
        }
        if (c == u'&') {
            const qsizetype semicolon = html.sliced(i + 1, std::min<qsizetype>(10, n - i - 1)).indexOf(u';');
            const QString replacement = semicolon > 0 ? referenceText(html.sliced(i + 1, semicolon)) : QString();
            if (!replacement.isEmpty()) {
                out += replacement;
                i += semicolon + 2;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

// A value for a one-line field: line breaks and tabs become blanks, the ends are trimmed.
QString oneLine(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
    }
    return out.trimmed();
}

// An HTML body on one line, as the editor gives it: the project and RSS writers drop line
// breaks, which would glue the words on both sides together, so a line break becomes a blank,
// or a <br> inside a <pre> element where it is part of the text.
QString oneLineHtml(const QString &html)
{
    QString out;
    out.reserve(html.size());
    int preDepth = 0;
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (c == u'<') {
            const QStringView rest = QStringView(html).mid(i);
            if (rest.startsWith(u"<pre", Qt::CaseInsensitive) && rest.size() > 4 && !rest.at(4).isLetterOrNumber())
                ++preDepth;
            else if (rest.startsWith(u"</pre", Qt::CaseInsensitive) && preDepth > 0)
                --preDepth;
        }
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < html.size() && html.at(i + 1) == u'\n')
                ++i;
            out += preDepth > 0 ? "<br>"_L1 : " "_L1;
        } else {
            out += c;
        }
    }
    return out.trimmed();
}

// Plain text as HTML: escaped, its line breaks kept as <br>.
QString textToHtml(const QString &text)
{
    QString html = escapeHtml(text.trimmed());
    html.replace("\r\n"_L1, "\n"_L1).replace(u'\r', u'\n').replace(u"\n"_s, u"<br>"_s);
    return html;
}

// An address as the feed wrote it, or resolved when it is relative and there is a base.
QString resolved(const QUrl &base, const QString &address)
{
    if (base.isEmpty() || address.isEmpty())
        return address;
    const QUrl url(address);
    return url.isRelative() ? base.resolved(url).toString() : address;
}

// HTML with the relative addresses of its href and src attributes resolved against the base,
// as feed readers resolve them; comments and text are left as they are.
QString withResolvedAddresses(const QString &html, const QUrl &base)
{
    if (base.isEmpty())
        return html;
    QString out;
    const qsizetype n = html.size();
    qsizetype copied = 0;
    for (qsizetype i = html.indexOf(u'<'); i >= 0 && i < n; i = html.indexOf(u'<', i)) {
        if (QStringView(html).sliced(i).startsWith("<!--"_L1)) {
            const qsizetype end = html.indexOf("-->"_L1, i + 4);
            i = end < 0 ? n : end + 3;
            continue;
        }
        qsizetype j = i + 1;
        if (j >= n || !html.at(j).isLetter()) {
            i = j;
            continue;
        }
        while (j < n && html.at(j) != u'>') {
            // An attribute: its name, and its value when it has one.
            while (j < n && (html.at(j).isSpace() || html.at(j) == u'/'))
                ++j;
            const qsizetype nameStart = j;
            while (j < n && !html.at(j).isSpace() && html.at(j) != u'=' && html.at(j) != u'>')
                ++j;
            const QStringView attribute = QStringView(html).sliced(nameStart, j - nameStart);
            while (j < n && html.at(j).isSpace())
                ++j;
            if (j >= n || html.at(j) != u'=')
                continue;
            ++j;
            while (j < n && html.at(j).isSpace())
                ++j;
            const QChar quote = j < n && (html.at(j) == u'"' || html.at(j) == u'\'') ? html.at(j) : QChar();
            const qsizetype valueStart = quote.isNull() ? j : j + 1;
            qsizetype valueEnd = valueStart;
            while (valueEnd < n
                   && (quote.isNull() ? !html.at(valueEnd).isSpace() && html.at(valueEnd) != u'>'
                                      : html.at(valueEnd) != quote))
                ++valueEnd;
            j = quote.isNull() ? valueEnd : std::min(n, valueEnd + 1);
            if (attribute.compare("href"_L1, Qt::CaseInsensitive) != 0
                && attribute.compare("src"_L1, Qt::CaseInsensitive) != 0)
                continue;
            const QString value = html.sliced(valueStart, valueEnd - valueStart).trimmed();
            const QString address = resolved(base, value);
            if (address == value)
                continue;
            out += QStringView(html).sliced(copied, valueStart - copied);
            out += quote.isNull() ? QString(address).replace(u'"', "%22"_L1) : address;
            copied = valueEnd;
        }
        i = j;
    }
    if (copied == 0)
        return html;
    out += QStringView(html).sliced(copied);
    return out;
}

bool isVoidElement(QStringView name)
{
    static constexpr const char *Void[] = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                           "input", "link", "meta", "param", "source", "track", "wbr"};
    for (const char *v : Void) {
        if (name.compare(QLatin1StringView(v), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The content of the element the reader stands on, read to its end element.
struct ElementContent
{
    QString text; // the character data, child elements left out
    QString markup; // child elements written as HTML, character data escaped
    bool hasChildElements = false;
    // The markup inside the one child element when the content is a single XHTML div (Atom's
    // xhtml content), else the markup.
    QString innerMarkup;

    // The content as HTML: markup when it has elements of its own, else the text, which is
    // HTML already (RSS descriptions escape or wrap it in CDATA).
    QString html() const { return hasChildElements ? innerMarkup : text; }
    // The content as XHTML: the markup inside Atom's div, or the text escaped.
    QString xhtml() const { return hasChildElements ? innerMarkup : escapeHtml(text); }
};

// An enclosure as a feed gives it: an RSS enclosure, an Atom enclosure link or Media RSS content.
struct Enclosure
{
    QString url;
    QString length;
    QString type;
};

// An item while it is read: the entry and what is gathered for it.
struct Item
{
    RSSentry entry;
    QStringList categories;
    QList<Enclosure> enclosures;
    QList<Enclosure> media; // Media RSS audio and video, an enclosure only where the item has none
    QString mediaDescription; // Media RSS's description as HTML, the body where the item has none
    QSet<QString> leftOut; // what the entry has no place for, by the name the notes give it
    QSet<QString> unsafe; // addresses left out as no feed may carry them, by the name the notes give
};

// One of an item's date elements: whether it was there, and the moment it gives.
struct ItemDate
{
    QString name;
    bool given = false;
    QDateTime moment = {};

    void read(const QString &text)
    {
        given = true;
        if (!moment.isValid())
            moment = DateText::parseInternetDate(text);
    }
};

class FeedParser
{
public:
    FeedParser(const QDateTime &now, ImportedFeed &feed)
        : m_now(now)
        , m_feed(feed)
    { }

    bool parse(QXmlStreamReader &xml, QString *error)
    {
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::DTD) {
                // Declarations of its own could expand an entity a billion times or name a file.
                if (!xml.entityDeclarations().isEmpty() || !xml.notationDeclarations().isEmpty()
                    || xml.text().contains(u'[')) {
                    *error = u"declares a document type of its own, which is not read"_s;
                    return false;
                }
            } else if (token == QXmlStreamReader::StartElement) {
                if (!readRoot(xml)) {
                    if (!xml.hasError()) {
                        *error = u"is not an RSS or Atom feed (its root element is <"_s + xml.qualifiedName().toString()
                                + u">)"_s;
                        return false;
                    }
                }
                break;
            }
        }
        if (xml.hasError()) {
            *error = u"is no well-formed feed: "_s + xml.errorString() + u" (line "_s
                    + QString::number(xml.lineNumber()) + u')';
            return false;
        }
        if (m_feed.format.isEmpty()) {
            *error = u"is not an RSS or Atom feed"_s;
            return false;
        }
        writeNotes();
        return true;
    }

private:
    bool readRoot(QXmlStreamReader &xml)
    {
        const QStringView name = xml.name();
        const QStringView ns = xml.namespaceUri();
        if (name == "rss"_L1 && isRssNamespace(ns)) {
            const QString version = xml.attributes().value("version"_L1).toString();
            m_feed.format = u"RSS "_s + (version.isEmpty() ? u"2.0"_s : version);
            readRss(xml, baseOf(xml, QUrl()));
        } else if (name == "RDF"_L1 && ns == RdfNs) {
            m_feed.format = u"RSS 1.0"_s;
            readRss(xml, baseOf(xml, QUrl()));
            if (m_feed.channel.title.isEmpty() && m_feed.items.isEmpty() && !xml.hasError())
                m_feed.format.clear();
        } else if (name == "feed"_L1 && ns == AtomNs) {
            m_feed.format = u"Atom 1.0"_s;
            readAtomFeed(xml);
        } else if (name == "feed"_L1
                   && (ns == Atom03Ns || (ns.isEmpty() && xml.attributes().value("version"_L1) == "0.3"_L1))) {
            // Its elements are read as the Atom 1.0 ones they became.
            m_feed.format = u"Atom 0.3"_s;
            m_atomNs = ns.toString();
            m_atom03 = true;
            readAtomFeed(xml);
        } else {
            return false;
        }
        return true;
    }

    // RSS 0.9x and 2.0 hold everything in <channel>; RSS 0.90 and 1.0 put the image and the
    // items beside it. Both are read by one walk. Addresses are resolved against the xml:base
    // around them, as feed readers resolve them.
    void readRss(QXmlStreamReader &xml, const QUrl &base)
    {
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            if (name == "channel"_L1 && isRssNamespace(xml.namespaceUri()))
                readRssChannel(xml, baseOf(xml, base));
            else if (name == "item"_L1 && isRssNamespace(xml.namespaceUri()))
                readRssItem(xml, baseOf(xml, base));
            else if (name == "image"_L1 && isRssNamespace(xml.namespaceUri()))
                readRssImage(xml);
            else
                skipChannelElement(xml);
        }
    }

    void readRssChannel(QXmlStreamReader &xml, const QUrl &base)
    {
        ChannelSettings &channel = m_feed.channel;
        QString dcLanguage;
        QStringList categories; // each "name" or "name<TAB>domain"
        QStringList dcSubjects;
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            const QStringView ns = xml.namespaceUri();
            if (isRssNamespace(ns)) {
                if (name == "title"_L1)
                    channel.title = field(u"channel title"_s, readContent(xml).text);
                else if (name == "link"_L1)
                    channel.link = channelAddress(u"channel link"_s, addressIn(xml, base));
                else if (name == "description"_L1)
                    channel.description = field(u"channel description"_s, readContent(xml).text);
                else if (name == "language"_L1)
                    channel.language = readContent(xml).text;
                else if (name == "managingEditor"_L1)
                    channel.managingeditor = field(u"managing editor"_s, readContent(xml).text);
                else if (name == "webMaster"_L1)
                    channel.webmaster = field(u"web master"_s, readContent(xml).text);
                else if (name == "category"_L1)
                    categories.append(categoryLine(xml, u"category"_s));
                else if (name == "ttl"_L1)
                    channel.ttl = readContent(xml).text;
                else if (name == "image"_L1)
                    readRssImage(xml);
                else if (name == "item"_L1)
                    readRssItem(xml, baseOf(xml, base));
                else
                    skipChannelElement(xml);
            } else if (ns == DcNs && name == "language"_L1) {
                dcLanguage = readContent(xml).text;
            } else if (ns == DcNs && name == "subject"_L1) {
                dcSubjects.append(field(u"category"_s, readContent(xml).text));
            } else if ((ns == ItunesNs && readPodcastChannel(xml, name))
                       || (isPodcastingNamespace(ns) && readPodcastingChannel(xml, name))) {
                channel.podcast = u"1"_s;
            } else {
                skipChannelElement(xml);
            }
        }
        if (channel.language.isEmpty())
            channel.language = dcLanguage;
        // Each category stays one, with its domain.
        categories.removeAll(QString());
        dcSubjects.removeAll(QString());
        channel.category = (categories.isEmpty() ? dcSubjects : categories).join(u'\n');
    }

    // A category and its domain as a line: "name", or "name<TAB>domain".
    QString categoryLine(QXmlStreamReader &xml, const QString &what)
    {
        const QString domain = oneLine(xml.attributes().value("domain"_L1).toString());
        const QString name = field(what, readContent(xml).text);
        return name.isEmpty() ? QString() : TabLine({name, domain});
    }

    // The text of an element that holds an address, resolved against the xml:base around it.
    QString addressIn(QXmlStreamReader &xml, const QUrl &base)
    {
        const QUrl here = baseOf(xml, base);
        return resolved(here, readContent(xml).text.trimmed());
    }

    // A podcast's channel tag into its field; false (nothing read) for a tag without one.
    bool readPodcastChannel(QXmlStreamReader &xml, QStringView name)
    {
        ChannelSettings &channel = m_feed.channel;
        if (name == "author"_L1) {
            channel.podcastauthor = field(u"podcast author"_s, readContent(xml).text);
        } else if (name == "explicit"_L1) {
            const QString flag = readContent(xml).text.trimmed().toLower();
            channel.podcastexplicit =
                    flag == "yes"_L1 || flag == "true"_L1 || flag == "explicit"_L1 ? u"1"_s : QString();
        } else if (name == "type"_L1) {
            channel.podcasttype = oneLine(readContent(xml).text);
        } else if (name == "image"_L1) {
            channel.podcastimage = channelAddress(u"podcast artwork"_s, xml.attributes().value("href"_L1).toString());
            xml.skipCurrentElement();
        } else if (name == "category"_L1) {
            // Three categories, each with its first subcategory, as Apple reads them.
            QString *category = &channel.podcastcategory;
            QString *subcategory = &channel.podcastsubcategory;
            if (!category->isEmpty()) {
                category = &channel.podcastcategory2;
                subcategory = &channel.podcastsubcategory2;
            }
            if (!category->isEmpty()) {
                category = &channel.podcastcategory3;
                subcategory = &channel.podcastsubcategory3;
            }
            if (!category->isEmpty()) {
                skipChannelElement(xml);
                return true;
            }
            *category = oneLine(xml.attributes().value("text"_L1).toString());
            while (xml.readNextStartElement()) {
                if (xml.namespaceUri() == ItunesNs && xml.name() == "category"_L1 && subcategory->isEmpty()) {
                    *subcategory = oneLine(xml.attributes().value("text"_L1).toString());
                    xml.skipCurrentElement();
                } else {
                    skipChannelElement(xml);
                }
            }
        } else if (name == "complete"_L1) {
            channel.podcastcomplete = isYes(readContent(xml).text) ? u"1"_s : QString();
        } else if (name == "block"_L1) {
            channel.podcastblock = isYes(readContent(xml).text) ? u"1"_s : QString();
        } else if (name == "new-feed-url"_L1) {
            channel.podcastnewfeedurl = channelAddress(u"podcast new feed address"_s, readContent(xml).text);
        } else if (name == "owner"_L1) {
            while (xml.readNextStartElement()) {
                if (xml.namespaceUri() == ItunesNs && xml.name() == "name"_L1)
                    channel.podcastowner = field(u"podcast owner"_s, readContent(xml).text);
                else if (xml.namespaceUri() == ItunesNs && xml.name() == "email"_L1)
                    channel.podcastemail = field(u"podcast e-mail"_s, readContent(xml).text);
                else
                    xml.skipCurrentElement();
            }
        } else {
            return false;
        }
        return true;
    }

    // A show's tag of the podcast namespace into its field; false (nothing read) for a tag
    // without one.
    bool readPodcastingChannel(QXmlStreamReader &xml, QStringView name)
    {
        ChannelSettings &channel = m_feed.channel;
        if (name == "guid"_L1) {
            channel.podcastguid = field(u"podcast GUID"_s, readContent(xml).text);
        } else if (name == "locked"_L1) {
            channel.podcastlockowner = field(u"podcast lock owner"_s, xml.attributes().value("owner"_L1).toString());
            channel.podcastlocked = isYes(readContent(xml).text) ? u"1"_s : QString();
        } else if (name == "funding"_L1) {
            const QString url =
                    channelAddress(u"podcast funding address"_s, xml.attributes().value("url"_L1).toString());
            const QString text = field(u"podcast funding"_s, readContent(xml).text);
            if (!url.isEmpty())
                appendLine(channel.podcastfunding, WordLine({blankless(url), text}));
        } else if (name == "person"_L1) {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString img = channelAddress(u"podcast person picture"_s, attributes.value("img"_L1).toString());
            const QString href = channelAddress(u"podcast person link"_s, attributes.value("href"_L1).toString());
            appendLine(channel.podcastperson, personLine(xml, attributes, img, href));
        } else {
            return false;
        }
        return true;
    }

    // A podcast:person as a line, "name<TAB>role<TAB>group<TAB>img<TAB>href"; empty without a name.
    QString personLine(QXmlStreamReader &xml, const QXmlStreamAttributes &attributes, const QString &img,
                       const QString &href)
    {
        const QString role = oneLine(attributes.value("role"_L1).toString());
        const QString group = oneLine(attributes.value("group"_L1).toString());
        const QString name = field(u"podcast person"_s, readContent(xml).text);
        return name.isEmpty() ? QString() : TabLine({name, role, group, img, href});
    }

    // Adds a line to a field of lines.
    static void appendLine(QString &lines, const QString &line)
    {
        if (line.isEmpty())
            return;
        if (!lines.isEmpty())
            lines += u'\n';
        lines += line;
    }

    // An address or a type as a word of a line: its blanks, which no address holds, encoded.
    static QString blankless(const QString &word) { return QString(word).replace(u' ', "%20"_L1); }

    void readRssImage(QXmlStreamReader &xml)
    {
        ChannelSettings &channel = m_feed.channel;
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            if (!isRssNamespace(xml.namespaceUri()))
                xml.skipCurrentElement();
            else if (name == "url"_L1)
                channel.imageurl = channelAddress(u"image address"_s, readContent(xml).text);
            else if (name == "title"_L1)
                channel.imagetitle = field(u"image title"_s, readContent(xml).text);
            else if (name == "link"_L1)
                channel.imagelink = channelAddress(u"image link"_s, readContent(xml).text);
            else
                xml.skipCurrentElement();
        }
    }

    // A child of the channel (or feed) that the document has no field for: counted by its name,
    // unless it only describes the file itself, which the RSS file describes anew.
    void skipChannelElement(QXmlStreamReader &xml)
    {
        const QStringView name = xml.name();
        const QStringView ns = xml.namespaceUri();
        const bool aboutTheFile =
                ((isRssNamespace(ns) || ns == AtomNs || (m_atom03 && ns == m_atomNs))
                 && (name == "pubDate"_L1 || name == "lastBuildDate"_L1 || name == "docs"_L1 || name == "generator"_L1
                     || name == "updated"_L1 || name == "items"_L1 || (m_atom03 && name == "modified"_L1)))
                || (ns == DcNs && name == "date"_L1) || (ns == AdminNs && name == "generatorAgent"_L1)
                || (ns == AtomNs && name == "link"_L1 && xml.attributes().value("rel"_L1) == "self"_L1);
        if (!aboutTheFile)
            ++m_channelLeftOut[xml.qualifiedName().toString()];
        xml.skipCurrentElement();
    }

    void readRssItem(QXmlStreamReader &xml, const QUrl &base)
    {
        Item item;
        RSSentry &entry = item.entry;
        QString description;
        QString encoded;
        QString permaLink;
        ItemDate pubDate{u"pubDate"_s};
        ItemDate dcDate{u"dc:date"_s};
        const QString about = xml.attributes().value(RdfNs, "about"_L1).toString().trimmed();
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            const QStringView ns = xml.namespaceUri();
            const QString qualifiedName = xml.qualifiedName().toString();
            if (isRssNamespace(ns)) {
                if (name == "title"_L1) {
                    entry.title = field(u"item title"_s, readContent(xml).text);
                } else if (name == "link"_L1) {
                    entry.link = itemAddress(item, u"link"_s, addressIn(xml, base));
                } else if (name == "description"_L1) {
                    const QUrl here = baseOf(xml, base);
                    description = withResolvedAddresses(readContent(xml).html(), here);
                } else if (name == "pubDate"_L1) {
                    pubDate.read(readContent(xml).text);
                } else if (name == "guid"_L1) {
                    const QStringView isPermaLink = xml.attributes().value("isPermaLink"_L1);
                    const bool permanent =
                            isPermaLink.isNull() || isPermaLink.trimmed().compare("true"_L1, Qt::CaseInsensitive) == 0;
                    // A permanent link is an address, resolved as links are.
                    const QString guid = field(u"item ID"_s, permanent ? addressIn(xml, base) : readContent(xml).text);
                    if (entry.guid.isEmpty()) {
                        entry.guid = guid;
                        entry.guidpermalink = permanent && !guid.isEmpty() ? u"1"_s : QString();
                    } else if (guid != entry.guid) {
                        item.leftOut.insert(qualifiedName);
                    }
                    if (isPermaLink != "false"_L1 && (guid.startsWith("http://"_L1) || guid.startsWith("https://"_L1)))
                        setOnce(permaLink, guid);
                } else if (name == "author"_L1) {
                    take(item, entry.author, field(u"item author"_s, readContent(xml).text), qualifiedName);
                } else if (name == "category"_L1) {
                    item.categories.append(categoryLine(xml, u"item category"_s));
                } else if (name == "comments"_L1) {
                    take(item, entry.comments, itemAddress(item, u"comments"_s, addressIn(xml, base)), qualifiedName);
                } else if (name == "enclosure"_L1) {
                    const QXmlStreamAttributes attributes = xml.attributes();
                    item.enclosures.append(
                            {resolved(baseOf(xml, base), attributes.value("url"_L1).toString().trimmed()),
                             attributes.value("length"_L1).toString(), attributes.value("type"_L1).toString()});
                    xml.skipCurrentElement();
                } else {
                    skipItemElement(xml, item);
                }
            } else if (ns == ContentNs && name == "encoded"_L1) {
                const QUrl here = baseOf(xml, base);
                encoded = withResolvedAddresses(readContent(xml).html(), here);
            } else if (ns == DcNs && name == "date"_L1) {
                dcDate.read(readContent(xml).text);
            } else if (!readItemExtension(xml, item)) {
                skipItemElement(xml, item);
            }
        }
        if (entry.link.isEmpty())
            entry.link = permaLink;
        // RSS 1.0 names each item by its address.
        if (entry.guid.isEmpty() && !about.isEmpty()) {
            entry.guid = field(u"item ID"_s, about);
            entry.guidpermalink = entry.guid == entry.link ? u"1"_s : QString();
        }
        // content:encoded is the whole text where the description is often a summary.
        const bool encodedWins = !encoded.trimmed().isEmpty();
        entry.content = oneLineHtml(encodedWins ? encoded : description);
        if (encodedWins && !description.trimmed().isEmpty() && oneLineHtml(description) != entry.content.text())
            item.leftOut.insert(u"description beside content:encoded"_s);
        finishItem(item, pubDate, dcDate);
    }

    // An item's body, the Media RSS description where it has none other.
    static void takeMediaDescription(Item &item)
    {
        if (item.mediaDescription.trimmed().isEmpty())
            return;
        if (item.entry.content.isEmpty())
            item.entry.content = oneLineHtml(item.mediaDescription);
        else if (oneLineHtml(item.mediaDescription) != item.entry.content.text())
            item.leftOut.insert(u"media:description beside the body"_s);
    }

    // The elements of other namespaces that RSS items and Atom entries share: Dublin Core's
    // creator and subject, podcast episode tags and Media RSS content. False for any other.
    bool readItemExtension(QXmlStreamReader &xml, Item &item)
    {
        const QStringView name = xml.name();
        const QStringView ns = xml.namespaceUri();
        const QString qualifiedName = xml.qualifiedName().toString();
        RSSentry &entry = item.entry;
        if (ns == DcNs && name == "creator"_L1) {
            take(item, entry.author, field(u"item author"_s, readContent(xml).text), qualifiedName);
        } else if (ns == DcNs && name == "subject"_L1) {
            item.categories.append(field(u"item category"_s, readContent(xml).text));
        } else if (ns == ItunesNs && name == "duration"_L1) {
            take(item, entry.duration, field(u"episode duration"_s, readContent(xml).text), qualifiedName);
        } else if (ns == ItunesNs && (name == "episode"_L1 || name == "season"_L1)) {
            const QString number = oneLine(readContent(xml).text);
            if (!IsWholeNumber(number))
                item.leftOut.insert(qualifiedName + u" (no number)"_s);
            else
                take(item, name == "episode"_L1 ? entry.episode : entry.season, number, qualifiedName);
        } else if (ns == ItunesNs && name == "explicit"_L1) {
            const QString value = oneLine(readContent(xml).text).toLower();
            entry.explicitcontent =
                    value == "yes"_L1 || value == "true"_L1 || value == "explicit"_L1 ? u"1"_s : QString();
        } else if (ns == ItunesNs && name == "title"_L1) {
            take(item, entry.episodetitle, field(u"episode title"_s, readContent(xml).text), qualifiedName);
        } else if (ns == ItunesNs && name == "episodeType"_L1) {
            take(item, entry.episodetype, field(u"episode type"_s, readContent(xml).text), qualifiedName);
        } else if (ns == ItunesNs && name == "image"_L1) {
            const QString href = xml.attributes().value("href"_L1).toString();
            take(item, entry.episodeimage, itemAddress(item, u"episode artwork"_s, href), qualifiedName);
            xml.skipCurrentElement();
        } else if (ns == ItunesNs && name == "block"_L1) {
            entry.block = isYes(readContent(xml).text) ? u"1"_s : QString();
        } else if (isPodcastingNamespace(ns) && (name == "transcript"_L1 || name == "chapters"_L1)) {
            const QXmlStreamAttributes attributes = xml.attributes();
            xml.skipCurrentElement();
            const QString url = blankless(
                    itemAddress(item, u"transcript or chapters address"_s, attributes.value("url"_L1).toString()));
            const QString type = blankless(oneLine(attributes.value("type"_L1).toString()));
            if (url.isEmpty()) {
                item.leftOut.insert(qualifiedName + u" without an address"_s);
            } else if (name == "chapters"_L1) {
                // The usual type goes without saying, as the field has it.
                const bool usual = type == "application/json+chapters"_L1;
                take(item, entry.chapters, WordLine({url, usual ? QString() : type}), qualifiedName);
            } else {
                // The language comes third: without a type before it, it is not kept.
                const QString language = blankless(oneLine(attributes.value("language"_L1).toString()));
                appendLine(entry.transcripts, WordLine({url, type, type.isEmpty() ? QString() : language}));
            }
        } else if (isPodcastingNamespace(ns) && name == "person"_L1) {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString img = itemAddress(item, u"person picture"_s, attributes.value("img"_L1).toString());
            const QString href = itemAddress(item, u"person link"_s, attributes.value("href"_L1).toString());
            appendLine(entry.persons, personLine(xml, attributes, img, href));
        } else if (isMediaNamespace(ns) && name == "content"_L1) {
            // Audio and video, as their type says, may stand in for an enclosure; pictures and
            // content of no type never do.
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString type = attributes.value("type"_L1).toString().trimmed();
            if (type.startsWith("audio/"_L1, Qt::CaseInsensitive) || type.startsWith("video/"_L1, Qt::CaseInsensitive))
                item.media.append(
                        {attributes.value("url"_L1).toString(), attributes.value("fileSize"_L1).toString(), type});
            else
                item.leftOut.insert(qualifiedName + u" that is no audio or video"_s);
            xml.skipCurrentElement();
        } else if (isMediaNamespace(ns) && name == "description"_L1) {
            const bool html = xml.attributes().value("type"_L1) == "html"_L1;
            const QString text = readContent(xml).text;
            if (item.mediaDescription.isEmpty())
                item.mediaDescription = html ? text : textToHtml(text);
        } else if (isMediaNamespace(ns) && name == "group"_L1) {
            // A group offers one thing in several forms, read as contents of the item itself.
            while (xml.readNextStartElement()) {
                if (!(isMediaNamespace(xml.namespaceUri())
                      && (xml.name() == "content"_L1 || xml.name() == "description"_L1)
                      && readItemExtension(xml, item)))
                    skipItemElement(xml, item);
            }
        } else {
            return false;
        }
        return true;
    }

    // A child of an item that the document has no field for: named in the notes.
    static void skipItemElement(QXmlStreamReader &xml, Item &item)
    {
        item.leftOut.insert(xml.qualifiedName().toString());
        xml.skipCurrentElement();
    }

    void readAtomFeed(QXmlStreamReader &xml)
    {
        ChannelSettings &channel = m_feed.channel;
        channel.language = xml.attributes().value("xml:lang"_L1).toString();
        const QUrl base = baseOf(xml, QUrl());
        QString icon;
        QStringList categories;
        while (xml.readNextStartElement()) {
            const QString name = atomName(xml);
            if (xml.namespaceUri() != m_atomNs) {
                skipChannelElement(xml);
            } else if (name == "title"_L1) {
                channel.title = field(u"feed title"_s, atomText(xml));
            } else if (name == "subtitle"_L1) {
                channel.description = field(u"feed subtitle"_s, atomText(xml));
            } else if (name == "link"_L1 && isAlternate(xml) && channel.link.isEmpty()) {
                channel.link = channelAddress(u"feed link"_s, atomHref(xml, base));
            } else if (name == "logo"_L1) {
                channel.imageurl =
                        channelAddress(u"feed logo"_s, resolved(baseOf(xml, base), readContent(xml).text.trimmed()));
            } else if (name == "icon"_L1) {
                icon = channelAddress(u"feed icon"_s, resolved(baseOf(xml, base), readContent(xml).text.trimmed()));
            } else if (name == "category"_L1) {
                categories.append(atomCategory(xml, true, u"category"_s));
            } else if (name == "author"_L1 && channel.managingeditor.isEmpty()) {
                channel.managingeditor = field(u"managing editor"_s, atomAuthor(xml));
            } else if (name == "entry"_L1) {
                readAtomEntry(xml, base);
            } else {
                skipChannelElement(xml);
            }
        }
        categories.removeAll(QString());
        channel.category = categories.join(u'\n');
        if (channel.imageurl.isEmpty())
            channel.imageurl = icon;
        // An RSS image has a title and a link; Atom's logo stands for the feed, and so do they.
        if (!channel.imageurl.isEmpty()) {
            channel.imagetitle = channel.title;
            channel.imagelink = channel.link;
        }
    }

    void readAtomEntry(QXmlStreamReader &xml, const QUrl &feedBase)
    {
        Item item;
        RSSentry &entry = item.entry;
        const QUrl base = baseOf(xml, feedBase);
        QString content;
        QString summary;
        ItemDate published{u"published"_s};
        ItemDate updated{u"updated"_s};
        ItemDate created{u"created"_s}; // Atom 0.3's, for an entry not issued
        while (xml.readNextStartElement()) {
            const QString name = atomName(xml);
            const QString qualifiedName = xml.qualifiedName().toString();
            if (xml.namespaceUri() != m_atomNs) {
                if (!readItemExtension(xml, item))
                    skipItemElement(xml, item);
            } else if (name == "title"_L1) {
                entry.title = field(u"entry title"_s, atomText(xml));
            } else if (name == "link"_L1) {
                atomEntryLink(xml, base, item);
            } else if (name == "id"_L1) {
                take(item, entry.guid, field(u"entry ID"_s, readContent(xml).text), qualifiedName);
            } else if (name == "author"_L1) {
                take(item, entry.author, field(u"entry author"_s, atomAuthor(xml)), qualifiedName);
            } else if (name == "category"_L1) {
                item.categories.append(atomCategory(xml, false, u"entry category"_s));
            } else if (name == "content"_L1) {
                // Content elsewhere (src) or of a media type other than text has no body to show.
                const QString type = atomType(xml);
                if (xml.attributes().hasAttribute("src"_L1)
                    || !(type.isEmpty() || type == "text"_L1 || type == "html"_L1 || type == "xhtml"_L1
                         || type.startsWith("text/"_L1)))
                    skipItemElement(xml, item);
                else
                    content = atomHtml(xml, base);
            } else if (name == "summary"_L1) {
                summary = atomHtml(xml, base);
            } else if (name == "published"_L1) {
                published.read(readContent(xml).text);
            } else if (name == "updated"_L1) {
                updated.read(readContent(xml).text);
            } else if (m_atom03 && name == "created"_L1) {
                created.read(readContent(xml).text);
            } else {
                skipItemElement(xml, item);
            }
        }
        if (!published.given)
            published = created;
        // An entry without an address of its own is found under its ID when that is a web address.
        if (entry.link.isEmpty() && (entry.guid.startsWith("http://"_L1) || entry.guid.startsWith("https://"_L1)))
            entry.link = entry.guid;
        entry.guidpermalink = !entry.guid.isEmpty() && entry.guid == entry.link ? u"1"_s : QString();
        entry.content = oneLineHtml(content.isEmpty() ? summary : content);
        if (!content.isEmpty() && !summary.trimmed().isEmpty() && oneLineHtml(summary) != entry.content.text())
            item.leftOut.insert(u"summary beside content"_s);
        finishItem(item, published, updated);
    }

    static bool isAlternate(const QXmlStreamReader &xml)
    {
        const QStringView rel = xml.attributes().value("rel"_L1);
        return rel.isEmpty() || rel == "alternate"_L1;
    }

    // An Atom entry's link: the first alternate is its address, an enclosure its enclosure, the
    // replies its comments.
    void atomEntryLink(QXmlStreamReader &xml, const QUrl &base, Item &item)
    {
        const QXmlStreamAttributes attributes = xml.attributes();
        const QString rel = attributes.value("rel"_L1).toString();
        const bool alternate = isAlternate(xml);
        const QString href = atomHref(xml, base);
        if (alternate && item.entry.link.isEmpty())
            item.entry.link = itemAddress(item, u"link"_s, href);
        else if (rel == "enclosure"_L1)
            item.enclosures.append(
                    {href, attributes.value("length"_L1).toString(), attributes.value("type"_L1).toString()});
        else if (rel == "replies"_L1 && item.entry.comments.isEmpty())
            item.entry.comments = itemAddress(item, u"comments"_s, href);
        else
            item.leftOut.insert(u"link rel=\""_s + (rel.isEmpty() ? u"alternate"_s : rel) + u'"');
    }

    // The address of an Atom link, resolved against the xml:base around it; the reader goes past
    // the link.
    QString atomHref(QXmlStreamReader &xml, const QUrl &base)
    {
        const QString href = resolved(baseOf(xml, base), xml.attributes().value("href"_L1).toString().trimmed());
        xml.skipCurrentElement();
        return href;
    }

    // The xml:base of the element the reader stands on, resolved against the one around it.
    static QUrl baseOf(const QXmlStreamReader &xml, const QUrl &outer)
    {
        const QStringView base = xml.attributes().value("xml:base"_L1);
        if (base.isNull())
            return outer;
        const QUrl url(base.trimmed().toString());
        return outer.isEmpty() ? url : outer.resolved(url);
    }

    // An Atom category as a line of the category field, its scheme as the domain: the feed's by
    // its label where it has one, an entry's by its term.
    QString atomCategory(QXmlStreamReader &xml, bool preferLabel, const QString &what)
    {
        const QXmlStreamAttributes attributes = xml.attributes();
        const QString label = attributes.value("label"_L1).toString();
        const QString term = attributes.value("term"_L1).toString();
        xml.skipCurrentElement();
        const QString name = field(what, preferLabel && !label.isEmpty() ? label : term);
        return name.isEmpty() ? QString() : TabLine({name, oneLine(attributes.value("scheme"_L1).toString())});
    }

    // An Atom author as RSS writes one: "mail (name)", or the name.
    QString atomAuthor(QXmlStreamReader &xml)
    {
        QString name;
        QString email;
        while (xml.readNextStartElement()) {
            if (xml.namespaceUri() == m_atomNs && xml.name() == "name"_L1)
                name = oneLine(readContent(xml).text);
            else if (xml.namespaceUri() == m_atomNs && xml.name() == "email"_L1)
                email = oneLine(readContent(xml).text);
            else
                xml.skipCurrentElement();
        }
        if (!email.isEmpty() && !name.isEmpty())
            return email + u" ("_s + name + u')';
        return name.isEmpty() ? email : name;
    }

    // An element's name as Atom 1.0 calls it: Atom 0.3's tagline became the subtitle, its
    // copyright the rights, issued the publication date and modified the update.
    QString atomName(const QXmlStreamReader &xml) const
    {
        const QString name = xml.name().toString();
        if (!m_atom03)
            return name;
        static constexpr std::pair<QLatin1StringView, QLatin1StringView> Renamed[] = {{"tagline"_L1, "subtitle"_L1},
                                                                                      {"copyright"_L1, "rights"_L1},
                                                                                      {"issued"_L1, "published"_L1},
                                                                                      {"modified"_L1, "updated"_L1}};
        for (const auto &[before, after] : Renamed) {
            if (name == before)
                return QString(after);
        }
        return name;
    }

    // The type of an Atom text construct as Atom 1.0 names it ("text", "html", "xhtml", or a
    // media type). Atom 0.3 gives a media type and a mode: "escaped" text holds the markup as
    // text, "xml" (the default) as elements, "base64" encoded.
    QString atomType(const QXmlStreamReader &xml) const
    {
        const QString type = xml.attributes().value("type"_L1).toString();
        if (!m_atom03)
            return type;
        const QStringView mode = xml.attributes().value("mode"_L1);
        const bool markup = type == "text/html"_L1 || type == "application/xhtml+xml"_L1;
        if (type.isEmpty() || type == "text/plain"_L1)
            return u"text"_s;
        if (markup)
            return mode == "escaped"_L1 || mode == "base64"_L1 ? u"html"_s : u"xhtml"_s;
        return type;
    }

    // The content of a text construct as text, Atom 0.3's base64 decoded.
    ElementContent readAtomContent(QXmlStreamReader &xml)
    {
        const bool base64 = m_atom03 && xml.attributes().value("mode"_L1) == "base64"_L1;
        ElementContent content = readContent(xml);
        if (base64)
            content = {QString::fromUtf8(QByteArray::fromBase64(content.text.toLatin1())), {}, false, {}};
        return content;
    }

    // An Atom text construct as plain text.
    QString atomText(QXmlStreamReader &xml)
    {
        const QString type = atomType(xml);
        const ElementContent content = readAtomContent(xml);
        if (type == "html"_L1)
            return htmlToText(content.text);
        if (type == "xhtml"_L1)
            return htmlToText(content.xhtml());
        return content.text;
    }

    // An Atom text construct as HTML, its addresses resolved against the xml:base around it.
    QString atomHtml(QXmlStreamReader &xml, const QUrl &outer)
    {
        const QString type = atomType(xml);
        const QUrl base = baseOf(xml, outer);
        const ElementContent content = readAtomContent(xml);
        // Content may name its media type instead: text/html is HTML, any other text/ is text.
        if (type == "html"_L1 || type == "text/html"_L1)
            return withResolvedAddresses(content.text, base);
        if (type == "xhtml"_L1)
            return withResolvedAddresses(content.xhtml(), base);
        return textToHtml(content.text);
    }

    // Reads the element the reader stands on to its end: its character data (CDATA and
    // references resolved) and its child elements written back as HTML.
    ElementContent readContent(QXmlStreamReader &xml)
    {
        ElementContent content;
        int depth = 0;
        qsizetype innerStart = -1;
        qsizetype innerEnd = -1;
        int topLevelChildren = 0;
        bool topLevelText = false;
        while (!xml.atEnd()) {
            switch (xml.readNext()) {
            case QXmlStreamReader::StartElement: {
                // The markup is only built once there is an element: most values are text.
                if (!content.hasChildElements)
                    content.markup = escapeHtml(content.text);
                content.hasChildElements = true;
                const QStringView name = xml.name();
                if (depth == 0)
                    ++topLevelChildren;
                content.markup += u'<' + name.toString();
                for (const QXmlStreamAttribute &attribute : xml.attributes()) {
                    content.markup +=
                            u' ' + attribute.name().toString() + u"=\""_s + escapeHtml(attribute.value(), true) + u'"';
                }
                content.markup += u'>';
                if (depth == 0 && name == "div"_L1 && xml.namespaceUri() == XhtmlNs)
                    innerStart = content.markup.size();
                ++depth;
                break;
            }
            case QXmlStreamReader::EndElement:
                if (depth == 0)
                    return finish(content, innerStart, innerEnd, topLevelChildren == 1 && !topLevelText);
                --depth;
                if (depth == 0 && innerStart >= 0 && innerEnd < 0)
                    innerEnd = content.markup.size();
                if (!isVoidElement(xml.name()))
                    content.markup += "</"_L1 + xml.name().toString() + u'>';
                break;
            case QXmlStreamReader::Characters:
                if (depth == 0 && !xml.isWhitespace())
                    topLevelText = true;
                content.text += xml.text();
                if (content.hasChildElements)
                    content.markup += escapeHtml(xml.text());
                break;
            case QXmlStreamReader::EntityReference: {
                // Only an undeclared entity of a document with an external DTD comes here.
                const QString resolved = HtmlNamedCharacter(xml.name());
                const QString reference = u'&' + xml.name().toString() + u';';
                content.text += resolved.isEmpty() ? reference : resolved;
                if (content.hasChildElements)
                    content.markup += reference;
                break;
            }
            default: break;
            }
        }
        return content;
    }

    static ElementContent finish(ElementContent &content, qsizetype innerStart, qsizetype innerEnd, bool singleChild)
    {
        if (singleChild && innerStart >= 0 && innerEnd >= innerStart) {
            content.innerMarkup = content.markup.mid(innerStart, innerEnd - innerStart);
        } else {
            content.innerMarkup = content.markup;
        }
        return content;
    }

    void finishItem(Item &item, const ItemDate &first, const ItemDate &second)
    {
        if (m_feed.items.size() >= EntryCollection::MaxEntries) {
            ++m_feed.itemsLeftOut;
            return;
        }
        RSSentry &entry = item.entry;
        takeMediaDescription(item);
        item.categories.removeAll(QString());
        item.categories.removeDuplicates();
        entry.categories = item.categories.join(u'\n');
        const bool fromMedia = item.enclosures.isEmpty();
        const QList<Enclosure> &enclosures = fromMedia ? item.media : item.enclosures;
        if (!enclosures.isEmpty())
            setEnclosure(item, enclosures.first());
        if (enclosures.size() > 1)
            item.leftOut.insert(fromMedia ? u"media:content beyond the first"_s : u"enclosure beyond the first"_s);
        if (!fromMedia && !item.media.isEmpty())
            item.leftOut.insert(u"media:content beside the enclosure"_s);

        const ItemDate &date = first.moment.isValid() ? first : second;
        if (first.moment.isValid() && second.moment.isValid() && first.moment != second.moment)
            item.leftOut.insert(second.name);
        if (!date.moment.isValid() && (first.given || second.given))
            ++m_unreadDates;
        for (const QString &what : std::as_const(item.leftOut))
            ++m_itemLeftOut[what];
        for (const QString &what : std::as_const(item.unsafe))
            ++m_unsafeLeftOut[what];
        // A project holds whole seconds. The moment becomes local time as the instant it is, so
        // that two items in the hour the clocks repeat in autumn stay an hour apart. The item's
        // date is the entry's creation date, and its publication date with the feed's offset, so
        // that the feed written from the project gives it as it was.
        const QDateTime moment = date.moment.isValid() ? date.moment : m_now;
        entry.createdate = moment.addMSecs(-moment.time().msec()).toLocalTime();
        if (date.moment.isValid())
            entry.pubdate = withOffset(date.moment.addMSecs(-date.moment.time().msec()));
        // Items that have dates keep them in the feed written from the project. Their IDs are
        // written as they came either way; the option would give undated items a date, the
        // moment of the import, that the feed never had.
        if (date.moment.isValid())
            m_feed.channel.itemids = u"1"_s;
        m_feed.items.append(std::move(entry));
    }

    // A moment as the project stores a date with its offset: "2026-12-06 19:41:29 +0100".
    static QString withOffset(const QDateTime &moment)
    {
        const int minutes = moment.offsetFromUtc() / 60;
        return moment.toString(u"yyyy-MM-dd HH:mm:ss"_s) + (minutes < 0 ? u" -"_s : u" +"_s)
                + u"%1%2"_s.arg(std::abs(minutes) / 60, 2, 10, QLatin1Char('0'))
                          .arg(std::abs(minutes) % 60, 2, 10, QLatin1Char('0'));
    }

    void setEnclosure(Item &item, const Enclosure &enclosure)
    {
        RSSentry &entry = item.entry;
        entry.enclosureurl = itemAddress(item, u"enclosure address"_s, enclosure.url);
        if (entry.enclosureurl.isEmpty()) {
            if (UnsafeAddressScheme(enclosure.url).isEmpty())
                item.leftOut.insert(u"enclosure without an address"_s);
            return;
        }
        entry.enclosuretype = field(u"enclosure type"_s, enclosure.type);
        const QString length = enclosure.length.trimmed();
        if (IsWholeNumber(length))
            entry.enclosurelength = length;
        else if (!length.isEmpty())
            item.leftOut.insert(u"enclosure length (no number)"_s);
    }

    // Takes a value for a field that holds one; a different second one is named in the notes.
    static void take(Item &item, QString &value, const QString &candidate, const QString &what)
    {
        if (candidate.isEmpty())
            return;
        if (value.isEmpty())
            value = candidate;
        else if (value != candidate)
            item.leftOut.insert(what);
    }

    // Names what was left out, once for each kind: "3 items: media:thumbnail not kept".
    void writeNotes()
    {
        // A hostile feed could name a million kinds of element, or one with a long name: the
        // first kinds are named, cut to a readable length.
        constexpr int MaxKinds = 20;
        int kinds = 0;
        auto named = [&kinds](const QString &what) {
            ++kinds;
            return what.size() > 60 ? what.left(what.at(59).isHighSurrogate() ? 59 : 60) + u'…' : what;
        };
        auto items = [](int n) { return QString::number(n) + (n == 1 ? u" item: "_s : u" items: "_s); };
        // Addresses left out are named first and always: there are only a few kinds of them.
        for (auto it = m_unsafeLeftOut.cbegin(); it != m_unsafeLeftOut.cend(); ++it)
            m_feed.notes.append(items(it.value()) + it.key());
        for (auto it = m_channelLeftOut.cbegin(); it != m_channelLeftOut.cend() && kinds < MaxKinds; ++it) {
            m_feed.notes.append(u"channel: "_s + named(it.key()) + u" not kept"_s
                                + (it.value() > 1 ? u" ("_s + QString::number(it.value()) + u" times)"_s : QString()));
        }
        for (auto it = m_itemLeftOut.cbegin(); it != m_itemLeftOut.cend() && kinds < MaxKinds; ++it)
            m_feed.notes.append(items(it.value()) + named(it.key()) + u" not kept"_s);
        if (const qsizetype more = m_channelLeftOut.size() + m_itemLeftOut.size() - kinds; more > 0)
            m_feed.notes.append(QString::number(more) + u" more kinds of element not kept"_s);
        if (m_unreadDates > 0)
            m_feed.notes.append(items(m_unreadDates) + u"date not readable, dated at the import"_s);
    }

    // An address for a channel field. One that no feed may carry (javascript:, data:, file:) is
    // left out and named in the notes: the feed written from the project would hand it on.
    QString channelAddress(const QString &what, const QString &text)
    {
        const QString scheme = UnsafeAddressScheme(text);
        if (scheme.isEmpty())
            return field(what, text);
        const QString value = oneLine(text);
        m_feed.notes.append(u"The "_s + what + u" \""_s + (value.size() > 40 ? value.left(39) + u'…' : value)
                            + u"\" is a "_s + scheme + u": address and was left out."_s);
        return {};
    }

    // The same for an item's field; the notes count the items once per field and scheme, which
    // reads better than a line per item in a feed of a thousand.
    QString itemAddress(Item &item, const QString &what, const QString &text)
    {
        const QString scheme = UnsafeAddressScheme(text);
        if (scheme.isEmpty())
            return field(what, text);
        item.unsafe.insert(what + u" left out (a "_s + scheme + u": address)"_s);
        return {};
    }

    static void setOnce(QString &value, const QString &candidate)
    {
        if (value.isEmpty())
            value = candidate;
    }

    // A one-line value; one longer than any box takes is cut there, and said so.
    QString field(const QString &what, const QString &text)
    {
        QString value = oneLine(text);
        if (value.size() > NoTypingLimit) {
            value.truncate(NoTypingLimit);
            if (value.back().isHighSurrogate())
                value.chop(1);
            m_feed.notes.append((QStringView(u"aeiou").contains(what.front()) ? u"An "_s : u"A "_s) + what
                                + u" was longer than "_s + QString::number(NoTypingLimit)
                                + u" characters and was cut there."_s);
        }
        return value;
    }

    const QDateTime m_now;
    ImportedFeed &m_feed;
    QString m_atomNs = AtomNs; // the namespace of the feed's Atom elements
    bool m_atom03 = false;
    // What was left out: of the channel, by element and how often; of the items, by kind and in
    // how many items.
    QMap<QString, int> m_channelLeftOut;
    QMap<QString, int> m_itemLeftOut;
    QMap<QString, int> m_unsafeLeftOut; // addresses no feed may carry, by field and scheme
    int m_unreadDates = 0; // items dated at the import because no date of theirs could be read
};

// The encoding the XML declaration names, lower case; empty when it names none.
QByteArray declaredEncoding(const QByteArray &bytes)
{
    if (!bytes.startsWith("<?xml"))
        return {};
    const qsizetype end = bytes.indexOf("?>");
    const QByteArray declaration = bytes.left(end < 0 ? 0 : end);
    const qsizetype at = declaration.indexOf("encoding");
    if (at < 0)
        return {};
    qsizetype quote = at;
    while (quote < declaration.size() && declaration.at(quote) != '"' && declaration.at(quote) != '\'')
        ++quote;
    if (quote >= declaration.size())
        return {};
    const qsizetype close = declaration.indexOf(declaration.at(quote), quote + 1);
    return close < 0 ? QByteArray() : declaration.mid(quote + 1, close - quote - 1).toLower();
}

// Qt's XML reader compares each attribute of an element with every one before it, and looks for
// the namespace of each element and attribute among all the declarations in scope, one by one:
// an element with hundreds of thousands of attributes, or thousands of declarations around many
// elements, takes minutes. No feed comes near these.
constexpr int MaxAttributes = 1000;
constexpr int MaxNamespacesInScope = 100;
constexpr qsizetype MaxStartTagLength = 1024 * 1024;

// The markup looked over as bytes of an encoding that keeps ASCII as it is, or as text.
char16_t unitAt(QByteArrayView text, qsizetype i)
{
    return uchar(text[i]);
}

char16_t unitAt(QStringView text, qsizetype i)
{
    return text[i].unicode();
}

qsizetype find(QByteArrayView text, QLatin1StringView what, qsizetype from)
{
    return text.indexOf(QByteArrayView(what.data(), what.size()), from);
}

qsizetype find(QStringView text, QLatin1StringView what, qsizetype from)
{
    return text.indexOf(what, from);
}

bool startsAt(QByteArrayView text, qsizetype i, QLatin1StringView what)
{
    return text.sliced(i).startsWith(QByteArrayView(what.data(), what.size()));
}

bool startsAt(QStringView text, qsizetype i, QLatin1StringView what)
{
    return text.sliced(i).startsWith(what);
}

QString nameText(QByteArrayView name)
{
    return QString::fromUtf8(name);
}

QString nameText(QStringView name)
{
    return name.toString();
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Where the construct that opens at i with open ends: past close, or at the end of the text.
template<typename View>
qsizetype skipPast(View text, qsizetype i, QLatin1StringView open, QLatin1StringView close)
{
    const qsizetype end = find(text, close, i + open.size());
    return end < 0 ? text.size() : end + close.size();
}

// The end of the quoted literal whose quote stands at i, or of the text.
template<typename View>
qsizetype closingQuote(View text, qsizetype i)
{
    const qsizetype close = find(text, unitAt(text, i) == u'"' ? "\""_L1 : "'"_L1, i + 1);
    return close < 0 ? text.size() - 1 : close;
}

// What a look at a start tag found.
struct StartTag
{
    qsizetype length = 0; // up to its '>'; more than MaxStartTagLength when it was not found by then
    int attributes = 0; // one per '=' outside quoted values; MaxAttributes + 1 at most
    int namespaces = 0; // attributes named "xmlns" or "xmlns:..."
    bool empty = false; // "/>" closes it
};

// Whether the attribute whose '=' stands at j is named "xmlns" or "xmlns:...": a look back over
// the blanks before the '=' and the name, which no other look covers.
template<typename View>
bool declaresNamespace(View text, qsizetype tagStart, qsizetype j)
{
    qsizetype end = j;
    while (end > tagStart && isBlank(unitAt(text, end - 1)))
        --end;
    qsizetype start = end;
    while (start > tagStart && !isBlank(unitAt(text, start - 1)) && unitAt(text, start - 1) != u'"'
           && unitAt(text, start - 1) != u'\'' && unitAt(text, start - 1) != u'=')
        --start;
    return end - start >= 5 && startsAt(text, start, "xmlns"_L1)
            && (end - start == 5 || unitAt(text, start + 5) == u':');
}

template<typename View>
StartTag readStartTag(View text, qsizetype i)
{
    StartTag tag;
    qsizetype j = i + 1;
    for (; j < text.size() && j - i < MaxStartTagLength && tag.attributes <= MaxAttributes; ++j) {
        const char16_t c = unitAt(text, j);
        if (c == u'"' || c == u'\'') {
            j = closingQuote(text, j);
        } else if (c == u'=') {
            ++tag.attributes;
            tag.namespaces += declaresNamespace(text, i, j);
        } else if (c == u'>') {
            tag.empty = unitAt(text, j - 1) == u'/';
            tag.length = j + 1 - i;
            return tag;
        }
    }
    tag.length = j - i >= MaxStartTagLength ? MaxStartTagLength + 1 : j - i;
    return tag;
}

// Why the markup is not given to Qt's reader: an element with more attributes, more namespaces
// in scope or a longer start tag than any feed has, or a document type with declarations of its
// own; empty when there is none of these. One pass over the text, which skips comments, CDATA
// sections and processing instructions.
template<typename View>
QString oversizedElementReason(View text)
{
    const qsizetype n = text.size();
    int depth = 0;
    int inScope = 0;
    std::vector<std::pair<int, int>> declared; // depth and count, for elements that declare namespaces
    qsizetype i = 0;
    while (i < n) {
        i = find(text, "<"_L1, i);
        if (i < 0)
            break;
        if (startsAt(text, i, "<!--"_L1)) {
            i = skipPast(text, i, "<!--"_L1, "-->"_L1);
        } else if (startsAt(text, i, "<![CDATA["_L1)) {
            i = skipPast(text, i, "<![CDATA["_L1, "]]>"_L1);
        } else if (startsAt(text, i, "<?"_L1)) {
            i = skipPast(text, i, "<?"_L1, "?>"_L1);
        } else if (startsAt(text, i, "<!"_L1)) {
            // The DOCTYPE: Qt reads an internal subset whole before handing on any of it, so it
            // is refused here, and its identifiers may hold a '>' or a '['.
            qsizetype j = i + 2;
            for (; j < n && unitAt(text, j) != u'>'; ++j) {
                if (unitAt(text, j) == u'"' || unitAt(text, j) == u'\'')
                    j = closingQuote(text, j);
                else if (unitAt(text, j) == u'[')
                    return u"declares a document type of its own, which is not read"_s;
            }
            i = j + 1;
        } else if (startsAt(text, i, "</"_L1)) {
            i = skipPast(text, i, "</"_L1, ">"_L1);
            if (!declared.empty() && declared.back().first == depth) {
                inScope -= declared.back().second;
                declared.pop_back();
            }
            depth = std::max(0, depth - 1);
        } else {
            const StartTag tag = readStartTag(text, i);
            QString what;
            if (tag.attributes > MaxAttributes)
                what = u"has more than "_s + QString::number(MaxAttributes) + u" attributes; no feed has that many"_s;
            else if (tag.length > MaxStartTagLength)
                what = u"has a start tag longer than 1 MB; no feed has one that long"_s;
            else if (inScope + tag.namespaces > MaxNamespacesInScope)
                what = u"has more than "_s + QString::number(MaxNamespacesInScope)
                        + u" namespaces declared around it; no feed has that many"_s;
            if (!what.isEmpty()) {
                qsizetype nameEnd = i + 1;
                while (nameEnd < n && nameEnd - i <= 60 && !isBlank(unitAt(text, nameEnd))
                       && unitAt(text, nameEnd) != u'/' && unitAt(text, nameEnd) != u'>')
                    ++nameEnd;
                qsizetype line = 1;
                for (qsizetype k = 0; k < i; ++k)
                    line += unitAt(text, k) == u'\n';
                return u"line "_s + QString::number(line) + u": the element <"_s
                        + nameText(text.sliced(i + 1, nameEnd - i - 1)) + u"> "_s + what;
            }
            if (!tag.empty) {
                ++depth;
                if (tag.namespaces > 0) {
                    declared.emplace_back(depth, tag.namespaces);
                    inScope += tag.namespaces;
                }
            }
            i += tag.length;
        }
    }
    return {};
}

// oversizedElementReason for the bytes of a feed: UTF-16 and UTF-32 (found as Qt's reader finds
// them) are looked over as text, every other encoding as bytes.
QString oversizedElementReason(const QByteArray &bytes)
{
    using Encoding = QStringConverter::Encoding;
    const std::optional<Encoding> encoding = QStringConverter::encodingForData(bytes, u'<');
    if (encoding && *encoding != Encoding::Utf8 && *encoding != Encoding::Latin1) {
        const QString text = QStringDecoder(*encoding).decode(bytes);
        return oversizedElementReason(QStringView(text));
    }
    return oversizedElementReason(QByteArrayView(bytes));
}

// Cleans up what the feed gave for fields that take only certain values.
void settleChannel(ImportedFeed &feed)
{
    ChannelSettings &channel = feed.channel;
    // A language tag ("de", "en-us") is kept whole; RSS allows the region, and a loaded value
    // arrives whole in its box even past the two letters that may be typed.
    channel.language = oneLine(channel.language);
    static const QRegularExpression LanguageTag(u"^[A-Za-z]{1,8}(-[A-Za-z0-9]{1,8})*$"_s);
    if (!channel.language.isEmpty()
        && (channel.language.size() > 35 || !LanguageTag.match(channel.language).hasMatch())) {
        feed.notes.append(u"The language \""_s + channel.language.left(40)
                          + u"\" is no language code and was left out."_s);
        channel.language.clear();
    }
    channel.ttl = oneLine(channel.ttl);
    static const QRegularExpression WholeNumber(u"^[0-9]{1,9}$"_s);
    // A project cannot hold an empty time to live: the new document's 1440 stands in.
    if (!WholeNumber.match(channel.ttl).hasMatch()) {
        if (!channel.ttl.isEmpty())
            feed.notes.append(u"The time to live \""_s + channel.ttl.left(40)
                              + u"\" is no number of minutes; 1440 was taken."_s);
        channel.ttl = u"1440"_s;
    }
    // Every imported item is published again: at least the ten of a new document.
    channel.number = QString::number(std::max<qsizetype>(10, feed.items.size()));
}

// Reads a feed that passed the checks before the XML; on failure, *error says why and *notXml
// whether the XML was not well-formed.
bool parseFeedData(const QByteArray &bytes, const QDateTime &now, ImportedFeed *feed, QString *error, bool *notXml)
{
    *feed = ImportedFeed{};
    QXmlStreamReader xml;
    // Qt reads UTF-8, UTF-16 and Latin-1 itself; a Windows-1252 feed (and a Latin-1 one, which in
    // practice holds Windows-1252 characters too) is decoded here.
    const QByteArray encoding = declaredEncoding(bytes);
    if (encoding == "windows-1252" || encoding == "cp1252" || encoding == "iso-8859-1" || encoding == "latin1"
        || encoding == "us-ascii")
        xml.addData(Windows1252::decode(bytes));
    else
        xml.addData(bytes);
    FeedParser parser(now, *feed);
    if (!parser.parse(xml, error)) {
        *notXml = xml.error() == QXmlStreamReader::NotWellFormedError;
        return false;
    }
    settleChannel(*feed);
    return true;
}

// The bytes a gzip file unpacks to, at most `limit` of them: unpacked in steps, so that a small
// file that would unpack to gigabytes stops at the limit. *tooLarge tells whether there was more;
// *error why the data could not be unpacked (when it is no whole gzip file: `partial` takes what
// the beginning of one gives).
QByteArray gunzip(QByteArrayView packed, qsizetype limit, bool partial, bool *tooLarge, QString *error)
{
    *tooLarge = false;
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK) { // the window of deflate, in a gzip wrapper
        *error = u"cannot be unpacked (zlib failed to start)"_s;
        return {};
    }
    QByteArray out;
    const auto *next = reinterpret_cast<const Bytef *>(packed.data());
    qsizetype left = packed.size();
    int result = Z_OK;
    constexpr qsizetype Step = 256 * 1024;
    while (result != Z_STREAM_END || left > 0) {
        if (result == Z_STREAM_END) {
            // Another member follows, as when gzip files are joined.
            if (inflateReset(&stream) != Z_OK)
                break;
        }
        if (out.size() >= limit + 1) {
            *tooLarge = true;
            break;
        }
        const qsizetype at = out.size();
        const qsizetype room = std::min(Step, limit + 1 - at);
        if (out.capacity() < at + room)
            out.reserve(std::max(out.capacity() * 2, at + room));
        out.resize(at + room);
        stream.next_in = const_cast<Bytef *>(next);
        stream.avail_in = uInt(std::min<qsizetype>(left, 1 << 30));
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + at);
        stream.avail_out = uInt(room);
        result = inflate(&stream, Z_NO_FLUSH);
        out.resize(at + room - qsizetype(stream.avail_out));
        left -= reinterpret_cast<const Bytef *>(stream.next_in) - next;
        next = stream.next_in;
        if (result == Z_BUF_ERROR && left == 0)
            break; // the data ends before the file does
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
            inflateEnd(&stream);
            *error = u"is compressed with gzip but cannot be unpacked: "_s
                    + QString::fromLatin1(stream.msg ? stream.msg : "the data is damaged");
            return {};
        }
    }
    inflateEnd(&stream);
    if (out.size() > limit) {
        *tooLarge = true;
        out.truncate(limit);
    }
    if (!*tooLarge && !partial && result != Z_STREAM_END)
        *error = u"is compressed with gzip but ends before its end"_s;
    return out;
}

// The name of the compression the bytes start with, where it is one that is not unpacked here.
QString compressionName(QByteArrayView bytes)
{
    static constexpr std::pair<const char *, const char *> Magic[] = {{"BZh", "bzip2"},
                                                                      {"\xFD"
                                                                       "7zXZ",
                                                                       "xz"},
                                                                      {"\x28\xB5\x2F\xFD", "Zstandard"},
                                                                      {"PK\x03\x04", "zip"},
                                                                      {"7z\xBC\xAF", "7-Zip"},
                                                                      {"\x04\x22\x4D\x18", "LZ4"}};
    for (const auto &[magic, name] : Magic) {
        if (bytes.startsWith(QByteArrayView(magic)))
            return QString::fromLatin1(name);
    }
    return {};
}

// The bytes of a feed as the XML reader takes them: a gzip file unpacked (at most MaxFeedBytes,
// checked while it is unpacked), and blank lines or a byte order mark before the XML declaration
// dropped, which would make the XML ill-formed. False, and *error, for another compression, a
// damaged gzip file or one that unpacks to more than MaxFeedBytes.
bool feedBytes(QByteArray &bytes, QString *error, bool partial = false)
{
    if (bytes.startsWith("\x1F\x8B")) {
        bool tooLarge = false;
        QString why;
        QByteArray unpacked = gunzip(bytes, partial ? bytes.size() * 4 + 4096 : MaxFeedBytes, partial, &tooLarge, &why);
        if (!why.isEmpty()) {
            *error = why;
            return false;
        }
        if (tooLarge && !partial) {
            *error = u"is compressed with gzip and unpacks to more than "_s
                    + QString::number(MaxFeedBytes / (1024 * 1024)) + u" MB"_s;
            return false;
        }
        bytes = std::move(unpacked);
    } else if (const QString name = compressionName(bytes); !name.isEmpty()) {
        *error = u"is compressed with "_s + name + u", which is not unpacked here; unpack it first"_s;
        return false;
    }
    qsizetype at = 0;
    for (;;) {
        if (QByteArrayView(bytes).sliced(at).startsWith("\xEF\xBB\xBF"))
            at += 3;
        else if (at < bytes.size() && isBlank(uchar(bytes.at(at))))
            ++at;
        else
            break;
    }
    if (at > 0 && QByteArrayView(bytes).sliced(at).startsWith("<?xml"))
        bytes.remove(0, at);
    return true;
}

} // namespace

bool ParseFeed(const QByteArray &data, const QDateTime &now, ImportedFeed *feed, QString *error)
{
    *feed = ImportedFeed{};
    if (data.size() > MaxFeedBytes) {
        *error = u"is larger than "_s + QString::number(MaxFeedBytes / (1024 * 1024)) + u" MB"_s;
        return false;
    }
    QByteArray bytes = data;
    if (!feedBytes(bytes, error))
        return false;
    if (const QString reason = oversizedElementReason(bytes); !reason.isEmpty()) {
        *error = reason;
        return false;
    }
    bool notXml = false;
    if (parseFeedData(bytes, now, feed, error, &notXml))
        return true;
    // HTML's named characters (&hellip;) are declared in no feed, and Qt's reader refuses them
    // in a document without a document type. With one that names a DTD, which is never read,
    // it passes them on, and they are read as HTML's; anything else wrong stays as refused.
    using Encoding = QStringConverter::Encoding;
    const std::optional<Encoding> encoding = QStringConverter::encodingForData(bytes, u'<');
    if (!notXml || bytes.contains("<!DOCTYPE")
        || (encoding && *encoding != Encoding::Utf8 && *encoding != Encoding::Latin1))
        return false;
    qsizetype at = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (bytes.sliced(at).startsWith("<?xml")) {
        const qsizetype end = bytes.indexOf("?>", at);
        at = end < 0 ? at : end + 2;
    }
    const QByteArray typed = QByteArray(bytes).insert(at, "<!DOCTYPE feed SYSTEM \"html-characters\">");
    ImportedFeed retried;
    QString unused;
    if (!parseFeedData(typed, now, &retried, &unused, &notXml))
        return false;
    *feed = std::move(retried);
    return true;
}

bool ReadFeedFile(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file;
    QString reason;
    if (!openRegularFile(file, path, &reason)) {
        *error = reason;
        return false;
    }
    *bytes = file.read(MaxFeedBytes + 1);
    if (bytes->size() > MaxFeedBytes) {
        bytes->clear();
        *error = u"is larger than "_s + QString::number(MaxFeedBytes / (1024 * 1024)) + u" MB"_s;
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool IsFeedFile(const QString &path)
{
    QFile file;
    if (!openRegularFile(file, path))
        return false;
    // The root element stands within the first kilobytes, after the declaration and comments.
    QByteArray head = file.read(64 * 1024);
    QString unused;
    if (!feedBytes(head, &unused, true) || !oversizedElementReason(head).isEmpty())
        return false;
    QXmlStreamReader xml(head);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            return (name == "rss"_L1 && isRssNamespace(xml.namespaceUri()))
                    || (name == "RDF"_L1 && xml.namespaceUri() == RdfNs)
                    || (name == "feed"_L1
                        && (xml.namespaceUri() == AtomNs || xml.namespaceUri() == Atom03Ns
                            || (xml.namespaceUri().isEmpty() && xml.attributes().value("version"_L1) == "0.3"_L1)));
        }
    }
    return false;
}

void LoadImportedFeed(FeedDocument &document, ImportedFeed &feed, const KeyedTexts &textTable,
                      const QString &styleBlock)
{
    NewDocument(document);
    document.channel = feed.channel;
    SetNewProjectOptions(document.channel);
    EntryTreeModel &tree = document.tree;
    tree.beginBulkChange();
    tree.setNewEntryText(textTable.value(u"newentry"_s));
    tree.addRoot(feed.channel.title.isEmpty() ? textTable.value(u"rootkey"_s) : feed.channel.title);
    document.entries.reserve(int(feed.items.size()));
    // The feed lists the newest first; the newest entry has the highest key.
    for (qsizetype i = feed.items.size() - 1; i >= 0; --i) {
        RSSentry entry = std::move(feed.items[i]);
        // An item without a body stays an entry without content, as one never typed into.
        if (!entry.content.isEmpty())
            entry.content = styleBlock + entry.content.text();
        tree.appendEntry(std::move(entry));
    }
    tree.endBulkChange();
    feed.items.clear();
    document.changed = true;
}

} // namespace Feedsmith
