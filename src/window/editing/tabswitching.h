// The rules a page change applies: the root caption and the file date label.
#pragma once

#include "core/document/entrytreemodel.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace Feedsmith {

// The four pages under the tab bar, by index.
enum class Page { Settings = 0, Contents = 1, Preview = 2, Ftp = 3 };

// The root caption rule: the root node carries the channel title while there is one, else the
// "rootkey" text. A title with no root node yet creates the root, expanded. True when the tree
// changed.
bool UpdateRootCaption(EntryTreeModel &tree, const QString &channelTitle, const QString &rootkeyText);

// The text of the label `ftpfileproperties` for a local file: the "lastmodified" text, a blank and
// the file's modification date and time in the locale's general form; nothing when the path is
// empty or names no file.
std::optional<QString> LastModifiedCaption(const QString &lastmodifiedText, const QString &path, const QLocale &locale);

} // namespace Feedsmith
