// Keeps a recovery copy of the window's document while it has changes.
#pragma once

#include "core/project/recovery.h"

#include <QObject>
#include <QString>

#include <functional>

class QTimer;

namespace Feedsmith {

// While the document differs from its file, a copy is written every 30 seconds and whenever
// another entry is chosen, each time only if something changed since the last copy; it goes
// once the document is saved, discarded or the window closes normally.
class RecoveryKeeper : public QObject
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 30 * 1000;

    // `commitEditor` puts what is being edited into the document before a timed copy.
    RecoveryKeeper(FeedDocument &document, const QString &programFolder, const QString &folder,
                   std::function<void()> commitEditor, QObject *parent = nullptr);

    const RecoveryStore &store() const { return m_store; }
    QTimer *timer() const { return m_timer; }

    // The document changed: a copy is due.
    void noteChange();
    // Writes the copy now when one is due; `commitFirst` commits the editor first. False only
    // when writing failed.
    bool writeIfDue(bool commitFirst);
    // The document is saved or its changes are dropped: no copy is kept.
    void clear();

private:
    FeedDocument &m_document;
    QString m_programFolder;
    RecoveryStore m_store;
    std::function<void()> m_commitEditor;
    QTimer *m_timer;
    bool m_due = false;
    bool m_failureReported = false;
};

} // namespace Feedsmith
