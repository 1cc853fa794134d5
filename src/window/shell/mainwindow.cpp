// The main window: menus, file toolbar, tab bar and the file commands.
#include "window/shell/mainwindow.h"

#include "core/startup/startup.h"
#include "core/text/printable.h"
#include "core/text/textfiles.h"
#include "window/editing/entryeditor.h"
#include "window/pages/contentspage.h"
#include "window/pages/previewpage.h"
#include "window/pages/publishpage.h"
#include "window/pages/settingspage.h"
#include "window/pages/toolbuttons.h"
#include "window/platform/dialogs.h"
#include "window/platform/icons.h"
#include "window/shell/aboutdialog.h"
#include "window/shell/backgroundwriter.h"
#include "window/shell/editcommands.h"
#include "window/shell/filecommands.h"
#include "window/shell/recoverykeeper.h"
#include "window/shell/shortcutsdialog.h"

#include <feedsmith/version.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

QString productName()
{
    return QString::fromLatin1(Version::ProductName);
}

} // namespace

MainWindow::MainWindow(const StartupState &startup, FileDialog &fileDialog, MessageBoxes &messageBoxes, QWidget *parent)
    : QMainWindow(parent)
    , m_startup(startup)
    , m_fileDialog(fileDialog)
    , m_messageBoxes(messageBoxes)
{
    setObjectName(u"frmMain"_s);
    // The project the program starts with is a new one.
    SetNewProjectOptions(m_document.channel);
    m_caption = productName();
    updateWindowTitle();
    setWindowIcon(Icons::applicationIcon());

    buildMenus();
    buildToolbar();

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(0);

    // Never shown, but the language file captions it: it keeps its place among the captions.
    m_captions.label(u"Label2"_s, u"category"_s, central)->hide();

    m_tabBar = new QTabBar(central);
    m_tabBar->setObjectName(u"TabStrip1"_s);
    m_tabBar->setDrawBase(false);
    m_tabBar->setExpanding(false);
    for (const QString &caption : {u"settings"_s, u"contents"_s, u"preview"_s, u"ftp"_s})
        m_tabBar->addTab(caption);
    layout->addWidget(m_tabBar);

    PageContext context{m_document, m_startup, m_messageBoxes, m_captions, this};
    context.setChanged = [this](bool changed) { setDocumentChanged(changed); };
    context.fileDialog = &m_fileDialog;
    m_pages = new QStackedWidget(central);
    m_pages->setObjectName(u"pages"_s);
    m_pages->setFrameShape(QFrame::StyledPanel);
    m_settingsPage = new SettingsPage(context);
    m_contentsPage = new ContentsPage(context);
    m_previewPage = new PreviewPage(context);
    m_publishPage = new PublishPage(context);
    for (QWidget *page : std::initializer_list<QWidget *>{m_settingsPage, m_contentsPage, m_previewPage, m_publishPage})
        m_pages->addWidget(page);
    layout->addWidget(m_pages, 1);
    setCentralWidget(central);

    // The tab bar is in the chain of the Tab key, before the page's first box.
    m_tabBar->setFocusPolicy(Qt::StrongFocus);
    QWidget *previous = m_tabBar;
    for (QWidget *widget : m_settingsPage->tabChain() + m_publishPage->tabChain()) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }

    m_pages->setCurrentWidget(m_settingsPage);
    m_fileDialog.setStartFolder(dialogStartFolder(m_startup.programFolder));
    m_settingsPage->alignLabels();
    m_publishPage->alignLabels();

    m_fileCommands = new FileCommands(context, m_fileDialog, m_settingsPage, m_contentsPage, m_publishPage, this);
    connect(m_fileCommands, &FileCommands::pageWanted, this, &MainWindow::selectPage);
    connect(m_fileCommands, &FileCommands::projectNamed, this, &MainWindow::noteRecentProject);
    buildPageMenus();
    m_fileCommands->showDocumentFields();
    connect(m_tabBar, &QTabBar::currentChanged, this, &MainWindow::onTabChanged);
    connect(m_previewPage, &PreviewPage::entryCommitNeeded, m_contentsPage->entryEditor(),
            &EntryEditor::commitCurrentEntry);
    connect(m_previewPage, &PreviewPage::documentFieldsChanged, m_fileCommands, &FileCommands::showDocumentFields);
    connect(m_settingsPage, &SettingsPage::languageChanged, m_contentsPage->entryEditor(),
            &EntryEditor::setChannelLanguage);
    connect(m_previewPage, &PreviewPage::windowCaptionChanged, this, [this](const QString &caption) {
        m_caption = caption;
        updateWindowTitle();
    });
    connect(m_publishPage, &PublishPage::generateRequested, m_fileCommands, &FileCommands::generateFromPublishPage);
    connect(m_publishPage, &PublishPage::publishRequested, m_fileCommands, &FileCommands::publish);
    connect(m_publishPage, &PublishPage::uploadRequested, m_fileCommands, &FileCommands::uploadAsItIs);
    connect(m_fileCommands, &FileCommands::findingActivated, this, &MainWindow::showFinding);

    EntryEditor *entries = m_contentsPage->entryEditor();
    m_recovery = new RecoveryKeeper(
            m_document, m_startup.programFolder, RecoveryStore::defaultFolder(),
            [entries] { entries->commitCurrentEntry(); },
            [entries](std::function<void()> then) { entries->whenEditorCurrent(std::move(then)); }, this);
    connect(entries, &EntryEditor::entrySwitched, m_recovery, [this] { m_recovery->writeIfDue(false); });
    // Queued: the copy is written on a thread of its own.
    connect(
            m_recovery, &RecoveryKeeper::copyFailed, this,
            [this](const QString &error) {
                statusBar()->showMessage(
                        m_startup.language.textTable
                                .valueOr(u"recoveryfailed"_s,
                                         u"Your unsaved work could not be copied for recovery (%1). Save the "
                                         "project to keep it safe."_s)
                                .arg(printable(error)));
            },
            Qt::QueuedConnection);

    // While a file is written in the background the status bar says so.
    auto writingMessage = std::make_shared<QString>();
    connect(m_fileCommands, &FileCommands::writing, this, [this, writingMessage](const QString &message) {
        *writingMessage = message;
        statusBar()->showMessage(message);
    });
    connect(m_fileCommands->writer(), &BackgroundWriter::busyChanged, this, [this, writingMessage](bool busy) {
        if (!busy && statusBar()->currentMessage() == *writingMessage)
            statusBar()->clearMessage();
    });
    // After Generate: where the feed went, and a way to it.
    auto *showFolder =
            new QPushButton(m_startup.language.textTable.valueOr(u"showinfolder"_s, u"Show in folder"_s), this);
    showFolder->setObjectName(u"showFeedFolder"_s);
    showFolder->setFlat(true);
    showFolder->hide();
    statusBar()->addPermanentWidget(showFolder);
    auto writtenFolder = std::make_shared<QString>();
    connect(m_fileCommands, &FileCommands::feedWritten, this, [this, showFolder, writtenFolder](const QString &path) {
        *writtenFolder = QFileInfo(path).absolutePath();
        statusBar()->showMessage(
                m_startup.language.textTable.valueOr(u"rsswritten"_s, u"The RSS file was written to %1."_s)
                        .arg(escapedPath(QDir::toNativeSeparators(path))));
        showFolder->show();
    });
    connect(showFolder, &QPushButton::clicked, this,
            [writtenFolder] { QDesktopServices::openUrl(QUrl::fromLocalFile(*writtenFolder)); });
    // Another document: the feed written for the one before is no news any more.
    connect(m_fileCommands, &FileCommands::documentReplaced, this, [this, showFolder] {
        showFolder->hide();
        statusBar()->clearMessage();
    });

    setSizesFromContent();
    restoreWindowState();
}

void MainWindow::setSizesFromContent()
{
    // Measured with the Details open, which the layouts count only while they are shown.
    QWidget *details = m_contentsPage->detailsArea();
    const auto showDetails = [details](bool shown) {
        details->setVisible(shown);
        for (QWidget *w = details->parentWidget(); w; w = w->parentWidget()) {
            if (QLayout *layout = w->layout())
                layout->invalidate();
        }
    };
    const bool wasShown = !details->isHidden();
    showDetails(true);
    // The window manager's title bar and borders take room beside the window's own.
    const int frame =
            style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const QSize room = screen() ? screen()->availableGeometry().size() - QSize(frame / 2, frame) : QSize(4096, 4096);
    // Nothing collapses at the smallest size: the help panes, the editor and its toolbar keep
    // their minimum sizes, and a few rows of the Details show (the rest scroll). On a screen with
    // little room (a scale factor of 2, a large font) the editor starts smaller, so that the
    // window fits the screen at its smallest too.
    if (minimumSizeHint().height() > room.height()) {
        m_contentsPage->shrinkEditor(minimumSizeHint().height() - room.height());
        showDetails(true);
    }
    QSize minimum = minimumSizeHint().expandedTo(QSize(640, 480)).boundedTo(room);
    QSize size = sizeHint().expandedTo(minimum).boundedTo(room);
    showDetails(wasShown);
    setMinimumSize(minimum);
    resize(size);
}

namespace {

// The window's size and place, the border between tree and entry, and the page last shown: kept
// for the user in the configuration folder, not in the project.
QString windowStateFile()
{
    return userConfigFolder() + u"/window.ini"_s;
}

} // namespace

void MainWindow::restoreWindowState()
{
    const QSettings state(windowStateFile(), QSettings::IniFormat);
    restoreGeometry(state.value(u"window/geometry"_s).toByteArray());
    m_contentsPage->splitter()->restoreState(state.value(u"window/contentsSplitter"_s).toByteArray());
    m_fileDialog.setLastFolders(state.value(u"dialogs/lastFolders"_s).toMap());
    m_recentProjects = state.value(u"recent/projects"_s).toStringList().mid(0, MaxRecentProjects);
    // The preview is made when its page is chosen, not at the start.
    const int page = state.value(u"window/page"_s, int(Page::Settings)).toInt();
    if (page == int(Page::Contents) || page == int(Page::Ftp))
        selectPage(Page(page));
}

void MainWindow::saveWindowState() const
{
    QSettings state(windowStateFile(), QSettings::IniFormat);
    state.setValue(u"window/geometry"_s, saveGeometry());
    state.setValue(u"window/contentsSplitter"_s, m_contentsPage->splitter()->saveState());
    state.setValue(u"window/page"_s, int(currentPage()));
    state.setValue(u"dialogs/lastFolders"_s, m_fileDialog.lastFolders());
    state.setValue(u"recent/projects"_s, m_recentProjects);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    auto *fileMenu = new QMenu(this);
    fileMenu->setObjectName(u"fileMenu"_s);
    QAction *file = fileMenu->menuAction();
    file->setObjectName(u"file"_s);
    file->setText(u"file"_s);
    m_captions.addMenu(file);

    QAction *newItem = m_captions.menuItem(u"new"_s, u"new"_s, this);
    QAction *open = m_captions.menuItem(u"open"_s, u"open"_s, this);
    // The projects opened or saved last, those that still exist.
    m_recentMenu = new QMenu(this);
    m_recentMenu->setObjectName(u"recentMenu"_s);
    QAction *recent = m_recentMenu->menuAction();
    recent->setObjectName(u"openrecent"_s);
    recent->setText(u"openrecent"_s);
    m_captions.addMenu(recent);
    connect(m_recentMenu, &QMenu::aboutToShow, this, &MainWindow::fillRecentMenu);
    QAction *save = m_captions.menuItem(u"save"_s, u"save"_s, this);
    QAction *saveas = m_captions.menuItem(u"saveas"_s, u"saveas"_s, this);
    QAction *empty = m_captions.menuItem(u"empty"_s, u"-"_s, this);
    empty->setSeparator(true);
    QAction *importFeed = m_captions.menuItem(u"importfeed"_s, u"importfeed"_s, this);
    QAction *importAddress = m_captions.menuItem(u"importaddress"_s, u"importaddress"_s, this);
    QAction *empty3 = m_captions.menuItem(u"empty3"_s, u"-"_s, this);
    empty3->setSeparator(true);
    QAction *genrss = m_captions.menuItem(u"genrss"_s, u"genrss"_s, this);
    QAction *checkFeed = m_captions.menuItem(u"checkfeed"_s, u"checkfeed"_s, this);
    QAction *publish = m_captions.menuItem(u"publish"_s, u"publish"_s, this);
    publish->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    // The published feed's public address: to pass on, or to look at.
    QAction *copyAddress = m_captions.menuItem(u"copyfeedaddress"_s, u"copyfeedaddress"_s, this);
    QAction *openFeed = m_captions.menuItem(u"openpublishedfeed"_s, u"openpublishedfeed"_s, this);
    connect(fileMenu, &QMenu::aboutToShow, this, [this, copyAddress, openFeed] {
        const QString address = m_document.ftp.feedurl.trimmed();
        copyAddress->setEnabled(!address.isEmpty());
        openFeed->setEnabled(IsWebAddress(address));
    });
    connect(copyAddress, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(m_document.ftp.feedurl.trimmed()); });
    connect(openFeed, &QAction::triggered, this, [this] {
        if (const QString address = m_document.ftp.feedurl.trimmed(); IsWebAddress(address))
            QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode));
    });
    QAction *empty2 = m_captions.menuItem(u"empty2"_s, u"-"_s, this);
    empty2->setSeparator(true);
    QAction *exit = m_captions.menuItem(u"exit"_s, u"exit"_s, this);

    newItem->setShortcut(QKeySequence::New);
    open->setShortcut(QKeySequence::Open);
    save->setShortcut(QKeySequence::Save);
    saveas->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)); // not every platform binds SaveAs
    exit->setShortcuts(QKeySequence::Quit);
    if (exit->shortcut().isEmpty()) // platforms without a Quit binding still quit with Ctrl+Q
        exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    exit->setMenuRole(QAction::QuitRole);
    fileMenu->addActions({newItem, open, recent, save, saveas, empty, importFeed, importAddress, empty3, genrss,
                          checkFeed, publish, copyAddress, openFeed, empty2, exit});

    auto *helpMenu = new QMenu(this);
    helpMenu->setObjectName(u"helpMenu"_s);
    QAction *help = helpMenu->menuAction();
    help->setObjectName(u"help"_s);
    help->setText(u"?"_s);
    m_captions.addMenu(help);
    QAction *shortcuts = m_captions.menuItem(u"shortcuts"_s, u"shortcuts"_s, this);
    shortcuts->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1));
    QAction *about = m_captions.menuItem(u"about"_s, u"about"_s, this);
    about->setMenuRole(QAction::AboutRole);
    helpMenu->addActions({shortcuts, about});
    m_helpMenu = helpMenu;

    menuBar()->addMenu(fileMenu);
    menuBar()->addMenu(helpMenu);

    connect(newItem, &QAction::triggered, this, [this] { m_fileCommands->newDocument(); });
    connect(open, &QAction::triggered, this, [this] { m_fileCommands->openProject(); });
    connect(save, &QAction::triggered, this, [this] { m_fileCommands->save(); });
    connect(saveas, &QAction::triggered, this, [this] { m_fileCommands->saveProjectAs(); });
    connect(importFeed, &QAction::triggered, this, [this] { m_fileCommands->importFeed(); });
    connect(importAddress, &QAction::triggered, this, [this] { m_fileCommands->importFeedFromAddress(); });
    connect(genrss, &QAction::triggered, this, [this] { m_fileCommands->generateRss(); });
    connect(checkFeed, &QAction::triggered, this, [this] { m_fileCommands->checkFeed(); });
    connect(publish, &QAction::triggered, this, [this] { m_fileCommands->publish(); });
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    connect(shortcuts, &QAction::triggered, this, [this] {
        ShortcutsDialog dialog(this, m_startup.language.textTable);
        dialog.exec();
    });
}

void MainWindow::buildPageMenus()
{
    // Edit, for the control with the focus; Find reaches the filter from every page.
    m_editCommands = new EditCommands(this, m_contentsPage->entryEditor(), m_messageBoxes,
                                      m_startup.language.textTable, m_captions, this);
    connect(m_editCommands, &EditCommands::findRequested, this, [this] {
        selectPage(Page::Contents);
        m_contentsPage->focusFilter();
    });
    connect(m_editCommands, &EditCommands::contentsWanted, this, [this] {
        if (currentPage() != Page::Contents)
            selectPage(Page::Contents);
    });
    menuBar()->insertMenu(m_helpMenu->menuAction(), m_editCommands->menu());

    // View: the pages by keys, from wherever the focus is.
    auto *viewMenu = new QMenu(this);
    viewMenu->setObjectName(u"viewMenu"_s);
    QAction *view = viewMenu->menuAction();
    view->setObjectName(u"view"_s);
    view->setText(u"view"_s);
    m_captions.addMenu(view);
    const std::array<std::pair<QString, Page>, 4> pages = {
            {{u"showsettings"_s, Page::Settings}, {u"showcontents"_s, Page::Contents},
             {u"showpreview"_s, Page::Preview}, {u"showpublish"_s, Page::Ftp}}};
    for (int i = 0; i < int(pages.size()); ++i) {
        QAction *show = m_captions.menuItem(pages[size_t(i)].first, pages[size_t(i)].first, this);
        show->setShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + i)));
        const Page page = pages[size_t(i)].second;
        connect(show, &QAction::triggered, this, [this, page] { showPageByKey(page); });
        viewMenu->addAction(show);
    }
    viewMenu->addSeparator();
    QAction *next = m_captions.menuItem(u"nextpage"_s, u"nextpage"_s, this);
    next->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});
    QAction *previous = m_captions.menuItem(u"previouspage"_s, u"previouspage"_s, this);
    previous->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
    connect(next, &QAction::triggered, this, [this] { showPageByKey(Page((int(currentPage()) + 1) % 4)); });
    connect(previous, &QAction::triggered, this, [this] { showPageByKey(Page((int(currentPage()) + 3) % 4)); });
    viewMenu->addActions({next, previous});
    menuBar()->insertMenu(m_helpMenu->menuAction(), viewMenu);
}

void MainWindow::showPageByKey(Page page)
{
    selectPage(page);
    focusPage();
}

void MainWindow::focusPage()
{
    QWidget *first = nullptr;
    switch (currentPage()) {
    case Page::Settings: first = m_settingsPage->tabChain().value(0); break;
    case Page::Contents: first = m_contentsPage->firstControl(); break;
    case Page::Preview: first = m_previewPage->focusWidget() ? m_previewPage->focusWidget() : m_previewPage; break;
    case Page::Ftp: first = m_publishPage->tabChain().value(0); break;
    }
    if (first)
        first->setFocus(Qt::OtherFocusReason);
}

void MainWindow::fillRecentMenu()
{
    m_recentMenu->clear();
    m_recentProjects.removeIf([](const QString &path) { return !QFileInfo(path).isFile(); });
    for (qsizetype i = 0; i < m_recentProjects.size(); ++i) {
        const QString path = m_recentProjects.at(i);
        QAction *item = m_recentMenu->addAction(u"&%1 %2"_s.arg(i + 1 < 10 ? QString::number(i + 1) : u"0"_s,
                                                               escapedPath(QDir::toNativeSeparators(path))));
        connect(item, &QAction::triggered, this, [this, path] { m_fileCommands->openRecent(path); });
    }
    if (m_recentProjects.isEmpty()) {
        QAction *none = m_recentMenu->addAction(m_startup.language.textTable.valueOr(u"norecent"_s, u"(none)"_s));
        none->setEnabled(false);
    }
}

void MainWindow::noteRecentProject(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_recentProjects.removeAll(absolute);
    m_recentProjects.prepend(absolute);
    while (m_recentProjects.size() > MaxRecentProjects)
        m_recentProjects.removeLast();
}

void MainWindow::buildToolbar()
{
    m_fileToolBar = addToolBar(u"Toolbar1"_s);
    m_fileToolBar->setObjectName(u"Toolbar1"_s);
    m_fileToolBar->setMovable(false);
    m_fileToolBar->setFloatable(false);
    m_fileToolBar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    // The toolbar's buttons are the File menu's own commands: one action each, its shortcut,
    // enabled state and text shared; a button carries its key as data.
    struct Button
    {
        const char16_t *key;
        const char16_t *action;
        const char16_t *themeName;
        Icons::Picture picture;
    };
    static constexpr Button buttons[] = {
            {u"neu", u"new", u"document-new", Icons::Picture::NewDocument},
            {u"oeffnen", u"open", u"document-open", Icons::Picture::OpenDocument},
            {u"speichern", u"save", u"document-save", Icons::Picture::SaveDocument},
            {nullptr, nullptr, nullptr, Icons::Picture::Feed},
            {u"genrss", u"genrss", u"application-rss+xml", Icons::Picture::Feed},
    };
    for (const Button &b : buttons) {
        if (!b.key) {
            m_fileToolBar->addSeparator();
            continue;
        }
        QAction *action = findChild<QAction *>(QString::fromUtf16(b.action), Qt::FindDirectChildrenOnly);
        action->setIcon(Icons::themed(QString::fromUtf16(b.themeName), b.picture));
        action->setData(QString::fromUtf16(b.key));
        m_fileToolBar->addAction(action);
    }
}

void MainWindow::applyCaptions(const QList<CaptionLine> &captions)
{
    m_captions.apply(captions, m_tabBar);
    // Alt and a letter opens each menu and reaches each item.
    Captions::assignMnemonics(menuBar()->actions());
    for (QAction *menu : menuBar()->actions()) {
        if (menu->menu())
            Captions::assignMnemonics(menu->menu()->actions());
    }
    m_settingsPage->alignLabels();
    m_publishPage->alignLabels();
}

void MainWindow::setToolTips()
{
    const KeyedTexts &texts = m_startup.language.textTable;
    m_fileToolBar->setWindowTitle(texts.valueOr(u"filetoolbar"_s, u"Project and feed"_s));
    Captions::setToolTips(m_fileToolBar, {u"new"_s, u"open"_s, u"save"_s, QString(), u"genrss"_s}, texts);
    Captions::setToolTips(m_contentsPage->formatToolBar(),
                          {u"bold"_s,     u"italic"_s,    u"underline"_s, QString(),      u"link"_s,
                           u"picture"_s,  QString(),      u"bullets"_s,   u"numbering"_s, u"heading2"_s,
                           u"heading3"_s, u"paragraph"_s, u"quote"_s,     u"code"_s,      u"clearformat"_s,
                           QString(),     u"undo"_s,      u"redo"_s,      QString(),      u"htmlview"_s},
                          texts);
}

QString MainWindow::text(const QString &key) const
{
    return m_startup.language.textTable.value(key);
}

void MainWindow::showAbout()
{
    AboutDialog about(m_startup.language.textTable, this);
    about.exec();
    onActivated();
}

void MainWindow::onActivated()
{
    m_settingsPage->focusTitleIfShown();
}

Page MainWindow::currentPage() const
{
    return Page(m_tabBar->currentIndex());
}

void MainWindow::showFinding(const FeedFinding &finding)
{
    if (finding.entry > 0) {
        // An entry the filter hides is shown again; the finding's field of it takes the focus.
        m_contentsPage->filterEdit()->clear();
        selectPage(Page::Contents);
        EntryEditor *entries = m_contentsPage->entryEditor();
        entries->selectNode(u"key"_s + QString::number(finding.entry));
        entries->commitAndLoadSelectedEntry([this, entries, field = finding.field] {
            activateWindow();
            entries->focusField(field);
        });
        return;
    }
    const DocumentField *field = documentField(finding.field);
    if (!field)
        return;
    QWidget *page = field->isChannelField() ? static_cast<QWidget *>(m_settingsPage) : m_publishPage;
    selectPage(field->isChannelField() ? Page::Settings : Page::Ftp);
    if (auto *box = page->findChild<QWidget *>(QString(field->boxName))) {
        activateWindow();
        box->setFocus(Qt::OtherFocusReason);
    }
}

void MainWindow::selectPage(Page page)
{
    if (m_tabBar->currentIndex() == int(page))
        onTabChanged();
    else
        m_tabBar->setCurrentIndex(int(page)); // emits currentChanged, which runs onTabChanged
}

void MainWindow::setDocumentChanged(bool changed)
{
    m_document.changed = changed;
    if (changed)
        m_recovery->noteChange();
    else
        m_recovery->clear();
    updateWindowTitle();
}

void MainWindow::offerRecovery()
{
    const QList<RecoveryCopy> copies = m_recovery->store().orphans();
    if (copies.isEmpty())
        return;
    const RecoveryCopy &copy = copies.first();
    const auto textOr = [this](const QString &key, const QString &fallback) {
        return m_startup.language.textTable.valueOr(key, fallback);
    };
    const QString project = copy.projectPath.isEmpty() ? textOr(u"untitled"_s, u"Untitled"_s)
                                                       : escapedPath(QDir::toNativeSeparators(copy.projectPath));
    const QString question =
            textOr(u"recoveryfound"_s, u"Unsaved work on %1 from %2 was left behind. Restore it?"_s)
                    .arg(project, QLocale().toString(copy.savedAt.toLocalTime(), QLocale::ShortFormat));
    switch (m_messageBoxes.askRestore(this, productName(), question, textOr(u"restorebutton"_s, u"Restore"_s),
                                      textOr(u"discardbutton"_s, u"Discard"_s))) {
    case MessageBoxes::RestoreAnswer::Restore:
        if (!m_fileCommands->restoreRecovery(copy.copyFile, copy.projectPath))
            return;
        // The work lives on in this program's own copy before the old one goes.
        if (m_recovery->writeIfDue(true, true))
            RecoveryStore::discard(copy);
        break;
    case MessageBoxes::RestoreAnswer::Discard: RecoveryStore::discard(copy); break;
    case MessageBoxes::RestoreAnswer::Later: break;
    }
}

void MainWindow::updateWindowTitle()
{
    if (m_document.projectPath.isEmpty() && !m_document.changed) {
        setWindowTitle(m_caption);
        return;
    }
    const QString name = m_fileCommands ? m_fileCommands->documentName() : QString();
    setWindowTitle(name + (m_document.changed ? u"*"_s : QString()) + u" - "_s + m_caption);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // What was typed last goes into its entry before anything is asked: with keystrokes on
    // their way to the editor's page, the window closes once the page has answered.
    if (!m_contentsPage->entryEditor()->isEditorCurrent()) {
        event->ignore();
        m_fileCommands->whenEditorCommitted([self = QPointer(this)] {
            if (self)
                self->close();
        });
        return;
    }
    // A publication under way is cancelled only when the user says so.
    if (m_fileCommands->isPublishing()) {
        if (!m_messageBoxes.askYesNo(this, productName(),
                                     m_startup.language.textTable.valueOr(
                                             u"publishclose"_s,
                                             u"The feed is being published. Cancel the publication and close? "
                                             "The server keeps the feed it had before."_s))) {
            event->ignore();
            return;
        }
        m_fileCommands->cancelPublication();
    }
    // A save on its way ends first: whether it worked decides what there is to ask.
    m_fileCommands->finishWrites();
    if (m_fileCommands->maySave()) {
        m_recovery->clear(); // saved, or its changes discarded
        saveWindowState();
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::onTabChanged()
{
    // A page chosen with the mouse takes the focus away from the page before; the tab bar keeps
    // it while the keys go from tab to tab.
    const bool focusLeftBehind = !m_tabBar->hasFocus();
    m_caption = productName();
    updateWindowTitle();
    switch (currentPage()) {
    case Page::Settings: m_pages->setCurrentWidget(m_settingsPage); break;
    case Page::Contents: m_pages->setCurrentWidget(m_contentsPage); break;
    case Page::Preview:
        // The preview shows the entry under edit to its last keystroke.
        m_contentsPage->entryEditor()->whenEditorCurrent([this] { m_previewPage->buildPreview(); });
        m_pages->setCurrentWidget(m_previewPage);
        break;
    case Page::Ftp:
        m_pages->setCurrentWidget(m_publishPage);
        m_publishPage->refreshFileDate();
        break;
    }
    if (UpdateRootCaption(m_document.tree, m_document.channel.title, text(u"rootkey"_s)))
        m_contentsPage->entryEditor()->refreshTree();
    if (focusLeftBehind && isVisible()) {
        QWidget *focus = QApplication::focusWidget();
        if (!focus || !focus->isVisible() || !m_pages->currentWidget()->isAncestorOf(focus))
            focusPage();
    }
}

} // namespace Feedsmith
