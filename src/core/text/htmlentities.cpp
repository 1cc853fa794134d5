// HTML 4's named characters.
#include "core/text/htmlentities.h"

#include <iterator>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// The character entities of HTML 4's Latin-1 set, U+00A0 onwards in order: RSS 0.91 files
// use them, declared in the DTD their DOCTYPE names (which is never read), and so do many
// feeds without one.
constexpr const char *LatinEntities[] = {
        "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
        "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",
        "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave",
        "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",
        "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
        "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute",
        "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
        "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
        "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

// The rest of HTML 4's named characters: its symbols, Greek letters and arrows, and its special
// characters (typographic quotes, dashes, the euro sign, and XML's own four).
constexpr struct
{
    const char *name;
    char16_t c;
} HtmlEntities[] = {
        {"fnof", 0x0192},     {"Alpha", 0x0391},  {"Beta", 0x0392},   {"Gamma", 0x0393},   {"Delta", 0x0394},
        {"Epsilon", 0x0395},  {"Zeta", 0x0396},   {"Eta", 0x0397},    {"Theta", 0x0398},   {"Iota", 0x0399},
        {"Kappa", 0x039A},    {"Lambda", 0x039B}, {"Mu", 0x039C},     {"Nu", 0x039D},      {"Xi", 0x039E},
        {"Omicron", 0x039F},  {"Pi", 0x03A0},     {"Rho", 0x03A1},    {"Sigma", 0x03A3},   {"Tau", 0x03A4},
        {"Upsilon", 0x03A5},  {"Phi", 0x03A6},    {"Chi", 0x03A7},    {"Psi", 0x03A8},     {"Omega", 0x03A9},
        {"alpha", 0x03B1},    {"beta", 0x03B2},   {"gamma", 0x03B3},  {"delta", 0x03B4},   {"epsilon", 0x03B5},
        {"zeta", 0x03B6},     {"eta", 0x03B7},    {"theta", 0x03B8},  {"iota", 0x03B9},    {"kappa", 0x03BA},
        {"lambda", 0x03BB},   {"mu", 0x03BC},     {"nu", 0x03BD},     {"xi", 0x03BE},      {"omicron", 0x03BF},
        {"pi", 0x03C0},       {"rho", 0x03C1},    {"sigmaf", 0x03C2}, {"sigma", 0x03C3},   {"tau", 0x03C4},
        {"upsilon", 0x03C5},  {"phi", 0x03C6},    {"chi", 0x03C7},    {"psi", 0x03C8},     {"omega", 0x03C9},
        {"thetasym", 0x03D1}, {"upsih", 0x03D2},  {"piv", 0x03D6},    {"bull", 0x2022},    {"hellip", 0x2026},
        {"prime", 0x2032},    {"Prime", 0x2033},  {"oline", 0x203E},  {"frasl", 0x2044},   {"weierp", 0x2118},
        {"image", 0x2111},    {"real", 0x211C},   {"trade", 0x2122},  {"alefsym", 0x2135}, {"larr", 0x2190},
        {"uarr", 0x2191},     {"rarr", 0x2192},   {"darr", 0x2193},   {"harr", 0x2194},    {"crarr", 0x21B5},
        {"lArr", 0x21D0},     {"uArr", 0x21D1},   {"rArr", 0x21D2},   {"dArr", 0x21D3},    {"hArr", 0x21D4},
        {"forall", 0x2200},   {"part", 0x2202},   {"exist", 0x2203},  {"empty", 0x2205},   {"nabla", 0x2207},
        {"isin", 0x2208},     {"notin", 0x2209},  {"ni", 0x220B},     {"prod", 0x220F},    {"sum", 0x2211},
        {"minus", 0x2212},    {"lowast", 0x2217}, {"radic", 0x221A},  {"prop", 0x221D},    {"infin", 0x221E},
        {"ang", 0x2220},      {"and", 0x2227},    {"or", 0x2228},     {"cap", 0x2229},     {"cup", 0x222A},
        {"int", 0x222B},      {"there4", 0x2234}, {"sim", 0x223C},    {"cong", 0x2245},    {"asymp", 0x2248},
        {"ne", 0x2260},       {"equiv", 0x2261},  {"le", 0x2264},     {"ge", 0x2265},      {"sub", 0x2282},
        {"sup", 0x2283},      {"nsub", 0x2284},   {"sube", 0x2286},   {"supe", 0x2287},    {"oplus", 0x2295},
        {"otimes", 0x2297},   {"perp", 0x22A5},   {"sdot", 0x22C5},   {"lceil", 0x2308},   {"rceil", 0x2309},
        {"lfloor", 0x230A},   {"rfloor", 0x230B}, {"lang", 0x2329},   {"rang", 0x232A},    {"loz", 0x25CA},
        {"spades", 0x2660},   {"clubs", 0x2663},  {"hearts", 0x2665}, {"diams", 0x2666},   {"quot", 0x0022},
        {"amp", 0x0026},      {"lt", 0x003C},     {"gt", 0x003E},     {"OElig", 0x0152},   {"oelig", 0x0153},
        {"Scaron", 0x0160},   {"scaron", 0x0161}, {"Yuml", 0x0178},   {"circ", 0x02C6},    {"tilde", 0x02DC},
        {"ensp", 0x2002},     {"emsp", 0x2003},   {"thinsp", 0x2009}, {"zwnj", 0x200C},    {"zwj", 0x200D},
        {"lrm", 0x200E},      {"rlm", 0x200F},    {"ndash", 0x2013},  {"mdash", 0x2014},   {"lsquo", 0x2018},
        {"rsquo", 0x2019},    {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},   {"bdquo", 0x201E},
        {"dagger", 0x2020},   {"Dagger", 0x2021}, {"permil", 0x2030}, {"lsaquo", 0x2039},  {"rsaquo", 0x203A},
        {"euro", 0x20AC}};

static_assert(std::size(LatinEntities) + std::size(HtmlEntities) == 252);

} // namespace

QString HtmlNamedCharacter(QStringView name)
{
    for (size_t i = 0; i < std::size(LatinEntities); ++i) {
        if (name == QLatin1StringView(LatinEntities[i]))
            return QString(QChar(char16_t(0xA0 + i)));
    }
    for (const auto &entity : HtmlEntities) {
        if (name == QLatin1StringView(entity.name))
            return QString(QChar(entity.c));
    }
    return name == "apos"_L1 ? u"'"_s : QString();
}

} // namespace Feedsmith
