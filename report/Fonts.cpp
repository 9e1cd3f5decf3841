#include "Fonts.h"

namespace report {

QFont PictureFont(double pointSize) {
    QFont font(SansFace);
    font.setPointSizeF(pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace report
