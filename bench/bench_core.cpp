// Headless figures: open, save, RSS generation and preview build of projects of several sizes,
// each beside the floor of plain buffered file I/O of the same number of bytes, for a corpus of
// plain ASCII bodies and one of accented text; then feedsmith-cli as a process on the largest
// projects, with its peak memory. With --peers=FOLDER, feedsmith-cli rss against the npm library
// "rss" installed in FOLDER, on the same items.
#include "projectgenerator.h"

#include "core/document/feeddocument.h"
#include "core/output/preview.h"
#include "core/output/rsswriter.h"
#include "core/project/projectreader.h"
#include "core/project/projectwriter.h"
#include "core/startup/startup.h"
#include "core/system/clock.h"
#include "core/text/textfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <tuple>
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

// One run of a program: wall time and peak resident memory.
struct ProcessFigures
{
    double ms = 0;
    double peakMb = 0;
    bool ok = false;
};

ProcessFigures runProcess(const QStringList &command)
{
    std::vector<QByteArray> arguments;
    for (const QString &argument : command)
        arguments.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ProcessFigures figures;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return figures;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return figures;
    figures.ms = double(timer.nsecsElapsed()) / 1e6;
    figures.peakMb = double(usage.ru_maxrss) / 1024.0;
    figures.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return figures;
}

// The median time and the highest peak of several runs; not ok when any run failed.
ProcessFigures medianOfRuns(int runs, const QStringList &command)
{
    std::vector<double> times;
    ProcessFigures result{0, 0, true};
    for (int i = 0; i < runs; ++i) {
        const ProcessFigures run = runProcess(command);
        result.ok = result.ok && run.ok;
        result.peakMb = std::max(result.peakMb, run.peakMb);
        times.push_back(run.ms);
    }
    std::sort(times.begin(), times.end());
    result.ms = times[times.size() / 2];
    if (!result.ok)
        std::fprintf(stderr, "failed: %s\n", qPrintable(command.join(u' ')));
    return result;
}

void reportProcess(const char *what, const ProcessFigures &figures)
{
    std::printf("  %-34s %9.1f ms %9.1f MB peak%s\n", what, figures.ms, figures.peakMb, figures.ok ? "" : "  (FAILED)");
    std::fflush(stdout);
}

enum class Corpus { Ascii, Accented };

bool writeCorpus(Corpus corpus, const QString &path, int entries, const QString &itemsJson = QString())
{
    return corpus == Corpus::Ascii ? FeedsmithBench::writeProject(path, entries)
                                   : FeedsmithBench::writeAccentedProject(path, entries, itemsJson);
}

const char *corpusName(Corpus corpus)
{
    return corpus == Corpus::Ascii ? "ASCII" : "accented";
}

// A child's peak memory counts the peak of its parent up to its start (the two share their memory
// until the child runs its program): projects for the processes are written by a child of their
// own, and the processes are timed before this one builds anything large.
bool writeCorpusInChild(Corpus corpus, const QString &path, int entries, const QString &itemsJson = QString())
{
    QStringList command = {QCoreApplication::applicationFilePath(), u"--write-corpus="_s + path,
                           u"--sizes=%1"_s.arg(entries), corpus == Corpus::Ascii ? u"--ascii"_s : u"--accented"_s};
    if (!itemsJson.isEmpty())
        command << u"--items-json="_s + itemsJson;
    return runProcess(command).ok;
}

// The command-line program as a user runs it, start-up and reading included, on the largest project.
bool cliFigures(Corpus corpus, const QString &folder, int entries, int runs)
{
    const QString project = folder + u"/cli-%1.rsx"_s.arg(entries);
    if (!writeCorpusInChild(corpus, project, entries)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(project));
        return false;
    }
    const QString cli = QCoreApplication::applicationDirPath() + u"/feedsmith-cli"_s;
    std::printf("feedsmith-cli, %d %s entries (%.1f MB), median of %d runs:\n", entries, corpusName(corpus),
                double(QFileInfo(project).size()) / (1024.0 * 1024.0), runs);
    reportProcess("rss", medianOfRuns(runs, {cli, u"rss"_s, project, folder + u"/cli.xml"_s}));
    reportProcess("resave", medianOfRuns(runs, {cli, u"resave"_s, project, folder + u"/cli.rsx"_s}));
    reportProcess("preview", medianOfRuns(runs, {cli, u"preview"_s, project, folder + u"/cli.html"_s}));
    QFile::remove(project);
    return true;
}

// Two commands run in turn, a b a b ...: the median of each, and the median of the ratios
// b / a pair by pair, which keeps the ratio honest while the machine's speed drifts.
struct PairedFigures
{
    ProcessFigures a;
    ProcessFigures b;
    double ratio = 0; // b / a
};

PairedFigures pairedRuns(int runs, const QStringList &a, const QStringList &b)
{
    std::vector<double> aTimes, bTimes, ratios;
    PairedFigures result{{0, 0, true}, {0, 0, true}, 0};
    for (int i = 0; i < runs; ++i) {
        const ProcessFigures x = runProcess(a);
        const ProcessFigures y = runProcess(b);
        for (auto [run, total, times] : {std::tuple{x, &result.a, &aTimes}, std::tuple{y, &result.b, &bTimes}}) {
            total->ok = total->ok && run.ok;
            total->peakMb = std::max(total->peakMb, run.peakMb);
            times->push_back(run.ms);
        }
        ratios.push_back(y.ms / x.ms);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    result.a.ms = median(aTimes);
    result.b.ms = median(bTimes);
    result.ratio = median(ratios);
    if (!result.a.ok || !result.b.ok)
        std::fprintf(stderr, "failed: %s or %s\n", qPrintable(a.join(u' ')), qPrintable(b.join(u' ')));
    return result;
}

// The project with the channel's option to keep accented letters switched on.
bool writeExactLettersCopy(const QString &from, const QString &to)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // A piece at a time: the peak memory of the processes started later counts this one's.
    QByteArray head = in.read(4096);
    const qsizetype settings = head.indexOf("<settings>\r\n");
    if (settings < 0)
        return false;
    head.insert(settings + 12, "\t<keepaccents>1</keepaccents>\r\n");
    if (out.write(head) != head.size())
        return false;
    while (!in.atEnd()) {
        const QByteArray piece = in.read(1 << 20);
        if (piece.isEmpty() || out.write(piece) != piece.size())
            return false;
    }
    return true;
}

// feedsmith-cli against node with the npm library "rss" 1.x on the same items, and against a
// plain copy of the project, each pair of commands run in turn.
int comparePeers(const QString &modules, const QString &folder, int entries, int runs)
{
    const QString bin = QCoreApplication::applicationDirPath();
    const QString cli = bin + u"/feedsmith-cli"_s;
    const QString project = folder + u"/peers.rsx"_s;
    const QString exact = folder + u"/peers-exact.rsx"_s;
    const QString small = folder + u"/peers-small.rsx"_s;
    const QString items = folder + u"/peers.json"_s;
    if (!writeCorpusInChild(Corpus::Accented, project, entries, items) || !writeExactLettersCopy(project, exact)
        || !writeCorpusInChild(Corpus::Accented, small, 10)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(project));
        return 1;
    }
    const QString node = QStandardPaths::findExecutable(u"node"_s);
    const QString cp = QStandardPaths::findExecutable(u"cp"_s);
    const QString script = QStringLiteral(FEEDSMITH_BENCH_SOURCE_DIR) + u"/peer-rss.js"_s;
    if (node.isEmpty() || cp.isEmpty()) {
        std::fprintf(stderr, "node or cp is not installed\n");
        return 1;
    }
    std::printf("%d accented entries (%.1f MB project), median of %d paired runs:\n", entries,
                double(QFileInfo(project).size()) / (1024.0 * 1024.0), runs);
    const QStringList peer = {node, script, modules, items, folder + u"/peer.xml"_s};
    const QStringList copy = {cp, project, folder + u"/copy.rsx"_s};
    const PairedFigures legacy = pairedRuns(runs, {cli, u"rss"_s, project, folder + u"/ours.xml"_s}, peer);
    reportProcess("feedsmith-cli rss", legacy.a);
    reportProcess("node + npm rss", legacy.b);
    std::printf("  ratio (npm rss / feedsmith-cli rss)  %6.1fx\n", legacy.ratio);
    const PairedFigures exactLetters = pairedRuns(runs, {cli, u"rss"_s, exact, folder + u"/ours.xml"_s}, peer);
    reportProcess("feedsmith-cli rss, exact letters", exactLetters.a);
    reportProcess("node + npm rss", exactLetters.b);
    std::printf("  ratio (npm rss / feedsmith-cli rss)  %6.1fx\n", exactLetters.ratio);
    const PairedFigures rssCopy = pairedRuns(runs, copy, {cli, u"rss"_s, project, folder + u"/ours.xml"_s});
    const PairedFigures resaveCopy = pairedRuns(runs, copy, {cli, u"resave"_s, project, folder + u"/ours.rsx"_s});
    reportProcess("cp of the project", resaveCopy.a);
    reportProcess("feedsmith-cli rss", rssCopy.b);
    std::printf("  ratio (rss / cp)                     %6.1fx\n", rssCopy.ratio);
    reportProcess("feedsmith-cli resave", resaveCopy.b);
    std::printf("  ratio (resave / cp)                  %6.1fx\n", resaveCopy.ratio);
    const PairedFigures rssResave = pairedRuns(runs, {cli, u"rss"_s, project, folder + u"/ours.xml"_s},
                                               {cli, u"resave"_s, project, folder + u"/ours.rsx"_s});
    std::printf("  ratio (resave / rss)                 %6.2fx\n", rssResave.ratio);
    std::printf("10 accented entries, start to exit, median of %d runs:\n", runs);
    reportProcess("feedsmith-cli rss", medianOfRuns(runs, {cli, u"rss"_s, small, folder + u"/small.xml"_s}));
    for (const QString &file : {project, exact, small, items})
        QFile::remove(file);
    const bool ok = legacy.a.ok && legacy.b.ok && exactLetters.a.ok && rssCopy.a.ok && rssCopy.b.ok && resaveCopy.b.ok
            && rssResave.b.ok;
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // As both programs do at start.
    Clock::pinLocalTimeZone();
    QCoreApplication app(argc, argv);
    QList<int> sizes = {100, 1000, 10000, 32767};
    int runs = 5;
    QList<Corpus> corpora = {Corpus::Ascii, Corpus::Accented};
    QString peers;
    QString corpusFile;
    QString itemsJson;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (const QString &arg : args) {
        if (arg.startsWith(u"--runs="_s))
            runs = std::max(1, arg.mid(7).toInt());
        else if (arg.startsWith(u"--sizes="_s)) {
            sizes.clear();
            for (const QString &s : arg.mid(8).split(u','))
                sizes << s.toInt();
        } else if (arg == u"--ascii"_s) {
            corpora = {Corpus::Ascii};
        } else if (arg == u"--accented"_s) {
            corpora = {Corpus::Accented};
        } else if (arg.startsWith(u"--peers="_s)) {
            peers = arg.mid(8);
        } else if (arg.startsWith(u"--write-corpus="_s)) {
            corpusFile = arg.mid(15);
        } else if (arg.startsWith(u"--items-json="_s)) {
            itemsJson = arg.mid(13);
        } else {
            std::fprintf(stderr,
                         "usage: bench_core [--runs=N] [--sizes=N,...] [--ascii|--accented] [--peers=NODE_MODULES]\n"
                         "       bench_core --write-corpus=PROJECT [--items-json=JSON] [--sizes=N] [--ascii]\n");
            return 2;
        }
    }
    if (!corpusFile.isEmpty())
        return writeCorpus(corpora.back(), corpusFile, sizes.back(), itemsJson) ? 0 : 1;

    QTemporaryDir dir;
    const QString folder = dir.path();
    const QString bin = QCoreApplication::applicationDirPath();
    for (const QString &name : {u"language-en.xml"_s, u"entry.html"_s, u"preview.html"_s, u"empty.html"_s})
        QFile::copy(bin + u'/' + name, folder + u'/' + name);
    FeedsmithBench::writeStyleSheet(folder + u"/styles.css"_s);
    const StartupState startup = RunStartup(folder, u"en_US"_s);
    const QLocale locale = QLocale::c();

    if (!peers.isEmpty())
        return comparePeers(QDir(peers).absolutePath(), folder, sizes.back(), runs);

    std::printf("Median of %d runs; floor = the same bytes read or written with plain buffered file I/O.\n", runs);
    // The processes first, while this one holds little (see writeCorpusInChild).
    for (const Corpus corpus : std::as_const(corpora)) {
        if (!cliFigures(corpus, folder, sizes.back(), runs))
            return 1;
    }
    for (const Corpus corpus : std::as_const(corpora)) {
        std::printf("\n%s corpus\n", corpusName(corpus));
        std::printf("%7s  %-9s %13s %12s %14s %13s %8s\n", "entries", "operation", "time", "size", "throughput",
                    "floor", "ratio");
        for (const int entries : sizes) {
            const QString project = folder + u"/bench-%1.rsx"_s.arg(entries);
            if (!writeCorpus(corpus, project, entries)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(project));
                return 1;
            }
            const qint64 projectBytes = QFileInfo(project).size();

            FeedDocument document;
            const double openMs = medianMs(
                    runs, [&] { ReadProjectFile(document, project, folder, startup.language.textTable, locale); });
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
    }
    return 0;
}
