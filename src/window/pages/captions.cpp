// The language captions of the window's controls.
#include "window/pages/captions.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabBar>
#include <QToolBar>

namespace Feedsmith {

using namespace Qt::StringLiterals;

QLabel *Captions::label(const QString &name, const QString &key, QWidget *parent)
{
    auto *label = new QLabel(key, parent);
    // Captions are plain, and some of them quote a project or a file name.
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(name);
    m_controls.append({Kind::Label, label});
    return label;
}

QGroupBox *Captions::frame(const QString &name, const QString &key, QWidget *parent)
{
    auto *frame = new QGroupBox(key, parent);
    frame->setObjectName(name);
    m_controls.append({Kind::Frame, frame});
    return frame;
}

QPushButton *Captions::button(const QString &name, const QString &key, QWidget *parent)
{
    auto *button = new QPushButton(key, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    m_controls.append({Kind::CommandButton, button});
    return button;
}

QAction *Captions::menuItem(const QString &name, const QString &key, QObject *parent)
{
    auto *action = new QAction(key, parent);
    action->setObjectName(name);
    m_controls.append({Kind::Menu, action});
    return action;
}

void Captions::addMenu(QAction *menuAction)
{
    m_controls.append({Kind::Menu, menuAction});
}

void Captions::addPage(QWidget *page, const QString &name)
{
    page->setObjectName(name);
    page->setProperty("caption", name);
    m_controls.append({Kind::Frame, page});
}

QString Captions::captionOf(const Control &c)
{
    switch (c.kind) {
    case Kind::Menu: return static_cast<QAction *>(c.object)->text();
    case Kind::Label: return static_cast<QLabel *>(c.object)->text();
    case Kind::Frame:
        if (auto *frame = qobject_cast<QGroupBox *>(c.object))
            return frame->title();
        return c.object->property("caption").toString();
    case Kind::CommandButton: return static_cast<QPushButton *>(c.object)->text();
    }
    return {};
}

void Captions::setCaptionOf(const Control &c, const QString &caption)
{
    switch (c.kind) {
    case Kind::Menu: {
        // A separator keeps no text: some styles would draw it as a titled section.
        auto *action = static_cast<QAction *>(c.object);
        action->setText(action->isSeparator() ? QString() : caption);
        break;
    }
    case Kind::Label: static_cast<QLabel *>(c.object)->setText(caption); break;
    case Kind::Frame:
        if (auto *frame = qobject_cast<QGroupBox *>(c.object))
            frame->setTitle(caption);
        else
            c.object->setProperty("caption", caption);
        break;
    case Kind::CommandButton: static_cast<QPushButton *>(c.object)->setText(caption); break;
    }
}

void Captions::nameAfter(QWidget *widget, QObject *captioned)
{
    m_namedAfter.append({widget, captioned});
}

void Captions::apply(const QList<CaptionLine> &lines, QTabBar *tabs) const
{
    static const QStringList tabKeys = {u"settings"_s, u"contents"_s, u"preview"_s, u"ftp"_s};
    for (const CaptionLine &line : lines) {
        if (line.group == "tab"_L1) {
            const qsizetype index = tabKeys.indexOf(line.key);
            if (index >= 0)
                tabs->setTabText(int(index), line.text);
            continue;
        }
        Kind kind;
        if (line.group == "menu"_L1)
            kind = Kind::Menu;
        else if (line.group == "label"_L1)
            kind = Kind::Label;
        else if (line.group == "frame"_L1)
            kind = Kind::Frame;
        else if (line.group == "button"_L1)
            kind = Kind::CommandButton;
        else
            continue;
        for (const Control &c : m_controls) {
            if (c.kind == kind && captionOf(c) == line.key)
                setCaptionOf(c, line.text);
        }
    }
    for (const auto &[widget, captioned] : m_namedAfter) {
        for (const Control &c : m_controls) {
            if (c.object == captioned)
                widget->setAccessibleName(QString(captionOf(c)).remove(u'&'));
        }
    }
}

void Captions::assignMnemonics(const QList<QAction *> &items)
{
    QSet<QChar> taken;
    for (const QAction *item : items) {
        const qsizetype marked = item->text().indexOf(u'&');
        if (marked >= 0 && marked + 1 < item->text().size())
            taken.insert(item->text().at(marked + 1).toLower());
    }
    for (QAction *item : items) {
        QString text = item->text();
        if (item->isSeparator() || text.isEmpty() || text.contains(u'&'))
            continue;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i).toLower();
            if (c.isLetterOrNumber() && !taken.contains(c)) {
                taken.insert(c);
                item->setText(text.insert(i, u'&'));
                break;
            }
        }
    }
}

QString Captions::withoutKeys(const QString &text)
{
    static const QRegularExpression keys(u"\\s*\\([^()]*\\)\\s*$"_s);
    return QString(text).remove(keys);
}

void Captions::setToolTips(QToolBar *toolbar, const QStringList &keys, const KeyedTexts &textTable)
{
    const QList<QAction *> buttons = toolbar->actions();
    for (qsizetype i = 0; i < buttons.size() && i < keys.size(); ++i) {
        if (keys.at(i).isEmpty())
            continue;
        QAction *action = buttons.at(i);
        const QString toolTip = textTable.value(keys.at(i));
        action->setToolTip(toolTip);
        const QString name = withoutKeys(toolTip);
        if (action->text().isEmpty())
            action->setText(name);
        if (QWidget *button = toolbar->widgetForAction(action))
            button->setAccessibleName(name);
    }
}

} // namespace Feedsmith
