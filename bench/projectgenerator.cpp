// Realistic feed projects for the benchmarks.
#include "projectgenerator.h"

#include "core/document/feeddocument.h"
#include "core/project/projectwriter.h"
#include "core/text/textencoding.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRandomGenerator>
#include <QStringList>

namespace FeedsmithBench {

using namespace Feedsmith;
using namespace Qt::StringLiterals;

namespace {

const QStringList Words = {
        u"Feed"_s,    u"Nachrichten"_s, u"Über"_s,     u"Größe"_s,   u"café"_s, u"naïve"_s, u"Straße"_s, u"Müller"_s,
        u"release"_s, u"update"_s,      u"security"_s, u"Zürich"_s,  u"déjà"_s, u"vu"_s,    u"the"_s,    u"and"_s,
        u"of"_s,      u"with"_s,        u"for"_s,      u"project"_s, u"Köln"_s, u"señor"_s, u"Ærø"_s,    u"façade"_s,
        u"résumé"_s,  u"über"_s,        u"team"_s,     u"readers"_s, u"news"_s, u"today"_s, u"week"_s,   u"version"_s,
};

QString sentence(QRandomGenerator &random, int words)
{
    QStringList s;
    for (int i = 0; i < words; ++i)
        s << Words.at(random.bounded(int(Words.size())));
    s.first()[0] = s.first()[0].toUpper();
    return s.join(u' ') + u'.';
}

// About 2 KB of HTML.
QString body(QRandomGenerator &random, int n)
{
    QString html;
    while (html.size() < 1900) {
        switch (random.bounded(4)) {
        case 0: html += u"<p>"_s + sentence(random, 12) + u" "_s + sentence(random, 9) + u"</p>"_s; break;
        case 1:
            html += u"<ul><li>"_s + sentence(random, 5) + u"</li><li>"_s + sentence(random, 6) + u"</li><li>"_s
                    + sentence(random, 4) + u"</li></ul>"_s;
            break;
        case 2:
            html += u"<p>See <a href=\"https://www.example.com/news/%1?ref=feed&amp;lang=de\">"_s.arg(n)
                    + sentence(random, 4) + u"</a>, then <b>"_s + sentence(random, 3) + u"</b></p>"_s;
            break;
        default: html += u"<p>"_s + sentence(random, 20) + u"</p>\r\n"_s; break;
        }
    }
    return u"<html><head><title></title></head><body>"_s + html + u"</body></html>"_s;
}

// Words that together hold every letter of the code page's upper half: both cases of every
// accented letter, the ligatures, sharp s, thorn, eth, the ordinal signs, micro and f with hook.
const QStringList AccentedWords = {
        u"Grüße"_s,    u"Straße"_s,    u"Öffnungszeiten"_s,
        u"Äpfel"_s,    u"Übersicht"_s, u"Müller"_s,
        u"größer"_s,   u"Bäckerei"_s,  u"Köln"_s,
        u"Zürich"_s,   u"heißt"_s,     u"schön"_s,
        u"café"_s,     u"élève"_s,     u"déjà"_s,
        u"être"_s,     u"garçon"_s,    u"naïve"_s,
        u"Noël"_s,     u"cœur"_s,      u"Œuvre"_s,
        u"hôtel"_s,    u"forêt"_s,     u"où"_s,
        u"Ça"_s,       u"Île"_s,       u"Ève"_s,
        u"À"_s,        u"Ôde"_s,       u"L’Haÿ"_s,
        u"Ÿvette"_s,   u"Ærø"_s,       u"smørrebrød"_s,
        u"Ångström"_s, u"señor"_s,     u"Ñandú"_s,
        u"São"_s,      u"Ãnimo"_s,     u"Ðiðrik"_s,
        u"þorn"_s,     u"Þing"_s,      u"Šibenik"_s,
        u"Žižek"_s,    u"ƒ-Zahl"_s,    u"5 µm"_s,
        u"nº"_s,       u"1ª"_s,        u"Ýmir"_s,
        u"ýr"_s,       u"Ëbe"_s,       u"Ìschia"_s,
        u"Ísland"_s,   u"Ïle"_s,       u"Òpera"_s,
        u"Ùltimo"_s,   u"Ûber"_s,      u"Úrsula"_s,
        u"Èze"_s,      u"Éclair"_s,    u"Âme"_s,
        u"Çedille"_s,  u"Õdi"_s,       u"Øre"_s,
        u"ìo"_s,       u"ísl"_s,       u"òpera"_s,
        u"ùmbra"_s,    u"úsuel"_s,     u"ûne"_s,
        u"ãnimo"_s,    u"åre"_s,       u"æble"_s,
        u"Óscar"_s,    u"ó"_s,         u"ÿ"_s,
        u"ñ"_s,        u"Ññ"_s,        u"ÂÊÎÔÛ"_s,
        u"šuma"_s,     u"Ásgeir"_s,    u"ásta"_s,
        u"âge"_s,      u"île"_s,       u"õhtu"_s,
        u"Woche"_s,    u"und"_s,       u"mit"_s,
        u"für"_s,      u"über"_s,      u"et"_s,
        u"les"_s,      u"des"_s,       u"version"_s,
        u"Projekt"_s,  u"Leser"_s,     u"Neuigkeiten"_s,
};

// A sentence with commas, "&", punctuation of the code page and now and then an entity or a
// numeric reference.
QString accentedSentence(QRandomGenerator &random, int words)
{
    static const QStringList extras = {
            u" & "_s,      u", "_s,          u" &amp; "_s,    u" &eacute;t&eacute; "_s,
            u" &#233; "_s, u" &#8364; 5 "_s, u" &#x2014; "_s, u" „so“ "_s,
            u" – "_s,      u" 3 € "_s,       u" &nbsp;"_s,    u" © "_s,
            u" ½ "_s,      u" «oui» "_s,     u" ’s "_s,
    };
    QString s;
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            s += random.bounded(5) == 0 ? extras.at(random.bounded(int(extras.size()))) : u" "_s;
        s += AccentedWords.at(random.bounded(int(AccentedWords.size())));
    }
    return s + u'.';
}

// About 1.6 KB of HTML as the editor would hold it between <body> and </body>, some 1.8 KB an
// entry in the file: 59 MB for 32767 entries.
QString accentedBody(QRandomGenerator &random, int n)
{
    QString html;
    while (html.size() < 1450) {
        switch (random.bounded(4)) {
        case 0:
            html += u"<p>"_s + accentedSentence(random, 12) + u" "_s + accentedSentence(random, 9) + u"</p>"_s;
            break;
        case 1:
            html += u"<ul><li>"_s + accentedSentence(random, 5) + u"<ol><li>"_s + accentedSentence(random, 4)
                    + u"</li><li>"_s + accentedSentence(random, 3) + u"</li></ol></li><li>"_s
                    + accentedSentence(random, 6) + u"</li></ul>"_s;
            break;
        case 2:
            html += u"<p>Siehe <a href=\"https://www.example.com/artikel/%1?ref=feed&amp;lang=fr\">"_s.arg(n)
                    + accentedSentence(random, 4) + u"</a>, dann <b>"_s + accentedSentence(random, 3)
                    + u"</b> &amp; <i>"_s + accentedSentence(random, 2) + u"</i></p>"_s;
            break;
        default: html += u"<p>"_s + accentedSentence(random, 20) + u"</p>"_s; break;
        }
    }
    return html;
}

void appendElement(QByteArray &out, const char *indent, const char *tag, const QByteArray &value)
{
    out += indent;
    out += '<';
    out += tag;
    out += '>';
    out += value;
    out += "</";
    out += tag;
    out += ">\r\n";
}

} // namespace

bool writeProject(const QString &path, int entries)
{
    QRandomGenerator random(quint32(entries) * 7919u + 17u);
    FeedDocument document;
    document.channel.title = u"Nachrichten & Neuigkeiten aus Köln"_s;
    document.channel.link = u"https://www.example.com/"_s;
    document.channel.description = u"Täglich neue Beiträge über Software & Co."_s;
    document.channel.language = u"de"_s;
    document.channel.number = QString::number(entries);
    document.channel.managingeditor = u"redaktion@example.com (Jürgen Müller)"_s;
    document.channel.webmaster = u"webmaster@example.com"_s;
    document.channel.category = u"Software"_s;
    document.channel.imageurl = u"https://www.example.com/logo.png"_s;
    document.channel.imagetitle = u"Logo"_s;
    document.channel.imagelink = u"https://www.example.com/"_s;
    document.ftp.ftpfile = u"feed.xml"_s;
    document.ftp.ftpurl = u"ftp.example.com"_s;
    document.ftp.ftpdir = u"/htdocs"_s;
    document.ftp.ftpusername = u"redaktion"_s;
    document.entries.reserve(entries);
    const QDateTime start(QDate(2020, 1, 1), QTime(8, 0));
    for (int i = 1; i <= entries; ++i) {
        RSSentry entry;
        entry.title = u"Beitrag %1: Grüße & Neuigkeiten über %2"_s.arg(i).arg(sentence(random, 3));
        entry.link = u"https://www.example.com/news/%1"_s.arg(i);
        entry.content = body(random, i);
        entry.createdate = start.addSecs(qint64(i) * 3607);
        document.entries.append(std::move(entry));
    }
    QString error;
    return writeFileAtomically(path, BuildProjectFile(document, QString()), &error);
}

bool writeAccentedProject(const QString &path, int entries, const QString &itemsJsonPath)
{
    QRandomGenerator random(quint32(entries) * 104729u + 3u);
    QByteArray out;
    out.reserve(qsizetype(entries) * 1900 + 4096);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<settings>\r\n";
    const auto encoded = [](const QString &text) { return Windows1252::encode(text); };
    appendElement(out, "\t", "title", encoded(u"Nachrichten & Neuigkeiten aus Köln, Zürich und Genève"_s));
    appendElement(out, "\t", "link", "https://www.example.com/");
    appendElement(out, "\t", "description", encoded(u"Täglich neue Beiträge über Software & Co. – für Leser"_s));
    appendElement(out, "\t", "number", QByteArray::number(entries));
    appendElement(out, "\t", "language", "de");
    appendElement(out, "\t", "managingeditor", encoded(u"redaktion@example.com (Jürgen Müller)"_s));
    appendElement(out, "\t", "ttl", "1440");
    out += "</settings>\r\n<ftpsettings>\r\n";
    appendElement(out, "\t", "ftpfile", "feed.xml");
    appendElement(out, "\t", "ftpurl", "ftp.example.com");
    out += "</ftpsettings>\r\n<entries>\r\n";
    QJsonArray items;
    const QDateTime start(QDate(2020, 1, 1), QTime(8, 0));
    for (int i = 1; i <= entries; ++i) {
        const QString title = u"Beitrag %1: Grüße & Neuigkeiten – %2"_s.arg(i).arg(accentedSentence(random, 3));
        const QString link = u"https://www.example.com/artikel/%1"_s.arg(i);
        const QString body = accentedBody(random, i);
        const QDateTime date = start.addSecs(qint64(i) * 3607);
        out += "\t<entry>\r\n";
        appendElement(out, "\t\t", "title", encoded(title));
        appendElement(out, "\t\t", "link", encoded(link));
        appendElement(out, "\t\t", "content", encoded(EscapeText(body)));
        appendElement(out, "\t\t", "date", date.toString(u"yyyy-MM-dd HH:mm:ss"_s).toLatin1());
        out += "\t</entry>\r\n";
        if (!itemsJsonPath.isEmpty()) {
            items.append(QJsonObject{{u"title"_s, title},
                                     {u"link"_s, link},
                                     {u"body"_s, body},
                                     {u"date"_s, date.toString(Qt::ISODate)}});
        }
    }
    out += "</entries>\r\n";
    QString error;
    if (!writeFileAtomically(path, out, &error))
        return false;
    return itemsJsonPath.isEmpty()
            || writeFileAtomically(itemsJsonPath, QJsonDocument(items).toJson(QJsonDocument::Compact), &error);
}

bool writeStyleSheet(const QString &path)
{
    QString css;
    const QStringList rules = {
            u"body { font-family: system-ui, sans-serif; font-size: 14px; line-height: 1.5; color: #222; }"_s,
            u"h1, h2, h3 { font-weight: 600; line-height: 1.25; margin: 0.8em 0 0.4em; color: #111; }"_s,
            u"p { margin: 0 0 0.8em; }"_s,
            u"a { color: #1a64c8; text-decoration: none; }"_s,
            u"a:hover { text-decoration: underline; }"_s,
            u"ul, ol { margin: 0 0 0.8em; padding-left: 1.6em; }"_s,
            u"li { margin: 0.2em 0; }"_s,
            u"code, pre { font-family: monospace; font-size: 0.95em; background: #f4f5f7; }"_s,
            u"pre { padding: 8px; overflow: auto; border-radius: 4px; }"_s,
            u"blockquote { margin: 0 0 0.8em; padding: 4px 12px; border-left: 3px solid #c9d3e0; }"_s,
            u"img { max-width: 100%; height: auto; }"_s,
            u"table { border-collapse: collapse; }"_s,
            u"td, th { border: 1px solid #ddd; padding: 4px 8px; }"_s,
            u".entry { background: #fff; border: 1px solid #e3e6ea; border-radius: 8px; padding: 16px; }"_s,
    };
    for (const QString &rule : rules)
        css += rule + u"\r\n"_s;
    QString error;
    return writeFileAtomically(path, css.toLatin1(), &error);
}

} // namespace FeedsmithBench
