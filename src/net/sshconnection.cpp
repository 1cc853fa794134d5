// SFTP on libssh: the SSH connection to an SFTP server and the SFTP calls publishing makes.
#include "net/sshconnection.h"

#include "core/text/printable.h"

#include <QFile>
#include <QtEndian>

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <algorithm>
#include <condition_variable>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// The text kept of what the server or libssh says; a longer text is cut.
constexpr qsizetype MaxTextChars = qsizetype(16) * 1024;
// A closing connection says goodbye to the server, but does not wait long for its answer.
constexpr auto QuitTime = std::chrono::seconds(5);
// SFTP status codes of protocol versions after 3, which some servers send all the same.
constexpr int StatusNoSpace = 14;
constexpr int StatusQuotaExceeded = 15;

void initialiseLibssh()
{
    static std::once_flag once;
    std::call_once(once, [] { ssh_init(); });
}

QByteArray remotePath(const QString &path)
{
    return path.isEmpty() ? QByteArray(".") : path.toUtf8();
}

QString joinPath(const QString &directory, const QString &name)
{
    if (name.startsWith(u'/') || directory.isEmpty())
        return name;
    return directory.endsWith(u'/') ? directory + name : directory + u'/' + name;
}

quint32 refusalCode(int status)
{
    return status == StatusNoSpace || status == StatusQuotaExceeded ? 552 : 550;
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

// A string of the SSH wire format: its length, then its bytes.
QByteArray sshString(const QByteArray &text)
{
    return bigEndian(quint32(text.size())) + text;
}

} // namespace

// Ends the libssh call under way by shutting the socket down when the server has been silent for
// too long or the call has taken too long in all: libssh waits for an SFTP reply without end.
// The socket is the caller's, which stays open until this is gone, so a shutdown never reaches
// another file.
class SshConnection::Guard
{
public:
    enum class Expiry { None, Silence, Deadline };

    explicit Guard(int socket)
        : m_socket(socket)
        , m_thread([this] { run(); })
    { }
    ~Guard()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    Guard(const Guard &) = delete;
    Guard &operator=(const Guard &) = delete;

    void arm(Clock::duration silence, Clock::time_point deadline)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_silence = silence;
            m_quietUntil = Clock::now() + silence;
            m_deadline = deadline;
            m_armed = true;
        }
        m_wake.notify_one();
    }
    // The server was heard from: the silence counts from now.
    void heard()
    {
        const std::lock_guard lock(m_mutex);
        m_quietUntil = Clock::now() + m_silence;
    }
    void disarm()
    {
        const std::lock_guard lock(m_mutex);
        m_armed = false;
    }
    // Once the socket is shut down, the connection is over.
    Expiry expiry()
    {
        const std::lock_guard lock(m_mutex);
        return m_expiry;
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        while (!m_quit) {
            if (!m_armed || m_expiry != Expiry::None) {
                m_wake.wait(lock);
                continue;
            }
            const Clock::time_point until = std::min(m_quietUntil, m_deadline);
            if (Clock::now() < until) {
                m_wake.wait_until(lock, until);
                continue;
            }
            m_expiry = Clock::now() >= m_deadline ? Expiry::Deadline : Expiry::Silence;
            ::shutdown(m_socket, SHUT_RDWR);
        }
    }

    const int m_socket;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_quit = false;
    bool m_armed = false;
    Clock::duration m_silence{};
    Clock::time_point m_quietUntil;
    Clock::time_point m_deadline;
    Expiry m_expiry = Expiry::None;
    std::thread m_thread; // last: it starts with everything above in place
};

// One call to the server: the guard watches it from start to end. A call on a connection that
// was aborted or given up does not start.
class SshConnection::Call
{
public:
    // An SFTP call.
    explicit Call(SshConnection &c)
        : Call(c, std::chrono::seconds(c.m_limits.responseSeconds),
               Clock::now() + std::chrono::seconds(c.m_limits.deadlineSeconds), true)
    { }
    Call(SshConnection &c, Clock::duration silence, Clock::time_point deadline, bool sftp = false)
        : m_c(c)
    {
        c.m_error = InternetError::None;
        c.m_response = {};
        c.m_detail.clear();
        if (c.m_aborted)
            c.fail(InternetError::OperationCancelled);
        else if (c.m_guard->expiry() != Guard::Expiry::None || !c.m_session || (sftp && !c.m_sftp))
            c.fail(InternetError::ConnectionAborted);
        else
            c.m_guard->arm(silence, deadline);
    }
    ~Call() { m_c.m_guard->disarm(); }
    Call(const Call &) = delete;
    Call &operator=(const Call &) = delete;

    bool ready() const { return m_c.m_error == InternetError::None; }

private:
    SshConnection &m_c;
};

SshConnection::SshConnection(int socket, Limits limits, const std::atomic<bool> &aborted)
    : m_aborted(aborted)
    , m_limits(limits)
    , m_socket(socket)
    , m_guard(std::make_unique<Guard>(socket))
{
    initialiseLibssh();
    m_session = ssh_new();
}

SshConnection::~SshConnection()
{
    if (!m_session)
        return;
    m_guard->arm(QuitTime, Clock::now() + QuitTime);
    if (m_sftp)
        sftp_free(m_sftp);
    ssh_disconnect(m_session);
    ssh_free(m_session);
    m_guard->disarm();
}

QByteArray SshConnection::hostKeyAlgorithms(const QList<KnownHosts::Key> &knownKeys)
{
    // OpenSSH's order, each key type with the signatures asked for.
    static const std::pair<QByteArray, QByteArray> types[] = {
            {"ssh-ed25519", "ssh-ed25519"},
            {"ecdsa-sha2-nistp256", "ecdsa-sha2-nistp256"},
            {"ecdsa-sha2-nistp384", "ecdsa-sha2-nistp384"},
            {"ecdsa-sha2-nistp521", "ecdsa-sha2-nistp521"},
            {"ssh-rsa", "rsa-sha2-512,rsa-sha2-256"},
    };
    // A server with keys of several types shows the one asked for first, and one of another type
    // than known_hosts has would pass for a changed key.
    QByteArray known;
    for (const auto &type : types) {
        const auto same = [&type](const KnownHosts::Key &k) { return !k.revoked && k.type == type.first; };
        if (std::any_of(knownKeys.begin(), knownKeys.end(), same)) {
            known = type.second;
            break;
        }
    }
    QByteArrayList list;
    if (!known.isEmpty())
        list.append(known);
    for (const auto &[type, algorithms] : types) {
        if (algorithms != known)
            list.append(algorithms);
    }
    return list.join(',');
}

bool SshConnection::fail(quint32 code, ServerResponse response)
{
    m_error = code;
    response.text = printable(response.text).left(MaxTextChars);
    m_response = std::move(response);
    m_detail = m_response.text;
    return false;
}

bool SshConnection::failed(const QString &what)
{
    if (m_aborted)
        return fail(InternetError::OperationCancelled);
    switch (m_guard->expiry()) {
    case Guard::Expiry::Deadline: return fail(InternetError::DeadlinePassed);
    case Guard::Expiry::Silence: return fail(InternetError::Timeout);
    case Guard::Expiry::None: break;
    }
    const QString said = QString::fromUtf8(ssh_get_error(m_session));
    // The server refused the request; the connection itself goes on.
    if (ssh_get_error_code(m_session) == SSH_REQUEST_DENIED && ssh_is_connected(m_session) != 0)
        fail(InternetError::ExtendedError,
             {refusalCode(m_sftp ? sftp_get_error(m_sftp) : SSH_FX_FAILURE),
              what.isEmpty() ? said : what + u": "_s + said});
    else
        fail(InternetError::ConnectionAborted, {0, said});
    if (!said.isEmpty())
        m_detail = u"libssh: "_s + printable(said).left(MaxTextChars);
    return false;
}

bool SshConnection::open(const QString &host, int port, const QList<KnownHosts::Key> &knownKeys,
                         const QString &userName, const QString &password, Clock::time_point deadline)
{
    // Silence counts from the start here: greeting, key exchange and login have connectSeconds.
    Call call(*this, std::chrono::seconds(m_limits.connectSeconds), deadline);
    if (!call.ready())
        return false;
    // Nothing of the user's SSH set-up takes part: no configuration file, no known_hosts of
    // libssh's reading (the program reads it itself), no keys, no agent; a password login only.
    const QByteArray hostName = host.toUtf8();
    const QByteArray user = userName.toUtf8();
    const QByteArray algorithms = hostKeyAlgorithms(knownKeys);
    const unsigned int portNumber = unsigned(port);
    const bool no = false;
    const int off = 0;
    const int on = 1;
    // libssh's own limit lies beyond the guard's, which ends every wait first.
    const long seconds = long(m_limits.deadlineSeconds) + 60;
    if (ssh_options_set(m_session, SSH_OPTIONS_PROCESS_CONFIG, &no) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_HOST, hostName.constData()) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_PORT, &portNumber) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_USER, user.constData()) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_KNOWNHOSTS, "/dev/null") != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, "/dev/null") != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_HOSTKEYS, algorithms.constData()) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_PUBKEY_AUTH, &off) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_GSSAPI_AUTH, &off) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_NODELAY, &on) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_TIMEOUT, &seconds) != SSH_OK)
        return fail(InternetError::InternalError, {0, QString::fromUtf8(ssh_get_error(m_session))});
    // libssh closes the socket it is given when it is done: it gets a copy of the caller's.
    socket_t copy = ::fcntl(m_socket, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return fail(InternetError::InternalError);
    if (ssh_options_set(m_session, SSH_OPTIONS_FD, &copy) != SSH_OK) {
        ::close(copy);
        return fail(InternetError::InternalError);
    }

    if (ssh_connect(m_session) != SSH_OK) {
        // Unless it was stopped: no key exchange the two sides agree on, or no SSH server at all.
        failed({});
        const bool stopped = m_error == InternetError::OperationCancelled || m_error == InternetError::Timeout
                || m_error == InternetError::DeadlinePassed;
        return stopped ? false : fail(InternetError::SecureChannelError, m_response);
    }
    // The key as the server sent it; libssh 0.10 gives it out in base64 only.
    ssh_key key = nullptr;
    char *base64 = nullptr;
    if (ssh_get_server_publickey(m_session, &key) == SSH_OK && ssh_pki_export_pubkey_base64(key, &base64) == SSH_OK)
        m_hostKey = QByteArray::fromBase64(QByteArray(base64));
    ssh_string_free_char(base64);
    ssh_key_free(key);
    if (m_hostKey.isEmpty())
        return fail(InternetError::SecureChannelError, {0, QString::fromUtf8(ssh_get_error(m_session))});
    switch (KnownHosts::check(knownKeys, KnownHosts::keyType(m_hostKey), m_hostKey)) {
    case KnownHosts::Verdict::Trusted: break;
    case KnownHosts::Verdict::Changed: m_trust = Trust::Changed; return fail(InternetError::ServerKeyChanged);
    case KnownHosts::Verdict::Unknown: m_trust = Trust::Unknown; return fail(InternetError::ServerNotTrusted);
    }
    m_trust = Trust::Trusted;

    if (!login(password.toUtf8()))
        return false;
    m_sftp = sftp_new(m_session);
    if (!m_sftp)
        return failed({});
    if (sftp_init(m_sftp) != SSH_OK) {
        failed({});
        sftp_free(m_sftp);
        m_sftp = nullptr;
        return false;
    }
    return true;
}

bool SshConnection::login(const QByteArray &password)
{
    int result = ssh_userauth_none(m_session, nullptr);
    if (result == SSH_AUTH_SUCCESS)
        return true;
    const int methods = ssh_userauth_list(m_session, nullptr);
    if (result != SSH_AUTH_ERROR && (methods & SSH_AUTH_METHOD_PASSWORD))
        result = ssh_userauth_password(m_session, nullptr, password.constData());
    // Keyboard-interactive, as servers that leave passwords to PAM offer it: a single question
    // is answered with the password, and any other question refuses the login.
    if (result != SSH_AUTH_ERROR && result != SSH_AUTH_SUCCESS && (methods & SSH_AUTH_METHOD_INTERACTIVE)) {
        result = ssh_userauth_kbdint(m_session, nullptr, nullptr);
        for (int round = 0; result == SSH_AUTH_INFO; ++round) {
            const int questions = ssh_userauth_kbdint_getnprompts(m_session);
            if (round == 8 || questions > 1
                || (questions == 1 && ssh_userauth_kbdint_setanswer(m_session, 0, password.constData()) < 0)) {
                result = SSH_AUTH_DENIED;
                break;
            }
            result = ssh_userauth_kbdint(m_session, nullptr, nullptr);
        }
    }
    if (result == SSH_AUTH_SUCCESS)
        return true;
    if (result == SSH_AUTH_ERROR)
        return failed({});
    return fail(InternetError::IncorrectPassword);
}

RemoteListing SshConnection::list(const QString &directory, qsizetype maxBytes)
{
    RemoteListing listing;
    Call call(*this);
    if (!call.ready()) {
        listing.error = m_error;
        return listing;
    }
    sftp_dir dir = sftp_opendir(m_sftp, remotePath(directory).constData());
    if (!dir) {
        failed(directory);
        listing.error = m_error;
        return listing;
    }
    // Counted as the lines of "ls -l" that the server sends beside the names.
    qsizetype bytes = 0;
    while (sftp_attributes entry = sftp_readdir(m_sftp, dir)) {
        m_guard->heard();
        const char *name = entry->name ? entry->name : "";
        bytes += qsizetype(qstrlen(entry->longname ? entry->longname : name)) + 1;
        RemoteEntry remote{
                QString::fromUtf8(name),
                entry->type == SSH_FILEXFER_TYPE_DIRECTORY ? RemoteAttribute::Directory : RemoteAttribute::Normal,
                (entry->flags & SSH_FILEXFER_ATTR_SIZE) && entry->size <= quint64(std::numeric_limits<qint64>::max())
                        ? qint64(entry->size)
                        : -1};
        sftp_attributes_free(entry);
        if (bytes > maxBytes) {
            fail(InternetError::ListingTooLarge);
            break;
        }
        if (!remote.name.isEmpty() && remote.name != "."_L1 && remote.name != ".."_L1)
            listing.entries.append(remote);
    }
    if (m_error == InternetError::None && !sftp_dir_eof(dir))
        failed(directory);
    sftp_closedir(dir);
    if (m_error == InternetError::None && listing.entries.isEmpty())
        fail(InternetError::NoMoreFiles);
    listing.error = m_error;
    return listing;
}

bool SshConnection::isFolder(const QString &path)
{
    Call call(*this);
    if (!call.ready())
        return false;
    sftp_attributes attributes = sftp_stat(m_sftp, remotePath(path).constData());
    if (!attributes)
        return failed(path);
    const bool folder = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
    sftp_attributes_free(attributes);
    return folder || fail(InternetError::ExtendedError, {550, path + u": not a folder"_s});
}

bool SshConnection::makeDirectories(const QString &path)
{
    ServerResponse refused;
    {
        Call call(*this);
        if (!call.ready())
            return false;
        // One level after the other; a level that is there already is no failure.
        QString made = path.startsWith(u'/') ? u"/"_s : QString();
        for (const QString &part : path.split(u'/', Qt::SkipEmptyParts)) {
            made = joinPath(made, part);
            if (sftp_mkdir(m_sftp, made.toUtf8().constData(), 0755) == SSH_OK)
                continue;
            failed(made);
            if (m_error != InternetError::ExtendedError)
                return false;
            refused = m_response;
        }
    }
    // Whether the whole path is there now tells; the refusal to make a level says why not.
    if (isFolder(path))
        return true;
    if (m_error == InternetError::ExtendedError && refused.code != 0)
        m_response = refused;
    return false;
}

bool SshConnection::upload(QFile &file, const QString &directory, const QString &folder, const QString &name,
                           const QString &renameTo, const Internet::TransferWatch &watch)
{
    Call call(*this);
    if (!call.ready())
        return false;
    const QString where = folder.isEmpty() ? directory : joinPath(directory, folder);
    const QString path = joinPath(where, name);
    const qint64 total = file.size();
    if (watch && !watch(0, total))
        return fail(InternetError::OperationCancelled);
    const auto open = [&] { return sftp_open(m_sftp, path.toUtf8().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644); };
    sftp_file remote = open();
    if (!remote && !folder.isEmpty()) {
        // A refusal may mean that the folder is missing: it is made, and the file opened again.
        failed(path);
        if (m_error != InternetError::ExtendedError)
            return false;
        sftp_mkdir(m_sftp, remotePath(where).constData(), 0755);
        remote = open();
    }
    if (!remote)
        return failed(path);
    m_error = InternetError::None;
    m_response = {};

    QByteArray piece(ChunkBytes, Qt::Uninitialized);
    qint64 done = 0;
    while (m_error == InternetError::None) {
        const qint64 read = file.read(piece.data(), piece.size());
        if (read == 0)
            break;
        if (read < 0) {
            fail(InternetError::AccessDenied);
        } else if (sftp_write(remote, piece.constData(), size_t(read)) != read) {
            failed(path);
        } else {
            m_guard->heard();
            done += read;
            if (watch && !watch(done, total))
                fail(InternetError::OperationCancelled);
        }
    }
    // The server's answer to the close says whether it kept everything.
    if (sftp_close(remote) != SSH_NO_ERROR && m_error == InternetError::None)
        failed(path);
    if (m_error != InternetError::None)
        return false;
    if (renameTo.isEmpty() || rename(path.toUtf8(), joinPath(where, renameTo).toUtf8()))
        return true;
    // The file is complete under its temporary name; only the step into place was refused.
    if (m_error == InternetError::ExtendedError)
        m_error = InternetError::RenameRefused;
    return false;
}

bool SshConnection::remove(const QString &path)
{
    // A clean-up after a failure: it does not wait long for a server that has gone quiet.
    Call call(*this, QuitTime, Clock::now() + QuitTime, true);
    if (!call.ready())
        return false;
    return sftp_unlink(m_sftp, path.toUtf8().constData()) == SSH_OK || failed(path);
}

bool SshConnection::rename(const QByteArray &from, const QByteArray &to)
{
    const QString target = QString::fromUtf8(to);
    // OpenSSH's extension replaces the old file in one step. A plain SFTP rename refuses to
    // replace a file (OpenSSH's server does), so without it the old file goes first.
    if (sftp_extension_supported(m_sftp, "posix-rename@openssh.com", "1")) {
        quint32 status = SSH_FX_OK;
        QString message;
        if (!extendedRequest("posix-rename@openssh.com", sshString(from) + sshString(to), &status, &message))
            return false;
        return status == SSH_FX_OK
                || fail(InternetError::ExtendedError, {refusalCode(int(status)), target + u": "_s + message});
    }
    if (sftp_unlink(m_sftp, to.constData()) != SSH_OK) {
        // A missing old file is no failure; a lost connection is.
        failed(target);
        if (m_error != InternetError::ExtendedError)
            return false;
        m_error = InternetError::None;
        m_response = {};
    }
    return sftp_rename(m_sftp, from.constData(), to.constData()) == SSH_OK || failed(target);
}

bool SshConnection::extendedRequest(const QByteArray &name, const QByteArray &arguments, quint32 *status,
                                    QString *message)
{
    // libssh numbers its requests from id_counter: this one takes the next number as its own.
    const quint32 id = ++m_sftp->id_counter;
    const QByteArray body = char(SSH_FXP_EXTENDED) + bigEndian(id) + sshString(name) + arguments;
    const QByteArray packet = bigEndian(quint32(body.size())) + body;
    if (ssh_channel_write(m_sftp->channel, packet.constData(), uint32_t(packet.size())) != int(packet.size()))
        return failed({});
    char header[4];
    if (!readChannel(header, sizeof header))
        return false;
    const quint32 length = qFromBigEndian<quint32>(header);
    // A status is all this request is answered with: its type, id, code, message and language.
    if (length < 9 || length > 64 * 1024)
        return fail(InternetError::ConnectionAborted, {0, u"The SFTP server's reply has no valid length."_s});
    QByteArray reply(qsizetype(length), Qt::Uninitialized);
    if (!readChannel(reply.data(), reply.size()))
        return false;
    if (uchar(reply[0]) != SSH_FXP_STATUS || qFromBigEndian<quint32>(reply.constData() + 1) != id)
        return fail(InternetError::ConnectionAborted, {0, u"The SFTP server answered another request."_s});
    *status = qFromBigEndian<quint32>(reply.constData() + 5);
    if (reply.size() >= 13) {
        const quint32 size = qFromBigEndian<quint32>(reply.constData() + 9);
        if (size <= quint32(reply.size() - 13))
            *message = QString::fromUtf8(reply.constData() + 13, qsizetype(size));
    }
    return true;
}

bool SshConnection::readChannel(char *data, qsizetype size)
{
    for (qsizetype done = 0; done < size;) {
        const int read = ssh_channel_read(m_sftp->channel, data + done, uint32_t(size - done), 0);
        if (read < 0 || (read == 0 && (ssh_channel_is_eof(m_sftp->channel) || !ssh_is_connected(m_session)))) {
            // Whatever libssh says, the reply did not come whole: the connection is over.
            failed({});
            return m_error == InternetError::ExtendedError ? fail(InternetError::ConnectionAborted) : false;
        }
        done += read;
        m_guard->heard();
    }
    return true;
}

} // namespace Feedsmith
