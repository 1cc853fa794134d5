// Tests of the bracket escapes (EscapeText, UnescapeText) and of Transliterate, as text and as
// code page bytes.
#include "core/text/codepagetext.h"
#include "core/text/textencoding.h"
#include "core/text/windows1252.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace Feedsmith;

namespace {

// Writes a text so that every character can be read in a test log: ASCII as it is, the rest as
// \uXXXX, line breaks as \r and \n.
QString describe(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
    }
    return u'"' + out + u'"';
}

// The code of a character in the code page; characters without a code count as below 128.
int codeOf(QChar c)
{
    return Windows1252::code(c);
}

// The other letter case of an upper-half code, or -1 when the code is no cased letter.
int otherCase(int code)
{
    static const int pairs[][2] = {{138, 154}, {140, 156}, {142, 158}, {159, 255}};
    for (const auto &pair : pairs) {
        if (code == pair[0])
            return pair[1];
        if (code == pair[1])
            return pair[0];
    }
    if (code >= 192 && code <= 222 && code != 215)
        return code + 32;
    if (code >= 224 && code <= 254 && code != 247)
        return code - 32;
    return -1;
}

// Replaces every character of the given code, and of its other letter case, in the whole text.
QString replaceEverywhere(const QString &text, int code, const QString &replacement)
{
    const int partner = otherCase(code);
    QString out;
    for (const QChar c : text) {
        const int k = codeOf(c);
        if (k == code || (partner >= 0 && k == partner))
            out += replacement;
        else
            out += c;
    }
    return out;
}

// The two passes of the transliteration done word for word: a full rescan of the whole text for
// every upper-half character met, no shortcuts. Slow, but easy to check by eye.
QString referenceTransliterate(const QString &input)
{
    QString text = input;
    const qsizetype length = text.size();
    for (qsizetype p = 0; p < length; ++p) {
        if (p >= text.size())
            break;
        const int c = codeOf(text[p]);
        if (c >= 128)
            text = replaceEverywhere(text, c, QString(TransliterationFor(c)));
    }
    for (qsizetype p = 0; p < text.size(); ++p) {
        const int c = codeOf(text[p]);
        if (c >= 128)
            text = replaceEverywhere(text, c, QStringLiteral("_"));
    }
    return text;
}

QString fromCode(int code)
{
    return Windows1252::decode(QByteArray(1, char(code)));
}

// Transliterate on the code page bytes of a text, decoded again; the text itself when the code
// page cannot hold it.
QString transliteratedAsBytes(const QString &input)
{
    QByteArray bytes;
    if (!CodePageText::appendExactly(bytes, input))
        return Transliterate(input);
    return Windows1252::decode(TransliterateCodePage(bytes));
}

} // namespace

class TestTextEncoding : public QObject
{
    Q_OBJECT

private slots:
    void escapeText_data();
    void escapeText();
    void unescapeText_data();
    void unescapeText();
    void escapeThenUnescape_data();
    void escapeThenUnescape();
    void transliterationTable_data();
    void transliterationTable();
    void transliterate_data();
    void transliterate();
    void transliterateMatchesLiteralTwoPasses();
    void transliterateLeavesNoUpperHalf();
};

void TestTextEncoding::escapeText_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty text stays empty") << QString() << QString();
    QTest::newRow("plain text unchanged") << u"Hallo Welt"_qs << u"Hallo Welt"_qs;
    QTest::newRow("angle brackets and comma") << u"a<b>,c"_qs << u"a[[b]][:bst:]c"_qs;
    QTest::newRow("several commas") << u",,"_qs << u"[:bst:][:bst:]"_qs;
    QTest::newRow("html tag") << u"<p>x</p>"_qs << u"[[p]]x[[/p]]"_qs;
    QTest::newRow("CR LF removed") << u"one\r\ntwo"_qs << u"onetwo"_qs;
    QTest::newRow("lone LF removed") << u"one\ntwo"_qs << u"onetwo"_qs;
    QTest::newRow("lone CR removed") << u"one\rtwo"_qs << u"onetwo"_qs;
    QTest::newRow("only line breaks") << u"\r\n\r\n\n\r"_qs << QString();
    QTest::newRow("open bracket before angle") << u"[<"_qs << u"[[["_qs;
    QTest::newRow("open bracket before comma") << u"[,"_qs << u"[[:bst:]"_qs;
    QTest::newRow("existing double brackets untouched") << u"[[x]]"_qs << u"[[x]]"_qs;
    QTest::newRow("existing escape word untouched") << u"[:bst:]"_qs << u"[:bst:]"_qs;
    QTest::newRow("non-ASCII kept") << u"Grüße → 😀"_qs << u"Grüße → 😀"_qs;
}

void TestTextEncoding::escapeText()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(EscapeText(input), expected);
}

void TestTextEncoding::unescapeText_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty text stays empty") << QString() << QString();
    QTest::newRow("plain text unchanged") << u"Hallo Welt"_qs << u"Hallo Welt"_qs;
    QTest::newRow("escaped brackets and comma") << u"a[[b]][:bst:]c"_qs << u"a<b>,c"_qs;
    QTest::newRow("capitalised comma escape") << u"[:BST:]"_qs << u","_qs;
    QTest::newRow("mixed-case comma escape") << u"x[:bSt:]y"_qs << u"x,y"_qs;
    QTest::newRow("three open brackets, leftmost pair first") << u"[[["_qs << u"<["_qs;
    QTest::newRow("three close brackets, leftmost pair first") << u"]]]"_qs << u">]"_qs;
    QTest::newRow("four open brackets") << u"[[[["_qs << u"<<"_qs;
    QTest::newRow("brackets are undone before the comma escape") << u"[[:bst:]"_qs << u"<:bst:]"_qs;
    QTest::newRow("close brackets are undone before the comma escape") << u"[:bst:]]"_qs << u"[:bst:>"_qs;
    QTest::newRow("CR LF removed") << u"one\r\ntwo"_qs << u"onetwo"_qs;
    QTest::newRow("lone LF removed") << u"one\ntwo"_qs << u"onetwo"_qs;
    QTest::newRow("lone CR removed") << u"one\rtwo"_qs << u"onetwo"_qs;
    QTest::newRow("line break removed only after the bracket step") << u"[\n[x]\r]"_qs << u"[[x]]"_qs;
    QTest::newRow("line break removed only after the comma step") << u"[:b\r\nst:]"_qs << u"[:bst:]"_qs;
    QTest::newRow("single brackets stay") << u"[a]"_qs << u"[a]"_qs;
    QTest::newRow("comma escape cut short at the end") << u"a[:bst:"_qs << u"a[:bst:"_qs;
    QTest::newRow("comma escape whose bracket pairs after it") << u"[:bst:]]]x"_qs << u"[:bst:>]x"_qs;
    QTest::newRow("comma escapes back to back") << u"[:bst:][:BST:]"_qs << u",,"_qs;
    QTest::newRow("non-ASCII kept") << u"Grüße → 😀"_qs << u"Grüße → 😀"_qs;
}

void TestTextEncoding::unescapeText()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(UnescapeText(input), expected);
    // The same on code page bytes, for text the code page holds.
    QByteArray bytes;
    if (CodePageText::appendExactly(bytes, input))
        QCOMPARE(Windows1252::decode(CodePageText::unescape(bytes)), expected);
}

void TestTextEncoding::escapeThenUnescape_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("escaped");
    QTest::addColumn<QString>("unescaped");

    QTest::newRow("markup with comma comes back") << u"a<b>,c"_qs << u"a[[b]][:bst:]c"_qs << u"a<b>,c"_qs;
    QTest::newRow("html body comes back")
            << u"<p class=x>1, 2</p>"_qs << u"[[p class=x]]1[:bst:] 2[[/p]]"_qs << u"<p class=x>1, 2</p>"_qs;
    QTest::newRow("line break lost for good") << u"one\r\ntwo"_qs << u"onetwo"_qs << u"onetwo"_qs;
    QTest::newRow("bracket before angle is not given back") << u"[<"_qs << u"[[["_qs << u"<["_qs;
    QTest::newRow("bracket before comma is not given back") << u"[,"_qs << u"[[:bst:]"_qs << u"<:bst:]"_qs;
    QTest::newRow("double brackets already in text change") << u"a[[b"_qs << u"a[[b"_qs << u"a<b"_qs;
    QTest::newRow("double close brackets already in text change") << u"x]]"_qs << u"x]]"_qs << u"x>"_qs;
    QTest::newRow("escape word already in text changes") << u"[:BST:]"_qs << u"[:BST:]"_qs << u","_qs;
}

void TestTextEncoding::escapeThenUnescape()
{
    QFETCH(QString, input);
    QFETCH(QString, escaped);
    QFETCH(QString, unescaped);
    const QString e = EscapeText(input);
    QCOMPARE(e, escaped);
    QVERIFY(!e.contains(u'<') && !e.contains(u'>') && !e.contains(u',') && !e.contains(u'\n') && !e.contains(u'\r'));
    QCOMPARE(UnescapeText(e), unescaped);
}

// Every code from 128 to 255, alone, against the table the program is built on.
void TestTextEncoding::transliterationTable_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("expected");

    QHash<int, QString> table;
    auto range = [&table](int from, int to, const char *text) {
        for (int c = from; c <= to; ++c)
            table.insert(c, QString::fromLatin1(text));
    };
    range(128, 128, "Euro");
    range(131, 131, "f");
    range(138, 138, "S");
    range(140, 140, "OE");
    range(153, 153, "TM");
    range(154, 154, "s");
    range(156, 156, "oe");
    range(158, 158, "z");
    range(159, 159, "Y");
    range(160, 160, " ");
    range(161, 161, "i");
    range(162, 162, "cent");
    range(163, 163, "Pfund");
    range(165, 165, "Yen");
    range(169, 169, "c");
    range(170, 170, "a");
    range(174, 174, "r");
    range(175, 175, "-");
    range(177, 177, "+-");
    range(183, 183, ".");
    range(188, 188, "1/4");
    range(189, 189, "1/2");
    range(190, 190, "3/4");
    range(192, 195, "A");
    range(196, 196, "Ae");
    range(197, 198, "A");
    range(199, 199, "C");
    range(200, 203, "E");
    range(204, 207, "I");
    range(208, 208, "D");
    range(209, 209, "N");
    range(210, 213, "O");
    range(214, 214, "Oe");
    range(215, 215, "x");
    range(216, 216, "0");
    range(217, 219, "U");
    range(220, 220, "Ue");
    range(221, 221, "Y");
    range(223, 223, "ss");
    range(224, 227, "a");
    range(228, 228, "ae");
    range(229, 229, "a");
    range(230, 230, "ae");
    range(231, 231, "c");
    range(232, 235, "e");
    range(236, 239, "i");
    range(241, 241, "n");
    range(242, 245, "o");
    range(246, 246, "oe");
    range(249, 251, "u");
    range(252, 252, "ue");
    range(253, 253, "y");
    range(255, 255, "y");

    for (int code = 128; code <= 255; ++code) {
        const QString expected = table.value(code);
        QTest::addRow("code %d %s", code, expected.isEmpty() ? "deleted" : "replaced") << code << expected;
    }
}

void TestTextEncoding::transliterationTable()
{
    QFETCH(int, code);
    QFETCH(QString, expected);
    QCOMPARE(QString(TransliterationFor(code)), expected);
    const QString single = fromCode(code);
    QCOMPARE(Windows1252::code(single[0]), code);
    QCOMPARE(Transliterate(single), expected);
}

void TestTextEncoding::transliterate_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty text") << QString() << QString();
    QTest::newRow("ASCII unchanged") << u"Hello, <b>World</b>!"_qs << u"Hello, <b>World</b>!"_qs;
    QTest::newRow("German word") << u"Grüße"_qs << u"Gruesse"_qs;
    QTest::newRow("euro sign") << u"5 €"_qs << u"5 Euro"_qs;
    QTest::newRow("one half") << u"½"_qs << u"1/2"_qs;
    QTest::newRow("capital met first decides both cases") << u"Äpfel und äpfel"_qs << u"Aepfel und Aepfel"_qs;
    QTest::newRow("small met first decides both cases") << u"äpfel und Äpfel"_qs << u"aepfel und aepfel"_qs;
    QTest::newRow("curly quote deleted") << u"it’s"_qs << u"its"_qs;
    QTest::newRow("second of two deletables skipped, then underscore") << u"’–"_qs << u"_"_qs;
    QTest::newRow("deletables with a letter between") << u"’a–"_qs << u"a"_qs;
    QTest::newRow("low and high quotes around a word") << u"„Hallo“"_qs << u"Hallo"_qs;
    QTest::newRow("arrow unchanged") << u"→"_qs << u"→"_qs;
    QTest::newRow("arrow and emoji unchanged between letters") << u"a → 😀 ä"_qs << u"a → 😀 ae"_qs;
    QTest::newRow("capital eth first gives D for both") << u"Ððx"_qs << u"DDx"_qs;
    QTest::newRow("small eth first deletes both") << u"ðxÐ"_qs << u"x"_qs;
    QTest::newRow("capital Z caron first deletes both") << u"Žaž"_qs << u"a"_qs;
    QTest::newRow("small z caron first gives z for both") << u"žaŽ"_qs << u"zaz"_qs;
    QTest::newRow("capital AE ligature gives one letter") << u"Æ"_qs << u"A"_qs;
    QTest::newRow("small ae ligature gives two letters") << u"æ"_qs << u"ae"_qs;
    QTest::newRow("capital AE ligature first decides") << u"Æ æ"_qs << u"A A"_qs;
    QTest::newRow("small ae ligature first decides") << u"æ Æ"_qs << u"ae ae"_qs;
    QTest::newRow("O with stroke gives digit zero") << u"Øl"_qs << u"0l"_qs;
    QTest::newRow("capital O with stroke first decides") << u"Ø ø"_qs << u"0 0"_qs;
    QTest::newRow("small o with stroke first deletes both") << u"øxØ"_qs << u"x"_qs;
    QTest::newRow("Y diaeresis pair") << u"ÿŸ"_qs << u"yy"_qs;
    QTest::newRow("S caron pair") << u"Šš"_qs << u"SS"_qs;
    QTest::newRow("OE ligature pair") << u"œŒ"_qs << u"oeoe"_qs;
    QTest::newRow("sharp s has no other case") << u"ßSS"_qs << u"ssSS"_qs;
    QTest::newRow("no-break space becomes blank") << u"a\u00A0b"_qs << u"a b"_qs;
    QTest::newRow("character pushed past the end by a longer replacement") << u"€ß"_qs << u"Euro_"_qs;
    QTest::newRow("small letter pushed past the end") << u"äö"_qs << u"ae_"_qs;
    QTest::newRow("pushed character already replaced stays replaced") << u"ää"_qs << u"aeae"_qs;
    QTest::newRow("letter skipped after a deletion takes the later capital's replacement") << u"’äxÄ"_qs << u"AexAe"_qs;
    QTest::newRow("skipped letter and a longer replacement before the capital") << u"’äöxÄ"_qs << u"AeoexAe"_qs;
    QTest::newRow("unassigned byte deleted") << u"a\u0081b"_qs << u"ab"_qs;
    QTest::newRow("copyright and trade mark") << u"© 2024 Feedsmith™"_qs << u"c 2024 FeedsmithTM"_qs;
    QTest::newRow("sign pushed past the end by trade mark") << u"Feedsmith™ ©"_qs << u"FeedsmithTM _"_qs;
}

void TestTextEncoding::transliterate()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(Transliterate(input), expected);
    QCOMPARE(transliteratedAsBytes(input), expected);
    // The word-for-word model below must agree with these examples too, or it proves nothing.
    QCOMPARE(referenceTransliterate(input), expected);
}

// Random texts from a small alphabet, so that letters of both cases, deletions and longer
// replacements meet often; the fast Transliterate must give exactly what the literal two
// passes give, as text and as code page bytes.
void TestTextEncoding::transliterateMatchesLiteralTwoPasses()
{
    // The plain run is long enough for the sixteen bytes at a time of the code page route.
    QStringList alphabet = {
            u"a"_qs, u"b"_qs, u"A"_qs, u"Z"_qs, u" "_qs, u"Ä"_qs,      u"ä"_qs,      u"Ö"_qs, u"ö"_qs,
            u"Ð"_qs, u"ð"_qs, u"Ž"_qs, u"ž"_qs, u"Š"_qs, u"š"_qs,      u"Ÿ"_qs,      u"ÿ"_qs, u"Æ"_qs,
            u"æ"_qs, u"Ø"_qs, u"ø"_qs, u"Þ"_qs, u"þ"_qs, u"’"_qs,      u"–"_qs,      u"€"_qs, u"ß"_qs,
            u"½"_qs, u"„"_qs, u"«"_qs, u"»"_qs, u"‘"_qs, u"\u00A0"_qs, u"\u0081"_qs, u"→"_qs, u"😀"_qs,
    };
    alphabet << u"plain ASCII run "_qs;
    QRandomGenerator rng(20240611u);
    constexpr int Rounds = 20000;
    for (int round = 0; round < Rounds; ++round) {
        const int length = int(rng.bounded(0, 31));
        QString input;
        for (int i = 0; i < length; ++i)
            input += alphabet.at(int(rng.bounded(qsizetype(alphabet.size()))));
        const QString expected = referenceTransliterate(input);
        const QString actual = Transliterate(input);
        const QString asBytes = transliteratedAsBytes(input);
        if (actual != expected || asBytes != expected) {
            qWarning().noquote() << "round" << round << "input" << describe(input) << "expected" << describe(expected)
                                 << "actual" << describe(actual) << "as bytes" << describe(asBytes);
            QCOMPARE(actual, expected);
            QCOMPARE(asBytes, expected);
        }
    }
}

void TestTextEncoding::transliterateLeavesNoUpperHalf()
{
    // Every byte of the code page once, in byte order and reversed, then random mixtures with a
    // character from outside the code page, which must come through untouched.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    QStringList inputs = {Windows1252::decode(all)};
    std::reverse(all.begin(), all.end());
    inputs << Windows1252::decode(all);
    QRandomGenerator rng(7u);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        const int length = int(rng.bounded(1, 40));
        for (int i = 0; i < length; ++i)
            bytes += char(rng.bounded(256));
        inputs << Windows1252::decode(bytes) + u"→"_qs;
    }
    for (const QString &input : std::as_const(inputs)) {
        const QString output = Transliterate(input);
        const QString inCodePage = input.endsWith(u'→') ? input.chopped(1) : input;
        QCOMPARE(transliteratedAsBytes(inCodePage), Transliterate(inCodePage));
        for (const QChar c : output) {
            QVERIFY2(Windows1252::code(c) < 128,
                     qPrintable(u"input "_qs + describe(input) + u" gave "_qs + describe(output)));
        }
        QCOMPARE(output.count(u'→'), input.count(u'→'));
    }
}

QTEST_GUILESS_MAIN(TestTextEncoding)
#include "tst_textencoding.moc"
