// feedsmith-cli commands.
#include "cli/commandline.h"

#include "cli/publish.h"
#include "net/publishsequence.h"
#include "net/curlinternet.h"

#include "core/document/feeddocument.h"
#include "core/document/media.h"
#include "core/document/uploadrecord.h"
#include "core/import/feedimport.h"
#include "core/output/feedcheck.h"
#include "core/output/podcast.h"
#include "core/output/preview.h"
#include "core/output/rsswriter.h"
#include "core/project/projectreader.h"
#include "core/project/projectwriter.h"
#include "core/startup/startup.h"
#include "core/system/clock.h"
#include "core/system/processguard.h"
#include "core/system/systemlocale.h"
#include "core/text/printable.h"
#include "core/text/textfiles.h"

#include <feedsmith/version.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr auto Usage = R"(Usage: feedsmith-cli COMMAND ARGUMENTS

Commands:
  rss PROJECT OUT.xml       write the RSS file of a project, as the generate command does
  preview PROJECT OUT.html  write the preview page of a project, from the program's templates
  resave PROJECT OUT.rsx [--allow-loss]
                            read a project and write it again, as the save command does;
                            a project of more than 32767 entries is written only with
                            --allow-loss, since the entries beyond are left out
  import FEED OUT.rsx       read an RSS 2.0, RSS 0.9x, RSS 1.0 or Atom 1.0 feed file into a
                            new project, as File > Import feed does
  check PROJECT             check the feed the project would publish now, as File > Check
                            feed does: one finding a line, "error" (the feed would be
                            invalid) or "warning"; exit status 0 with no finding, 1 with
                            warnings only, 2 with errors or a project that cannot be read
  publish PROJECT [--password-env NAME] [--trust FINGERPRINT]
                            check the feed (an invalid one is not published),
                            build the RSS file and upload it under the name of the
                            project's ftpfile with its FTP settings, as the FTP page does;
                            the local copy is written to ftpfile only when that is a .xml,
                            .rss or .atom file in the project's folder or below; an ftps://
                            or sftp:// server whose certificate or host key is not known yet
                            is trusted from now on only when it shows FINGERPRINT

Options:
  --help     show this text
  --version  show the version

The publication date of the RSS file is SOURCE_DATE_EPOCH when that is set (seconds from 0
to 253402300799, the years 1970 to 9999), else the clock.
The FTP password is never read from the project or the command line: publish takes it from
the environment variable NAME, else from standard input when that is not a terminal, else it
asks for it on the terminal. publish never asks whether to trust a server: it stops and
prints the server's fingerprint, to be checked and given with --trust.
Exit status: 0 on success, 1 when the project cannot be read, the output cannot be written
or the file was not uploaded, 2 for a command line (or a SOURCE_DATE_EPOCH) that makes no sense.
)";

// A file name from a project or the command line as it is printed: whatever could hide a part
// of it made visible.
QString shown(const QString &path)
{
    return escapedPath(QDir::toNativeSeparators(path));
}

class Session
{
public:
    Session(const QString &programFolder, QTextStream &err)
        : m_startup(RunStartup(programFolder, SystemLocale::localeName()))
        , m_err(err)
    { }

    // Reads the project as the open command does; false (and a message) when it cannot be read.
    // Only a regular file is read: a device, a pipe or a folder is refused before reading.
    bool open(const QString &path)
    {
        const QString file = projectFileToRead(path);
        const ProjectReadResult result =
                ReadProjectFile(m_document, path, m_startup.programFolder, m_startup.language.textTable,
                                SystemLocale::locale(), EntryTree::Left);
        if (!result.fileOpened) {
            m_err << "feedsmith-cli: cannot read project " << shown(file) << ": "
                  << (result.error.isEmpty() ? u"cannot be read"_s : printable(result.error)) << Qt::endl;
            return false;
        }
        if (!result.isProject) {
            m_err << "feedsmith-cli: cannot read project " << shown(file)
                  << ": is not a Feedsmith project (it has no settings, FTP settings or entries block)" << Qt::endl;
            return false;
        }
        m_entriesLeftOut = result.entriesLeftOut;
        if (result.entriesLeftOut > 0) {
            m_err << "feedsmith-cli: warning: " << shown(file) << " holds more than " << EntryCollection::MaxEntries
                  << " entries; " << result.entriesLeftOut << " were left out" << Qt::endl;
        }
        // The notes are English, as every message of this program.
        for (const QString &note : ProjectReadNotes(m_document, result, KeyedTexts(), NoteDetail::EveryEntry))
            m_err << "feedsmith-cli: warning: " << shown(file) << ": " << printable(note) << Qt::endl;
        return true;
    }

    bool failed(const QString &error)
    {
        m_err << "feedsmith-cli: cannot write " << printable(error) << Qt::endl;
        return false;
    }

    // Prints the findings of the feed check; the exit status of the check command.
    int check(QTextStream &out)
    {
        const QList<FeedFinding> findings =
                CheckFeed(m_document, BuildStyleBlock(m_startup.programFolder), Clock::now(),
                          m_startup.language.textTable, SystemLocale::locale());
        for (const FeedFinding &finding : findings) {
            out << (finding.severity == FeedFinding::Severity::Error ? "error" : "warning");
            if (!finding.field.isEmpty())
                out << " [" << finding.field << ']';
            out << ": " << printable(finding.text) << '\n';
        }
        out.flush();
        return findings.isEmpty() ? 0 : HasFeedErrors(findings) ? 2 : 1;
    }

    bool writeRss(const QString &out, const QDateTime &moment)
    {
        QString error;
        RssFacts facts;
        if (!WriteRssFile(m_document, out, m_startup.programFolder, moment.isValid() ? moment : Clock::now(), &error,
                          &facts))
            return failed(error);
        warnAboutFeed(facts);
        return true;
    }

    // What a reader or a podcast directory would miss in the feed just written.
    void warnAboutFeed(const RssFacts &facts)
    {
        if (facts.mediaWithoutPublicAddress)
            m_err << "feedsmith-cli: warning: the feed shows pictures of the media folder, but the project has no "
                     "public address of the feed (feedurl): readers will not see them"
                  << Qt::endl;
        // A podcast is told what a podcast directory would reject; the file is written all the same.
        if (m_document.channel.podcast == "1"_L1) {
            for (const QString &problem : PodcastProblems(m_document))
                m_err << "feedsmith-cli: warning: " << printable(problem) << Qt::endl;
        }
    }

    bool writePreview(const QString &out)
    {
        const PreviewResult result =
                BuildPreview(m_document, m_startup.programFolder, out, SystemLocale::locale(),
                             m_startup.language.textTable.valueOr(u"previewlabel"_s, DefaultPreviewLabel));
        if (!result.ok)
            return failed(result.error);
        if (result.emptyPage) {
            // Nothing to show: the page is the program's own "empty.html".
            QFile empty(result.pagePath);
            if (!empty.open(QIODevice::ReadOnly)) {
                m_err << "feedsmith-cli: cannot read " << shown(result.pagePath) << ": "
                      << printable(empty.errorString()) << Qt::endl;
                return false;
            }
            QString error;
            return writeFileAtomically(out, empty.readAll(), &error) || failed(error);
        }
        return true;
    }

    // The FTP page's work for scripts: the RSS file is built in a private temporary folder and
    // uploaded under the name of ftpfile. The project may come from someone else, so ftpfile
    // is written as a local copy only where a feed belongs (MayKeepFeedCopy), and whatever can
    // be checked is checked before anything is written or sent.
    bool publish(const QString &projectPath, const QString &passwordVariable, const QString &trusted,
                 const QDateTime &moment, QTextStream &out)
    {
        FtpSettings settings = m_document.ftp;
        auto refuse = [this](const QString &message) {
            m_err << "feedsmith-cli: " << printable(message) << Qt::endl;
            return false;
        };
        if (settings.ftpfile.isEmpty())
            return refuse(u"the project names no local file to upload (ftpfile)"_s);
        if (settings.ftpurl.isEmpty())
            return refuse(u"the project names no FTP server (ftpurl)"_s);
        if (const QString problem = FtpPublisher::settingsProblem(settings); !problem.isEmpty())
            return refuse(problem);
        // An anonymous login needs no password.
        if (!settings.ftpusername.isEmpty()) {
            const std::optional<QString> password =
                    readPublishPassword(passwordVariable, settings.ftpusername + u'@' + settings.ftpurl, m_err);
            if (!password)
                return false;
            settings.ftppassword = *password;
            if (const QString problem = FtpPublisher::loginProblem(settings.ftpusername, settings.ftppassword);
                !problem.isEmpty())
                return refuse(problem);
        }
        // The feed check first: an invalid feed is not published, warnings are told.
        PublishSequence sequence(std::shared_ptr<const FeedDocument>(std::shared_ptr<void>(), &m_document),
                                 m_startup.programFolder, m_startup.language.textTable,
                                 moment.isValid() ? moment : Clock::now());
        const QList<FeedFinding> findings = sequence.check(SystemLocale::locale());
        for (const FeedFinding &finding : findings)
            m_err << "feedsmith-cli: " << (finding.severity == FeedFinding::Severity::Error ? "error: " : "warning: ")
                  << printable(finding.text) << Qt::endl;
        if (HasFeedErrors(findings))
            return refuse(u"the feed is not published: it would be invalid (see feedsmith-cli check)"_s);
        // Built in a private temporary folder, with the pictures and enclosure files that go with
        // it: from the project's media folder alone, as the check above made sure.
        if (QString error; !sequence.build(&error))
            return failed(error);
        const BuiltFeed &built = sequence.built();
        warnAboutFeed(built.facts);
        if (built.copyKept)
            out << "wrote " << shown(built.copyPath) << Qt::endl;
        else
            m_err << "feedsmith-cli: not keeping a local copy at " << shown(built.copyPath) << ": "
                  << printable(built.copyNotKept) << Qt::endl;
        // What was uploaded beside the feed before: publish leaves the project as it is and keeps
        // this in a file of its own, which stands for the project's value once there is one.
        if (const QString kept = UploadRecord::readState(projectPath); !kept.isEmpty())
            settings.lastpublishedfiles = kept;
        CurlInternet internet;
        if (!uploadPublication(sequence, settings, internet, out, m_err, trusted))
            return false;
        if (QString error; sequence.publishedFiles() != settings.lastpublishedfiles
            && !UploadRecord::writeState(projectPath, sequence.publishedFiles(), &error))
            m_err << "feedsmith-cli: warning: what was uploaded is not remembered: " << printable(error) << Qt::endl;
        out << "uploaded " << shown(FtpPublisher::remoteFileName(settings.ftpfile)) << " to " << shown(settings.ftpurl)
            << (built.copyKept ? QString() : u" without keeping a local copy"_s) << Qt::endl;
        return true;
    }

    // Reads a feed written by any program into a new project and writes it to out.
    bool importFeed(const QString &feedPath, const QString &out)
    {
        QByteArray bytes;
        QString error;
        ImportedFeed feed;
        if (!ReadFeedFile(feedPath, &bytes, &error) || !ParseFeed(bytes, Clock::now(), &feed, &error)) {
            m_err << "feedsmith-cli: cannot import " << shown(feedPath) << ": " << printable(error) << Qt::endl;
            return false;
        }
        bytes.clear();
        for (const QString &note : std::as_const(feed.notes))
            m_err << "feedsmith-cli: warning: " << printable(note) << Qt::endl;
        if (feed.itemsLeftOut > 0) {
            m_err << "feedsmith-cli: warning: " << shown(feedPath) << " holds more than " << EntryCollection::MaxEntries
                  << " items; " << feed.itemsLeftOut << " were left out" << Qt::endl;
        }
        LoadImportedFeed(m_document, feed, m_startup.language.textTable, BuildStyleBlock(m_startup.programFolder));
        return WriteProjectFile(m_document, out, m_startup.programFolder, &error) || failed(error);
    }

    int entryCount() const { return m_document.entryCount(); }

    bool resave(const QString &out, bool allowLoss)
    {
        if (m_entriesLeftOut > 0 && !allowLoss) {
            m_err << "feedsmith-cli: not writing " << shown(out) << ": it would lose the " << m_entriesLeftOut
                  << " entries beyond the first " << EntryCollection::MaxEntries << " (give --allow-loss to write it)"
                  << Qt::endl;
            return false;
        }
        QString error;
        return WriteProjectFile(m_document, out, m_startup.programFolder, &error) || failed(error);
    }

    // SOURCE_DATE_EPOCH for the commands that date a feed; false (and a message) when it is set
    // to something that is no date the feed can carry.
    bool readSourceDateEpoch(QDateTime *moment)
    {
        QString problem;
        *moment = Clock::sourceDateEpoch(&problem);
        if (!problem.isEmpty())
            m_err << "feedsmith-cli: " << problem << Qt::endl;
        return problem.isEmpty();
    }

    ~Session() { keepUntilExit(std::move(m_ownDocument)); }
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

private:
    // Documents are left to the end of the process, which comes right after the command (see
    // main): a project of many entries takes longer to take apart than to write, and the system
    // takes the memory back at once.
    static void keepUntilExit(std::unique_ptr<FeedDocument> document)
    {
        static std::vector<std::unique_ptr<FeedDocument>> kept;
        kept.push_back(std::move(document));
    }

    int m_entriesLeftOut = 0;
    StartupState m_startup;
    std::unique_ptr<FeedDocument> m_ownDocument = std::make_unique<FeedDocument>();
    FeedDocument &m_document = *m_ownDocument;
    QTextStream &m_err;
};

int runPublish(const QStringList &arguments, const QString &programFolder, QTextStream &out, QTextStream &err)
{
    QString project;
    QString passwordVariable;
    QString trusted;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == "--password-env"_L1 && i + 1 < arguments.size() && !arguments.at(i + 1).isEmpty()) {
            passwordVariable = arguments.at(++i);
        } else if (argument.startsWith("--password-env="_L1) && argument.size() > 15) {
            passwordVariable = argument.mid(15);
        } else if (argument == "--trust"_L1 && i + 1 < arguments.size() && !arguments.at(i + 1).isEmpty()) {
            trusted = arguments.at(++i);
        } else if (argument.startsWith("--trust="_L1) && argument.size() > 8) {
            trusted = argument.mid(8);
        } else if (project.isEmpty() && !argument.startsWith("--"_L1)) {
            project = argument;
        } else {
            err << "feedsmith-cli: publish needs PROJECT and at most --password-env NAME and --trust FINGERPRINT; see "
                   "feedsmith-cli --help"
                << Qt::endl;
            return 2;
        }
    }
    if (project.isEmpty()) {
        err << "feedsmith-cli: publish needs PROJECT; see feedsmith-cli --help" << Qt::endl;
        return 2;
    }
    // The process may hold a password (an environment variable holds it from the start): no
    // core file may carry it off.
    if (!protectFromCoreDumps()) {
        err << "feedsmith-cli: cannot keep the password out of core files" << Qt::endl;
        return 1;
    }
    Session session(programFolder, err);
    QDateTime moment;
    if (!session.readSourceDateEpoch(&moment))
        return 2;
    if (!session.open(project))
        return 1;
    return session.publish(projectFileToRead(project), passwordVariable, trusted, moment, out) ? 0 : 1;
}

} // namespace

namespace {

// Whether OUT may be written: never over the input (also through a link or another name of the
// same file), never over a device, a pipe, a socket or a folder. False, and a message, if not.
bool mayWrite(const QString &input, const QString &target, QTextStream &err)
{
    QString why;
    if (isSameFile(input, target))
        why = u"it is the input file "_s + shown(input);
    else
        why = notRegularFileReason(target);
    if (why.isEmpty())
        return true;
    err << "feedsmith-cli: will not write " << shown(target) << ": " << why << Qt::endl;
    return false;
}

} // namespace

int runCommandLine(const QStringList &arguments, const QString &programFolder, QTextStream &out, QTextStream &err)
{
    if (arguments.isEmpty()) {
        err << Usage;
        return 2;
    }
    const QString command = arguments.first();
    if (command == "--help"_L1 || command == "-h"_L1) {
        out << Usage;
        return 0;
    }
    if (command == "--version"_L1) {
        out << "feedsmith-cli (" << Version::ProductName << ") " << Version::Text << Qt::endl;
        return 0;
    }
    if (command == "publish"_L1)
        return runPublish(arguments.mid(1), programFolder, out, err);
    if (command == "check"_L1) {
        if (arguments.size() != 2) {
            err << "feedsmith-cli: check needs PROJECT; see feedsmith-cli --help" << Qt::endl;
            return 2;
        }
        Session session(programFolder, err);
        return session.open(arguments.at(1)) ? session.check(out) : 2;
    }
    if (command != "rss"_L1 && command != "preview"_L1 && command != "resave"_L1 && command != "import"_L1) {
        err << "feedsmith-cli: unknown command " << printable(command) << "; see feedsmith-cli --help" << Qt::endl;
        return 2;
    }
    QStringList rest = arguments;
    const bool allowLoss = command == "resave"_L1 && rest.removeAll(u"--allow-loss"_s) > 0;
    if (rest.size() != 3) {
        err << "feedsmith-cli: " << command
            << (command == "import"_L1 ? " needs FEED and OUT" : " needs PROJECT and OUT")
            << "; see feedsmith-cli --help" << Qt::endl;
        return 2;
    }

    if (!mayWrite(command == "import"_L1 ? rest.at(1) : projectFileToRead(rest.at(1)), rest.at(2), err))
        return 1;
    Session session(programFolder, err);
    if (command == "import"_L1) {
        if (!session.importFeed(rest.at(1), rest.at(2)))
            return 1;
        out << "wrote " << shown(QFileInfo(rest.at(2)).absoluteFilePath()) << " (" << session.entryCount()
            << " entries)" << Qt::endl;
        return 0;
    }
    QDateTime moment;
    if (command == "rss"_L1 && !session.readSourceDateEpoch(&moment))
        return 2;
    if (!session.open(rest.at(1)))
        return 1;
    const QString target = rest.at(2);
    bool ok = false;
    if (command == "rss"_L1)
        ok = session.writeRss(target, moment);
    else if (command == "preview"_L1)
        ok = session.writePreview(target);
    else
        ok = session.resave(target, allowLoss);
    if (!ok)
        return 1;
    out << "wrote " << shown(QFileInfo(target).absoluteFilePath()) << Qt::endl;
    return 0;
}

} // namespace Feedsmith
