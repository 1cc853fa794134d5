// The buttons of the window's toolbars.
#pragma once

#include "window/platform/icons.h"

#include <QString>

#include <initializer_list>

class QToolBar;

namespace Feedsmith {

// A toolbar button: its key, first tool tip and picture; an empty key is a separator.
struct ToolButton
{
    QString key;
    QString toolTip;
    QString themeName;
    Icons::Picture picture;
};

// Adds the buttons in order; each action carries its key as data.
void addToolButtons(QToolBar *toolbar, std::initializer_list<ToolButton> buttons);

} // namespace Feedsmith
