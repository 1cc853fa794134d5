// Work off the window's thread, beside a progress dialog.
#include "window/platform/progresstask.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressDialog>
#include <QTimer>

#include <climits>

namespace Feedsmith {

QProgressDialog *newProgressDialog(QWidget *window, const QString &name, const QString &title,
                                   const QString &cancelText)
{
    auto *progress = new QProgressDialog(window);
    auto *label = new QLabel(progress);
    label->setTextFormat(Qt::PlainText);
    progress->setLabel(label);
    progress->setObjectName(name);
    progress->setWindowTitle(title);
    progress->setCancelButtonText(cancelText);
    progress->setWindowModality(Qt::WindowModal);
    progress->setRange(0, 0);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    return progress;
}

void endProgressDialog(const QPointer<QProgressDialog> &progress)
{
    if (!progress)
        return;
    progress->hide();
    progress->deleteLater();
}

ProgressTask::ProgressTask(QWidget *window, const QString &name, const QString &title, const QString &label,
                           const QString &cancelText, QObject *parent)
    : QObject(parent)
    , m_dialog(newProgressDialog(window, name, title, cancelText))
{
    m_dialog->setLabelText(label);
    m_dialog->hide();
    connect(m_dialog, &QProgressDialog::canceled, this, [this] { m_cancelled = true; });
}

ProgressTask::~ProgressTask()
{
    m_cancelled = true;
    if (m_thread.joinable())
        m_thread.join();
    endProgressDialog(m_dialog);
}

void ProgressTask::start(Work work, std::function<void(bool cancelled)> done)
{
    // A moment's work shows no dialog; the dialog keeps the window from being changed meanwhile
    // all the same, being modal from the start.
    m_dialog->setWindowModality(Qt::WindowModal);
    auto *showLater = new QTimer(this);
    showLater->setSingleShot(true);
    connect(showLater, &QTimer::timeout, this, [this] {
        if (m_dialog && !m_dialog->wasCanceled())
            m_dialog->show();
    });
    showLater->start(300);
    m_thread = std::thread([this, showLater, work = std::move(work), done = std::move(done)]() mutable {
        QElapsedTimer sinceReport;
        sinceReport.start();
        work([this, &sinceReport](qint64 doneBytes, qint64 total) {
            if (sinceReport.elapsed() >= 100) {
                sinceReport.restart();
                QMetaObject::invokeMethod(
                        this,
                        [this, doneBytes, total] {
                            if (!m_dialog || m_dialog->wasCanceled())
                                return;
                            // Kilobytes, so that large files fit the dialog's range.
                            m_dialog->setRange(0, int(std::min<qint64>(total / 1024, INT_MAX)));
                            m_dialog->setValue(int(std::min<qint64>(doneBytes / 1024, INT_MAX)));
                        },
                        Qt::QueuedConnection);
            }
            return !m_cancelled.load();
        });
        QMetaObject::invokeMethod(
                this,
                [this, showLater, done = std::move(done)] {
                    m_thread.join();
                    // Ended before the dialog was due: it never shows, also not while `done` asks.
                    showLater->stop();
                    endProgressDialog(m_dialog);
                    done(m_cancelled.load());
                    deleteLater();
                },
                Qt::QueuedConnection);
    });
}

} // namespace Feedsmith
