// feedsmith-cli: reads a feed project and writes its RSS file, preview page or project file.
#include "cli/commandline.h"
#include "core/startup/startup.h"
#include "core/system/clock.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    // A write that meets a file-size limit must fail like any other write, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    Feedsmith::Clock::pinLocalTimeZone();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("feedsmith-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!Feedsmith::MoveOldUserConfig())
        err << "feedsmith-cli: warning: some settings could not be moved from " << Feedsmith::oldUserConfigFolder()
            << " to " << Feedsmith::userConfigFolder() << Qt::endl;
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const int status = Feedsmith::runCommandLine(
            arguments, Feedsmith::findProgramFolder(QCoreApplication::applicationDirPath()), out, err);
    // Every file is written and closed by now. The process ends without taking apart what it
    // built, which for a large project would take longer than writing it did: the system takes
    // the memory back at once.
    out.flush();
    err.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}
