// The help panes beside the settings and FTP fields.
#pragma once

#include "core/locale/keyedtexts.h"

#include <QHash>
#include <QObject>
#include <QString>

class QLineEdit;

namespace Feedsmith {

class HtmlPane;

// Shows a field's help in its page's pane whenever the field gets the keyboard focus: the text
// of HelpTable under the field's key, wrapped with the style sheet, which is read anew each time.
class FieldHelp : public QObject
{
    Q_OBJECT

public:
    FieldHelp(const QString &programFolder, const KeyedTexts &helpTable, QObject *parent = nullptr);

    // Watches a field; its key is its name without "txt", in lower case.
    void addField(QLineEdit *field, HtmlPane *pane);
    // "txtimagetitle" gives "imagetitle", "txtTTL" gives "ttl".
    static QString helpKey(const QString &fieldName);
    // Shows the help of a watched field in its pane.
    void showHelp(QLineEdit *field);
    // A help text as a screen reader says it: its words without markup.
    static QString plainText(const QString &helpHtml);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_programFolder;
    const KeyedTexts &m_helpTable;
    QHash<QLineEdit *, HtmlPane *> m_panes;
};

} // namespace Feedsmith
