// What every page of the main window is given.
#include "window/pages/pagecontext.h"

#include "window/platform/dialogs.h"

#include <feedsmith/version.h>

#include <QFileInfo>

namespace Feedsmith {

using namespace Qt::StringLiterals;

QString PageContext::askForFileToTake(const QString &filter, const QString &needsSaveText) const
{
    // Files the project takes in are kept in the media folder beside it, which a project never
    // saved does not have.
    if (document.projectPath.isEmpty()) {
        messageBoxes.warning(window, QString::fromLatin1(Version::ProductName), needsSaveText);
        return {};
    }
    if (!fileDialog)
        return {};
    const QString previousFilter = fileDialog->filter();
    fileDialog->setFilter(filter);
    fileDialog->setFileName(QFileInfo(document.projectPath).absolutePath() + u'/'); // the project's folder
    const QString chosen = fileDialog->showOpen(window);
    // The same dialog serves the project commands.
    fileDialog->setFilter(previousFilter);
    fileDialog->setFileName(document.projectPath);
    return chosen;
}

} // namespace Feedsmith
