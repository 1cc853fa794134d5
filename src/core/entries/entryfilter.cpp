// Finding entries.
#include "core/entries/entryfilter.h"

#include "core/text/htmlentities.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <thread>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// Every UTF-16 unit folded: its lower case, then the first character of its canonical
// decomposition (the letter without its accent). Made once.
const std::array<char16_t, 0x10000> &foldTable()
{
    // Never freed: a folding thread may still read it while the program ends.
    static const auto *table = [] {
        auto *t = new std::array<char16_t, 0x10000>;
        for (char32_t c = 0; c < 0x10000; ++c) {
            char16_t folded = char16_t(QChar::toLower(c));
            if (QChar::decompositionTag(folded) == QChar::Canonical) {
                const QString parts = QChar::decomposition(folded);
                if (!parts.isEmpty() && !parts.at(0).isSurrogate())
                    folded = parts.at(0).unicode();
            }
            (*t)[c] = folded;
        }
        return t;
    }();
    return *table;
}

// Appends the folded form of one UTF-16 unit, in UTF-8 (a surrogate half taken as it stands:
// the needle and the texts are folded alike, so that they still match).
inline char *putFolded(char *o, char16_t unit, const std::array<char16_t, 0x10000> &table)
{
    const char16_t c = table[unit];
    if (c < 0x80) {
        *o++ = char(c);
    } else if (c < 0x800) {
        *o++ = char(0xC0 | (c >> 6));
        *o++ = char(0x80 | (c & 0x3F));
    } else {
        *o++ = char(0xE0 | (c >> 12));
        *o++ = char(0x80 | ((c >> 6) & 0x3F));
        *o++ = char(0x80 | (c & 0x3F));
    }
    return o;
}

// Room for the folded form of n units behind out's end: three bytes at most each.
char *extend(QByteArray &out, qsizetype n)
{
    const qsizetype at = out.size();
    out.resize(at + 3 * n);
    return out.data() + at;
}

void finish(QByteArray &out, const char *end)
{
    out.truncate(end - out.constData());
}

void appendFolded(QByteArray &out, QStringView text)
{
    const auto &table = foldTable();
    char *o = extend(out, text.size());
    for (const QChar c : text)
        o = putFolded(o, c.unicode(), table);
    finish(out, o);
}

// A character reference or one of the common named ones at text[i] == '&': the character and
// the reference's length, or length 0.
std::pair<char32_t, qsizetype> referenceAt(QStringView text, qsizetype i)
{
    // Looked for close by only: a body full of "&" stays one pass.
    const qsizetype semicolon = text.sliced(i, std::min<qsizetype>(12, text.size() - i)).indexOf(u';');
    if (semicolon < 0)
        return {0, 0};
    const qsizetype end = i + semicolon;
    const QStringView name = text.sliced(i + 1, end - i - 1);
    bool ok = false;
    uint code = 0;
    if (name.startsWith(u"#x") || name.startsWith(u"#X"))
        code = name.sliced(2).toUInt(&ok, 16);
    else if (name.startsWith(u'#'))
        code = name.sliced(1).toUInt(&ok, 10);
    if (ok && code > 0 && code <= 0x10FFFF)
        return {char32_t(code), end - i + 1};
    if (const QString named = HtmlNamedCharacter(name); !named.isEmpty())
        return {named.at(0).unicode(), end - i + 1};
    return {0, 0};
}

// The folded text of an HTML body, appended: tags left out (each as a blank, so that words do
// not join), the references read.
void appendFoldedBody(QByteArray &out, QStringView html)
{
    const auto &table = foldTable();
    char *o = extend(out, html.size() + 1);
    const qsizetype n = html.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = html[i].unicode();
        if (c == u'<') {
            const qsizetype close = html.indexOf(u'>', i + 1);
            if (close < 0)
                break;
            *o++ = ' ';
            i = close;
        } else if (c == u'&') {
            const auto [code, length] = referenceAt(html, i);
            if (length == 0) {
                *o++ = '&';
                continue;
            }
            // A reference is never longer than what it stands for takes folded.
            if (code < 0x10000) {
                o = putFolded(o, char16_t(code), table);
            } else {
                o = putFolded(o, QChar::highSurrogate(code), table);
                o = putFolded(o, QChar::lowSurrogate(code), table);
            }
            i += length - 1;
        } else {
            o = putFolded(o, c, table);
        }
    }
    finish(out, o);
}

} // namespace

QByteArray FoldedForSearch(QStringView text)
{
    QByteArray out;
    appendFolded(out, text);
    return out;
}

QByteArray SearchTextOf(const RSSentry &entry)
{
    // Made in a buffer kept per thread, which has room for the longest outcome, and copied out
    // at its size: the texts of a large project are held at what they take.
    thread_local QByteArray scratch;
    scratch.clear();
    appendFolded(scratch, entry.title);
    scratch += '\n';
    appendFolded(scratch, entry.link);
    scratch += '\n';
    appendFoldedBody(scratch, entry.content.text());
    return QByteArray(scratch.constData(), scratch.size());
}

EntryFilterModel::EntryFilterModel(EntryTreeModel &source, const FeedDocument &document, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_source(source)
    , m_document(document)
{
    setSourceModel(&source);
    setRecursiveFilteringEnabled(false);
    setDynamicSortFilter(false);
    // Entries added, removed or moved renumber the folded texts: they are made anew, and what
    // shows is worked out again.
    const auto restructured = [this] {
        ++m_structure;
        m_foldedValid = false;
        if (isFiltering())
            refilter();
    };
    connect(&source, &QAbstractItemModel::rowsInserted, this, restructured);
    connect(&source, &QAbstractItemModel::rowsRemoved, this, restructured);
    connect(&source, &QAbstractItemModel::rowsMoved, this, restructured);
    connect(&source, &QAbstractItemModel::modelReset, this, restructured);
}

void EntryFilterModel::setFilterText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    m_needle = FoldedForSearch(text.trimmed());
    refilter();
}

std::vector<QByteArray> EntryFilterModel::foldAll(const EntryCollection &entries)
{
    const int count = entries.count();
    std::vector<QByteArray> folded(static_cast<size_t>(count));
    // On every core: the bodies of a large project are many megabytes.
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (int t = 0; t < cores; ++t) {
        threads.emplace_back([&folded, &entries, t, cores, count] {
            for (int i = t; i < count; i += cores)
                folded[size_t(i)] = SearchTextOf(entries.at(i + 1));
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    return folded;
}

bool EntryFilterModel::foldedAreCurrent() const
{
    return m_foldedValid && m_foldedRevision == m_document.revision && m_foldedStructure == m_structure;
}

void EntryFilterModel::prepare()
{
    const bool preparingCurrent =
            m_preparing.valid() && m_preparingRevision == m_document.revision && m_preparingStructure == m_structure;
    if (foldedAreCurrent() || preparingCurrent || !m_source.hasRoot())
        return;
    std::shared_ptr<const FeedDocument> snapshot = DocumentSnapshot(m_document);
    m_preparingRevision = m_document.revision;
    m_preparingStructure = m_structure;
    // A thread of its own that nothing waits for: a preparation overtaken by edits is dropped and
    // ends by itself, holding only its snapshot.
    std::packaged_task<std::vector<QByteArray>()> task([snapshot] { return foldAll(snapshot->entries); });
    m_preparing = task.get_future();
    std::thread(std::move(task)).detach();
}

void EntryFilterModel::refilter()
{
    const int count = m_source.childCount(EntryTreeModel::RootKey) > 0 ? m_document.entryCount() : 0;
    if (!m_needle.isEmpty()) {
        if (!foldedAreCurrent() && m_preparing.valid()) {
            std::vector<QByteArray> folded = m_preparing.get();
            if (m_preparingRevision == m_document.revision && m_preparingStructure == m_structure) {
                m_folded = std::move(folded);
                m_foldedRevision = m_preparingRevision;
                m_foldedStructure = m_preparingStructure;
                m_foldedValid = true;
            }
        }
        if (!foldedAreCurrent() || int(m_folded.size()) != count) {
            m_folded = foldAll(m_document.entries);
            m_foldedRevision = m_document.revision;
            m_foldedStructure = m_structure;
            m_foldedValid = true;
        }
        m_matches.assign(size_t(count), 0);
        for (int i = 0; i < count; ++i)
            m_matches[size_t(i)] = m_folded[size_t(i)].contains(QByteArrayView(m_needle)) ? 1 : 0;
    }
    invalidateFilter();
}

bool EntryFilterModel::shows(int number) const
{
    if (!isFiltering())
        return true;
    // An entry made after the filtering shows until the filter is changed.
    return number < 1 || number > int(m_matches.size()) || m_matches[size_t(number - 1)];
}

bool EntryFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (!sourceParent.isValid())
        return true; // the root
    return shows(m_source.numberOf(m_source.index(sourceRow, 0, sourceParent)));
}

QString EntryFilterModel::keyOf(const QModelIndex &index) const
{
    return m_source.keyOf(mapToSource(index));
}

QModelIndex EntryFilterModel::indexOfKey(const QString &key) const
{
    return mapFromSource(m_source.indexOfKey(key));
}

} // namespace Feedsmith
