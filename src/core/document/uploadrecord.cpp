// What a publication last uploaded beside the feed.
#include "core/document/uploadrecord.h"

#include "core/text/textfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype HexDigits = 64;
const QByteArray PathCharsKept = "/:@~";

bool isChecksum(QStringView text)
{
    if (text.size() != HexDigits)
        return false;
    for (const QChar c : text) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    }
    return true;
}

} // namespace

UploadRecord UploadRecord::fromText(const QString &text)
{
    UploadRecord record;
    for (const QStringView entry : QStringView(text).left(MaxTextChars).tokenize(u';')) {
        const QList<QStringView> fields = entry.trimmed().split(u' ', Qt::SkipEmptyParts);
        if (fields.size() != 3 || !isChecksum(fields[2]))
            continue;
        bool number = false;
        const qint64 size = fields[1].toLongLong(&number);
        const QString path = QUrl::fromPercentEncoding(fields[0].toUtf8());
        if (number && size >= 0 && !path.isEmpty() && record.size() < MaxFiles)
            record.set(path, File{size, fields[2].toLatin1()});
    }
    return record;
}

QString UploadRecord::toText() const
{
    QStringList entries;
    for (const auto &[path, file] : m_files)
        entries.append(QString::fromLatin1(QUrl::toPercentEncoding(path, PathCharsKept)) + u' '
                       + QString::number(file.size) + u' ' + QString::fromLatin1(file.sha256));
    return entries.join(u"; "_s);
}

std::optional<UploadRecord::File> UploadRecord::find(const QString &remotePath) const
{
    const auto found = m_index.constFind(remotePath);
    return found == m_index.cend() ? std::nullopt : std::optional<File>(m_files.at(*found).second);
}

void UploadRecord::set(const QString &remotePath, const File &file)
{
    if (file.sha256.size() != HexDigits)
        return;
    if (const auto found = m_index.constFind(remotePath); found != m_index.cend()) {
        m_files[*found].second = file;
    } else if (m_files.size() < MaxFiles && !remotePath.isEmpty()) {
        m_index.insert(remotePath, m_files.size());
        m_files.append({remotePath, file});
    }
}

QByteArray UploadRecord::fileChecksum(const QString &path)
{
    QFile file;
    if (!openRegularFile(file, path, nullptr, Links::Refuse))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return hash.addData(&file) ? hash.result().toHex() : QByteArray();
}

QString UploadRecord::statePath(const QString &projectPath)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (folder.isEmpty() || projectPath.isEmpty())
        return {};
    const QByteArray key = QFileInfo(projectPath).absoluteFilePath().toUtf8();
    return folder + u"/feedsmith/published/"_s
            + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex());
}

QString UploadRecord::readState(const QString &projectPath)
{
    // The project's path on the first line, for whoever looks; the record on the second.
    QFile file;
    const QString path = statePath(projectPath);
    if (path.isEmpty() || !QFileInfo::exists(path) || !openRegularFile(file, path, nullptr, Links::Refuse))
        return {};
    const QList<QByteArray> lines = file.read(MaxTextChars).split('\n');
    return lines.size() >= 2 ? QString::fromUtf8(lines.at(1)) : QString();
}

bool UploadRecord::writeState(const QString &projectPath, const QString &record, QString *error)
{
    const QString path = statePath(projectPath);
    if (path.isEmpty()) {
        *error = u"no data folder to keep what was published in"_s;
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).path())) {
        *error = QDir::toNativeSeparators(QFileInfo(path).path()) + u": cannot be made"_s;
        return false;
    }
    QString projectLine = QFileInfo(projectPath).absoluteFilePath();
    projectLine.replace(u'\n', u' ');
    return writeFileAtomically(path, projectLine.toUtf8() + '\n' + record.toUtf8() + '\n', error, Durability::Synced);
}

} // namespace Feedsmith
