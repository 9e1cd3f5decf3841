#include "ResultPictures.h"

namespace report {
namespace {

QImage WhitePicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    // 96 dots per inch, the resolution the pictures' point sizes are meant for.
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(3780);
    return picture;
}

} // namespace

void ResultPictures::Recreate() {
    ReportBitmap = WhitePicture(550, 300);
    MonthlyChartBitmap = WhitePicture(550, 350);
    CostChartBitmap = WhitePicture(450, 650);
}

} // namespace report
