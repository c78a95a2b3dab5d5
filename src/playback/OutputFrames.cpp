#include "playback/OutputFrames.h"

#include <algorithm>

namespace OutputFrames {

bool isEmptyRect(const QRectF& rect) {
    return rect.width() <= 0 || rect.height() <= 0;
}

QRectF unionRect(const QRectF& a, const QRectF& b) {
    if (isEmptyRect(a))
        return isEmptyRect(b) ? QRectF() : b;
    if (isEmptyRect(b))
        return a;
    const qreal left = std::min(a.left(), b.left());
    const qreal top = std::min(a.top(), b.top());
    const qreal right = std::max(a.right(), b.right());
    const qreal bottom = std::max(a.bottom(), b.bottom());
    return QRectF(left, top, right - left, bottom - top);
}

bool containsRect(const QRectF& outer, const QRectF& inner) {
    return !isEmptyRect(inner) && outer.left() <= inner.left() && outer.top() <= inner.top() &&
           outer.right() >= inner.right() && outer.bottom() >= inner.bottom();
}

QRectF allDisplaysFrame(const QList<QRectF>& displays) {
    QRectF frame;
    for (const QRectF& display : displays)
        frame = unionRect(frame, display);
    return frame;
}

QPointF centredOrigin(const QSizeF& window, const QRectF& display) {
    const float halfWidth = float(window.width()) * 0.5f;
    const float halfHeight = float(window.height()) * 0.5f;
    const float x = float(display.x()) + float(display.width()) * 0.5f - halfWidth;
    const float y = float(display.y()) + float(display.height()) * 0.5f - halfHeight;
    return QPointF(x, y);
}

std::optional<EdgeDisplays> edgeDisplays(const QRectF& frame, const QList<QRectF>& displays) {
    QList<int> covered;
    QList<QRectF> coveredFrames;
    for (int i = 0; i < displays.size(); ++i) {
        if (containsRect(frame, displays[i])) {
            covered.append(i);
            coveredFrames.append(displays[i]);
        }
    }
    if (covered.size() < 2 || allDisplaysFrame(coveredFrames) != frame)
        return std::nullopt;
    EdgeDisplays edges{covered[0], covered[0], covered[0], covered[0]};
    for (int i : covered) {
        if (displays[i].top() < displays[edges.top].top())
            edges.top = i;
        if (displays[i].bottom() > displays[edges.bottom].bottom())
            edges.bottom = i;
        if (displays[i].left() < displays[edges.left].left())
            edges.left = i;
        if (displays[i].right() > displays[edges.right].right())
            edges.right = i;
    }
    return edges;
}

std::optional<OutputMode> outputMode(qint64 fullScreenType, const OutputModeInputs& inputs) {
    // Compared as unsigned, so negative values are out of range too.
    switch (static_cast<quint64>(fullScreenType)) {
    case 0:
        return OutputMode{true, std::nullopt};
    case 1:
        return OutputMode{false, inputs.selectedDisplay};
    case 2:
        return OutputMode{false, allDisplaysFrame(inputs.displays)};
    case 3:
        return OutputMode{false,
                          QRectF(inputs.customX, inputs.customY, inputs.customWidth, inputs.customHeight)};
    default:
        return std::nullopt;
    }
}

} // namespace OutputFrames
