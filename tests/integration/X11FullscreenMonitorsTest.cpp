// The request for fullscreen across several monitors, as a window manager receives it: this test's
// own X connection plays the window manager, announcing the request in _NET_SUPPORTED and listening
// on the root window.
#include "platform/ui/X11FullscreenMonitors.h"

#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <xcb/xcb.h>

namespace {

template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Waits until the server has handled everything the connection sent.
void sync(xcb_connection_t* c) {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

} // namespace

TEST(X11FullscreenMonitorsTest, TheRequestReachesAWindowManagerThatSupportsIt) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "not on X11";
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> wm(xcb_connect(nullptr, nullptr),
                                                                    &xcb_disconnect);
    ASSERT_EQ(xcb_connection_has_error(wm.get()), 0);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(wm.get())).data->root;
    const xcb_atom_t supported = atom(wm.get(), "_NET_SUPPORTED");
    const xcb_atom_t monitors = atom(wm.get(), "_NET_WM_FULLSCREEN_MONITORS");

    // The test's X server runs no window manager.
    EXPECT_FALSE(X11FullscreenMonitors::isSupported());

    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(wm.get(), root, XCB_CW_EVENT_MASK, &mask);
    xcb_change_property(wm.get(), XCB_PROP_MODE_REPLACE, root, supported, XCB_ATOM_ATOM, 32, 1, &monitors);
    sync(wm.get());
    EXPECT_TRUE(X11FullscreenMonitors::isSupported());

    QWidget window;
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(X11FullscreenMonitors::request(window.windowHandle(), {1, 2, 3, 4}));

    std::optional<xcb_client_message_event_t> received;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(wm.get()), &std::free}) {
                if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
                    continue;
                const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event.get());
                if (message->type == monitors)
                    received = *message;
            }
            return received.has_value();
        },
        10000));
    xcb_delete_property(wm.get(), root, supported);
    sync(wm.get());
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(received->window, xcb_window_t(window.winId()));
    EXPECT_EQ(received->format, 32);
    const uint32_t expected[] = {1, 2, 3, 4, 1}; // top, bottom, left, right, from an application
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(received->data.data32[i], expected[i]) << i;

    EXPECT_FALSE(X11FullscreenMonitors::isSupported());
}
