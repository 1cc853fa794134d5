// Whole text files and the HTML wrappers.
#include "core/text/textfiles.h"

#include "core/text/textsearch.h"
#include "core/text/windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

QString fileTypeReason(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return QStringLiteral("is a folder");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("is a device, not a regular file");
    if (S_ISFIFO(mode))
        return QStringLiteral("is a pipe (FIFO), not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("is a socket, not a regular file");
    return QStringLiteral("is not a regular file");
}

} // namespace

QString fileErrorText(int errnoValue, const QString &fallback)
{
    switch (errnoValue) {
    case EFBIG: return QStringLiteral("the file would exceed the file-size limit");
    case ENOSPC: return QStringLiteral("the disk is full");
    case EDQUOT: return QStringLiteral("the disk quota is used up");
    case EROFS: return QStringLiteral("the file system is read-only");
    case EACCES:
    case EPERM: return QStringLiteral("permission denied");
    case ENOENT: return QStringLiteral("no such file or folder");
    case ENOTDIR: return QStringLiteral("a part of the path is not a folder");
    case EISDIR: return QStringLiteral("is a folder");
    case ENAMETOOLONG: return QStringLiteral("the name is too long");
    case ELOOP: return QStringLiteral("too many symbolic links");
    case EIO: return QStringLiteral("input/output error (the disk or its connection failed)");
    case EMFILE:
    case ENFILE: return QStringLiteral("too many open files");
    default: break;
    }
    if (!fallback.isEmpty() && fallback != QLatin1StringView("Unknown error"))
        return fallback;
    if (errnoValue != 0)
        return QString::fromLocal8Bit(std::strerror(errnoValue));
    return fallback.isEmpty() ? QStringLiteral("the system gave no reason") : fallback;
}

QString notRegularFileReason(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return fileTypeReason(st.st_mode);
}

QString notPlainFileReason(const QString &path)
{
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode))
        return QStringLiteral("is a symbolic link, which is not followed here");
    return notRegularFileReason(path);
}

bool isSameFile(const QString &a, const QString &b)
{
    struct stat first
    {
    };
    struct stat second
    {
    };
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
            && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
            && first.st_ino == second.st_ino;
}

bool openRegularFile(QFile &file, const QString &path, QString *reason, Links links)
{
    auto refuse = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (path.isEmpty())
        return refuse(QStringLiteral("no file name given"));
    const QByteArray native = QFile::encodeName(path);
    // A look first, so that a device is never opened at all; then the type of what was opened,
    // so that nothing swapped in between is read. O_NONBLOCK keeps a pipe from waiting for a writer.
    const QString looked = notRegularFileReason(path);
    if (!looked.isEmpty())
        return refuse(looked);
    const int noFollow = links == Links::Refuse ? O_NOFOLLOW : 0;
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noFollow);
    if (fd < 0) {
        const int e = errno;
        if (e == ELOOP && noFollow)
            return refuse(notPlainFileReason(path));
        return refuse(e == ENOENT ? QStringLiteral("no such file") : fileErrorText(e, {}));
    }
    struct stat st
    {
    };
    QString why = ::fstat(fd, &st) != 0 ? fileErrorText(errno, {}) : fileTypeReason(st.st_mode);
    if (why.isEmpty() && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        why = fileErrorText(errno, {});
    if (why.isEmpty() && !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        why = file.errorString();
    if (!why.isEmpty()) {
        if (!file.isOpen())
            ::close(fd);
        return refuse(why);
    }
    return true;
}

namespace {

// Checks UTF-8 piece by piece: pending counts the continuation bytes a sequence still owes.
// Only text that no other encoding explains better passes: overlong forms, surrogates and
// numbers beyond Unicode are invalid, and so are the C1 control characters, code points that
// Unicode has not assigned, and noncharacters, which text in UTF-8 does not hold but the bytes
// of a Windows-1252 file may form (the "×½" of "2×½" reads as an unassigned Hebrew point).
struct Utf8Check
{
    int pending = 0;
    int length = 0; // of the sequence being read
    char32_t codePoint = 0;
    bool valid = true;
    bool multiByte = false;

    static bool plausible(char32_t cp, int length)
    {
        static constexpr char32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < Smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        if (cp < 0xA0 || (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE)
            return false;
        return QChar::category(cp) != QChar::Other_NotAssigned;
    }

    void take(QByteArrayView bytes)
    {
        for (const char ch : bytes) {
            const auto b = static_cast<unsigned char>(ch);
            if (pending > 0) {
                if ((b & 0xC0) != 0x80) {
                    valid = false;
                    return;
                }
                codePoint = (codePoint << 6) | (b & 0x3F);
                if (--pending == 0 && !plausible(codePoint, length)) {
                    valid = false;
                    return;
                }
            } else if (b >= 0x80) {
                multiByte = true;
                if (b >= 0xC2 && b <= 0xDF) {
                    pending = 1;
                    codePoint = b & 0x1F;
                } else if (b >= 0xE0 && b <= 0xEF) {
                    pending = 2;
                    codePoint = b & 0x0F;
                } else if (b >= 0xF0 && b <= 0xF4) {
                    pending = 3;
                    codePoint = b & 0x07;
                } else {
                    valid = false;
                    return;
                }
                length = pending + 1;
            }
        }
    }
    bool isUtf8() const { return valid && pending == 0 && multiByte; }
};

// The encoding an XML declaration at the start of the bytes names, in lower case; empty when
// there is none.
QByteArray declaredEncoding(QByteArrayView head)
{
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.sliced(3);
    if (!head.startsWith("<?xml"))
        return {};
    const qsizetype end = head.indexOf("?>");
    const QByteArray declaration = head.first(end < 0 ? std::min<qsizetype>(head.size(), 256) : end).toByteArray();
    const qsizetype at = declaration.indexOf("encoding");
    if (at < 0)
        return {};
    qsizetype i = at + 8;
    while (i < declaration.size() && (declaration[i] == ' ' || declaration[i] == '='))
        ++i;
    if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\''))
        return {};
    const char quote = declaration[i];
    const qsizetype close = declaration.indexOf(quote, i + 1);
    return close < 0 ? QByteArray() : declaration.mid(i + 1, close - i - 1).toLower();
}

} // namespace

bool isMultiByteUtf8(QByteArrayView bytes)
{
    Utf8Check check;
    check.take(bytes);
    return check.isUtf8();
}

namespace {

// The first line break at or after from: a CR, or an LF when it ends lines too; -1 for none.
qsizetype lineBreakIn(QByteArrayView bytes, qsizetype from, bool lineFeedEndsLine)
{
    const char *data = bytes.data();
    const auto n = size_t(bytes.size() - from);
    const void *cr = std::memchr(data + from, '\r', n);
    if (lineFeedEndsLine) {
        const size_t crAt = cr ? size_t(static_cast<const char *>(cr) - (data + from)) : n;
        if (const void *lf = std::memchr(data + from, '\n', crAt))
            return static_cast<const char *>(lf) - data;
    }
    return cr ? static_cast<const char *>(cr) - data : -1;
}

constexpr qint64 PieceSize = FileReadPieceBytes;

// A limit in words: "256 MB", or bytes for one under a megabyte.
QString sizeText(qint64 bytes)
{
    constexpr qint64 MB = 1024 * 1024;
    if (bytes >= MB && bytes % MB == 0)
        return QString::number(bytes / MB) + QStringLiteral(" MB");
    return QString::number(bytes) + QStringLiteral(" bytes");
}

QString lineTooLongText(qint64 line, qint64 limit)
{
    return QStringLiteral("line %1 is longer than %2; the file is not read").arg(line).arg(sizeText(limit));
}

QString tooLargeText(qint64 limit)
{
    return QStringLiteral("is larger than %1; the file is not read").arg(sizeText(limit));
}

// Whether the opened file keeps the size limit, by the size the system gives for it.
bool keepsSizeLimit(const QFile &file, qint64 limit, QString *error)
{
    struct stat st
    {
    };
    if (limit <= 0 || ::fstat(file.handle(), &st) != 0 || st.st_size <= limit)
        return true;
    if (error)
        *error = tooLargeText(limit);
    return false;
}

// The lengths of the lines, measured piece by piece as forEachFileLineBytes cuts them.
struct LineLengthCheck
{
    qint64 limit = 0;
    bool lineFeedEndsLine = false;
    qint64 line = 1; // the number of the line being measured
    qint64 length = 0;
    bool afterCr = false; // a line feed that follows belongs to the CR

    // False as soon as a line is longer than the limit.
    bool take(QByteArrayView bytes)
    {
        qsizetype from = 0;
        for (;;) {
            if (afterCr && from < bytes.size()) {
                if (bytes[from] == '\n')
                    ++from;
                afterCr = false;
            }
            const qsizetype lineBreak = from < bytes.size() ? lineBreakIn(bytes, from, lineFeedEndsLine) : -1;
            length += (lineBreak < 0 ? bytes.size() : lineBreak) - from;
            if (length > limit)
                return false;
            if (lineBreak < 0)
                return true;
            afterCr = bytes[lineBreak] == '\r';
            ++line;
            length = 0;
            from = lineBreak + 1;
        }
    }
};

// A first pass over the file, for what must be known before a line is handed on: whether it
// reads as UTF-8 with at least one multi-byte sequence (never when its declaration names another
// encoding), and, with a line limit, whether every line keeps it. The file is left at its start.
bool firstPass(QFile &file, const LineReading &reading, QString *error, bool *utf8)
{
    Utf8Check check;
    check.valid = reading.utf8WhenValid;
    LineLengthCheck lines{.limit = reading.maxLineBytes, .lineFeedEndsLine = reading.lineFeedEndsLine};
    QByteArray piece(PieceSize, Qt::Uninitialized);
    bool first = true;
    for (;;) {
        const qint64 got = file.read(piece.data(), PieceSize);
        if (got < 0) {
            if (error)
                *error = fileErrorText(errno, file.errorString());
            return false;
        }
        const QByteArrayView bytes(piece.constData(), got);
        if (first) {
            const QByteArray encoding = declaredEncoding(bytes);
            if (!encoding.isEmpty() && encoding != "utf-8" && encoding != "utf8")
                check.valid = false;
            first = false;
        }
        if (got == 0)
            break;
        if (check.valid)
            check.take(bytes);
        if (reading.maxLineBytes > 0) {
            if (!lines.take(bytes)) {
                if (error)
                    *error = lineTooLongText(lines.line, reading.maxLineBytes);
                return false;
            }
        } else if (!check.valid) {
            break;
        }
    }
    *utf8 = check.isUtf8();
    if (!file.seek(0)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString decodeLine(QByteArrayView bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes) : Windows1252::decode(bytes);
}

bool forEachFileLineBytes(const QString &path, const std::function<void(QByteArrayView, const QByteArray &)> &f,
                          bool *utf8, QString *error, LineReading reading)
{
    QFile file;
    if (!openRegularFile(file, path, error, reading.links))
        return false;
    bool isUtf8 = false;
    if (!keepsSizeLimit(file, reading.maxFileBytes, error))
        return false;
    // Without linesCheckedFirst the line limit is kept as the lines are cut below, and the first
    // pass reads only as far as it takes to tell the encoding: for a file of the code page, up to
    // its first letter beyond ASCII.
    LineReading first = reading;
    if (!reading.linesCheckedFirst)
        first.maxLineBytes = 0;
    if ((first.utf8WhenValid || first.maxLineBytes > 0) && !firstPass(file, first, error, &isUtf8))
        return false;
    if (utf8)
        *utf8 = isUtf8;
    QByteArray buffer; // the line being read, and what follows it
    bool skipLineFeed = false; // the piece before ended in a CR
    qint64 total = 0;
    qint64 line = 1;
    qsizetype start = 0; // where the rest of the last piece starts
    for (;;) {
        // The rest of the last piece stays in front of the next one: in a buffer of its own when
        // lines of the buffer were handed on, which may still be held; else (a long line) in the
        // buffer itself, which then grows as a whole.
        const qsizetype kept = buffer.size() - start;
        if (start == 0) {
            buffer.resize(kept + PieceSize);
        } else {
            QByteArray next(kept + PieceSize, Qt::Uninitialized);
            std::memcpy(next.data(), buffer.constData() + start, size_t(kept));
            buffer = std::move(next);
            start = 0;
        }
        const qint64 got = file.read(buffer.data() + kept, PieceSize);
        if (got < 0) {
            if (error)
                *error = fileErrorText(errno, file.errorString());
            return false;
        }
        buffer.resize(kept + got);
        if (got == 0)
            break;
        // The first pass found the file within the limits; one that grew since is refused too.
        total += got;
        if (reading.maxFileBytes > 0 && total > reading.maxFileBytes) {
            if (error)
                *error = tooLargeText(reading.maxFileBytes);
            return false;
        }
        if (skipLineFeed && buffer[kept] == '\n')
            buffer.remove(kept, 1);
        skipLineFeed = false;
        const QByteArrayView bytes(buffer);
        qsizetype from = kept; // the bytes kept hold no line break
        for (;;) {
            const qsizetype cr = lineBreakIn(bytes, from, reading.lineFeedEndsLine);
            if (cr < 0)
                break;
            if (reading.maxLineBytes > 0 && cr - start > reading.maxLineBytes) {
                if (error)
                    *error = lineTooLongText(line, reading.maxLineBytes);
                return false;
            }
            f(bytes.sliced(start, cr - start), buffer);
            ++line;
            start = cr + 1;
            if (bytes[cr] == '\r') {
                if (start == bytes.size())
                    skipLineFeed = true; // a line feed may open the next piece
                else if (bytes[start] == '\n')
                    ++start;
            }
            from = start;
        }
        if (reading.maxLineBytes > 0 && buffer.size() - start > reading.maxLineBytes) {
            if (error)
                *error = lineTooLongText(line, reading.maxLineBytes);
            return false;
        }
    }
    if (buffer.size() > start)
        f(QByteArrayView(buffer).sliced(start), buffer);
    return true;
}

QString lineLimitReason(const QString &path, LineReading reading)
{
    QFile file;
    if (!openRegularFile(file, path, nullptr, reading.links))
        return {};
    QString reason;
    bool utf8 = false;
    reading.utf8WhenValid = false;
    if (keepsSizeLimit(file, reading.maxFileBytes, &reason) && reading.maxLineBytes > 0)
        firstPass(file, reading, &reason, &utf8);
    return reason;
}

bool forEachFileLine(const QString &path, const std::function<void(QStringView)> &f, QString *error,
                     LineReading reading)
{
    bool utf8 = false;
    QString line; // one buffer for the lines of a code page file
    return forEachFileLineBytes(
            path,
            [&](QByteArrayView bytes, const QByteArray &) {
                if (utf8) {
                    f(QString::fromUtf8(bytes));
                    return;
                }
                line.resize(bytes.size());
                Windows1252::decodeInto(line.data(), bytes);
                f(line);
            },
            &utf8, error, reading);
}

QString ReadTextFile(const QString &path, Links links)
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
    LineReading reading;
    reading.links = links;
    if (!forEachFileLine(
                path, [&joined](QStringView line) { joined += line; }, nullptr, reading))
        return {};
    return joined;
}

QString programFile(const QString &programFolder, const QString &name)
{
    return programFolder + u'/' + name;
}

QString StyleBlockFor(const QString &styleSheetText)
{
    return QLatin1StringView("<style type=text/css><!--") + styleSheetText + QLatin1StringView("--></style>");
}

QString BuildStyleBlock(const QString &programFolder)
{
    // Read once: every file written and every entry shown carries the block, so it is read again
    // only when the file is another one (replaced, changed, gone or come) than the one read.
    struct Sheet
    {
        bool found = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        struct timespec modified = {};
        QString block;
        bool sameAs(const Sheet &other) const
        {
            return found == other.found && device == other.device && inode == other.inode && size == other.size
                    && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
        }
    };
    static std::mutex mutex;
    static QHash<QString, Sheet> read;
    const QString path = programFile(programFolder, QStringLiteral("styles.css"));
    Sheet now;
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) == 0)
        now = {true, status.st_dev, status.st_ino, status.st_size, status.st_mtim, {}};
    {
        const std::lock_guard lock(mutex);
        const auto known = read.constFind(path);
        if (known != read.constEnd() && known->sameAs(now))
            return known->block;
    }
    // A sheet larger than any style sheet is not read at all.
    const bool tooLarge = now.found && S_ISREG(status.st_mode) && status.st_size > MaxStyleSheetBytes;
    now.block = StyleBlockFor(tooLarge ? QString() : ReadTextFile(path, Links::Refuse));
    const std::lock_guard lock(mutex);
    read.insert(path, now);
    return now.block;
}

StyleBlockRemover::StyleBlockRemover(const QString &styleBlock, const QString &treatedStyleBlock)
    : m_block(styleBlock)
    , m_treated(treatedStyleBlock.compare(styleBlock, Qt::CaseInsensitive) != 0 ? treatedStyleBlock : QString())
{ }

QString withoutEditorStyleBlocks(const QString &text, QStringView open, QStringView close)
{
    qsizetype at = text.indexOf(open, 0, Qt::CaseInsensitive);
    if (at < 0)
        return text;
    QString out;
    qsizetype from = 0;
    while (at >= 0) {
        const qsizetype end = text.indexOf(close, at + open.size(), Qt::CaseInsensitive);
        if (end < 0)
            break;
        out += QStringView(text).sliced(from, at - from);
        from = end + close.size();
        at = text.indexOf(open, from, Qt::CaseInsensitive);
    }
    if (from == 0)
        return text;
    out += QStringView(text).sliced(from);
    return out;
}

QString withoutEditorStyleBlocks(const QString &text)
{
    return withoutEditorStyleBlocks(text, u"<style type=text/css><!--", u"--></style>");
}

QString withoutStoredEditorStyleBlocks(const QString &escaped)
{
    return withoutEditorStyleBlocks(escaped, u"[[style type=text/css]][[!--", u"--]][[/style]]");
}

QString StyleBlockRemover::operator()(const QString &text) const
{
    return withoutEditorStyleBlocks(replaceAllIgnoringCase(replaceAllIgnoringCase(text, m_block, {}), m_treated, {}));
}

QString BuildHelpPage(const QString &programFolder, const QString &helpText)
{
    return QLatin1StringView("<html><head><title></title>") + ContentPolicyMeta + BuildStyleBlock(programFolder)
            + QLatin1StringView("</head><body>") + helpText + QLatin1StringView("</body>");
}

namespace {

// The process's file mode mask, read without changing it: setting it to read it would briefly
// give other threads' new files the wrong mode.
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask & 0777);
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error, Durability durability)
{
    return writeFileAtomically(path, std::vector<QByteArray>{bytes}, error, durability);
}

bool writeFileAtomically(const QString &path, const std::vector<QByteArray> &pieces, QString *error,
                         Durability durability)
{
    return writeFileAtomically(
            path,
            [&pieces](const PieceSink &sink) {
                return std::all_of(pieces.begin(), pieces.end(),
                                   [&sink](const QByteArray &piece) { return sink(piece); });
            },
            error, durability);
}

bool writeFileAtomically(const QString &path, const std::function<bool(const PieceSink &)> &produce, QString *error,
                         Durability durability)
{
    auto writeAll = [&produce, durability](QFileDevice &file) {
        qint64 offset = 0;
        const bool written = produce([&](QByteArrayView piece) {
            if (file.write(piece.data(), piece.size()) != piece.size())
                return false;
#ifdef __linux__
            // A file that is waited for on commit goes to the disk while the next pieces are
            // made, so that the wait is for the last of it only. The file is unbuffered there.
            if (durability == Durability::Synced)
                ::sync_file_range(file.handle(), offset, piece.size(), SYNC_FILE_RANGE_WRITE);
#endif
            offset += piece.size();
            return true;
        });
        return written && file.flush();
    };
    auto fail = [error, &path](const QString &reason) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("no file name given"));
    // A device or a pipe would be replaced by a file (as root even /dev/null), a folder cannot be.
    if (const QString why = notRegularFileReason(path); !why.isEmpty())
        return fail(why);
    if (durability == Durability::Regenerable) {
        // The same steps without the wait for the disk, which QSaveFile always makes.
        const QFileInfo target(path);
        QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                            + QStringLiteral(".XXXXXX"));
        errno = 0;
        if (!temp.open())
            return fail(fileErrorText(errno, temp.errorString()));
        // The file keeps the mode of the one it replaces, or gets the mode of a new file (the
        // temporary file is made for the owner alone): a feed in a web server's folder must
        // stay readable.
        struct stat previous;
        mode_t mode = 0;
        if (::stat(QFile::encodeName(path).constData(), &previous) == 0) {
            mode = previous.st_mode & 07777;
        } else {
            mode = 0666 & ~currentUmask();
        }
        if (::fchmod(temp.handle(), mode) != 0)
            return fail(fileErrorText(errno, QString()));
        errno = 0;
        if (!writeAll(temp))
            return fail(fileErrorText(errno, temp.errorString()));
        if (::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
            return fail(fileErrorText(errno, QString()));
        temp.setAutoRemove(false);
        return true;
    }
    QSaveFile file(path);
    // errno is taken right after each step, before anything else can change it: Qt's own text
    // for a write stopped by a file-size limit or a full disk may say no more than "Unknown error".
    errno = 0;
    // Unbuffered, so that a short write (a full disk, a file-size limit) shows here; a buffered
    // write would only fail while committing, and the commit would rename a truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(fileErrorText(errno, file.errorString()));
    errno = 0;
    if (!writeAll(file)) {
        const int e = errno;
        const QString reason = fileErrorText(e, file.errorString());
        file.cancelWriting(); // the temporary file goes with the QSaveFile
        return fail(reason);
    }
    errno = 0;
    if (!file.commit())
        return fail(fileErrorText(errno, file.errorString()));
    return true;
}

} // namespace Feedsmith
