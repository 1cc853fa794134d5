// The file commands of the main window: new, open, save, save as and generate RSS.
#pragma once

#include "core/document/media.h"
#include "core/output/feedcheck.h"
#include "window/editing/tabswitching.h"
#include "window/pages/pagecontext.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

class QTemporaryDir;

namespace Feedsmith {

class BackgroundWriter;
class Internet;
struct FetchProblem;
class Publication;
class PublishSequence;
class ProgressPanel;
class ContentsPage;
class FileDialog;
class PublishPage;
class SettingsPage;

// Reads and writes the document's project and RSS files through the file dialog, and brings
// the pages up to date with what was read or written.
class FileCommands : public QObject
{
    Q_OBJECT

public:
    FileCommands(const PageContext &context, FileDialog &fileDialog, SettingsPage *settingsPage,
                 ContentsPage *contentsPage, PublishPage *publishPage, QObject *parent = nullptr);
    // Ends a download or publication under way first.
    ~FileCommands() override;

    // New and Open ask first, through maySave, when the document has changes.
    void newDocument();
    void openProject();
    // Opens a project named on the command line, without a dialog.
    void openProjectFile(const QString &path);
    // File › Open recent: asks to save changes first, then opens the project.
    void openRecent(const QString &path);
    // File > Import feed...: a feed file chosen in the open dialog, or typed at the address
    // prompt (an http or https address is downloaded), read into a new, unsaved document.
    void importFeed();
    void importFeedFromAddress();
    // Reads a feed from a file or an http(s) address into a new document; false (and a message)
    // when it cannot be read, and the open document then stays as it is.
    // An address is downloaded beside the window (with a Cancel button), and read when it has
    // come: true when the download started.
    bool importFeedFrom(const QString &source);
    // Every command that reads or replaces the document (save, generate, check, publish, new,
    // open, close) goes on from here: once the editor holds its last keystroke, what is being
    // edited is committed into its entry and `command` runs. At once when nothing is on its way
    // to the editor's page, else when the page has answered; nothing waits meanwhile.
    void whenEditorCommitted(std::function<void()> command);
    // File › Save: saveProject once the editor is committed.
    void save();
    // Writes the project in the background from a snapshot taken now: false when nothing is
    // written (no name chosen), else true; a failure is reported when the write has ended. With
    // `wait`, the write has ended before the return, and false also means it failed.
    bool saveProject(bool wait = false);
    void saveProjectAs();
    // Asks "Save changes to NAME?" when the document has changes: true when the caller may go
    // on (saved, or the changes discarded), false when the user cancelled or saving failed.
    bool maySave();
    // Opens a recovery copy as a changed document named `projectPath` (empty: never saved).
    // False, with a message, when the copy cannot be read.
    bool restoreRecovery(const QString &copyFile, const QString &projectPath);
    // The project's file name, or the "untitled" text for a project never saved.
    QString documentName() const;
    // Asks where, then writes the RSS file in the background from a snapshot taken now.
    void generateRss();
    // File > Check feed: the feed check on a snapshot taken now, in the background; its findings
    // in a dialog, or a message that there are none.
    void checkFeed();
    // File > Publish and the publish page's button: the feed check, then (no errors, and the
    // warnings accepted) the feed written from the same snapshot into a private folder (and
    // kept at the feed file when that is where a feed belongs), then uploaded.
    void publish();
    // "Copy into the media folder" of the feed check: the files the published entries name
    // outside the project's media folder are copied in (beside the window, with Cancel), and the
    // entries name the copies.
    void copyIntoMediaFolder();
    // The publish page's "upload the file as it is": the feed file named on the page, uploaded
    // as it is on the disk, neither checked nor written anew.
    void uploadAsItIs();
    // Whether a publication is uploading; cancelPublication stops it and waits for its end.
    bool isPublishing() const;
    void cancelPublication();
    // The running publication; null when none runs.
    Publication *publication() const { return m_publication; }
    // The Internet library publications use (tests give a slow one); libcurl's by default.
    void setInternetMaker(std::function<std::unique_ptr<Internet>()> make) { m_makeInternet = std::move(make); }
    // Waits for the writes on their way and reports how they ended.
    void finishWrites();
    BackgroundWriter *writer() const { return m_writer; }
    // The publish page's generate button: the feed file box names the file to offer.
    void generateFromPublishPage();
    // Empties the document and everything that shows it.
    void clearDocument();
    // Writes the document's channel and FTP fields into their boxes.
    void showDocumentFields();

signals:
    void pageWanted(Page page);
    // A file is being written in the background: the words to show meanwhile.
    void writing(const QString &message);
    // Generate wrote the RSS file there.
    void feedWritten(const QString &path);
    // A publication has ended, its messages shown.
    void publicationEnded(bool uploaded);
    // A finding of the feed check was chosen in its dialog.
    void findingActivated(const FeedFinding &finding);
    // A project was opened from or saved to this file (for File › Open recent).
    void projectNamed(const QString &path);
    // Another document took the place of the one shown (new, open, import).
    void documentReplaced();

private:
    bool writeProject(bool wait);
    // Reads what an import read or downloaded into a new document; false (and a message) when
    // it cannot be read.
    bool loadImportedFeed(const QString &source, bool read, QByteArray bytes, const QString &readError);
    // A download from an address failed: the sentence, and the details behind a button.
    void downloadFailed(const QString &address, const FetchProblem &problem);
    // The feed check on a snapshot; buildForPublishing follows when publishing and the user goes on.
    void runFeedCheck(bool beforePublishing);
    // The feed built for publishing in the background, then uploaded.
    void buildForPublishing(const std::shared_ptr<PublishSequence> &sequence);
    // The upload step off the window's thread, its progress in the status bar.
    void uploadInBackground(const std::shared_ptr<PublishSequence> &sequence);
    // New without asking.
    void startNewDocument();
    // The status bar's panel of a publication, made at the first.
    ProgressPanel *publishPanel();
    void setChanged(bool changed);
    // The commands of the same names, once the editor is committed.
    void openProjectNow();
    void importFeedNow();
    void importFeedFromAddressNow();
    void saveProjectAsNow();
    void generateRssNow();
    void copyIntoMediaFolderNow();
    // Takes what is being edited into its entry: the editor's copy, the title, link and details
    // as typed.
    void commitEditor();
    // Gives a podcast its GUID when it has none and the feed has a public address.
    void settlePodcastGuid();
    // The save dialog for a project's name: ".rsx" added to a name without an extension, another
    // extension taken only when the user says so. Empty when cancelled.
    QString askProjectName();
    void fail(const QString &what, const QString &error);

    PageContext m_context;
    FileDialog &m_fileDialog;
    SettingsPage *m_settingsPage;
    ContentsPage *m_contentsPage;
    PublishPage *m_publishPage;
    BackgroundWriter *m_writer;
    Publication *m_publication = nullptr;
    ProgressPanel *m_publishPanel = nullptr;
    std::thread m_download; // an import from an address
    std::atomic<bool> m_downloadCancelled = false;
    std::function<std::unique_ptr<Internet>()> m_makeInternet; // the libcurl one when empty
    QSet<QString> m_feedFilesChosen; // where the user had the RSS file written in this session
    QString m_feedFileOfProject; // the local feed file named by the project file opened
};

} // namespace Feedsmith
