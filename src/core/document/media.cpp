// Pictures of entry bodies.
#include "core/document/media.h"

#include "core/document/entryfields.h"
#include "core/document/feeddocument.h"
#include "core/text/textfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr QLatin1StringView SourceAttribute("src=\"media/");

// The project's media folder, made when missing; defined below.
QString mediaFolderOf(const QString &projectPath, QString *error);

bool isPictureSuffix(const QString &suffix)
{
    static const QStringList pictures = {u"png"_s, u"jpg"_s, u"jpeg"_s, u"gif"_s, u"webp"_s, u"svg"_s, u"avif"_s};
    return pictures.contains(suffix);
}

// Whether a part of a relative path starts with a dot: a hidden file or folder.
bool hiddenPart(const QString &relative)
{
    const QStringList parts = relative.split(u'/');
    return std::any_of(parts.begin(), parts.end(), [](const QString &part) { return part.startsWith(u'.'); });
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
    QString why;
    const QString folder = mediaFolderOf(projectPath, &why);
    if (folder.isEmpty())
        return fail(why);
    const QString target = folder + u'/' + name;
    if (!QFileInfo::exists(target) && !writeFileAtomically(target, bytes, &why))
        return fail(why);
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

bool IsLocalMedia(QStringView address)
{
    // A file right in the media folder, as Choose file puts it there.
    const QStringView name = address.mid(MediaPrefix.size());
    return address.startsWith(MediaPrefix) && !name.isEmpty() && !name.contains(u'/') && !name.startsWith(u'.');
}

QString MediaWordAddress(const QString &word)
{
    if (!word.startsWith(MediaPrefix) || !word.contains(u'%'))
        return word;
    const QString decoded = QUrl::fromPercentEncoding(word.toUtf8());
    return IsLocalMedia(decoded) ? decoded : word;
}

QString PublishedMediaAddress(const QString &local, const QString &publicMedia)
{
    if (!IsLocalMedia(local) || publicMedia.isEmpty())
        return local;
    return publicMedia + QString::fromLatin1(QUrl::toPercentEncoding(local.mid(MediaPrefix.size()), "/"));
}

MediaFacts LocalMediaFacts(const QString &local, const QString &projectPath)
{
    MediaFacts facts;
    if (!IsLocalMedia(local) || projectPath.isEmpty())
        return facts;
    const QString path = QFileInfo(projectPath).absolutePath() + u'/' + local;
    const QFileInfo file(path);
    if (!file.isFile())
        return facts;
    facts.size = file.size();
    static const QMimeDatabase types;
    facts.type = types.mimeTypeForFile(file, QMimeDatabase::MatchExtension).name();
    if (facts.type == "application/octet-stream"_L1)
        facts.type.clear();
    return facts;
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

MediaFile CheckMediaFile(const QString &name, const QString &projectPath)
{
    MediaFile result;
    if (projectPath.isEmpty()) {
        // Nothing counts from a folder the project does not have yet; a path that leads to a
        // file all the same is refused.
        result.path = name;
        result.realPath = QDir::isAbsolutePath(name) ? QFileInfo(name).canonicalFilePath() : QString();
        result.verdict = result.realPath.isEmpty() ? MediaFile::Verdict::Missing : MediaFile::Verdict::NoProjectFolder;
        return result;
    }
    const QString projectFolder = QFileInfo(projectPath).absolutePath();
    result.path = QDir::cleanPath(QDir(projectFolder).absoluteFilePath(name));
    result.realPath = QFileInfo(result.path).canonicalFilePath();
    if (result.realPath.isEmpty()) {
        result.verdict = MediaFile::Verdict::Missing; // a link to nothing counts as nothing
        return result;
    }
    const QString mediaFolder = projectFolder + u'/' + MediaFolder;
    const QFileInfo media(mediaFolder);
    const QString realMedia = QFileInfo(projectFolder).canonicalFilePath() + u'/' + MediaFolder;
    if ((media.exists() || media.isSymLink()) && (media.isSymLink() || !media.isDir()))
        result.verdict = MediaFile::Verdict::MediaFolderLinked;
    else if (!media.isDir() || media.canonicalFilePath() != realMedia || !result.realPath.startsWith(realMedia + u'/'))
        result.verdict = MediaFile::Verdict::Outside;
    else if (hiddenPart(result.realPath.mid(realMedia.size() + 1))
             || (result.path.startsWith(mediaFolder + u'/') && hiddenPart(result.path.mid(mediaFolder.size() + 1))))
        result.verdict = MediaFile::Verdict::HiddenName;
    else if (!QFileInfo(result.realPath).isFile())
        result.verdict = MediaFile::Verdict::NotRegular;
    else
        result.verdict = MediaFile::Verdict::Inside;
    return result;
}

QList<PublishedFile> PublishedFiles(const FeedDocument &document, int taken, QList<UnpublishableFile> *refused)
{
    QList<PublishedFile> files;
    QSet<QString> seen;
    const auto take = [&](int key, bool enclosure, const QString &name, const QString &folder,
                          const QString &remoteName) {
        const MediaFile check = CheckMediaFile(name, document.projectPath);
        if (check.verdict == MediaFile::Verdict::Missing)
            return;
        if (check.verdict != MediaFile::Verdict::Inside) {
            if (refused)
                refused->append({key, enclosure, name, check});
            return;
        }
        if (seen.contains(folder + u'/' + remoteName))
            return;
        seen.insert(folder + u'/' + remoteName);
        files.append({check.realPath, folder, remoteName, QFileInfo(check.realPath).size()});
    };
    static const QRegularExpression picture(u"src=\"media/([A-Za-z0-9_-][A-Za-z0-9._-]*)\""_s);
    const int count = document.entryCount();
    const bool podcast = document.channel.podcast == "1"_L1;
    for (int k = 0; k < std::min(taken, count); ++k) {
        const int key = count - k;
        const RSSentry &entry = document.entries.at(key);
        const QString body = entry.content.text();
        if (body.contains(SourceAttribute)) {
            for (const QRegularExpressionMatch &m : picture.globalMatch(body))
                take(key, false, MediaPrefix + m.captured(1), MediaFolder, m.captured(1));
        }
        // An enclosure of the media folder goes where its public address points: into the
        // remote media folder. One chosen before that (a full address beside the feed) goes
        // beside the feed, as its address says.
        if (IsLocalMedia(entry.enclosureurl.trimmed()))
            take(key, true, entry.enclosureurl.trimmed(), MediaFolder,
                 entry.enclosureurl.trimmed().mid(MediaPrefix.size()));
        else if (!entry.enclosurefile.isEmpty() && !entry.enclosureurl.trimmed().isEmpty())
            take(key, true, entry.enclosurefile, QString(), QFileInfo(entry.enclosurefile).fileName());
        // An episode's artwork, transcripts and chapters go with it, as the feed names them.
        if (!podcast || entry.enclosureurl.isEmpty())
            continue;
        QStringList addresses = {entry.episodeimage, MediaWordAddress(WordParts(entry.chapters, 2).at(0))};
        for (const QString &transcript : entry.transcripts.split(u'\n', Qt::SkipEmptyParts))
            addresses.append(MediaWordAddress(WordParts(transcript, 3).at(0)));
        for (const QString &address : std::as_const(addresses)) {
            const QString local = address.trimmed();
            if (IsLocalMedia(local))
                take(key, false, local, MediaFolder, local.mid(MediaPrefix.size()));
        }
    }
    // The channel's image and the podcast's artwork, when they are files of the media folder.
    for (const QString *image : {&document.channel.imageurl, &document.channel.podcastimage}) {
        const QString local = image->trimmed();
        if (IsLocalMedia(local))
            take(0, false, local, MediaFolder, local.mid(MediaPrefix.size()));
    }
    return files;
}

namespace {

// A file of its own in `folder`, hidden (so that nothing publishes it while it is written), for
// the bytes of `target`; -1 and *error when it cannot be made.
int makeHiddenFile(const QString &folder, const QString &target, QByteArray *made, QString *error)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *made = QFile::encodeName(folder + u"/."_s + target + u'.'
                                  + QString::number(QRandomGenerator::global()->generate(), 36) + u".part"_s);
        const int fd = ::open(made->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0)
                *error = QDir::toNativeSeparators(folder) + u": "_s + fileErrorText(errno, u"cannot be written"_s);
            return fd;
        }
    }
    *error = QDir::toNativeSeparators(folder) + u": no temporary name is free"_s;
    return -1;
}

// Copies the bytes of `source` to `fd`, telling `progress` on the way.
bool copyInto(int fd, const QString &source, const CopyProgress &progress, QString *error)
{
    QFile in;
    QString reason;
    if (!openRegularFile(in, source, &reason)) {
        *error = QDir::toNativeSeparators(source) + u": "_s + reason;
        return false;
    }
    const qint64 total = in.size();
    qint64 done = 0;
    QByteArray buffer(1024 * 1024, Qt::Uninitialized);
    for (;;) {
        if (progress && !progress(done, total)) {
            *error = u"cancelled"_s;
            return false;
        }
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0) {
            *error = QDir::toNativeSeparators(source) + u": "_s + in.errorString();
            return false;
        }
        if (got == 0)
            break;
        for (qint64 written = 0; written < got;) {
            const ssize_t n = ::write(fd, buffer.constData() + written, size_t(got - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                *error = fileErrorText(errno, u"cannot be written"_s);
                return false;
            }
            written += n;
        }
        done += got;
    }
    if (::fdatasync(fd) != 0) {
        *error = fileErrorText(errno, u"cannot be written"_s);
        return false;
    }
    return true;
}

// Puts the bytes of `source` into the media folder under `target`: a hard link where a reflink
// is not to be had, else a copy; written under a hidden name, then renamed. `replace`: over what
// is there (a link that is to become a file of its own), else only while nothing is.
bool placeInMedia(const QString &source, const QString &folder, const QString &target, bool replace,
                  const CopyProgress &progress, QString *error)
{
    QByteArray temporary;
    int fd = makeHiddenFile(folder, target, &temporary, error);
    if (fd < 0)
        return false;
    bool placed = false;
    // A reflink first (a copy sharing the blocks until either is changed); then a hard link,
    // which costs nothing either; then the bytes.
    QFile in;
    if (openRegularFile(in, source) && ::ioctl(fd, FICLONE, in.handle()) == 0) {
        placed = true;
    } else {
        ::close(fd);
        ::unlink(temporary.constData());
        fd = -1;
        if (::link(QFile::encodeName(source).constData(), temporary.constData()) == 0) {
            placed = true;
        } else {
            fd = makeHiddenFile(folder, target, &temporary, error);
            if (fd < 0)
                return false;
            placed = copyInto(fd, source, progress, error);
        }
    }
    if (fd >= 0)
        ::close(fd);
    const QByteArray final = QFile::encodeName(folder + u'/' + target);
    if (placed) {
        // Without replacing, a name taken meanwhile stays its owner's.
        placed = replace ? ::rename(temporary.constData(), final.constData()) == 0
                         : ::link(temporary.constData(), final.constData()) == 0;
        if (!placed)
            *error = QDir::toNativeSeparators(folder + u'/' + target) + u": "_s
                    + fileErrorText(errno, u"cannot be written"_s);
    }
    ::unlink(temporary.constData());
    return placed;
}

// Why `named` (made absolute, cleaned) is no file below `folder` reached without a link: folders
// compared as they are on the disk, so that neither ".." nor a link leads out, and the path as
// named must be the real one, so that no link is crossed.
QString insideFolderProblem(const QString &named, const QString &real, const QString &folder, const QString &realFolder)
{
    QString below;
    if (named.startsWith(folder + u'/'))
        below = named.mid(folder.size() + 1);
    else if (!realFolder.isEmpty() && named.startsWith(realFolder + u'/'))
        below = named.mid(realFolder.size() + 1);
    if (below.isEmpty() || real.isEmpty() || !real.startsWith(realFolder + u'/'))
        return u"lies outside the project's folder; only a file in it or below it is uploaded as it is"_s;
    if (real != realFolder + u'/' + below)
        return u"is reached through a symbolic link; only a file reached without one is uploaded as it is"_s;
    return {};
}

// Whether two regular files hold the same bytes.
bool sameBytes(const QString &a, const QString &b)
{
    QFile first;
    QFile second;
    if (!openRegularFile(first, a) || !openRegularFile(second, b) || first.size() != second.size())
        return false;
    QByteArray x(1024 * 1024, Qt::Uninitialized);
    QByteArray y(1024 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 n = first.read(x.data(), x.size());
        if (n < 0 || second.read(y.data(), y.size()) != n)
            return false;
        if (n == 0)
            return true;
        if (std::memcmp(x.constData(), y.constData(), size_t(n)) != 0)
            return false;
    }
}

// The media folder of the project, made when missing; empty, and *error, when it cannot be.
QString mediaFolderOf(const QString &projectPath, QString *error)
{
    if (projectPath.isEmpty()) {
        *error = u"the project has not been saved yet, so it has no folder for its files"_s;
        return {};
    }
    const QString folder = QFileInfo(projectPath).absolutePath() + u'/' + MediaFolder;
    const QFileInfo media(folder);
    if (media.isSymLink() || (media.exists() && !media.isDir())) {
        *error = QDir::toNativeSeparators(folder)
                + u": is no folder of its own (a link or a file); make it a real folder beside the project"_s;
        return {};
    }
    if (!media.exists() && !QDir().mkpath(folder)) {
        *error = QDir::toNativeSeparators(folder) + u": cannot be made"_s;
        return {};
    }
    return folder;
}

} // namespace

std::optional<QString> StoreEnclosureFile(const QString &file, const QString &projectPath, QString *error,
                                          const CopyProgress &progress)
{
    QString why;
    const auto fail = [&](const QString &text) {
        if (error)
            *error = text;
        return std::nullopt;
    };
    if (const QString reason = notRegularFileReason(file); !reason.isEmpty())
        return fail(QDir::toNativeSeparators(file) + u": "_s + reason);
    if (!QFileInfo::exists(file))
        return fail(QDir::toNativeSeparators(file) + u": does not exist"_s);
    const QString folder = mediaFolderOf(projectPath, &why);
    if (folder.isEmpty())
        return fail(why);
    // A file of the media folder is taken where it is.
    if (const MediaFile inside = CheckMediaFile(file, projectPath); inside.verdict == MediaFile::Verdict::Inside)
        return QString(MediaPrefix) + inside.realPath.mid(QFileInfo(folder).canonicalFilePath().size() + 1);

    QString name = QFileInfo(file).fileName();
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    for (QChar &c : name) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u'_';
    }
    if (name.isEmpty())
        name = u"enclosure"_s;
    const QFileInfo named(name);
    const QString stem = named.suffix().isEmpty() ? name : name.left(name.size() - named.suffix().size() - 1);
    const QString suffix = named.suffix().isEmpty() ? QString() : u'.' + named.suffix();
    for (int n = 1; n < 10000; ++n) {
        const QString candidate = n == 1 ? name : stem + u'-' + QString::number(n) + suffix;
        const QString target = folder + u'/' + candidate;
        const QFileInfo there(target);
        if (there.exists() || there.isSymLink()) {
            // The same file, chosen again, is not stored twice.
            if (!there.isSymLink() && there.isFile() && (isSameFile(file, target) || sameBytes(file, target)))
                return QString(MediaPrefix) + candidate;
            continue;
        }
        if (placeInMedia(file, folder, candidate, false, progress, &why))
            return QString(MediaPrefix) + candidate;
        if (QFileInfo(target).exists())
            continue; // taken meanwhile
        return fail(why);
    }
    return fail(QDir::toNativeSeparators(folder) + u": no free name for "_s + name);
}

QList<MediaCopy> CopyIntoMediaFolder(const QList<UnpublishableFile> &refused, const QString &projectPath,
                                     const CopyProgress &progress)
{
    QList<MediaCopy> copies;
    QSet<QString> pictures;
    for (const UnpublishableFile &file : refused) {
        MediaCopy copy{file.entry, file.enclosure, file.name, {}, {}};
        const QFileInfo real(file.check.realPath);
        if (file.check.realPath.isEmpty() || !real.isFile()) {
            copy.error = QDir::toNativeSeparators(file.check.path) + u": is no regular file"_s;
        } else if (file.enclosure) {
            if (const std::optional<QString> stored =
                        StoreEnclosureFile(file.check.realPath, projectPath, &copy.error, progress))
                copy.stored = *stored;
        } else if (pictures.contains(file.name)) {
            copy.stored = file.name;
        } else {
            // A picture's name is the body's: the link of that name becomes a file of its own.
            const QString folder = mediaFolderOf(projectPath, &copy.error);
            const QString name = file.name.mid(MediaPrefix.size());
            if (!folder.isEmpty() && placeInMedia(file.check.realPath, folder, name, true, progress, &copy.error)) {
                copy.stored = file.name;
                pictures.insert(file.name);
            }
        }
        if (copy.error == "cancelled"_L1)
            break;
        copies.append(copy);
    }
    return copies;
}

int ApplyMediaCopies(FeedDocument &document, const QList<MediaCopy> &copies)
{
    int changed = 0;
    for (const MediaCopy &copy : copies) {
        if (!copy.enclosure || copy.stored.isEmpty() || copy.entry < 1 || copy.entry > document.entryCount())
            continue;
        RSSentry &entry = document.entries.at(copy.entry);
        if (entry.enclosurefile != copy.from)
            continue;
        entry.enclosurefile = copy.stored;
        // The address named the file beside the feed: it names the new name.
        const QString before = QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(copy.from).fileName()));
        const QString after = QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(copy.stored).fileName()));
        if (before != after) {
            QString &url = entry.enclosureurl;
            if (url == QFileInfo(copy.from).fileName() || url == before)
                url = after;
            else if (url.endsWith(u'/' + before))
                url = url.left(url.size() - before.size()) + after;
        }
        ++changed;
    }
    return changed;
}

QString FeedUploadProblem(const QString &ftpfile, const QString &projectPath, QString *path)
{
    const QString file = ftpfile;
    const QString projectFolder = projectPath.isEmpty() ? QString() : QFileInfo(projectPath).absolutePath();
    const QString named = projectFolder.isEmpty() ? QDir::cleanPath(QFileInfo(file).absoluteFilePath())
                                                  : QDir::cleanPath(QDir(projectFolder).absoluteFilePath(file));
    const QString real = QFileInfo(named).canonicalFilePath();
    if (path)
        *path = real.isEmpty() ? named : real;
    if (real.isEmpty() && !QFileInfo(named).isSymLink())
        return u"does not exist"_s;
    // A project never saved came from nobody else: the name was typed here, and is taken where it
    // leads, as long as it leads there without a link.
    const QString realFolder = projectFolder.isEmpty() ? QFileInfo(QFileInfo(named).absolutePath()).canonicalFilePath()
                                                       : QFileInfo(projectFolder).canonicalFilePath();
    if (projectFolder.isEmpty() && real != realFolder + u'/' + QFileInfo(named).fileName())
        return u"is reached through a symbolic link; only a file reached without one is uploaded as it is"_s;
    if (!projectFolder.isEmpty()) {
        if (const QString problem = insideFolderProblem(named, real, projectFolder, realFolder); !problem.isEmpty())
            return problem;
    }
    if (const QString reason = notPlainFileReason(real); !reason.isEmpty())
        return reason;
    QFile in;
    QString reason;
    if (!openRegularFile(in, real, &reason, Links::Refuse))
        return reason;
    QByteArray head = in.read(1024);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    qsizetype at = 0;
    while (at < head.size() && (head[at] == ' ' || head[at] == '\t' || head[at] == '\r' || head[at] == '\n'))
        ++at;
    const QByteArrayView start = QByteArrayView(head).sliced(at);
    const auto startsTag = [&start](QByteArrayView tag) {
        return start.startsWith(tag)
                && (start.size() == tag.size() || QByteArrayView(" \t\r\n>/").contains(start[tag.size()]));
    };
    if (!start.startsWith("<?xml") && !startsTag("<rss") && !startsTag("<feed"))
        return u"is no feed: it does not start with an XML declaration, <rss or <feed"_s;
    return {};
}

} // namespace Feedsmith
