#include "x11_desktop.h"

#include <QApplication>
#include <QThread>
#include <QWidget>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    xcb_atom_t atom = XCB_ATOM_NONE;
    if (reply)
        atom = reply->atom;
    std::free(reply);
    return atom;
}

xcb_connection_t* X11Connection()
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t Root(xcb_connection_t* connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

bool WindowManagerRuns(xcb_connection_t* connection)
{
    const auto check =
        xcb_get_property(connection, 0, Root(connection),
                         Atom(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1);
    xcb_get_property_reply_t* wm = xcb_get_property_reply(connection, check, nullptr);
    const bool managed = wm && xcb_get_property_value_length(wm) > 0;
    std::free(wm);
    return managed;
}

// A message to the window manager about `target`, sent as EWMH asks: to the
// root window, for whoever redirects its children.
void SendToWindowManager(xcb_connection_t* connection, xcb_window_t target, const char* type,
                         std::initializer_list<uint32_t> data)
{
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = target;
    event.type = Atom(connection, type);
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(connection, 0, Root(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

// How long the window manager has to tell its frame: a running one answers
// within a few milliseconds, and start-up waits no longer than this for it.
constexpr int kExtentsTries = 25;
constexpr int kExtentsRetryMs = 4;

} // namespace

// Qt asks X for the focus with the time of the last event the game saw, which
// is older than the player's last click elsewhere, so X ignores the request.
void ActivateOnX11(QWidget& front)
{
    xcb_connection_t* connection = X11Connection();
    if (!connection || !front.isVisible())
        return;
    const auto target = static_cast<xcb_window_t>(front.winId());
    if (WindowManagerRuns(connection)) {
        // 2: from a pager, the user's own request, which window managers honour.
        SendToWindowManager(connection, target, "_NET_ACTIVE_WINDOW", {2, XCB_CURRENT_TIME});
    } else {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, target, XCB_CURRENT_TIME);
        xcb_flush(connection);
    }
}

// EWMH's _NET_REQUEST_FRAME_EXTENTS exists for exactly this: a window placed
// by its frame before it is mapped.
QMargins RequestFrameExtents(QWidget& window)
{
    xcb_connection_t* connection = X11Connection();
    if (!connection || !WindowManagerRuns(connection))
        return {};
    const auto target = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t extents = Atom(connection, "_NET_FRAME_EXTENTS");
    SendToWindowManager(connection, target, "_NET_REQUEST_FRAME_EXTENTS", {});
    for (int attempt = 0; attempt < kExtentsTries; ++attempt) {
        const auto cookie =
            xcb_get_property(connection, 0, target, extents, XCB_ATOM_CARDINAL, 0, 4);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
        QMargins margins;
        bool known = false;
        if (reply && xcb_get_property_value_length(reply) == 4 * sizeof(uint32_t)) {
            // Left, right, top, bottom.
            const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply));
            margins = QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]),
                               static_cast<int>(v[1]), static_cast<int>(v[3]));
            known = true;
        }
        std::free(reply);
        if (known)
            return margins;
        QThread::msleep(kExtentsRetryMs);
    }
    return {};
}

bool X11DisplayOpens()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool opens = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return opens;
}
