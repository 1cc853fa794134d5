// The main window: start-up, captions and tool tips, layout, field help, tab switching, About.
#include "windowsupport.h"

#include <QDialogButtonBox>

#include "core/output/preview.h"
#include "core/project/datetext.h"
#include "core/system/systemlocale.h"
#include "core/text/textfiles.h"
#include "window/editing/entrytreeview.h"
#include "window/editing/linkdialog.h"
#include "window/editing/richtexteditor.h"
#include "window/editing/tabswitching.h"
#include "window/platform/progresstask.h"
#include "window/shell/aboutdialog.h"
#include "window/shell/feedcheckdialog.h"
#include "window/shell/shortcutsdialog.h"
#include "window/shell/htmlpane.h"

#include <feedsmith/version.h>

#include <QApplication>
#include <QCheckBox>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollArea>
#include <QSet>
#include <QSignalSpy>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QWebEngineProfile>

using namespace Feedsmith;
using namespace FeedsmithTest;
using namespace Qt::StringLiterals;

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { m_shared.reset(); }
    void startup_data();
    void startup();
    void englishCaptions_data();
    void englishCaptions();
    void germanCaptions_data();
    void germanCaptions();
    void toolTips_data();
    void toolTips();
    void captionMatching_data();
    void captionMatching();
    void missingTextsGiveEmptyToolTips();
    void noLanguageFileLeavesKeys();
    void windowLayout();
    void windowFits_data();
    void windowFits();
    void focusOrder();
    void shortcuts_data();
    void shortcuts();
    void formatTables();
    void fieldHelp_data();
    void fieldHelp();
    void titleHelpShownAtStart();
    void styleSheetReadAtEveryFocus();
    void rootCaptionRule_data();
    void rootCaptionRule();
    void windowStateIsRemembered();
    void tabShowsOnePage_data();
    void tabShowsOnePage();
    void previewPageWritten();
    void bodyObjectsAndBaseLoadNothing_data();
    void bodyObjectsAndBaseLoadNothing();
    void previewWithoutEntries();
    void ftpPageFileDate();
    void aboutBox_data();
    void aboutBox();
    void aboutFromMenuReturnsFocus();
    void exitClosesAtOnce();
    void outsideTextShowsAsTyped_data();
    void outsideTextShowsAsTyped();

private:
    std::unique_ptr<Program> m_shared;
};

void tst_MainWindow::startup_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("marker"); // "-" for no marker file
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("filter");
    QTest::addColumn<QString>("fileMenu");

    QTest::newRow("no marker, English locale") << u"en_GB.UTF-8"_s << QByteArray("-") << u"en"_s << true << u"File"_s;
    QTest::newRow("no marker, German locale") << u"de_DE.UTF-8"_s << QByteArray("-") << u"de"_s << true << u"Datei"_s;
    QTest::newRow("missing language falls back to English")
            << u"fr_FR.UTF-8"_s << QByteArray("-") << u"en"_s << true << u"File"_s;
    QTest::newRow("C locale gives English") << u"C"_s << QByteArray("-") << u"en"_s << true << u"File"_s;
    QTest::newRow("marker 1 forces English, no filter")
            << u"de_DE.UTF-8"_s << QByteArray("1") << u"en"_s << false << u"File"_s;
    QTest::newRow("marker 1 with line break")
            << u"de_DE.UTF-8"_s << QByteArray("1\r\n") << u"en"_s << false << u"File"_s;
    QTest::newRow("marker 0 keeps filter and language")
            << u"de_DE.UTF-8"_s << QByteArray("0") << u"de"_s << true << u"Datei"_s;
    QTest::newRow("marker 01 suppresses filter only")
            << u"de_DE.UTF-8"_s << QByteArray("01") << u"de"_s << false << u"Datei"_s;
}

void tst_MainWindow::startup()
{
    QFETCH(QString, locale);
    QFETCH(QByteArray, marker);
    QFETCH(QString, language);
    QFETCH(bool, filter);
    QFETCH(QString, fileMenu);

    Program program;
    if (marker != "-")
        QVERIFY(writeBytes(program.path(u"devel.txt"_s), marker));
    QVERIFY(program.start(locale));
    QVERIFY(program.window->isVisible());
    QCOMPARE(program.window->startup().languageCode, language);
    QCOMPARE(program.window->startup().installKeyboardFilter, filter);
    QCOMPARE(program.caption(u"file"_s), fileMenu);
    // Every item of the File menu has an access key of its own, in either language.
    QSet<QChar> keys;
    const QList<QAction *> items = program.child<QMenu>(u"fileMenu"_s)->actions();
    for (const QAction *item : items) {
        if (item->isSeparator())
            continue;
        const qsizetype marked = item->text().indexOf(u'&');
        QVERIFY2(marked >= 0, qPrintable(item->text()));
        keys.insert(item->text().at(marked + 1).toLower());
    }
    QCOMPARE(keys.size(), std::count_if(items.begin(), items.end(), [](QAction *a) { return !a->isSeparator(); }));
    QVERIFY(program.menuItem(u"file"_s)->text().startsWith(u'&'));
    // Qt's own texts (message box buttons, file dialogs) speak the same language.
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), language == "de"_L1 ? u"Abbrechen"_s : u"Cancel"_s);
    QCOMPARE(program.window->windowTitle(), u"Feedsmith"_s);
    QCOMPARE(program.window->currentPage(), Page::Settings);
    QCOMPARE(QApplication::focusWidget(), program.box(u"txtTitle"_s));
}

void tst_MainWindow::englishCaptions_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");

    const std::pair<const char *, const char *> rows[] = {
            {"file", "File"},
            {"new", "New project"},
            {"open", "Open project..."},
            {"save", "Save project"},
            {"saveas", "Save project as..."},
            {"genrss", "Generate RSS file"},
            {"exit", "Exit"},
            {"help", "Help"},
            {"about", "About Feedsmith"},
            {"empty", ""}, // a separator, drawn as a line
            {"title", "Title"},
            {"link", "Link"},
            {"description", "Description"},
            {"language", "Language"},
            {"category", "Category"},
            {"Label2", "Category"},
            {"ttl", "Time to live (min)"},
            {"imageurl", "Image URL"},
            {"imagetitle", "Image title"},
            {"imagelink", "Image link"},
            {"Label1", "Number of entries"},
            {"webmaster", "Webmaster"},
            {"managingeditor", "Managing editor"},
            {"ftpfile", "Local RSS file"},
            {"ftpurl", "FTP server"},
            {"ftpdir", "Remote directory"},
            {"ftpusername", "User name"},
            {"ftppassword", "Password"},
            {"Label3", "Proxy"},
            {"contenttitle", "Entry title"},
            {"contentlink", "Entry link"},
            {"createinfo", ""},
            {"ftpfileproperties", ""},
            {"Frame1", "Basic information"},
            {"Frame2", "Channel image"},
            {"Frame3", "Additional information"},
            {"frehelp", "Help"},
            {"Frame4", "Help"},
            {"freEntry", "Entry"},
            {"freSettings", "Settings"},
            {"freFTP", "Publishing"},
            {"cmdnewentry", "New entry"},
            {"cmddeleteentry", "Delete entry"},
            {"pasteAsText", "Paste as text"},
            {"ftpgenfile", "Generate RSS file"},
            {"ftppublish", "Publish"},
            {"ftpupload", "Upload the file as it is"},
    };
    for (const auto &[control, caption] : rows)
        QTest::newRow(control) << QString::fromLatin1(control) << QString::fromLatin1(caption);
}

void tst_MainWindow::englishCaptions()
{
    QFETCH(QString, control);
    QFETCH(QString, caption);
    if (!m_shared) { // one window for all rows
        m_shared = std::make_unique<Program>();
        QVERIFY(m_shared->start());
    }
    QCOMPARE(m_shared->caption(control), caption);
    auto *tabs = m_shared->child<QTabBar>(u"TabStrip1"_s);
    QCOMPARE(tabs->count(), 4);
    QCOMPARE(tabs->tabText(0), u"Settings"_s);
    QCOMPARE(tabs->tabText(3), u"Publish (FTP)"_s);
}

void tst_MainWindow::germanCaptions_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    QTest::newRow("menu with umlaut") << u"open"_s << u"Projekt \u00f6ffnen..."_s;
    QTest::newRow("help menu") << u"help"_s << u"Hilfe"_s;
    QTest::newRow("label") << u"ttl"_s << u"G\u00fcltigkeit (Min.)"_s;
    QTest::newRow("frame") << u"Frame3"_s << u"Weitere Angaben"_s;
    QTest::newRow("button") << u"cmddeleteentry"_s << u"Eintrag l\u00f6schen"_s;
    QTest::newRow("tree command") << u"undomove"_s << u"Verschieben r\u00fcckg\u00e4ngig"_s;
    QTest::newRow("feed check") << u"checkfeed"_s << u"Feed pr\u00fcfen..."_s;
    QTest::newRow("upload as it is") << u"ftpupload"_s << u"Datei unver\u00e4ndert hochladen"_s;
    QTest::newRow("edit menu") << u"edit"_s << u"Bearbeiten"_s;
    QTest::newRow("page key") << u"nextpage"_s << u"N\u00e4chste Seite"_s;
    QTest::newRow("tree command, new") << u"duplicateentry"_s << u"Eintrag duplizieren"_s;
}

void tst_MainWindow::germanCaptions()
{
    QFETCH(QString, control);
    QFETCH(QString, caption);
    Program program;
    QVERIFY(program.start(u"de_DE.UTF-8"_s));
    QCOMPARE(program.caption(control), caption);
    QCOMPARE(program.child<QTabBar>(u"TabStrip1"_s)->tabText(3), u"Ver\u00f6ffentlichen (FTP)"_s);
    QCOMPARE(program.toolbarButton(u"Toolbar1"_s, u"oeffnen"_s)->toolTip(), u"Projekt \u00f6ffnen"_s);
    QCOMPARE(program.toolbarButton(u"Toolbar3"_s, u"bullets"_s)->toolTip(), u"Aufz\u00e4hlung (Strg+Umschalt+8)"_s);
    QCOMPARE(program.child<QLineEdit>(u"txtFilter"_s)->placeholderText(), u"Eintr\u00e4ge filtern (Strg+F)"_s);
}

void tst_MainWindow::toolTips_data()
{
    QTest::addColumn<QString>("toolbar");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("neu") << u"Toolbar1"_s << u"neu"_s << u"New project"_s;
    QTest::newRow("oeffnen") << u"Toolbar1"_s << u"oeffnen"_s << u"Open project"_s;
    QTest::newRow("speichern") << u"Toolbar1"_s << u"speichern"_s << u"Save project"_s;
    QTest::newRow("genrss") << u"Toolbar1"_s << u"genrss"_s << u"Generate RSS file"_s;
    QTest::newRow("fett") << u"Toolbar3"_s << u"fett"_s << u"Bold"_s;
    QTest::newRow("kursiv") << u"Toolbar3"_s << u"kursiv"_s << u"Italic"_s;
    QTest::newRow("unterstrichen") << u"Toolbar3"_s << u"unterstrichen"_s << u"Underline"_s;
    QTest::newRow("link") << u"Toolbar3"_s << u"link"_s << u"Insert link"_s;
}

void tst_MainWindow::toolTips()
{
    QFETCH(QString, toolbar);
    QFETCH(QString, key);
    QFETCH(QString, toolTip);
    Program program;
    QVERIFY(program.start());
    QAction *button = program.toolbarButton(toolbar, key);
    QVERIFY(button);
    QCOMPARE(button->toolTip(), toolTip);
    // Every button has a picture, whatever the icon theme.
    QVERIFY(!button->icon().pixmap(24, 24).isNull());
}

void tst_MainWindow::captionMatching_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");

    QTest::newRow("a key with a capital letter matches nothing")
            << QByteArray("\t<title>Title</title>") << QByteArray("\t<Title>Title</Title>") << u"title"_s << u"title"_s;
    QTest::newRow("a label line reaches both labels of its key")
            << QByteArray("\t<category>Category</category>") << QByteArray("\t<category>Topic</category>")
            << u"Label2"_s << u"Topic"_s;
    QTest::newRow("a blank line ends the file")
            << QByteArray("<group type=\"frame\">") << QByteArray("\r\n<group type=\"frame\">") << u"Frame1"_s
            << u"basic"_s;
    QTest::newRow("a group without type is skipped")
            << QByteArray("<group type=\"button\">") << QByteArray("<group>") << u"ftpupload"_s << u"ftpupload"_s;
    QTest::newRow("a menu line leaves labels of the same key alone")
            << QByteArray("\t<new>New project</new>") << QByteArray("\t<title>Menu title</title>") << u"title"_s
            << u"Title"_s;
}

void tst_MainWindow::captionMatching()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, control);
    QFETCH(QString, caption);
    Program program;
    QVERIFY(editLanguageFile(program.path(u"language-en.xml"_s), {{from, to}}));
    QVERIFY(program.start());
    QCOMPARE(program.caption(control), caption);
}

void tst_MainWindow::missingTextsGiveEmptyToolTips()
{
    Program program;
    QVERIFY(editLanguageFile(program.path(u"language-en.xml"_s),
                             {{"\t<new>New project</new>", ""}, // the menu line
                              {"\t<new>New project</new>", ""}, // the text line
                              {"\t<bold>Bold</bold>", ""}}));
    QVERIFY(program.start());
    QVERIFY(program.window->isVisible());
    // The button is the menu's command: without a tool tip of its own it shows the command's name.
    QCOMPARE(program.toolbarButton(u"Toolbar1"_s, u"neu"_s)->toolTip(), u"new"_s);
    QCOMPARE(program.toolbarButton(u"Toolbar3"_s, u"fett"_s)->toolTip(), QString());
    QCOMPARE(program.toolbarButton(u"Toolbar1"_s, u"oeffnen"_s)->toolTip(), u"Open project"_s);
    QCOMPARE(program.caption(u"new"_s), u"new"_s);
    QCOMPARE(program.caption(u"open"_s), u"Open project..."_s);
}

void tst_MainWindow::noLanguageFileLeavesKeys()
{
    Program program;
    QVERIFY(QFile::remove(program.path(u"language-en.xml"_s)));
    QVERIFY(QFile::remove(program.path(u"language-de.xml"_s)));
    QVERIFY(program.start(u"de_DE.UTF-8"_s));
    QCOMPARE(program.window->startup().languageCode, u"en"_s);
    QVERIFY(program.window->isVisible());
    QCOMPARE(program.caption(u"file"_s), u"file"_s);
    QCOMPARE(program.caption(u"Frame1"_s), u"basic"_s);
    QCOMPARE(program.child<QTabBar>(u"TabStrip1"_s)->tabText(2), u"preview"_s);
    for (const auto &[key, command] : {std::pair{u"neu"_s, u"new"_s},
                                       {u"oeffnen"_s, u"open"_s},
                                       {u"speichern"_s, u"save"_s},
                                       {u"genrss"_s, u"genrss"_s}})
        QCOMPARE(program.toolbarButton(u"Toolbar1"_s, key)->toolTip(), command);
    // The window works without texts: a field's help page has an empty body.
    program.box(u"txtLink"_s)->setFocus();
    QCOMPARE(program.child<HtmlPane>(u"HelpBrowser"_s)->documentHtml(), BuildHelpPage(program.folder(), QString()));
}

void tst_MainWindow::windowLayout()
{
    Program program;
    QVERIFY(program.start());
    MainWindow *w = program.window.get();
    QVERIFY(QRect(QPoint(), w->screen()->availableGeometry().size()).contains(w->rect())); // on the screen's room
    QVERIFY(w->minimumSize().width() < w->width());
    QVERIFY(w->maximumSize().width() > w->width());
    auto *pages = program.child<QStackedWidget>(u"pages"_s);
    QCOMPARE(pages->count(), 4);
    QCOMPARE(pages->currentWidget()->objectName(), u"freSettings"_s);
    for (const QString &hidden : {u"freContents"_s, u"frePreview"_s, u"freFTP"_s})
        QVERIFY(!program.child<QWidget>(hidden)->isVisible());

    // Label beside field, help pane to the right of the fields.
    QLabel *title = program.child<QLabel>(u"title"_s);
    QLineEdit *txtTitle = program.box(u"txtTitle"_s);
    QCOMPARE(title->buddy(), txtTitle);
    QVERIFY(title->mapTo(w, QPoint()).x() < txtTitle->mapTo(w, QPoint()).x());
    QVERIFY(txtTitle->mapTo(w, QPoint()).x() + txtTitle->width()
            <= program.child<QWidget>(u"frehelp"_s)->mapTo(w, QPoint()).x());
    // The frames stand in their order from top to bottom, the loose fields below them.
    int previousTop = -1;
    for (const QString &name :
         {u"Frame1"_s, u"Frame2"_s, u"Frame3"_s, u"txtNumber"_s, u"txtManagingeditor"_s, u"txtWebmaster"_s}) {
        const int top = program.child<QWidget>(name)->mapTo(w, QPoint()).y();
        QVERIFY2(top > previousTop, qPrintable(name));
        previousTop = top;
    }

    // The podcast's fields are there for a podcast only.
    QVERIFY(!program.box(u"txtPodcastCategory"_s)->isVisible());
    program.child<QAbstractButton>(u"chkPodcast"_s)->click();
    QVERIFY(program.box(u"txtPodcastCategory"_s)->isVisible());
    QCOMPARE(w->document().channel.podcast, u"1"_s);
    QCOMPARE(program.box(u"txtLanguage"_s)->maxLength(), LanguageTagLimit);
    // Spelling follows the channel's language where there is a dictionary for it.
    const QWebEngineProfile *profile = program.child<HtmlPane>(u"DHTMLEditor"_s)->page()->profile();
    QCOMPARE(profile->spellCheckLanguages(), QStringList{u"en-US"_s});
    QTest::keyClicks(program.box(u"txtLanguage"_s), u"de-at"_s);
    QCOMPARE(profile->spellCheckLanguages(), QStringList{u"de-DE"_s});
    QCOMPARE(program.box(u"txtNumber"_s)->maxLength(), 5);
    QCOMPARE(program.box(u"txtNumber"_s)->text(), u"10"_s);
    QCOMPARE(program.box(u"txtTTL"_s)->text(), u"1440"_s);
    QCOMPARE(program.box(u"txtftppassword"_s)->echoMode(), QLineEdit::Password);
    QCOMPARE(program.child<QLabel>(u"ftpfileproperties"_s)->text(), QString());
    QVERIFY(program.child<QTreeView>(u"TreeView"_s));
    QVERIFY(program.child<HtmlPane>(u"WebBrowser1"_s));
    QVERIFY(program.child<HtmlPane>(u"DHTMLEditor"_s));
    auto *timer = program.child<QTimer>(u"Timer1"_s);
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 200);
    QVERIFY(!timer->isActive());
    QCOMPARE(program.dialog.startFolder(), program.path(u"feeds"_s));

    // The entry's Details at the default size and the smallest: every box as high as it asks to
    // be, those without room scrolled into view, the editor as high as ever.
    w->selectPage(Page::Contents);
    program.child<QAbstractButton>(u"cmdnewentry"_s)->click();
    program.child<QAbstractButton>(u"cmdDetails"_s)->click();
    auto *area = program.child<QScrollArea>(u"freDetails"_s);
    for (const QSize size : {w->size(), w->minimumSize()}) {
        w->resize(size);
        QApplication::processEvents();
        for (QLineEdit *box : w->findChildren<QLineEdit *>(QRegularExpression(u"^txtEntry"_s))) {
            area->ensureWidgetVisible(box);
            QVERIFY(box->isHidden()
                    || (box->height() >= box->sizeHint().height()
                        && area->viewport()->rect().contains(box->mapTo(area->viewport(), box->rect().center()))));
        }
        QVERIFY(program.child<QWidget>(u"DHTMLEditor"_s)->height() >= 200);
    }
}

namespace {

// Labels and buttons narrower than their text, and widgets of one layout that overlap.
QStringList layoutFaults(QWidget *root)
{
    QStringList faults;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisible() || w->window() != root)
            continue;
        auto *label = qobject_cast<QLabel *>(w);
        if (label && label->wordWrap() ? w->height() < label->heightForWidth(w->width())
                                       : (label || qobject_cast<QPushButton *>(w) || qobject_cast<QCheckBox *>(w))
                    && w->width() < w->minimumSizeHint().width())
            faults.append(u"cut: "_s + w->objectName() + u' ' + w->property("text").toString());
        for (int i = 0; w->layout() && i < w->layout()->count(); ++i) {
            for (int j = i + 1; j < w->layout()->count(); ++j) {
                const QWidget *a = w->layout()->itemAt(i)->widget();
                const QWidget *b = w->layout()->itemAt(j)->widget();
                if (a && b && a->isVisible() && b->isVisible() && a->geometry().intersects(b->geometry()))
                    faults.append(u"overlap: "_s + a->objectName() + u", "_s + b->objectName());
            }
        }
    }
    return faults;
}

} // namespace

void tst_MainWindow::windowFits_data()
{
    // ctest runs these rows at a scale factor of 2 as well (tst_mainwindow_scaled).
    QTest::addColumn<qreal>("fontScale");
    QTest::newRow("system font") << 1.0;
    QTest::newRow("large system font") << 1.5;
}

void tst_MainWindow::windowFits()
{
    QFETCH(qreal, fontScale);
    const QFont font = QApplication::font();
    QFont large = font;
    large.setPointSizeF(font.pointSizeF() * fontScale);
    QApplication::setFont(large);
    Program p;
    QVERIFY(p.start());
    MainWindow *w = p.window.get();
    QVERIFY(QRect(QPoint(), w->screen()->availableGeometry().size()).contains(QRect(QPoint(), w->frameGeometry().size())));
    p.child<QAbstractButton>(u"chkPodcast"_s)->click();
    QStringList faults;
    for (const Page page : {Page::Settings, Page::Contents, Page::Preview, Page::Ftp}) {
        w->selectPage(page);
        if (page == Page::Contents) {
            p.child<QAbstractButton>(u"cmdnewentry"_s)->click();
            p.child<QAbstractButton>(u"cmdDetails"_s)->click();
        }
        QApplication::processEvents();
        faults += layoutFaults(w);
    }
    const KeyedTexts &texts = w->startup().language.textTable;
    for (QDialog *dialog : std::initializer_list<QDialog *>{
                 new AboutDialog(texts, w), new LinkDialog(texts, {u"https://example.org/"_s, {}, false, false, true}, w),
                 new FeedCheckDialog({{FeedFinding::Severity::Warning, u"A warning"_s, {}, 0}}, true, texts, w),
                 new ShortcutsDialog(w, texts)}) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        faults += layoutFaults(dialog);
        delete dialog;
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; "_s)));
    // The toolbars' pictures are drawn for the screen's pixels, not enlarged.
    for (QToolBar *toolbar : w->findChildren<QToolBar *>()) {
        for (QAction *button : toolbar->actions())
            QVERIFY(button->isSeparator()
                    || button->icon().pixmap(toolbar->iconSize(), w->devicePixelRatio()).size()
                            == toolbar->iconSize() * w->devicePixelRatio());
    }
    QApplication::setFont(font);
}

void tst_MainWindow::focusOrder()
{
    Program program;
    QVERIFY(program.start());
    const QStringList settings = {u"txtTitle"_s,      u"txtLink"_s,         u"txtDescription"_s, u"txtImageurl"_s,
                                  u"imageurlChoose"_s, u"txtimagelink"_s,    u"txtimagetitle"_s,  u"txtLanguage"_s,
                                  u"txtCategory"_s,   u"txtTTL"_s,          u"txtNumber"_s,      u"txtManagingeditor"_s,
                                  u"txtWebmaster"_s};
    QCOMPARE(QApplication::focusWidget()->objectName(), settings.first());
    for (qsizetype i = 1; i < settings.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), settings.at(i));
    }

    program.window->selectPage(Page::Ftp);
    program.box(u"txtftpfile"_s)->setFocus();
    const QStringList ftp = {u"txtftpfile"_s,     u"ftpgenfile"_s,     u"txtftpurl"_s,  u"txtftpdir"_s,
                             u"txtftpusername"_s, u"txtftppassword"_s, u"txtftpproxy"_s};
    for (qsizetype i = 1; i < ftp.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), ftp.at(i));
    }
}

void tst_MainWindow::shortcuts_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("new") << u"new"_s << QKeySequence(u"Ctrl+N"_s);
    QTest::newRow("open") << u"open"_s << QKeySequence(u"Ctrl+O"_s);
    QTest::newRow("save") << u"save"_s << QKeySequence(u"Ctrl+S"_s);
    QTest::newRow("saveas") << u"saveas"_s << QKeySequence(u"Ctrl+Shift+S"_s);
    QTest::newRow("exit") << u"exit"_s << QKeySequence(u"Ctrl+Q"_s);
    QTest::newRow("publish") << u"publish"_s << QKeySequence(u"Ctrl+Shift+P"_s);
    QTest::newRow("undo") << u"editundo"_s << QKeySequence(u"Ctrl+Z"_s);
    QTest::newRow("find entries") << u"editfind"_s << QKeySequence(u"Ctrl+F"_s);
    QTest::newRow("find in the text") << u"editfindinbody"_s << QKeySequence(u"Ctrl+Shift+F"_s);
    QTest::newRow("next page") << u"nextpage"_s << QKeySequence(u"Ctrl+Tab"_s);
    QTest::newRow("contents page") << u"showcontents"_s << QKeySequence(u"Alt+2"_s);
    QTest::newRow("the list of keys") << u"shortcuts"_s << QKeySequence(u"Ctrl+F1"_s);
}

// Each command's key, also as Help › Keyboard shortcuts lists it.
void tst_MainWindow::shortcuts()
{
    QFETCH(QString, item);
    QFETCH(QKeySequence, keys);
    if (!m_shared) {
        m_shared = std::make_unique<Program>();
        QVERIFY(m_shared->start());
    }
    QAction *action = m_shared->menuItem(item);
    QCOMPARE(action->shortcut(), keys);
    ShortcutsDialog dialog(m_shared->window.get(), m_shared->window->startup().language.textTable);
    const QList<QTableWidgetItem *> rows = dialog.table()->findItems(m_shared->caption(item), Qt::MatchExactly);
    QCOMPARE(rows.size(), 1);
    QVERIFY(dialog.table()->item(rows.first()->row(), 1)->text().startsWith(keys.toString(QKeySequence::NativeText)));
}

void tst_MainWindow::formatTables()
{
    Program program;
    QVERIFY(program.start());
    const auto &keys = program.window->contentsPage()->entryEditor()->formatButtonKeys();
    const auto &codes = program.window->contentsPage()->entryEditor()->formatCommandCodes();
    QCOMPARE(keys.front(), u"Fett"_s);
    QCOMPARE(keys[2], u"Unterstrichen"_s);
    QCOMPARE(keys[10], u"Farben"_s);
    QCOMPARE(keys.back(), u"Bild"_s);
    const std::array<int, 11> expected = {5000, 5023, 5048, 5030, 5051, 5018, 5031, 5025, 5024, 5026, 5046};
    QCOMPARE(codes, expected);
    // The first three keys, lower-cased, name buttons of the formatting toolbar.
    for (int i = 0; i < 3; ++i)
        QVERIFY(program.toolbarButton(u"Toolbar3"_s, keys[size_t(i)].toLower()));
}

void tst_MainWindow::fieldHelp_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QString>("otherPane");
    const std::pair<const char *, const char *> settings[] = {
            {"txtLink", "link"},
            {"txtDescription", "description"},
            {"txtLanguage", "language"},
            {"txtCategory", "category"},
            {"txtTTL", "ttl"},
            {"txtNumber", "number"},
            {"txtManagingeditor", "managingeditor"},
            {"txtWebmaster", "webmaster"},
            {"txtImageurl", "imageurl"},
            {"txtimagetitle", "imagetitle"},
            {"txtimagelink", "imagelink"},
    };
    for (const auto &[field, key] : settings)
        QTest::newRow(field) << QString::fromLatin1(field) << QString::fromLatin1(key) << u"HelpBrowser"_s
                             << u"FTPHelpBrowser"_s;
    const std::pair<const char *, const char *> ftp[] = {
            {"txtftpfile", "ftpfile"},         {"txtftpurl", "ftpurl"},           {"txtftpdir", "ftpdir"},
            {"txtftpusername", "ftpusername"}, {"txtftppassword", "ftppassword"}, {"txtftpproxy", "ftpproxy"},
    };
    for (const auto &[field, key] : ftp)
        QTest::newRow(field) << QString::fromLatin1(field) << QString::fromLatin1(key) << u"FTPHelpBrowser"_s
                             << u"HelpBrowser"_s;
}

void tst_MainWindow::fieldHelp()
{
    QFETCH(QString, field);
    QFETCH(QString, key);
    QFETCH(QString, pane);
    QFETCH(QString, otherPane);
    Program program;
    QVERIFY(program.start());
    if (pane == "FTPHelpBrowser"_L1)
        program.window->selectPage(Page::Ftp);
    const QString before = program.child<HtmlPane>(otherPane)->documentHtml();

    program.box(field)->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), program.box(field));
    const QString helpText = program.window->startup().language.helpTable.value(key);
    QVERIFY(helpText.startsWith("<b>"_L1)); // unescaped from "[[b]]"
    QCOMPARE(program.child<HtmlPane>(pane)->documentHtml(), BuildHelpPage(program.folder(), helpText));
    QCOMPARE(program.child<HtmlPane>(otherPane)->documentHtml(), before);
    QVERIFY(program.child<HtmlPane>(pane)->contextMenuPolicy() == Qt::NoContextMenu);
}

void tst_MainWindow::titleHelpShownAtStart()
{
    Program program;
    QVERIFY(program.start());
    QCOMPARE(QApplication::focusWidget(), program.box(u"txtTitle"_s));
    const QString titleHelp = program.window->startup().language.helpTable.value(u"title"_s);
    QCOMPARE(program.child<HtmlPane>(u"HelpBrowser"_s)->documentHtml(), BuildHelpPage(program.folder(), titleHelp));
    QCOMPARE(program.child<HtmlPane>(u"FTPHelpBrowser"_s)->documentHtml(), QString());

    // Tabbing on to the link replaces the page.
    QTest::keyClick(program.box(u"txtTitle"_s), Qt::Key_Tab);
    const QString linkHelp = program.window->startup().language.helpTable.value(u"link"_s);
    QCOMPARE(program.child<HtmlPane>(u"HelpBrowser"_s)->documentHtml(), BuildHelpPage(program.folder(), linkHelp));
}

void tst_MainWindow::styleSheetReadAtEveryFocus()
{
    Program program;
    QVERIFY(program.start());
    auto *pane = program.child<HtmlPane>(u"HelpBrowser"_s);
    QVERIFY(writeBytes(program.path(u"styles.css"_s), "p { color: red; }\r\n"));
    program.box(u"txtLink"_s)->setFocus();
    QVERIFY(pane->documentHtml().contains("<style type=text/css><!--p { color: red; }--></style>"_L1));
    QVERIFY(QFile::remove(program.path(u"styles.css"_s)));
    program.box(u"txtDescription"_s)->setFocus();
    QVERIFY(pane->documentHtml().contains("<style type=text/css><!---1--></style>"_L1));
    QVERIFY(pane->documentHtml().contains("<b>Description</b>"_L1));
}

void tst_MainWindow::rootCaptionRule_data()
{
    QTest::addColumn<bool>("rootBefore");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("rootAfter");
    QTest::addColumn<QString>("caption");
    QTest::newRow("new document, no title: tree stays empty") << false << QString() << false << QString();
    QTest::newRow("a title creates the root") << false << u"My news"_s << true << u"My news"_s;
    QTest::newRow("a title relabels the root") << true << u"My news"_s << true << u"My news"_s;
    QTest::newRow("no title gives the rootkey text") << true << QString() << true << u"My feed"_s;
}

// The window's size, the border between tree and entry and the page come back at the next start.
void tst_MainWindow::windowStateIsRemembered()
{
    Program program;
    QVERIFY(program.start());
    program.window->resize(900, 700);
    program.window->selectPage(Page::Contents);
    QSplitter *splitter = program.window->contentsPage()->splitter();
    splitter->setSizes({200, 650});
    const QList<int> sizes = splitter->sizes();
    QVERIFY(program.window->close());

    QVERIFY(program.start());
    QCOMPARE(program.window->size(), QSize(900, 700));
    QCOMPARE(program.window->currentPage(), Page::Contents);
    QCOMPARE(program.window->contentsPage()->splitter()->sizes(), sizes);
}

void tst_MainWindow::rootCaptionRule()
{
    QFETCH(bool, rootBefore);
    QFETCH(QString, title);
    QFETCH(bool, rootAfter);
    QFETCH(QString, caption);
    Program program;
    QVERIFY(program.start());
    EntryTreeModel &tree = program.window->document().tree;
    if (rootBefore)
        QVERIFY(tree.addRoot(u"Old caption"_s));
    QTest::keyClicks(program.box(u"txtTitle"_s), title);
    QCOMPARE(program.window->document().channel.title, title);

    for (Page page : {Page::Contents, Page::Ftp, Page::Settings}) {
        program.window->selectPage(page);
        QCOMPARE(tree.contains(EntryTreeModel::RootKey), rootAfter);
        QCOMPARE(tree.caption(EntryTreeModel::RootKey), caption);
    }
    if (rootAfter && !rootBefore) {
        QVERIFY(tree.isExpanded(EntryTreeModel::RootKey));
        auto *view = program.child<EntryTreeView>(u"TreeView"_s);
        QVERIFY(view->isExpanded(view->indexOfKey(EntryTreeModel::RootKey)));
    }
}

void tst_MainWindow::tabShowsOnePage_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("page");
    QTest::newRow("settings") << 0 << u"freSettings"_s;
    QTest::newRow("contents") << 1 << u"freContents"_s;
    QTest::newRow("preview") << 2 << u"frePreview"_s;
    QTest::newRow("ftp") << 3 << u"freFTP"_s;
}

void tst_MainWindow::tabShowsOnePage()
{
    QFETCH(int, tab);
    QFETCH(QString, page);
    Program program;
    QVERIFY(program.start());
    auto *tabs = program.child<QTabBar>(u"TabStrip1"_s);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
    QCOMPARE(tabs->currentIndex(), tab);
    for (const QString &name : {u"freSettings"_s, u"freContents"_s, u"frePreview"_s, u"freFTP"_s})
        QCOMPARE(program.child<QWidget>(name)->isVisible(), name == page);
    QCOMPARE(program.window->windowTitle(), u"Feedsmith"_s);
}

void tst_MainWindow::previewPageWritten()
{
    Program program;
    QVERIFY(QFile::copy(resourceDir() + u"/feeds/example.rsx"_s, program.path(u"feeds/example.rsx"_s)));
    QVERIFY(program.start());
    program.dialog.answer(program.path(u"feeds/example.rsx"_s));
    program.window->fileCommands()->openProject();
    QCOMPARE(program.window->document().entryCount(), 4);
    program.box(u"txtNumber"_s)->setText(u"x"_s);

    const QString page = defaultPreviewPath(program.folder());
    QVERIFY(!page.startsWith(program.folder()));
    QFile::remove(page);
    program.window->selectPage(Page::Preview);
    QVERIFY(QFile::exists(page));
    QCOMPARE(program.window->previewPage()->previewPath(), page);
    auto *browser = program.child<HtmlPane>(u"WebBrowser1"_s);
    QSignalSpy loaded(browser, &QWebEngineView::loadFinished);
    QVERIFY(loaded.wait(60000));
    QCOMPARE(loaded.first().first().toBool(), true);
    QCOMPARE(browser->url(), QUrl::fromLocalFile(page));
    const QByteArray written = readBytes(page);
    QVERIFY(written.contains("Tell your readers about the feed"));
    QCOMPARE(program.window->windowTitle(), u"example.rsx - Feedsmith - Feedsmith example feed"_s);
    // The number reset by the build shows in its box.
    QCOMPARE(program.box(u"txtNumber"_s)->text(), u"10"_s);

    // Every entry into the page builds it again.
    QVERIFY(QFile::remove(page));
    program.window->selectPage(Page::Settings);
    QCOMPARE(program.window->windowTitle(), u"example.rsx - Feedsmith"_s);
    program.window->selectPage(Page::Preview);
    QVERIFY(QFile::exists(page));
}

void tst_MainWindow::bodyObjectsAndBaseLoadNothing_data()
{
    QTest::addColumn<bool>("editor");
    QTest::newRow("preview") << false;
    QTest::newRow("editor") << true;
}

void tst_MainWindow::bodyObjectsAndBaseLoadNothing()
{
    QFETCH(bool, editor);
    // A web server that notes every path asked for.
    QTcpServer server;
    QStringList asked;
    connect(&server, &QTcpServer::newConnection, this, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [socket, &asked] {
                asked.append(QString::fromLatin1(socket->readAll().split(' ').value(1)));
                socket->write("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
                socket->disconnectFromHost();
            });
        }
    });
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString body = u"<base href=\"http://127.0.0.1:%1/base/\"><p>t<img src=\"moved.png\"><object "
                         "data=\"http://127.0.0.1:%1/object\"></object><embed src=\"http://127.0.0.1:%1/embed\">"
                         "<img src=\"http://127.0.0.1:%1/picture.png\"></p>"_s.arg(server.serverPort());
    QTemporaryDir dir;
    std::unique_ptr<HtmlPane> pane;
    if (editor) {
        pane = std::make_unique<RichTextEditor>();
        pane->setBaseFolder(dir.path());
        pane->setDocumentHtml(body);
    } else {
        FeedDocument document;
        document.entries.append(RSSentry{u"t"_s, {}, body});
        QVERIFY(writeBytes(
                dir.filePath(u"p.html"_s),
                BuildPreviewFile(document, 1, u"{DESCRIPTION}"_s, u"<html><head></head><body>{ENTRIES}"_s, {})));
        pane = std::make_unique<HtmlPane>();
        pane->showFile(dir.filePath(u"p.html"_s));
    }
    // Pictures by http load as readers show them; nothing else of the body does.
    QTRY_VERIFY_WITH_TIMEOUT(asked.contains(u"/picture.png"_s), 30000);
    QTest::qWait(300);
    QCOMPARE(asked, QStringList(u"/picture.png"_s));
}

void tst_MainWindow::previewWithoutEntries()
{
    Program program;
    QVERIFY(program.start());
    QTest::keyClicks(program.box(u"txtTitle"_s), u"Quiet"_s);
    program.window->selectPage(Page::Preview);
    QCOMPARE(program.window->previewPage()->previewPath(), program.path(u"empty.html"_s));
    QVERIFY(!QFile::exists(program.path(u"rsspreview.html"_s)));
    QCOMPARE(program.window->windowTitle(), u"Untitled* - Feedsmith"_s);
}

void tst_MainWindow::ftpPageFileDate()
{
    Program program;
    QVERIFY(program.start());
    auto *label = program.child<QLabel>(u"ftpfileproperties"_s);
    program.box(u"txtftpfile"_s)->setText(program.path(u"nothing-here.xml"_s));
    program.window->selectPage(Page::Ftp);
    QCOMPARE(label->text(), QString());

    const QString file = program.path(u"feed.xml"_s);
    QVERIFY(writeBytes(file, "<rss/>"));
    const QDateTime stamp(QDate(2026, 12, 6), QTime(19, 41, 29));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    f.close();
    program.window->selectPage(Page::Settings);
    program.box(u"txtftpfile"_s)->setText(file);
    program.window->selectPage(Page::Ftp);
    QCOMPARE(label->text(), "Last modified: "_L1 + DateText::format(stamp, SystemLocale::locale()));
    QVERIFY(label->text().endsWith("19:41:29"_L1));

    // A file name that names no file leaves the label as it was.
    program.window->selectPage(Page::Settings);
    program.box(u"txtftpfile"_s)->setText(program.path(u"gone.xml"_s));
    const QString shown = label->text();
    program.window->selectPage(Page::Ftp);
    QCOMPARE(label->text(), shown);
}

void tst_MainWindow::aboutBox_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void tst_MainWindow::aboutBox()
{
    QFETCH(int, key);
    AboutDialog about;
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    QCOMPARE(about.windowTitle(), u"About Feedsmith"_s);
    QCOMPARE(about.findChild<QLabel *>(u"lblTitle"_s)->text(), u"Feedsmith"_s);
    QCOMPARE(about.findChild<QLabel *>(u"lblVersion"_s)->text(),
             u"Version %1.%2.%3"_s.arg(Version::Major).arg(Version::Minor).arg(Version::Revision));
    QVERIFY(about.findChild<QLabel *>(u"lblNotice"_s)->text().contains("(GPL-3.0-or-later)"_L1));
    QVERIFY(about.findChild<QLabel *>(u"lblMaker"_s)->text().contains(QLatin1StringView(Version::HomePage)));
    QVERIFY(about.findChild<QPushButton *>(u"cmdOK"_s)->isDefault());
    QTest::keyClick(&about, Qt::Key(key));
    QVERIFY(!about.isVisible());
}

void tst_MainWindow::aboutFromMenuReturnsFocus()
{
    Program program;
    QVERIFY(program.start());
    bool seen = false;
    auto closeAbout = [&seen] {
        auto *about = qobject_cast<AboutDialog *>(QApplication::activeModalWidget());
        if (!about)
            return;
        seen = about->parentWidget() != nullptr && about->isModal();
        QTest::keyClick(about, Qt::Key_Escape);
    };

    // From the settings page the focus goes back into the title box.
    program.box(u"txtLink"_s)->setFocus();
    QTimer::singleShot(0, program.window.get(), closeAbout);
    program.menuItem(u"about"_s)->trigger();
    QVERIFY(seen);
    // A window manager activates the owner again; the offscreen platform leaves that to us.
    program.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(program.window.get()));
    QCOMPARE(QApplication::focusWidget(), program.box(u"txtTitle"_s));

    // Coming back from another window leaves the focus where the user left it.
    program.box(u"txtLink"_s)->setFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    program.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(program.window.get()));
    QCOMPARE(QApplication::focusWidget(), program.box(u"txtLink"_s));

    // From the contents page the focus stays on that page (its boxes take input with an entry).
    program.window->selectPage(Page::Contents);
    QTest::mouseClick(program.child<QPushButton>(u"cmdnewentry"_s), Qt::LeftButton);
    program.child<QWidget>(u"txtContentTitle"_s)->setFocus();
    seen = false;
    QTimer::singleShot(0, program.window.get(), closeAbout);
    program.menuItem(u"about"_s)->trigger();
    QVERIFY(seen);
    program.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(program.window.get()));
    QCOMPARE(QApplication::focusWidget(), program.child<QWidget>(u"txtContentTitle"_s));
}

void tst_MainWindow::exitClosesAtOnce()
{
    Program program;
    QVERIFY(program.start());
    QTest::keyClicks(program.box(u"txtTitle"_s), u"unsaved"_s);
    // Changes are asked about; discarded, the window closes at once.
    program.messages.answerSave(MessageBoxes::SaveAnswer::Discard);
    program.menuItem(u"exit"_s)->trigger();
    QVERIFY(!program.window->isVisible());
    QCOMPARE(program.messages.shown.size(), 1);
    QCOMPARE(program.messages.shown.first().kind, ScriptedMessageBoxes::Kind::SaveQuestion);
    QVERIFY(program.dialog.calls.isEmpty());
    QVERIFY(QDir(program.path(u"feeds"_s)).isEmpty());
}

// Text from a project, a feed, a file name or a server shows as typed wherever the window shows
// it: a picture in it loads nothing (/dev/zero would take all memory), a link in it opens nothing.
void tst_MainWindow::outsideTextShowsAsTyped_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("address"); // of informationWithAddress
    for (const char *box : {"information", "warning", "critical", "plain", "askYesNo", "askQuestion", "askSave",
                            "askRestore", "criticalWithDetails"})
        QTest::addRow("message box %s", box) << QString::fromLatin1(box) << QString();
    QTest::newRow("published message, file address not offered")
            << u"informationWithAddress"_s << u"file:///tmp/evil.desktop"_s;
    QTest::newRow("published message, web address offered")
            << u"informationWithAddress"_s << u"https://example.org/feed.xml"_s;
    QTest::newRow("last publication on the publishing page") << u"lastPublished"_s << QString();
    QTest::newRow("progress of a publication") << u"progress"_s << QString();
    QTest::newRow("tool tip of a feed-check finding") << u"finding"_s << QString();
}

void tst_MainWindow::outsideTextShowsAsTyped()
{
    QFETCH(QString, place);
    QFETCH(QString, address);
    const QString hostile = u"<img src=\"/dev/zero\"><a href=\"file:///tmp/evil.desktop\">Open</a>"_s;
    if (!m_shared) {
        m_shared = std::make_unique<Program>();
        QVERIFY(m_shared->start());
    }
    Program &p = *m_shared;
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    int buttons = 0;
    if (place == "lastPublished"_L1) {
        p.window->document().ftp.lastpublished = u"2026-12-08T10:00:00Z"_s;
        p.window->document().ftp.lastpublishedserver = hostile;
        p.window->findChild<PublishPage *>()->showLastPublication();
        const auto *label = p.child<QLabel>(u"lastPublished"_s);
        shown = label->text();
        format = label->textFormat();
    } else if (place == "progress"_L1) {
        const std::unique_ptr<QProgressDialog> progress(newProgressDialog(p.window.get(), {}, {}, {}));
        progress->setLabelText(hostile);
        const auto *label = progress->findChild<QLabel *>();
        shown = label->text();
        format = label->textFormat();
    } else if (place == "finding"_L1) {
        FeedCheckDialog dialog({FeedFinding{FeedFinding::Severity::Error, hostile, {}, 1}}, false, {}, p.window.get());
        QTextDocument tip;
        tip.setHtml(dialog.list()->item(0)->toolTip());
        shown = tip.toPlainText();
        format = Qt::PlainText;
        QVERIFY(tip.toHtml().count(u"<img"_s) == 0);
    } else {
        // A real message box, looked at and closed once it shows.
        QTimer::singleShot(0, p.window.get(), [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            shown = box->text();
            format = box->textFormat();
            buttons = int(box->buttons().size());
            box->done(0);
        });
        QtMessageBoxes boxes;
        QWidget *window = p.window.get();
        if (place == "information"_L1)
            boxes.information(window, {}, hostile);
        else if (place == "warning"_L1)
            boxes.warning(window, {}, hostile);
        else if (place == "critical"_L1)
            boxes.critical(window, {}, hostile);
        else if (place == "plain"_L1)
            boxes.plain(window, {}, hostile);
        else if (place == "askYesNo"_L1)
            boxes.askYesNo(window, {}, hostile);
        else if (place == "askQuestion"_L1)
            boxes.askQuestion(window, {}, hostile);
        else if (place == "askSave"_L1)
            boxes.askSave(window, {}, hostile, {u"S"_s, u"D"_s, u"C"_s});
        else if (place == "askRestore"_L1)
            boxes.askRestore(window, {}, hostile, u"R"_s, u"D"_s);
        else if (place == "criticalWithDetails"_L1)
            boxes.criticalWithDetails(window, {}, hostile, hostile);
        else
            boxes.informationWithAddress(window, {}, hostile, address, u"Open in browser"_s);
    }
    QCOMPARE(format, Qt::PlainText);
    QVERIFY2(shown.contains(hostile), qPrintable(shown));
    // Only a web address is offered to the browser.
    if (place == "informationWithAddress"_L1)
        QCOMPARE(buttons, address.startsWith(u"https:"_s) ? 2 : 1);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
