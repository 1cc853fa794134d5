// feedsmith-cli commands.
#include "cli/commandline.h"

#include "document/feeddocument.h"
#include "output/preview.h"
#include "output/rsswriter.h"
#include "platform/clock.h"
#include "platform/systemlocale.h"
#include "project/projectreader.h"
#include "project/projectwriter.h"
#include "shell/startup.h"
#include "text/textfiles.h"

#include <feedsmith/version.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr auto Usage = R"(Usage: feedsmith-cli COMMAND ARGUMENTS

Commands:
  rss PROJECT OUT.xml       write the RSS file of a project, as the generate command does
  preview PROJECT OUT.html  write the preview page of a project, from the program's templates
  resave PROJECT OUT.rsx    read a project and write it again, as the save command does

Options:
  --help     show this text
  --version  show the version

The publication date of the RSS file is SOURCE_DATE_EPOCH when that is set, else the clock.
Exit status: 0 on success, 1 when the project cannot be read or the output cannot be written.
)";

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

class Session
{
public:
    Session(const QString &programFolder, QTextStream &err)
        : m_startup(RunStartup(programFolder, SystemLocale::localeName()))
        , m_err(err)
    {
    }

    // Reads the project as the open command does; false (and a message) when it cannot be read.
    bool open(const QString &path)
    {
        const QString file = projectFileToRead(path);
        const QFileInfo info(file);
        QString reason;
        if (!info.exists())
            reason = u"no such file"_s;
        else if (info.isDir())
            reason = u"is a folder"_s;
        else if (!info.isReadable())
            reason = u"permission denied"_s;
        if (!reason.isEmpty()) {
            m_err << "feedsmith-cli: cannot read project " << shown(file) << ": " << reason << Qt::endl;
            return false;
        }
        const ProjectReadResult result = ReadProjectFile(m_document, path, m_startup.programFolder,
                                                         m_startup.language.textTable, SystemLocale::locale());
        if (!result.fileOpened) {
            m_err << "feedsmith-cli: cannot read project " << shown(file) << Qt::endl;
            return false;
        }
        if (result.entriesLeftOut > 0) {
            m_err << "feedsmith-cli: warning: " << shown(file) << " holds more than "
                  << EntryCollection::MaxEntries << " entries; " << result.entriesLeftOut
                  << " were left out" << Qt::endl;
        }
        return true;
    }

    bool failed(const QString &error)
    {
        m_err << "feedsmith-cli: cannot write " << error << Qt::endl;
        return false;
    }

    bool writeRss(const QString &out)
    {
        bool malformed = false;
        QDateTime moment = Clock::sourceDateEpoch(&malformed);
        if (malformed) {
            m_err << "feedsmith-cli: SOURCE_DATE_EPOCH is not a number of seconds" << Qt::endl;
            return false;
        }
        if (!moment.isValid())
            moment = Clock::now();
        QString error;
        return WriteRssFile(m_document, out, m_startup.programFolder, moment, &error) || failed(error);
    }

    bool writePreview(const QString &out)
    {
        const PreviewResult result = BuildPreview(m_document, m_startup.programFolder, out, SystemLocale::locale());
        if (!result.ok)
            return failed(result.error);
        if (result.emptyPage) {
            // Nothing to show: the page is the program's own "empty.html".
            QFile empty(result.pagePath);
            if (!empty.open(QIODevice::ReadOnly)) {
                m_err << "feedsmith-cli: cannot read " << shown(result.pagePath) << ": " << empty.errorString()
                      << Qt::endl;
                return false;
            }
            QString error;
            return writeFileAtomically(out, empty.readAll(), &error) || failed(error);
        }
        return true;
    }

    bool resave(const QString &out)
    {
        QString error;
        return WriteProjectFile(m_document, out, m_startup.programFolder, &error, SystemLocale::locale())
            || failed(error);
    }

private:
    StartupState m_startup;
    FeedDocument m_document;
    QTextStream &m_err;
};

} // namespace

int runCommandLine(const QStringList &arguments, const QString &programFolder, QTextStream &out, QTextStream &err)
{
    if (arguments.isEmpty()) {
        err << Usage;
        return 2;
    }
    const QString command = arguments.first();
    if (command == "--help"_L1 || command == "-h"_L1) {
        out << Usage;
        return 0;
    }
    if (command == "--version"_L1) {
        out << "feedsmith-cli (" << Version::ProductName << ") " << Version::Text << Qt::endl;
        return 0;
    }
    if (command != "rss"_L1 && command != "preview"_L1 && command != "resave"_L1) {
        err << "feedsmith-cli: unknown command " << command << "; see feedsmith-cli --help" << Qt::endl;
        return 2;
    }
    if (arguments.size() != 3) {
        err << "feedsmith-cli: " << command << " needs PROJECT and OUT; see feedsmith-cli --help" << Qt::endl;
        return 2;
    }

    Session session(programFolder, err);
    if (!session.open(arguments.at(1)))
        return 1;
    const QString target = arguments.at(2);
    bool ok = false;
    if (command == "rss"_L1)
        ok = session.writeRss(target);
    else if (command == "preview"_L1)
        ok = session.writePreview(target);
    else
        ok = session.resave(target);
    if (!ok)
        return 1;
    out << "wrote " << shown(QFileInfo(target).absoluteFilePath()) << Qt::endl;
    return 0;
}

} // namespace Feedsmith
