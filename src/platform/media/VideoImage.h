#pragma once

#include <QByteArray>

// A decoded picture in RGBX8888 (4 bytes a pixel, rows of width * 4 bytes, no padding), so that the
// widget-free side can hold posters; the widgets wrap it as a QImage without copying.
struct VideoImage {
    int width = 0;
    int height = 0;
    QByteArray pixels;

    bool isNull() const { return width <= 0 || height <= 0 || pixels.isEmpty(); }
    qsizetype bytesPerLine() const { return qsizetype(width) * 4; }
};
