// The shared start-up.
#include "core/startup/startup.h"

#include "core/locale/programsettings.h"
#include "core/system/systemlocale.h"
#include "core/text/markupreader.h"
#include "core/text/textfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// A marker saved by a Linux editor ends in a lone line feed, which the file reader keeps.
QString withoutFinalLineFeed(QString text)
{
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

} // namespace

bool markerSuppressesKeyboardFilter(const QString &markerText)
{
    bool ok = false;
    const double value = withoutFinalLineFeed(markerText).trimmed().toDouble(&ok);
    return ok && value == 1.0;
}

bool markerForcesEnglish(const QString &markerText)
{
    return withoutFinalLineFeed(markerText) == "1"_L1;
}

QString findProgramFolder(const QString &executableFolder)
{
    const QString installed = QDir::cleanPath(executableFolder + u"/../share/feedsmith"_s);
    for (const QString &folder : {executableFolder, installed}) {
        if (QFileInfo(programFile(folder, u"language-en.xml"_s)).isFile())
            return folder;
    }
    return executableFolder;
}

QString userConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/Feedsmith"_s;
}

QString oldUserConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/feedsmith"_s;
}

bool MoveOldUserConfig(const QString &oldFolder, const QString &folder)
{
    const QFileInfo old(oldFolder);
    if (!old.isDir())
        return true;
    // A file system that ignores case holds one folder under both names.
    if (QFileInfo(folder).exists() && old.canonicalFilePath() == QFileInfo(folder).canonicalFilePath())
        return true;
    if (!QFileInfo::exists(folder)) {
        // The whole folder in one step; its parent made first in case there is none.
        return QDir().mkpath(QFileInfo(folder).path()) && QDir().rename(oldFolder, folder);
    }
    bool moved = true;
    QDir from(oldFolder);
    const QFileInfoList entries =
            from.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString target = folder + u'/' + entry.fileName();
        if (QFileInfo(target).exists() || QFileInfo(target).isSymLink())
            continue; // the user's folder has its own already
        moved = QDir().rename(entry.filePath(), target) && moved;
    }
    // Left alone while it still holds something.
    QDir().rmdir(oldFolder);
    return moved;
}

QString dialogStartFolder(const QString &programFolder)
{
    const QFileInfo feeds(programFile(programFolder, u"feeds"_s));
    if (feeds.isDir() && feeds.isWritable())
        return feeds.filePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

StartupState RunStartup(const QString &programFolder, const QString &localeName, const QString &configFolder)
{
    StartupState state;
    state.programFolder = programFolder;
    state.languageCode = SystemLocale::languageCode(localeName);

    // The user's own settings and marker win over those beside the program.
    auto userFirst = [&](const QString &name) {
        const QString own = programFile(configFolder, name);
        return !configFolder.isEmpty() && QFileInfo::exists(own) ? configFolder : programFolder;
    };
    const QString markerPath = programFile(userFirst(u"devel.txt"_s), u"devel.txt"_s);
    state.installKeyboardFilter = !markerSuppressesKeyboardFilter(ReadTextFile(markerPath));

    state.settingsTable = LoadProgramSettings(userFirst(u"programsettings.xml"_s));

    if (ReadTextFile(programFolder + languageFileName(state.languageCode) + ".xml"_L1) == "-1"_L1)
        state.languageCode = u"en"_s;
    if (markerForcesEnglish(ReadTextFile(markerPath)))
        state.languageCode = u"en"_s;

    state.language = ApplyLanguageFile(ReadMarkupFile(programFolder, languageFileName(state.languageCode)));
    return state;
}

} // namespace Feedsmith
