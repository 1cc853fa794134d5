// Headless figures: open, save, RSS generation and preview build of projects of several sizes,
// each beside the floor of plain buffered file I/O of the same number of bytes.
#include "projectgenerator.h"

#include "core/document/feeddocument.h"
#include "core/output/preview.h"
#include "core/output/rsswriter.h"
#include "core/project/projectreader.h"
#include "core/project/projectwriter.h"
#include "core/startup/startup.h"
#include "core/text/textfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Feedsmith;
using namespace Qt::StringLiterals;

namespace {

double medianMs(int runs, const std::function<void()> &f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Reading a file with plain buffered I/O, in 64 KB pieces.
void plainRead(const QString &path)
{
    FILE *f = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!f)
        return;
    static std::vector<char> buffer(1 << 16);
    while (std::fread(buffer.data(), 1, buffer.size(), f) == buffer.size()) { }
    std::fclose(f);
}

// Writing n bytes with plain buffered I/O, in 64 KB pieces.
void plainWrite(const QString &path, qint64 n)
{
    FILE *f = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!f)
        return;
    static std::vector<char> buffer(1 << 16, 'x');
    for (qint64 left = n; left > 0;) {
        const size_t piece = size_t(std::min<qint64>(left, qint64(buffer.size())));
        std::fwrite(buffer.data(), 1, piece, f);
        left -= qint64(piece);
    }
    std::fclose(f);
}

void report(int entries, const char *operation, double ms, qint64 bytes, double floorMs)
{
    const double mb = double(bytes) / (1024.0 * 1024.0);
    std::printf("%7d  %-9s %10.1f ms %9.1f MB %9.1f MB/s %10.1f ms %7.1fx\n", entries, operation, ms, mb,
                mb / (ms / 1000.0), floorMs, ms / floorMs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QList<int> sizes = {100, 1000, 10000, 32767};
    int runs = 5;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (const QString &arg : args) {
        if (arg.startsWith(u"--runs="_s))
            runs = std::max(1, arg.mid(7).toInt());
        else if (arg.startsWith(u"--sizes="_s)) {
            sizes.clear();
            for (const QString &s : arg.mid(8).split(u','))
                sizes << s.toInt();
        }
    }

    QTemporaryDir dir;
    const QString folder = dir.path();
    const QString bin = QCoreApplication::applicationDirPath();
    for (const QString &name : {u"language-en.xml"_s, u"entry.html"_s, u"preview.html"_s, u"empty.html"_s})
        QFile::copy(bin + u'/' + name, folder + u'/' + name);
    FeedsmithBench::writeStyleSheet(folder + u"/styles.css"_s);
    const StartupState startup = RunStartup(folder, u"en_US"_s);
    const QLocale locale = QLocale::c();

    std::printf("Median of %d runs; floor = the same bytes read or written with plain buffered file I/O.\n", runs);
    std::printf("%7s  %-9s %13s %12s %14s %13s %8s\n", "entries", "operation", "time", "size", "throughput", "floor",
                "ratio");
    for (const int entries : sizes) {
        const QString project = folder + u"/bench-%1.rsx"_s.arg(entries);
        if (!FeedsmithBench::writeProject(project, entries)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(project));
            return 1;
        }
        const qint64 projectBytes = QFileInfo(project).size();

        FeedDocument document;
        const double openMs =
                medianMs(runs, [&] { ReadProjectFile(document, project, folder, startup.language.textTable, locale); });
        report(entries, "open", openMs, projectBytes, medianMs(runs, [&] { plainRead(project); }));

        const QString saved = folder + u"/saved.rsx"_s;
        QString error;
        const double saveMs = medianMs(runs, [&] { WriteProjectFile(document, saved, folder, &error); });
        const qint64 savedBytes = QFileInfo(saved).size();
        report(entries, "save", saveMs, savedBytes,
               medianMs(runs, [&] { plainWrite(saved + u".floor"_s, savedBytes); }));

        const QString rss = folder + u"/feed.xml"_s;
        document.channel.number = QString::number(entries);
        const QDateTime moment = QDateTime::currentDateTime();
        const double rssMs = medianMs(runs, [&] { WriteRssFile(document, rss, folder, moment, &error); });
        const qint64 rssBytes = QFileInfo(rss).size();
        report(entries, "rss", rssMs, rssBytes, medianMs(runs, [&] { plainWrite(rss + u".floor"_s, rssBytes); }));

        const QString page = folder + u"/rsspreview.html"_s;
        const double previewMs = medianMs(runs, [&] { BuildPreview(document, folder, page, locale); });
        const qint64 pageBytes = QFileInfo(page).size();
        report(entries, "preview", previewMs, pageBytes,
               medianMs(runs, [&] { plainWrite(page + u".floor"_s, pageBytes); }));
        if (!error.isEmpty())
            std::fprintf(stderr, "write failed: %s\n", qPrintable(error));
    }
    return 0;
}
