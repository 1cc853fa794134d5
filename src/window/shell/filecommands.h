// The file commands of the main window: new, open, save, save as and generate RSS.
#pragma once

#include "window/editing/tabswitching.h"
#include "window/pages/pagecontext.h"

#include <QObject>
#include <QString>

namespace Feedsmith {

class ContentsPage;
class FileDialog;
class PublishPage;
class SettingsPage;

// Reads and writes the document's project and RSS files through the file dialog, and brings
// the pages up to date with what was read or written.
class FileCommands : public QObject
{
    Q_OBJECT

public:
    FileCommands(const PageContext &context, FileDialog &fileDialog, SettingsPage *settingsPage,
                 ContentsPage *contentsPage, PublishPage *publishPage, QObject *parent = nullptr);

    void newDocument();
    void openProject();
    void saveProject();
    void saveProjectAs();
    void generateRss();
    // The publish page's generate button: the feed file box names the file to offer.
    void generateFromPublishPage();
    // Empties the document and everything that shows it.
    void clearDocument();
    // Writes the document's channel and FTP fields into their boxes.
    void showDocumentFields();

signals:
    void pageWanted(Page page);

private:
    void writeProject();
    void fail(const QString &what, const QString &error);

    PageContext m_context;
    FileDialog &m_fileDialog;
    SettingsPage *m_settingsPage;
    ContentsPage *m_contentsPage;
    PublishPage *m_publishPage;
};

} // namespace Feedsmith
