// Tests of the Windows-1252 code page: character codes, decoding, encoding, numeric references.
#include "core/text/windows1252.h"

#include <QtTest>

using namespace Feedsmith;

class TestWindows1252 : public QObject
{
    Q_OBJECT

private slots:
    void code_data();
    void code();
    void decodeKnownBytes_data();
    void decodeKnownBytes();
    void allBytesRoundTrip();
    void encode_data();
    void encode();
    void appendEncodedKeepsWhatIsThere();
    void decodeHighReferences_data();
    void decodeHighReferences();
    void referencesBringBackTextOutsideTheCodePage_data();
    void referencesBringBackTextOutsideTheCodePage();
};

void TestWindows1252::code_data()
{
    QTest::addColumn<uint>("codePoint");
    QTest::addColumn<int>("expected");

    QTest::newRow("NUL") << 0x00u << 0x00;
    QTest::newRow("line feed") << 0x0Au << 0x0A;
    QTest::newRow("letter A") << uint('A') << 0x41;
    QTest::newRow("tilde") << uint('~') << 0x7E;
    QTest::newRow("DEL") << 0x7Fu << 0x7F;

    QTest::newRow("euro sign") << 0x20ACu << 0x80;
    QTest::newRow("single low quote") << 0x201Au << 0x82;
    QTest::newRow("f with hook") << 0x0192u << 0x83;
    QTest::newRow("double low quote") << 0x201Eu << 0x84;
    QTest::newRow("ellipsis") << 0x2026u << 0x85;
    QTest::newRow("per mille") << 0x2030u << 0x89;
    QTest::newRow("capital S caron") << 0x0160u << 0x8A;
    QTest::newRow("capital OE") << 0x0152u << 0x8C;
    QTest::newRow("capital Z caron") << 0x017Du << 0x8E;
    QTest::newRow("left single quote") << 0x2018u << 0x91;
    QTest::newRow("right single quote") << 0x2019u << 0x92;
    QTest::newRow("en dash") << 0x2013u << 0x96;
    QTest::newRow("em dash") << 0x2014u << 0x97;
    QTest::newRow("small tilde") << 0x02DCu << 0x98;
    QTest::newRow("trade mark") << 0x2122u << 0x99;
    QTest::newRow("small s caron") << 0x0161u << 0x9A;
    QTest::newRow("small oe") << 0x0153u << 0x9C;
    QTest::newRow("small z caron") << 0x017Eu << 0x9E;
    QTest::newRow("capital Y diaeresis") << 0x0178u << 0x9F;

    QTest::newRow("unassigned 0x81 as control") << 0x81u << 0x81;
    QTest::newRow("unassigned 0x8D as control") << 0x8Du << 0x8D;
    QTest::newRow("unassigned 0x8F as control") << 0x8Fu << 0x8F;
    QTest::newRow("unassigned 0x90 as control") << 0x90u << 0x90;
    QTest::newRow("unassigned 0x9D as control") << 0x9Du << 0x9D;
    QTest::newRow("control 0x80 has no code (byte is the euro)") << 0x80u << -1;
    QTest::newRow("control 0x9F has no code (byte is Y diaeresis)") << 0x9Fu << -1;

    QTest::newRow("no-break space") << 0xA0u << 0xA0;
    QTest::newRow("capital A diaeresis") << 0xC4u << 0xC4;
    QTest::newRow("sharp s") << 0xDFu << 0xDF;
    QTest::newRow("small y diaeresis") << 0xFFu << 0xFF;

    QTest::newRow("A with macron") << 0x0100u << -1;
    QTest::newRow("rightwards arrow") << 0x2192u << -1;
    QTest::newRow("replacement character") << 0xFFFDu << -1;
    QTest::newRow("emoji") << 0x1F600u << -1;
    QTest::newRow("high surrogate") << 0xD83Du << -1;
}

void TestWindows1252::code()
{
    QFETCH(uint, codePoint);
    QFETCH(int, expected);
    QCOMPARE(Windows1252::code(char32_t(codePoint)), expected);
    if (codePoint <= 0xFFFF)
        QCOMPARE(Windows1252::code(QChar(char16_t(codePoint))), expected);
}

void TestWindows1252::decodeKnownBytes_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<uint>("expected");

    QTest::newRow("ASCII letter") << 0x61 << 0x61u;
    QTest::newRow("euro sign") << 0x80 << 0x20ACu;
    QTest::newRow("unassigned 0x81") << 0x81 << 0x81u;
    QTest::newRow("single low quote") << 0x82 << 0x201Au;
    QTest::newRow("unassigned 0x8D") << 0x8D << 0x8Du;
    QTest::newRow("unassigned 0x8F") << 0x8F << 0x8Fu;
    QTest::newRow("unassigned 0x90") << 0x90 << 0x90u;
    QTest::newRow("right single quote") << 0x92 << 0x2019u;
    QTest::newRow("unassigned 0x9D") << 0x9D << 0x9Du;
    QTest::newRow("capital Y diaeresis") << 0x9F << 0x178u;
    QTest::newRow("no-break space") << 0xA0 << 0xA0u;
    QTest::newRow("capital A diaeresis") << 0xC4 << 0xC4u;
    QTest::newRow("small y diaeresis") << 0xFF << 0xFFu;
}

void TestWindows1252::decodeKnownBytes()
{
    QFETCH(int, byte);
    QFETCH(uint, expected);
    const QString text = Windows1252::decode(QByteArray(1, char(byte)));
    QCOMPARE(text.size(), 1);
    QCOMPARE(uint(text[0].unicode()), expected);
}

void TestWindows1252::allBytesRoundTrip()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += char(b);
    const QString text = Windows1252::decode(bytes);
    QCOMPARE(text.size(), 256);
    for (int b = 0; b < 256; ++b)
        QCOMPARE(Windows1252::code(text[b]), b);
    QCOMPARE(Windows1252::encode(text), bytes);
    QVERIFY(Windows1252::decode(QByteArray()).isEmpty());
}

void TestWindows1252::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ASCII") << u"Hello, <b>!"_qs << QByteArray("Hello, <b>!");
    QTest::newRow("Latin-1 and euro") << u"Ä€ÿ"_qs << QByteArray("\xC4\x80\xFF");
    QTest::newRow("curly quotes") << u"‘’"_qs << QByteArray("\x91\x92");
    QTest::newRow("arrow as reference") << u"→"_qs << QByteArray("&#8594;");
    QTest::newRow("arrow between letters") << u"a→b"_qs << QByteArray("a&#8594;b");
    QTest::newRow("emoji as one code point reference") << u"😀"_qs << QByteArray("&#128512;");
    QTest::newRow("emoji then letter") << u"😀x"_qs << QByteArray("&#128512;x");
    QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) << QByteArray("&#65533;");
    QTest::newRow("lone low surrogate") << QString(QChar(0xDE00)) << QByteArray("&#65533;");
    QTest::newRow("high surrogate at the end") << u"a"_qs + QChar(0xD83D) << QByteArray("a&#65533;");
    QTest::newRow("surrogates in the wrong order")
            << QString(QChar(0xDE00)) + QChar(0xD83D) << QByteArray("&#65533;&#65533;");
    QTest::newRow("high surrogate before a letter") << QString(QChar(0xD83D)) + u"x"_qs << QByteArray("&#65533;x");
    QTest::newRow("control without a code") << QString(QChar(0x80)) << QByteArray("&#128;");
}

void TestWindows1252::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(Windows1252::encode(text), expected);
}

void TestWindows1252::appendEncodedKeepsWhatIsThere()
{
    QByteArray out("head:");
    Windows1252::appendEncoded(out, u"ä→");
    QCOMPARE(out, QByteArray("head:\xE4&#8594;"));
}

void TestWindows1252::decodeHighReferences_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("text without references") << u"a & b; #1"_qs << u"a & b; #1"_qs;
    QTest::newRow("arrow") << u"&#8594;"_qs << u"→"_qs;
    QTest::newRow("emoji") << u"&#128512;"_qs << u"😀"_qs;
    QTest::newRow("several among text") << u"a&#8594;b&#8594;"_qs << u"a→b→"_qs;
    QTest::newRow("ampersand before a reference") << u"&&#8594;"_qs << u"&→"_qs;
    QTest::newRow("first number above 255") << u"&#256;"_qs << u"Ā"_qs;
    QTest::newRow("highest code point") << u"&#1114111;"_qs << QString::fromUcs4(U"\U0010FFFF");
    QTest::newRow("small number stays literal") << u"&#233;"_qs << u"&#233;"_qs;
    QTest::newRow("255 stays literal") << u"&#255;"_qs << u"&#255;"_qs;
    QTest::newRow("ampersand reference stays literal") << u"&#38;"_qs << u"&#38;"_qs;
    QTest::newRow("no digits") << u"&#;"_qs << u"&#;"_qs;
    QTest::newRow("letter among digits") << u"&#12a;"_qs << u"&#12a;"_qs;
    QTest::newRow("no semicolon") << u"&#8594 x"_qs << u"&#8594 x"_qs;
    QTest::newRow("no semicolon at the end") << u"&#8594"_qs << u"&#8594"_qs;
    QTest::newRow("number far too big") << u"&#99999999999;"_qs << u"&#99999999999;"_qs;
    QTest::newRow("just past the highest code point") << u"&#1114112;"_qs << u"&#1114112;"_qs;
    QTest::newRow("first surrogate number") << u"&#55296;"_qs << u"&#55296;"_qs;
    QTest::newRow("last surrogate number") << u"&#57343;"_qs << u"&#57343;"_qs;
    QTest::newRow("lone ampersand hash at the end") << u"x&#"_qs << u"x&#"_qs;
    QTest::newRow("bad one then good one") << u"&#12a;&#8594;"_qs << u"&#12a;→"_qs;
}

void TestWindows1252::decodeHighReferences()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Windows1252::decodeHighReferences(text), expected);
}

// What the writers encode and the readers decode again must be the text the user typed.
void TestWindows1252::referencesBringBackTextOutsideTheCodePage_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("German with arrow") << u"Grüße → dort"_qs;
    QTest::newRow("emoji and euro") << u"😀 5 €"_qs;
    QTest::newRow("Greek and Cyrillic") << u"αβγ жз"_qs;
    QTest::newRow("Latin-1 only") << u"Ä ö ß ÿ"_qs;
}

void TestWindows1252::referencesBringBackTextOutsideTheCodePage()
{
    QFETCH(QString, text);
    const QByteArray bytes = Windows1252::encode(text);
    QCOMPARE(Windows1252::decodeHighReferences(Windows1252::decode(bytes)), text);
}

QTEST_GUILESS_MAIN(TestWindows1252)
#include "tst_windows1252.moc"
