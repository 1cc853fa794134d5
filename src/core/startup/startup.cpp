// The shared start-up.
#include "core/startup/startup.h"

#include "core/locale/programsettings.h"
#include "core/system/systemlocale.h"
#include "core/text/markupreader.h"
#include "core/text/textfiles.h"

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

StartupState RunStartup(const QString &programFolder, const QString &localeName)
{
    StartupState state;
    state.programFolder = programFolder;
    state.languageCode = SystemLocale::languageCode(localeName);

    const QString markerPath = programFile(programFolder, u"devel.txt"_s);
    state.installKeyboardFilter = !markerSuppressesKeyboardFilter(ReadTextFile(markerPath));

    state.settingsTable = LoadProgramSettings(programFolder);

    if (ReadTextFile(programFolder + languageFileName(state.languageCode) + ".xml"_L1) == "-1"_L1)
        state.languageCode = u"en"_s;
    if (markerForcesEnglish(ReadTextFile(markerPath)))
        state.languageCode = u"en"_s;

    state.language = ApplyLanguageFile(ReadMarkupFile(programFolder, languageFileName(state.languageCode)));
    return state;
}

} // namespace Feedsmith
