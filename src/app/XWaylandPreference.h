#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// Wayland clients cannot place their windows, so output frames and custom rectangles would mean
// nothing there. On a Wayland session with an X server at hand (XWayland) the application asks Qt for
// its X11 platform instead, unless the user chose a platform (QT_QPA_PLATFORM, or -platform).
namespace XWaylandPreference {

// Whether to ask for X11, given the environment (only the variables that are set) and the arguments.
bool wantsXcb(const QMap<QString, QString>& environment, const QStringList& arguments);

// Sets QT_QPA_PLATFORM to xcb when wantsXcb says so. Call before the application object exists.
void apply(int argc, char** argv);

} // namespace XWaylandPreference
