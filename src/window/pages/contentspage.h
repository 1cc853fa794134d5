// The contents page: the entry tree beside the entry editor with its toolbar.
#pragma once

#include "window/pages/pagecontext.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QSplitter;
class QToolBar;

namespace Feedsmith {

class EntryEditor;
class EntryFilterModel;
class RichTextEditor;

// The tree of entries with the new and delete buttons, and the frame that edits the selected
// entry: title, link, formatting toolbar, the rich text editor and the creation date. The entry
// editor does the page's work on the widgets the page hands it.
class ContentsPage : public QWidget
{
    Q_OBJECT

public:
    explicit ContentsPage(const PageContext &context, QWidget *parent = nullptr);

    EntryEditor *entryEditor() const { return m_entryEditor; }
    QToolBar *formatToolBar() const { return m_formatToolBar; }
    // Between the tree and the entry.
    QSplitter *splitter() const { return m_splitter; }
    QLineEdit *filterEdit() const { return m_filterEdit; }
    // The entry's Details, shown and hidden by their button.
    QWidget *detailsArea() const { return m_detailsArea; }
    EntryFilterModel *filterModel() const { return m_filterModel; }

    // Empties the entry's boxes, the editor and the creation date, and the filter (another
    // document comes).
    void clearEntry();
    // Edit › Find: the focus in the filter, its text selected.
    void focusFilter();
    // What takes the focus when the page is chosen.
    QWidget *firstControl() const;
    // Lowers the editor's smallest height by up to `pixels`, for a screen with little room (a
    // scale factor of 2, a large font), never below a few lines.
    void shrinkEditor(int pixels);

protected:
    // Esc in the filter field shows every entry again.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QSplitter *m_splitter = nullptr;
    QLineEdit *m_filterEdit = nullptr;
    EntryFilterModel *m_filterModel = nullptr;
    QLineEdit *m_titleEdit = nullptr;
    QLineEdit *m_linkEdit = nullptr;
    QToolBar *m_formatToolBar = nullptr;
    RichTextEditor *m_editor = nullptr;
    QLabel *m_createInfo = nullptr;
    QWidget *m_newEntryButton = nullptr;
    QWidget *m_detailsArea = nullptr;
    EntryEditor *m_entryEditor = nullptr;
};

} // namespace Feedsmith
