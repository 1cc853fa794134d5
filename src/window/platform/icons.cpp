// Drawn toolbar pictures, so that the toolbar is never blank without an icon theme.
#include "window/platform/icons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace Feedsmith::Icons {

using namespace Qt::StringLiterals;

namespace {

const QColor Ink(0x33, 0x33, 0x33);
const QColor Paper(0xfa, 0xfa, 0xfa);
const QColor FeedOrange(0xf2, 0x8c, 0x28);

void drawPage(QPainter &p)
{
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(15, 2);
    page.lineTo(20, 7);
    page.lineTo(20, 22);
    page.lineTo(5, 22);
    page.closeSubpath();
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(Paper);
    p.drawPath(page);
    p.drawLine(QPointF(15, 2), QPointF(15, 7));
    p.drawLine(QPointF(15, 7), QPointF(20, 7));
}

void drawFeed(QPainter &p, const QRectF &box)
{
    p.setPen(Qt::NoPen);
    p.setBrush(FeedOrange);
    p.drawRoundedRect(box, box.width() * 0.18, box.width() * 0.18);
    const double u = box.width() / 24.0;
    const QPointF corner(box.left() + 6 * u, box.bottom() - 6 * u);
    p.setBrush(Qt::white);
    p.drawEllipse(corner, 2.2 * u, 2.2 * u);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 2.6 * u, Qt::SolidLine, Qt::FlatCap));
    for (double r : {8.0, 14.0}) {
        const QRectF arc(corner.x() - r * u, corner.y() - r * u, 2 * r * u, 2 * r * u);
        p.drawArc(arc, 0, 90 * 16);
    }
}

void drawLetter(QPainter &p, const QString &letter, bool bold, bool italic, bool underline)
{
    QFont font(u"Sans"_s);
    font.setPixelSize(letter.size() > 2 ? 10 : letter.size() > 1 ? 13 : 18);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    p.setFont(font);
    p.setPen(Ink);
    p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, letter);
}

void paint(QPainter &p, Picture picture)
{
    switch (picture) {
    case Picture::NewDocument:
        drawPage(p);
        p.setPen(QPen(FeedOrange, 2));
        p.drawLine(QPointF(12.5, 11), QPointF(12.5, 19));
        p.drawLine(QPointF(8.5, 15), QPointF(16.5, 15));
        break;
    case Picture::OpenDocument: {
        p.setPen(QPen(Ink, 1.2));
        p.setBrush(QColor(0xe8, 0xc0, 0x6a));
        QPainterPath back;
        back.moveTo(2, 5);
        back.lineTo(9, 5);
        back.lineTo(11, 7);
        back.lineTo(20, 7);
        back.lineTo(20, 20);
        back.lineTo(2, 20);
        back.closeSubpath();
        p.drawPath(back);
        p.setBrush(QColor(0xf5, 0xd4, 0x8a));
        QPainterPath front;
        front.moveTo(2, 20);
        front.lineTo(6, 11);
        front.lineTo(23, 11);
        front.lineTo(20, 20);
        front.closeSubpath();
        p.drawPath(front);
        break;
    }
    case Picture::SaveDocument:
        p.setPen(QPen(Ink, 1.2));
        p.setBrush(QColor(0x4a, 0x78, 0xb8));
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(Paper);
        p.drawRect(QRectF(7, 3, 10, 7));
        p.setBrush(QColor(0xdd, 0xdd, 0xdd));
        p.drawRect(QRectF(6, 13, 12, 8));
        break;
    case Picture::Feed: drawFeed(p, QRectF(2, 2, 20, 20)); break;
    case Picture::Bold: drawLetter(p, u"B"_s, true, false, false); break;
    case Picture::Italic: drawLetter(p, u"I"_s, false, true, false); break;
    case Picture::Underline: drawLetter(p, u"U"_s, false, false, true); break;
    case Picture::BulletList: drawLetter(p, u"\u2022\u2013"_s, true, false, false); break;
    case Picture::NumberedList: drawLetter(p, u"1."_s, true, false, false); break;
    case Picture::Heading2: drawLetter(p, u"H2"_s, true, false, false); break;
    case Picture::Heading3: drawLetter(p, u"H3"_s, true, false, false); break;
    case Picture::Paragraph: drawLetter(p, u"\u00b6"_s, false, false, false); break;
    case Picture::Quote: drawLetter(p, u"\u201c"_s, true, false, false); break;
    case Picture::Code: drawLetter(p, u"</>"_s, true, false, false); break;
    case Picture::ClearFormat: drawLetter(p, u"T"_s, false, true, true); break;
    case Picture::Undo: drawLetter(p, u"\u21b6"_s, false, false, false); break;
    case Picture::Redo: drawLetter(p, u"\u21b7"_s, false, false, false); break;
    case Picture::Source: drawLetter(p, u"<>"_s, false, false, false); break;
    case Picture::Picture: {
        p.setPen(QPen(Ink, 1.4));
        p.setBrush(Paper);
        p.drawRect(QRectF(3, 5, 18, 14));
        p.setBrush(QColor(0x4a, 0x9a, 0x5a));
        QPainterPath hill;
        hill.moveTo(4, 18);
        hill.lineTo(10, 11);
        hill.lineTo(14, 15);
        hill.lineTo(16, 13);
        hill.lineTo(20, 18);
        hill.closeSubpath();
        p.drawPath(hill);
        break;
    }
    case Picture::Link:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Ink, 2.2));
        p.drawRoundedRect(QRectF(2, 8, 11, 8), 4, 4);
        p.drawRoundedRect(QRectF(11, 8, 11, 8), 4, 4);
        break;
    }
}

} // namespace

QIcon drawn(Picture picture)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(size / 24.0, size / 24.0);
        paint(p, picture);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon themed(const QString &themeName, Picture fallback)
{
    if (QIcon::hasThemeIcon(themeName)) {
        const QIcon icon = QIcon::fromTheme(themeName);
        if (!icon.pixmap(24, 24).isNull())
            return icon;
    }
    return drawn(fallback);
}

QIcon applicationIcon()
{
    return drawn(Picture::Feed);
}

} // namespace Feedsmith::Icons
