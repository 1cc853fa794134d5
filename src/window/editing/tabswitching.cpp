// Page-change rules.
#include "window/editing/tabswitching.h"

#include "core/project/datetext.h"

#include <QFileInfo>

namespace Feedsmith {

bool UpdateRootCaption(EntryTreeModel &tree, const QString &channelTitle, const QString &rootkeyText)
{
    if (!tree.hasRoot())
        return !channelTitle.isEmpty() && tree.addRoot(channelTitle);
    return tree.setRootCaption(channelTitle.isEmpty() ? rootkeyText : channelTitle);
}

std::optional<QString> LastModifiedCaption(const QString &lastmodifiedText, const QString &path, const QLocale &locale)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return std::nullopt;
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        return std::nullopt;
    return lastmodifiedText + u' ' + DateText::format(modified, locale);
}

} // namespace Feedsmith
