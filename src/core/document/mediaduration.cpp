// Playing times of media files, from TagLib: a library without widgets, kept out of every header
// so that the rest of the core sees Qt alone.
#include "core/document/mediaduration.h"

#include <QFile>

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>

namespace Feedsmith {

using namespace Qt::StringLiterals;

int MediaDurationSeconds(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const TagLib::FileRef file(name.constData(), true, TagLib::AudioProperties::Average);
    if (file.isNull() || !file.audioProperties())
        return -1;
    const int milliseconds = file.audioProperties()->lengthInMilliseconds();
    return milliseconds >= 500 ? (milliseconds + 500) / 1000 : -1;
}

QString DurationText(int seconds)
{
    return u"%1:%2:%3"_s.arg(seconds / 3600, 2, 10, QLatin1Char('0'))
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace Feedsmith
