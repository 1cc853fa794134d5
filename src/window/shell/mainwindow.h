// frmMain: the program's working window with its four pages, menus and file toolbar.
#pragma once

#include "core/document/feeddocument.h"
#include "window/editing/tabswitching.h"
#include "core/startup/startup.h"

#include <QList>
#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QTimer;
class QToolBar;
class QTreeView;

namespace Feedsmith {

class EntryEditor;
class FieldHelp;
class FileDialog;
class HtmlPane;
class MessageBoxes;
class WindowFtp;

// The main window. It owns the one feed document; the channel and FTP boxes are bound to the
// document's fields both ways, so every reader of the document sees what the boxes show.
// Controls carry their names from the design (txtTitle, freSettings, cmdnewentry, ...) as
// object names; captions start as their language keys until the language texts are applied.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The load handler runs here: pages laid out, settings page shown, dialogs pointed at the
    // "feeds" folder, formatting tables filled, the file date label emptied.
    MainWindow(const StartupState &startup, FileDialog &fileDialog, MessageBoxes &messageBoxes,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    // Start-up: the caption lines of the language file, applied in file order to the controls
    // whose current caption equals the line's key; then the toolbar tool tips from TextTable.
    void applyCaptions(const QList<CaptionLine> &captions);
    void setToolTips();

    FeedDocument &document() { return m_document; }
    const StartupState &startup() const { return m_startup; }
    // Whether start-up asked for the keyboard filter of the entry editor (the marker file).
    bool keyboardFilterWanted() const { return m_startup.installKeyboardFilter; }
    // A TextTable text ("rootkey", "lastmodified", ...); empty when the language lacks it.
    QString text(const QString &key) const;

    // The file commands, RSS generation and the window commands.
    void newDocument();
    void openProject();
    void saveProject();
    void saveProjectAs();
    void generateRss();
    void generateFromFtpPage();
    // The FTP page's upload button (the connection is kept between clicks).
    void ftpuploadClick();
    WindowFtp &ftp() { return *m_ftp; }
    void exitProgram();
    void showAbout();
    void Toolbar1ButtonClick(const QString &key);

    // Empties the document, the boxes, the panes, the labels, the entries and the tree.
    void ClearDocument();

    // The tab handler: one page shown, the page's work done, the root caption brought up to date.
    void TabStrip1Click();
    // Selects a tab; the tab handler runs also when the tab was already selected.
    void selectPage(Page page);
    Page currentPage() const;

    // Puts the focus into txtTitle when its page is the one shown.
    void activationHandler();

    // Writes the document's channel and FTP fields into their boxes (whole, past typing limits).
    void showDocumentFields();
    // Applies the tree model's expanded flags to the tree view.
    void refreshTree();

    // The formatting tables of the entry editor's toolbar.
    const std::array<QString, 12> &formatButtonKeys() const { return FormatButtonKeys; }
    const std::array<int, 11> &formatCommandCodes() const { return FormatCommandCodes; }

    // The page the preview browser was last sent to.
    QString previewPage() const { return m_previewPage; }

    // The contents page's behaviour: entry commands, the entry editor, drag and drop.
    EntryEditor *entryEditor() const { return m_entryEditor; }

    // The typing limit of a bound box (2 for txtLanguage, 5 for txtNumber).

protected:
    void changeEvent(QEvent *event) override;

private:
    struct BoundBox
    {
        QLineEdit *box = nullptr;
        QString *value = nullptr;
        int limit = 0;
    };
    enum class CaptionKind { Menu, Label, Frame, CommandButton };
    struct Captioned
    {
        CaptionKind kind;
        QObject *control;
    };

    QWidget *newPageFrame(const QString &name);
    void buildMenus();
    void buildToolbar();
    QWidget *buildSettingsPage();
    QWidget *buildContentsPage();
    QWidget *buildPreviewPage();
    QWidget *buildFtpPage();
    void bindBoxes();
    void setTabOrder();
    void alignLabelColumns();
    void fillFormatTables();

    QLabel *addLabel(const QString &name, const QString &caption, QWidget *parent);
    QLineEdit *addBox(const QString &name, QWidget *parent);
    QGroupBox *addFrame(const QString &name, const QString &caption, QWidget *parent);
    QPushButton *addButton(const QString &name, const QString &caption, QWidget *parent);
    QAction *addMenuItem(const QString &name, const QString &caption);

    static QString captionOf(const Captioned &c);
    static void setCaptionOf(const Captioned &c, const QString &caption);

    void setBoxText(QLineEdit *box, const QString &text);
    void writeProject();
    void refreshFileDateLabel();
    void buildPreview();
    void fail(const QString &what, const QString &error);

    StartupState m_startup;
    FileDialog &m_fileDialog;
    MessageBoxes &m_messageBoxes;
    FeedDocument m_document;

    QList<Captioned> m_captioned;
    QList<BoundBox> m_bound;
    QList<QLabel *> m_settingsLabels;
    QList<QLabel *> m_ftpLabels;

    QToolBar *m_toolbar1 = nullptr;
    QToolBar *m_toolbar3 = nullptr;
    QTabBar *m_tabStrip = nullptr;
    QStackedWidget *m_pages = nullptr;
    QWidget *m_freSettings = nullptr;
    QWidget *m_freContents = nullptr;
    QWidget *m_frePreview = nullptr;
    QWidget *m_freFTP = nullptr;
    QLineEdit *m_txtTitle = nullptr;
    QLineEdit *m_txtContentTitle = nullptr;
    QLineEdit *m_txtContentLink = nullptr;
    QLabel *m_createinfo = nullptr;
    QLabel *m_ftpfileproperties = nullptr;
    QTreeView *m_treeView = nullptr;
    HtmlPane *m_helpBrowser = nullptr;
    HtmlPane *m_ftpHelpBrowser = nullptr;
    HtmlPane *m_dhtmlEditor = nullptr;
    HtmlPane *m_webBrowser = nullptr;
    QTimer *m_timer1 = nullptr;
    FieldHelp *m_fieldHelp = nullptr;
    EntryEditor *m_entryEditor = nullptr;

    std::array<QString, 12> FormatButtonKeys;
    std::array<int, 11> FormatCommandCodes{};
    QString m_previewPage;
    std::unique_ptr<WindowFtp> m_ftp;
};

} // namespace Feedsmith
