// The file commands of the main window: new, open, save, save as and generate RSS.
#include "window/shell/filecommands.h"

#include "core/document/media.h"
#include "core/import/feedimport.h"
#include "core/output/podcasting.h"
#include "core/output/rsswriter.h"
#include "core/project/projectreader.h"
#include "core/project/projectwriter.h"
#include "core/project/recovery.h"
#include "core/system/clock.h"
#include "core/system/processguard.h"
#include "core/system/systemlocale.h"
#include "core/text/printable.h"
#include "core/text/textfiles.h"
#include "net/feedfetch.h"
#include "net/ftppublisher.h"
#include "net/publishsequence.h"
#include "window/editing/entryeditor.h"
#include "window/ftp/publication.h"
#include "window/pages/contentspage.h"
#include "window/pages/publishpage.h"
#include "window/pages/settingspage.h"
#include "window/platform/dialogs.h"
#include "window/platform/progresstask.h"
#include "window/shell/backgroundwriter.h"
#include "window/shell/feedcheckdialog.h"

#include <feedsmith/version.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QPointer>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTemporaryDir>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

QString productName()
{
    return QString::fromLatin1(Version::ProductName);
}

const QString ProjectFilter = u"*.rsx | *.rsx"_s;
const QString RssFilter = u"*.xml | *.xml"_s;

} // namespace

FileCommands::FileCommands(const PageContext &context, FileDialog &fileDialog, SettingsPage *settingsPage,
                           ContentsPage *contentsPage, PublishPage *publishPage, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_fileDialog(fileDialog)
    , m_settingsPage(settingsPage)
    , m_contentsPage(contentsPage)
    , m_publishPage(publishPage)
    , m_writer(new BackgroundWriter(this))
{ }

FileCommands::~FileCommands()
{
    m_downloadCancelled = true;
    if (m_download.joinable())
        m_download.join();
    cancelPublication();
}

void FileCommands::showDocumentFields()
{
    m_settingsPage->showDocumentFields();
    m_publishPage->showDocumentFields();
}

void FileCommands::clearDocument()
{
    // A write on its way reports on the document it was taken from.
    finishWrites();
    ClearDocument(m_context.document);
    m_fileDialog.setFileName(QString());
    showDocumentFields();
    m_contentsPage->clearEntry();
    m_settingsPage->clearHelp();
    m_publishPage->clearFileDate();
    emit documentReplaced();
}

QString FileCommands::documentName() const
{
    if (!m_context.document.projectPath.isEmpty())
        return escapedPath(QFileInfo(m_context.document.projectPath).fileName());
    const QString untitled = m_context.text(u"untitled"_s);
    return untitled.isEmpty() ? u"Untitled"_s : untitled;
}

bool FileCommands::maySave()
{
    // What is being edited counts as well: the commands that ask come through
    // whenEditorCommitted, and the copy holds the last keystroke.
    commitEditor();
    if (!m_context.document.changed)
        return true;
    const auto text = [this](const QString &key, const QString &fallback) {
        return m_context.startup.language.textTable.valueOr(key, fallback);
    };
    const QString question = text(u"savechanges"_s, u"Save changes to %1?"_s).arg(documentName());
    const MessageBoxes::SaveButtons buttons{text(u"savebutton"_s, u"Save"_s), text(u"discardbutton"_s, u"Discard"_s),
                                            text(u"cancelbutton"_s, u"Cancel"_s)};
    switch (m_context.messageBoxes.askSave(m_context.window, productName(), question, buttons)) {
    case MessageBoxes::SaveAnswer::Save: return saveProject(true);
    case MessageBoxes::SaveAnswer::Discard: return true;
    case MessageBoxes::SaveAnswer::Cancel: break;
    }
    return false;
}

void FileCommands::newDocument()
{
    whenEditorCommitted([this] {
        if (maySave())
            startNewDocument();
    });
}

void FileCommands::startNewDocument()
{
    clearDocument();
    // A project begun here keeps its letters exactly; reading a file or a feed into it sets its
    // options anew.
    SetNewProjectOptions(m_context.document.channel);
    showDocumentFields();
    setChanged(false);
    emit pageWanted(Page::Settings);
    m_settingsPage->startNewDocument();
}

void FileCommands::openProject()
{
    whenEditorCommitted([this] { openProjectNow(); });
}

void FileCommands::openProjectNow()
{
    if (!maySave())
        return;
    const QString previousFilter = m_fileDialog.filter();
    m_fileDialog.setFilter(ProjectFilter);
    const QString chosen = m_fileDialog.showOpen(m_context.window);
    // Cancelled: the document, its name and its changes stay as they were.
    if (chosen.isEmpty()) {
        m_fileDialog.setFilter(previousFilter);
        m_fileDialog.setFileName(m_context.document.projectPath);
        return;
    }
    openProjectFile(chosen);
}

void FileCommands::openRecent(const QString &path)
{
    whenEditorCommitted([this, path] {
        if (maySave())
            openProjectFile(path);
    });
}

void FileCommands::openProjectFile(const QString &chosen)
{
    const QString file = projectFileToRead(chosen);
    // A device, a pipe, a folder, an RSS file or a picture is never read as a project: the open
    // document stays as it is. A feed may be imported instead.
    if (QString reason = notRegularFileReason(file);
        !reason.isEmpty() || !(reason = notAProjectReason(file)).isEmpty()) {
        m_fileDialog.setFileName(m_context.document.projectPath);
        if (reason.isEmpty() || !IsFeedFile(file)) {
            fail(m_context.startup.language.textTable.valueOr(u"openfailed"_s, u"The project cannot be opened."_s),
                 escapedPath(QDir::toNativeSeparators(file)) + u": "_s + reason);
            return;
        }
        const QString question = m_context.startup.language.textTable
                                         .valueOr(u"importinstead"_s,
                                                  u"%1 is a feed, not a Feedsmith project. Import it into a new "
                                                  "project?"_s)
                                         .arg(escapedPath(QFileInfo(file).fileName()));
        if (m_context.messageBoxes.askQuestion(m_context.window, productName(), question))
            importFeedFrom(file);
        return;
    }
    startNewDocument();
    const ProjectReadResult result = ReadProjectFile(m_context.document, chosen, m_context.startup.programFolder,
                                                     m_context.startup.language.textTable, SystemLocale::locale());
    // A file that is there but fails while it is read (it changed since the check) leaves a new,
    // untitled document: Save must not write the empty document over it. A missing file gives
    // the new document under its name.
    if (!result.fileOpened && QFileInfo::exists(file)) {
        fail(m_context.startup.language.textTable.valueOr(u"openfailed"_s, u"The project cannot be opened."_s),
             escapedPath(QDir::toNativeSeparators(file)) + u": "_s + result.error);
        startNewDocument();
        return;
    }
    m_context.document.projectPath = chosen;
    m_feedFileOfProject = m_context.document.ftp.ftpfile;
    emit projectNamed(chosen);
    showDocumentFields();
    m_contentsPage->entryEditor()->refreshTree();
    m_publishPage->refreshFileDate();
    setChanged(false);

    const KeyedTexts &texts = m_context.startup.language.textTable;
    QStringList notes = ProjectReadNotes(m_context.document, result, texts, NoteDetail::Summary);
    if (result.entriesLeftOut > 0) {
        notes.prepend(texts.valueOr(u"entriesleftout"_s,
                                    u"It holds more entries than a project can have. The first %1 entries were "
                                    "opened; %2 were left out."_s)
                              .arg(EntryCollection::MaxEntries)
                              .arg(result.entriesLeftOut));
    }
    if (!notes.isEmpty()) {
        m_context.messageBoxes.information(m_context.window, productName(),
                                           texts.valueOr(u"opennotes"_s, u"%1 was opened. Please note:"_s)
                                                           .arg(escapedPath(QDir::toNativeSeparators(file)))
                                                   + u"\n\n"_s + notes.join(u"\n\n"_s));
    }
}

bool FileCommands::restoreRecovery(const QString &copyFile, const QString &projectPath)
{
    const QString reason = notPlainFileReason(copyFile);
    if (!reason.isEmpty()) {
        fail(u"The unsaved work cannot be restored."_s,
             escapedPath(QDir::toNativeSeparators(copyFile)) + u": "_s + reason);
        return false;
    }
    startNewDocument();
    const ProjectReadResult result = ReadProjectFile(m_context.document, copyFile, m_context.startup.programFolder,
                                                     m_context.startup.language.textTable, SystemLocale::locale());
    if (!result.fileOpened) {
        fail(u"The unsaved work cannot be restored."_s,
             escapedPath(QDir::toNativeSeparators(copyFile)) + u": "_s + result.error);
        return false;
    }
    // A path that holds no project is not saved over: Save then asks for a name.
    m_context.document.projectPath = RestoredProjectPath(projectPath);
    m_feedFileOfProject = m_context.document.ftp.ftpfile;
    m_fileDialog.setFileName(m_context.document.projectPath);
    showDocumentFields();
    m_contentsPage->entryEditor()->refreshTree();
    m_publishPage->refreshFileDate();
    setChanged(true);
    return true;
}

void FileCommands::importFeed()
{
    whenEditorCommitted([this] { importFeedNow(); });
}

void FileCommands::importFeedNow()
{
    if (!maySave())
        return;
    const QString previousFilter = m_fileDialog.filter();
    m_fileDialog.setFilter(u"*.xml *.rss *.atom | *.xml *.rss *.atom | * | *"_s);
    m_fileDialog.setFileName(QString()); // where feeds were imported from last
    const QString chosen = m_fileDialog.showOpen(m_context.window);
    m_fileDialog.setFilter(previousFilter);
    m_fileDialog.setFileName(m_context.document.projectPath);
    if (!chosen.isEmpty())
        importFeedFrom(chosen);
}

void FileCommands::importFeedFromAddress()
{
    whenEditorCommitted([this] { importFeedFromAddressNow(); });
}

void FileCommands::importFeedFromAddressNow()
{
    if (!maySave())
        return;
    const QString prompt = m_context.text(u"importprompt"_s);
    const QString address =
            m_context.messageBoxes
                    .askText(m_context.window, productName(),
                             prompt.isEmpty() ? u"Address of the feed (http:// or https://):"_s : prompt)
                    .trimmed();
    if (!address.isEmpty())
        importFeedFrom(address);
}

bool FileCommands::importFeedFrom(const QString &source)
{
    if (!isFeedAddress(source)) {
        QByteArray bytes;
        QString error;
        const bool read = ReadFeedFile(source, &bytes, &error);
        return loadImportedFeed(source, read, std::move(bytes), error);
    }
    if (m_download.joinable())
        return false; // one download at a time
    // Downloaded beside the window, which shows a Cancel button meanwhile.
    const KeyedTexts &texts = m_context.startup.language.textTable;
    QPointer<QProgressDialog> progress = newProgressDialog(m_context.window, u"importProgress"_s, productName(),
                                                           texts.valueOr(u"cancelbutton"_s, u"Cancel"_s));
    progress->setLabelText(texts.valueOr(u"importdownloading"_s, u"Downloading %1…"_s).arg(printable(source)));
    m_downloadCancelled = false;
    connect(progress, &QProgressDialog::canceled, this, [this] { m_downloadCancelled = true; });
    progress->show();
    m_download = std::thread([this, source, progress] {
        auto bytes = std::make_shared<QByteArray>();
        QString error;
        FetchProblem problem;
        const bool read = FetchFeed(source, MaxFeedBytes, bytes.get(), &error, &m_downloadCancelled, &problem);
        QMetaObject::invokeMethod(
                this,
                [this, source, progress, read, bytes, error, problem] {
                    m_download.join();
                    // Closing the dialog counts as its Cancel: what the user chose is read first.
                    const bool cancelled = m_downloadCancelled;
                    endProgressDialog(progress);
                    if (cancelled)
                        return;
                    if (read)
                        loadImportedFeed(source, read, std::move(*bytes), error);
                    else
                        downloadFailed(source, problem);
                },
                Qt::QueuedConnection);
    });
    return true;
}

void FileCommands::downloadFailed(const QString &address, const FetchProblem &problem)
{
    // One sentence in the user's language, and curl's or the server's words behind Details.
    const KeyedTexts &texts = m_context.startup.language.textTable;
    using Kind = FetchProblem::Kind;
    QString text;
    switch (problem.kind) {
    case Kind::HostNotFound:
        text = texts.valueOr(u"importnohost"_s,
                             u"The feed at %1 could not be downloaded: the server cannot be found."_s);
        break;
    case Kind::NoAnswer:
        text = texts.valueOr(u"importnoanswer"_s,
                             u"The feed at %1 could not be downloaded: the server does not answer."_s);
        break;
    case Kind::Insecure:
        text = texts.valueOr(u"importinsecure"_s,
                             u"The feed at %1 could not be downloaded: no secure connection to the server could be set "
                             "up, or its certificate is not valid."_s);
        break;
    case Kind::Status:
        text = texts.valueOr(u"importstatus"_s, u"The feed at %1 could not be downloaded: the server answered %2."_s);
        break;
    case Kind::TooLarge:
        text = texts.valueOr(u"importtoolarge"_s,
                             u"The feed at %1 could not be downloaded: it is larger than %2 MB."_s);
        break;
    case Kind::LocalRedirect:
        text = texts.valueOr(u"importredirect"_s,
                             u"The feed at %1 could not be downloaded: the server sent it on to a private or local "
                             "address, which is not followed."_s);
        break;
    default:
        text = texts.valueOr(u"importdownloadfailed"_s,
                             u"The feed at %1 could not be downloaded. The details say what went wrong."_s);
        break;
    }
    // The number first: an address may hold "%2" of its own.
    text.replace(
            u"%2"_s,
            QString::number(problem.kind == Kind::TooLarge ? MaxFeedBytes / (1024 * 1024) : qint64(problem.status)));
    text.replace(u"%1"_s, printable(address));
    m_context.messageBoxes.criticalWithDetails(m_context.window, productName(), text, problem.details);
}

bool FileCommands::loadImportedFeed(const QString &source, bool read, QByteArray bytes, const QString &readError)
{
    QString error = readError;
    ImportedFeed feed;
    if (!read || !ParseFeed(bytes, Clock::now(), &feed, &error)) {
        const QString heading = m_context.text(u"importfailed"_s);
        fail(heading.isEmpty() ? u"The feed cannot be imported."_s : heading,
             (isFeedAddress(source) ? printable(source) : escapedPath(QDir::toNativeSeparators(source))) + u": "_s
                     + error);
        return false;
    }
    bytes.clear();
    startNewDocument();
    LoadImportedFeed(m_context.document, feed, m_context.startup.language.textTable,
                     BuildStyleBlock(m_context.startup.programFolder));
    showDocumentFields();
    m_contentsPage->entryEditor()->refreshTree();
    m_publishPage->refreshFileDate();
    // Nothing of it is saved yet: a new document, typed in.
    setChanged(true);
    QStringList notes;
    for (const QString &note : std::as_const(feed.notes))
        notes.append(printable(note));
    if (feed.itemsLeftOut > 0) {
        notes.append(u"The feed holds more items than a project can have; the newest %1 were imported, %2 left out."_s
                             .arg(EntryCollection::MaxEntries)
                             .arg(feed.itemsLeftOut));
    }
    if (!notes.isEmpty()) {
        const QString heading = m_context.text(u"importnotes"_s);
        m_context.messageBoxes.information(
                m_context.window, productName(),
                (heading.isEmpty()
                         ? u"The feed was imported. Some of its values were changed, and what a project cannot hold was left out:"_s
                         : heading)
                        + u"\n"_s + notes.join(u'\n'));
    }
    return true;
}

bool FileCommands::saveProject(bool wait)
{
    if (m_context.document.projectPath.isEmpty())
        m_context.document.projectPath = askProjectName();
    return writeProject(wait);
}

QString FileCommands::askProjectName()
{
    m_fileDialog.setFilter(ProjectFilter);
    const QString chosen = m_fileDialog.showSave(m_context.window);
    const QString suffix = QFileInfo(chosen).suffix();
    if (chosen.isEmpty() || suffix.compare("rsx"_L1, Qt::CaseInsensitive) == 0)
        return chosen;
    // A project under the name of a feed or a picture looks like one, and may take its place.
    const QString question =
            m_context.startup.language.textTable
                    .valueOr(u"saveotherextension"_s,
                             u"%1 ends in .%2, not in .rsx as projects do: feeds and other files end like this, and "
                             "the project would look like one of them. Save the project under this name all the "
                             "same?"_s)
                    .arg(escapedPath(QFileInfo(chosen).fileName()), printable(suffix));
    if (m_context.messageBoxes.askYesNo(m_context.window, productName(), question))
        return chosen;
    m_fileDialog.setFileName(m_context.document.projectPath);
    return {};
}

void FileCommands::commitEditor()
{
    m_contentsPage->entryEditor()->commitCurrentEntry();
}

void FileCommands::whenEditorCommitted(std::function<void()> command)
{
    m_contentsPage->entryEditor()->whenEditorCurrent([self = QPointer(this), command = std::move(command)] {
        if (!self)
            return;
        self->commitEditor();
        command();
    });
}

void FileCommands::save()
{
    whenEditorCommitted([this] { saveProject(); });
}

void FileCommands::settlePodcastGuid()
{
    // Made when the feed is first written with a public address, and kept from then on.
    if (!SettlePodcastGuid(m_context.document))
        return;
    m_context.markChanged();
    m_settingsPage->showDocumentFields();
}

void FileCommands::finishWrites()
{
    m_writer->finish();
}

void FileCommands::saveProjectAs()
{
    whenEditorCommitted([this] { saveProjectAsNow(); });
}

void FileCommands::saveProjectAsNow()
{
    // Save as writes a project, whatever the dialog offered last; a name without an extension
    // gets ".rsx". Cancelled, the project keeps its name.
    const QString chosen = askProjectName();
    if (chosen.isEmpty()) {
        m_fileDialog.setFileName(m_context.document.projectPath);
        return;
    }
    m_context.document.projectPath = chosen;
    writeProject(false);
}

bool FileCommands::writeProject(bool wait)
{
    // No name (a cancelled dialog): nothing is written.
    if (m_context.document.projectPath.isEmpty()) {
        setChanged(m_context.document.changed); // the title names the project again
        return false;
    }
    commitEditor();
    settlePodcastGuid();
    std::shared_ptr<const FeedDocument> snapshot = DocumentSnapshot(m_context.document);
    auto saved = std::make_shared<bool>(false);
    m_writer->start(
            [snapshot, programFolder = m_context.startup.programFolder](QString *error) {
                return WriteProjectFile(*snapshot, snapshot->projectPath, programFolder, error);
            },
            [this, saved, revision = snapshot->revision, path = snapshot->projectPath](bool written,
                                                                                       const QString &error) {
                *saved = written;
                if (!written) {
                    fail(u"The project could not be saved."_s, error);
                    setChanged(m_context.document.changed);
                } else if (m_context.document.revision == revision) {
                    setChanged(false);
                } // else changed since: the document keeps its changes and says so
                if (written)
                    emit projectNamed(path);
            });
    emit writing(m_context.text(u"writingfile"_s).arg(escapedPath(QFileInfo(snapshot->projectPath).fileName())));
    if (!wait)
        return true;
    m_writer->finish();
    return *saved;
}

void FileCommands::setChanged(bool changed)
{
    if (m_context.setChanged)
        m_context.setChanged(changed);
    else
        m_context.document.changed = changed;
}

void FileCommands::generateRss()
{
    whenEditorCommitted([this] { generateRssNow(); });
}

void FileCommands::generateRssNow()
{
    const QString suggested =
            !m_context.document.rssPath.isEmpty() ? m_context.document.rssPath : m_context.document.ftp.ftpfile;
    // A saved project offers its feed beside it: under its own name with ".xml" the first time, a
    // relative name counted from its folder.
    QString offered = suggested;
    if (const QString project = m_context.document.projectPath; !project.isEmpty()) {
        if (offered.isEmpty())
            offered = QFileInfo(project).absolutePath() + u'/' + QFileInfo(project).completeBaseName() + u".xml"_s;
        else if (QDir::isRelativePath(offered))
            offered = FeedCopyPath(offered, project);
    }
    m_fileDialog.setFileName(offered);
    m_fileDialog.setFilter(RssFilter);
    const QString chosen = m_fileDialog.showSave(m_context.window);
    // The open project is never replaced by its feed.
    if (!chosen.isEmpty() && !m_context.document.projectPath.isEmpty()
        && isSameFile(chosen, projectFileToRead(m_context.document.projectPath))) {
        fail(m_context.startup.language.textTable.valueOr(u"rssfailed"_s, u"The RSS file could not be written."_s),
             escapedPath(QDir::toNativeSeparators(chosen)) + u": "_s
                     + m_context.startup.language.textTable.valueOr(u"rssisproject"_s,
                                                                    u"this is the open project's file"_s));
        m_fileDialog.setFileName(m_context.document.projectPath);
        return;
    }
    // A path the project suggested and the dialog merely confirmed may have been chosen by the
    // project's author: outside the places a feed belongs, the user is asked first.
    const bool merelyConfirmed = suggested == m_feedFileOfProject
            && (QDir::cleanPath(chosen) == QDir::cleanPath(offered)
                || QDir::cleanPath(chosen) == QDir::cleanPath(suggested)
                || (QDir::isRelativePath(suggested) && chosen.endsWith(u'/' + QDir::cleanPath(suggested))));
    if (!chosen.isEmpty() && !m_feedFilesChosen.contains(chosen) && merelyConfirmed) {
        QString reason;
        if (!MayKeepFeedCopy(chosen, m_context.document.projectPath, &reason)
            && !m_context.messageBoxes.askYesNo(
                    m_context.window, productName(),
                    m_context.startup.language.textTable
                            .valueOr(u"rsselsewhere"_s,
                                     u"The project names %1 as the place of its RSS file, which you "
                                     "have not chosen in this session: %2. Write the RSS file there?"_s)
                            .arg(escapedPath(QDir::toNativeSeparators(chosen)), reason))) {
            m_fileDialog.setFileName(m_context.document.projectPath);
            return;
        }
    }
    // A cancelled dialog writes nothing and leaves the paths as they were.
    if (!chosen.isEmpty()) {
        m_feedFilesChosen.insert(chosen);
        m_context.document.rssPath = chosen;
        m_publishPage->setFeedFile(chosen);
        settlePodcastGuid();
        std::shared_ptr<const FeedDocument> snapshot = DocumentSnapshot(m_context.document);
        auto mediaUnreachable = std::make_shared<bool>(false);
        m_writer->start(
                [snapshot, mediaUnreachable, programFolder = m_context.startup.programFolder,
                 now = Clock::now()](QString *error) {
                    RssFacts facts;
                    const bool written = WriteRssFile(*snapshot, snapshot->rssPath, programFolder, now, error, &facts);
                    *mediaUnreachable = facts.mediaWithoutPublicAddress;
                    return written;
                },
                [this, path = chosen, mediaUnreachable](bool written, const QString &error) {
                    const KeyedTexts &texts = m_context.startup.language.textTable;
                    if (!written) {
                        fail(texts.valueOr(u"rssfailed"_s, u"The RSS file could not be written."_s), error);
                        return;
                    }
                    m_publishPage->refreshFileDate();
                    emit feedWritten(path);
                    if (*mediaUnreachable)
                        m_context.messageBoxes.warning(
                                m_context.window, productName(),
                                texts.valueOr(u"picturesnotpublic"_s,
                                              u"The feed shows pictures of the media folder, but the project has "
                                              "no public address of the feed: readers will not see them."_s));
                });
        emit writing(m_context.text(u"writingfile"_s).arg(escapedPath(QFileInfo(chosen).fileName())));
        if (ResetFeedItemNumber(m_context.document.channel))
            showDocumentFields();
    }
    // The same dialog serves the project commands.
    m_fileDialog.setFileName(m_context.document.projectPath);
}

void FileCommands::generateFromPublishPage()
{
    if (m_context.document.rssPath.isEmpty() && !m_context.document.ftp.ftpfile.isEmpty())
        m_context.document.rssPath = m_context.document.ftp.ftpfile;
    generateRss();
}

void FileCommands::fail(const QString &what, const QString &error)
{
    m_context.messageBoxes.warning(m_context.window, productName(), what + u"\n\n"_s + printable(error));
}

void FileCommands::checkFeed()
{
    whenEditorCommitted([this] { runFeedCheck(false); });
}

void FileCommands::publish()
{
    whenEditorCommitted([this] { runFeedCheck(true); });
}

void FileCommands::runFeedCheck(bool beforePublishing)
{
    const KeyedTexts &texts = m_context.startup.language.textTable;
    // The name the feed is uploaded under is asked for before any work.
    if (beforePublishing && m_context.document.ftp.ftpfile.trimmed().isEmpty()) {
        emit pageWanted(Page::Ftp);
        m_context.messageBoxes.warning(
                m_context.window, productName(),
                texts.valueOr(u"publishnofile"_s,
                              u"Enter the name of the feed file first: the feed is uploaded under its name."_s));
        return;
    }
    if (beforePublishing)
        settlePodcastGuid();
    auto sequence = std::make_shared<PublishSequence>(DocumentSnapshot(m_context.document),
                                                      m_context.startup.programFolder, texts, Clock::now());
    auto findings = std::make_shared<QList<FeedFinding>>();
    m_writer->start(
            [sequence, findings](QString *) {
                *findings = sequence->check();
                return true;
            },
            [this, sequence, findings, beforePublishing](bool, const QString &) {
                const KeyedTexts &texts = m_context.startup.language.textTable;
                if (findings->isEmpty()) {
                    if (beforePublishing)
                        buildForPublishing(sequence);
                    else
                        m_context.messageBoxes.information(
                                m_context.window, productName(),
                                texts.valueOr(u"checkpassed"_s, u"The feed check found nothing to correct."_s));
                    return;
                }
                auto *dialog = new FeedCheckDialog(*findings, beforePublishing, texts, m_context.window);
                connect(dialog, &FeedCheckDialog::findingActivated, this, &FileCommands::findingActivated);
                connect(dialog, &FeedCheckDialog::publishAnyway, this,
                        [this, sequence] { buildForPublishing(sequence); });
                connect(dialog, &FeedCheckDialog::copyIntoMediaFolder, this, &FileCommands::copyIntoMediaFolder);
                dialog->open();
            });
}

void FileCommands::buildForPublishing(const std::shared_ptr<PublishSequence> &sequence)
{
    const KeyedTexts &texts = m_context.startup.language.textTable;
    emit writing(texts.valueOr(u"publishwriting"_s, u"Writing the feed for publishing…"_s));
    m_writer->start([sequence](QString *error) { return sequence->build(error); },
                    [this, sequence](bool written, const QString &error) {
                        if (!written) {
                            fail(m_context.startup.language.textTable.valueOr(
                                         u"rssfailed"_s, u"The RSS file could not be written."_s),
                                 error);
                            return;
                        }
                        if (sequence->built().copyKept)
                            m_publishPage->refreshFileDate();
                        uploadInBackground(sequence);
                    });
}

void FileCommands::copyIntoMediaFolder()
{
    whenEditorCommitted([this] { copyIntoMediaFolderNow(); });
}

void FileCommands::copyIntoMediaFolderNow()
{
    const FeedDocument &document = m_context.document;
    QList<UnpublishableFile> refused;
    PublishedFiles(document, FeedItemCount(document.channel, document.entryCount()).taken, &refused);
    if (refused.isEmpty())
        return;
    const KeyedTexts &texts = m_context.startup.language.textTable;
    auto *task = new ProgressTask(m_context.window, u"mediaCopyProgress"_s, productName(),
                                  texts.valueOr(u"copyingintomedia"_s, u"Copying files into the media folder…"_s),
                                  texts.valueOr(u"cancelbutton"_s, u"Cancel"_s), this);
    auto copies = std::make_shared<QList<MediaCopy>>();
    task->start(
            [refused, copies, projectPath = document.projectPath](const ProgressTask::Progress &progress) {
                *copies = CopyIntoMediaFolder(refused, projectPath, progress);
            },
            [this, copies, total = refused.size(), projectPath = document.projectPath](bool) {
                const KeyedTexts &texts = m_context.startup.language.textTable;
                if (projectPath != m_context.document.projectPath)
                    return; // another project meanwhile: its entries are not these
                // What is typed stays; the entries name their copies.
                EntryEditor *editor = m_contentsPage->entryEditor();
                editor->commitCurrentEntry();
                if (ApplyMediaCopies(m_context.document, *copies) > 0) {
                    m_context.markChanged();
                    editor->reloadCurrentEntry();
                }
                int copied = 0;
                QStringList failures;
                for (const MediaCopy &copy : std::as_const(*copies)) {
                    if (copy.error.isEmpty())
                        ++copied;
                    else
                        failures.append(printable(copy.error));
                }
                QString text = texts.valueOr(u"copiedintomedia"_s,
                                             u"%1 of %2 files were copied into the media "
                                             "folder; publishing uploads them from there."_s)
                                       .arg(copied)
                                       .arg(total);
                if (!failures.isEmpty())
                    text += u"\n\n"_s + failures.join(u'\n');
                if (failures.isEmpty())
                    m_context.messageBoxes.information(m_context.window, productName(), text);
                else
                    m_context.messageBoxes.warning(m_context.window, productName(), text);
            });
}

void FileCommands::uploadAsItIs()
{
    const QString file = m_context.document.ftp.ftpfile.trimmed();
    if (file.isEmpty()) {
        emit pageWanted(Page::Ftp);
        m_context.messageBoxes.warning(
                m_context.window, productName(),
                m_context.startup.language.textTable.valueOr(
                        u"publishnofile"_s,
                        u"Enter the name of the feed file first: the feed is uploaded under its name."_s));
        return;
    }
    // A project may come from someone else: only a feed in its folder goes out as it is, never a
    // file its name leads to elsewhere.
    QString path;
    if (const QString problem =
                FeedUploadProblem(m_context.document.ftp.ftpfile, m_context.document.projectPath, &path);
        !problem.isEmpty()) {
        fail(m_context.startup.language.textTable.valueOr(u"uploadrefused"_s,
                                                          u"The feed file is not uploaded as it is."_s),
             escapedPath(QDir::toNativeSeparators(m_context.document.ftp.ftpfile)) + u" \u2192 "_s
                     + escapedPath(QDir::toNativeSeparators(path)) + u": "_s + problem);
        return;
    }
    uploadInBackground(PublishSequence::ofFile(path, m_context.startup.language.textTable));
}

bool FileCommands::isPublishing() const
{
    return m_publication && m_publication->isRunning();
}

void FileCommands::cancelPublication()
{
    // Deleting it cancels it and waits for its thread, a second at most.
    delete m_publication;
    m_publication = nullptr;
}

ProgressPanel *FileCommands::publishPanel()
{
    if (!m_publishPanel) {
        const KeyedTexts &texts = m_context.startup.language.textTable;
        m_publishPanel = new ProgressPanel(texts.valueOr(u"cancelbutton"_s, u"Cancel"_s),
                                           texts.valueOr(u"publishprogress"_s, u"Progress"_s), m_context.window);
        m_publishPanel->setObjectName(u"publishProgress"_s);
        if (auto *window = qobject_cast<QMainWindow *>(m_context.window))
            window->statusBar()->addPermanentWidget(m_publishPanel);
    }
    return m_publishPanel;
}

void FileCommands::uploadInBackground(const std::shared_ptr<PublishSequence> &sequence)
{
    if (isPublishing())
        return;
    const KeyedTexts &texts = m_context.startup.language.textTable;
    const FtpSettings settings = m_context.document.ftp;
    if (!settings.ftppassword.isEmpty())
        protectFromCoreDumps();
    delete m_publication;
    m_publication = new Publication(sequence, settings, m_makeInternet, this);
    // The window stays usable while the feed goes out; the status bar shows how far it is.
    ProgressPanel *panel = publishPanel();
    Publication *publication = m_publication;
    connect(panel, &ProgressPanel::canceled, publication, [publication, panel, texts] {
        publication->cancel();
        panel->setCancelling(texts.valueOr(u"publishcancelling"_s, u"Cancelling…"_s));
    });
    connect(publication, &Publication::progressed, panel, &ProgressPanel::setProgress);
    const QString projectPath = m_context.document.projectPath;
    connect(publication, &Publication::finished, this,
            [this, publication, panel, settings, projectPath](bool uploaded) {
                // A question stopped the upload before anything was sent: asked here, it starts
                // again with the answer.
                if (const std::optional<FtpQuestion> question = publication->question()) {
                    const QString title = productName();
                    const QString text = printable(question->text);
                    const bool yes = question->kind == FtpQuestion::Kind::TrustServer
                            ? m_context.messageBoxes.askYesNo(m_context.window, title, text)
                            : m_context.messageBoxes.askQuestion(m_context.window, title, text);
                    if (m_publication == publication) {
                        publication->answer(*question, yes);
                        publication->start();
                    }
                    return;
                }
                // The moment the upload ended, not the moment its message is closed.
                const QString finishedAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
                disconnect(panel, nullptr, publication, nullptr);
                panel->hide();
                const KeyedTexts &texts = m_context.startup.language.textTable;
                const QString title = productName();
                for (const Publication::Message &message : publication->messages()) {
                    switch (message.icon) {
                    case FtpMessages::Icon::None:
                        m_context.messageBoxes.plain(m_context.window, title, message.text);
                        break;
                    case FtpMessages::Icon::Exclamation:
                        m_context.messageBoxes.warning(m_context.window, title, message.text);
                        break;
                    case FtpMessages::Icon::Critical:
                        if (message.details.isEmpty())
                            m_context.messageBoxes.critical(m_context.window, title, message.text);
                        else
                            m_context.messageBoxes.criticalWithDetails(m_context.window, title, message.text,
                                                                       message.details);
                        break;
                    case FtpMessages::Icon::Information:
                        if (uploaded) {
                            const QString address = settings.feedurl.trimmed();
                            const QString text = address.isEmpty() ? message.text
                                                                   : message.text + u"\n\n"_s
                                            + texts.valueOr(u"publishedat"_s, u"Readers find the feed at %1"_s)
                                                      .arg(printable(address));
                            // Only a web address is offered to the browser: "Open" on a file: or any
                            // other address from a project would start whatever program handles it.
                            m_context.messageBoxes.informationWithAddress(
                                    m_context.window, title, text, IsWebAddress(address) ? address : QString(),
                                    texts.valueOr(u"openinbrowser"_s, u"Open in browser"_s));
                        } else {
                            m_context.messageBoxes.information(m_context.window, title, message.text);
                        }
                        break;
                    }
                }
                // Remembered in the project it was published from, and shown on the publish page.
                if (uploaded && projectPath == m_context.document.projectPath
                    && settings.ftpurl == m_context.document.ftp.ftpurl) {
                    FtpSettings &ftp = m_context.document.ftp;
                    ftp.lastpublished = finishedAt;
                    ftp.lastpublishedserver = settings.ftpurl;
                    ftp.lastpublishedaddress = settings.feedurl.trimmed();
                    ftp.lastpublishedfiles = publication->publishedFiles();
                    m_context.markChanged();
                    m_publishPage->showLastPublication();
                }
                if (m_publication == publication) {
                    m_publication = nullptr;
                    publication->deleteLater();
                }
                emit publicationEnded(uploaded);
            });
    panel->begin(texts.valueOr(u"publishtitle"_s, u"Publishing"_s));
    publication->start();
}

} // namespace Feedsmith
