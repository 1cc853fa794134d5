// What a publication last uploaded beside the feed: the size and SHA-256 of each remote file.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace Feedsmith {

// The size and checksum of what was last uploaded under each remote path, kept in the project
// (FtpSettings::lastpublishedfiles), so that a file the server lists is skipped only when it is the
// same file: a new cut of an episode with the same byte size is uploaded all the same.
// As text: entries "PATH SIZE SHA256" separated by "; ", the path percent-encoded (no blank, no
// ";"), the checksum as 64 lower-case hex digits.
class UploadRecord
{
public:
    struct File
    {
        qint64 size = -1;
        QByteArray sha256; // hex

        friend bool operator==(const File &, const File &) = default;
    };

    // Beyond these the record is not read further nor added to.
    static constexpr qsizetype MaxFiles = 10000;
    static constexpr qsizetype MaxTextChars = qsizetype(2) * 1024 * 1024;

    // The entries of text; anything that is not an entry is passed over.
    static UploadRecord fromText(const QString &text);
    QString toText() const;

    std::optional<File> find(const QString &remotePath) const;
    // Replaces the path's entry or adds one (not past MaxFiles).
    void set(const QString &remotePath, const File &file);
    qsizetype size() const { return m_files.size(); }

    // The SHA-256 of a regular file (a link is not followed) as hex; empty when it cannot be read.
    static QByteArray fileChecksum(const QString &path);

    // feedsmith-cli keeps the record of each project it publishes in a file of its own in the
    // user's data folder (feedsmith/published/, named by the SHA-256 of the project's absolute
    // path), since publishing does not write the project. Empty when there is none.
    static QString statePath(const QString &projectPath);
    static QString readState(const QString &projectPath);
    static bool writeState(const QString &projectPath, const QString &record, QString *error);

private:
    QList<std::pair<QString, File>> m_files; // in the order set
    QHash<QString, qsizetype> m_index; // where each path is in m_files
};

} // namespace Feedsmith
