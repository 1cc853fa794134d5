// feedsmith-cli: reads a feed project and writes its RSS file, preview page or project file.
#include "cli/commandline.h"
#include "core/startup/startup.h"
#include "core/system/clock.h"
#include "core/system/memory.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    // A write that meets a file-size limit must fail like any other write, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    Feedsmith::returnFreedMemory();
    Feedsmith::Clock::pinLocalTimeZone();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("feedsmith-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return Feedsmith::runCommandLine(arguments, Feedsmith::findProgramFolder(QCoreApplication::applicationDirPath()),
                                     out, err);
}
