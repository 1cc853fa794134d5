// Helpers shared by the tests: the shipped resources, a program folder to play in, file bytes.
#pragma once

#include "core/document/feeddocument.h"
#include "core/text/codepagetext.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

namespace FeedsmithTest {

// The resources/ folder of the source tree.
inline QString resourceDir()
{
    return QStringLiteral(FEEDSMITH_RESOURCE_DIR);
}

// The folder of the built executables, with the program's files beside them.
inline QString binDir()
{
    return QStringLiteral(FEEDSMITH_BIN_DIR);
}

inline QString cliPath()
{
    return QStringLiteral(FEEDSMITH_CLI);
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

// Copies the shipped program files (language files, styles.css, templates) into dir, so a test
// can change them without touching the build.
inline bool copyProgramFiles(const QString &dir)
{
    const QStringList names = {QStringLiteral("language-en.xml"), QStringLiteral("language-de.xml"),
                               QStringLiteral("styles.css"),      QStringLiteral("entry.html"),
                               QStringLiteral("preview.html"),    QStringLiteral("empty.html")};
    for (const QString &name : names) {
        if (!QFile::copy(resourceDir() + u'/' + name, dir + u'/' + name))
            return false;
    }
    return QDir(dir).mkpath(QStringLiteral("feeds"));
}

// What a finished program left behind.
struct Run
{
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program in a working folder with the locale and time zone given, and
// SOURCE_DATE_EPOCH set only when `epoch` is not null; standard input is closed at once.
inline Run runProgram(const QString &program, const QStringList &arguments, const QString &workingFolder,
                      const QString &epoch = {}, const QString &locale = QStringLiteral("C.UTF-8"),
                      const QString &zone = QStringLiteral("Europe/Berlin"))
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("SOURCE_DATE_EPOCH"));
    if (!epoch.isNull())
        env.insert(QStringLiteral("SOURCE_DATE_EPOCH"), epoch);
    env.insert(QStringLiteral("LC_ALL"), locale);
    env.insert(QStringLiteral("LANG"), locale);
    env.insert(QStringLiteral("TZ"), zone);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    Run run;
    if (!process.waitForStarted(30000))
        return run;
    process.closeWriteChannel();
    run.finished = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A random content of the pieces that meet in the writers' byte and text routes: body tags,
// bracket escapes, "]]>", line breaks, a control character, letters of the code page's upper
// half, a character outside it (which sends a body down the text route), plain runs longer than
// the sixteen bytes the byte route copies at a time, and style blocks.
inline QString randomContent(QRandomGenerator &rng, const QStringList &styleBlocks)
{
    static const QStringList common = {
            QStringLiteral("<body>"),  QStringLiteral("</BODY>"), QStringLiteral("[["),     QStringLiteral("]]"),
            QStringLiteral("[:BsT:]"), QStringLiteral("]]>"),     QStringLiteral("[<"),     QStringLiteral("<p>"),
            QStringLiteral(" "),       QStringLiteral("\t"),      QStringLiteral("x,"),     QStringLiteral("\r\n"),
            QStringLiteral("\u0001"),  QStringLiteral("\u00E4"),  QStringLiteral("\u00C4"), QStringLiteral("\u20AC"),
            QStringLiteral("\u2019"),  QStringLiteral("\u00B5"),  QStringLiteral("\u00DF"), QStringLiteral("&#8594;"),
            QStringLiteral("\u2192"),
    };
    static const QStringList pieces =
            common + QStringList{QStringLiteral("a run of plain words"), QStringLiteral("&#91;")};
    QString content;
    for (int i = 0, n = int(rng.bounded(1, 14)); i < n; ++i) {
        const int k = int(rng.bounded(int(pieces.size() + styleBlocks.size())));
        content += k < pieces.size() ? pieces.at(k) : styleBlocks.at(k - pieces.size());
    }
    return content;
}

// A document of one content in both its forms: as the editor gives it, and (when the code page
// holds it and the style block) as a project file stores it, the file's bytes behind the block,
// which the writers may leave out of their work.
inline void fillWithBothForms(Feedsmith::FeedDocument &document, const QString &content, const QString &styleBlock)
{
    using namespace Feedsmith;
    document.entries.append(RSSentry{QStringLiteral("t"), {}, content});
    StyleBlockForms forms{styleBlock, {}};
    QByteArray stored;
    if (CodePageText::appendExactly(forms.codePage, styleBlock) && CodePageText::appendExactly(stored, content))
        document.entries.append(RSSentry{QStringLiteral("t"), {}, EntryContent::fromStoredBody(forms, stored)});
}

} // namespace FeedsmithTest
