// Realistic feed projects for the benchmarks.
#include "projectgenerator.h"

#include "core/document/feeddocument.h"
#include "core/project/projectwriter.h"
#include "core/text/textfiles.h"

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
