// Whole text files in and out, and the HTML wrappers around the user's style sheet.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

namespace Feedsmith {

// Calls f for every line of text; lines end at CR LF or at a lone CR, a lone LF is text. A
// last line without a line break counts; a text ending in a line break has no empty line after it.
void forEachLine(QStringView text, const std::function<void(QStringView)> &f);

// Opens path for reading only when it is a regular file: a folder, a device (/dev/zero), a
// pipe or a socket is refused before a byte is read, and *reason says which it is. Missing and
// unreadable files are refused as well, with their own reason. With Links::Refuse, a symbolic
// link at path is refused too ("is a link"), so that a link planted where a file of ours
// is expected cannot make the program read another file.
enum class Links { Follow, Refuse };
bool openRegularFile(QFile &file, const QString &path, QString *reason = nullptr, Links links = Links::Follow);

// Why an existing path is no regular file ("is a folder", "is a device, not a regular file",
// ...); empty for a regular file and for a path where nothing exists. Looks without opening.
QString notRegularFileReason(const QString &path);

// notRegularFileReason for a path where a link is refused as well: "is a symbolic link, ..." for
// a link, whatever it points to.
QString notPlainFileReason(const QString &path);

// Whether two paths name one file: the same path, a link to it, or another name (a hard link) of
// it. False when either does not exist.
bool isSameFile(const QString &a, const QString &b);

// A failed read or write described by its errno value: a file-size limit, a full disk or an
// exhausted quota say so. fallback is used for a value without a text of its own (or 0).
QString fileErrorText(int errnoValue, const QString &fallback);

// How forEachFileLine reads a file.
struct LineReading
{
    // A lone LF ends a line too (files from other editors and git checkouts use it).
    bool lineFeedEndsLine = false;
    // A file that is valid UTF-8 with at least one multi-byte sequence is read as UTF-8, unless its
    // XML declaration names another encoding ("windows-1252").
    bool utf8WhenValid = false;
    // A link at the path is refused (see openRegularFile).
    Links links = Links::Follow;
    // Limits for files that anyone may have written, 0 for none: a larger file, or one with a
    // longer line, is refused before its first line is handed on, found by a look at the file's
    // size and a first pass that holds one piece at a time.
    qint64 maxFileBytes = 0;
    qint64 maxLineBytes = 0;
    // False: a line past the limit is found when it is reached, and the reading fails there
    // after the lines before it were handed on; the file is then read once, not twice.
    bool linesCheckedFirst = true;
};

// Why a file breaks the limits of a LineReading ("is larger than 256 MB; ...", "line 7 is longer
// than 64 MB; ..."), found as forEachFileLineBytes finds it; empty when it keeps them, and when
// it cannot be opened (reading it says why).
QString lineLimitReason(const QString &path, LineReading reading);

// Whether bytes are valid UTF-8 holding at least one multi-byte sequence, and hold nothing that
// text written in UTF-8 never holds: C1 control characters, unassigned code points,
// noncharacters.
bool isMultiByteUtf8(QByteArrayView bytes);

// Reads a file piece by piece, decoding it from Windows-1252 (or UTF-8, see LineReading), and
// calls f for every line as forEachLine does; only one piece and the line being read are held at
// a time. False when the file cannot be opened or read, is no regular file (see
// openRegularFile), or breaks the limits of the reading (found before f is ever called).
bool forEachFileLine(const QString &path, const std::function<void(QStringView)> &f, QString *error = nullptr,
                     LineReading reading = {});

// Files are read in pieces of this size.
constexpr qint64 FileReadPieceBytes = 256 * 1024;

// forEachFileLine without the decoding: f gets the bytes of every line, and *utf8 (when given)
// says before the first call whether the file is read as UTF-8 or as Windows-1252. The line
// breaks are bytes of their own in both, so lines are cut before they are decoded. With each
// line comes the piece of the file that holds it: a copy of the piece keeps the line's bytes
// valid after the call, without copying them.
bool forEachFileLineBytes(const QString &path, const std::function<void(QByteArrayView, const QByteArray &)> &f,
                          bool *utf8, QString *error = nullptr, LineReading reading = {});

// The text of a line's bytes in the file's encoding.
QString decodeLine(QByteArrayView bytes, bool utf8);

// The file's lines joined without any separator (line breaks are lost, a lone LF stays);
// "-1" when the file does not exist, empty for any other failure. A missing folder of the path
// is created (one level) and the result is then "-1".
QString ReadTextFile(const QString &path, Links links = Links::Follow);

// "<style type=text/css><!--", the text of styles.css in the program folder, "--></style>".
// The sheet is read once and again only when the file at its place is another; a link at its
// place is not followed, and a sheet larger than MaxStyleSheetBytes is taken as empty.
inline constexpr qint64 MaxStyleSheetBytes = 1024 * 1024;
QString BuildStyleBlock(const QString &programFolder);
QString StyleBlockFor(const QString &styleSheetText);

// The text without the editor's style blocks of any style sheet, and the same for a body as a
// project file stores it (see CodePageText::withoutEditorStyleBlocks).
QString withoutEditorStyleBlocks(const QString &text);
QString withoutStoredEditorStyleBlocks(const QString &escaped);

// Deletes every copy of the style block from a text, letters matched without regard to case,
// together with every copy of a second form of the block (the form it takes after the same
// treatment the text went through, when that differs), and then the editor's style blocks of any
// other sheet. Built once per file written.
class StyleBlockRemover
{
public:
    StyleBlockRemover(const QString &styleBlock, const QString &treatedStyleBlock);
    QString operator()(const QString &text) const;

private:
    QString m_block;
    QString m_treated; // empty when it is the same as the block
};

// The rule every page the program shows carries in its head: no <object> or <embed> of a text
// loads anything, and no <base> of a text moves the page's relative addresses elsewhere.
// Pictures, style sheets and media load as before.
inline constexpr QLatin1StringView ContentPolicyMeta(
        "<meta http-equiv=\"Content-Security-Policy\" content=\"object-src 'none'; base-uri 'none'\">");

// "<html><head><title></title>", the content policy, the style block, "</head><body>", the help text, "</body>".
QString BuildHelpPage(const QString &programFolder, const QString &helpText);

// Whether a file must outlive a crash of the whole system the moment it is written, or is made
// again from what is kept elsewhere (the preview page), and may skip waiting for the disk.
enum class Durability { Synced, Regenerable };

// Writes bytes to path atomically: into a temporary file in the same folder, flushed to disk
// (unless the file is Regenerable), then renamed over the target. On failure the previous file
// is untouched, no temporary file is left behind, and *error names the reason. What is no
// regular file (a folder, a device, a pipe, a socket, or a link to one) is never replaced.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error,
                         Durability durability = Durability::Synced);
// The same for a file given in pieces, written one after another.
bool writeFileAtomically(const QString &path, const std::vector<QByteArray> &pieces, QString *error,
                         Durability durability = Durability::Synced);
// Takes the next piece of a file; false when it cannot be written.
using PieceSink = std::function<bool(QByteArrayView piece)>;
// The same for a file whose pieces `produce` hands to the sink as it makes them, so that the
// whole file never needs to be in memory; false from `produce` fails the write.
bool writeFileAtomically(const QString &path, const std::function<bool(const PieceSink &)> &produce, QString *error,
                         Durability durability = Durability::Synced);

// The file name joined to the program folder.
QString programFile(const QString &programFolder, const QString &name);

} // namespace Feedsmith
