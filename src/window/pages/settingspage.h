// The settings page: the channel's fields beside their help.
#pragma once

#include "window/pages/pagecontext.h"

#include "core/document/feeddocument.h"

#include <QList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace Feedsmith {

class FieldBoxes;
struct DocumentField;
class HtmlPane;

// The channel fields in three frames and a loose group, the options, the podcast's fields in a
// frame of their own shown only for a podcast, each box bound to its document field, and the help
// pane that explains the field with the focus.
class SettingsPage : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsPage(const PageContext &context, QWidget *parent = nullptr);

    // The boxes in the order the Tab key visits them.
    QList<QWidget *> tabChain() const;

    void showDocumentFields();
    // A new document: the focus in the title, and the defaults of time to live and number.
    void startNewDocument();
    void clearHelp();
    // Puts the focus into the title box when the page is the one shown.
    void focusTitleIfShown();
    // Widens the label column to its longest caption.
    void alignLabels();

signals:
    // The channel's language box changed, typed or filled in from a document.
    void languageChanged(const QString &language);

private:
    FeedDocument &m_document;
    FieldBoxes *m_boxes = nullptr;
    QList<QLabel *> m_labels;
    QList<QLineEdit *> m_fieldEdits;
    QList<std::pair<const DocumentField *, QCheckBox *>> m_options;
    QLineEdit *m_titleEdit = nullptr;
    QLineEdit *m_ttlEdit = nullptr;
    QLineEdit *m_numberEdit = nullptr;
    QComboBox *m_typeBox = nullptr;
    QList<QWidget *> m_podcastChain; // the podcast's boxes in the order the Tab key visits them
    HtmlPane *m_helpPane = nullptr;
    QList<std::pair<QLineEdit *, QWidget *>> m_pictureButtons; // the Choose buttons beside their boxes
    // Choose… beside the image or the artwork: a picture copied into the media folder.
    void chooseLocalPicture(const PageContext &context, QLineEdit *box, const DocumentField *field);
};

} // namespace Feedsmith
