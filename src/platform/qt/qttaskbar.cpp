#include "platform/qt/qttaskbar.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef CHRONIVO_HAVE_XCB
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// The X connection of the application; none on other platforms, nor on the off-screen one, which
// answers as an X11 application without a connection.
xcb_connection_t* X11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    return connection && xcb_connection_has_error(connection) == 0 ? connection : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(strlen(name)), name), nullptr);
    xcb_atom_t atom = XCB_ATOM_NONE;
    if (reply)
        atom = reply->atom;
    free(reply);
    return atom;
}

// The window's own _NET_WM_STATE list with skipTaskbar added or taken out. A window manager reads it
// when the window is mapped; Qt keeps atoms of others when it writes its own there.
void WriteStateProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t netWmState,
                        xcb_atom_t skipTaskbar, bool skip)
{
    std::vector<xcb_atom_t> atoms;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, netWmState, XCB_ATOM_ATOM, 0, 1024), nullptr);
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    std::erase(atoms, skipTaskbar);
    if (skip)
        atoms.push_back(skipTaskbar);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, netWmState, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
}

// A mapped window's state belongs to the window manager, which takes requests as client messages.
void AskWindowManager(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window, xcb_atom_t netWmState,
                      xcb_atom_t skipTaskbar, bool skip)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = netWmState;
    event.data.data32[0] = skip ? 1 : 0; // _NET_WM_STATE_ADD or _REMOVE
    event.data.data32[1] = skipTaskbar;
    event.data.data32[3] = 1; // from a normal application
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

} // namespace

void SetTaskbarEntry(QWidget& window, bool shown)
{
    xcb_connection_t* connection = X11Connection();
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t netWmState = Atom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (netWmState == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE)
        return;
    // Whether the window is mapped now or about to be, one of the two reaches the window manager.
    WriteStateProperty(connection, id, netWmState, skipTaskbar, !shown);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    AskWindowManager(connection, screen->root, id, netWmState, skipTaskbar, !shown);
    xcb_flush(connection);
}

void ClearMinimizedStart(QWidget& window)
{
    xcb_connection_t* connection = X11Connection();
    if (!connection || !window.windowHandle())
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    // WM_HINTS: nine numbers, the first the flags; StateHint (2) makes the third the initial state.
    constexpr std::uint32_t kStateHint = 2;
    constexpr std::uint32_t kNormalState = 1;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9), nullptr);
    std::uint32_t hints[9] = {};
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_WM_HINTS)
        std::memcpy(
            hints, xcb_get_property_value(reply),
            std::min<std::size_t>(sizeof hints, static_cast<std::size_t>(xcb_get_property_value_length(reply))));
    free(reply);
    hints[0] |= kStateHint;
    hints[2] = kNormalState;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, hints);
    xcb_flush(connection);
}

namespace {

// The first number of the window's WM_STATE, which the window manager sets while it has the window;
// none when it has not.
std::optional<std::uint32_t> WindowManagerState(QWidget& window)
{
    xcb_connection_t* connection = X11Connection();
    const xcb_atom_t wmState = Atom(connection, "WM_STATE");
    if (wmState == XCB_ATOM_NONE)
        return std::nullopt;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, static_cast<xcb_window_t>(window.winId()), wmState, wmState, 0, 2),
        nullptr);
    std::optional<std::uint32_t> state;
    if (reply && reply->type == wmState && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        state = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    free(reply);
    return state;
}

} // namespace

bool ManagedByWindowManager(QWidget& window)
{
    if (!X11Connection() || !window.windowHandle())
        return true;
    return WindowManagerState(window).has_value();
}

bool IconicForWindowManager(QWidget& window)
{
    if (!X11Connection() || !window.windowHandle())
        return true;
    constexpr std::uint32_t kIconicState = 3;
    return WindowManagerState(window) == kIconicState;
}

void MapAgainIfUnmapped(QWidget& window)
{
    xcb_connection_t* connection = X11Connection();
    if (!connection || !window.windowHandle())
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr);
    const bool unmapped = reply && reply->map_state == XCB_MAP_STATE_UNMAPPED;
    free(reply);
    if (!unmapped)
        return;
    xcb_map_window(connection, id);
    xcb_flush(connection);
}

void AskIconic(QWidget& window)
{
    xcb_connection_t* connection = X11Connection();
    if (!connection || !window.windowHandle())
        return;
    const xcb_atom_t changeState = Atom(connection, "WM_CHANGE_STATE");
    if (changeState == XCB_ATOM_NONE)
        return;
    constexpr std::uint32_t kIconicState = 3;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window.winId());
    event.type = changeState;
    event.data.data32[0] = kIconicState;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

#else

void SetTaskbarEntry(QWidget& /*window*/, bool /*shown*/) {}
void ClearMinimizedStart(QWidget& /*window*/) {}
bool ManagedByWindowManager(QWidget& /*window*/)
{
    return true;
}
bool IconicForWindowManager(QWidget& /*window*/)
{
    return true;
}
void MapAgainIfUnmapped(QWidget& /*window*/) {}
void AskIconic(QWidget& /*window*/) {}

#endif
