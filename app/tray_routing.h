#pragma once

#include <QtGlobal>

// Numbers of the main window's private requests and of the tray's messages.
namespace Requests {
inline constexpr unsigned DictionaryChanged = 49152;  // 0xC000
inline constexpr unsigned TrayNotification = 49153;   // 0xC001
inline constexpr unsigned Restore = 49155;            // 0xC003
inline constexpr unsigned TrayMenu = 49156;           // 0xC004
inline constexpr unsigned TrayCommand = 49157;        // 0xC005
inline constexpr unsigned DictionaryDone = 49158;     // 0xC006

inline constexpr unsigned Command = 273;              // a menu command
inline constexpr unsigned LeftButtonDown = 513;
inline constexpr unsigned LeftButtonUp = 514;
inline constexpr unsigned LeftButtonDoubleClick = 515;
inline constexpr unsigned RightButtonDown = 516;
inline constexpr unsigned RightButtonUp = 517;
inline constexpr unsigned RightButtonDoubleClick = 518;
inline constexpr unsigned MouseMove = 512;

// Tray menu command ids; the range is reserved for the tray menu.
inline constexpr int FirstTrayCommand = 49253;
inline constexpr int LastTrayCommand = 49272;
inline constexpr int CommandRestore = 49253;
inline constexpr int CommandExit = 49254;
inline constexpr int CommandDictionaries = 49255;
inline constexpr int CommandVisitSite = 49256;
inline constexpr int CommandProgress = 49257;
inline constexpr int CommandReview = 49258;
} // namespace Requests

// What the application's message router does with one message.
struct TrayRoute
{
    // The request to send to the main window, 0 for none. For a tray menu
    // request the caller adds the pointer's screen position.
    unsigned request = 0;
    // Whether the message also goes on to the default handling.
    bool passOn = true;
};

// Routes a message that reached the application's hidden window: tray
// notifications become restore or menu requests (other mouse messages are
// swallowed), tray menu commands become tray command requests and are also
// passed on, anything else is only passed on.
TrayRoute RouteApplicationMessage(unsigned message, quint64 wParam, qint64 lParam);
