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
    void ctrlVInPlainBox_data();
    void ctrlVInPlainBox();
    void markerLeavesFilterOut();
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

QTEST_MAIN(tst_WindowKeyboard)
#include "tst_window_keyboard.moc"
