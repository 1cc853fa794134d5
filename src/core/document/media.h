// Pictures of entry bodies, kept in a "media" folder beside the project.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace Feedsmith {

// The pictures a body shows from the project's own folder: "media/NAME" in src attributes.
inline constexpr QLatin1StringView MediaPrefix("media/");
// The folder beside the project, and beside the published feed, that holds them.
inline constexpr QLatin1StringView MediaFolder("media");

// The largest picture taken into a project.
inline constexpr qint64 MaxMediaBytes = 64ll * 1024 * 1024;

// Copies a picture into the media folder beside the project, under a name made from its content
// (the same picture is stored once) and its lower-case suffix, and gives the path the body uses
// ("media/3f2a9c0d41b7e8a2.png"). Nothing, and *error says why, when the project has no folder
// yet, the file is no regular file of a picture type or too large, or it cannot be written.
std::optional<QString> StoreMediaFile(const QString &file, const QString &projectPath, QString *error);

// Where the published feed's media lie: the folder of the feed's public address with "media/"
// ("https://example.org/news/feed.xml" gives "https://example.org/news/media/"); empty without
// an address.
QString PublicMediaAddress(const QString &feedUrl);

// The body with every src="media/..." pointing at `publicMedia` instead; as it is when that is
// empty.
QByteArray WithPublicMedia(const QByteArray &body, const QByteArray &publicMedia);
// The same as a view: the body itself when it has nothing to change, else the result in room.
// The body must not lie in room.
QByteArrayView WithPublicMedia(QByteArrayView body, const QByteArray &publicMedia, QByteArray &room);
QString WithPublicMedia(const QString &body, const QString &publicMedia);

// Whether an address names a file of the project's media folder ("media/NAME"), as Choose file
// stores enclosures and artwork: the feed then names it by its public address, made when the
// feed is written.
bool IsLocalMedia(QStringView address);
// The address a word of a line names (a transcript's, the chapters'): a file of the media
// folder by its name with the percent escapes that stand for its blanks decoded
// ("media/ep%201.vtt" names "media/ep 1.vtt"), any other as it stands.
QString MediaWordAddress(const QString &word);
// A local media address as the feed names it: the public media address and the name below the
// media folder, each part percent-encoded; as it stands without a public address.
QString PublishedMediaAddress(const QString &local, const QString &publicMedia);
// What the file of a local media address is now: its size (-1 when it is no regular file) and
// its media type.
struct MediaFacts
{
    qint64 size = -1;
    QString type;
};
MediaFacts LocalMediaFacts(const QString &local, const QString &projectPath);

class FeedDocument;

// Where a file that publishing would upload lies, against the one rule for such files: a regular
// file whose real path (links resolved) lies below the real path of the project's "media"
// folder, that folder a real folder (not a link) in the project's folder, and no part of the
// file's name below it starting with a dot. A project may come from someone else: nothing
// outside that folder leaves the computer by naming it.
struct MediaFile
{
    enum class Verdict {
        Inside, // may be uploaded
        Missing, // nothing there
        NoProjectFolder, // the project has not been saved
        MediaFolderLinked, // "media" is a link, or no folder
        Outside, // the real path lies outside the media folder
        NotRegular, // a folder, a device, a pipe or a socket
        HiddenName, // a part of the name below the media folder starts with a dot
    };
    Verdict verdict = Verdict::Missing;
    QString path; // as named, made absolute against the project's folder
    QString realPath; // links resolved; empty when nothing is there
};
// `name`: "media/NAME" or any path; a relative one counts from the project's folder.
MediaFile CheckMediaFile(const QString &name, const QString &projectPath);

// A file that readers fetch beside the feed, uploaded with it: a picture of the media folder
// (into the remote folder "media") or the local file of an enclosure (beside the feed).
struct PublishedFile
{
    QString localPath; // the real path
    QString folder; // "media", or empty for the feed's own folder
    QString name;
    qint64 size = 0;
};

// A file the published entries name for upload that breaks the rule of CheckMediaFile.
struct UnpublishableFile
{
    int entry = 0; // the key number of the entry; 0 for the channel's image or artwork
    bool enclosure = false; // the entry's enclosure file, else a file of the media folder it names
    QString name; // as the entry names it (enclosurefile, or "media/NAME")
    MediaFile check;
};

// The pictures of the media folder that the newest `taken` entries show and the local files of
// their enclosures (and, in a podcast, the episodes' artwork, transcripts and chapters of the
// media folder), each once, as far as they keep the rule of CheckMediaFile; `refused` (when
// given) gets those that exist and break it. A picture's name is one the media folder gives
// (letters, digits, "-", "_", "."): nothing outside that folder is named.
QList<PublishedFile> PublishedFiles(const FeedDocument &document, int taken,
                                    QList<UnpublishableFile> *refused = nullptr);

// Copies a file the user chose as an enclosure into the project's media folder, keeping its name
// (a leading dot dropped; "-2", "-3" ... before the suffix when another file has it), and gives
// "media/NAME". The copy is a reflink or a hard link where the file system allows it, so that a
// large episode costs neither time nor room; else the bytes are copied, reporting to `progress`,
// whose false answer cancels. The same file stored before is not stored again. Nothing, and
// *error says why, when the project has no folder yet, the media folder is a link, the file is
// no regular file or it cannot be copied.
using CopyProgress = std::function<bool(qint64 done, qint64 total)>;
std::optional<QString> StoreEnclosureFile(const QString &file, const QString &projectPath, QString *error,
                                          const CopyProgress &progress = {});

// What "Copy into the media folder" did to one file the rule refused.
struct MediaCopy
{
    int entry = 0;
    bool enclosure = false;
    QString from; // the name the entry had
    QString stored; // "media/NAME", or empty when it failed
    QString error;
};
// Copies each refused file that is a regular file elsewhere into the media folder: an enclosure
// under a name StoreEnclosureFile gives, a picture in place of the link it was. The entries are
// not changed: ApplyMediaCopies does that on the document.
QList<MediaCopy> CopyIntoMediaFolder(const QList<UnpublishableFile> &refused, const QString &projectPath,
                                     const CopyProgress &progress = {});
// Points the entries at their copies, where they still name what was copied; the number changed.
int ApplyMediaCopies(FeedDocument &document, const QList<MediaCopy> &copies);

// Why `ftpfile` may not be uploaded as it is, as the feed: empty when it is a regular file in
// the project's folder or below it, reached without a link, that starts (after a byte order
// mark and blanks) with an XML declaration, "<rss" or "<feed". *path gets where the name leads
// (relative names count from the project's folder; links resolved where there are any). A
// project never saved has no folder: its name, typed here, may lead anywhere without a link.
QString FeedUploadProblem(const QString &ftpfile, const QString &projectPath, QString *path = nullptr);

// Whether a body (or any bytes made from it) shows a picture of the project's media folder.
bool UsesProjectMedia(QByteArrayView body);
// Whether a body (or bytes made from it) points at a file of the author's disk: an address
// starting with "file:" in a src or href attribute.
bool PointsAtLocalFiles(QByteArrayView body);

} // namespace Feedsmith
