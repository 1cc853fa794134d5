// The main window.
#include "window/shell/mainwindow.h"

#include "window/editing/entryeditor.h"
#include "window/editing/richtexteditor.h"
#include "window/ftp/windowftp.h"
#include "core/output/preview.h"
#include "core/output/rsswriter.h"
#include "core/system/clock.h"
#include "window/platform/dialogs.h"
#include "window/platform/icons.h"
#include "core/system/processguard.h"
#include "core/system/systemlocale.h"
#include "core/project/projectreader.h"
#include "core/project/projectwriter.h"
#include "window/shell/aboutdialog.h"
#include "window/shell/fieldhelp.h"
#include "window/shell/htmlpane.h"
#include "core/text/printable.h"
#include "core/text/textfiles.h"

#include <feedsmith/version.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// A toolbar button: its key, design-time tool tip and picture; an empty key is a separator.
struct ToolButton
{
    QString key;
    QString toolTip;
    QString themeName;
    Icons::Picture picture;
};

void addToolButtons(QToolBar *toolbar, std::initializer_list<ToolButton> buttons)
{
    for (const ToolButton &b : buttons) {
        if (b.key.isEmpty()) {
            toolbar->addSeparator();
            continue;
        }
        QAction *action = toolbar->addAction(Icons::themed(b.themeName, b.picture), QString());
        action->setData(b.key);
        action->setToolTip(b.toolTip);
    }
}

QString productName()
{
    return QString::fromLatin1(Version::ProductName);
}

const QString ProjectFilter = u"*.rsx | *.rsx"_s;
const QString RssFilter = u"*.xml | *.xml"_s;

// The width of a short box (language, number): a few characters of the box's font.
int shortBoxWidth(const QWidget *box)
{
    return std::max(65, box->fontMetrics().horizontalAdvance(u"000000"_s) + 16);
}

} // namespace

MainWindow::MainWindow(const StartupState &startup, FileDialog &fileDialog, MessageBoxes &messageBoxes,
                       QWidget *parent)
    : QMainWindow(parent)
    , m_startup(startup)
    , m_fileDialog(fileDialog)
    , m_messageBoxes(messageBoxes)
{
    setObjectName(u"frmMain"_s);
    setWindowTitle(productName());
    setWindowIcon(Icons::applicationIcon());
    resize(830, 653);

    m_fieldHelp = new FieldHelp(m_startup.programFolder, m_startup.language.helpTable, this);
    m_ftp = std::make_unique<WindowFtp>(this, m_messageBoxes,
                                        FtpTexts{text(u"uploadready"_s), text(u"missingpassword"_s)});

    buildMenus();
    buildToolbar();

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(0);

    // Lies under the toolbar in the design and is never seen; it only takes its caption.
    auto *label2 = addLabel(u"Label2"_s, u"category"_s, central);
    label2->hide();

    m_tabStrip = new QTabBar(central);
    m_tabStrip->setObjectName(u"TabStrip1"_s);
    m_tabStrip->setDrawBase(false);
    m_tabStrip->setExpanding(false);
    for (const QString &caption : {u"settings"_s, u"contents"_s, u"preview"_s, u"ftp"_s})
        m_tabStrip->addTab(caption);
    layout->addWidget(m_tabStrip);

    m_pages = new QStackedWidget(central);
    m_pages->setObjectName(u"pages"_s);
    m_pages->setFrameShape(QFrame::StyledPanel);
    m_freSettings = buildSettingsPage();
    m_freContents = buildContentsPage();
    m_frePreview = buildPreviewPage();
    m_freFTP = buildFtpPage();
    for (QWidget *page : {m_freSettings, m_freContents, m_frePreview, m_freFTP})
        m_pages->addWidget(page);
    layout->addWidget(m_pages, 1);
    setCentralWidget(central);

    bindBoxes();
    setTabOrder();

    // The load handler's own steps.
    m_pages->setCurrentWidget(m_freSettings);
    m_fileDialog.setStartFolder(programFile(m_startup.programFolder, u"feeds"_s));
    fillFormatTables();
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(u"Timer1"_s);
    m_timer1->setInterval(200);
    m_timer1->stop();
    m_ftpfileproperties->clear();
    alignLabelColumns();

    connect(m_tabStrip, &QTabBar::currentChanged, this, &MainWindow::TabStrip1Click);
    m_entryEditor = new EntryEditor(*this, m_messageBoxes);
}

MainWindow::~MainWindow() = default;

// ----- construction -------------------------------------------------------------------------

QLabel *MainWindow::addLabel(const QString &name, const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    m_captioned.append({CaptionKind::Label, label});
    return label;
}

QLineEdit *MainWindow::addBox(const QString &name, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

QGroupBox *MainWindow::addFrame(const QString &name, const QString &caption, QWidget *parent)
{
    auto *frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    m_captioned.append({CaptionKind::Frame, frame});
    return frame;
}

QPushButton *MainWindow::addButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    m_captioned.append({CaptionKind::CommandButton, button});
    return button;
}

QAction *MainWindow::addMenuItem(const QString &name, const QString &caption)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    m_captioned.append({CaptionKind::Menu, action});
    return action;
}

void MainWindow::buildMenus()
{
    auto *fileMenu = new QMenu(this);
    fileMenu->setObjectName(u"fileMenu"_s);
    QAction *file = fileMenu->menuAction();
    file->setObjectName(u"file"_s);
    file->setText(u"file"_s);
    m_captioned.append({CaptionKind::Menu, file});

    QAction *newItem = addMenuItem(u"new"_s, u"new"_s);
    QAction *open = addMenuItem(u"open"_s, u"open"_s);
    QAction *save = addMenuItem(u"save"_s, u"save"_s);
    QAction *saveas = addMenuItem(u"saveas"_s, u"saveas"_s);
    QAction *empty = addMenuItem(u"empty"_s, u"-"_s);
    empty->setSeparator(true);
    QAction *genrss = addMenuItem(u"genrss"_s, u"genrss"_s);
    QAction *empty2 = addMenuItem(u"empty2"_s, u"-"_s);
    empty2->setSeparator(true);
    QAction *exit = addMenuItem(u"exit"_s, u"exit"_s);

    newItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    saveas->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    exit->setMenuRole(QAction::QuitRole);
    fileMenu->addActions({newItem, open, save, saveas, empty, genrss, empty2, exit});

    auto *helpMenu = new QMenu(this);
    helpMenu->setObjectName(u"helpMenu"_s);
    QAction *help = helpMenu->menuAction();
    help->setObjectName(u"help"_s);
    help->setText(u"?"_s);
    m_captioned.append({CaptionKind::Menu, help});
    QAction *about = addMenuItem(u"about"_s, u"about"_s);
    about->setMenuRole(QAction::AboutRole);
    helpMenu->addAction(about);

    menuBar()->addMenu(fileMenu);
    menuBar()->addMenu(helpMenu);

    connect(newItem, &QAction::triggered, this, &MainWindow::newDocument);
    connect(open, &QAction::triggered, this, &MainWindow::openProject);
    connect(save, &QAction::triggered, this, &MainWindow::saveProject);
    connect(saveas, &QAction::triggered, this, &MainWindow::saveProjectAs);
    connect(genrss, &QAction::triggered, this, &MainWindow::generateRss);
    connect(exit, &QAction::triggered, this, &MainWindow::exitProgram);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::buildToolbar()
{
    m_toolbar1 = addToolBar(u"Toolbar1"_s);
    m_toolbar1->setObjectName(u"Toolbar1"_s);
    m_toolbar1->setMovable(false);
    m_toolbar1->setFloatable(false);
    m_toolbar1->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    addToolButtons(m_toolbar1, {
        {u"neu"_s, u"Neu"_s, u"document-new"_s, Icons::Picture::NewDocument},
        {u"oeffnen"_s, u"\u00d6ffnen"_s, u"document-open"_s, Icons::Picture::OpenDocument},
        {u"speichern"_s, u"Speichern"_s, u"document-save"_s, Icons::Picture::SaveDocument},
        {QString(), QString(), QString(), Icons::Picture::Feed},
        {u"genrss"_s, QString(), u"application-rss+xml"_s, Icons::Picture::Feed},
    });
    connect(m_toolbar1, &QToolBar::actionTriggered, this,
            [this](QAction *action) { Toolbar1ButtonClick(action->data().toString()); });
}

// A page of the tab bar: a frame without border whose caption (its name) is a language key.
QWidget *MainWindow::newPageFrame(const QString &name)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    page->setProperty("caption", name);
    m_captioned.append({CaptionKind::Frame, page});
    return page;
}

QWidget *MainWindow::buildSettingsPage()
{
    QWidget *page = newPageFrame(u"freSettings"_s);

    auto *pageLayout = new QHBoxLayout(page);
    auto *left = new QVBoxLayout;
    pageLayout->addLayout(left, 65);

    // Rows of label and box inside a frame (or on the page itself), one for each field key.
    auto addRows = [this](QWidget *container, QGridLayout *grid, std::initializer_list<QLatin1StringView> keys) {
        for (const QLatin1StringView key : keys) {
            const DocumentField *field = documentField(key);
            QLabel *label = addLabel(field->labelName, field->key, container);
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
            m_settingsLabels.append(label);
            QLineEdit *box = addBox(field->boxName, container);
            label->setBuddy(box);
            const int row = grid->rowCount();
            grid->addWidget(label, row, 0);
            grid->addWidget(box, row, 1);
        }
    };
    auto addGroup = [&](const QString &name, const QString &caption, std::initializer_list<QLatin1StringView> keys) {
        QGroupBox *frame = addFrame(name, caption, page);
        auto *grid = new QGridLayout(frame);
        grid->setColumnStretch(1, 1);
        addRows(frame, grid, keys);
        left->addWidget(frame);
    };

    addGroup(u"Frame1"_s, u"basic"_s, {"title"_L1, "link"_L1, "description"_L1});
    addGroup(u"Frame2"_s, u"image"_s, {"imageurl"_L1, "imagelink"_L1, "imagetitle"_L1});
    addGroup(u"Frame3"_s, u"additional"_s, {"language"_L1, "category"_L1, "ttl"_L1});

    auto *loose = new QGridLayout;
    loose->setContentsMargins(10, 6, 10, 0);
    loose->setColumnStretch(1, 1);
    addRows(page, loose, {"number"_L1, "managingeditor"_L1, "webmaster"_L1});
    left->addLayout(loose);
    left->addStretch(1);

    QGroupBox *frehelp = addFrame(u"frehelp"_s, u"help"_s, page);
    auto *helpLayout = new QVBoxLayout(frehelp);
    m_helpBrowser = new HtmlPane(frehelp);
    m_helpBrowser->setObjectName(u"HelpBrowser"_s);
    m_helpBrowser->setBaseFolder(m_startup.programFolder);
    m_helpBrowser->makeDisplayOnly();
    helpLayout->addWidget(m_helpBrowser);
    pageLayout->addWidget(frehelp, 35);

    // Frames and their labels in bold, the boxes in the window's own font.
    for (QGroupBox *frame : page->findChildren<QGroupBox *>()) {
        QFont bold = frame->font();
        bold.setBold(true);
        frame->setFont(bold);
    }
    QFont regular = font();
    regular.setBold(false);
    for (QLineEdit *box : page->findChildren<QLineEdit *>())
        box->setFont(regular);
    m_helpBrowser->setFont(regular);

    m_txtTitle = page->findChild<QLineEdit *>(u"txtTitle"_s);
    for (const auto &name : {u"txtLanguage"_s, u"txtNumber"_s}) {
        QLineEdit *box = page->findChild<QLineEdit *>(name);
        box->setFixedWidth(shortBoxWidth(box));
    }
    return page;
}

QWidget *MainWindow::buildContentsPage()
{
    QWidget *page = newPageFrame(u"freContents"_s);
    auto *pageLayout = new QHBoxLayout(page);

    auto *left = new QVBoxLayout;
    m_treeView = new QTreeView(page);
    m_treeView->setObjectName(u"TreeView"_s);
    m_treeView->setHeaderHidden(true);
    m_treeView->setUniformRowHeights(true);
    m_treeView->setModel(&m_document.tree);
    left->addWidget(m_treeView, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(addButton(u"cmdnewentry"_s, u"newentry"_s, page));
    buttons->addWidget(addButton(u"cmddeleteentry"_s, u"deleteentry"_s, page));
    left->addLayout(buttons);
    pageLayout->addLayout(left, 33);

    QGroupBox *freEntry = addFrame(u"freEntry"_s, u"Frame1"_s, page);
    auto *grid = new QGridLayout(freEntry);
    grid->setColumnStretch(1, 1);
    QLabel *contenttitle = addLabel(u"contenttitle"_s, u"contenttitle"_s, freEntry);
    m_txtContentTitle = addBox(u"txtContentTitle"_s, freEntry);
    contenttitle->setBuddy(m_txtContentTitle);
    QLabel *contentlink = addLabel(u"contentlink"_s, u"contentlink"_s, freEntry);
    m_txtContentLink = addBox(u"txtContentLink"_s, freEntry);
    contentlink->setBuddy(m_txtContentLink);
    grid->addWidget(contenttitle, 0, 0);
    grid->addWidget(m_txtContentTitle, 0, 1);
    grid->addWidget(contentlink, 1, 0);
    grid->addWidget(m_txtContentLink, 1, 1);

    auto *tools = new QHBoxLayout;
    m_toolbar3 = new QToolBar(freEntry);
    m_toolbar3->setObjectName(u"Toolbar3"_s);
    m_toolbar3->setIconSize(QSize(16, 16));
    addToolButtons(m_toolbar3, {
        {u"fett"_s, u"fett"_s, u"format-text-bold"_s, Icons::Picture::Bold},
        {u"kursiv"_s, u"Kursiv"_s, u"format-text-italic"_s, Icons::Picture::Italic},
        {u"unterstrichen"_s, u"Unterstrichen"_s, u"format-text-underline"_s, Icons::Picture::Underline},
        {QString(), QString(), QString(), Icons::Picture::Link},
        {u"link"_s, u"Link"_s, u"insert-link"_s, Icons::Picture::Link},
    });
    tools->addWidget(m_toolbar3);
    tools->addStretch(1);
    tools->addWidget(addButton(u"pasteAsText"_s, u"pasteAsText"_s, freEntry));
    grid->addLayout(tools, 2, 0, 1, 2);

    m_dhtmlEditor = new RichTextEditor(freEntry);
    m_dhtmlEditor->setObjectName(u"DHTMLEditor"_s);
    m_dhtmlEditor->setBaseFolder(m_startup.programFolder);
    grid->addWidget(m_dhtmlEditor, 3, 0, 1, 2);
    grid->setRowStretch(3, 1);
    m_createinfo = addLabel(u"createinfo"_s, u"createinfo"_s, freEntry);
    grid->addWidget(m_createinfo, 4, 0, 1, 2);
    pageLayout->addWidget(freEntry, 67);
    return page;
}

QWidget *MainWindow::buildPreviewPage()
{
    QWidget *page = newPageFrame(u"frePreview"_s);
    auto *layout = new QVBoxLayout(page);
    m_webBrowser = new HtmlPane(page);
    m_webBrowser->setObjectName(u"WebBrowser1"_s);
    layout->addWidget(m_webBrowser);
    return page;
}

QWidget *MainWindow::buildFtpPage()
{
    QWidget *page = newPageFrame(u"freFTP"_s);
    auto *pageLayout = new QHBoxLayout(page);

    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    auto addRow = [&](QLatin1StringView key) {
        const DocumentField *field = documentField(key);
        QLabel *label = addLabel(field->labelName, field->key, page);
        m_ftpLabels.append(label);
        QLineEdit *box = addBox(field->boxName, page);
        label->setBuddy(box);
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        return box;
    };
    auto addLeftAligned = [&](QWidget *widget) {
        grid->addWidget(widget, grid->rowCount(), 1, Qt::AlignLeft);
    };
    auto boldButton = [&](const QString &name) {
        QPushButton *button = addButton(name, name, page);
        QFont bold = button->font();
        bold.setBold(true);
        button->setFont(bold);
        button->setMinimumWidth(160);
        return button;
    };

    addRow("ftpfile"_L1);
    m_ftpfileproperties = addLabel(u"ftpfileproperties"_s, u"ftpfileproperties"_s, page);
    grid->addWidget(m_ftpfileproperties, grid->rowCount(), 1);
    QPushButton *ftpgenfile = boldButton(u"ftpgenfile"_s);
    addLeftAligned(ftpgenfile);
    grid->setRowMinimumHeight(grid->rowCount(), 16);
    addRow("ftpurl"_L1);
    addRow("ftpdir"_L1);
    addRow("ftpusername"_L1);
    QLineEdit *password = addRow("ftppassword"_L1);
    password->setEchoMode(QLineEdit::Password);
    // Once a password is typed the process holds it: no core file may carry it off.
    connect(password, &QLineEdit::textChanged, this, [](const QString &text) {
        if (!text.isEmpty() && !protectedFromCoreDumps())
            protectFromCoreDumps();
    });
    addRow("ftpproxy"_L1);
    QPushButton *ftpupload = boldButton(u"ftpupload"_s);
    addLeftAligned(ftpupload);
    grid->setRowStretch(grid->rowCount(), 1);
    pageLayout->addLayout(grid, 65);

    QGroupBox *frame4 = addFrame(u"Frame4"_s, u"ftphelp"_s, page);
    auto *helpLayout = new QVBoxLayout(frame4);
    m_ftpHelpBrowser = new HtmlPane(frame4);
    m_ftpHelpBrowser->setObjectName(u"FTPHelpBrowser"_s);
    m_ftpHelpBrowser->setBaseFolder(m_startup.programFolder);
    m_ftpHelpBrowser->makeDisplayOnly();
    helpLayout->addWidget(m_ftpHelpBrowser);
    pageLayout->addWidget(frame4, 35);

    connect(ftpgenfile, &QPushButton::clicked, this, &MainWindow::generateFromFtpPage);
    connect(ftpupload, &QPushButton::clicked, this, &MainWindow::ftpuploadClick);
    return page;
}

void MainWindow::bindBoxes()
{
    auto bind = [this](const DocumentField &field, HtmlPane *pane) {
        auto *box = findChild<QLineEdit *>(field.boxName);
        Q_ASSERT(box);
        QString *value = &field.value(m_document);
        const BoundBox bound{box, value, field.typingLimit};
        box->setMaxLength(bound.limit);
        box->setText(*value);
        m_bound.append(bound);
        m_fieldHelp->addField(box, pane);
        connect(box, &QLineEdit::textChanged, this, [value](const QString &text) { *value = text; });
        // A box that holds more than its limit (loaded from a project) shrinks back to the limit
        // as the user deletes, and never grows past it by typing.
        connect(box, &QLineEdit::textEdited, box, [box, limit = bound.limit](const QString &text) {
            box->setMaxLength(std::max<int>(limit, int(text.size())));
        });
    };
    for (const DocumentField &field : DocumentFields)
        bind(field, field.isChannelField() ? m_helpBrowser : m_ftpHelpBrowser);
}

void MainWindow::setTabOrder()
{
    const QStringList order = {
        u"txtTitle"_s,          u"txtLink"_s,       u"txtDescription"_s, u"txtImageurl"_s,
        u"txtimagelink"_s,      u"txtimagetitle"_s, u"txtLanguage"_s,    u"txtCategory"_s,
        u"txtTTL"_s,            u"txtNumber"_s,     u"txtManagingeditor"_s, u"txtWebmaster"_s,
        u"txtftpfile"_s,        u"ftpgenfile"_s,    u"txtftpurl"_s,      u"txtftpdir"_s,
        u"txtftpusername"_s,    u"txtftppassword"_s, u"txtftpproxy"_s,   u"ftpupload"_s,
    };
    QWidget *previous = nullptr;
    for (const QString &name : order) {
        auto *widget = findChild<QWidget *>(name);
        if (previous && widget)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void MainWindow::alignLabelColumns()
{
    for (const QList<QLabel *> &column : {m_settingsLabels, m_ftpLabels}) {
        int width = 150; // the labels' design width
        for (QLabel *label : column)
            width = std::max(width, label->sizeHint().width());
        for (QLabel *label : column)
            label->setMinimumWidth(width);
    }
}

void MainWindow::fillFormatTables()
{
    FormatButtonKeys = {u"Fett"_s,   u"Kursiv"_s, u"Unterstrichen"_s, u"Nummeriert"_s,
                        u"Punktiert"_s, u"Auszug"_s, u"Einzug"_s,     u"Links"_s,
                        u"Zentriert"_s, u"Rechts"_s, u"Farben"_s,     u"Bild"_s};
    FormatCommandCodes = {5000, 5023, 5048, 5030, 5051, 5018, 5031, 5025, 5024, 5026, 5046};
}

// ----- language texts -----------------------------------------------------------------------

QString MainWindow::captionOf(const Captioned &c)
{
    switch (c.kind) {
    case CaptionKind::Menu:
        return static_cast<QAction *>(c.control)->text();
    case CaptionKind::Label:
        return static_cast<QLabel *>(c.control)->text();
    case CaptionKind::Frame:
        if (auto *frame = qobject_cast<QGroupBox *>(c.control))
            return frame->title();
        return c.control->property("caption").toString();
    case CaptionKind::CommandButton:
        return static_cast<QPushButton *>(c.control)->text();
    }
    return {};
}

void MainWindow::setCaptionOf(const Captioned &c, const QString &caption)
{
    switch (c.kind) {
    case CaptionKind::Menu:
        static_cast<QAction *>(c.control)->setText(caption);
        break;
    case CaptionKind::Label:
        static_cast<QLabel *>(c.control)->setText(caption);
        break;
    case CaptionKind::Frame:
        if (auto *frame = qobject_cast<QGroupBox *>(c.control))
            frame->setTitle(caption);
        else
            c.control->setProperty("caption", caption);
        break;
    case CaptionKind::CommandButton:
        static_cast<QPushButton *>(c.control)->setText(caption);
        break;
    }
}

void MainWindow::applyCaptions(const QList<CaptionLine> &captions)
{
    for (const CaptionLine &line : captions) {
        if (line.group == "tab"_L1) {
            static const QStringList tabKeys = {u"settings"_s, u"contents"_s, u"preview"_s, u"ftp"_s};
            const qsizetype index = tabKeys.indexOf(line.key);
            if (index >= 0)
                m_tabStrip->setTabText(int(index), line.text);
            continue;
        }
        CaptionKind kind;
        if (line.group == "menu"_L1)
            kind = CaptionKind::Menu;
        else if (line.group == "label"_L1)
            kind = CaptionKind::Label;
        else if (line.group == "frame"_L1)
            kind = CaptionKind::Frame;
        else if (line.group == "button"_L1)
            kind = CaptionKind::CommandButton;
        else
            continue;
        for (const Captioned &c : std::as_const(m_captioned)) {
            if (c.kind == kind && captionOf(c) == line.key)
                setCaptionOf(c, line.text);
        }
    }
    alignLabelColumns();
}

void MainWindow::setToolTips()
{
    const std::pair<QToolBar *, QStringList> toolbars[] = {
        {m_toolbar1, {u"new"_s, u"open"_s, u"save"_s, QString(), u"genrss"_s}},
        {m_toolbar3, {u"bold"_s, u"italic"_s, u"underline"_s, QString(), u"link"_s}},
    };
    for (const auto &[toolbar, keys] : toolbars) {
        const QList<QAction *> buttons = toolbar->actions();
        for (qsizetype i = 0; i < buttons.size() && i < keys.size(); ++i) {
            if (!keys.at(i).isEmpty())
                buttons.at(i)->setToolTip(text(keys.at(i)));
        }
    }
}

QString MainWindow::text(const QString &key) const
{
    return m_startup.language.textTable.value(key);
}

// ----- the document in the boxes ------------------------------------------------------------

void MainWindow::setBoxText(QLineEdit *box, const QString &text)
{
    int limit = NoTypingLimit;
    for (const BoundBox &bound : std::as_const(m_bound)) {
        if (bound.box == box)
            limit = bound.limit;
    }
    // The limit is for typing only: loaded text arrives whole.
    box->setMaxLength(std::max<int>(limit, int(text.size())));
    if (box->text() != text) {
        box->setText(text);
        box->home(false); // a long text shows its beginning
    }
}

void MainWindow::showDocumentFields()
{
    for (const BoundBox &bound : std::as_const(m_bound))
        setBoxText(bound.box, *bound.value);
}

void MainWindow::refreshTree()
{
    for (int row = 0; row < m_document.tree.rowCount(); ++row) {
        const QModelIndex index = m_document.tree.index(row, 0);
        m_treeView->setExpanded(index, m_document.tree.isExpanded(m_document.tree.keyOf(index)));
    }
}

// ----- file commands ------------------------------------------------------------------------

void MainWindow::ClearDocument()
{
    Feedsmith::ClearDocument(m_document);
    m_fileDialog.setFileName(QString());
    showDocumentFields();
    m_txtContentTitle->clear();
    m_txtContentLink->clear();
    m_helpBrowser->setDocumentHtml(QString());
    m_dhtmlEditor->setDocumentHtml(QString());
    m_createinfo->clear();
    m_ftpfileproperties->clear();
}

void MainWindow::newDocument()
{
    ClearDocument();
    selectPage(Page::Settings);
    m_txtTitle->setFocus(Qt::OtherFocusReason);
    setBoxText(findChild<QLineEdit *>(u"txtTTL"_s), u"1440"_s);
    setBoxText(findChild<QLineEdit *>(u"txtNumber"_s), u"10"_s);
}

void MainWindow::openProject()
{
    m_fileDialog.setFilter(ProjectFilter);
    const QString chosen = m_fileDialog.showOpen(this);
    // A device, a pipe or a folder is never read: the open project stays as it is.
    const QString file = chosen.isEmpty() ? QString() : projectFileToRead(chosen);
    if (const QString reason = notRegularFileReason(file); !reason.isEmpty()) {
        m_fileDialog.setFileName(m_document.projectPath);
        fail(u"The project cannot be opened."_s, QDir::toNativeSeparators(file) + u": "_s + reason);
        return;
    }
    m_document.projectPath = chosen;
    if (chosen.isEmpty())
        return;

    newDocument();
    const ProjectReadResult result = ReadProjectFile(m_document, chosen, m_startup.programFolder,
                                                     m_startup.language.textTable, SystemLocale::locale());
    m_document.projectPath = chosen;
    showDocumentFields();
    refreshTree();
    if (!m_document.ftp.ftpfile.isEmpty())
        refreshFileDateLabel();

    if (result.entriesLeftOut > 0) {
        m_messageBoxes.information(
            this, productName(),
            u"%1 holds more entries than a project can have. The first %2 entries were opened; %3 %4 left out."_s
                .arg(printable(QDir::toNativeSeparators(file)))
                .arg(EntryCollection::MaxEntries)
                .arg(result.entriesLeftOut)
                .arg(result.entriesLeftOut == 1 ? u"was"_s : u"were"_s));
    }
}

void MainWindow::saveProject()
{
    if (m_document.projectPath.isEmpty()) {
        m_fileDialog.setFilter(ProjectFilter);
        m_document.projectPath = m_fileDialog.showSave(this);
    }
    writeProject();
}

void MainWindow::saveProjectAs()
{
    m_document.projectPath = m_fileDialog.showSave(this);
    writeProject();
}

void MainWindow::writeProject()
{
    // No name (a cancelled dialog): nothing is written.
    if (m_document.projectPath.isEmpty())
        return;
    m_entryEditor->LoadSelectedEntry(); // what is being edited goes into its entry first
    QString error;
    if (!WriteProjectFile(m_document, m_document.projectPath, m_startup.programFolder, &error))
        fail(u"The project could not be saved."_s, error);
}

void MainWindow::generateRss()
{
    m_fileDialog.setFileName(!m_document.rssPath.isEmpty() ? m_document.rssPath : m_document.ftp.ftpfile);
    m_fileDialog.setFilter(RssFilter);
    const QString chosen = m_fileDialog.showSave(this);
    // A cancelled dialog writes nothing and leaves the paths as they were.
    if (!chosen.isEmpty()) {
        m_document.rssPath = chosen;
        setBoxText(findChild<QLineEdit *>(u"txtftpfile"_s), chosen);
        QString error;
        const bool written =
            WriteRssFile(m_document, m_document.rssPath, m_startup.programFolder, Clock::now(), &error);
        if (ResetFeedItemNumber(m_document.channel))
            showDocumentFields();
        if (!written)
            fail(u"The RSS file could not be written."_s, error);
        else if (!m_document.ftp.ftpfile.isEmpty())
            refreshFileDateLabel();
    }
    // The same dialog serves the project commands.
    m_fileDialog.setFileName(m_document.projectPath);
}

void MainWindow::ftpuploadClick()
{
    if (!m_document.ftp.ftppassword.isEmpty())
        protectFromCoreDumps();
    m_ftp->click(m_document.ftp);
}

void MainWindow::generateFromFtpPage()
{
    if (m_document.rssPath.isEmpty() && !m_document.ftp.ftpfile.isEmpty())
        m_document.rssPath = m_document.ftp.ftpfile;
    generateRss();
}

void MainWindow::fail(const QString &what, const QString &error)
{
    m_messageBoxes.warning(this, productName(), what + u"\n\n"_s + printable(error));
}

void MainWindow::refreshFileDateLabel()
{
    // Without the "lastmodified" text the label is left as it is.
    if (!m_startup.language.textTable.contains(u"lastmodified"_s))
        return;
    if (const auto caption = LastModifiedCaption(text(u"lastmodified"_s), m_document.ftp.ftpfile,
                                                 SystemLocale::locale()))
        m_ftpfileproperties->setText(*caption);
}

// ----- window commands ----------------------------------------------------------------------

void MainWindow::Toolbar1ButtonClick(const QString &key)
{
    if (key == "neu"_L1)
        newDocument();
    else if (key == "speichern"_L1)
        saveProject();
    else if (key == "oeffnen"_L1)
        openProject();
    else if (key == "genrss"_L1)
        generateRss();
}

void MainWindow::exitProgram()
{
    close();
}

void MainWindow::showAbout()
{
    AboutDialog about(this);
    about.exec();
    activationHandler();
}

void MainWindow::activationHandler()
{
    if (m_txtTitle->isVisible() && m_txtTitle->isEnabled())
        m_txtTitle->setFocus(Qt::ActiveWindowFocusReason);
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !QApplication::activeModalWidget())
        activationHandler();
}

// ----- pages --------------------------------------------------------------------------------

Page MainWindow::currentPage() const
{
    return Page(m_tabStrip->currentIndex());
}

void MainWindow::selectPage(Page page)
{
    if (m_tabStrip->currentIndex() == int(page))
        TabStrip1Click();
    else
        m_tabStrip->setCurrentIndex(int(page)); // runs the tab handler
}

void MainWindow::TabStrip1Click()
{
    setWindowTitle(productName());
    switch (currentPage()) {
    case Page::Settings:
        m_pages->setCurrentWidget(m_freSettings);
        break;
    case Page::Contents:
        m_pages->setCurrentWidget(m_freContents);
        break;
    case Page::Preview:
        buildPreview();
        m_pages->setCurrentWidget(m_frePreview);
        break;
    case Page::Ftp:
        m_pages->setCurrentWidget(m_freFTP);
        if (!m_document.ftp.ftpfile.isEmpty())
            refreshFileDateLabel();
        break;
    }
    if (UpdateRootCaption(m_document.tree, m_document.channel.title, text(u"rootkey"_s)))
        refreshTree();
}

void MainWindow::buildPreview()
{
    const QString folder = m_startup.programFolder;
    const QLocale locale = SystemLocale::locale();
    // A page with entries shows what is being edited.
    if (FeedItemCount(m_document.channel, m_document.entryCount(), locale).countValue > 0)
        m_entryEditor->LoadSelectedEntry();
    const PreviewResult result = BuildPreview(m_document, folder, defaultPreviewPath(folder), locale);
    if (ResetFeedItemNumber(m_document.channel, locale))
        showDocumentFields();
    if (!result.ok)
        return; // the browser keeps its page
    if (result.windowCaption)
        setWindowTitle(*result.windowCaption);
    m_previewPage = result.pagePath;
    m_webBrowser->showFile(result.pagePath);
}

} // namespace Feedsmith
