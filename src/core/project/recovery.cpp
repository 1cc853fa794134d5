// Copies of unsaved work.
#include "core/project/recovery.h"

#include "core/project/projectwriter.h"
#include "core/text/textfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <algorithm>

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
    if (!QDir().mkpath(m_folder)) {
        if (error)
            *error = u"%1: the folder cannot be made"_s.arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
    const QDir dir(m_folder);
    for (const QFileInfo &file : dir.entryInfoList({u"*"_s + CopySuffix}, QDir::Files, QDir::Time)) {
        const QString owner = file.completeBaseName();
        if (owner == m_owner || ownerRuns(owner) || !file.isFile())
            continue;
        RecoveryCopy copy;
        copy.copyFile = file.absoluteFilePath();
        copy.savedAt = file.lastModified();
        QFile description(dir.filePath(owner + DescriptionSuffix));
        if (description.open(QIODevice::ReadOnly) && description.size() <= LargestDescription) {
            const QJsonObject object = QJsonDocument::fromJson(description.readAll()).object();
            copy.projectPath = object.value(u"project"_s).toString();
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

} // namespace Feedsmith
