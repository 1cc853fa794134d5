// feedsmith-cli: the program's core from scripts.
#pragma once

#include <QStringList>
#include <QTextStream>

namespace Feedsmith {

// Runs one command line (without the program name) against the program folder; returns the
// exit status: 0 on success, 1 when a project cannot be read or an output cannot be written,
// 2 for a command line that makes no sense.
int runCommandLine(const QStringList &arguments, const QString &programFolder, QTextStream &out, QTextStream &err);

} // namespace Feedsmith
