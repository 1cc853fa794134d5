// Keeps a recovery copy of the window's document while it has changes.
#pragma once

#include "core/project/recovery.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QTimer;

namespace Feedsmith {

// While the document differs from its file, a copy is written two seconds after the typing stops,
// at the latest every 30 seconds while it goes on, and whenever another entry is chosen, each time
// only if something changed since the last copy; it goes once the document is saved, discarded or
// the window closes normally.
class RecoveryKeeper : public QObject
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 30 * 1000;
    static constexpr int QuietMs = 2 * 1000;

    // Calls its argument once the editor holds its last keystroke (at once, or when its page
    // has answered).
    using WhenEditorCurrent = std::function<void(std::function<void()>)>;
    // `commitEditor` puts what is being edited into the document before a copy; a timed copy
    // waits for `whenEditorCurrent` first.
    RecoveryKeeper(FeedDocument &document, const QString &programFolder, const QString &folder,
                   std::function<void()> commitEditor, WhenEditorCurrent whenEditorCurrent = {},
                   QObject *parent = nullptr);
    ~RecoveryKeeper() override;

    const RecoveryStore &store() const { return m_store; }
    QTimer *timer() const { return m_timer; }
    // Runs out QuietMs after the last change.
    QTimer *quietTimer() const { return m_quiet; }

    // The document changed: a copy is due.
    void noteChange();
    // Writes the copy when one is due; `commitFirst` commits the editor first. The copy is made
    // of the document as it stands (its texts shared, not duplicated) and written on a thread of
    // its own, so that a large project never stops the window; with `wait`, it is written before
    // this returns, and false means that writing failed. While a copy is being written, the
    // next one waits for the next chance.
    bool writeIfDue(bool commitFirst, bool wait = false);
    // Waits until the copy being written is on disk.
    void finishWriting();
    // The document is saved or its changes are dropped: no copy is kept.
    void clear();

signals:
    // A copy could not be written (a full disk, a folder that is not the user's); said once
    // until a copy is written again. Emitted on the writing thread.
    void copyFailed(const QString &error);

private:
    FeedDocument &m_document;
    QString m_programFolder;
    RecoveryStore m_store;
    std::function<void()> m_commitEditor;
    WhenEditorCurrent m_whenEditorCurrent;
    // A timed copy, once the editor is current.
    void writeWhenEditorCurrent();
    QTimer *m_timer;
    QTimer *m_quiet;
    std::atomic<bool> m_due = false;
    std::atomic<bool> m_failureReported = false;
    std::atomic<bool> m_writing = false;
    std::thread m_writer;
    std::unique_ptr<FeedDocument> m_snapshot; // what m_writer writes; made and freed on this thread
};

} // namespace Feedsmith
