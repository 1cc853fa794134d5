// Pictures of entry bodies.
#include "core/document/media.h"

#include "core/document/feeddocument.h"
#include "core/text/textfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr QLatin1StringView SourceAttribute("src=\"media/");

bool isPictureSuffix(const QString &suffix)
{
    static const QStringList pictures = {u"png"_s, u"jpg"_s, u"jpeg"_s, u"gif"_s, u"webp"_s, u"svg"_s, u"avif"_s};
    return pictures.contains(suffix);
}

} // namespace

std::optional<QString> StoreMediaFile(const QString &file, const QString &projectPath, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (projectPath.isEmpty())
        return fail(u"the project has not been saved yet, so it has no folder for its pictures"_s);
    const QFileInfo info(file);
    const QString suffix = info.suffix().toLower();
    if (!isPictureSuffix(suffix))
        return fail(QDir::toNativeSeparators(file) + u": not a picture (PNG, JPEG, GIF, WebP, SVG or AVIF)"_s);
    if (const QString why = notPlainFileReason(file); !why.isEmpty())
        return fail(QDir::toNativeSeparators(file) + u": "_s + why);
    if (info.size() > MaxMediaBytes)
        return fail(QDir::toNativeSeparators(file) + u": larger than 64 MB"_s);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QDir::toNativeSeparators(file) + u": "_s + in.errorString());
    const QByteArray bytes = in.read(MaxMediaBytes + 1);
    const QString name =
            QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16)) + u'.'
            + suffix;
    const QString folder = QFileInfo(projectPath).absolutePath() + u"/media"_s;
    const QString target = folder + u'/' + name;
    if (!QFileInfo::exists(target)) {
        QString why;
        if (!QDir().mkpath(folder) || !writeFileAtomically(target, bytes, &why))
            return fail(why.isEmpty() ? QDir::toNativeSeparators(folder) + u": cannot be made"_s : why);
    }
    return QString(MediaPrefix) + name;
}

QString PublicMediaAddress(const QString &feedUrl)
{
    const QUrl url(feedUrl.trimmed());
    if (!url.isValid() || (url.scheme() != "http"_L1 && url.scheme() != "https"_L1) || url.host().isEmpty())
        return {};
    QString address = url.adjusted(QUrl::RemoveFilename | QUrl::RemoveQuery | QUrl::RemoveFragment)
                              .toString(QUrl::FullyEncoded); // ASCII, as the feed's bytes need
    if (!address.endsWith(u'/'))
        address += u'/';
    return address + MediaPrefix;
}

QByteArray WithPublicMedia(const QByteArray &body, const QByteArray &publicMedia)
{
    if (publicMedia.isEmpty() || !UsesProjectMedia(body))
        return body;
    QByteArray out = body;
    return out.replace(QByteArrayView(SourceAttribute.data(), SourceAttribute.size()), "src=\"" + publicMedia);
}

QByteArrayView WithPublicMedia(QByteArrayView body, const QByteArray &publicMedia, QByteArray &room)
{
    if (publicMedia.isEmpty() || !UsesProjectMedia(body))
        return body;
    room = WithPublicMedia(body.toByteArray(), publicMedia);
    return room;
}

QString WithPublicMedia(const QString &body, const QString &publicMedia)
{
    if (publicMedia.isEmpty() || !body.contains(SourceAttribute))
        return body;
    return QString(body).replace(SourceAttribute, u"src=\""_s + publicMedia);
}

bool PointsAtLocalFiles(QByteArrayView body)
{
    // An attribute value that starts with the scheme, quoted either way, in any case.
    for (qsizetype at = body.indexOf(':'); at >= 0; at = body.indexOf(':', at + 1)) {
        if (at >= 5 && (body[at - 5] == '"' || body[at - 5] == '\'')
            && QByteArrayView(body.data() + at - 4, 4).compare("file", Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool UsesProjectMedia(QByteArrayView body)
{
    // The C library's search, which is faster on long texts than the one of QByteArray.
    return ::memmem(body.data(), size_t(body.size()), SourceAttribute.data(), size_t(SourceAttribute.size()))
            != nullptr;
}

QList<PublishedFile> PublishedFiles(const FeedDocument &document, int taken)
{
    QList<PublishedFile> files;
    if (document.projectPath.isEmpty())
        return files;
    const QString projectFolder = QFileInfo(QFileInfo(document.projectPath).absolutePath()).canonicalFilePath();
    const auto inside = [&projectFolder](const QString &path) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        return !projectFolder.isEmpty() && canonical.startsWith(projectFolder + u'/');
    };
    QSet<QString> seen;
    const auto add = [&](const QString &path, const QString &folder, const QString &name) {
        const QFileInfo info(path);
        if (seen.contains(folder + u'/' + name) || !info.isFile() || info.isSymLink())
            return;
        seen.insert(folder + u'/' + name);
        files.append({info.absoluteFilePath(), folder, name, info.size(), inside(path)});
    };
    static const QRegularExpression picture(u"src=\"media/([A-Za-z0-9_-][A-Za-z0-9._-]*)\""_s);
    const QString media = QFileInfo(document.projectPath).absolutePath() + u"/media/"_s;
    const int count = document.entryCount();
    for (int k = 0; k < std::min(taken, count); ++k) {
        const RSSentry &entry = document.entries.at(count - k);
        const QString body = entry.content.text();
        if (body.contains(SourceAttribute)) {
            for (const QRegularExpressionMatch &m : picture.globalMatch(body))
                add(media + m.captured(1), MediaFolder, m.captured(1));
        }
        if (!entry.enclosurefile.isEmpty() && !entry.enclosureurl.trimmed().isEmpty())
            add(entry.enclosurefile, QString(), QFileInfo(entry.enclosurefile).fileName());
    }
    return files;
}

} // namespace Feedsmith
