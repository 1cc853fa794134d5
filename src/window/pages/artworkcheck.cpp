// The artwork check, on Qt Gui's image readers (which is why it lives beside the window).
#include "window/pages/artworkcheck.h"

#include "core/locale/keyedtexts.h"

#include <QImage>
#include <QImageReader>

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

QStringList ArtworkProblems(const QString &path, const KeyedTexts &texts)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    QSize size = reader.size();
    if (format.isEmpty() || !reader.canRead())
        return {texts.valueOr(u"artworkunreadable"_s, u"The file cannot be read as a picture."_s)};
    QImage::Format pixels = reader.imageFormat();
    if (!size.isValid() || pixels == QImage::Format_Invalid) {
        // A reader that cannot tell them from the header reads the picture.
        const QImage image = reader.read();
        if (image.isNull())
            return {texts.valueOr(u"artworkunreadable"_s, u"The file cannot be read as a picture."_s)};
        size = image.size();
        pixels = image.format();
    }
    QStringList problems;
    if (format != "jpeg" && format != "png")
        problems << texts.valueOr(u"artworkformat"_s, u"It is a %1 picture; podcast directories take JPEG or PNG."_s)
                            .arg(QString::fromLatin1(format.toUpper()));
    const QString width = QString::number(size.width());
    const QString height = QString::number(size.height());
    if (size.width() != size.height())
        problems << texts.valueOr(u"artworknotsquare"_s,
                                  u"It is %1 \u00d7 %2 pixels, not square; podcast directories take square artwork."_s)
                            .arg(width, height);
    if (std::min(size.width(), size.height()) < 1400 || std::max(size.width(), size.height()) > 3000)
        problems << texts.valueOr(u"artworksize"_s,
                                  u"It is %1 \u00d7 %2 pixels; podcast directories take 1400 \u00d7 1400 to "
                                  "3000 \u00d7 3000 pixels."_s)
                            .arg(width, height);
    switch (pixels) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
    case QImage::Format_Alpha8:
        problems << texts.valueOr(u"artworkgray"_s,
                                  u"It has shades of gray only; podcast directories take pictures in RGB colours."_s);
        break;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    case QImage::Format_CMYK8888:
        problems << texts.valueOr(u"artworkcmyk"_s,
                                  u"It is in CMYK colours, as for print; podcast directories take "
                                  "pictures in RGB colours."_s);
        break;
#endif
    default: break;
    }
    return problems;
}

} // namespace Feedsmith
