#pragma once

#include <QMargins>
#include <QPoint>

#include <optional>

class QWidget;

// The window manager's frame around a top-level window, as the window system
// itself has it. The toolkit keeps an idea of its own, which a window manager
// that frames a window late can leave behind: it may take a framed window
// for an unframed one for good.
namespace WindowFrame {

struct State
{
    QPoint client;    // the client area's top-left corner on the screen
    QMargins margins; // the frame around it; all zero while it is not framed
};

// Nothing where the window system does not tell (Wayland, offscreen), or
// for a window not yet created.
std::optional<State> current(const QWidget *window);

// Puts the client area's top-left corner at the point of the screen, as
// given, whatever frame the toolkit believes the window has.
void moveClient(QWidget *window, QPoint client);

} // namespace WindowFrame
