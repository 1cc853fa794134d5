// Pictures of entry bodies, kept in a "media" folder beside the project.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

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

class FeedDocument;

// A file that readers fetch beside the feed, uploaded with it: a picture of the media folder
// (into the remote folder "media") or the local file of an enclosure (beside the feed).
struct PublishedFile
{
    QString localPath;
    QString folder; // "media", or empty for the feed's own folder
    QString name;
    qint64 size = 0;
    bool insideProject = false; // in the project's folder or below it
};

// The pictures of the media folder that the newest `taken` entries show and the local files of
// their enclosures, each once, as far as they exist as regular files. A picture's name is one
// the media folder gives (letters, digits, "-", "_", "."): nothing outside that folder is named.
QList<PublishedFile> PublishedFiles(const FeedDocument &document, int taken);

// Whether a body (or any bytes made from it) shows a picture of the project's media folder.
bool UsesProjectMedia(QByteArrayView body);
// Whether a body (or bytes made from it) points at a file of the author's disk: an address
// starting with "file:" in a src or href attribute.
bool PointsAtLocalFiles(QByteArrayView body);

} // namespace Feedsmith
