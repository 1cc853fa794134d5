// Page-change rules.
#include "window/editing/tabswitching.h"

#include "core/project/datetext.h"

#include <QFileInfo>

namespace Feedsmith {

bool UpdateRootCaption(EntryTreeModel &tree, const QString &channelTitle, const QString &rootkeyText)
{
    const QString rootCaption = tree.caption(EntryTreeModel::RootKey);
    if (rootCaption.isEmpty() && !channelTitle.isEmpty()) {
        if (!tree.addTopLevel(EntryTreeModel::RootKey, channelTitle))
            return false;
        tree.setExpanded(EntryTreeModel::RootKey, true);
        return true;
    }
    const QString wanted = channelTitle.isEmpty() ? rootkeyText : channelTitle;
    if (!tree.contains(EntryTreeModel::RootKey) || rootCaption == wanted)
        return false;
    return tree.setCaption(EntryTreeModel::RootKey, wanted);
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
