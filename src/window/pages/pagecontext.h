// What every page of the main window is given: the document, the start-up state, the dialogs.
#pragma once

#include "core/document/feeddocument.h"
#include "core/startup/startup.h"

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

    // A TextTable text ("rootkey", "lastmodified", ...); empty when the language lacks it.
    QString text(const QString &key) const { return startup.language.textTable.value(key); }
};

} // namespace Feedsmith
