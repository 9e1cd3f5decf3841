#include "Fonts.h"

#include <algorithm>
#include <cmath>

namespace report {

QFont PictureFont(double pointSize) {
    QFont font(SansFace);
    font.setStyleHint(QFont::SansSerif);
    const double pixels = std::clamp(pointSize, 1.0, 200.0) * 96.0 / 72.0;
    font.setPixelSize(static_cast<int>(std::lround(pixels)));
    return font;
}

} // namespace report
