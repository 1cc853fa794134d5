// The Ctrl+V filter: plain-text paste in the content editor, normal paste everywhere else.
#include "entrysupport.h"

#include "window/editing/keyboardfilter.h"

#include <QClipboard>
#include <QSignalSpy>

using namespace Feedsmith;
using namespace FeedsmithTest;
using namespace Qt::StringLiterals;

class tst_WindowKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void ctrlVInEditorPastesPlainText();
    void ctrlVHeldDownPastesOnce();
    void pasteKey_data();
    void pasteKey();
    void pastesWhileHeld_data();
    void pastesWhileHeld();
    void ctrlVInPlainBox_data();
    void ctrlVInPlainBox();
    void markerLeavesFilterOut();
    void keyboardPaths_data();
    void keyboardPaths();
    void cleanupTestCase() { m_shared.reset(); }

private:
    std::unique_ptr<ContentsProgram> m_shared;
};

void tst_WindowKeyboard::ctrlVInEditorPastesPlainText()
{
    ContentsProgram p;
    QVERIFY(p.startOnContents());
    QVERIFY(p.entries()->keyboardFilter());
    QVERIFY(p.newEntry());
    QVERIFY(p.focusEditor());
    QGuiApplication::clipboard()->setText(u"line one\r\nline two"_s);
    QSignalSpy clicked(p.child<QPushButton>(u"pasteAsText"_s), &QPushButton::clicked);

    QTest::keyClick(p.editor()->focusProxy(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(clicked.count(), 0); // posted: the paste runs after the key event
    QTRY_COMPARE(clicked.count(), 1);
    QTRY_VERIFY2(p.editor()->documentHtml().contains(u"line one<br>line two"_s),
                 qPrintable(p.editor()->documentHtml()));
    QCOMPARE(p.editor()->documentHtml().count(u"line one"_s), 1);

    // Ctrl+Shift+V is taken the same way.
    QTest::keyClick(p.editor()->focusProxy(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_COMPARE(clicked.count(), 2);
}

void tst_WindowKeyboard::ctrlVHeldDownPastesOnce()
{
    ContentsProgram p;
    QVERIFY(p.startOnContents());
    QVERIFY(p.newEntry());
    QVERIFY(p.focusEditor());
    QGuiApplication::clipboard()->setText(u"once"_s);
    QSignalSpy clicked(p.child<QPushButton>(u"pasteAsText"_s), &QPushButton::clicked);
    QWidget *target = p.editor()->focusProxy();
    QTest::sendKeyEvent(QTest::Press, target, Qt::Key_V, QString(u"v"_s), Qt::ControlModifier);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, u"v"_s, true);
        QApplication::sendEvent(target, &repeat);
    }
    QTest::sendKeyEvent(QTest::Release, target, Qt::Key_V, QString(u"v"_s), Qt::ControlModifier);
    QTRY_COMPARE(clicked.count(), 1);
    QTRY_VERIFY(p.editor()->documentHtml().contains(u"once"_s));
    QCoreApplication::processEvents(); // a second posted click would arrive here
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(p.editor()->documentHtml().count(u"once"_s), 1);
}

void tst_WindowKeyboard::pasteKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<quint32>("scanCode");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("paste");
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Ctrl+V") << int(Qt::Key_V) << 0u << ctrl << true;
    QTest::newRow("Ctrl+Shift+V") << int(Qt::Key_V) << 55u << int(Qt::ControlModifier | Qt::ShiftModifier) << true;
    QTest::newRow("V alone") << int(Qt::Key_V) << 55u << int(Qt::NoModifier) << false;
    QTest::newRow("Russian layout, Ctrl+\u041c") << 0x41c << 55u << ctrl << true;
    QTest::newRow("Greek layout, Ctrl+\u03a9") << 0x3a9 << 55u << ctrl << true;
    QTest::newRow("Russian letter on another key") << 0x41c << 56u << ctrl << false;
    QTest::newRow("Dvorak's K on the V key") << int(Qt::Key_K) << 55u << ctrl << false;
}

void tst_WindowKeyboard::pasteKey()
{
    QFETCH(int, key);
    QFETCH(quint32, scanCode);
    QFETCH(int, modifiers);
    QFETCH(bool, paste);
    const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), scanCode, 0, 0);
    QCOMPARE(KeyboardFilter::isPasteKey(event), paste);
}

void tst_WindowKeyboard::pastesWhileHeld_data()
{
    // Presses (P, or A when flagged as auto-repeat) and releases (R) of Ctrl+V with their times.
    QTest::addColumn<QString>("events");
    QTest::addColumn<int>("pastes");
    QTest::newRow("X11 paired release and press") << u"P1000 R1500 P1500 R1533 P1533 R1600"_s << 1;
    QTest::newRow("presses without releases") << u"P1000 P1500 P1533 P1566 R1600"_s << 1;
    QTest::newRow("flagged repeats") << u"P1000 A1500 A1533 R1600"_s << 1;
    QTest::newRow("pressed twice by hand") << u"P1000 R1090 P1200 R1290"_s << 2;
    QTest::newRow("events without times") << u"P0 R0 P0 R0"_s << 2;
}

void tst_WindowKeyboard::pastesWhileHeld()
{
    QFETCH(QString, events);
    QFETCH(int, pastes);
    KeyboardFilter filter(nullptr, nullptr, nullptr);
    int pasted = 0;
    for (const QString &step : events.split(u' ')) {
        const bool release = step.startsWith(u'R');
        QKeyEvent event(release ? QEvent::KeyRelease : QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier,
                        u"v"_s, step.startsWith(u'A'));
        event.setTimestamp(step.mid(1).toULong());
        if (!filter.isRepeat(event) && !release)
            ++pasted;
    }
    QCOMPARE(pasted, pastes);
}

void tst_WindowKeyboard::ctrlVInPlainBox_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("page");
    QTest::newRow("entry title") << u"txtContentTitle"_s << int(Page::Contents);
    QTest::newRow("entry link") << u"txtContentLink"_s << int(Page::Contents);
    QTest::newRow("channel title on the settings page") << u"txtTitle"_s << int(Page::Settings);
}

void tst_WindowKeyboard::ctrlVInPlainBox()
{
    QFETCH(QString, box);
    QFETCH(int, page);
    ContentsProgram p;
    QVERIFY(p.startOnContents());
    if (Page(page) == Page::Contents)
        QVERIFY(p.newEntry()); // the entry's boxes take input only with an entry
    p.window->selectPage(Page(page));
    QSignalSpy clicked(p.child<QPushButton>(u"pasteAsText"_s), &QPushButton::clicked);
    QGuiApplication::clipboard()->setText(u"pasted"_s);
    QLineEdit *edit = p.box(box);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), u"pasted"_s);
    QCoreApplication::processEvents();
    QCOMPARE(clicked.count(), 0);
}

void tst_WindowKeyboard::markerLeavesFilterOut()
{
    ContentsProgram p;
    QVERIFY(writeBytes(p.path(u"devel.txt"_s), "1"));
    QVERIFY(p.startOnContents());
    QVERIFY(!p.window->startup().installKeyboardFilter);
    QVERIFY(!p.entries()->keyboardFilter());
    QVERIFY(p.newEntry());
    QVERIFY(p.focusEditor());
    QGuiApplication::clipboard()->setText(u"x\r\ny"_s);
    QSignalSpy clicked(p.child<QPushButton>(u"pasteAsText"_s), &QPushButton::clicked);
    QTest::keyClick(p.editor()->focusProxy(), Qt::Key_V, Qt::ControlModifier);
    QCoreApplication::processEvents(); // a posted click would arrive here
    QCOMPARE(clicked.count(), 0);
    QVERIFY(!p.editor()->documentHtml().contains(u"x<br>y"_s));
}

// What a keyboard user reaches: every page, the first control of the page shown, the filter
// from any page, the list's keys, and out of the text with Tab (a list item takes Tab as indent).
void tst_WindowKeyboard::keyboardPaths_data()
{
    QTest::addColumn<int>("page"); // shown first
    QTest::addColumn<QString>("focus"); // the widget the keys go to: "window", "tree", "editor"
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<int>("pageAfter");
    QTest::addColumn<QString>("focusAfter"); // its object name; "!" for anywhere outside the editor
    QTest::addColumn<QString>("selected"); // the entry selected after, when it matters
    QTest::addColumn<QString>("asked"); // how the question asked starts, when one is
    const int settings = int(Page::Settings);
    const int contents = int(Page::Contents);
    const auto row = [](const char *name, int page, const QString &focus, const QString &keys, int pageAfter,
                        const QString &focusAfter, const QString &selected = {}, const QString &asked = {}) {
        QTest::newRow(name) << page << focus << QKeySequence(keys) << pageAfter << focusAfter << selected << asked;
    };
    row("Alt+2: the contents page, its list", settings, u"window"_s, u"Alt+2"_s, contents, u"TreeView"_s);
    row("Alt+4: the publishing page, its first box", contents, u"window"_s, u"Alt+4"_s, int(Page::Ftp),
        u"txtftpfile"_s);
    row("Ctrl+Tab: the next page", settings, u"window"_s, u"Ctrl+Tab"_s, contents, u"TreeView"_s);
    row("Ctrl+PgUp: the page before", contents, u"window"_s, u"Ctrl+PgUp"_s, settings, u"txtTitle"_s);
    row("Ctrl+F on the settings page: the filter", settings, u"window"_s, u"Ctrl+F"_s, contents, u"txtFilter"_s);
    row("Home in the list: the first entry, not the root", contents, u"tree"_s, u"Home"_s, contents, u"TreeView"_s,
        u"key2"_s);
    row("Del in the list asks about the entry shown", contents, u"tree"_s, u"Del"_s, contents, u"TreeView"_s,
        u"key1"_s, u"Delete the entry"_s);
    row("Tab leaves the text", contents, u"editor"_s, u"Tab"_s, contents, u"!"_s);
}

void tst_WindowKeyboard::keyboardPaths()
{
    QFETCH(int, page);
    QFETCH(QString, focus);
    QFETCH(QKeySequence, keys);
    QFETCH(int, pageAfter);
    QFETCH(QString, focusAfter);
    QFETCH(QString, selected);
    QFETCH(QString, asked);
    if (!m_shared) {
        m_shared = std::make_unique<ContentsProgram>();
        QVERIFY(m_shared->startOnContents());
        QVERIFY(m_shared->newEntry() && m_shared->newEntry());
    }
    ContentsProgram &p = *m_shared;
    p.window->selectPage(Page(page));
    QWidget *target = p.window.get();
    if (focus == "editor"_L1) {
        QVERIFY(p.focusEditor());
        target = p.editor()->focusProxy();
    } else if (focus == "tree"_L1) {
        QVERIFY(p.clickNode(u"key1"_s));
        p.tree()->setFocus();
        target = p.tree();
    }
    QTest::keySequence(target, keys);
    QTRY_COMPARE(int(p.window->currentPage()), pageAfter);
    if (focusAfter == "!"_L1)
        QTRY_VERIFY(QApplication::focusWidget() && !p.editor()->isAncestorOf(QApplication::focusWidget()));
    else
        QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focusAfter);
    if (!selected.isEmpty())
        QCOMPARE(p.entries()->selectedKey(), selected);
    if (!asked.isEmpty())
        QVERIFY(!p.messages.shown.isEmpty() && p.messages.shown.last().text.startsWith(asked));
}

QTEST_MAIN(tst_WindowKeyboard)
#include "tst_window_keyboard.moc"
