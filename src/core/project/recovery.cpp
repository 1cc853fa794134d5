// Copies of unsaved work.
#include "core/project/recovery.h"

#include "core/project/projectreader.h"
#include "core/project/projectwriter.h"
#include "core/text/textfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr QLatin1StringView CopySuffix(".rsx");
constexpr QLatin1StringView DescriptionSuffix(".json");
// A description is a few lines; anything larger is no description of ours.
constexpr qint64 LargestDescription = 64 * 1024;

// A process's start time in clock ticks since boot, from /proc; empty when it does not run.
QString processStartTime(qint64 pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.read(4096);
    // The command name (field 2) is in parentheses and may hold blanks: count after its end.
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return {};
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // Field 22, the start time, is the 20th after the command name.
    return fields.size() > 19 ? QString::fromLatin1(fields.at(19)) : QString();
}

// "<pid>-<start time>": who owns a copy.
QString ownerOf(qint64 pid)
{
    const QString started = processStartTime(pid);
    return started.isEmpty() ? QString() : QString::number(pid) + u'-' + started;
}

bool ownerRuns(const QString &owner)
{
    const qsizetype dash = owner.indexOf(u'-');
    bool ok = false;
    const qint64 pid = owner.left(dash).toLongLong(&ok);
    return dash > 0 && ok && pid > 0 && ownerOf(pid) == owner;
}

// What makes a path no place of the user's own: a link, something other than the kind expected,
// another owner. Empty when it is the user's own folder (or file).
QString notOwnReason(const QString &path, bool folder, struct stat *st)
{
    if (::lstat(QFile::encodeName(path).constData(), st) != 0)
        return fileErrorText(errno, {});
    if (S_ISLNK(st->st_mode))
        return u"is a symbolic link"_s;
    if (folder ? !S_ISDIR(st->st_mode) : !S_ISREG(st->st_mode))
        return folder ? u"is not a folder"_s : u"is not a regular file"_s;
    if (st->st_uid != ::getuid())
        return u"belongs to another user"_s;
    return {};
}

// Why the recovery folder cannot be trusted with copies: it must be a real folder of the user's
// that nobody else can enter. Empty when it can.
QString unsafeFolderReason(const QString &folder)
{
    struct stat st
    {
    };
    if (QString why = notOwnReason(folder, true, &st); !why.isEmpty())
        return why;
    if ((st.st_mode & 07777) != 0700)
        return u"can be entered by other users"_s;
    return {};
}

// The recovery folder, made for the user alone when it is not there; an existing folder that
// is a folder of the user's is made private, anything else is left alone and refused.
QString prepareFolder(const QString &folder)
{
    const QByteArray native = QFile::encodeName(folder);
    struct stat st
    {
    };
    if (::lstat(native.constData(), &st) != 0) {
        if (!QDir().mkpath(QFileInfo(folder).absolutePath())
            || (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST))
            return u"the folder cannot be made"_s;
    }
    if (QString why = notOwnReason(folder, true, &st); !why.isEmpty())
        return why;
    if ((st.st_mode & 07777) != 0700) {
        // Changed through the folder opened, so that a link put in its place meanwhile changes nothing.
        const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const bool made = fd >= 0 && ::fchmod(fd, 0700) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!made)
            return u"the folder cannot be made private"_s;
    }
    return {};
}

} // namespace

RecoveryStore::RecoveryStore(const QString &folder)
    : m_folder(folder)
    , m_owner(ownerOf(::getpid()))
{
    if (m_owner.isEmpty())
        m_owner = QString::number(::getpid());
}

QString RecoveryStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + u"/recovery"_s;
}

QString RecoveryStore::ownCopyFile() const
{
    return m_folder + u'/' + m_owner + CopySuffix;
}

bool RecoveryStore::write(const FeedDocument &document, const QString &programFolder, QString *error)
{
    // What was typed stays the user's own: the folder is readable by nobody else.
    if (const QString why = prepareFolder(m_folder); !why.isEmpty()) {
        if (error)
            *error = QDir::toNativeSeparators(m_folder) + u": "_s + why;
        return false;
    }
    if (!WriteProjectFile(document, ownCopyFile(), programFolder, error))
        return false;
    const QJsonObject description{{u"project"_s, document.projectPath},
                                  {u"saved"_s, QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)}};
    return writeFileAtomically(m_folder + u'/' + m_owner + DescriptionSuffix,
                               QJsonDocument(description).toJson(QJsonDocument::Indented), error);
}

void RecoveryStore::remove() const
{
    QFile::remove(m_folder + u'/' + m_owner + DescriptionSuffix);
    QFile::remove(ownCopyFile());
}

QList<RecoveryCopy> RecoveryStore::orphans() const
{
    QList<RecoveryCopy> copies;
    // Copies are taken only from a folder nobody else can have put them in.
    if (!unsafeFolderReason(m_folder).isEmpty())
        return copies;
    const QDir dir(m_folder);
    for (const QFileInfo &file : dir.entryInfoList({u"*"_s + CopySuffix}, QDir::Files | QDir::System, QDir::Time)) {
        const QString owner = file.completeBaseName();
        struct stat st
        {
        };
        if (owner == m_owner || ownerRuns(owner) || !notOwnReason(file.filePath(), false, &st).isEmpty()
            || st.st_size > MaxRecoveryCopyBytes || !notAProjectReason(file.filePath()).isEmpty())
            continue;
        RecoveryCopy copy;
        copy.copyFile = file.absoluteFilePath();
        copy.savedAt = file.lastModified();
        QFile description;
        if (openRegularFile(description, dir.filePath(owner + DescriptionSuffix), nullptr, Links::Refuse)
            && description.size() <= LargestDescription) {
            const QJsonObject object = QJsonDocument::fromJson(description.readAll()).object();
            copy.projectPath = RestoredProjectPath(object.value(u"project"_s).toString());
            const QDateTime saved = QDateTime::fromString(object.value(u"saved"_s).toString(), Qt::ISODateWithMs);
            if (saved.isValid())
                copy.savedAt = saved;
        }
        copies.append(copy);
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const RecoveryCopy &a, const RecoveryCopy &b) { return a.savedAt > b.savedAt; });
    return copies;
}

void RecoveryStore::discard(const RecoveryCopy &copy)
{
    const QFileInfo file(copy.copyFile);
    QFile::remove(file.absolutePath() + u'/' + file.completeBaseName() + DescriptionSuffix);
    QFile::remove(copy.copyFile);
}

QString RestoredProjectPath(const QString &projectPath)
{
    if (projectPath.isEmpty())
        return {};
    const QFileInfo file(projectPath);
    if (!file.exists() && !file.isSymLink())
        return file.suffix().compare("rsx"_L1, Qt::CaseInsensitive) == 0 && file.isAbsolute() ? projectPath : QString();
    QFile project;
    if (!openRegularFile(project, projectPath))
        return {};
    project.close();
    return notAProjectReason(projectPath).isEmpty() ? projectPath : QString();
}

} // namespace Feedsmith
