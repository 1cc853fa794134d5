// Help › Keyboard shortcuts: every key the window answers to, in the interface language.
#pragma once

#include <QDialog>

class QTableWidget;

namespace Feedsmith {

class KeyedTexts;

// Lists the commands of `window` that have keys (their menu or button texts, without access-key
// marks, and the keys as the desktop writes them), then the keys that are no command of their
// own: Tab in the text, Esc in the filter.
class ShortcutsDialog : public QDialog
{
    Q_OBJECT

public:
    ShortcutsDialog(QWidget *window, const KeyedTexts &texts);
    QTableWidget *table() const { return m_table; }

private:
    QTableWidget *m_table;
};

} // namespace Feedsmith
