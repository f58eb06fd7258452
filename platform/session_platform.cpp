#include "platform/session_platform.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstring>
#include <vector>

SessionPlatform::Session SessionPlatform::current(int argc, char **argv)
{
    Session session;
    session.qpaPlatform = qgetenv("QT_QPA_PLATFORM");
    session.display = qgetenv("DISPLAY");
    session.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    session.sessionType = qgetenv("XDG_SESSION_TYPE");
    for (int i = 1; i < argc; ++i) {
        // Qt takes its options with one dash or two.
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            session.platformArgument = true;
    }
    return session;
}

bool SessionPlatform::prefersX11(const Session &session)
{
    if (!session.qpaPlatform.isEmpty() || session.platformArgument || session.display.isEmpty())
        return false;
    // Outside Wayland Qt runs on X11 by itself; the probe is saved there.
    return !session.waylandDisplay.isEmpty() || session.sessionType == "wayland";
}

bool SessionPlatform::xServerReachable()
{
    // A full connection, authorisation included: what Qt's X11 plugin needs.
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

void SessionPlatform::choose(int &argc, char **&argv)
{
    if (!prefersX11(current(argc, argv)) || !xServerReachable())
        return;
    // The application object keeps argc and argv for the program's life.
    static char platformOption[] = "-platform";
    static char platformName[] = "xcb";
    static std::vector<char *> arguments;
    arguments.assign(argv, argv + argc);
    arguments.insert(arguments.begin() + (argc > 0 ? 1 : 0), {platformOption, platformName});
    arguments.push_back(nullptr);
    argc += 2;
    argv = arguments.data();
}

bool SessionPlatform::compositorPlacesWindows()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
