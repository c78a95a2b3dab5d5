#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <optional>

// The rectangle arithmetic of the output window and the display identification window. Rectangles are
// origin and size in Qt's global coordinates (y grows downwards); the empty rectangle is all zeros.
// All pure functions, so the widgets that call them stay free of geometry.
namespace OutputFrames {

// A rectangle with no area: zero or negative width or height.
bool isEmptyRect(const QRectF& rect);

// The smallest rectangle holding both; an empty rectangle does not enlarge it, and two empty ones give
// the empty rectangle.
QRectF unionRect(const QRectF& a, const QRectF& b);

// Whether outer encloses inner completely. An empty inner rectangle is enclosed by nothing.
bool containsRect(const QRectF& outer, const QRectF& inner);

// The union of the display frames, starting from the empty rectangle: the bounding box, so the gaps
// between displays that do not touch lie inside it.
QRectF allDisplaysFrame(const QList<QRectF>& displays);

// The origin that centres a window of the given size on the display, in 32-bit floats.
QPointF centredOrigin(const QSizeF& window, const QRectF& display);

// The displays at the top, bottom, left and right edges of a frame that is exactly the union of two or
// more whole displays (as indexes into displays); none for any other frame. A fullscreen window spans
// such a frame when the window manager is told these four.
struct EdgeDisplays {
    int top = 0, bottom = 0, left = 0, right = 0;
    bool operator==(const EdgeDisplays&) const = default;
};
std::optional<EdgeDisplays> edgeDisplays(const QRectF& frame, const QList<QRectF>& displays);

// What an output mode (the fullScreenType setting) asks for.
struct OutputMode {
    bool isPreviewPlayback = true;
    // The output window's new frame; none in the preview mode, which leaves the window where it is.
    std::optional<QRectF> frame;
};

struct OutputModeInputs {
    QRectF selectedDisplay; // the display the chooser's selected item stands for; empty without one
    QList<QRectF> displays; // every display, in the platform's order
    float customX = 0, customY = 0, customWidth = 0, customHeight = 0;
};

// Mode 0 preview, 1 the selected display, 2 all displays, 3 the custom frame. Any other value, negative
// ones included, asks for nothing at all.
std::optional<OutputMode> outputMode(qint64 fullScreenType, const OutputModeInputs& inputs);

} // namespace OutputFrames
