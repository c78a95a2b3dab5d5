#pragma once

#include <QRect>
#include <QSize>

// The largest rectangle with the content's proportions that fits in the area, centred in it; the rest
// of the area shows black. Empty when either size is empty.
QRect letterboxRect(QSize content, QSize area);
