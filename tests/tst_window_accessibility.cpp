// The window and its dialogs as a screen reader meets them, read off the real accessibility bus
// (tests/run-in-session starts it): every control that shows has a name, in English and German.
#include "entrysupport.h"

#include "window/editing/linkdialog.h"
#include "window/platform/progresstask.h"
#include "window/shell/aboutdialog.h"
#include "window/shell/feedcheckdialog.h"
#include "window/shell/shortcutsdialog.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStatusBar>

using namespace Feedsmith;
using namespace FeedsmithTest;
using namespace Qt::StringLiterals;

class tst_WindowAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_reader.start(u"/usr/bin/python3"_s, {QStringLiteral(FEEDSMITH_TEST_DIR "/accessibility_walk.py"),
                                               QString::number(QCoreApplication::applicationPid())});
        QVERIFY(m_reader.waitForStarted());
    }
    void cleanupTestCase()
    {
        m_program.reset();
        m_reader.closeWriteChannel();
        QVERIFY(waitUntil([this] { return m_reader.state() == QProcess::NotRunning; }, 5000));
    }
    void everyControlNamed_data();
    void everyControlNamed();

private:
    // The reader's answer; its questions to this program are answered meanwhile.
    QJsonValue ask(const QByteArray &command, const QString &key)
    {
        m_reader.write(command + '\n');
        waitUntil([this] { return m_reader.canReadLine() || m_reader.state() != QProcess::Running; }, 20000);
        return QJsonDocument::fromJson(m_reader.readLine()).object().value(key);
    }
    QProcess m_reader;
    std::unique_ptr<ContentsProgram> m_program;
    QString m_locale;
};

void tst_WindowAccessibility::everyControlNamed_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("aName"); // one name the place must show
    const QList<std::array<QString, 3>> places = {
            {u"settings page"_s, u"Podcast category"_s, u"Podcast-Kategorie"_s},
            {u"contents page"_s, u"Bold"_s, u"Fett"_s},
            {u"preview page"_s, u"Preview"_s, u"Vorschau"_s},
            {u"publishing page"_s, u"Progress"_s, u"Fortschritt"_s}, // with the progress panel
            {u"link dialog"_s, u"Remove link"_s, u"Link entfernen"_s},
            {u"feed check"_s, u"Publish anyway"_s, u"Trotzdem ver\u00f6ffentlichen"_s},
            {u"trust question"_s, u"Yes"_s, u"Ja"_s},
            {u"save question"_s, u"Discard"_s, u"Verwerfen"_s},
            {u"address question"_s, u"OK"_s, u"OK"_s},
            {u"keyboard shortcuts"_s, u"Close"_s, u"Schlie\u00dfen"_s},
            {u"about box"_s, u"OK"_s, u"OK"_s},
            {u"file dialog"_s, u"Open"_s, u"\u00d6ffnen"_s},
    };
    for (const QString &locale : {u"en_US.UTF-8"_s, u"de_DE.UTF-8"_s}) {
        for (const auto &[place, english, german] : places)
            QTest::addRow("%s, %s", qPrintable(locale.left(2)), qPrintable(place))
                    << locale << place << (locale.startsWith(u"de"_s) ? german : english);
    }
}

void tst_WindowAccessibility::everyControlNamed()
{
    QFETCH(QString, locale);
    QFETCH(QString, place);
    QFETCH(QString, aName);
    if (locale != std::exchange(m_locale, locale)) {
        m_program = std::make_unique<ContentsProgram>();
        QVERIFY(m_program->start(locale));
        m_program->box(u"txtTitle"_s)->setText(u"Walk"_s);
    }
    ContentsProgram &p = *m_program;
    MainWindow *window = p.window.get();
    const KeyedTexts &texts = window->startup().language.textTable;
    QJsonArray controls;
    const QStringList pages = {u"settings page"_s, u"contents page"_s, u"preview page"_s, u"publishing page"_s};
    if (pages.contains(place)) {
        window->selectPage(Page(pages.indexOf(place)));
        auto *panel = new ProgressPanel(texts.value(u"cancelbutton"_s), texts.value(u"publishprogress"_s), window);
        window->statusBar()->addPermanentWidget(panel);
        panel->begin(u"Uploading feed.xml"_s);
        if (place == "settings page"_L1 && !p.child<QCheckBox>(u"chkPodcast"_s)->isChecked())
            p.child<QCheckBox>(u"chkPodcast"_s)->click();
        if (place == "contents page"_L1) {
            QVERIFY(p.newEntry());
            QTest::keyClicks(p.box(u"txtContentTitle"_s), u"Walked entry"_s);
            p.child<QAbstractButton>(u"cmdDetails"_s)->click();
            // The entry's text, as typed, reaches the reader.
            QVERIFY(p.focusEditor());
            QVERIFY(p.typeIntoEditor(u"Read to me"_s));
            QVERIFY(waitUntil([&] { return ask("text", u"text"_s).toString().contains(u"Read to me"_s); }, 5000));
            p.entries()->commitCurrentEntry();
            window->contentsPage()->filterEdit()->setText(u"Walked"_s); // its clear button shows
        }
        QTest::qWait(100);
        controls = ask("walk", u"controls"_s).toArray();
        delete panel;
    } else {
        QTimer::singleShot(0, this, [&] {
            waitUntil([] { return QApplication::activeModalWidget() && QApplication::activeModalWidget()->isVisible(); });
            controls = ask("walk", u"controls"_s).toArray();
            QApplication::activeModalWidget()->close();
        });
        QtMessageBoxes boxes;
        QDialog *dialog = nullptr;
        if (place == "link dialog"_L1)
            dialog = new LinkDialog(texts, {u"https://example.org/"_s, u"Example"_s, false, false, true}, window);
        else if (place == "feed check"_L1)
            dialog = new FeedCheckDialog({{FeedFinding::Severity::Warning, u"A warning"_s, {}, 0}}, true, texts, window);
        else if (place == "keyboard shortcuts"_L1)
            dialog = new ShortcutsDialog(window, texts);
        else if (place == "about box"_L1)
            dialog = new AboutDialog(texts, window);
        else if (place == "trust question"_L1)
            boxes.askQuestion(window, {}, texts.value(u"trusthostkey"_s).arg(u"sftp.example.org"_s));
        else if (place == "save question"_L1)
            boxes.askSave(window, {}, texts.value(u"savechanges"_s),
                          {texts.value(u"savebutton"_s), texts.value(u"discardbutton"_s), texts.value(u"cancelbutton"_s)});
        else if (place == "file dialog"_L1)
            QtFileDialog().showOpen(window);
        else
            boxes.askText(window, {}, texts.value(u"importprompt"_s));
        if (dialog) {
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->exec();
        }
    }
    QStringList unnamed, names, selected;
    bool defaultButton = false;
    for (const QJsonValue &value : std::as_const(controls)) {
        const QJsonArray c = value.toArray(); // role, name, states, path
        const QString name = c.at(1).toString().trimmed();
        names.append(name);
        if (name.isEmpty())
            unnamed.append(c.at(3).toString() + u'/' + c.at(0).toString());
        defaultButton = defaultButton || (c.at(2).toArray().contains(u"default"_s) && !name.isEmpty());
        if (c.at(2).toArray().contains(u"selected"_s) && c.at(3).toString().endsWith(texts.value(u"entrylist"_s)))
            selected.append(name);
    }
    qInfo("%s: %d controls, %d without a name%s", qPrintable(place), int(controls.size()), int(unnamed.size()),
          qPrintable((QStringList{QString()} + unnamed).join(u"\n  "_s)));
    QVERIFY2(!controls.isEmpty(), "nothing read off the accessibility bus");
    QVERIFY(unnamed.isEmpty());
    QVERIFY2(names.contains(aName), qPrintable(names.join(u", "_s)));
    QVERIFY(pages.contains(place) || defaultButton);
    // The list of entries is named, and says the selected entry: its date, then its title.
    if (place == "contents page"_L1)
        QVERIFY2(selected.size() == 1 && selected.first().endsWith(u"Walked entry"_s), qPrintable(selected.join(u", "_s)));
}

QTEST_MAIN(tst_WindowAccessibility)
#include "tst_window_accessibility.moc"
