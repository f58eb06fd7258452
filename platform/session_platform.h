#pragma once

#include <QByteArray>

// Which windowing system the program runs on. Lexomat places its windows
// itself (the main window centred on its first showing, the flash window in
// the screen's corner or where it was left) and moves its borderless frame
// itself; a Wayland client can do neither, so in a Wayland session with an
// X server at hand (XWayland) it runs on X11. A choice the user made with
// QT_QPA_PLATFORM or -platform is always followed.
namespace SessionPlatform {

// What the choice is made from.
struct Session
{
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM
    QByteArray display;        // DISPLAY
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray sessionType;    // XDG_SESSION_TYPE
    bool platformArgument = false; // -platform on the command line
};

Session current(int argc, char **argv);

// Whether the X server of the session is worth trying instead of Wayland:
// nobody chose, Wayland is in play and DISPLAY names a server.
bool prefersX11(const Session &session);

// Whether the X server DISPLAY names accepts a connection.
bool xServerReachable();

// Before the application object exists: where X11 is preferred and its
// server answers, adds "-platform xcb" to the command line the application
// object is made from. The environment stays as it is, so programs started
// from Lexomat (the browser) keep the user's session.
void choose(int &argc, char **&argv);

// After the application object exists: whether the compositor, not the
// program, moves and places the windows (Wayland).
bool compositorPlacesWindows();

} // namespace SessionPlatform
