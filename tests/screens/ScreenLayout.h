#pragma once

#include <QJsonArray>
#include <QJsonObject>

// The screens the test application runs with: each executable's test file defines this for main().
// The offscreen platform adds screens in the order of their names, the first as the primary screen.
QJsonArray screenLayout();

inline QJsonObject screenConfig(const char* name, int x, int y, int width, int height) {
    return QJsonObject{{"name", name},         {"x", x},           {"y", y},
                       {"width", width},       {"height", height}, {"logicalDpi", 96},
                       {"logicalBaseDpi", 96}, {"dpr", 1.0}};
}
