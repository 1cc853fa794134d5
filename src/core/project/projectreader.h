// Reading a project file back into a document.
#pragma once

#include "core/document/feeddocument.h"
#include "core/locale/keyedtexts.h"
#include "core/text/markupreader.h"

#include <QLocale>
#include <QString>

namespace Feedsmith {

// No project larger than this, or with a longer line, is read: a file from anyone must not
// exhaust memory.
inline constexpr qint64 MaxProjectBytes = qint64(256) * 1024 * 1024;
// From this size on, a project is read after returnFreedMemory().
inline constexpr qint64 LargeProjectBytes = qint64(8) * 1024 * 1024;
inline constexpr qint64 MaxProjectLineBytes = qint64(64) * 1024 * 1024;

// What a read found.
struct ProjectReadResult
{
    // false: the file is missing, unreadable or past the limits above; the document is new and empty
    bool fileOpened = false;
    QString error; // why it was not opened ("no such file", "is a device, not a regular file", ...)
    int entriesRead = 0;
    // Entry groups beyond the 32767 a document can hold; they are not loaded, the first 32767 are.
    int entriesLeftOut = 0;
    // The file has a settings, FTP settings or entries block; anything else (an RSS file, a
    // picture) is no project.
    bool isProject = false;
    // The block the file ended in ("entry", "entries", "settings" or "ftpsettings"), empty when
    // every block was closed: a file cut off. What it held is read, the entry it ended in too.
    QString endedInside;
    qsizetype linesRead = 0; // the number of the last line read
    int unreadDates = 0; // entries whose date could not be read; their unreadDate keeps the text
};

// Fills a freshly cleared document from the rows of a project file: the root node (when the
// language has a "rootkey" text), the channel and FTP fields, one entry and tree node per entry
// group, in file order as key1, key2, ... Untitled entries stay untitled (the tree captions them
// with the "newentry" text); contents get the style block in front of their unescaped body. Afterwards the root carries
// the channel title, if there is one, and no entry is current.
ProjectReadResult LoadProjectRows(FeedDocument &document, const MarkupTable &table, const KeyedTexts &textTable,
                                  const QString &styleBlock, const QLocale &locale = QLocale::system());

// Whether reading fills the tree: a reader without a window (the command-line program) has no
// use for one node and caption per entry.
enum class EntryTree { Filled, Left };

// Splits the path at its last "/" (a "\" counts too) and reads it as the open command does: the
// name as given when it holds ".rsx", else with ".xml" appended. The document is made new first.
ProjectReadResult ReadProjectFile(FeedDocument &document, const QString &path, const QString &programFolder,
                                  const KeyedTexts &textTable, const QLocale &locale = QLocale::system(),
                                  EntryTree tree = EntryTree::Filled);

// How ProjectReadNotes speaks of entries with dates that could not be read.
enum class NoteDetail {
    EveryEntry, // one note per entry (the command-line program)
    Summary, // one note for them all (a message box)
};

// What the reader of a project should be told about a file that opened: that it ended before its
// end, dates that could not be read, a time to live or number of entries that is no whole number.
// One sentence each, from the language's texts (English where the table lacks them), with text
// from the file shown printable.
QStringList ProjectReadNotes(const FeedDocument &document, const ProjectReadResult &result, const KeyedTexts &texts,
                             NoteDetail detail);

// The file a project path is read from: the path itself, whatever its name (a project saved as
// "news.xml" opens again; a feed or a picture is no project, and is refused as one).
QString projectFileToRead(const QString &path);

// Why an existing file is no project: empty when its first lines open a settings, FTP settings
// or entries block, and for a file that does not exist (which opens as a new document). A file
// larger than MaxProjectBytes, or with a line longer than MaxProjectLineBytes, is none either.
QString notAProjectReason(const QString &file);

} // namespace Feedsmith
