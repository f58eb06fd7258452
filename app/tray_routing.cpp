#include "app/tray_routing.h"

TrayRoute RouteApplicationMessage(unsigned message, quint64 wParam, qint64 lParam)
{
    using namespace Requests;
    if (message == TrayNotification) {
        if (lParam == LeftButtonDown)
            return {Restore, false};
        if (lParam == RightButtonUp)
            return {TrayMenu, false};
        return {0, false};
    }
    if (message == Command && wParam >= static_cast<quint64>(FirstTrayCommand)
        && wParam <= static_cast<quint64>(LastTrayCommand))
        return {TrayCommand, true};
    return {0, true};
}
