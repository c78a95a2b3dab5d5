#include "app/XWaylandPreference.h"

#include <gtest/gtest.h>

TEST(XWaylandPreferenceTest, AsksForX11OnlyOnWaylandWithAnXServerAndNoPlatformChosen) {
    using Env = QMap<QString, QString>;
    // A Wayland display and an X server, with what a case adds.
    const auto both = [](Env more) {
        more.insert("WAYLAND_DISPLAY", "wayland-0");
        more.insert("DISPLAY", ":0");
        return more;
    };
    const struct {
        const char* name;
        Env environment;
        QStringList arguments;
        bool expected;
    } cases[] = {
        {"Wayland display and X server", both({}), {}, true},
        {"Wayland session and X server", {{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}}, {}, true},
        {"only Wayland", {{"WAYLAND_DISPLAY", "wayland-0"}}, {}, false},
        {"an empty DISPLAY", {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ""}}, {}, false},
        {"an X11 session", {{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}}, {}, false},
        {"nothing at all", {}, {}, false},
        {"the user's platform", both({{"QT_QPA_PLATFORM", "wayland"}}), {}, false},
        {"an empty platform variable", both({{"QT_QPA_PLATFORM", ""}}), {}, true},
        {"-platform", both({}), {"-platform", "wayland"}, false},
        {"--platform", both({}), {"--platform", "wayland"}, false},
        {"other arguments", both({}), {"list.orvplaylist"}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(XWaylandPreference::wantsXcb(c.environment, c.arguments), c.expected) << c.name;
}
