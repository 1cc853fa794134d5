// A publication off the window's thread: the feed built beforehand is uploaded by a publisher
// and a connection of its own, while the window stays responsive and shows the progress.
#pragma once

#include "net/ftppublisher.h"
#include "net/publishsequence.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace Feedsmith {

class Publication : public QObject
{
    Q_OBJECT

public:
    // Makes the Internet library of a publication, on its worker thread.
    using InternetMaker = std::function<std::unique_ptr<Internet>()>;

    // The upload step of `sequence` (built already) with `settings`. Its messages wait for the
    // end and are shown by the finished() signal's receiver. A question stops the upload
    // without a word (question()); the window asks it, gives the answer and starts again.
    Publication(std::shared_ptr<PublishSequence> sequence, FtpSettings settings, InternetMaker makeInternet = {},
                QObject *parent = nullptr);
    // Cancels a publication still running and waits for its thread.
    ~Publication() override;

    void start();
    // Asks the running publication to stop; it ends within a second, leaving the server's
    // feed as it was unless the upload had already been completed.
    void cancel();
    // How long a cancelled call may take to end by itself (and its publication to take its
    // temporary file away) before it is cut off.
    static constexpr int AbortDelayMs = 400;
    bool isRunning() const { return m_running; }

    struct Message
    {
        FtpMessages::Icon icon;
        QString text;
        QString details; // set for a failure told in plain words
    };
    // What the publisher said, in order; complete once finished() has been emitted.
    QList<Message> messages() const;
    // Once finished() said the feed was stored: the new lastpublishedfiles of the project.
    QString publishedFiles() const;
    // Once finished(): the question the upload stopped at, if it did. Nothing was sent then.
    std::optional<FtpQuestion> question() const;
    // The answer to a question, for the next start.
    void answer(const FtpQuestion &question, bool yes);

signals:
    // The step under way ("Uploading news.xml…") and the bytes moved of it.
    void progressed(const QString &step, qint64 done, qint64 total);
    void finished(bool uploaded);

private:
    void run();
    // Ends the call under way, and every later one, at once.
    void abortCalls();

    class Messages;
    class Steps;

    std::shared_ptr<PublishSequence> m_sequence;
    FtpSettings m_settings;
    InternetMaker m_makeInternet;
    QList<std::pair<FtpQuestion, bool>> m_answers; // changed only while no upload runs
    std::atomic<bool> m_cancelled = false;
    Internet *m_internet = nullptr; // the worker's library while it runs, under m_mutex
    bool m_running = false;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QList<Message> m_messages;
    QString m_publishedFiles;
    std::optional<FtpQuestion> m_question;
};

} // namespace Feedsmith
