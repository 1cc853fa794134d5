// The file dialog and the message boxes, behind small interfaces so that tests can answer them.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QWidget;

namespace Feedsmith {

// One file dialog that keeps its filter, file name and start folder between uses, the way the
// file commands and RSS generation share it. The filter is written "*.xml | *.xml": pairs of a
// description and a pattern, separated by "|".
class FileDialog
{
public:
    enum class Mode { Open, Save };

    virtual ~FileDialog() = default;

    QString filter() const { return m_filter; }
    void setFilter(const QString &filter) { m_filter = filter; }
    QString fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    QString startFolder() const { return m_startFolder; }
    void setStartFolder(const QString &folder) { m_startFolder = folder; }

    // Shows the dialog; the chosen name becomes the file name and is returned. Cancelling gives
    // an empty name. A name saved without an extension gets the one of the filter's pattern.
    QString showOpen(QWidget *parent);
    QString showSave(QWidget *parent);

    // Where the dialog opens: the file name (inside the folder below when it is relative), or
    // with no file name the folder last used with this filter (this kind of file), else the start
    // folder.
    QString startPath() const;
    // The folder last used with each filter, by filter.
    QVariantMap lastFolders() const { return m_lastFolders; }
    void setLastFolders(const QVariantMap &folders) { m_lastFolders = folders; }
    // The filter as Qt writes it: "*.xml (*.xml)".
    static QString qtNameFilter(const QString &filter);
    // The extension of the filter's first pattern: "xml" for "*.xml | *.xml".
    static QString defaultExtension(const QString &filter);
    // The name with the filter's extension appended when it has none.
    static QString completedName(const QString &name, const QString &filter);

protected:
    // Asks for a name; empty when cancelled.
    virtual QString ask(Mode mode, QWidget *parent) = 0;

private:
    QString show(Mode mode, QWidget *parent);

    QString m_filter = QStringLiteral("*.xml | *.xml");
    QString m_fileName;
    QString m_startFolder;
    QVariantMap m_lastFolders;
};

// The desktop's file dialog.
class QtFileDialog : public FileDialog
{
protected:
    QString ask(Mode mode, QWidget *parent) override;
};

// A tool tip that shows text from outside as typed: tool tips take anything that looks like
// markup as markup.
QString PlainToolTip(const QString &text);

// Whether an address is one the browser may be given: http:// or https:// with a host.
bool IsWebAddress(const QString &address);

// Message boxes, titled by the caller. Their texts are plain text: a message may quote a
// project, a feed, a file name or a server, and none of that may act as markup.
class MessageBoxes
{
public:
    enum class SaveAnswer { Save, Discard, Cancel };
    // The captions of the three buttons of askSave.
    struct SaveButtons
    {
        QString save;
        QString discard;
        QString cancel;
    };

    virtual ~MessageBoxes() = default;
    virtual void information(QWidget *parent, const QString &title, const QString &text) = 0;
    virtual void warning(QWidget *parent, const QString &title, const QString &text) = 0;
    // Yes and No, with the critical icon; true for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text) = 0;
    // Yes and No, with the question icon, for a question that warns of nothing; true for Yes.
    virtual bool askQuestion(QWidget *parent, const QString &title, const QString &text)
    {
        return askYesNo(parent, title, text);
    }
    // Save, Discard and Cancel, with the question icon; closing the box cancels.
    virtual SaveAnswer askSave(QWidget *parent, const QString &title, const QString &text,
                               const SaveButtons &buttons) = 0;
    // Restore and Discard, for work a program left behind; closing the box answers Later (the
    // work is kept and offered again).
    enum class RestoreAnswer { Restore, Discard, Later };
    virtual RestoreAnswer askRestore(QWidget *parent, const QString &title, const QString &text,
                                     const QString &restoreText, const QString &discardText) = 0;
    // A line of text, such as an address; empty when cancelled.
    virtual QString askText(QWidget *parent, const QString &title, const QString &label) = 0;
    // OK only, without an icon.
    virtual void plain(QWidget *parent, const QString &title, const QString &text) { information(parent, title, text); }
    // OK only, with the critical icon.
    virtual void critical(QWidget *parent, const QString &title, const QString &text) { warning(parent, title, text); }
    // The critical icon, with the technical detail behind a Details button.
    virtual void criticalWithDetails(QWidget *parent, const QString &title, const QString &text, const QString &details)
    {
        critical(parent, title, text + QStringLiteral("\n\n") + details);
    }
    // An information with a button that opens an address in the browser (none for an empty one,
    // nor for one that is no web address).
    virtual void informationWithAddress(QWidget *parent, const QString &title, const QString &text,
                                        const QString &address, const QString &openText)
    {
        Q_UNUSED(address);
        Q_UNUSED(openText);
        information(parent, title, text);
    }
};

class QtMessageBoxes : public MessageBoxes
{
public:
    void criticalWithDetails(QWidget *parent, const QString &title, const QString &text,
                             const QString &details) override;
    void informationWithAddress(QWidget *parent, const QString &title, const QString &text, const QString &address,
                                const QString &openText) override;
    void information(QWidget *parent, const QString &title, const QString &text) override;
    void warning(QWidget *parent, const QString &title, const QString &text) override;
    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override;
    bool askQuestion(QWidget *parent, const QString &title, const QString &text) override;
    SaveAnswer askSave(QWidget *parent, const QString &title, const QString &text, const SaveButtons &buttons) override;
    RestoreAnswer askRestore(QWidget *parent, const QString &title, const QString &text, const QString &restoreText,
                             const QString &discardText) override;
    QString askText(QWidget *parent, const QString &title, const QString &label) override;
    void plain(QWidget *parent, const QString &title, const QString &text) override;
    void critical(QWidget *parent, const QString &title, const QString &text) override;
};

} // namespace Feedsmith
