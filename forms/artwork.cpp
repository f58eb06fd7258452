#include "forms/artwork.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor WindowBlue(0, 0, 255);

} // namespace

QPixmap Artwork::speedArrow(int index)
{
    QPixmap pixmap(10, 12);
    pixmap.fill(WindowBlue);
    QPainter p(&pixmap);
    const bool left = index < 2;
    const bool pressed = index % 2 == 1;
    const QPolygon triangle = left ? QPolygon({QPoint(9, 0), QPoint(9, 11), QPoint(0, 6)})
                                   : QPolygon({QPoint(0, 0), QPoint(0, 11), QPoint(9, 6)});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 60));
    p.drawPolygon(triangle);
    // The normal picture is lit red along its upper edge, the pressed one
    // purple along its lower edge.
    p.setPen(QPen(pressed ? QColor(160, 0, 200) : QColor(255, 40, 40), 1));
    if (pressed)
        p.drawLine(triangle.point(left ? 2 : 1), triangle.point(left ? 1 : 2));
    else
        p.drawLine(triangle.point(left ? 2 : 0), triangle.point(left ? 0 : 2));
    return pixmap;
}

QPixmap Artwork::applicationPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    // Two cards: a blue one with "A" and a yellow one with "Я" over it.
    p.setPen(QPen(QColor(10, 10, 80), 1));
    p.setBrush(QColor(40, 70, 230));
    p.drawRoundedRect(QRectF(1.5, 1.5, 15, 15), 3, 3);
    p.setBrush(QColor(255, 220, 40));
    p.drawRoundedRect(QRectF(7.5, 7.5, 15, 15), 3, 3);
    // The windows' own face: no face of its own to load and keep.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setBold(true);
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1.0, 11, 11), Qt::AlignCenter, QStringLiteral("A"));
    p.setPen(QColor(10, 10, 80));
    p.drawText(QRectF(9.5, 9.5, 13, 13), Qt::AlignCenter, QStringLiteral("Я"));
    return pixmap;
}

QIcon Artwork::applicationIcon()
{
    QIcon icon;
    // Window and tray sizes; larger ones come from the installed icon theme.
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(applicationPixmap(size));
    return icon;
}

QPixmap Artwork::logo()
{
    QPixmap pixmap(121, 74);
    pixmap.fill(WindowBlue);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPixmap(QRect(6, 13, 48, 48), applicationPixmap(48));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setBold(true);
    font.setPixelSize(15);
    p.setFont(font);
    p.setPen(QColor(255, 255, 0));
    p.drawText(QRect(56, 14, 64, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lexo"));
    p.setPen(Qt::white);
    p.drawText(QRect(56, 36, 64, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("mat"));
    return pixmap;
}

QIcon Artwork::thumb(bool up)
{
    QPixmap pixmap(21, 21);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (!up) {
        // The lowered thumb is the raised one turned upside down.
        p.translate(21, 21);
        p.rotate(180);
    }
    p.setPen(QPen(QColor(60, 30, 0), 1));
    p.setBrush(up ? QColor(255, 210, 80) : QColor(240, 160, 60));
    QPainterPath hand;
    hand.addRoundedRect(QRectF(7, 9, 11, 10), 2, 2);
    hand.addRoundedRect(QRectF(8.5, 2, 4, 9), 2, 2);
    p.drawPath(hand.simplified());
    p.setBrush(QColor(40, 70, 230));
    p.drawRect(QRectF(2, 9.5, 4, 9));
    return pixmap;
}

QPixmap Artwork::cornerSkin(QSize size, const QColor &surface, const QColor &pen, const QPolygon &edge)
{
    QPixmap pixmap(size);
    pixmap.fill(surface);
    QPainter p(&pixmap);
    p.setPen(QPen(pen, 2, Qt::DotLine));
    p.drawPolyline(edge);
    return pixmap;
}
