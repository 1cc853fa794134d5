// feedsmith: the desktop editor for RSS 2.0 feeds.
#include "core/system/clock.h"
#include "core/system/systemlocale.h"
#include "window/platform/dialogs.h"
#include "window/platform/icons.h"
#include "window/shell/windowstartup.h"

#include <feedsmith/version.h>

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // A write that meets a file-size limit must fail like any other write, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    Feedsmith::Clock::pinLocalTimeZone();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(Feedsmith::Version::ProductName));
    QApplication::setApplicationVersion(QString::fromLatin1(Feedsmith::Version::Text));
    QApplication::setDesktopFileName(QStringLiteral("feedsmith"));
    QApplication::setWindowIcon(Feedsmith::Icons::applicationIcon());

    Feedsmith::QtFileDialog fileDialog;
    Feedsmith::QtMessageBoxes messageBoxes;
    const auto window = Feedsmith::Main(QApplication::applicationDirPath(), Feedsmith::SystemLocale::localeName(),
                                        fileDialog, messageBoxes);
    return app.exec();
}
