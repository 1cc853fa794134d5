// What every page of the main window is given: the document, the start-up state, the dialogs.
#pragma once

#include "core/document/feeddocument.h"
#include "core/startup/startup.h"

#include <functional>

class QWidget;

namespace Feedsmith {

class Captions;
class FileDialog;
class MessageBoxes;

// The window's shared state, handed to each page as it is built. The references live as long as
// the window.
struct PageContext
{
    FeedDocument &document;
    const StartupState &startup;
    MessageBoxes &messageBoxes;
    Captions &captions;
    QWidget *window; // the parent of the pages' message boxes
    // Sets or clears the document's changed flag and shows it in the window's title.
    std::function<void(bool)> setChanged = {};
    // The window's file dialog, for the pages' own choices of a file.
    FileDialog *fileDialog = nullptr;

    void markChanged() const
    {
        ++document.revision;
        if (setChanged)
            setChanged(true);
        else
            document.changed = true;
    }

    // The file dialog for a file the project takes into its media folder (a picture, an
    // enclosure), started in the project's folder with `filter`; for a project never saved, the
    // warning `needsSaveText` instead. Empty when nothing was chosen.
    QString askForFileToTake(const QString &filter, const QString &needsSaveText) const;

    // A TextTable text ("rootkey", "lastmodified", ...); empty when the language lacks it.
    QString text(const QString &key) const { return startup.language.textTable.value(key); }
};

} // namespace Feedsmith
