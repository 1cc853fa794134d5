// The user's own spelling dictionary.
#include "core/locale/userdictionary.h"

#include "core/text/printable.h"
#include "core/text/textfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr char ChecksumPrefix[] = "checksum_v1 = ";
constexpr qsizetype MaxWordBytes = 99;
constexpr qsizetype MaxWords = 50000;
constexpr qint64 MaxFileBytes = (MaxWordBytes + 1) * MaxWords + 64;

// The words as the file holds them, one a line, ending in a line break, and their checksum.
QByteArray fileContent(const QStringList &words)
{
    QByteArray content;
    for (const QString &word : words)
        content += word.toUtf8() + '\n';
    return content + ChecksumPrefix + QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex();
}

} // namespace

QString UserDictionaryPath(const QString &folder)
{
    return QDir(folder).filePath(u"Custom Dictionary.txt"_s);
}

QString UnusableUserDictionaryReason(const QString &folder)
{
    const QString path = UserDictionaryPath(folder);
    if (const QString reason = notPlainFileReason(path); !reason.isEmpty())
        return reason;
    if (QFileInfo(path).size() > MaxFileBytes)
        return u"is larger than %1 MB, more than 50000 words take"_s.arg(MaxFileBytes / (1024 * 1024) + 1);
    return {};
}

QString SetAsideUnusableUserDictionary(const QString &folder)
{
    const QString path = UserDictionaryPath(folder);
    const QString reason = UnusableUserDictionaryReason(folder);
    if (reason.isEmpty())
        return {};
    // Renamed, not opened: a pipe or a device is never read, and nothing of it is lost.
    QString aside = path + u".unused"_s;
    for (int n = 2; QFileInfo(aside).exists() || QFileInfo(aside).isSymLink(); ++n)
        aside = path + u".unused-"_s + QString::number(n);
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) != 0)
        return escapedPath(QDir::toNativeSeparators(path)) + u": "_s + reason + u"; it cannot be set aside ("_s
                + fileErrorText(errno, u"renaming failed"_s) + u"), so spelling is checked without it"_s;
    return escapedPath(QDir::toNativeSeparators(path)) + u": "_s + reason + u"; it was set aside as "_s
            + escapedPath(QDir::toNativeSeparators(aside)) + u" and spelling is checked without it"_s;
}

QStringList UserDictionaryWords(const QString &folder)
{
    // Only a regular file of its own, and not an endless one: a pipe, a device or a link to
    // another file is not the dictionary.
    QFile file;
    if (!UnusableUserDictionaryReason(folder).isEmpty()
        || !openRegularFile(file, UserDictionaryPath(folder), nullptr, Links::Refuse))
        return {};
    QByteArray content = file.read(MaxFileBytes);
    const qsizetype checksum = content.lastIndexOf(ChecksumPrefix);
    if (checksum >= 0) {
        const QByteArray given = content.mid(checksum + qsizetype(sizeof ChecksumPrefix) - 1).trimmed();
        content.truncate(checksum);
        if (given != QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex())
            return {};
    }
    QStringList words;
    for (const QByteArray &line : content.split('\n')) {
        if (!line.trimmed().isEmpty())
            words.append(QString::fromUtf8(line.trimmed()));
    }
    return words;
}

bool CopyUserDictionary(const QString &folder, const QString &engineFolder, QString *error)
{
    const QString copy = UserDictionaryPath(engineFolder);
    const QStringList words = UserDictionaryWords(folder);
    if (words.isEmpty()) {
        if ((QFileInfo::exists(copy) || QFileInfo(copy).isSymLink()) && !QFile::remove(copy)) {
            if (error)
                *error = QDir::toNativeSeparators(copy) + u": cannot be removed"_s;
            return false;
        }
        return true;
    }
    if (!QDir().mkpath(engineFolder)) {
        if (error)
            *error = QDir::toNativeSeparators(engineFolder) + u": cannot be made"_s;
        return false;
    }
    return writeFileAtomically(copy, fileContent(words), error);
}

bool AddToUserDictionary(const QString &folder, const QString &word, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QByteArray bytes = word.toUtf8();
    if (word.isEmpty() || bytes.size() > MaxWordBytes)
        return fail(u"a word of 1 to 99 bytes is taken"_s);
    for (const QChar c : word) {
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return fail(u"a word holds no blanks or control characters"_s);
    }
    // A dictionary that is no regular file, or too large, is neither read nor replaced.
    if (const QString reason = UnusableUserDictionaryReason(folder); !reason.isEmpty())
        return fail(QDir::toNativeSeparators(UserDictionaryPath(folder)) + u": "_s + reason);
    QStringList words = UserDictionaryWords(folder);
    if (words.contains(word))
        return true;
    if (words.size() >= MaxWords)
        return fail(u"the dictionary holds 50000 words already"_s);
    words.append(word);
    if (!QDir().mkpath(folder))
        return fail(QDir::toNativeSeparators(folder) + u": cannot be made"_s);
    QString why;
    if (!writeFileAtomically(UserDictionaryPath(folder), fileContent(words), &why))
        return fail(why);
    return true;
}

} // namespace Feedsmith
