#include "ResultPictures.h"

namespace report {
namespace {

QImage WhitePicture(QSize size) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    // 96 dots per inch, the resolution the pictures' point sizes are meant for.
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(3780);
    return picture;
}

} // namespace

void ResultPictures::Recreate() {
    ReportBitmap = WhitePicture(ReportSize);
    MonthlyChartBitmap = WhitePicture(MonthlyChartSize);
    CostChartBitmap = WhitePicture(CostChartSize);
}

} // namespace report
