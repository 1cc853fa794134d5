// feedsmith-cli publish: the upload of the window's FTP page, for scripts.
#pragma once

#include "core/document/feeddocument.h"
#include "net/ftppublisher.h"
#include "net/publishsequence.h"

#include <QTextStream>

#include <optional>

namespace Feedsmith {

class Internet;

// The FTP password for a publish run: from the environment variable passwordVariable when one
// is named, else the first line of standard input when that is not a terminal, else asked for
// on the terminal without echo. Nothing (and a message) when it cannot be had.
std::optional<QString> readPublishPassword(const QString &passwordVariable, const QString &account, QTextStream &err);

// The upload step of a publication, as the window's Publish does it, with its messages written
// to err: at the first attempt, whatever the remote folder holds, after the files beside the feed
// that the server does not have yet, each named on `out` as it is stored. A server whose
// certificate or host key is not known yet is trusted (and remembered) only when it shows
// trustedFingerprint; nobody is asked to make a missing folder. True when the feed was stored.
bool uploadPublication(PublishSequence &sequence, const FtpSettings &settings, Internet &internet, QTextStream &out,
                       QTextStream &err, const QString &trustedFingerprint = {});

} // namespace Feedsmith
