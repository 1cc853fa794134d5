// Writing files off the GUI thread.
#include "window/shell/backgroundwriter.h"

#include <QMetaObject>

namespace Feedsmith {

BackgroundWriter::BackgroundWriter(QObject *parent)
    : QObject(parent)
{ }

BackgroundWriter::~BackgroundWriter()
{
    // Every write asked for still reaches its file; whoever waited for the news is gone.
    for (const std::shared_ptr<Job> &job : m_queue)
        job->done = nullptr;
    finish();
}

void BackgroundWriter::start(Write write, Done done)
{
    auto job = std::make_shared<Job>();
    job->write = std::move(write);
    job->done = std::move(done);
    m_queue.push_back(std::move(job));
    if (m_queue.size() == 1) {
        emit busyChanged(true);
        runFront();
    }
}

void BackgroundWriter::runFront()
{
    const std::shared_ptr<Job> job = m_queue.front();
    // The object outlives the thread: finish() joins it at the latest in the destructor.
    m_thread = std::thread([this, job] {
        job->written = job->write(&job->error);
        // What the write held (a snapshot of the document) is let go here, not on the GUI thread.
        job->write = nullptr;
        // The GUI thread hears of it through its event loop; finish() may have taken it first.
        QMetaObject::invokeMethod(
                this,
                [this, job] {
                    if (!m_queue.empty() && m_queue.front() == job)
                        frontEnded();
                },
                Qt::QueuedConnection);
    });
}

void BackgroundWriter::frontEnded()
{
    if (m_thread.joinable())
        m_thread.join();
    const std::shared_ptr<Job> job = m_queue.front();
    m_queue.pop_front();
    if (!m_queue.empty())
        runFront();
    if (job->done)
        job->done(job->written, job->error);
    if (m_queue.empty())
        emit busyChanged(false);
}

void BackgroundWriter::finish()
{
    while (!m_queue.empty()) {
        if (m_thread.joinable())
            m_thread.join();
        frontEnded();
    }
}

} // namespace Feedsmith
