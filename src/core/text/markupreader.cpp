// The line-oriented markup reader.
#include "core/text/markupreader.h"

#include "core/text/codepagetext.h"
#include "core/text/textfiles.h"
#include "core/text/textsearch.h"

#include <QList>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include <type_traits>

namespace Feedsmith {

namespace {

// A markup character as an element of the text or of the bytes.
template<typename View>
constexpr auto markupChar(char c)
{
    if constexpr (std::is_same_v<View, QStringView>)
        return QChar(QLatin1Char(c));
    else
        return c;
}

template<typename View>
using TextOf = std::conditional_t<std::is_same_v<View, QStringView>, QString, QByteArray>;

inline QString toText(QStringView view)
{
    return view.toString();
}

inline QByteArray toText(QByteArrayView view)
{
    return view.toByteArray();
}

// Leading and trailing blanks go first, then every tab wherever it stands: a blank that sits
// behind a leading tab therefore survives.
template<typename View>
TextOf<View> trimAndDropTabs(View s)
{
    using Text = TextOf<View>;
    const auto blank = markupChar<View>(' ');
    const auto tab = markupChar<View>('\t');
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin] == blank)
        ++begin;
    while (end > begin && s[end - 1] == blank)
        --end;
    const View kept = s.sliced(begin, end - begin);
    if (!kept.contains(tab))
        return toText(kept);
    Text out;
    out.reserve(kept.size());
    for (const auto c : kept) {
        if (c != tab)
            out += c;
    }
    return out;
}

// A tag name: trimAndDropTabs, with the names of a project's entries held once, since a
// large project names them on every line.
QString nameText(QStringView s)
{
    return trimAndDropTabs(s);
}

QByteArray nameText(QByteArrayView s)
{
    static const std::array<QByteArray, 5> names = {
            QByteArray::fromRawData("entry", 5), QByteArray::fromRawData("title", 5),
            QByteArray::fromRawData("link", 4), QByteArray::fromRawData("content", 7),
            QByteArray::fromRawData("date", 4)};
    QByteArrayView kept = s;
    while (!kept.isEmpty() && kept.front() == ' ')
        kept = kept.sliced(1);
    while (!kept.isEmpty() && kept.back() == ' ')
        kept.chop(1);
    // The tabs that indent the lines are dropped from the names as they are compared.
    const auto sameWithoutTabs = [kept](QByteArrayView name) {
        qsizetype k = 0;
        for (const char c : kept) {
            if (c == '\t')
                continue;
            if (k == name.size() || name[k] != c)
                return false;
            ++k;
        }
        return k == name.size();
    };
    for (const QByteArray &known : names) {
        if (sameWithoutTabs(known))
            return known;
    }
    return trimAndDropTabs(s);
}

// "[:br:]" (any case) as CR LF.
QString withLineBreaks(const QString &value)
{
    return replaceAllIgnoringCase(value, u"[:br:]", u"\r\n");
}

// Whether the bytes hold "[:br:]" (any case). Stored bodies are full of "[" and never hold a line
// break: the rarer ":" is looked for first, with the library's byte search.
bool hasLineBreakEscape(QByteArrayView value)
{
    const char *data = value.data();
    const qsizetype size = value.size();
    for (qsizetype from = 1; from + 5 <= size;) {
        const void *hit = std::memchr(data + from, ':', size_t(size - from));
        if (!hit)
            return false;
        const qsizetype at = static_cast<const char *>(hit) - data;
        if (data[at - 1] == '['
            && CodePageText::indexOfIgnoringCase(QByteArrayView(data + at - 1, std::min<qsizetype>(6, size - at + 1)),
                                                 "[:br:]")
                    == 0)
            return true;
        from = at + 1;
    }
    return false;
}

QByteArray withLineBreaks(const QByteArray &value)
{
    return hasLineBreakEscape(value) ? CodePageText::replaceAllIgnoringCase(value, "[:br:]", "\r\n") : value;
}

// The value of a row: trimAndDropTabs, then withLineBreaks.
QString valueText(QStringView s, bool)
{
    return withLineBreaks(trimAndDropTabs(s));
}

// The same for bytes. With `inPlace`, bytes that need neither step (nearly all) are taken as they
// stand in the line, copying nothing: they are valid as long as the piece of the file that holds
// the line.
QByteArray valueText(QByteArrayView s, bool inPlace)
{
    if (inPlace) {
        while (!s.isEmpty() && s.front() == ' ')
            s = s.sliced(1);
        while (!s.isEmpty() && s.back() == ' ')
            s.chop(1);
        if (!s.contains('\t') && !hasLineBreakEscape(s))
            return QByteArray::fromRawData(s.data(), s.size());
    }
    return withLineBreaks(trimAndDropTabs(s));
}

struct LineState
{
    bool inText = false; // T: in the text after a start tag
    bool inEnd = false; // E: in an end tag
};

// The markup characters are ASCII, bytes of their own in Windows-1252 and UTF-8 alike: a line
// is cut the same as text and as bytes.
// With `inPlace`, values of bytes may be views of the line (see valueText).
template<typename View>
auto parseLine(View line, LineState &state, bool inPlace = false)
{
    using Text = TextOf<View>;
    using Char = std::remove_cvref_t<decltype(line[0])>;
    const auto lt = markupChar<View>('<');
    const auto gt = markupChar<View>('>');
    const auto slash = markupChar<View>('/');
    bool inStart = true;
    // The tags are short and collected in place; the value is nearly always one piece of the
    // line, taken as it stands, and only joined when the line has more than one.
    QVarLengthArray<Char, 64> start;
    QVarLengthArray<Char, 64> end;
    View valuePiece;
    Text joinedValue;
    int valuePieces = 0;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = line[i];
        const bool angle = c == lt || c == gt;
        if (c == lt && inStart)
            state.inText = false;
        if (inStart && c == slash) {
            inStart = false;
            state.inEnd = true;
        }
        if (c == gt && inStart) {
            inStart = false;
            state.inText = true;
        }
        if (c == lt && state.inText) {
            state.inEnd = true;
            state.inText = false;
        }
        if (c == gt && state.inEnd)
            state.inEnd = false;
        if (inStart && !angle)
            start.append(c);
        if (state.inText && !angle) {
            const qsizetype p = line.indexOf(lt, i);
            const View piece = p < 0 ? line.sliced(i) : line.sliced(i, p - i);
            if (valuePieces == 1)
                joinedValue = toText(valuePiece);
            if (valuePieces >= 1)
                joinedValue += piece;
            else
                valuePiece = piece;
            ++valuePieces;
            if (p < 0)
                break;
            i = p - 1; // go on with the "<"
            continue;
        }
        if (state.inEnd && !angle && c != slash)
            end.append(c);
    }

    BasicMarkupRow<Text> row;
    const View startText(start.constData(), start.size());
    if (const qsizetype space = startText.indexOf(markupChar<View>(' ')); space >= 0) {
        row.name = nameText(startText.first(space + 1));
        row.attributes = trimAndDropTabs(startText.sliced(space));
    } else {
        row.name = nameText(startText);
    }
    row.value = valuePieces > 1 ? valueText(View(joinedValue), false) : valueText(valuePiece, inPlace);
    row.closing = nameText(View(end.constData(), end.size()));
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
    return ReadMarkupRowBytes(
            folder, name,
            [&f](const MarkupRowBytes &bytes, bool utf8) {
                MarkupRow row;
                row.name = decodeLine(bytes.name, utf8);
                row.value = decodeLine(bytes.value, utf8);
                row.closing = decodeLine(bytes.closing, utf8);
                row.attributes = decodeLine(bytes.attributes, utf8);
                f(row);
            },
            error, reading);
}

namespace {

// Rows handed from the thread that reads and cuts the lines to the one that takes them, with
// the pieces of the file their values lie in.
struct RowBatch
{
    std::vector<MarkupRowBytes> rows;
    std::vector<QByteArray> pieces;
};

// The batches, of which at most MaxBatches wait at a time, so that a large file is not held twice.
class RowQueue
{
public:
    static constexpr size_t BatchSize = 512;
    static constexpr size_t MaxBatches = 8;

    void push(RowBatch &&batch)
    {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [this] { return m_batches.size() < MaxBatches || m_abandoned; });
        if (m_abandoned)
            return;
        m_batches.push_back(std::move(batch));
        m_ready.notify_one();
    }
    void finish()
    {
        const std::lock_guard lock(m_mutex);
        m_finished = true;
        m_ready.notify_one();
    }
    // The next batch; false when the reader has finished and every batch was taken.
    bool pop(RowBatch &batch)
    {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_batches.empty() || m_finished; });
        if (m_batches.empty())
            return false;
        batch = std::move(m_batches.front());
        m_batches.pop_front();
        m_room.notify_one();
        return true;
    }
    // The taker stops early: the reader is let go.
    void abandon()
    {
        const std::lock_guard lock(m_mutex);
        m_abandoned = true;
        m_batches.clear();
        m_room.notify_one();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_room;
    std::deque<RowBatch> m_batches;
    bool m_finished = false;
    bool m_abandoned = false;
};

} // namespace

bool ReadMarkupRowBytes(const QString &folder, const QString &name,
                        const std::function<void(const MarkupRowBytes &, bool utf8)> &f, QString *error,
                        LineReading reading)
{
    return ReadMarkupRowBytesAt(MarkupFilePath(folder, name), f, error, reading);
}

bool ReadMarkupRowBytesAt(const QString &path, const std::function<void(const MarkupRowBytes &, bool utf8)> &f,
                          QString *error, LineReading reading)
{
    // One thread reads the file and cuts its lines into rows while this one takes the rows.
    RowQueue queue;
    std::atomic<bool> utf8 = false;
    bool read = false;
    QString readError;
    std::thread reader([&] {
        LineState state;
        bool fileUtf8 = false;
        RowBatch batch;
        batch.rows.reserve(RowQueue::BatchSize);
        read = forEachFileLineBytes(
                path,
                [&](QByteArrayView line, const QByteArray &piece) {
                    utf8 = fileUtf8; // decided before the first line
                    // The values are views of the piece, which the batch holds.
                    if (batch.pieces.empty() || !batch.pieces.back().isSharedWith(piece))
                        batch.pieces.push_back(piece);
                    batch.rows.push_back(parseLine(line, state, true));
                    if (batch.rows.size() == RowQueue::BatchSize) {
                        queue.push(std::move(batch));
                        batch = {};
                        batch.rows.reserve(RowQueue::BatchSize);
                    }
                },
                &fileUtf8, &readError, reading);
        if (!batch.rows.empty())
            queue.push(std::move(batch));
        queue.finish();
    });
    struct Join
    {
        std::thread &thread;
        RowQueue &queue;
        ~Join()
        {
            if (thread.joinable()) {
                queue.abandon();
                thread.join();
            }
        }
    } join{reader, queue};
    RowBatch batch;
    while (queue.pop(batch)) {
        for (const MarkupRowBytes &row : batch.rows)
            f(row, utf8);
    }
    reader.join();
    if (!read && error)
        *error = readError;
    return read;
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
