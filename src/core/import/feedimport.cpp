// The feed importer, on QXmlStreamReader.
#include "core/import/feedimport.h"

#include "core/project/datetext.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <vector>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr auto AtomNs = "http://www.w3.org/2005/Atom"_L1;
constexpr auto RdfNs = "http://www.w3.org/1999/02/22-rdf-syntax-ns#"_L1;
constexpr auto ContentNs = "http://purl.org/rss/1.0/modules/content/"_L1;
constexpr auto DcNs = "http://purl.org/dc/elements/1.1/"_L1;
constexpr auto XhtmlNs = "http://www.w3.org/1999/xhtml"_L1;

// The namespaces RSS's own elements come in: none (0.91, 0.92, 2.0), those of RSS 0.90 and 1.0,
// and two that some RSS 2.0 writers use.
bool isRssNamespace(QStringView ns)
{
    return ns.isEmpty() || ns == "http://purl.org/rss/1.0/"_L1 || ns == "http://my.netscape.com/rdf/simple/0.9/"_L1
            || ns == "http://backend.userland.com/rss2"_L1 || ns == "http://blogs.law.harvard.edu/tech/rss"_L1;
}

// The character entities of HTML 4's Latin-1 set, U+00A0 onwards in order: RSS 0.91 files
// use them, declared in the DTD their DOCTYPE names (which is never read).
constexpr const char *LatinEntities[] = {
        "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
        "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",
        "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave",
        "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",
        "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
        "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute",
        "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
        "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
        "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

static_assert(std::size(LatinEntities) == 96);

// The character of a named entity that is not declared: HTML's Latin-1 set and the XML five.
QString entityText(QStringView name)
{
    for (size_t i = 0; i < std::size(LatinEntities); ++i) {
        if (name == QLatin1StringView(LatinEntities[i]))
            return QString(QChar(char16_t(0xA0 + i)));
    }
    static constexpr struct
    {
        const char *name;
        char16_t c;
    } Xml[] = {{"amp", u'&'}, {"lt", u'<'}, {"gt", u'>'}, {"quot", u'"'}, {"apos", u'\''}};
    for (const auto &x : Xml) {
        if (name == QLatin1StringView(x.name))
            return QString(QChar(x.c));
    }
    return {};
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
        return entityText(name);
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
        return true;
    }

private:
    bool readRoot(QXmlStreamReader &xml)
    {
        const QStringView name = xml.name();
        const QStringView ns = xml.namespaceUri();
        if (name == "rss"_L1 && ns.isEmpty()) {
            const QString version = xml.attributes().value("version"_L1).toString();
            m_feed.format = u"RSS "_s + (version.isEmpty() ? u"2.0"_s : version);
            readRss(xml);
        } else if (name == "RDF"_L1 && ns == RdfNs) {
            m_feed.format = u"RSS 1.0"_s;
            readRss(xml);
            if (m_feed.channel.title.isEmpty() && m_feed.items.isEmpty() && !xml.hasError())
                m_feed.format.clear();
        } else if (name == "feed"_L1 && ns == AtomNs) {
            m_feed.format = u"Atom 1.0"_s;
            readAtomFeed(xml);
        } else {
            return false;
        }
        return true;
    }

    // RSS 0.9x and 2.0 hold everything in <channel>; RSS 0.90 and 1.0 put the image and the
    // items beside it. Both are read by one walk.
    void readRss(QXmlStreamReader &xml)
    {
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            if (name == "channel"_L1 && isRssNamespace(xml.namespaceUri()))
                readRssChannel(xml);
            else if (name == "item"_L1 && isRssNamespace(xml.namespaceUri()))
                readRssItem(xml);
            else if (name == "image"_L1 && isRssNamespace(xml.namespaceUri()))
                readRssImage(xml);
            else
                xml.skipCurrentElement();
        }
    }

    void readRssChannel(QXmlStreamReader &xml)
    {
        ChannelSettings &channel = m_feed.channel;
        QString dcLanguage;
        QString dcSubject;
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            const QStringView ns = xml.namespaceUri();
            if (isRssNamespace(ns)) {
                if (name == "title"_L1)
                    channel.title = field(u"channel title"_s, readContent(xml).text);
                else if (name == "link"_L1)
                    channel.link = field(u"channel link"_s, readContent(xml).text);
                else if (name == "description"_L1)
                    channel.description = field(u"channel description"_s, readContent(xml).text);
                else if (name == "language"_L1)
                    channel.language = readContent(xml).text;
                else if (name == "managingEditor"_L1)
                    channel.managingeditor = field(u"managing editor"_s, readContent(xml).text);
                else if (name == "webMaster"_L1)
                    channel.webmaster = field(u"web master"_s, readContent(xml).text);
                else if (name == "category"_L1)
                    setOnce(channel.category, field(u"category"_s, readContent(xml).text));
                else if (name == "ttl"_L1)
                    channel.ttl = readContent(xml).text;
                else if (name == "image"_L1)
                    readRssImage(xml);
                else if (name == "item"_L1)
                    readRssItem(xml);
                else
                    xml.skipCurrentElement();
            } else if (ns == DcNs && name == "language"_L1) {
                dcLanguage = readContent(xml).text;
            } else if (ns == DcNs && name == "subject"_L1) {
                setOnce(dcSubject, field(u"category"_s, readContent(xml).text));
            } else {
                xml.skipCurrentElement();
            }
        }
        if (channel.language.isEmpty())
            channel.language = dcLanguage;
        if (channel.category.isEmpty())
            channel.category = dcSubject;
    }

    void readRssImage(QXmlStreamReader &xml)
    {
        ChannelSettings &channel = m_feed.channel;
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            if (!isRssNamespace(xml.namespaceUri()))
                xml.skipCurrentElement();
            else if (name == "url"_L1)
                channel.imageurl = field(u"image address"_s, readContent(xml).text);
            else if (name == "title"_L1)
                channel.imagetitle = field(u"image title"_s, readContent(xml).text);
            else if (name == "link"_L1)
                channel.imagelink = field(u"image link"_s, readContent(xml).text);
            else
                xml.skipCurrentElement();
        }
    }

    void readRssItem(QXmlStreamReader &xml)
    {
        RSSentry entry;
        QString description;
        QString encoded;
        QString permaLink;
        QDateTime date;
        QDateTime dcDate;
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            const QStringView ns = xml.namespaceUri();
            if (isRssNamespace(ns)) {
                if (name == "title"_L1) {
                    entry.title = field(u"item title"_s, readContent(xml).text);
                } else if (name == "link"_L1) {
                    entry.link = field(u"item link"_s, readContent(xml).text);
                } else if (name == "description"_L1) {
                    description = readContent(xml).html();
                } else if (name == "pubDate"_L1) {
                    date = DateText::parseInternetDate(readContent(xml).text);
                } else if (name == "guid"_L1) {
                    const bool isPermaLink = xml.attributes().value("isPermaLink"_L1) != "false"_L1;
                    const QString guid = readContent(xml).text.trimmed();
                    if (isPermaLink && (guid.startsWith("http://"_L1) || guid.startsWith("https://"_L1)))
                        permaLink = guid;
                } else {
                    xml.skipCurrentElement();
                }
            } else if (ns == ContentNs && name == "encoded"_L1) {
                encoded = readContent(xml).html();
            } else if (ns == DcNs && name == "date"_L1) {
                dcDate = DateText::parseInternetDate(readContent(xml).text);
            } else {
                xml.skipCurrentElement();
            }
        }
        if (entry.link.isEmpty())
            entry.link = permaLink;
        // content:encoded is the whole text where the description is often a summary.
        entry.content = oneLineHtml(encoded.trimmed().isEmpty() ? description : encoded);
        addItem(std::move(entry), date.isValid() ? date : dcDate);
    }

    void readAtomFeed(QXmlStreamReader &xml)
    {
        ChannelSettings &channel = m_feed.channel;
        channel.language = xml.attributes().value("xml:lang"_L1).toString();
        QString icon;
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            if (xml.namespaceUri() != AtomNs)
                xml.skipCurrentElement();
            else if (name == "title"_L1)
                channel.title = field(u"feed title"_s, atomText(xml));
            else if (name == "subtitle"_L1)
                channel.description = field(u"feed subtitle"_s, atomText(xml));
            else if (name == "link"_L1)
                atomLink(xml, channel.link);
            else if (name == "logo"_L1)
                channel.imageurl = field(u"feed logo"_s, readContent(xml).text);
            else if (name == "icon"_L1)
                icon = field(u"feed icon"_s, readContent(xml).text);
            else if (name == "category"_L1)
                atomCategory(xml, channel.category);
            else if (name == "author"_L1)
                atomAuthor(xml, channel.managingeditor);
            else if (name == "entry"_L1)
                readAtomEntry(xml);
            else
                xml.skipCurrentElement();
        }
        if (channel.imageurl.isEmpty())
            channel.imageurl = icon;
        // An RSS image has a title and a link; Atom's logo stands for the feed, and so do they.
        if (!channel.imageurl.isEmpty()) {
            channel.imagetitle = channel.title;
            channel.imagelink = channel.link;
        }
    }

    void readAtomEntry(QXmlStreamReader &xml)
    {
        RSSentry entry;
        QString content;
        QString summary;
        QDateTime published;
        QDateTime updated;
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            if (xml.namespaceUri() != AtomNs) {
                xml.skipCurrentElement();
            } else if (name == "title"_L1) {
                entry.title = field(u"entry title"_s, atomText(xml));
            } else if (name == "link"_L1) {
                atomLink(xml, entry.link);
            } else if (name == "content"_L1) {
                // Content elsewhere (src) or of a media type other than text has no body to show.
                const QString type = xml.attributes().value("type"_L1).toString();
                if (xml.attributes().hasAttribute("src"_L1)
                    || !(type.isEmpty() || type == "text"_L1 || type == "html"_L1 || type == "xhtml"_L1
                         || type.startsWith("text/"_L1)))
                    xml.skipCurrentElement();
                else
                    content = atomHtml(xml);
            } else if (name == "summary"_L1) {
                summary = atomHtml(xml);
            } else if (name == "published"_L1) {
                published = DateText::parseInternetDate(readContent(xml).text);
            } else if (name == "updated"_L1) {
                updated = DateText::parseInternetDate(readContent(xml).text);
            } else {
                xml.skipCurrentElement();
            }
        }
        entry.content = oneLineHtml(content.isEmpty() ? summary : content);
        addItem(std::move(entry), published.isValid() ? published : updated);
    }

    // An Atom link: the first with rel "alternate" (or none) wins.
    void atomLink(QXmlStreamReader &xml, QString &link)
    {
        const QXmlStreamAttributes attributes = xml.attributes();
        const QStringView rel = attributes.value("rel"_L1);
        const QString href = attributes.value("href"_L1).toString();
        xml.skipCurrentElement();
        if (link.isEmpty() && (rel.isEmpty() || rel == "alternate"_L1))
            link = field(u"link"_s, href);
    }

    void atomCategory(QXmlStreamReader &xml, QString &category)
    {
        const QXmlStreamAttributes attributes = xml.attributes();
        const QString label = attributes.value("label"_L1).toString();
        const QString term = attributes.value("term"_L1).toString();
        xml.skipCurrentElement();
        setOnce(category, field(u"category"_s, label.isEmpty() ? term : label));
    }

    // The feed's first author as RSS writes a managing editor: "mail (name)", or the name.
    void atomAuthor(QXmlStreamReader &xml, QString &editor)
    {
        QString name;
        QString email;
        while (xml.readNextStartElement()) {
            if (xml.namespaceUri() == AtomNs && xml.name() == "name"_L1)
                name = oneLine(readContent(xml).text);
            else if (xml.namespaceUri() == AtomNs && xml.name() == "email"_L1)
                email = oneLine(readContent(xml).text);
            else
                xml.skipCurrentElement();
        }
        if (!email.isEmpty() && !name.isEmpty())
            name = email + u" ("_s + name + u')';
        else if (name.isEmpty())
            name = email;
        setOnce(editor, field(u"managing editor"_s, name));
    }

    // An Atom text construct as plain text.
    QString atomText(QXmlStreamReader &xml)
    {
        const QString type = xml.attributes().value("type"_L1).toString();
        const ElementContent content = readContent(xml);
        if (type == "html"_L1)
            return htmlToText(content.text);
        if (type == "xhtml"_L1)
            return htmlToText(content.xhtml());
        return content.text;
    }

    // An Atom text construct as HTML.
    QString atomHtml(QXmlStreamReader &xml)
    {
        const QString type = xml.attributes().value("type"_L1).toString();
        const ElementContent content = readContent(xml);
        // Content may name its media type instead: text/html is HTML, any other text/ is text.
        if (type == "html"_L1 || type == "text/html"_L1)
            return content.text;
        if (type == "xhtml"_L1)
            return content.xhtml();
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
                const QString resolved = entityText(xml.name());
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

    void addItem(RSSentry entry, const QDateTime &date)
    {
        if (m_feed.items.size() >= EntryCollection::MaxEntries) {
            ++m_feed.itemsLeftOut;
            return;
        }
        // A project holds whole seconds.
        QDateTime local = date.isValid() ? date.toLocalTime() : m_now;
        local.setTime(QTime(local.time().hour(), local.time().minute(), local.time().second()));
        entry.createdate = local;
        m_feed.items.append(std::move(entry));
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
            m_feed.notes.append(u"A "_s + what + u" was longer than "_s + QString::number(NoTypingLimit)
                                + u" characters and was cut there."_s);
        }
        return value;
    }

    const QDateTime m_now;
    ImportedFeed &m_feed;
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

} // namespace

bool ParseFeed(const QByteArray &bytes, const QDateTime &now, ImportedFeed *feed, QString *error)
{
    *feed = ImportedFeed{};
    if (bytes.size() > MaxFeedBytes) {
        *error = u"is larger than "_s + QString::number(MaxFeedBytes / (1024 * 1024)) + u" MB"_s;
        return false;
    }
    if (const QString reason = oversizedElementReason(bytes); !reason.isEmpty()) {
        *error = reason;
        return false;
    }
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
    if (!parser.parse(xml, error))
        return false;
    settleChannel(*feed);
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
    const QByteArray head = file.read(64 * 1024);
    if (!oversizedElementReason(head).isEmpty())
        return false;
    QXmlStreamReader xml(head);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            return (name == "rss"_L1 && xml.namespaceUri().isEmpty())
                    || (name == "RDF"_L1 && xml.namespaceUri() == RdfNs)
                    || (name == "feed"_L1 && xml.namespaceUri() == AtomNs);
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
    const QString newEntryText = textTable.value(u"newentry"_s);
    tree.beginBulkChange();
    tree.addTopLevel(EntryTreeModel::RootKey,
                     feed.channel.title.isEmpty() ? textTable.value(u"rootkey"_s) : feed.channel.title);
    tree.setExpanded(EntryTreeModel::RootKey, true);
    document.entries.reserve(int(feed.items.size()));
    // The feed lists the newest first; the newest entry has the highest key.
    for (qsizetype i = feed.items.size() - 1; i >= 0; --i) {
        RSSentry entry = std::move(feed.items[i]);
        // An item without a body stays an entry without content, as one never typed into.
        if (!entry.content.isEmpty())
            entry.content = styleBlock + entry.content.text();
        AppendEntry(document, std::move(entry), newEntryText);
    }
    tree.endBulkChange();
    feed.items.clear();
    document.changed = true;
}

} // namespace Feedsmith
