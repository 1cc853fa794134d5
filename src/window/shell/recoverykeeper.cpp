// Recovery copies of the window's document.
#include "window/shell/recoverykeeper.h"

#include <QPointer>
#include <QTimer>
#include <QtDebug>

namespace Feedsmith {

RecoveryKeeper::RecoveryKeeper(FeedDocument &document, const QString &programFolder, const QString &folder,
                               std::function<void()> commitEditor, WhenEditorCurrent whenEditorCurrent,
                               QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_programFolder(programFolder)
    , m_store(folder)
    , m_commitEditor(std::move(commitEditor))
    , m_whenEditorCurrent(std::move(whenEditorCurrent))
    , m_timer(new QTimer(this))
    , m_quiet(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("recoveryTimer"));
    m_timer->setInterval(IntervalMs);
    connect(m_timer, &QTimer::timeout, this, &RecoveryKeeper::writeWhenEditorCurrent);
    // What was typed last is kept too, not only what was typed half a minute ago.
    m_quiet->setSingleShot(true);
    m_quiet->setInterval(QuietMs);
    connect(m_quiet, &QTimer::timeout, this, &RecoveryKeeper::writeWhenEditorCurrent);
}

void RecoveryKeeper::writeWhenEditorCurrent()
{
    if (!m_whenEditorCurrent) {
        writeIfDue(true);
        return;
    }
    m_whenEditorCurrent([self = QPointer(this)] {
        if (self)
            self->writeIfDue(true);
    });
}

void RecoveryKeeper::noteChange()
{
    m_due = true;
    if (!m_timer->isActive())
        m_timer->start();
    m_quiet->start();
}

RecoveryKeeper::~RecoveryKeeper()
{
    finishWriting();
}

bool RecoveryKeeper::writeIfDue(bool commitFirst, bool wait)
{
    if (!m_due || !m_document.changed)
        return true;
    if (m_writing && !wait)
        return true; // the copy on its way goes first
    finishWriting();
    if (commitFirst && m_commitEditor)
        m_commitEditor();
    m_snapshot = DocumentSnapshot(m_document);
    m_due = false;
    m_writing = true;
    auto write = [this, &snapshot = *m_snapshot] {
        QString error;
        const bool written = m_store.write(snapshot, m_programFolder, &error);
        if (!written) {
            m_due = true; // tried again at the next chance
            // Said once, not every half minute.
            if (!m_failureReported.exchange(true)) {
                qWarning("The recovery copy could not be written: %s", qPrintable(error));
                emit copyFailed(error);
            }
        } else {
            m_failureReported = false;
        }
        m_writing = false;
        return written;
    };
    if (wait) {
        const bool written = write();
        m_snapshot.reset();
        return written;
    }
    m_writer = std::thread(write);
    return true;
}

void RecoveryKeeper::finishWriting()
{
    if (m_writer.joinable())
        m_writer.join();
    m_snapshot.reset();
}

void RecoveryKeeper::clear()
{
    m_due = false;
    m_timer->stop();
    m_quiet->stop();
    // A copy on its way would otherwise land after the removal.
    finishWriting();
    m_store.remove();
}

} // namespace Feedsmith
