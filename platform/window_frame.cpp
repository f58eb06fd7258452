#include "platform/window_frame.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t frameExtentsAtom(xcb_connection_t *connection)
{
    static constexpr char Name[] = "_NET_FRAME_EXTENTS";
    const ReplyPointer<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, std::strlen(Name), Name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

std::optional<WindowFrame::State> WindowFrame::current(const QWidget *window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !window->windowHandle()
        || !window->testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    const auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return std::nullopt;

    static const xcb_atom_t extents = frameExtentsAtom(connection);
    const auto extentsCookie = xcb_get_property(connection, 0, id, extents, XCB_ATOM_CARDINAL, 0, 4);
    const auto placeCookie = xcb_translate_coordinates(connection, id, screen->root, 0, 0);
    const ReplyPointer<xcb_get_property_reply_t> extentsReply(
        xcb_get_property_reply(connection, extentsCookie, nullptr), &std::free);
    const ReplyPointer<xcb_translate_coordinates_reply_t> placeReply(
        xcb_translate_coordinates_reply(connection, placeCookie, nullptr), &std::free);
    if (!placeReply)
        return std::nullopt;

    State state;
    state.client = QPoint(placeReply->dst_x, placeReply->dst_y);
    if (extentsReply && extentsReply->format == 32 && xcb_get_property_value_length(extentsReply.get()) == 16) {
        const auto *values = static_cast<const quint32 *>(xcb_get_property_value(extentsReply.get()));
        // left, right, top, bottom
        state.margins = QMargins(static_cast<int>(values[0]), static_cast<int>(values[2]),
                                 static_cast<int>(values[1]), static_cast<int>(values[3]));
    }
    return state;
}

void WindowFrame::moveClient(QWidget *window, QPoint client)
{
    if (QWindow *handle = window->windowHandle())
        handle->setPosition(client);
    else
        window->move(client);
}
