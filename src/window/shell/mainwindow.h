// The program's working window: menus, file toolbar and the tab bar over the four pages.
#pragma once

#include "core/document/feeddocument.h"
#include "core/output/feedcheck.h"
#include "core/startup/startup.h"
#include "window/editing/tabswitching.h"
#include "window/pages/captions.h"

#include <QList>
#include <QMainWindow>
#include <QString>

class QMenu;
class QStackedWidget;
class QTabBar;
class QToolBar;

namespace Feedsmith {

class ContentsPage;
class EditCommands;
class FileCommands;
class FileDialog;
class MessageBoxes;
class PreviewPage;
class PublishPage;
class RecoveryKeeper;
class SettingsPage;

// The main window. It owns the one feed document, which every page reads and writes, and the
// file commands. Controls carry fixed object names (txtTitle, freSettings, cmdnewentry, ...);
// captions start as their language keys until the language texts are applied.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The settings page is shown and the file dialog starts in the "feeds" folder.
    MainWindow(const StartupState &startup, FileDialog &fileDialog, MessageBoxes &messageBoxes,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    // The caption lines of the language file, then the toolbars' tool tips from TextTable.
    void applyCaptions(const QList<CaptionLine> &captions);
    void setToolTips();

    FeedDocument &document() { return m_document; }
    const StartupState &startup() const { return m_startup; }
    // A TextTable text ("rootkey", "lastmodified", ...); empty when the language lacks it.
    QString text(const QString &key) const;

    SettingsPage *settingsPage() const { return m_settingsPage; }
    ContentsPage *contentsPage() const { return m_contentsPage; }
    PreviewPage *previewPage() const { return m_previewPage; }
    PublishPage *publishPage() const { return m_publishPage; }
    FileCommands *fileCommands() const { return m_fileCommands; }

    // Shows what a finding of the feed check concerns: its entry, or its field's page with the
    // focus in the field.
    void showFinding(const FeedFinding &finding);
    // Selects a page; its work is done also when it was already selected.
    void selectPage(Page page);
    Page currentPage() const;
    // One page shown, the page's work done, the root caption brought up to date.
    void onTabChanged();
    // Puts the focus into the title box when its page is the one shown: when the window is first
    // shown and when the About box closes, never on other returns to the window.
    void onActivated();

    // Sets or clears the document's changed flag; the title shows it, and a recovery copy is
    // kept while it is set.
    void setDocumentChanged(bool changed);

    RecoveryKeeper *recovery() const { return m_recovery; }
    // Offers the newest copy of work a program left behind (Restore, Discard, or ask again at
    // the next start); a restored copy becomes the document, changed, under its project's name.
    void offerRecovery();

protected:
    // Asks to save changes first; cancelling keeps the window open.
    void closeEvent(QCloseEvent *event) override;

private:
    static constexpr int MaxRecentProjects = 10;
    // The Edit and View menus, which need the pages.
    void buildPageMenus();
    // Alt+1 ... Alt+4, Ctrl+Tab and the others: the page shown, its first control with the focus.
    void showPageByKey(Page page);
    void focusPage();
    void fillRecentMenu();
    void noteRecentProject(const QString &path);
    QMenu *m_recentMenu = nullptr;
    QMenu *m_helpMenu = nullptr;
    QStringList m_recentProjects;
    EditCommands *m_editCommands = nullptr;
    // The smallest size and the default size: what the content asks for with the entry's Details
    // open, the default bounded by the screen's room.
    void setSizesFromContent();
    void restoreWindowState();
    void saveWindowState() const;
    void buildMenus();
    void buildToolbar();
    void showAbout();
    // "name.rsx* - caption": the project's name and a star while it has changes, before the
    // caption of the page (the program's name, or the preview's feed title). A new project
    // without changes shows the caption alone.
    void updateWindowTitle();

    StartupState m_startup;
    FileDialog &m_fileDialog;
    MessageBoxes &m_messageBoxes;
    FeedDocument m_document;
    Captions m_captions;
    QString m_caption;

    QToolBar *m_fileToolBar = nullptr;
    QTabBar *m_tabBar = nullptr;
    QStackedWidget *m_pages = nullptr;
    SettingsPage *m_settingsPage = nullptr;
    ContentsPage *m_contentsPage = nullptr;
    PreviewPage *m_previewPage = nullptr;
    PublishPage *m_publishPage = nullptr;
    FileCommands *m_fileCommands = nullptr;
    RecoveryKeeper *m_recovery = nullptr;
};

} // namespace Feedsmith
