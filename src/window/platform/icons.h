// Toolbar pictures and the program icon: the desktop's icon theme first, drawn pictures otherwise.
#pragma once

#include <QIcon>
#include <QString>

namespace Feedsmith::Icons {

// The pictures the program draws itself when the icon theme lacks one.
enum class Picture {
    NewDocument,
    OpenDocument,
    SaveDocument,
    Feed,
    Bold,
    Italic,
    Underline,
    Link,
    BulletList,
    NumberedList,
    Heading2,
    Heading3,
    Paragraph,
    Quote,
    Code,
    ClearFormat,
    Undo,
    Redo,
    Source,
    Picture
};

// The theme icon of that name when the theme has one that renders, else the drawn picture.
QIcon themed(const QString &themeName, Picture fallback);
// The drawn picture alone.
QIcon drawn(Picture picture);
// The program's icon: an orange feed symbol.
QIcon applicationIcon();

} // namespace Feedsmith::Icons
