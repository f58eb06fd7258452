#include "forms/label_fit.h"

#include <QLabel>

void fitLabelAroundCentre(QLabel *label)
{
    const int centre = label->x() + label->width() / 2;
    label->adjustSize();
    label->move(centre - label->width() / 2, label->y());
}
