// Publishing a project's feed.
#include "net/publishsequence.h"

#include "core/text/textfiles.h"

#include <QFile>
#include <QTemporaryDir>

namespace Feedsmith {

using namespace Qt::StringLiterals;

FtpTexts PublishingTexts(const KeyedTexts &table)
{
    return FtpTexts{table.value(u"uploadready"_s),      table.value(u"missingpassword"_s),
                    table.value(u"trustcertificate"_s), table.value(u"trusthostkey"_s),
                    table.value(u"serverkeychanged"_s), table.value(u"hostnotfound"_s),
                    table};
}

PublishSequence::PublishSequence(std::shared_ptr<const FeedDocument> document, QString programFolder,
                                 KeyedTexts texts, QDateTime moment)
    : m_document(std::move(document))
    , m_programFolder(std::move(programFolder))
    , m_texts(PublishingTexts(texts))
    , m_moment(std::move(moment))
{ }

std::shared_ptr<PublishSequence> PublishSequence::ofFile(const QString &feedFile, KeyedTexts texts)
{
    std::shared_ptr<PublishSequence> sequence(new PublishSequence);
    sequence->m_texts = PublishingTexts(texts);
    sequence->m_built.feedFile = feedFile;
    return sequence;
}

QList<FeedFinding> PublishSequence::check(const QLocale &locale) const
{
    if (!m_document)
        return {};
    return CheckFeed(*m_document, BuildStyleBlock(m_programFolder), m_moment, m_texts.table, locale);
}

namespace {

// The bytes of a file, in pieces, into `sink`.
bool copyInPieces(const QString &from, const PieceSink &sink, QString *error)
{
    QFile file(from);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = from + u": "_s + file.errorString();
        return false;
    }
    constexpr qint64 Piece = 1024 * 1024;
    while (!file.atEnd()) {
        const QByteArray piece = file.read(Piece);
        if (piece.isEmpty() && file.error() != QFileDevice::NoError) {
            *error = from + u": "_s + file.errorString();
            return false;
        }
        if (!sink(piece))
            return false;
    }
    return true;
}

} // namespace

bool PublishSequence::build(QString *error)
{
    if (!m_document)
        return true; // a file as it is
    const FeedDocument &document = *m_document;
    // Built where only this user can read it, under the name it is uploaded as.
    m_built.folder = std::make_shared<QTemporaryDir>();
    if (!m_built.folder->isValid()) {
        *error = m_built.folder->errorString();
        return false;
    }
    const QString &ftpfile = document.ftp.ftpfile;
    m_built.feedFile = m_built.folder->filePath(FtpPublisher::remoteFileName(ftpfile));
    m_built.beside = PublishedFiles(document, FeedItemCount(document.channel, document.entryCount()).taken);
    if (!WriteRssFile(document, m_built.feedFile, m_programFolder, m_moment, error, &m_built.facts))
        return false;
    // The local copy the feed file names, only where a feed belongs: a project may come from
    // someone else, and its name may lead to a file of the user's.
    m_built.copyPath = FeedCopyPath(ftpfile, document.projectPath);
    m_built.copyKept = MayKeepFeedCopy(ftpfile, document.projectPath, &m_built.copyNotKept);
    if (!m_built.copyKept)
        return true;
    QString readError;
    if (writeFileAtomically(
                m_built.copyPath, [&](const PieceSink &sink) { return copyInPieces(m_built.feedFile, sink, &readError); },
                error))
        return true;
    if (!readError.isEmpty())
        *error = readError;
    return false;
}

FtpPublisher::Outcome PublishSequence::upload(const FtpSettings &settings, Internet &internet, FtpMessages &messages)
{
    FtpPublisher publisher(internet, messages, m_texts);
    const FtpPublisher::Outcome outcome = publisher.publishFile(settings, m_built.feedFile, m_built.beside);
    m_question = publisher.pendingQuestion();
    if (outcome == FtpPublisher::Outcome::Uploaded)
        m_publishedFiles = publisher.publishedFiles();
    return outcome;
}

} // namespace Feedsmith
