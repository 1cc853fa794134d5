// A publication off the window's thread: the feed built beforehand is uploaded by a publisher
// and a connection of its own, while the window stays responsive and shows the progress.
#pragma once

#include "net/ftppublisher.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QWidget;

namespace Feedsmith {

class MessageBoxes;

class Publication : public QObject
{
    Q_OBJECT

public:
    // Makes the Internet library of a publication, on its worker thread.
    using InternetMaker = std::function<std::unique_ptr<Internet>()>;

    // Questions (whether to trust a server) are asked in the window through `messageBoxes`;
    // the other messages wait for the end and are shown by messagesAtEnd's caller.
    // `beside`: the pictures and enclosure files uploaded with the feed.
    Publication(FtpSettings settings, QString feedFile, QList<PublishedFile> beside, FtpTexts texts,
                MessageBoxes &messageBoxes, QWidget *window, InternetMaker makeInternet = {},
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

    FtpSettings m_settings;
    QString m_feedFile;
    QList<PublishedFile> m_beside;
    FtpTexts m_texts;
    MessageBoxes &m_messageBoxes;
    QWidget *m_window;
    InternetMaker m_makeInternet;
    std::atomic<bool> m_cancelled = false;
    Internet *m_internet = nullptr; // the worker's library while it runs, under m_mutex
    bool m_running = false;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QList<Message> m_messages;
    QString m_publishedFiles;
};

} // namespace Feedsmith
