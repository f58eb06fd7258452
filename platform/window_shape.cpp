#include "platform/window_shape.h"

#include <QRegion>
#include <QWidget>

void WindowShape::apply(QWidget *window, const QPolygon &outline)
{
    window->setMask(QRegion(outline, Qt::OddEvenFill));
}
