// The language captions of the window's controls.
#pragma once

#include "core/locale/keyedtexts.h"
#include "core/locale/languagefile.h"

#include <QList>
#include <QString>
#include <QStringList>

class QAction;
class QGroupBox;
class QLabel;
class QObject;
class QPushButton;
class QTabBar;
class QToolBar;
class QWidget;

namespace Feedsmith {

// Makes the captioned controls of every page and keeps them in one list. A control starts with
// its language key as caption; apply() then replaces, line by line in the order of the language
// file, the caption of each control of the line's kind whose caption equals the line's key.
class Captions
{
public:
    QLabel *label(const QString &name, const QString &key, QWidget *parent);
    QGroupBox *frame(const QString &name, const QString &key, QWidget *parent);
    QPushButton *button(const QString &name, const QString &key, QWidget *parent);
    QAction *menuItem(const QString &name, const QString &key, QObject *parent);
    // A menu's own action.
    void addMenu(QAction *menuAction);
    // A page under the tab bar: a frame without border whose caption starts as its name.
    void addPage(QWidget *page, const QString &name);

    // A widget that a screen reader names by a captioned control's caption (a help pane by its
    // frame's), named whenever the captions are applied.
    void nameAfter(QWidget *widget, QObject *captioned);

    // The tab bar takes the captions of the group "tab" by its tabs' keys.
    void apply(const QList<CaptionLine> &lines, QTabBar *tabs) const;

    // The tool tips of a toolbar's buttons from TextTable, by the keys in button order (an empty
    // key for a separator). A button's command is named by its tool tip without the keys in
    // brackets ("Undo (Ctrl+Z)" names "Undo"): the button says that name to a screen reader, and
    // a command without a text of its own takes it.
    static void setToolTips(QToolBar *toolbar, const QStringList &keys, const KeyedTexts &textTable);
    // A tool tip or placeholder without its keys in brackets at the end.
    static QString withoutKeys(const QString &text);
    // Gives each of the items an access key (Alt and the letter): the first letter of its text
    // that no item before it has, marked with "&". Items that have one keep it.
    static void assignMnemonics(const QList<QAction *> &items);

private:
    enum class Kind { Menu, Label, Frame, CommandButton };
    struct Control
    {
        Kind kind;
        QObject *object;
    };
    static QString captionOf(const Control &c);
    static void setCaptionOf(const Control &c, const QString &caption);

    QList<Control> m_controls;
    QList<std::pair<QWidget *, QObject *>> m_namedAfter;
};

} // namespace Feedsmith
