#include "app/XWaylandPreference.h"

#include <gtest/gtest.h>

TEST(XWaylandPreferenceTest, AsksForX11OnlyOnWaylandWithAnXServerAndNoPlatformChosen) {
    using Env = QMap<QString, QString>;
    const struct {
        const char* name;
        Env environment;
        QStringList arguments;
        bool expected;
    } cases[] = {
        {"Wayland display and X server", {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, {}, true},
        {"Wayland session and X server", {{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}}, {}, true},
        {"only Wayland", {{"WAYLAND_DISPLAY", "wayland-0"}}, {}, false},
        {"an empty DISPLAY", {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ""}}, {}, false},
        {"an X11 session", {{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}}, {}, false},
        {"nothing at all", {}, {}, false},
        {"the user's platform",
         {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}},
         {},
         false},
        {"an empty platform variable",
         {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", ""}},
         {},
         true},
        {"-platform", {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, {"-platform", "wayland"}, false},
        {"--platform",
         {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}},
         {"--platform", "wayland"},
         false},
        {"other arguments",
         {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}},
         {"list.orvplaylist"},
         true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(XWaylandPreference::wantsXcb(c.environment, c.arguments), c.expected) << c.name;
}
