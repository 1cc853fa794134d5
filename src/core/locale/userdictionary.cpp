// The user's own spelling dictionary.
#include "core/locale/userdictionary.h"

#include "core/text/textfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

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

QStringList UserDictionaryWords(const QString &folder)
{
    QFile file(UserDictionaryPath(folder));
    if (!file.open(QIODevice::ReadOnly))
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
