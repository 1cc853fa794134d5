// Whole text files and the HTML wrappers.
#include "text/textfiles.h"

#include "text/textsearch.h"
#include "text/windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace Feedsmith {

void forEachLine(QStringView text, const std::function<void(QStringView)> &f)
{
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (start < n) {
        const qsizetype cr = text.indexOf(u'\r', start);
        if (cr < 0) {
            f(text.mid(start));
            return;
        }
        f(text.mid(start, cr - start));
        start = cr + 1;
        if (start < n && text[start] == u'\n')
            ++start;
    }
}

bool forEachFileLine(const QString &path, const std::function<void(QStringView)> &f, QString *error)
{
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        if (error)
            *error = QStringLiteral("is a folder");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    constexpr qint64 PieceSize = 1 << 20;
    QByteArray piece;
    QString buffer;      // the line being read, and what follows it
    qsizetype scanned = 0; // no CR in buffer before this
    bool skipLineFeed = false; // the piece before ended in a CR
    for (;;) {
        piece.resize(PieceSize);
        const qint64 got = file.read(piece.data(), PieceSize);
        if (got < 0) {
            if (error)
                *error = file.errorString();
            return false;
        }
        if (got == 0)
            break;
        piece.resize(got);
        QByteArrayView bytes(piece);
        if (skipLineFeed && bytes.front() == '\n')
            bytes = bytes.sliced(1);
        skipLineFeed = false;
        buffer += Windows1252::decode(bytes);

        qsizetype start = 0;
        for (;;) {
            const qsizetype cr = buffer.indexOf(u'\r', scanned);
            if (cr < 0) {
                scanned = buffer.size();
                break;
            }
            f(QStringView(buffer).mid(start, cr - start));
            start = cr + 1;
            if (start == buffer.size())
                skipLineFeed = true; // a line feed may open the next piece
            else if (buffer[start] == u'\n')
                ++start;
            scanned = start;
        }
        if (start > 0) {
            buffer.remove(0, start);
            scanned -= start;
        }
    }
    if (!buffer.isEmpty())
        f(buffer);
    return true;
}

QString ReadTextFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        const QString folder = info.path();
        if (!QFileInfo(folder).exists()) {
            if (!path.contains(u'/'))
                return {};
            // The folder is made (one level only); being new, it holds no such file.
            QDir().mkdir(folder);
        }
        return QStringLiteral("-1");
    }
    QString joined;
    if (!forEachFileLine(path, [&joined](QStringView line) { joined += line; }))
        return {};
    return joined;
}

QString programFile(const QString &programFolder, const QString &name)
{
    return programFolder + u'/' + name;
}

QString StyleBlockFor(const QString &styleSheetText)
{
    return QLatin1StringView("<style type=text/css><!--") + styleSheetText
        + QLatin1StringView("--></style>");
}

QString BuildStyleBlock(const QString &programFolder)
{
    return StyleBlockFor(ReadTextFile(programFile(programFolder, QStringLiteral("styles.css"))));
}

StyleBlockRemover::StyleBlockRemover(const QString &styleBlock, const QString &treatedStyleBlock)
    : m_block(styleBlock)
    , m_treated(treatedStyleBlock.compare(styleBlock, Qt::CaseInsensitive) != 0 ? treatedStyleBlock : QString())
{
}

QString StyleBlockRemover::operator()(const QString &text) const
{
    return replaceAllIgnoringCase(replaceAllIgnoringCase(text, m_block, {}), m_treated, {});
}

QString BuildHelpPage(const QString &programFolder, const QString &helpText)
{
    return QLatin1StringView("<html><head><title></title>") + BuildStyleBlock(programFolder)
        + QLatin1StringView("</head><body>") + helpText + QLatin1StringView("</body>");
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    auto fail = [error, &path](const QString &reason) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("no file name given"));
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("is a folder"));
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk, a file-size limit) shows here; a buffered
    // write would only fail while committing, and the commit would rename a truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting(); // the temporary file goes with the QSaveFile
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace Feedsmith
