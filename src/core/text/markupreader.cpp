// The line-oriented markup reader.
#include "core/text/markupreader.h"

#include "core/text/textfiles.h"
#include "core/text/textsearch.h"

#include <QList>

namespace Feedsmith {

namespace {

// Leading and trailing blanks go first, then every tab wherever it stands: a blank that sits
// behind a leading tab therefore survives.
QString trimAndDropTabs(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin] == u' ')
        ++begin;
    while (end > begin && s[end - 1] == u' ')
        --end;
    const QStringView kept = s.mid(begin, end - begin);
    if (!kept.contains(u'\t'))
        return kept.toString();
    QString out;
    out.reserve(kept.size());
    for (const QChar c : kept) {
        if (c != u'\t')
            out += c;
    }
    return out;
}

struct LineState
{
    bool inText = false; // T: in the text after a start tag
    bool inEnd = false; // E: in an end tag
};

MarkupRow parseLine(QStringView line, LineState &state)
{
    bool inStart = true;
    QString start;
    QString value;
    QString end;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        const bool angle = c == u'<' || c == u'>';
        if (c == u'<' && inStart)
            state.inText = false;
        if (inStart && c == u'/') {
            inStart = false;
            state.inEnd = true;
        }
        if (c == u'>' && inStart) {
            inStart = false;
            state.inText = true;
        }
        if (c == u'<' && state.inText) {
            state.inEnd = true;
            state.inText = false;
        }
        if (c == u'>' && state.inEnd)
            state.inEnd = false;
        if (inStart && !angle)
            start += c;
        if (state.inText && !angle) {
            const qsizetype p = line.indexOf(u'<', i);
            if (p < 0) {
                value += line.mid(i);
                break;
            }
            value += line.mid(i, p - i);
            i = p - 1; // go on with the "<"
            continue;
        }
        if (state.inEnd && !angle && c != u'/')
            end += c;
    }

    MarkupRow row;
    if (const qsizetype space = start.indexOf(u' '); space >= 0) {
        row.name = trimAndDropTabs(QStringView(start).left(space + 1));
        row.attributes = trimAndDropTabs(QStringView(start).mid(space));
    } else {
        row.name = trimAndDropTabs(start);
    }
    row.value = trimAndDropTabs(value);
    row.value = replaceAllIgnoringCase(row.value, u"[:br:]", u"\r\n");
    row.closing = trimAndDropTabs(end);
    return row;
}

} // namespace

qsizetype MarkupTable::lastRowIndex() const
{
    return MarkupBlockSize * (lineCount() / MarkupBlockSize + 1);
}

const MarkupRow &MarkupTable::row(qsizetype index) const
{
    static const MarkupRow empty;
    if (index < 0 || index >= lineCount())
        return empty;
    return m_rows[size_t(index)];
}

MarkupTable ParseMarkup(QStringView text)
{
    MarkupTable table;
    LineState state;
    forEachLine(text, [&](QStringView line) { table.append(parseLine(line, state)); });
    return table;
}

QString MarkupFilePath(const QString &folder, const QString &name)
{
    if (name.contains(QLatin1StringView(".rsx"), Qt::CaseInsensitive))
        return folder + name;
    return folder + name + QLatin1StringView(".xml");
}

MarkupTable ReadMarkupFile(const QString &folder, const QString &name)
{
    MarkupTable table;
    table.setFileOpened(ReadMarkupRows(folder, name, [&table](const MarkupRow &row) { table.append(row); }));
    if (!table.fileOpened())
        return {};
    return table;
}

bool ReadMarkupRows(const QString &folder, const QString &name, const std::function<void(const MarkupRow &)> &f,
                    QString *error, LineReading reading)
{
    LineState state;
    return forEachFileLine(
            MarkupFilePath(folder, name), [&](QStringView line) { f(parseLine(line, state)); }, error, reading);
}

QString GetAttribute(const QString &attributeName, const QString &attributeText)
{
    QString result;
    for (const QStringView piece : QStringView(attributeText).split(u' ')) {
        const qsizetype eq = piece.indexOf(u'=');
        if (eq < 0)
            continue; // a piece without "=" names nothing
        if (piece.left(eq) == attributeName) {
            result = piece.mid(eq + 1).toString();
            result.remove(u'"');
        }
    }
    return result;
}

} // namespace Feedsmith
