// The HTML preview.
#include "core/output/preview.h"

#include "core/document/entryfields.h"
#include "core/document/media.h"
#include "core/output/rsswriter.h"
#include "core/system/pieces.h"
#include "core/text/textencoding.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"

#include <feedsmith/version.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr QLatin1StringView LinkStart("<a href=\"");
constexpr QLatin1StringView LinkStartEnd("\">");
constexpr QLatin1StringView LinkEnd("</a>");
constexpr QLatin1StringView ImageStart("<img src = \"");
constexpr QLatin1StringView ImageAlt("\" alt=\"");
constexpr QLatin1StringView ImageEnd("\" border = 0\">");

struct Placeholder
{
    QLatin1StringView name;
    const QString *value; // null: the placeholder stays as it stands
};

// A template cut at its placeholders: pieces of its text, and between them the placeholders
// that are filled (by their place in the list).
struct TemplatePart
{
    QStringView text;
    int placeholder = -1; // >= 0: this part is the value of that placeholder
};

// Every placeholder of a template is found in one pass, without regard to letter case. The
// inserted texts are never searched again, so a value that holds a placeholder's name (an
// entry titled "{DESCRIPTION}") stays as typed and the page grows only by what is inserted.
std::vector<TemplatePart> cutTemplate(QStringView text, std::span<const Placeholder> placeholders)
{
    std::vector<TemplatePart> parts;
    qsizetype copied = 0;
    qsizetype at = text.indexOf(u'{');
    while (at >= 0) {
        int found = -1;
        int index = 0;
        for (const Placeholder &p : placeholders) {
            if (text.mid(at, p.name.size()).compare(p.name, Qt::CaseInsensitive) == 0) {
                found = index;
                break;
            }
            ++index;
        }
        if (found >= 0 && placeholders[size_t(found)].value) {
            parts.push_back({text.mid(copied, at - copied)});
            parts.push_back({{}, found});
            copied = at + placeholders[size_t(found)].name.size();
            at = text.indexOf(u'{', copied);
        } else {
            at = text.indexOf(u'{', at + 1);
        }
    }
    parts.push_back({text.mid(copied)});
    return parts;
}

std::vector<TemplatePart> cutTemplate(QStringView text, std::initializer_list<Placeholder> placeholders)
{
    return cutTemplate(text, std::span(placeholders.begin(), placeholders.size()));
}

QString fillPlaceholders(const QString &text, std::span<const Placeholder> placeholders)
{
    QString result;
    result.reserve(text.size());
    for (const TemplatePart &part : cutTemplate(text, placeholders))
        result += part.placeholder < 0 ? part.text : QStringView(*placeholders[size_t(part.placeholder)].value);
    return result;
}

QString fillPlaceholders(const QString &text, std::initializer_list<Placeholder> placeholders)
{
    return fillPlaceholders(text, std::span(placeholders.begin(), placeholders.size()));
}

// A value written between the double quotes of an attribute: it cannot end the attribute or
// the tag it stands in.
QString attributeValue(const QString &value)
{
    QString result;
    result.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '&': result += "&amp;"_L1; break;
        case '"': result += "&quot;"_L1; break;
        case '<': result += "&lt;"_L1; break;
        case '>': result += "&gt;"_L1; break;
        default: result += c;
        }
    }
    return result;
}

} // namespace

QString defaultPreviewPath(const QString &programFolder)
{
    // The page is made again from the project at every look: it belongs to the user's cache,
    // never to the program's folder (an installed program's files belong to its package).
    Q_UNUSED(programFolder);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return programFile(cache, u"rsspreview.html"_s);
}

namespace {

// The title an entry shows: a link to the entry's address when it has one.
// Titles and links are one line each, whatever reached them.
QString entryTitle(const RSSentry &entry)
{
    if (entry.title.isEmpty())
        return {};
    const QString title = OneLine(entry.title);
    return entry.link.isEmpty() ? title
                                : LinkStart + attributeValue(OneLine(entry.link)) + LinkStartEnd + title + LinkEnd;
}

// The picture of the channel, linked when it has a link, else the channel title.
QString feedTitleOf(const ChannelSettings &c)
{
    QString feedTitle = OneLine(c.title);
    if (!c.imageurl.isEmpty()) {
        feedTitle = ImageStart + attributeValue(OneLine(c.imageurl)) + ImageAlt + attributeValue(OneLine(c.imagetitle))
                + ImageEnd;
        if (!c.imagelink.isEmpty())
            feedTitle = LinkStart + attributeValue(OneLine(c.imagelink)) + LinkStartEnd + feedTitle + LinkEnd;
    }
    return feedTitle;
}

// The entry template's placeholders: {TITLE}, {DESCRIPTION}, then one per field an entry shows
// ({AUTHOR}, {CATEGORY}, {ENCLOSURE}, ...), the key in capitals.
constexpr int FirstFieldPlaceholder = 2;

struct FieldPlaceholder
{
    const EntryField *field;
    QByteArray name;
};

const std::vector<FieldPlaceholder> &fieldPlaceholders()
{
    static const std::vector<FieldPlaceholder> list = [] {
        std::vector<FieldPlaceholder> fields;
        for (const EntryField &field : EntryFields) {
            if (field.kind != EntryFieldKind::Hidden)
                fields.push_back({&field, '{' + QByteArray(field.key.data(), field.key.size()).toUpper() + '}'});
        }
        return fields;
    }();
    return list;
}

// The value of a field placeholder. The fields are plain text, written as text: markup in them
// shows as typed and runs nothing; a list is written with commas between its items.
QString fieldText(const RSSentry &entry, int placeholder)
{
    const EntryField &field = *fieldPlaceholders()[size_t(placeholder - FirstFieldPlaceholder)].field;
    return attributeValue(OneLine(field.items(entry).join(", "_L1)));
}

// An entry's values for the entry template, in the order of its placeholders.
struct EntryValues
{
    std::vector<QString> values;
    std::vector<Placeholder> placeholders;

    explicit EntryValues(const RSSentry *entry, const QString &publicMedia = {})
    {
        const std::vector<FieldPlaceholder> &fields = fieldPlaceholders();
        const int count = FirstFieldPlaceholder + int(fields.size());
        values.reserve(size_t(count));
        values.push_back(entry ? entryTitle(*entry) : QString());
        values.push_back(entry ? WithPublicMedia(entry->content.text(), publicMedia) : QString());
        for (int i = FirstFieldPlaceholder; i < count; ++i)
            values.push_back(entry ? fieldText(*entry, i) : QString());
        placeholders.push_back({"{TITLE}"_L1, &values[0]});
        placeholders.push_back({"{DESCRIPTION}"_L1, &values[1]});
        for (size_t i = 0; i < fields.size(); ++i)
            placeholders.push_back({QLatin1StringView(fields[i].name), &values[FirstFieldPlaceholder + i]});
    }
    EntryValues(const EntryValues &) = delete;
    EntryValues &operator=(const EntryValues &) = delete;
};

bool hasSurrogate(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); });
}

// The page in Windows-1252 straight from the entries' code page bytes, made in pieces on every
// core: no entry is decoded into text. Encoding is done a character at a time, so encoding the
// parts one by one gives the bytes of the page encoded whole, as long as no two parts could
// join into one surrogate pair; empty when a text holds a surrogate or a content a character
// without a code, and the page must take the text route.
std::optional<QByteArray> previewBytes(const FeedDocument &document, int taken, const QString &entryTemplate,
                                       const QString &pageTemplate, const QString &styleBlock, const QString &label)
{
    const ChannelSettings &c = document.channel;
    const QString feedTitle = feedTitleOf(c);
    const QString channelTitle = OneLine(c.title);
    const QString labelText = attributeValue(OneLine(label));
    for (const QString *text : {&entryTemplate, &pageTemplate, &styleBlock, &channelTitle, &feedTitle, &labelText}) {
        if (hasSurrogate(*text))
            return std::nullopt;
    }
    const QString unused;
    const EntryValues none(nullptr);
    const std::vector<TemplatePart> entryParts = cutTemplate(entryTemplate, none.placeholders);
    std::vector<QByteArray> entryPieces; // the template's text pieces, encoded once
    for (const TemplatePart &part : entryParts)
        entryPieces.push_back(part.placeholder < 0 ? Windows1252::encode(part.text) : QByteArray());

    const int count = document.entryCount();
    // The published form: pictures of the project's media folder as the feed's readers get them.
    const QByteArray publicMedia = PublicMediaAddress(document.ftp.feedurl).toLatin1();
    std::atomic<bool> textRoute = false;
    const std::vector<QByteArray> entries = buildInPieces(taken, [&](qsizetype begin, qsizetype end) {
        QByteArray piece;
        qsizetype estimate = 0;
        for (qsizetype k = begin; k < end; ++k)
            estimate += document.entries.at(count - int(k)).content.sizeHint() + entryTemplate.size() + 64;
        piece.reserve(estimate);
        for (qsizetype k = begin; k < end && !textRoute; ++k) {
            const RSSentry &entry = document.entries.at(count - int(k));
            for (size_t i = 0; i < entryParts.size(); ++i) {
                const int placeholder = entryParts[i].placeholder;
                if (placeholder < 0) {
                    piece += entryPieces[i];
                } else if (placeholder == 1) {
                    if (publicMedia.isEmpty()) {
                        if (!entry.content.appendCodePage(piece))
                            textRoute = true;
                    } else {
                        QByteArray body;
                        if (!entry.content.appendCodePage(body))
                            textRoute = true;
                        piece += WithPublicMedia(body, publicMedia);
                    }
                } else {
                    const QString value = placeholder == 0 ? entryTitle(entry) : fieldText(entry, placeholder);
                    if (hasSurrogate(value))
                        textRoute = true;
                    Windows1252::appendEncoded(piece, value);
                }
            }
        }
        return piece;
    });
    if (textRoute)
        return std::nullopt;

    const bool noEntries = std::all_of(entries.begin(), entries.end(), [](const QByteArray &p) { return p.isEmpty(); });
    const std::vector<TemplatePart> pageParts = cutTemplate(pageTemplate,
                                                            {{"{TITLE}"_L1, &channelTitle},
                                                             {"{FEEDTITLE}"_L1, &feedTitle},
                                                             {"{ENTRIES}"_L1, noEntries ? nullptr : &unused},
                                                             {"{STYLES}"_L1, &styleBlock},
                                                             {"{PREVIEWLABEL}"_L1, &labelText}});
    qsizetype total = pageTemplate.size() + styleBlock.size() + feedTitle.size() + channelTitle.size() + 2;
    for (const QByteArray &piece : entries)
        total += piece.size();
    QByteArray page;
    page.reserve(total);
    for (const TemplatePart &part : pageParts) {
        switch (part.placeholder) {
        case 0: Windows1252::appendEncoded(page, channelTitle); break;
        case 1: Windows1252::appendEncoded(page, feedTitle); break;
        case 2:
            for (const QByteArray &piece : entries)
                page += piece;
            break;
        case 3: Windows1252::appendEncoded(page, styleBlock); break;
        case 4: Windows1252::appendEncoded(page, labelText); break;
        default: Windows1252::appendEncoded(page, part.text);
        }
    }
    return page;
}

} // namespace

QString BuildPreviewPage(const FeedDocument &document, int taken, const QString &entryTemplate,
                         const QString &pageTemplate, const QString &styleBlock, const QString &label)
{
    const int count = document.entryCount();
    QString entries;
    for (int i = count; i > count - taken; --i) {
        const EntryValues values(&document.entries.at(i), PublicMediaAddress(document.ftp.feedurl));
        entries += fillPlaceholders(entryTemplate, values.placeholders);
    }

    const ChannelSettings &c = document.channel;
    const QString feedTitle = feedTitleOf(c);
    const QString channelTitle = OneLine(c.title);
    const QString labelText = attributeValue(OneLine(label));
    // With no entries to join, "{ENTRIES}" stays in the page.
    return fillPlaceholders(pageTemplate,
                            {{"{TITLE}"_L1, &channelTitle},
                             {"{FEEDTITLE}"_L1, &feedTitle},
                             {"{ENTRIES}"_L1, entries.isEmpty() ? nullptr : &entries},
                             {"{STYLES}"_L1, &styleBlock},
                             {"{PREVIEWLABEL}"_L1, &labelText}});
}

QString WithContentPolicy(const QString &page)
{
    static const QRegularExpression headStart(u"<head(\\s[^>]*)?>"_s, QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch head = headStart.match(page);
    return head.hasMatch() ? QString(page).insert(head.capturedEnd(), ContentPolicyMeta) : page;
}

QByteArray BuildPreviewFile(const FeedDocument &document, int taken, const QString &entryTemplate,
                            const QString &rawPageTemplate, const QString &styleBlock, const QString &label)
{
    const QString pageTemplate = WithContentPolicy(rawPageTemplate);
    std::optional<QByteArray> bytes = previewBytes(document, taken, entryTemplate, pageTemplate, styleBlock, label);
    if (!bytes)
        bytes = Windows1252::encode(BuildPreviewPage(document, taken, entryTemplate, pageTemplate, styleBlock, label));
    *bytes += "\r\n";
    return *std::move(bytes);
}

PreviewResult BuildPreview(const FeedDocument &document, const QString &programFolder, const QString &pagePath,
                           const QLocale &locale, const QString &label)
{
    PreviewResult result;
    const FeedItemSelection selection = FeedItemCount(document.channel, document.entryCount(), locale);
    if (selection.countValue <= 0) {
        result.ok = true;
        result.emptyPage = true;
        result.pagePath = programFile(programFolder, u"empty.html"_s);
        return result;
    }

    // The templates and the style sheet are read only as the files they are: a link planted in
    // their place would put another file of the user's into the page.
    for (const QString &name : {u"entry.html"_s, u"preview.html"_s, u"styles.css"_s}) {
        const QString path = programFile(programFolder, name);
        if (const QString why = notPlainFileReason(path); QFileInfo(path).isSymLink()) {
            result.error = QDir::toNativeSeparators(path) + u": "_s + why;
            return result;
        }
    }
    const QString entryTemplate = ReadTextFile(programFile(programFolder, u"entry.html"_s), Links::Refuse);
    const QString pageTemplate = ReadTextFile(programFile(programFolder, u"preview.html"_s), Links::Refuse);
    if (!document.channel.title.isEmpty())
        result.windowCaption = QLatin1StringView(Version::ProductName) + " - "_L1 + document.channel.title;
    const QByteArray bytes = BuildPreviewFile(document, selection.taken, entryTemplate, pageTemplate,
                                              BuildStyleBlock(programFolder), label);
    if (!writeFileAtomically(pagePath, bytes, &result.error, Durability::Regenerable))
        return result;
    result.ok = true;
    result.pagePath = pagePath;
    return result;
}

} // namespace Feedsmith
