// Window start-up.
#include "window/shell/windowstartup.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// Qt's own texts (dialog buttons, the file dialog, shortcut names) in the interface language.
// English needs none; a language Qt has no translation for stays English as well.
void installQtTranslations(const QString &languageCode)
{
    static QTranslator *installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (languageCode.isEmpty() || languageCode == "en"_L1)
        return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(languageCode), u"qtbase"_s, u"_"_s,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    installed = translator.release();
    QCoreApplication::installTranslator(installed);
}

} // namespace

std::unique_ptr<MainWindow> Main(const QString &programFolder, const QString &localeName, FileDialog &fileDialog,
                                 MessageBoxes &messageBoxes)
{
    if (!MoveOldUserConfig())
        qWarning("Some settings of an earlier version could not be moved from %s to %s.",
                 qPrintable(oldUserConfigFolder()), qPrintable(userConfigFolder()));
    const StartupState state = RunStartup(programFolder, localeName);
    installQtTranslations(state.languageCode);
    // The editor's spelling dictionaries lie beside the program's other files; the web engine
    // looks there before it starts. They win over the folder that Debian's web engine names for
    // every desktop session (/etc/environment.d), which holds no en-US one and spells the German
    // one de_DE.
    const QString dictionaries = programFolder + u"/qtwebengine_dictionaries"_s;
    if (QFileInfo(dictionaries).isDir())
        qputenv("QTWEBENGINE_DICTIONARIES_PATH", QFile::encodeName(dictionaries));
    // The web engine gives screen readers what its pages hold (the entry's text, the help) only
    // when told to on this system.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    auto window = std::make_unique<MainWindow>(state, fileDialog, messageBoxes);
    window->applyCaptions(state.language.captions);
    window->setToolTips();
    window->show();
    // Where the activation will put the focus; the window takes it once it is active.
    window->onActivated();
    // Work a crashed or killed program left behind is offered once the window is there.
    window->offerRecovery();
    return window;
}

} // namespace Feedsmith
