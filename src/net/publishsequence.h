// Publishing a project's feed, the same in the window and in feedsmith-cli: the feed is checked,
// then built into a folder only this user can read (and kept as
// the project's local copy where a feed belongs), the files of the media folder it names go
// beside it, and everything is uploaded.
#pragma once

#include "core/document/feeddocument.h"
#include "core/document/media.h"
#include "core/locale/keyedtexts.h"
#include "core/output/feedcheck.h"
#include "core/output/rsswriter.h"
#include "net/ftppublisher.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

#include <memory>
#include <optional>

class QTemporaryDir;

namespace Feedsmith {

// The texts a publication shows, in the language of `table` (English where it has none).
FtpTexts PublishingTexts(const KeyedTexts &table);

// A feed built for publishing.
struct BuiltFeed
{
    std::shared_ptr<QTemporaryDir> folder; // only this user reads it; empty for a file as it is
    QString feedFile; // the feed, under the name it is uploaded as
    QString copyPath; // the project's local copy of the feed (ftpfile), from its folder
    bool copyKept = false; // the feed was kept there too
    QString copyNotKept; // why not, when a copy was due and a feed does not belong there
    QList<PublishedFile> beside; // the files of the media folder that go with it
    RssFacts facts;
};

class PublishSequence
{
public:
    // The publication of a snapshot of the document at `moment`.
    PublishSequence(std::shared_ptr<const FeedDocument> document, QString programFolder, KeyedTexts texts,
                    QDateTime moment);
    // The upload of a feed file as it is on the disk: neither checked nor built.
    static std::shared_ptr<PublishSequence> ofFile(const QString &feedFile, KeyedTexts texts);

    // 1. The feed check of the snapshot; an error keeps the feed from going out.
    QList<FeedFinding> check(const QLocale &locale = QLocale::system()) const;
    // 2. The feed built, kept at the local copy where a feed belongs, and the files that go
    // beside it. False, with *error naming the file and the reason, when it cannot be written.
    bool build(QString *error);
    const BuiltFeed &built() const { return m_built; }
    // 3. The upload, on the caller's thread. A question without an answer at hand stops it
    // (Outcome::NeedsAnswer, question()); it starts from the beginning when called again.
    FtpPublisher::Outcome upload(const FtpSettings &settings, Internet &internet, FtpMessages &messages);
    const std::optional<FtpQuestion> &question() const { return m_question; }
    // After an upload that stored the feed: what the server holds beside it now, as the
    // project's lastpublishedfiles keeps it.
    const QString &publishedFiles() const { return m_publishedFiles; }
    const FtpTexts &texts() const { return m_texts; }

private:
    PublishSequence() = default;

    std::shared_ptr<const FeedDocument> m_document;
    QString m_programFolder;
    FtpTexts m_texts;
    QDateTime m_moment;
    BuiltFeed m_built;
    std::optional<FtpQuestion> m_question;
    QString m_publishedFiles;
};

} // namespace Feedsmith
