#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn in code so they stay sharp and need no
// image files.
namespace Artwork {

// Speed arrows, 10 x 12: 0 left, 1 left pressed, 2 right, 3 right pressed.
QPixmap speedArrow(int index);
// The application's icon at any size (24 x 24 for the tray).
QIcon applicationIcon();
QPixmap applicationPixmap(int size);
// The maker's logo, 121 x 74.
QPixmap logo();
// Feedback button glyphs, 21 x 21.
QIcon thumb(bool up);
// A corner skin of the window frame: the surface in the panel's colour with a
// dotted edge line through the given points.
QPixmap cornerSkin(QSize size, const QColor &surface, const QColor &pen, const QPolygon &edge);

} // namespace Artwork
