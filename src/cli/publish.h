// feedsmith-cli publish: the upload of the window's FTP page, for scripts.
#pragma once

#include "core/document/feeddocument.h"
#include "net/ftppublisher.h"

#include <QTextStream>

#include <optional>

namespace Feedsmith {

class Internet;

// The FTP password for a publish run: from the environment variable passwordVariable when one
// is named, else the first line of standard input when that is not a terminal, else asked for
// on the terminal without echo. Nothing (and a message) when it cannot be had.
std::optional<QString> readPublishPassword(const QString &passwordVariable, const QString &account, QTextStream &err);

// Uploads the file named by the settings, as the window's Publish does, with its messages
// written to err: at the first attempt, whatever the remote folder holds, after the files
// `beside` that the server does not have yet, each named on `out` as it is stored. A server whose
// certificate or host key is not known yet is trusted (and remembered) only when it shows
// trustedFingerprint. True when the file was stored.
// localFile, when given, is the file stored under the name of settings.ftpfile. After success,
// *publishedFiles (when given) is what to keep as settings.lastpublishedfiles.
bool publishFile(const FtpSettings &settings, const FtpTexts &texts, Internet &internet, QTextStream &out,
                 QTextStream &err, const QString &trustedFingerprint = {}, const QString &localFile = {},
                 const QList<PublishedFile> &beside = {}, QString *publishedFiles = nullptr);

} // namespace Feedsmith
