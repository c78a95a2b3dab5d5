#include "platform/ui/X11ScreenSaver.h"

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <xcb/screensaver.h>
#include <xcb/xcb.h>

namespace X11ScreenSaver {

namespace {

// The application's X connection where the server can suspend its screen saver (version 1.1); none
// otherwise. A request of an extension the server lacks would close the connection, so it is asked first.
xcb_connection_t* suspendingConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return nullptr;
    static xcb_connection_t* checked = nullptr;
    static bool supported = false;
    if (checked != c) {
        checked = c;
        const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_screensaver_id);
        supported = false;
        if (extension && extension->present) {
            std::unique_ptr<xcb_screensaver_query_version_reply_t, decltype(&std::free)> version(
                xcb_screensaver_query_version_reply(c, xcb_screensaver_query_version(c, 1, 1), nullptr),
                &std::free);
            supported =
                version && (version->server_major_version > 1 ||
                            (version->server_major_version == 1 && version->server_minor_version >= 1));
        }
    }
    return supported ? c : nullptr;
}

} // namespace

bool suspend(bool on) {
    xcb_connection_t* c = suspendingConnection();
    if (!c)
        return false;
    xcb_screensaver_suspend(c, on ? 1 : 0);
    xcb_flush(c);
    return true;
}

} // namespace X11ScreenSaver
