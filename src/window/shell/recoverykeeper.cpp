// Recovery copies of the window's document.
#include "window/shell/recoverykeeper.h"

#include <QTimer>
#include <QtDebug>

namespace Feedsmith {

RecoveryKeeper::RecoveryKeeper(FeedDocument &document, const QString &programFolder, const QString &folder,
                               std::function<void()> commitEditor, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_programFolder(programFolder)
    , m_store(folder)
    , m_commitEditor(std::move(commitEditor))
    , m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("recoveryTimer"));
    m_timer->setInterval(IntervalMs);
    connect(m_timer, &QTimer::timeout, this, [this] { writeIfDue(true); });
}

void RecoveryKeeper::noteChange()
{
    m_due = true;
    if (!m_timer->isActive())
        m_timer->start();
}

bool RecoveryKeeper::writeIfDue(bool commitFirst)
{
    if (!m_due || !m_document.changed)
        return true;
    if (commitFirst && m_commitEditor)
        m_commitEditor();
    QString error;
    if (!m_store.write(m_document, m_programFolder, &error)) {
        // Tried again at the next tick; said once, not every half minute.
        if (!m_failureReported)
            qWarning("The recovery copy could not be written: %s", qPrintable(error));
        m_failureReported = true;
        return false;
    }
    m_due = false;
    m_failureReported = false;
    return true;
}

void RecoveryKeeper::clear()
{
    m_due = false;
    m_timer->stop();
    m_store.remove();
}

} // namespace Feedsmith
