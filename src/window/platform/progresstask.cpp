// Work off the window's thread, beside a progress dialog.
#include "window/platform/progresstask.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <climits>

namespace Feedsmith {

using namespace Qt::StringLiterals;

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

ProgressPanel::ProgressPanel(const QString &cancelText, const QString &name, QWidget *parent)
    : QWidget(parent)
    , m_step(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_cancel(new QPushButton(cancelText, this))
{
    m_step->setTextFormat(Qt::PlainText); // a server's name, a file's name
    m_bar->setMaximumWidth(160);
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(name);
    m_cancel->setObjectName(u"publishCancel"_s);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_step);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, &ProgressPanel::canceled);
    hide();
}

void ProgressPanel::begin(const QString &step)
{
    m_cancelling = false;
    m_cancel->setEnabled(true);
    setProgress(step, 0, 0);
    QWidget::show();
}

void ProgressPanel::setProgress(const QString &step, qint64 done, qint64 total)
{
    if (m_cancelling)
        return;
    // Bytes as the desktop writes sizes; the bar in kilobytes, so that large files fit its range.
    const QLocale locale;
    m_step->setText(total > 0
                            ? step + u' ' + locale.formattedDataSize(done) + u" / "_s + locale.formattedDataSize(total)
                            : step);
    m_bar->setRange(0, int(std::min<qint64>(total / 1024, INT_MAX)));
    m_bar->setValue(int(std::min<qint64>(done / 1024, INT_MAX)));
}

void ProgressPanel::setCancelling(const QString &text)
{
    m_cancelling = true;
    m_step->setText(text);
    m_cancel->setEnabled(false);
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
