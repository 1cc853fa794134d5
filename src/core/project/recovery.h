// Copies of unsaved work, kept while the window's document has changes, so that a crash or a
// killed program loses little of what was typed.
#pragma once

#include "core/document/feeddocument.h"
#include "core/project/projectreader.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace Feedsmith {

// No copy larger than a project may be is offered.
inline constexpr qint64 MaxRecoveryCopyBytes = MaxProjectBytes;

// A copy left behind by a program that no longer runs.
struct RecoveryCopy
{
    QString copyFile; // the project file of the copy
    QString projectPath; // the project the work belongs to; empty for one never saved
    QDateTime savedAt; // when the copy was written
};

// The copies of one folder. Each running program owns one copy, named after its process (its
// id and start time, so that a later process with the same id is another owner). A copy is a
// project file beside a small description of it; both are written atomically.
class RecoveryStore
{
public:
    explicit RecoveryStore(const QString &folder);

    // The user's state folder for copies: "recovery" in the application's local data folder.
    static QString defaultFolder();

    QString folder() const { return m_folder; }
    // The copy of this program.
    QString ownCopyFile() const;

    // Writes the document as this program's copy. False, with *error, when it could not be
    // written; an older copy then stays.
    bool write(const FeedDocument &document, const QString &programFolder, QString *error);
    // Removes this program's copy, if there is one.
    void remove() const;

    // The copies whose programs no longer run, newest first. Only regular files of the user's
    // that read as projects, in a folder of the user's that nobody else may enter (mode 0700,
    // no link), are taken: anything else may have been put there by someone else. A copy's
    // project path is RestoredProjectPath of the one its description names.
    QList<RecoveryCopy> orphans() const;
    // Removes a copy and its description.
    static void discard(const RecoveryCopy &copy);

private:
    QString m_folder;
    QString m_owner;
};

// The project path a restored copy is saved to: projectPath when it holds a project file, or
// when nothing is there and it is an absolute path ending in ".rsx"; else empty, so that Save
// asks for a name. A description may name any file (a shell profile); Save must not replace it.
QString RestoredProjectPath(const QString &projectPath);

} // namespace Feedsmith
