#include "forms/shape.h"

#include <QPainter>

Shape::Shape(QWidget *parent)
    : QWidget(parent)
{
}

void Shape::setBrushColor(const QColor &colour)
{
    if (colour == m_brush)
        return;
    m_brush = colour;
    update();
}

void Shape::setPenWidth(int width)
{
    m_penWidth = width;
    update();
}

void Shape::setRounded(bool rounded)
{
    m_rounded = rounded;
    update();
}

void Shape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_rounded);
    painter.setPen(QPen(Qt::black, m_penWidth));
    painter.setBrush(m_brush);
    const qreal inset = m_penWidth / 2.0;
    const QRectF area = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (m_rounded) {
        // The corner radius of a rounded shape scales with its smaller side.
        const qreal radius = std::min(width(), height()) / 8.0;
        painter.drawRoundedRect(area, radius, radius);
    } else {
        painter.drawRect(area);
    }
}
