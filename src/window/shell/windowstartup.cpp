// Window start-up.
#include "window/shell/windowstartup.h"

namespace Feedsmith {

std::unique_ptr<MainWindow> Main(const QString &programFolder, const QString &localeName, FileDialog &fileDialog,
                                 MessageBoxes &messageBoxes)
{
    const StartupState state = RunStartup(programFolder, localeName);
    auto window = std::make_unique<MainWindow>(state, fileDialog, messageBoxes);
    window->applyCaptions(state.language.captions);
    window->setToolTips();
    window->show();
    // Where the activation will put the focus; the window takes it once it is active.
    window->onActivated();
    return window;
}

} // namespace Feedsmith
