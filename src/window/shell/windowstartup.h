// The program's start: the shared start-up steps, then the main window.
#pragma once

#include "window/shell/mainwindow.h"

#include <QString>

#include <memory>

namespace Feedsmith {

class FileDialog;
class MessageBoxes;

// Runs the start-up steps (marker file, settings, language choice and file), loads the main
// window hidden, puts the language's captions and tool tips on it and shows it. The keyboard
// filter decision of the marker file is kept in the window (keyboardFilterWanted()).
std::unique_ptr<MainWindow> Main(const QString &programFolder, const QString &localeName, FileDialog &fileDialog,
                                 MessageBoxes &messageBoxes);

} // namespace Feedsmith
