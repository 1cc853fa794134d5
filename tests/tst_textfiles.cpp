// Tests of whole-file reading (ReadTextFile), the style and help page wrappers, and atomic writing.
#include "core/locale/userdictionary.h"
#include "core/text/printable.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"

#include "testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <unistd.h>

using namespace Feedsmith;
using FeedsmithTest::readBytes;
using FeedsmithTest::writeBytes;

namespace {

const QString StyleOpen = u"<style type=text/css><!--"_qs;
const QString StyleClose = u"--></style>"_qs;

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestTextFiles : public QObject
{
    Q_OBJECT

private slots:
    void userDictionary();
    void escapedPath_data();
    void escapedPath();
    void readTextFile_data();
    void readTextFile();
    void linesAcrossPieces_data();
    void linesAcrossPieces();
    void readMissingFile();
    void readFileInMissingFolder();
    void readFolderGivesEmptyText();
    void buildStyleBlock();
    void styleSheetIsReadAnewEachTime();
    void missingStyleSheet();
    void buildHelpPage_data();
    void buildHelpPage();
    void styleBlockRemover_data();
    void styleBlockRemover();
    void writeFileAtomically_data();
    void writeFileAtomically();
    void writeRefusedForFolderTarget();
    void writeRefusedInReadOnlyFolder();
    void writeRefusedForEmptyPath();
};

void TestTextFiles::readTextFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two lines joined without separator") << QByteArray("p {\r\n}") << u"p {}"_qs;
    QTest::newRow("lines ending in CR LF") << QByteArray("a\r\nb\r\n") << u"ab"_qs;
    QTest::newRow("lines ending in lone CR") << QByteArray("a\rb\r") << u"ab"_qs;
    QTest::newRow("last line without line break read") << QByteArray("one\r\ntwo") << u"onetwo"_qs;
    QTest::newRow("single line without line break") << QByteArray("alone") << u"alone"_qs;
    QTest::newRow("lone LF stays in the text") << QByteArray("a\nb\r\nc") << u"a\nbc"_qs;
    QTest::newRow("blank lines vanish") << QByteArray("a\r\n\r\n\r\nb") << u"ab"_qs;
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << u"ab"_qs;
    QTest::newRow("blanks and tabs kept") << QByteArray(" a\t\r\n b ") << u" a\t b "_qs;
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("only a line break") << QByteArray("\r\n") << QString();
    QTest::newRow("Windows-1252 bytes") << QByteArray("\xC4pfel \x80\r\n\x93x\x94") << u"Äpfel €“x”"_qs;
}

void TestTextFiles::readTextFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"file.txt"_qs);
    QVERIFY(writeBytes(path, bytes));
    QCOMPARE(ReadTextFile(path), expected);
}

// The file is read in pieces: line breaks at the end of one and the start of the next.
void TestTextFiles::linesAcrossPieces_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("lineFeedEndsLine");
    QTest::addColumn<QStringList>("lines");
    const QByteArray a(FileReadPieceBytes - 1, 'a');
    const QString as = QString::fromLatin1(a);
    QTest::newRow("CR LF split between pieces") << a + "\r\nb" << false << QStringList{as, u"b"_qs};
    QTest::newRow("empty line after a split CR LF") << a + "\r\n\r\nb" << false << QStringList{as, QString(), u"b"_qs};
    QTest::newRow("lone CR at the end of a piece") << a + "\rb" << false << QStringList{as, u"b"_qs};
    QTest::newRow("lone LF at the end of a piece ends a line") << a + "\nb" << true << QStringList{as, u"b"_qs};
    QTest::newRow("lone LF at the end of a piece is text") << a + "\nb" << false << QStringList{as + u"\nb"_qs};
    QTest::newRow("line longer than a piece, letters of the upper half")
            << a + "\xE4" + a + "\r\nc" << false << QStringList{as + u"\u00E4"_qs + as, u"c"_qs};
    QByteArray many;
    QStringList manyLines;
    for (int k = 0; many.size() < FileReadPieceBytes * 3; ++k) {
        manyLines << u"line %1 "_qs.arg(k) + QString(k % 700, u'x');
        many += manyLines.back().toLatin1() + "\r\n";
    }
    QTest::newRow("lines of many pieces") << many << false << manyLines;
}

void TestTextFiles::linesAcrossPieces()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, lineFeedEndsLine);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"lines.txt"_qs);
    QVERIFY(writeBytes(path, bytes));
    QStringList lines;
    QVERIFY(forEachFileLine(
            path, [&lines](QStringView line) { lines << line.toString(); }, nullptr,
            LineReading{.lineFeedEndsLine = lineFeedEndsLine}));
    QTEST(lines, "lines");
    // The bytes of a line stay valid after the call as long as a copy of its piece is held.
    std::vector<std::pair<QByteArrayView, QByteArray>> held;
    QVERIFY(forEachFileLineBytes(
            path, [&held](QByteArrayView line, const QByteArray &piece) { held.emplace_back(line, piece); }, nullptr,
            nullptr, LineReading{.lineFeedEndsLine = lineFeedEndsLine}));
    lines.clear();
    for (const auto &[line, piece] : held)
        lines << Windows1252::decode(line);
    QTEST(lines, "lines");
}

void TestTextFiles::readMissingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(ReadTextFile(dir.filePath(u"missing.txt"_qs)), u"-1"_qs);
    QCOMPARE(entriesOf(dir.path()), QStringList());
}

void TestTextFiles::readFileInMissingFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"feeds"_qs);
    const QString path = folder + u"/entry.html"_qs;
    QVERIFY(!QFileInfo::exists(folder));

    QCOMPARE(ReadTextFile(path), u"-1"_qs);
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(entriesOf(folder), QStringList());
    QCOMPARE(entriesOf(dir.path()), QStringList{u"feeds"_qs});

    // The second time the folder is there: still "-1", and nothing new appears.
    QCOMPARE(ReadTextFile(path), u"-1"_qs);
    QCOMPARE(entriesOf(folder), QStringList());
    QCOMPARE(entriesOf(dir.path()), QStringList{u"feeds"_qs});
}

void TestTextFiles::readFolderGivesEmptyText()
{
    // A path that exists but cannot be read as a file is a read failure, not a missing file.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(u"sub"_qs));
    QCOMPARE(ReadTextFile(dir.filePath(u"sub"_qs)), QString());
}

void TestTextFiles::buildStyleBlock()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeBytes(dir.filePath(u"styles.css"_qs), "p {\r\n}\r\n"));
    QCOMPARE(BuildStyleBlock(dir.path()), StyleOpen + u"p {}"_qs + StyleClose);
    QCOMPARE(StyleBlockFor(u"b { x }"_qs), StyleOpen + u"b { x }"_qs + StyleClose);
}

void TestTextFiles::styleSheetIsReadAnewEachTime()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString sheet = dir.filePath(u"styles.css"_qs);
    QVERIFY(writeBytes(sheet, "a {}"));
    QCOMPARE(BuildStyleBlock(dir.path()), StyleOpen + u"a {}"_qs + StyleClose);
    QVERIFY(writeBytes(sheet, "b {\r\ncolor: red;\r\n}"));
    QCOMPARE(BuildStyleBlock(dir.path()), StyleOpen + u"b {color: red;}"_qs + StyleClose);
}

void TestTextFiles::missingStyleSheet()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(BuildStyleBlock(dir.path()), StyleOpen + u"-1"_qs + StyleClose);
}

void TestTextFiles::buildHelpPage_data()
{
    QTest::addColumn<QString>("helpText");

    QTest::newRow("empty help text") << QString();
    QTest::newRow("plain help text") << u"Der Titel des Feeds."_qs;
    QTest::newRow("help text with markup") << u"<b>Link</b>, z. B. http://x/"_qs;
}

void TestTextFiles::buildHelpPage()
{
    QFETCH(QString, helpText);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeBytes(dir.filePath(u"styles.css"_qs), "p {\r\n}"));
    const QString page = BuildHelpPage(dir.path(), helpText);
    QCOMPARE(page,
             u"<html><head><title></title>"_qs + ContentPolicyMeta + StyleOpen + u"p {}"_qs + StyleClose
                     + u"</head><body>"_qs + helpText + u"</body>"_qs);
    QVERIFY(!page.contains(u"</html>"_qs));
}

// The writers strip the style block from entry bodies again before they write them.
void TestTextFiles::styleBlockRemover_data()
{
    QTest::addColumn<QString>("treated"); // the block after the writer's own treatment, or empty
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const QString block = StyleOpen + u"p {}"_qs + StyleClose;
    const QString upper = block.toUpper();
    const QString treated = u"[[style type=text/css]][[!--p {}--]][[/style]]"_qs;
    QTest::newRow("text without block unchanged") << QString() << u"<p>x</p>"_qs << u"<p>x</p>"_qs;
    QTest::newRow("one block removed") << QString() << block + u"<p>x</p>"_qs << u"<p>x</p>"_qs;
    QTest::newRow("every copy removed") << QString() << u"a"_qs + block + u"b"_qs + block + block << u"ab"_qs;
    QTest::newRow("block in capitals removed") << QString() << u"a"_qs + upper + u"b"_qs << u"ab"_qs;
    // No body keeps the editor's block of another sheet (one read beside a project, say).
    QTest::newRow("block of another sheet removed too")
            << QString() << u"a"_qs + StyleOpen.toUpper() + u"q {}"_qs + StyleClose + u"b"_qs << u"ab"_qs;
    QTest::newRow("block of another sheet without its end stays")
            << QString() << StyleOpen + u"q {}"_qs << StyleOpen + u"q {}"_qs;
    QTest::newRow("treated form removed too") << treated << block + u"a"_qs + treated + u"b"_qs << u"ab"_qs;
    QTest::newRow("treated form equal to the block") << block.toUpper() << block + u"a"_qs << u"a"_qs;
    QTest::newRow("copy formed by a removal goes as a block of the editor's form")
            << QString() << block.left(10) + block + block.mid(10) << QString();
}

void TestTextFiles::styleBlockRemover()
{
    QFETCH(QString, treated);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const StyleBlockRemover remove(StyleOpen + u"p {}"_qs + StyleClose, treated);
    QCOMPARE(remove(text), expected);
}

void TestTextFiles::writeFileAtomically_data()
{
    QTest::addColumn<QByteArray>("previous"); // empty: no file before
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Feedsmith::Durability>("durability");

    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += char(b);
    for (const auto durability : {Feedsmith::Durability::Synced, Feedsmith::Durability::Regenerable}) {
        const char *how = durability == Feedsmith::Durability::Synced ? "synced" : "regenerable";
        QTest::addRow("%s: new file", how) << QByteArray() << QByteArray("<rss>\r\n</rss>\r\n") << durability;
        QTest::addRow("%s: every byte value unchanged", how) << QByteArray() << everyByte << durability;
        QTest::addRow("%s: line endings not translated", how)
                << QByteArray() << QByteArray("a\nb\rc\r\n") << durability;
        QTest::addRow("%s: longer file replaced by a shorter one", how)
                << QByteArray(5000, 'x') << QByteArray("short") << durability;
        QTest::addRow("%s: file replaced by an empty one", how)
                << QByteArray("old content") << QByteArray() << durability;
    }
}

void TestTextFiles::writeFileAtomically()
{
    QFETCH(QByteArray, previous);
    QFETCH(QByteArray, bytes);
    QFETCH(Feedsmith::Durability, durability);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"feed.xml"_qs);
    // A file replaced keeps its mode; a new one gets the mode of any new file.
    const mode_t mask = ::umask(022);
    const mode_t expectedMode = previous.isEmpty() ? 0644 : 0640;
    if (!previous.isEmpty()) {
        QVERIFY(writeBytes(path, previous));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    }

    QString error;
    const bool written = Feedsmith::writeFileAtomically(path, bytes, &error, durability);
    ::umask(mask);
    QVERIFY2(written, qPrintable(error));
    QVERIFY(QFileInfo(path).isFile());
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, expectedMode);
    QCOMPARE(readBytes(path), bytes);
    QCOMPARE(entriesOf(dir.path()), QStringList{u"feed.xml"_qs});
}

void TestTextFiles::writeRefusedForFolderTarget()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"feed.xml"_qs);
    QVERIFY(QDir(dir.path()).mkdir(u"feed.xml"_qs));
    QVERIFY(writeBytes(path + u"/inside.txt"_qs, "kept"));

    QString error;
    QVERIFY(!Feedsmith::writeFileAtomically(path, "new", &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(entriesOf(path), QStringList{u"inside.txt"_qs});
    QCOMPARE(readBytes(path + u"/inside.txt"_qs), QByteArray("kept"));
    QCOMPARE(entriesOf(dir.path()), QStringList{u"feed.xml"_qs});
}

void TestTextFiles::writeRefusedInReadOnlyFolder()
{
    if (geteuid() == 0)
        QSKIP("root may write into read-only folders");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"locked"_qs);
    QVERIFY(QDir(dir.path()).mkdir(u"locked"_qs));
    const QString path = folder + u"/feed.xml"_qs;
    const QByteArray previous("<rss>old</rss>\r\n");
    QVERIFY(writeBytes(path, previous));
    QVERIFY(QFile::setPermissions(folder,
                                  QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                          | QFile::ReadOther | QFile::ExeOther));

    QString error;
    const bool written = Feedsmith::writeFileAtomically(path, "<rss>new</rss>\r\n", &error);
    const QByteArray after = readBytes(path);
    const QStringList entries = entriesOf(folder);
    // Give the folder back so that it can be removed again.
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY(!written);
    QVERIFY2(error.contains(path), qPrintable(error));
    QCOMPARE(after, previous);
    QCOMPARE(entries, QStringList{u"feed.xml"_qs});
}

void TestTextFiles::writeRefusedForEmptyPath()
{
    QString error;
    QVERIFY(!Feedsmith::writeFileAtomically(QString(), "x", &error));
    QVERIFY(!error.isEmpty());
    // The caller need not ask for the reason.
    QVERIFY(!Feedsmith::writeFileAtomically(QString(), "x", nullptr));
}

// The user's words in the file the web engine reads: one a line, then the checksum of the words;
// a file whose checksum does not match counts as empty, as it does for the web engine.
void TestTextFiles::userDictionary()
{
    using namespace Qt::StringLiterals;
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"editor"_s);
    QVERIFY(AddToUserDictionary(folder, u"Grüße"_s));
    QVERIFY(AddToUserDictionary(folder, u"Feedsmith"_s));
    QVERIFY(AddToUserDictionary(folder, u"Grüße"_s)); // once only
    const QByteArray words = "Grüße\nFeedsmith\n";
    QCOMPARE(readBytes(UserDictionaryPath(folder)),
             words + "checksum_v1 = " + QCryptographicHash::hash(words, QCryptographicHash::Md5).toHex());
    QCOMPARE(UserDictionaryWords(folder), (QStringList{u"Grüße"_s, u"Feedsmith"_s}));
    // The web engine's copy in its own folder holds the same words; without them it goes.
    const QString engine = dir.filePath(u"engine"_s);
    QVERIFY(CopyUserDictionary(folder, engine));
    QCOMPARE(readBytes(UserDictionaryPath(engine)), readBytes(UserDictionaryPath(folder)));
    QVERIFY(CopyUserDictionary(dir.filePath(u"none"_s), engine));
    QVERIFY(!QFileInfo::exists(UserDictionaryPath(engine)));
    QString error;
    QVERIFY(!AddToUserDictionary(folder, u"two words"_s, &error));
    QVERIFY(!AddToUserDictionary(folder, QString(100, u'a'), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(writeBytes(UserDictionaryPath(folder), words + "checksum_v1 = 00"));
    QCOMPARE(UserDictionaryWords(folder), QStringList());

    // A dictionary that is a pipe, a link or endless is neither read nor replaced, and is set
    // aside before the web engine could read it.
    QVERIFY(QFile::remove(UserDictionaryPath(folder)));
    QCOMPARE(::mkfifo(QFile::encodeName(UserDictionaryPath(folder)).constData(), 0600), 0);
    QVERIFY(!AddToUserDictionary(folder, u"Wort"_s, &error));
    QVERIFY2(error.contains(u"pipe"_s), qPrintable(error));
    QCOMPARE(UserDictionaryWords(folder), QStringList());
    QVERIFY(SetAsideUnusableUserDictionary(folder).contains(u"set aside"_s));
    QVERIFY(!QFileInfo::exists(UserDictionaryPath(folder)));
    QVERIFY(writeBytes(dir.filePath(u"secret"_s), words));
    QVERIFY(QFile::link(dir.filePath(u"secret"_s), UserDictionaryPath(folder)));
    QCOMPARE(UserDictionaryWords(folder), QStringList());
    QVERIFY(!AddToUserDictionary(folder, u"Wort"_s, &error));
    QVERIFY(!SetAsideUnusableUserDictionary(folder).isEmpty());
    QVERIFY(writeBytes(UserDictionaryPath(folder), QByteArray(8 * 1024 * 1024, 'a')));
    QVERIFY(!UnusableUserDictionaryReason(folder).isEmpty());
    QCOMPARE(readBytes(dir.filePath(u"secret"_s)), words);
}

// A path as messages show it: nothing in it can hide or disguise a part of it.
void TestTextFiles::escapedPath_data()
{
    using namespace Qt::StringLiterals;
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain path as it is") << u"/home/jane/news.xml"_s << u"/home/jane/news.xml"_s;
    QTest::newRow("blank inside a name as it is") << u"media/Episode 1.mp3"_s << u"media/Episode 1.mp3"_s;
    QTest::newRow("blanks ending a part before ../")
            << u"feed.xml   /../.ssh/id_rsa"_s << u"feed.xml\\x20\\x20\\x20/../.ssh/id_rsa"_s;
    QTest::newRow("blank at the end") << u"news.xml "_s << u"news.xml\\x20"_s;
    QTest::newRow("line break and escape") << u"a\nb\x1b[2J"_s << u"a\\x0Ab\\x1B[2J"_s;
    QTest::newRow("right-to-left override") << u"evil\u202Egpj.sh"_s << u"evil\\u202Egpj.sh"_s;
}

void TestTextFiles::escapedPath()
{
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(Feedsmith::escapedPath(path), shown);
}

QTEST_GUILESS_MAIN(TestTextFiles)
#include "tst_textfiles.moc"
