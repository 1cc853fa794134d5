// The publish page: the feed's file and the FTP server it is uploaded to.
#pragma once

#include "window/pages/pagecontext.h"

#include <QList>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;

namespace Feedsmith {

class FieldBoxes;
class HtmlPane;

// The feed file with its date and the generate button, the FTP fields, the upload button and
// the help pane. The FTP connection is kept between uploads.
class PublishPage : public QWidget
{
    Q_OBJECT

public:
    explicit PublishPage(const PageContext &context, QWidget *parent = nullptr);
    ~PublishPage() override;

    // The boxes and buttons in the order the Tab key visits them.
    QList<QWidget *> tabChain() const { return m_tabChain; }

    void showDocumentFields();
    // The time, server and public address of the last successful publication, under its button.
    void showLastPublication();
    // Puts a file into the feed file box (and so into the document).
    void setFeedFile(const QString &path);
    // The feed file's date under its box; left as it is without a feed file or without the
    // "lastmodified" text.
    void refreshFileDate();
    void clearFileDate();
    // Widens the label column to its longest caption.
    void alignLabels();

signals:
    void generateRequested();
    // The publish button: check, build and upload the feed.
    void publishRequested();
    // The other button: upload the feed file as it is on the disk.
    void uploadRequested();

private:
    PageContext m_context;
    FieldBoxes *m_boxes = nullptr;
    QList<QLabel *> m_labels;
    QList<QWidget *> m_tabChain;
    QLineEdit *m_feedFileEdit = nullptr;
    QLabel *m_fileDateLabel = nullptr;
    QLabel *m_lastPublishedLabel = nullptr;
    HtmlPane *m_helpPane = nullptr;
};

} // namespace Feedsmith
