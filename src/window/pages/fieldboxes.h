// The boxes of a page bound to the document's channel or FTP fields.
#pragma once

#include "core/document/feeddocument.h"

#include <QList>
#include <QObject>

class QLineEdit;

namespace Feedsmith {

class FieldHelp;
class HtmlPane;

// Binds each box to its document field both ways: typing writes the field, showFields() writes
// the fields into the boxes. A box keeps its field's typing limit for typing only.
class FieldBoxes : public QObject
{
    Q_OBJECT

public:
    FieldBoxes(FeedDocument &document, FieldHelp &help, QObject *parent = nullptr);

    // Binds the box of the field; its help shows in the pane while it has the focus.
    void bind(const DocumentField &field, QLineEdit *box, HtmlPane *helpPane);
    // Writes every bound field into its box (whole, past typing limits).
    void showFields();
    // Sets a box's text whole; its limit stays its field's limit for typing.
    void setBoxText(QLineEdit *box, const QString &text);

signals:
    // The user changed a field that the project file keeps.
    void edited();

private:
    struct Bound
    {
        QLineEdit *box = nullptr;
        QString *value = nullptr;
        int limit = 0;
        bool list = false; // items one a line, typed with commas between them
    };

    FeedDocument &m_document;
    FieldHelp &m_help;
    QList<Bound> m_bound;
};

} // namespace Feedsmith
