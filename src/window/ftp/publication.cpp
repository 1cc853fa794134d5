// A publication off the window's thread.
#include "window/ftp/publication.h"

#include "core/text/printable.h"
#include "net/curlinternet.h"

#include <QElapsedTimer>
#include <QTimer>

namespace Feedsmith {

using namespace Qt::StringLiterals;

// What the publisher says, kept for the end; a question is answered from the answers given
// before, or stops the upload.
class Publication::Messages : public FtpMessages
{
public:
    explicit Messages(Publication &publication)
        : m_publication(publication)
    { }

    void show(Icon icon, const QString &text) override { add({icon, text, {}}); }
    void showFailure(const QString &text, const QString &details) override { add({Icon::Critical, text, details}); }
    std::optional<bool> answer(const FtpQuestion &question) override
    {
        for (const auto &[asked, yes] : std::as_const(m_publication.m_answers)) {
            if (asked == question)
                return yes;
        }
        return std::nullopt;
    }

private:
    void add(Message message)
    {
        const std::lock_guard lock(m_publication.m_mutex);
        m_publication.m_messages.append(std::move(message));
    }

    Publication &m_publication;
};

// The Internet library of the publication, naming each step as it begins.
class Publication::Steps : public Internet
{
public:
    Steps(Internet &internet, const FtpTexts &texts, std::function<void(const QString &)> step)
        : m_internet(internet)
        , m_texts(texts.table)
        , m_step(std::move(step))
    { }

    InternetHandle openSession(const QString &agent, const QString &proxy) override
    {
        return m_internet.openSession(agent, proxy);
    }
    InternetHandle connectFtp(InternetHandle session, const QString &server, const QString &userName,
                              const QString &password) override
    {
        m_step(m_texts.valueOr(u"publishconnecting"_s, u"Connecting to %1…"_s).arg(printable(server)));
        return m_internet.connectFtp(session, server, userName, password);
    }
    RemoteListing listDirectory(InternetHandle connection) override
    {
        m_step(m_texts.valueOr(u"publishlisting"_s, u"Reading the remote folder…"_s));
        return m_internet.listDirectory(connection);
    }
    bool setCurrentDirectory(InternetHandle connection, const QString &path) override
    {
        m_step(m_texts.valueOr(u"publishfolder"_s, u"Opening the folder %1…"_s).arg(printable(path)));
        return m_internet.setCurrentDirectory(connection, path);
    }
    bool makeDirectories(InternetHandle connection, const QString &path) override
    {
        m_step(m_texts.valueOr(u"publishmakingfolder"_s, u"Making the folder %1…"_s).arg(printable(path)));
        return m_internet.makeDirectories(connection, path);
    }
    bool putFileInFolder(InternetHandle connection, const QString &localPath, const QString &folder,
                         const QString &remoteName) override
    {
        m_step(m_texts.valueOr(u"publishuploading"_s, u"Uploading %1…"_s).arg(printable(folder + u'/' + remoteName)));
        return m_internet.putFileInFolder(connection, localPath, folder, remoteName);
    }
    bool putFileReplacing(InternetHandle connection, const QString &localPath, const QString &folder,
                          const QString &temporaryName, const QString &remoteName) override
    {
        m_step(m_texts.valueOr(u"publishuploading"_s, u"Uploading %1…"_s)
                       .arg(printable(folder.isEmpty() ? remoteName : folder + u'/' + remoteName)));
        return m_internet.putFileReplacing(connection, localPath, folder, temporaryName, remoteName);
    }
    bool removeFile(InternetHandle connection, const QString &folder, const QString &remoteName) override
    {
        return m_internet.removeFile(connection, folder, remoteName);
    }
    bool putFile(InternetHandle connection, const QString &localPath, const QString &remoteName) override
    {
        m_step(m_texts.valueOr(u"publishuploading"_s, u"Uploading %1…"_s).arg(printable(remoteName)));
        return m_internet.putFile(connection, localPath, remoteName);
    }
    void closeHandle(InternetHandle handle) override { m_internet.closeHandle(handle); }
    QString serverFingerprint() const override { return m_internet.serverFingerprint(); }
    bool trustServer(const QString &server, const QString &fingerprint) override
    {
        return m_internet.trustServer(server, fingerprint);
    }
    quint32 lastError() const override { return m_internet.lastError(); }
    ServerResponse lastResponse() const override { return m_internet.lastResponse(); }
    QString lastErrorDetail() const override { return m_internet.lastErrorDetail(); }
    void setTransferWatch(TransferWatch watch) override { m_internet.setTransferWatch(std::move(watch)); }

private:
    Internet &m_internet;
    KeyedTexts m_texts;
    std::function<void(const QString &)> m_step;
};

Publication::Publication(std::shared_ptr<PublishSequence> sequence, FtpSettings settings, InternetMaker makeInternet,
                         QObject *parent)
    : QObject(parent)
    , m_sequence(std::move(sequence))
    , m_settings(std::move(settings))
    , m_makeInternet(std::move(makeInternet))
{ }

Publication::~Publication()
{
    cancel();
    abortCalls();
    if (m_thread.joinable())
        m_thread.join();
}

void Publication::start()
{
    if (m_running)
        return;
    m_running = true;
    m_cancelled = false;
    m_question.reset();
    {
        const std::lock_guard lock(m_mutex);
        m_messages.clear();
    }
    m_thread = std::thread([this] { run(); });
}

void Publication::cancel()
{
    // A transfer stops at the transfer watch's next word, and the publisher can still take its
    // temporary file away over the connection; a server that keeps a call waiting is left a
    // moment later all the same.
    m_cancelled = true;
    QTimer::singleShot(AbortDelayMs, this, &Publication::abortCalls);
}

void Publication::abortCalls()
{
    const std::lock_guard lock(m_mutex);
    if (m_internet)
        m_internet->abort();
}

QList<Publication::Message> Publication::messages() const
{
    const std::lock_guard lock(m_mutex);
    return m_messages;
}

QString Publication::publishedFiles() const
{
    const std::lock_guard lock(m_mutex);
    return m_publishedFiles;
}

std::optional<FtpQuestion> Publication::question() const
{
    const std::lock_guard lock(m_mutex);
    return m_question;
}

void Publication::answer(const FtpQuestion &question, bool yes)
{
    if (!m_running)
        m_answers.append({question, yes});
}

void Publication::run()
{
    std::unique_ptr<Internet> internet = m_makeInternet ? m_makeInternet() : std::make_unique<CurlInternet>();
    {
        const std::lock_guard lock(m_mutex);
        m_internet = internet.get();
        if (m_cancelled)
            internet->abort();
    }
    QString step;
    QElapsedTimer sinceReport;
    sinceReport.start();
    Steps steps(*internet, m_sequence->texts(), [this, &step](const QString &text) {
        step = text;
        emit progressed(step, 0, 0);
    });
    // The bytes of the step, at most ten times a second; the answer stops the call on Cancel.
    internet->setTransferWatch([this, &step, &sinceReport](qint64 done, qint64 total) {
        if (sinceReport.elapsed() >= 100) {
            sinceReport.restart();
            emit progressed(step, done, total);
        }
        return !m_cancelled.load();
    });
    Messages messages(*this);
    const bool uploaded = m_sequence->upload(m_settings, steps, messages) == FtpPublisher::Outcome::Uploaded;
    internet->setTransferWatch({});
    {
        const std::lock_guard lock(m_mutex);
        m_internet = nullptr;
        m_publishedFiles = m_sequence->publishedFiles();
        m_question = m_sequence->question();
    }
    QMetaObject::invokeMethod(
            this,
            [this, uploaded] {
                if (m_thread.joinable())
                    m_thread.join();
                m_running = false;
                emit finished(uploaded);
            },
            Qt::QueuedConnection);
}

} // namespace Feedsmith
