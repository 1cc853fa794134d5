// feedsmith: the desktop editor for RSS 2.0 feeds.
#include "core/startup/startup.h"
#include "core/system/clock.h"
#include "core/system/memory.h"
#include "core/system/systemlocale.h"
#include "window/platform/dialogs.h"
#include "window/platform/icons.h"
#include "window/shell/filecommands.h"
#include "window/shell/windowstartup.h"

#include <feedsmith/version.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>
#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    // A write that meets a file-size limit must fail like any other write, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    Feedsmith::returnFreedMemory();
    Feedsmith::Clock::pinLocalTimeZone();
    // Names the program's folders in ~/.cache and ~/.local/share as its folder in ~/.config is
    // named (userConfigFolder), from the start.
    QCoreApplication::setApplicationName(QString::fromLatin1(Feedsmith::Version::ProductName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(Feedsmith::Version::Text));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Feedsmith, a desktop editor for RSS 2.0 feeds."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A project file (.rsx) to open."),
                                 QStringLiteral("[FILE]"));

    // --help and --version answer before the window system is reached, so they work without a
    // display; everything else is read once Qt has taken its own options (-platform, -style).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    static const QStringList InfoOptions = {QStringLiteral("-h"), QStringLiteral("--help"),
                                            QStringLiteral("-?"), QStringLiteral("--help-all"),
                                            QStringLiteral("-v"), QStringLiteral("--version")};
    if (std::any_of(arguments.cbegin() + 1, arguments.cend(),
                    [](const QString &argument) { return InfoOptions.contains(argument); })) {
        parser.parse(arguments);
        if (parser.isSet(version) && !parser.isSet(help)) {
            std::printf("feedsmith (%s) %s\n", Feedsmith::Version::ProductName, Feedsmith::Version::Text);
        } else {
            // Without an application object Qt cannot name the program itself.
            QString text = parser.helpText();
            text.replace(QStringLiteral("<executable_name>"), QStringLiteral("feedsmith"));
            std::fputs(qPrintable(text), stdout);
        }
        return 0;
    }

    QApplication app(argc, argv);
    if (!parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "feedsmith: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "feedsmith: give at most one project file; see feedsmith --help\n");
        return 2;
    }
    const QString project = parser.positionalArguments().isEmpty()
            ? QString()
            : QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
    QApplication::setDesktopFileName(QStringLiteral("feedsmith"));
    QApplication::setWindowIcon(Feedsmith::Icons::applicationIcon());

    Feedsmith::QtFileDialog fileDialog;
    Feedsmith::QtMessageBoxes messageBoxes;
    const auto window = Feedsmith::Main(Feedsmith::findProgramFolder(QApplication::applicationDirPath()),
                                        Feedsmith::SystemLocale::localeName(), fileDialog, messageBoxes);
    if (!project.isEmpty())
        window->fileCommands()->openProjectFile(project);
    return app.exec();
}
