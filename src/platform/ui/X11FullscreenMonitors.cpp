#include "platform/ui/X11FullscreenMonitors.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace X11FullscreenMonitors {

namespace {

// The application's own X connection; none on other platforms.
xcb_connection_t* connection() {
    auto* app = qGuiApp;
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

constexpr char RequestName[] = "_NET_WM_FULLSCREEN_MONITORS";
// The request comes from an application (EWMH source indication).
constexpr uint32_t FromApplication = 1;

} // namespace

bool isSupported() {
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    const xcb_atom_t supported = atom(c, "_NET_SUPPORTED");
    const xcb_atom_t wanted = atom(c, RequestName);
    if (supported == XCB_ATOM_NONE || wanted == XCB_ATOM_NONE)
        return false;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(c, 0, rootWindow(c), supported, XCB_ATOM_ATOM, 0, 4096);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, cookie, nullptr), &std::free);
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    for (int i = 0; i < count; ++i) {
        if (atoms[i] == wanted)
            return true;
    }
    return false;
}

bool request(QWindow* window, const Edges& edges) {
    xcb_connection_t* c = connection();
    if (!c || !window || !window->handle())
        return false;
    const xcb_atom_t type = atom(c, RequestName);
    if (type == XCB_ATOM_NONE)
        return false;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->winId());
    event.type = type;
    event.data.data32[0] = uint32_t(edges.top);
    event.data.data32[1] = uint32_t(edges.bottom);
    event.data.data32[2] = uint32_t(edges.left);
    event.data.data32[3] = uint32_t(edges.right);
    event.data.data32[4] = FromApplication;
    xcb_send_event(c, 0, rootWindow(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    return true;
}

} // namespace X11FullscreenMonitors
