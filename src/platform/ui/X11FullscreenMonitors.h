#pragma once

class QWindow;

// Fullscreen across several monitors on X11 (_NET_WM_FULLSCREEN_MONITORS): the window manager is told
// which monitors hold the top, bottom, left and right edges of a fullscreen window. Monitor indexes
// are the X server's monitor order, which is also the order of Qt's screens (the primary one first).
// Every call is false off X11 or without a window manager that lists the request as supported.
// Main thread only.
namespace X11FullscreenMonitors {

// The monitors (indexes in the X server's order) at a fullscreen window's four edges.
struct Edges {
    int top = 0, bottom = 0, left = 0, right = 0;
};

// Whether the window manager says it honours the request (_NET_SUPPORTED on the root window).
bool isSupported();

// Asks the window manager to span the window's fullscreen state over the edges' monitors. Call once
// the window is shown: a window manager answers only for the windows it manages.
bool request(QWindow* window, const Edges& edges);

} // namespace X11FullscreenMonitors
