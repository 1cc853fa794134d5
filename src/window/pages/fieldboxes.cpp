// The boxes of a page bound to the document's channel or FTP fields.
#include "window/pages/fieldboxes.h"

#include "window/shell/fieldhelp.h"

#include "core/document/entryfields.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

FieldBoxes::FieldBoxes(FeedDocument &document, FieldHelp &help, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_help(help)
{ }

void FieldBoxes::bind(const DocumentField &field, QLineEdit *box, HtmlPane *helpPane)
{
    QString *value = &field.value(m_document);
    const Bound bound{box, value, field.typingLimit, field.isList};
    box->setMaxLength(bound.limit);
    // Typed and pasted text only; a value loaded from a project arrives whole all the same.
    if (field.digitsOnly)
        box->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9]*"_s), box));
    box->setText(bound.list ? TypedFromList(*value) : *value);
    m_bound.append(bound);
    m_help.addField(box, helpPane);
    // A list is typed with commas between its items; a box that shows the list as it is leaves it
    // alone, so that one shown and not typed into stays as it was.
    connect(box, &QLineEdit::textChanged, this, [value, list = bound.list](const QString &text) {
        if (!list)
            *value = text;
        else if (text != TypedFromList(*value))
            *value = ListFromTyped(text);
    });
    // The password is never stored, so typing it changes nothing that a save would keep.
    if (field.isStored())
        connect(box, &QLineEdit::textEdited, this, &FieldBoxes::edited);
    // A box that holds more than its limit (loaded from a project) shrinks back to the limit
    // as the user deletes, and never grows past it by typing.
    connect(box, &QLineEdit::textEdited, box, [box, limit = bound.limit](const QString &text) {
        box->setMaxLength(std::max<int>(limit, int(text.size())));
    });
}

void FieldBoxes::setBoxText(QLineEdit *box, const QString &text)
{
    int limit = NoTypingLimit;
    for (const Bound &bound : std::as_const(m_bound)) {
        if (bound.box == box)
            limit = bound.limit;
    }
    // The limit is for typing only: loaded text arrives whole.
    box->setMaxLength(std::max<int>(limit, int(text.size())));
    if (box->text() != text) {
        box->setText(text);
        box->home(false); // a long text shows its beginning
    }
}

void FieldBoxes::showFields()
{
    for (const Bound &bound : std::as_const(m_bound))
        setBoxText(bound.box, bound.list ? TypedFromList(*bound.value) : *bound.value);
}

} // namespace Feedsmith
