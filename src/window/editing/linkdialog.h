// The link dialog of the entry editor.
#pragma once

#include "core/locale/keyedtexts.h"
#include "window/editing/richtexteditor.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace Feedsmith {

// Asks for a link: its address (a wide box, filled in from the link being edited, the selection
// or the clipboard when that is an address), its text, whether it opens a new window; and, for a
// link that exists, offers to remove it.
class LinkDialog : public QDialog
{
    Q_OBJECT

public:
    LinkDialog(const KeyedTexts &texts, const RichTextEditor::Link &initial, QWidget *parent = nullptr);

    // What was chosen; `remove` set when the link is to go.
    RichTextEditor::Link link() const;

    // The editor's link prompt through this dialog.
    static std::optional<RichTextEditor::Link> ask(const KeyedTexts &texts, QWidget *parent,
                                                   const RichTextEditor::Link &initial);

private:
    QLineEdit *m_address;
    QLineEdit *m_text;
    QCheckBox *m_newWindow;
    bool m_remove = false;
};

} // namespace Feedsmith
