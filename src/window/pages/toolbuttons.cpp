// The buttons of the window's toolbars.
#include "window/pages/toolbuttons.h"

#include <QAction>
#include <QToolBar>

namespace Feedsmith {

void addToolButtons(QToolBar *toolbar, std::initializer_list<ToolButton> buttons)
{
    for (const ToolButton &b : buttons) {
        if (b.key.isEmpty()) {
            toolbar->addSeparator();
            continue;
        }
        QAction *action = toolbar->addAction(Icons::themed(b.themeName, b.picture), QString());
        action->setData(b.key);
        action->setToolTip(b.toolTip);
    }
}

} // namespace Feedsmith
