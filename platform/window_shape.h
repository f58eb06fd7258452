#pragma once

#include <QPolygon>

class QWidget;

namespace WindowShape {

// Cuts the window to the polygon (window coordinates); outside it the window
// neither shows nor takes the mouse.
void apply(QWidget *window, const QPolygon &outline);

} // namespace WindowShape
