// Work off the window's thread, beside a progress dialog with a Cancel button.
#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace Feedsmith {

// A progress dialog beside the window, for work that runs meanwhile. Its label shows text from
// outside (an address, a server, a file name) as typed, never as markup. Closing it (its close
// button, Alt+F4, Esc) cancels the work as its Cancel button does; it stays until the work has
// ended, and whoever ends the work hides and deletes it (endProgressDialog).
QProgressDialog *newProgressDialog(QWidget *window, const QString &name, const QString &title,
                                   const QString &cancelText);
void endProgressDialog(const QPointer<QProgressDialog> &progress);

// Progress beside the window's other work, in the status bar: what is under way, how many of how
// many bytes, and Cancel. The window stays usable meanwhile.
class ProgressPanel : public QWidget
{
    Q_OBJECT

public:
    // `name` names the bar for a screen reader.
    ProgressPanel(const QString &cancelText, const QString &name, QWidget *parent = nullptr);

    // The step (plain text) and its bytes; 0 of 0 while unknown.
    void begin(const QString &step);
    void setProgress(const QString &step, qint64 done, qint64 total);
    void setCancelling(const QString &text);
    QPushButton *cancelButton() const { return m_cancel; }

signals:
    void canceled();

private:
    QLabel *m_step;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    bool m_cancelling = false;
};

// One piece of work on a thread of its own: the window stays responsive, and a window-modal
// progress dialog (shown only when the work takes longer than a moment) tells how far it has come
// and cancels it. What the work reports arrives on the GUI thread.
class ProgressTask : public QObject
{
    Q_OBJECT

public:
    // Tells how many of how many bytes are done (0 of 0 while unknown); false once cancelled.
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    using Work = std::function<void(const Progress &progress)>;

    ProgressTask(QWidget *window, const QString &name, const QString &title, const QString &label,
                 const QString &cancelText, QObject *parent = nullptr);
    // Cancels work still running and waits for it.
    ~ProgressTask() override;

    // Runs work; `done` follows on the GUI thread, told whether the user cancelled, and the task
    // deletes itself after it.
    void start(Work work, std::function<void(bool cancelled)> done);
    QProgressDialog *dialog() const { return m_dialog; }

private:
    QPointer<QProgressDialog> m_dialog;
    std::thread m_thread;
    std::atomic<bool> m_cancelled = false;
};

} // namespace Feedsmith
