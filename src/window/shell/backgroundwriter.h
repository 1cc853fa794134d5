// Writing files off the GUI thread.
#pragma once

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <thread>

namespace Feedsmith {

// Runs the window's file writes (save, generate) one after another on a thread of their own, so
// that the window stays responsive however large the project. A write works on a snapshot made
// when it was asked for; what it reports arrives back on the GUI thread, in the order asked.
class BackgroundWriter : public QObject
{
    Q_OBJECT

public:
    // Runs on the writing thread: true when written, else false and the reason in `error`.
    using Write = std::function<bool(QString *error)>;
    // Runs on the GUI thread once the write has ended.
    using Done = std::function<void(bool written, const QString &error)>;

    explicit BackgroundWriter(QObject *parent = nullptr);
    // Waits for the writes asked for, without running their Done.
    ~BackgroundWriter() override;

    // Queues a write behind those already asked for.
    void start(Write write, Done done);
    bool isBusy() const { return !m_queue.empty(); }
    // Blocks until every queued write has ended and its Done has run (for closing the window,
    // and for commands that need the result before they go on).
    void finish();

signals:
    void busyChanged(bool busy);

private:
    struct Job
    {
        Write write;
        Done done;
        bool written = false;
        QString error;
    };
    void runFront();
    void frontEnded(); // on the GUI thread

    std::deque<std::shared_ptr<Job>> m_queue; // the front one is running
    std::thread m_thread;
};

} // namespace Feedsmith
