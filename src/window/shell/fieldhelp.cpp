// Field help.
#include "window/shell/fieldhelp.h"

#include "core/text/textfiles.h"
#include "window/shell/htmlpane.h"

#include <QEvent>
#include <QLineEdit>
#include <QTextDocumentFragment>

namespace Feedsmith {

using namespace Qt::StringLiterals;

FieldHelp::FieldHelp(const QString &programFolder, const KeyedTexts &helpTable, QObject *parent)
    : QObject(parent)
    , m_programFolder(programFolder)
    , m_helpTable(helpTable)
{ }

QString FieldHelp::helpKey(const QString &fieldName)
{
    QString key = fieldName;
    if (key.startsWith("txt"_L1))
        key.remove(0, 3);
    return key.toLower();
}

void FieldHelp::addField(QLineEdit *field, HtmlPane *pane)
{
    m_panes.insert(field, pane);
    field->installEventFilter(this);
    // A screen reader gives the help with the field, as the pane shows it beside the field.
    field->setAccessibleDescription(plainText(m_helpTable.value(helpKey(field->objectName()))));
}

QString FieldHelp::plainText(const QString &helpHtml)
{
    return QTextDocumentFragment::fromHtml(helpHtml).toPlainText();
}

void FieldHelp::showHelp(QLineEdit *field)
{
    HtmlPane *pane = m_panes.value(field);
    if (!pane)
        return;
    // A field without a help text gets a page with an empty body.
    pane->setDocumentHtml(BuildHelpPage(m_programFolder, m_helpTable.value(helpKey(field->objectName()))));
    // The title field keeps the focus whatever the pane does with the new page.
    if (field->objectName() == "txtTitle"_L1 && !field->hasFocus())
        field->setFocus(Qt::OtherFocusReason);
}

bool FieldHelp::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto *field = qobject_cast<QLineEdit *>(watched))
            showHelp(field);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace Feedsmith
