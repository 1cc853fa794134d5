// Drawn toolbar pictures, so that the toolbar is never blank without an icon theme.
#include "window/platform/icons.h"

#include <QFont>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPainterPath>
#include <QPixmap>

namespace Feedsmith::Icons {

using namespace Qt::StringLiterals;

namespace {

const QColor Paper(0xfa, 0xfa, 0xfa);
const QColor FeedOrange(0xf2, 0x8c, 0x28);

void drawPage(QPainter &p, const QColor &ink)
{
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(15, 2);
    page.lineTo(20, 7);
    page.lineTo(20, 22);
    page.lineTo(5, 22);
    page.closeSubpath();
    p.setPen(QPen(ink, 1.2));
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

void drawLetter(QPainter &p, const QColor &ink, const QString &letter, bool bold, bool italic, bool underline)
{
    QFont font(u"Sans"_s);
    font.setPixelSize(letter.size() > 2 ? 10 : letter.size() > 1 ? 13 : 18);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, letter);
}

void paintPicture(QPainter &p, Picture picture, const QColor &ink)
{
    switch (picture) {
    case Picture::NewDocument:
        drawPage(p, ink);
        p.setPen(QPen(FeedOrange, 2));
        p.drawLine(QPointF(12.5, 11), QPointF(12.5, 19));
        p.drawLine(QPointF(8.5, 15), QPointF(16.5, 15));
        break;
    case Picture::OpenDocument: {
        p.setPen(QPen(ink, 1.2));
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
        p.setPen(QPen(ink, 1.2));
        p.setBrush(QColor(0x4a, 0x78, 0xb8));
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(Paper);
        p.drawRect(QRectF(7, 3, 10, 7));
        p.setBrush(QColor(0xdd, 0xdd, 0xdd));
        p.drawRect(QRectF(6, 13, 12, 8));
        break;
    case Picture::Feed: drawFeed(p, QRectF(2, 2, 20, 20)); break;
    case Picture::Bold: drawLetter(p, ink, u"B"_s, true, false, false); break;
    case Picture::Italic: drawLetter(p, ink, u"I"_s, false, true, false); break;
    case Picture::Underline: drawLetter(p, ink, u"U"_s, false, false, true); break;
    case Picture::BulletList: drawLetter(p, ink, u"\u2022\u2013"_s, true, false, false); break;
    case Picture::NumberedList: drawLetter(p, ink, u"1."_s, true, false, false); break;
    case Picture::Heading2: drawLetter(p, ink, u"H2"_s, true, false, false); break;
    case Picture::Heading3: drawLetter(p, ink, u"H3"_s, true, false, false); break;
    case Picture::Paragraph: drawLetter(p, ink, u"\u00b6"_s, false, false, false); break;
    case Picture::Quote: drawLetter(p, ink, u"\u201c"_s, true, false, false); break;
    case Picture::Code: drawLetter(p, ink, u"</>"_s, true, false, false); break;
    case Picture::ClearFormat: drawLetter(p, ink, u"T"_s, false, true, true); break;
    case Picture::Undo: drawLetter(p, ink, u"\u21b6"_s, false, false, false); break;
    case Picture::Redo: drawLetter(p, ink, u"\u21b7"_s, false, false, false); break;
    case Picture::Source: drawLetter(p, ink, u"<>"_s, false, false, false); break;
    case Picture::Picture: {
        p.setPen(QPen(ink, 1.4));
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
        p.setPen(QPen(ink, 2.2));
        p.drawRoundedRect(QRectF(2, 8, 11, 8), 4, 4);
        p.drawRoundedRect(QRectF(11, 8, 11, 8), 4, 4);
        break;
    }
}

// Draws its picture at whatever size and pixel ratio it is asked for, so that it is sharp on every
// screen, its lines and letters in the text colour of the application's palette (light on a dark
// one); greyed out where disabled.
class DrawnEngine : public QIconEngine
{
public:
    explicit DrawnEngine(Picture picture)
        : m_picture(picture)
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QPalette palette = QGuiApplication::palette();
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::TextAntialiasing);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.45);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 24.0, rect.height() / 24.0);
        paintPicture(*painter, m_picture, palette.color(QPalette::Active, QPalette::WindowText));
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine *clone() const override { return new DrawnEngine(m_picture); }

private:
    Picture m_picture;
};

} // namespace

QIcon drawn(Picture picture)
{
    return QIcon(new DrawnEngine(picture));
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
