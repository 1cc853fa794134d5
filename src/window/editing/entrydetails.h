// The Details area of the entry panel: the fields of the entry field table, under the title and
// the link, behind a button that shows and hides them.
#pragma once

#include "core/document/entryfields.h"
#include "core/document/feeddocument.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QToolButton;
class QWidget;

namespace Feedsmith {

class KeyedTexts;

class EntryDetails : public QObject
{
    Q_OBJECT

public:
    // Gives a file chosen as the enclosure to `take`, once it is in the project's media folder:
    // its name there ("media/NAME") and where it lies. Nothing when none was chosen.
    using Take = std::function<void(const QString &stored, const QString &path)>;
    using ChooseFile = std::function<void(Take take)>;

    // Builds a row for every field that is typed into `area` (labels from the language texts,
    // help from the help texts as tool tips), `toggle` showing and hiding it. The rows keep their
    // height and scroll where the window has no room for all of them. chooseFile asks for a local
    // file to take as the enclosure, or as an episode's artwork, transcript or chapters.
    EntryDetails(QToolButton *toggle, QScrollArea *area, const KeyedTexts &captions, const KeyedTexts &help,
                 const FeedDocument &document, ChooseFile chooseFile, QObject *parent = nullptr);
    // Waits for an enclosure address being asked about (it gives up at once).
    ~EntryDetails() override;

    // Shows the entry's fields; the podcast fields only for a podcast.
    void showEntry(const RSSentry &entry, bool podcast);
    // Empties every box.
    void clear();
    // The fields as typed, over a copy of the entry shown (its untyped fields kept).
    void fillIn(RSSentry &entry) const;
    // Shows the fields (as the toggle does).
    void open();
    // The box of a field's key (tests and focus order); null for a field without one.
    QWidget *box(QLatin1StringView key) const;

signals:
    // Something was typed or chosen.
    void edited();

private:
    struct Row
    {
        const EntryField *field;
        QWidget *label;
        QLineEdit *edit = nullptr;
        QCheckBox *check = nullptr;
        QPushButton *choose = nullptr; // takes a file of this computer into the media folder
    };
    void chooseEnclosure();
    // A file of this computer as the field's: the artwork, the chapters, one more transcript.
    void chooseMediaFile(const EntryField &field);
    // An http(s) enclosure address whose length or type is empty is asked about beside the
    // window (HEAD); what the server says fills them in while the address is still the one typed.
    void probeEnclosure();
    QLineEdit *edit(QLatin1StringView key) const;
    void fitArea();

    std::vector<Row> m_rows;
    QToolButton *m_toggle = nullptr;
    QScrollArea *m_area = nullptr;
    const FeedDocument &m_document;
    RSSentry m_shown; // the fields never typed (the local enclosure file, the permalink flag)
    bool m_podcast = false;
    ChooseFile m_chooseFile;
    std::thread m_probe;
    std::atomic<bool> m_probeCancelled = false;
};

} // namespace Feedsmith
