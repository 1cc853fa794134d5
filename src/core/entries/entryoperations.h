// The rules of the entry list: create, delete, move, commit and load, on the document alone.
#pragma once

#include "core/document/feeddocument.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace Feedsmith {

// What the entry editor holds: the entry as typed (title, link, the fields of the field table),
// its content being the whole HTML document of the content editor.
struct EditorFields
{
    RSSentry entry;
    // False while the editor still shows the document it was given for the entry: the entry
    // keeps its content as it is, so that merely showing it rewrites nothing (a body read from a
    // project stays as read).
    bool contentEdited = true;
};

// New entry: a record stamped `now`, with an ID of its own, under the next key; its node goes on
// top of the root's children (the root is made first, captioned `rootkeyText` and expanded, when
// the tree has none). Returns the key to select: the new entry's, or at the limit of entries the
// newest existing one, for then nothing is added.
QString CreateEntry(FeedDocument &document, const QDateTime &now, const QString &rootkeyText);

// Duplicate entry: a copy of the entry under `key`, stamped `now` and with an ID of its own,
// placed right below it (under its key; the entry and those above it move up one). Returns the
// copy's key; empty, with nothing changed, when `key` names no entry or the list is full.
QString DuplicateEntry(FeedDocument &document, const QString &key, const QDateTime &now);

// Delete entry: the entries above `key` move down one key, and the document is bound to no entry
// any more. False, with nothing changed, when `key` names no entry (the root, an empty key, a key
// past the last entry).
bool DeleteEntry(FeedDocument &document, const QString &key);

// The number an entry has after the entry under `from` moved to the place `to`, given the
// number it had before.
int NumberAfterMove(int number, int from, int to);

// The move commands of the tree (to the top, to the bottom, a step, and undoing one): the entry
// under `from` goes to the place `to`, and the document stays bound to the entry it was bound
// to, under that entry's new key. False, with nothing changed, when nothing would move.
bool MoveEntryTo(FeedDocument &document, int from, int to);

// Writes the editor's fields (title, link, the field table's, and the content when edited) into
// the entry under the current entry key; its node's caption follows the title. False when that
// key is empty or names no entry (the root), so nothing is stored.
bool CommitCurrentEntry(FeedDocument &document, const EditorFields &fields);

// What LoadSelectedEntry puts into the editor for the node `selectedKey`.
struct LoadedEntry
{
    bool hasRecord = false; // false for the root, an empty key or a key with no entry
    RSSentry entry; // a copy of the entry; its content is not used, see documentHtml
    QString documentHtml; // empty when there is no record
};

// The core of LoadSelectedEntry: commits `editor` into the current entry when the document is
// bound to one, binds the document to `selectedKey`, and gives what the editor then shows.
LoadedEntry SelectEntry(FeedDocument &document, const QString &selectedKey, const EditorFields &editor,
                        const QString &styleBlock);

// The editor document of a content: an empty content gives a page with the style block inside
// its body; any other content gets the style block in front of every "<body>" (letter case
// ignored; the tag itself written in lower case). A content without a body tag stays as it is.
QString EditorDocument(const QString &content, const QString &styleBlock);

// The creation label: the "createdon" text, a blank and the date in the locale's general form, or
// the project's own text of a date that could not be read.
QString CreateInfoText(const QString &createdonText, const LoadedEntry &entry, const QLocale &locale);

} // namespace Feedsmith
