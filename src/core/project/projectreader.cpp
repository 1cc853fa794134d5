// The project file reader.
#include "core/project/projectreader.h"

#include "core/document/entryfields.h"
#include "core/output/feedoptions.h"

#include "core/output/rsswriter.h"
#include "core/project/datetext.h"
#include "core/system/memory.h"
#include "core/text/codepagetext.h"
#include "core/text/printable.h"
#include "core/text/textencoding.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// Plain values of the project file: references to characters above 255, and those the writer
// gives to tabs, edge blanks, "&" and "<", come back as characters.
QString plainValue(const QString &value)
{
    return Windows1252::decodeValueReferences(value);
}

// The parts of a row, as text or as the file's bytes.
bool is(const QString &part, QLatin1StringView name)
{
    return part == name;
}

bool is(const QByteArray &part, QLatin1StringView name)
{
    return QByteArrayView(part) == QByteArrayView(name.data(), name.size());
}

QString text(const QString &part, bool)
{
    return part;
}

QString text(const QByteArray &part, bool utf8)
{
    return decodeLine(part, utf8);
}

// The content of an entry: the style block in front of the unescaped body. A body that kept the
// editor's style block of another sheet is read without it.
EntryContent content(const StyleBlockForms &styleBlock, const QString &value, bool)
{
    return styleBlock.text + UnescapeStoredBody(withoutStoredEditorStyleBlocks(value));
}

// A Windows-1252 body is kept as the file's bytes, behind the style block, when the block has
// code page bytes; the rest is unescaped and decoded here.
EntryContent content(const StyleBlockForms &styleBlock, const QByteArray &stored, bool utf8)
{
    thread_local QByteArray room;
    const QByteArrayView cleaned = CodePageText::withoutStoredEditorStyleBlocks(stored, room);
    const QByteArray value = cleaned.data() == stored.data() ? stored : QByteArray(cleaned.data(), cleaned.size());
    if (utf8)
        return styleBlock.text + QString::fromUtf8(CodePageText::unescapeStoredBody(value));
    if (styleBlock.codePage.isEmpty() && !styleBlock.text.isEmpty())
        return styleBlock.text + Windows1252::decode(CodePageText::unescapeStoredBody(value));
    // The row's bytes are a view of the file's: the body keeps a copy of its own.
    return EntryContent::fromStoredBody(styleBlock, QByteArray(value.constData(), value.size()));
}

StyleBlockForms styleBlockForms(const QString &styleBlock)
{
    StyleBlockForms forms{styleBlock, {}};
    CodePageText::appendExactly(forms.codePage, styleBlock);
    return forms;
}

} // namespace

namespace {

// Project files from other editors and tools may end their lines in LF and be UTF-8.
constexpr LineReading ProjectReading{.lineFeedEndsLine = true,
                                     .utf8WhenValid = true,
                                     .maxFileBytes = MaxProjectBytes,
                                     .maxLineBytes = MaxProjectLineBytes,
                                     .linesCheckedFirst = false};

// Walks the rows of a project file from the top, filling the document as it goes.
class ProjectWalk
{
public:
    ProjectWalk(FeedDocument &document, const KeyedTexts &textTable, const QString &styleBlock, const QLocale &locale,
                EntryTree tree = EntryTree::Filled)
        : m_document(document)
        , m_tree(document.tree)
        , m_styleBlock(styleBlockForms(styleBlock))
        , m_newEntryText(textTable.value(u"newentry"_s))
        , m_dates(locale)
        , m_fillTree(tree == EntryTree::Filled)
    {
        if (!m_fillTree)
            return;
        m_tree.beginBulkChange();
        m_tree.setNewEntryText(m_newEntryText);
        if (textTable.contains(u"rootkey"_s))
            m_tree.addRoot(textTable.value(u"rootkey"_s));
    }

    // A row as text, or as the file's bytes with their encoding: only the values kept are decoded.
    template<typename Text>
    void take(const BasicMarkupRow<Text> &row, bool utf8 = false)
    {
        ++m_result.linesRead;
        if (row.isEmpty())
            return; // an empty row matches nothing
        const Text &name = row.name;
        const Text &closing = row.closing;
        if (is(name, "settings"_L1) || is(name, "ftpsettings"_L1) || is(name, "entries"_L1))
            m_result.isProject = true;
        if (is(name, "settings"_L1))
            m_inSettings = true;
        if (is(closing, "settings"_L1))
            m_inSettings = false;
        if (is(name, "ftpsettings"_L1))
            m_inFtp = true;
        if (is(closing, "ftpsettings"_L1))
            m_inFtp = false;
        if (is(name, "entries"_L1))
            m_inEntries = true;
        if (is(closing, "entries"_L1))
            m_inEntries = false;
        if (m_inSettings || m_inFtp) {
            for (const DocumentField &field : DocumentFields) {
                if (!field.isStored() || field.isChannelField() != m_inSettings || !is(name, field.key))
                    continue;
                // A list has one element a line; every other field keeps its last value.
                QString &value = field.value(m_document);
                if (field.isList && !value.isEmpty())
                    value += u'\n' + plainValue(text(row.value, utf8));
                else
                    value = plainValue(text(row.value, utf8));
            }
        }
        if (!m_inEntries)
            return;
        if (is(name, "entry"_L1)) {
            m_inEntry = true;
            m_record = RSSentry{};
        }
        if (is(closing, "entry"_L1)) {
            addRecord(); // the next entry starts from a new record
            m_inEntry = false;
        }
        if (!m_inEntry)
            return;
        if (is(name, "title"_L1)) {
            m_record.title = plainValue(text(row.value, utf8));
        } else if (is(name, "link"_L1)) {
            m_record.link = plainValue(text(row.value, utf8));
        } else if (is(name, "content"_L1)) {
            m_record.content = content(m_styleBlock, row.value, utf8);
        } else if (is(name, "date"_L1)) {
            // A date that cannot be read is kept as text, never replaced without a word.
            const QString dateText = plainValue(text(row.value, utf8));
            const QDateTime date = m_dates.read(dateText);
            m_record.createdate = date.isValid() ? date : zeroDate();
            m_record.unreadDate = date.isValid() || dateText.trimmed().isEmpty() ? QString() : dateText;
        } else {
            for (const EntryField &field : EntryFields) {
                if (!is(name, field.key))
                    continue;
                QString &value = field.value(m_record);
                // A list has one element a line; every other field keeps its last value.
                if (field.kind == EntryFieldKind::List && !value.isEmpty())
                    value += u'\n';
                else
                    value.clear();
                value += plainValue(text(row.value, utf8));
                break;
            }
        }
    }

    ProjectReadResult finish()
    {
        // A file cut off keeps what it held: the entry it ended in is added as far as it came.
        if (m_inEntry && m_inEntries) {
            m_result.endedInside = u"entry"_s;
            addRecord();
        } else if (m_inEntries) {
            m_result.endedInside = u"entries"_s;
        } else if (m_inSettings) {
            m_result.endedInside = u"settings"_s;
        } else if (m_inFtp) {
            m_result.endedInside = u"ftpsettings"_s;
        }
        m_document.currentEntryKey.clear();
        // Entries identified by their dates keep the IDs those give them now for good: a later
        // reorder, edit or delete changes no published ID.
        if (FeedOptions::of(m_document).entryDatesAndIds) {
            const QList<QString> ids = EntryIds(m_document);
            for (int i = 1; i <= m_document.entryCount(); ++i) {
                if (m_document.entries.at(i).guid.isEmpty())
                    m_document.entries.at(i).guid = ids.at(i - 1);
            }
        }
        if (!m_fillTree)
            return m_result;
        if (!m_document.channel.title.isEmpty())
            m_tree.setRootCaption(m_document.channel.title);
        m_tree.endBulkChange();
        return m_result;
    }

private:
    void addRecord()
    {
        if (m_document.entries.isFull()) {
            ++m_result.entriesLeftOut;
            return;
        }
        if (!m_record.unreadDate.isEmpty())
            ++m_result.unreadDates;
        if (m_fillTree)
            m_tree.appendEntry(std::move(m_record));
        else
            m_document.entries.append(std::move(m_record));
        ++m_result.entriesRead;
    }

    FeedDocument &m_document;
    EntryTreeModel &m_tree;
    const StyleBlockForms m_styleBlock;
    const QString m_newEntryText; // the caption of an entry without a title, never its title
    const DateText::Reader m_dates;
    const bool m_fillTree;
    ProjectReadResult m_result;
    bool m_inSettings = false;
    bool m_inFtp = false;
    bool m_inEntries = false;
    bool m_inEntry = false;
    RSSentry m_record;
};

} // namespace

ProjectReadResult LoadProjectRows(FeedDocument &document, const MarkupTable &table, const KeyedTexts &textTable,
                                  const QString &styleBlock, const QLocale &locale)
{
    ProjectWalk walk(document, textTable, styleBlock, locale);
    // The rows past the last line are empty and match nothing.
    for (qsizetype r = 0; r < table.lineCount(); ++r)
        walk.take(table.row(r));
    ProjectReadResult result = walk.finish();
    result.fileOpened = table.fileOpened();
    return result;
}

QString notAProjectReason(const QString &file)
{
    QFile in;
    if (!QFileInfo::exists(file) || !openRegularFile(in, file))
        return {}; // the read itself reports what is wrong
    if (QString reason = lineLimitReason(file, ProjectReading); !reason.isEmpty())
        return reason;
    // A project opens its first block within its first lines; an RSS file or a picture does not.
    constexpr qint64 Head = qint64(256) * 1024;
    QString head = Windows1252::decode(in.read(Head));
    head.replace(u'\n', u'\r');
    const MarkupTable rows = ParseMarkup(head);
    for (qsizetype r = 0; r < rows.lineCount(); ++r) {
        const QString &name = rows.row(r).name;
        if (name == "settings"_L1 || name == "ftpsettings"_L1 || name == "entries"_L1)
            return {};
    }
    return u"is not a Feedsmith project (it has no settings, FTP settings or entries block)"_s;
}

QStringList ProjectReadNotes(const FeedDocument &document, const ProjectReadResult &result, const KeyedTexts &texts,
                             NoteDetail detail)
{
    QStringList notes;
    auto quoted = [](const QString &text) { return u'"' + printable(text) + u'"'; };
    if (!result.endedInside.isEmpty()) {
        notes.append(texts.valueOr(u"cutoffnote"_s,
                                   u"The file ends at line %1 before its end, as if it had been cut off. Everything "
                                   "up to there was opened, the last entry as far as it goes; check it, then save the "
                                   "project to make the file whole again."_s)
                             .arg(result.linesRead));
    }
    if (result.unreadDates > 0) {
        // The entries as the tree lists them: keyN, the newest, is the first.
        const int count = document.entryCount();
        int first = 0;
        for (int i = count; i >= 1; --i) {
            const RSSentry &entry = document.entries.at(i);
            if (entry.unreadDate.isEmpty())
                continue;
            if (!first)
                first = i;
            if (detail == NoteDetail::EveryEntry) {
                notes.append(texts.valueOr(u"unreaddatenote"_s,
                                           u"Entry %1 (%2) has the date %3, which cannot be read as a date. It is kept "
                                           "as it is, and the feed gives this entry no date."_s)
                                     .arg(count - i + 1)
                                     .arg(quoted(entry.title), quoted(entry.unreadDate)));
            }
        }
        if (detail == NoteDetail::Summary && first) {
            const RSSentry &entry = document.entries.at(first);
            notes.append(texts.valueOr(u"unreaddatesnote"_s,
                                       u"%1 of the entries have dates that cannot be read as dates, such as %2 of "
                                       "the entry %3. They are kept as they are, and the feed gives these entries no "
                                       "date."_s)
                                 .arg(result.unreadDates)
                                 .arg(quoted(entry.unreadDate), quoted(entry.title)));
        }
    }
    const ChannelSettings &channel = document.channel;
    if (!channel.ttl.isEmpty() && !IsWholeNumber(channel.ttl)) {
        notes.append(texts.valueOr(u"ttlnote"_s,
                                   u"The time to live %1 is not a whole number of minutes; the feed leaves it out."_s)
                             .arg(quoted(channel.ttl)));
    }
    if (!channel.number.isEmpty() && !IsWholeNumber(channel.number)) {
        const int taken = FeedItemCount(channel, document.entryCount()).taken;
        notes.append(texts.valueOr(u"numbernote"_s,
                                   u"The number of entries %1 is not a whole number; the feed takes %2 of the "
                                   "entries."_s)
                             .arg(quoted(channel.number))
                             .arg(taken));
    }
    return notes;
}

QString projectFileToRead(const QString &path)
{
    return path;
}

ProjectReadResult ReadProjectFile(FeedDocument &document, const QString &path, const QString &programFolder,
                                  const KeyedTexts &textTable, const QLocale &locale, EntryTree tree)
{
    NewDocument(document);
    document.projectPath = path;
    if (QFileInfo(path).size() >= LargeProjectBytes)
        returnFreedMemory();
    // Rows are taken as the lines are read: a large project is never held twice.
    const QString styleBlock = BuildStyleBlock(programFolder);
    ProjectWalk walk(document, textTable, styleBlock, locale, tree);
    QString error;
    bool anyRow = false;
    // A file past the size limit is refused before a row is taken; a line past its limit ends the
    // reading there, and the caller drops what was taken.
    const bool opened = ReadMarkupRowBytesAt(
            path,
            [&walk, &anyRow](const MarkupRowBytes &row, bool utf8) {
                anyRow = true;
                walk.take(row, utf8);
            },
            &error, ProjectReading);
    ProjectReadResult result = walk.finish();
    if (!opened && anyRow) {
        // Nothing of a file that could not be read whole is kept: the document is that of a file
        // without rows.
        NewDocument(document);
        document.projectPath = path;
        result = ProjectWalk(document, textTable, styleBlock, locale, tree).finish();
    }
    result.fileOpened = opened;
    if (!opened)
        result.error = error;
    return result;
}

} // namespace Feedsmith
