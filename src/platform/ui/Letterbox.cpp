#include "platform/ui/Letterbox.h"

#include <algorithm>
#include <cmath>

QRect letterboxRect(QSize content, QSize area) {
    if (content.isEmpty() || area.isEmpty())
        return {};
    const double scale =
        std::min(double(area.width()) / content.width(), double(area.height()) / content.height());
    const int width = std::min(area.width(), int(std::lround(content.width() * scale)));
    const int height = std::min(area.height(), int(std::lround(content.height() * scale)));
    return {(area.width() - width) / 2, (area.height() - height) / 2, width, height};
}
