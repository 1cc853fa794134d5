// feedsmith-cli publish.
#include "cli/publish.h"

#include "core/text/printable.h"
#include "net/internet.h"

#include <QFile>

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 MaxPasswordLine = 4096;

// The publisher's messages, one line each on standard error.
class StderrMessages : public FtpMessages
{
public:
    StderrMessages(QTextStream &out, QTextStream &err, const QString &trusted)
        : m_out(out)
        , m_err(err)
        , m_trusted(trusted)
    { }

    // Every file that leaves the computer is named, one line each.
    void uploaded(const QString &remoteName, const QString &localPath) override
    {
        m_out << "uploaded " << printable(remoteName) << " from " << escapedPath(localPath) << Qt::endl;
    }

    void show(Icon icon, const QString &text) override
    {
        // One line per message: the publisher's own line break becomes a blank, and anything
        // else that could break the line or act on a terminal is shown as "?".
        const char *prefix = icon == Icon::Critical ? "error: " : "";
        m_err << "feedsmith-cli: " << prefix << printable(QString(text).replace(u"\r\n"_s, u" "_s)) << Qt::endl;
    }

    // The sentence on one line, the detail on the next.
    void showFailure(const QString &text, const QString &details) override
    {
        show(Icon::Critical, text);
        m_err << "feedsmith-cli: detail: " << printable(QString(details).replace(u"\r\n"_s, u"; "_s)) << Qt::endl;
    }

    // Nobody is asked: the fingerprint given with --trust answers whether to trust a server, and
    // no folder is made that the project names.
    std::optional<bool> answer(const FtpQuestion &question) override
    {
        if (question.kind != FtpQuestion::Kind::TrustServer
            || !FtpPublisher::sameFingerprint(m_trusted, question.subject))
            return false;
        m_err << "feedsmith-cli: trusting the server with the fingerprint " << printable(question.subject)
              << " from now on" << Qt::endl;
        return true;
    }

    // Nobody said No here: the server is not trusted yet, and one line tells how to trust it.
    void serverNotTrusted(const QString &, const QString &server, const QString &fingerprint) override
    {
        m_err << "feedsmith-cli: error: " << printable(server) << " is not trusted yet";
        if (!m_trusted.isEmpty())
            m_err << " (it shows the fingerprint " << printable(fingerprint) << ", not the one given with --trust, "
                  << printable(m_trusted) << ')';
        m_err << "; check the fingerprint and run again with --trust " << printable(fingerprint) << Qt::endl;
    }

private:
    QTextStream &m_out;
    QTextStream &m_err;
    QString m_trusted;
};

QString withoutLineEnd(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

// Reads a line from the terminal with its echo turned off.
std::optional<QString> askOnTerminal(const QString &account)
{
    FILE *tty = std::fopen("/dev/tty", "r+");
    if (!tty)
        return std::nullopt;
    const int fd = fileno(tty);
    const QByteArray prompt = u"FTP password for %1: "_s.arg(printable(account)).toUtf8();
    std::fputs(prompt.constData(), tty);
    std::fflush(tty);

    termios saved{};
    const bool canHide = tcgetattr(fd, &saved) == 0;
    if (canHide) {
        termios hidden = saved;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        hidden.c_lflag |= ECHONL;
        tcsetattr(fd, TCSAFLUSH, &hidden);
    }
    QByteArray line;
    char buffer[256];
    while (line.size() < MaxPasswordLine && std::fgets(buffer, sizeof buffer, tty)) {
        line.append(buffer);
        if (line.endsWith('\n'))
            break;
    }
    if (canHide)
        tcsetattr(fd, TCSAFLUSH, &saved);
    std::fclose(tty);
    return withoutLineEnd(line);
}

} // namespace

std::optional<QString> readPublishPassword(const QString &passwordVariable, const QString &account, QTextStream &err)
{
    if (!passwordVariable.isEmpty()) {
        if (!qEnvironmentVariableIsSet(passwordVariable.toLocal8Bit().constData())) {
            err << "feedsmith-cli: the environment variable " << printable(passwordVariable) << " is not set"
                << Qt::endl;
            return std::nullopt;
        }
        return qEnvironmentVariable(passwordVariable.toLocal8Bit().constData());
    }
    if (!isatty(STDIN_FILENO)) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly)) {
            err << "feedsmith-cli: cannot read the password from standard input" << Qt::endl;
            return std::nullopt;
        }
        // One line, and not an endless one (standard input may be a device).
        return withoutLineEnd(input.readLine(MaxPasswordLine));
    }
    const std::optional<QString> typed = askOnTerminal(account);
    if (!typed)
        err << "feedsmith-cli: no terminal to ask for the password; use --password-env NAME" << Qt::endl;
    return typed;
}

bool uploadPublication(PublishSequence &sequence, const FtpSettings &settings, Internet &internet, QTextStream &out,
                       QTextStream &err, const QString &trustedFingerprint)
{
    StderrMessages messages(out, err, trustedFingerprint);
    return sequence.upload(settings, internet, messages) == FtpPublisher::Outcome::Uploaded;
}

} // namespace Feedsmith
